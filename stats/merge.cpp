#include "merge.h"

#include "common/record_file.h"
#include "common/skill.h"

#include <QDir>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantor::stats {

namespace {
// The stored fields are 32-bit: a sum that would pass their range stays at its end, so a
// player never drops to the bottom of a ranking by playing.
std::int32_t add32(std::int32_t a, std::int32_t b) {
    return saturate32(std::int64_t(a) + std::int64_t(b));
}

template <class Record> void addTotals(Record& n, const Record& s) {
    n.kills = add32(n.kills, s.kills);
    n.deaths = add32(n.deaths, s.deaths);
    // A game without a round fired counts at the player's average so far.
    n.hitPercentSum = n.roundsFired > 0 ? add32(n.hitPercentSum, s.hitPercentSum)
                                        : add32(s.hitPercentSum, s.hitPercent);
    n.roundsFired = add32(n.roundsFired, s.roundsFired);
    n.roundsTaken = add32(n.roundsTaken, s.roundsTaken);
    n.games = add32(n.games, s.games);
}

// Makes a missing file with its first records. One that cannot be written whole is removed
// again: left empty, the next game would find it and never start it afresh.
template <class Record>
void createWith(const QString& path, std::span<const Record> records, ChangeGuard* guard) {
    RecordFile<Record> file(path, guard);
    try {
        file.open(FixedRecordFile::Mode::Create);
        for (const Record& r : records)
            file.write(r);
        file.close();
    } catch (...) {
        removeQuietly(path); // the descriptor is closed as `file` goes
        throw;
    }
}

// A record file as the names of one game see it: one pass finds the first record of each
// name; the records the game changes are kept by position, those it appends past the end.
template <class Record> class NamedRecords {
public:
    NamedRecords(RecordFile<Record>& file, std::span<const Record> players) {
        for (const Record& p : players)
            first_.emplace(key(p.name.view()), -1);
        if (!file.isOpen())
            return;
        count_ = file.size();
        std::size_t unmatched = first_.size();
        std::vector<Record> block(8192);
        for (std::int64_t at = 0; unmatched > 0;) {
            const std::size_t got = file.readMany(block.data(), block.size());
            for (std::size_t i = 0; i < got && unmatched > 0; ++i) {
                const auto found = first_.find(key(block[i].name.view()));
                if (found != first_.end() && found->second < 0) {
                    found->second = at + std::int64_t(i);
                    changed_.emplace(found->second, block[i]);
                    --unmatched;
                }
            }
            if (got < block.size())
                break;
            at += std::int64_t(got);
        }
    }

    std::int64_t find(QByteArrayView name) const { return first_.at(key(name)); }
    const Record& read(std::int64_t at) const { return changed_.at(at); }
    void write(std::int64_t at, const Record& r) { changed_[at] = r; }
    void append(const Record& r) {
        const std::int64_t at = count_ + std::int64_t(appended_++);
        changed_[at] = r;
        first_[key(r.name.view())] = at;
    }

    // The changed records in place, in file order, then the appended ones in one write.
    void store(RecordFile<Record>& file, const QString& path, ChangeGuard* guard) const {
        std::vector<Record> appended;
        for (const auto& [at, r] : changed_) {
            if (at >= count_) {
                appended.push_back(r);
            } else {
                file.seek(at);
                file.write(r);
            }
        }
        if (!file.isOpen()) {
            createWith(path, std::span<const Record>(appended), guard);
            return;
        }
        file.seek(count_);
        file.writeMany(appended.data(), appended.size());
        file.close();
    }

private:
    static std::string key(QByteArrayView name) { return std::string(name.data(), name.size()); }

    std::unordered_map<std::string, std::int64_t> first_; // -1: not in the file
    std::map<std::int64_t, Record> changed_;
    std::int64_t count_ = 0;
    std::size_t appended_ = 0;
};

// The game's players merged in their order with one pass over the file.
template <class Record>
void mergeAllByName(const QString& path, std::span<const Record> players, ChangeGuard* guard) {
    RecordFile<Record> file(path, guard);
    // Only a file that does not exist is created: an existing one that fails to open is an
    // error, never a reason to start it afresh.
    file.tryOpen(FixedRecordFile::Mode::ReadWrite);
    NamedRecords<Record> records(file, players);
    for (const Record& player : players)
        mergeByName(records, player);
    records.store(file, path, guard);
}

TeamWinsRecord teamRecord(QByteArrayView team, std::int32_t wins) {
    TeamWinsRecord r;
    r.team.setText(team);
    r.wins = wins;
    return r;
}
} // namespace

template <class Record> void mergeTotals(Record& n, const Record& s) {
    addTotals(n, s);
    calcskill(n);
}
template void mergeTotals(PlayerStatsRecord&, const PlayerStatsRecord&);
template void mergeTotals(LastGameRecord&, const LastGameRecord&);

bool saveplayer(const QString& dataFolder, PlayerStatsRecord player, QByteArrayView gameType) {
    return saveplayers(dataFolder, std::span<const PlayerStatsRecord>(&player, 1), gameType);
}

bool saveplayers(const QString& dataFolder, std::span<const PlayerStatsRecord> players,
                 QByteArrayView gameType, ChangeGuard* guard) {
    const QString name = statsFileName(gameType);
    if (name.isEmpty())
        return false;
    if (!players.empty())
        mergeAllByName(QDir(dataFolder).filePath(name), players, guard);
    return true;
}

void savelastgame(const QString& dataFolder, LastGameRecord player, ChangeGuard* guard) {
    mergeAllByName(QDir(dataFolder).filePath(kLastGameFile),
                   std::span<const LastGameRecord>(&player, 1), guard);
}

TeamTotals saveteam(const QString& dataFolder, const TeamResult& result, QByteArrayView gameType,
                    ChangeGuard* guard) {
    TeamTotals t{teamRecord("blue", result.known && result.blueWon ? 1 : 0),
                 teamRecord("gold", result.known && !result.blueWon ? 1 : 0)};
    if (gameType != kAdversarial)
        return t;
    const QString path = QDir(dataFolder).filePath(kTeamFile);
    RecordFile<TeamWinsRecord> file(path, guard);
    if (!file.tryOpen(FixedRecordFile::Mode::ReadWrite)) {
        const TeamWinsRecord both[] = {t.blue, t.gold};
        createWith(path, std::span<const TeamWinsRecord>(both), guard);
        return t;
    }
    TeamWinsRecord stored;
    while (file.read(stored)) {
        if (stored.team.sameText(t.blue.team)) {
            t.blue.wins = add32(t.blue.wins, stored.wins);
            file.seek(file.position() - 1);
            file.write(t.blue);
        }
        if (!file.read(stored))
            break;
        if (stored.team.sameText(t.gold.team)) {
            t.gold.wins = add32(t.gold.wins, stored.wins);
            file.seek(file.position() - 1);
            file.write(t.gold);
        }
    }
    file.close();
    return t;
}

} // namespace vantor::stats
