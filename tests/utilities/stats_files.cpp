#include "stats_files.h"

#include "tests/support/temp_folder.h"

#include <cstring>

namespace vantor::test {

PlayerStatsRecord statsRecord(const QByteArray& name, const PlayerFigures& f) {
    PlayerStatsRecord r;
    r.name.setText(name);
    r.lastPlayed.setText("6/10/00");
    r.kills = f.kills;
    r.deaths = f.deaths;
    r.games = f.games;
    r.hitPercentSum = f.hitPercentSum;
    r.roundsFired = f.roundsFired;
    r.roundsTaken = f.roundsTaken;
    r.hitPercent = f.games ? f.hitPercentSum / f.games : 0;
    r.skillPoints = 100 * f.kills / (f.deaths + 1) + r.hitPercent;
    return r;
}

PlayerStatsRecord blankStatsRecord(const QByteArray& oldName) {
    PlayerStatsRecord r = statsRecord(oldName, {});
    r.name.bytes[0] = 0;
    return r;
}

QByteArray bytesOf(const std::vector<PlayerStatsRecord>& records) {
    return QByteArray(reinterpret_cast<const char*>(records.data()),
                      qsizetype(records.size() * sizeof(PlayerStatsRecord)));
}

void writeStats(const QString& path, const std::vector<PlayerStatsRecord>& records) {
    writeFile(path, bytesOf(records));
}

std::vector<PlayerStatsRecord> readStats(const QString& path) {
    const QByteArray bytes = readFile(path);
    std::vector<PlayerStatsRecord> out(std::size_t(bytes.size()) / sizeof(PlayerStatsRecord));
    if (!out.empty())
        std::memcpy(out.data(), bytes.constData(), out.size() * sizeof(PlayerStatsRecord));
    return out;
}

QByteArrayList namesIn(const std::vector<PlayerStatsRecord>& records) {
    QByteArrayList names;
    for (const auto& r : records)
        names << r.name.text();
    return names;
}

} // namespace vantor::test
