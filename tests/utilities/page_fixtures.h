#pragma once

#include "common/records.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vantor::test {

// The ranking engine as a page maker calls it.
void rankStats(const QString& statsFile, const QString& key);

// The records in the order the engine leaves them in the file, without touching a file.
std::vector<PlayerStatsRecord> rankedByKey(std::vector<PlayerStatsRecord> records,
                                           const QString& key);

PlayerStatsRecord player(const QByteArray& name, int kills, int deaths, int games,
                         int hitPercentSum = 0, const QByteArray& lastPlayed = "6/10/00");
PlayerStatsRecord blankRecord();

// count players with varied, reproducible figures, in file order (not ranked).
std::vector<PlayerStatsRecord> samplePlayers(int count);

void writeStats(const QString& path, const std::vector<PlayerStatsRecord>& records);

} // namespace vantor::test
