#include "merge.h"

#include "common/record_file.h"
#include "common/skill.h"

#include <QDir>
#include <cstdint>
#include <initializer_list>

namespace vantor::recorder {

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
template <class Record>
void createWith(const QString& path, std::initializer_list<Record> records) {
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
        createWith(path, {n});
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
        createWith(path, {t.blue, t.gold});
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

} // namespace vantor::recorder
