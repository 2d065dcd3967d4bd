// Writes a stats file like a busy server's: many players with few games, some veterans, a
// few blank records. With --ranked the file is already in skill order with its derived values
// stored, as the recorder leaves it after a game.
//   make_stats_file PLAYERS PATH [--ranked]
#include "common/rank_order.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/skill.h"

#include <QRandomGenerator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace vantor;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_stats_file PLAYERS PATH [--ranked]\n");
        return 2;
    }
    const long long count = std::atoll(argv[1]);
    const bool ranked = argc > 3 && std::strcmp(argv[3], "--ranked") == 0;
    QRandomGenerator rng(42);
    std::vector<PlayerStatsRecord> records(static_cast<std::size_t>(count));
    for (long long i = 0; i < count; ++i) {
        PlayerStatsRecord& r = records[std::size_t(i)];
        r.name.setText("Player" + QByteArray::number(i).rightJustified(7, '0'));
        r.lastPlayed.setText("6/10/00");
        r.games = 1 + int(rng.bounded(rng.bounded(10) == 0 ? 2000 : 30));
        r.kills = int(rng.bounded(r.games * 12 + 1));
        r.deaths = int(rng.bounded(r.games * 10 + 1));
        r.hitPercentSum = int(rng.bounded(r.games * 100 + 1));
        r.roundsFired = int(rng.bounded(r.games * 150 + 1));
        r.roundsTaken = int(rng.bounded(r.games * 40 + 1));
        if (ranked)
            calcskill(r);
        else if (rng.bounded(50) == 0)
            r.name.bytes[0] = 0;
    }
    if (ranked)
        records = rankDescending(
            records, [](const PlayerStatsRecord& r) { return r.skillPoints; },
            [](const PlayerStatsRecord& r) { return !r.isBlank(); });
    try {
        RecordFile<PlayerStatsRecord> f(QString::fromLocal8Bit(argv[2]));
        f.open(FixedRecordFile::Mode::Create);
        for (const auto& r : records)
            f.write(r);
        f.close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
