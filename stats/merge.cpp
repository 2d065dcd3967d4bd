#include "merge.h"

#include "common/record_file.h"
#include "common/skill.h"

#include <QDir>
#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
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

template <class Record> void mergeInto(Record& n, const Record& s) {
    addTotals(n, s);
    calcskill(n);
}

// Makes a missing file with its first records. One that cannot be written whole is removed
// again: left empty, the next game would find it and never start it afresh.
template <class Record> void createWith(const QString& path, std::span<const Record> records) {
    RecordFile<Record> file(path);
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

template <class Record> void mergeByName(const QString& path, Record n) {
    RecordFile<Record> file(path);
    // Only a file that does not exist is created: an existing one that fails to open is an
    // error, never a reason to start it afresh.
    if (!file.tryOpen(FixedRecordFile::Mode::ReadWrite)) {
        calcskill(n);
        createWith(path, std::span<const Record>(&n, 1));
        return;
    }
    Record s;
    while (file.read(s)) {
        if (s.name.sameText(n.name)) {
            mergeInto(n, s);
            file.seek(file.position() - 1);
            file.write(n);
            file.close();
            return;
        }
    }
    calcskill(n);
    file.write(n); // the read stopped at the end: this appends
    file.close();
}

std::string_view nameKey(const PlayerStatsRecord& r) {
    const QByteArrayView v = r.name.view();
    return {v.data(), std::size_t(v.size())};
}

// The game's players merged as one saveplayer after another would merge them, with one pass
// over the file: each name goes into the first record that holds it, else into the record an
// earlier player of the same name appended, else it is appended.
void mergeAllByName(const QString& path, std::span<const PlayerStatsRecord> players) {
    std::unordered_map<std::string_view, std::int64_t> firstRecord; // -1: not in the file
    for (const PlayerStatsRecord& p : players)
        firstRecord.emplace(nameKey(p), -1);

    RecordFile<PlayerStatsRecord> file(path);
    const bool exists = file.tryOpen(FixedRecordFile::Mode::ReadWrite);
    std::int64_t count = 0;
    std::unordered_map<std::int64_t, PlayerStatsRecord> stored; // by position
    if (exists) {
        count = file.size();
        std::size_t unmatched = firstRecord.size();
        std::vector<PlayerStatsRecord> block(8192);
        for (std::int64_t at = 0; unmatched > 0;) {
            const std::size_t got = file.readMany(block.data(), block.size());
            for (std::size_t i = 0; i < got && unmatched > 0; ++i) {
                const auto found = firstRecord.find(nameKey(block[i]));
                if (found != firstRecord.end() && found->second < 0) {
                    found->second = at + std::int64_t(i);
                    stored.emplace(found->second, block[i]);
                    --unmatched;
                }
            }
            if (got < block.size())
                break;
            at += std::int64_t(got);
        }
    }

    std::vector<PlayerStatsRecord> appended;
    std::unordered_map<std::string_view, std::size_t> appendedAt;
    for (const PlayerStatsRecord& player : players) {
        const std::string_view name = nameKey(player); // views into players, which stay put
        PlayerStatsRecord n = player;
        if (const std::int64_t at = firstRecord.at(name); at >= 0) {
            PlayerStatsRecord& s = stored.at(at);
            addTotals(n, s);
            calcskill(n);
            s = n;
        } else if (const auto earlier = appendedAt.find(name); earlier != appendedAt.end()) {
            addTotals(n, appended[earlier->second]);
            calcskill(n);
            appended[earlier->second] = n;
        } else {
            calcskill(n);
            appendedAt.emplace(name, appended.size());
            appended.push_back(n);
        }
    }

    if (!exists) {
        createWith(path, std::span<const PlayerStatsRecord>(appended));
        return;
    }
    std::vector<std::int64_t> positions;
    for (const auto& [at, r] : stored)
        positions.push_back(at);
    std::sort(positions.begin(), positions.end());
    for (std::int64_t at : positions) {
        file.seek(at);
        file.write(stored.at(at));
    }
    file.seek(count);
    file.writeMany(appended.data(), appended.size());
    file.close();
}

TeamWinsRecord teamRecord(QByteArrayView team, std::int32_t wins) {
    TeamWinsRecord r;
    r.team.setText(team);
    r.wins = wins;
    return r;
}
} // namespace

void mergeTotals(PlayerStatsRecord& n, const PlayerStatsRecord& s) {
    mergeInto(n, s);
}

bool saveplayer(const QString& dataFolder, PlayerStatsRecord player, QByteArrayView gameType) {
    const QString name = statsFileName(gameType);
    if (name.isEmpty())
        return false;
    mergeByName(QDir(dataFolder).filePath(name), player);
    return true;
}

bool saveplayers(const QString& dataFolder, std::span<const PlayerStatsRecord> players,
                 QByteArrayView gameType) {
    const QString name = statsFileName(gameType);
    if (name.isEmpty())
        return false;
    if (!players.empty())
        mergeAllByName(QDir(dataFolder).filePath(name), players);
    return true;
}

void savelastgame(const QString& dataFolder, LastGameRecord player) {
    mergeByName(QDir(dataFolder).filePath(kLastGameFile), player);
}

TeamTotals saveteam(const QString& dataFolder, const TeamResult& result, QByteArrayView gameType) {
    TeamTotals t{teamRecord("blue", result.known && result.blueWon ? 1 : 0),
                 teamRecord("gold", result.known && !result.blueWon ? 1 : 0)};
    if (gameType != kAdversarial)
        return t;
    const QString path = QDir(dataFolder).filePath(kTeamFile);
    RecordFile<TeamWinsRecord> file(path);
    if (!file.tryOpen(FixedRecordFile::Mode::ReadWrite)) {
        const TeamWinsRecord both[] = {t.blue, t.gold};
        createWith(path, std::span<const TeamWinsRecord>(both));
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
