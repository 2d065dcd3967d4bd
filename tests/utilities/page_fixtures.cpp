#include "page_fixtures.h"

#include "stats/rank_keys.h"
#include "stats/ranking.h"

#include "common/record_file.h"
#include "common/skill.h"
#include "tests/support/record_builders.h"

namespace vantor::test {

void rankStats(const QString& statsFile, const QString& key) {
    stats::rankStatsFile(statsFile, key);
}

std::vector<PlayerStatsRecord> rankedByKey(std::vector<PlayerStatsRecord> records,
                                           const QString& key) {
    for (auto& r : records)
        stats::computeDerivedValues(r);
    std::vector<PlayerStatsRecord> out;
    for (std::uint32_t i : stats::rankOrder(records, *stats::rankKeyFromText(key)))
        out.push_back(records[i]);
    return out;
}

PlayerStatsRecord player(const QByteArray& name, int kills, int deaths, int games,
                         int hitPercentSum, const QByteArray& lastPlayed) {
    // Rounds follow kills and deaths, so that every measure has something to rank by.
    PlayerStatsRecord r = player(name, kills, deaths, games, hitPercentSum, kills * 9 + games,
                                 deaths * 4 + 1, lastPlayed);
    calcskill(r);
    return r;
}

PlayerStatsRecord blankRecord() {
    PlayerStatsRecord r = player("gone", 5, 5, 1, 10, "6/10/00");
    r.name.setText("");
    return r;
}

std::vector<PlayerStatsRecord> samplePlayers(int count) {
    std::vector<PlayerStatsRecord> out;
    for (int i = 1; i <= count; ++i) {
        const int games = 1 + i % 9;
        out.push_back(player("Player" + QByteArray::number(i).rightJustified(3, '0'), (i * 37) % 97,
                             (i * 53) % 61, games, games * (i % 100),
                             "6/" + QByteArray::number(1 + i % 28) + "/00"));
    }
    return out;
}

void writeStats(const QString& path, const std::vector<PlayerStatsRecord>& records) {
    RecordFile<PlayerStatsRecord> f(path);
    f.open(FixedRecordFile::Mode::Create);
    for (const auto& r : records)
        f.write(r);
    f.close();
}

} // namespace vantor::test
