// The engine against a plain rendering of the per-value sweep it replaces: for every value
// from 100000 down to 0, append the records whose key equals it, in table order.
#include "tests/utilities/stats_files.h"

#include "stats/rank_keys.h"
#include "stats/ranking.h"

#include "tests/support/temp_folder.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString kStats = QStringLiteral("stats.log");

// Written apart from the engine on purpose: the sweep's load rule and key values.
void loadLikeTheSweep(PlayerStatsRecord& r) {
    if (r.games == 0)
        return;
    r.hitPercent = r.hitPercentSum / r.games;
    r.skillPoints = r.kills * 100 / (r.deaths + 1) + r.hitPercent;
}

std::int64_t sweepKey(int key, const PlayerStatsRecord& r) {
    switch (key) {
    case 0:
        return r.skillPoints;
    case 1:
        return r.kills;
    case 2:
        return r.deaths;
    case 3:
        return r.roundsFired;
    case 4:
        return r.roundsTaken;
    case 5:
        return r.hitPercent;
    case 6:
        return r.games;
    default:
        return r.isBlank() ? 0 : r.kills * 100 / r.games;
    }
}

std::vector<PlayerStatsRecord> sweep(std::vector<PlayerStatsRecord> table, int key) {
    for (auto& r : table)
        loadLikeTheSweep(r);
    const bool blanksToo = key == 7;
    std::vector<PlayerStatsRecord> work;
    for (std::int32_t value = 100000; value >= 0; --value) {
        for (const auto& r : table) {
            if ((blanksToo || !r.isBlank()) && sweepKey(key, r) == value)
                work.push_back(r);
        }
    }
    return work;
}

bool inSweptRange(int key, PlayerStatsRecord r) {
    loadLikeTheSweep(r);
    const std::int64_t v = sweepKey(key, r);
    return v >= 0 && v <= 100000;
}

// Small values so that ties are common; now and then one near or past the ends of the range.
int figure(QRandomGenerator& rng, int small) {
    switch (rng.bounded(20)) {
    case 0:
        return 99990 + rng.bounded(20);
    case 1:
        return -rng.bounded(1, 5);
    default:
        return rng.bounded(small);
    }
}

PlayerStatsRecord randomRecord(QRandomGenerator& rng, int serial) {
    QByteArray name = "player" + QByteArray::number(serial);
    PlayerStatsRecord r = statsRecord(name, {.kills = figure(rng, 8),
                                             .deaths = rng.bounded(6),
                                             .games = rng.bounded(1, 5),
                                             .hitPercentSum = rng.bounded(300),
                                             .roundsFired = figure(rng, 6),
                                             .roundsTaken = figure(rng, 6)});
    r.skillPoints = rng.bounded(50); // stale on purpose: the load recomputes it
    if (rng.bounded(6) == 0)
        r.name.bytes[0] = 0; // blank, old name bytes left behind
    if (rng.bounded(10) == 0)
        r.games = 90000 + rng.bounded(20000);
    return r;
}

} // namespace

TEST(RankingSweep, EngineGivesTheSweepsBytesOnRandomFiles) {
    QRandomGenerator rng(20240611);
    for (int file = 0; file < 24; ++file) {
        std::vector<PlayerStatsRecord> table;
        const int count = rng.bounded(0, 30);
        for (int i = 0; i < count; ++i)
            table.push_back(randomRecord(rng, i));
        for (int key = 0; key < 8; ++key) {
            SCOPED_TRACE(testing::Message() << "file " << file << " key " << key);
            TempFolder dir;
            writeStats(kStats, table);
            stats::rankStatsFile(kStats, stats::rankKeyTexts().at(key));

            // The sweep never reaches keys outside 0..100000; the engine keeps those records,
            // before and after the rest, so the whole file is descending by key and its
            // in-range part is the sweep's.
            const auto ranked = readStats(kStats);
            std::size_t kept = 0;
            for (const auto& r : table)
                kept += key == 7 || !r.isBlank();
            ASSERT_EQ(ranked.size(), kept);
            std::vector<PlayerStatsRecord> inRange;
            for (std::size_t i = 0; i < ranked.size(); ++i) {
                if (i > 0) {
                    ASSERT_GE(sweepKey(key, ranked[i - 1]), sweepKey(key, ranked[i]));
                }
                if (inSweptRange(key, ranked[i]))
                    inRange.push_back(ranked[i]);
            }
            ASSERT_EQ(bytesOf(inRange), bytesOf(sweep(table, key)));
        }
    }
}
