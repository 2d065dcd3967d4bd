#include "page_fixtures.h"

#include "common/error.h"
#include "common/rank_order.h"
#include "common/record_file.h"
#include "common/skill.h"

#include <functional>

namespace vantor::test {

std::vector<PlayerStatsRecord> rankedByKey(std::vector<PlayerStatsRecord> records,
                                           const QString& key) {
    for (auto& r : records)
        if (r.games != 0)
            calcskill(r);
    using Key = std::function<std::int64_t(const PlayerStatsRecord&)>;
    Key value;
    bool keepBlank = false;
    if (key == QLatin1String("Skill Points"))
        value = [](const PlayerStatsRecord& r) { return r.skillPoints; };
    else if (key == QLatin1String("Kills"))
        value = [](const PlayerStatsRecord& r) { return r.kills; };
    else if (key == QLatin1String("Deaths"))
        value = [](const PlayerStatsRecord& r) { return r.deaths; };
    else if (key == QLatin1String("Games Played"))
        value = [](const PlayerStatsRecord& r) { return r.games; };
    else if (key == QLatin1String("Kills/Game")) {
        keepBlank = true;
        value = [](const PlayerStatsRecord& r) {
            return r.isBlank() ? 0 : killsPerGameValue(r.kills, r.games);
        };
    } else
        throw Error(QStringLiteral("Unknown rank key \"%1\"").arg(key));
    return rankDescending(records, value,
                          [&](const PlayerStatsRecord& r) { return keepBlank || !r.isBlank(); });
}

std::vector<PlayerStatsRecord> rankStandIn(const QString& statsFile, const QString& key) {
    auto ranked = rankedByKey(readAllRecords<PlayerStatsRecord>(statsFile), key);
    rewriteRecords(QStringLiteral("work.dat"), statsFile, ranked);
    return ranked;
}

PlayerStatsRecord player(const QByteArray& name, int kills, int deaths, int games,
                         int hitPercentSum, const QByteArray& lastPlayed) {
    PlayerStatsRecord r;
    r.name.setText(name);
    r.lastPlayed.setText(lastPlayed);
    r.kills = kills;
    r.deaths = deaths;
    r.games = games;
    r.hitPercentSum = hitPercentSum;
    r.roundsFired = kills * 9 + games;
    r.roundsTaken = deaths * 4 + 1;
    calcskill(r);
    return r;
}

PlayerStatsRecord blankRecord() {
    PlayerStatsRecord r = player("gone", 5, 5, 1, 10);
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
