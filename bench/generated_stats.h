#pragma once

// Made-up players for the benchmarks: the same names and figures in every benchmark that
// needs a large stats file, so their figures can be compared.
#include "common/record_file.h"
#include "common/records.h"
#include "common/skill.h"

#include <QByteArray>
#include <QString>
#include <random>

namespace vantor::bench {

inline QByteArray playerName(int i) {
    return "Player" + QByteArray::number(i).rightJustified(6, '0');
}

inline void writeStatsFile(const QString& path, int players, std::mt19937& random) {
    RecordFile<PlayerStatsRecord> f(path);
    f.open(FixedRecordFile::Mode::Create);
    for (int i = 0; i < players; ++i) {
        PlayerStatsRecord r;
        r.name.setText(playerName(i));
        r.lastPlayed.setText("6/10/00");
        r.games = 1 + int(random() % 400);
        r.kills = int(random() % (r.games * 5));
        r.deaths = int(random() % (r.games + 1));
        r.hitPercentSum = int(random() % 101) * r.games;
        r.roundsFired = r.games * int(random() % 200);
        r.roundsTaken = int(random() % (r.games * 10));
        calcskill(r);
        f.write(r);
    }
    f.close();
}

} // namespace vantor::bench
