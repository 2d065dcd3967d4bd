#pragma once

#include "common/records.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vantor::test {

struct PlayerFigures {
    int kills = 0;
    int deaths = 0;
    int games = 1;
    int hitPercentSum = 0;
    int roundsFired = 0;
    int roundsTaken = 0;
};

// A stats record with the derived fields as the merge would have stored them.
PlayerStatsRecord statsRecord(const QByteArray& name, const PlayerFigures& f);
// A record removed by "Delete Player" whose old name bytes still follow the length byte.
PlayerStatsRecord blankStatsRecord(const QByteArray& oldName);

QByteArray bytesOf(const std::vector<PlayerStatsRecord>& records);
void writeStats(const QString& path, const std::vector<PlayerStatsRecord>& records);
std::vector<PlayerStatsRecord> readStats(const QString& path);
QByteArrayList namesIn(const std::vector<PlayerStatsRecord>& records);

} // namespace vantor::test
