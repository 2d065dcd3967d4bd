#pragma once

#include "common/records.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vantor::test {

// A ranking that stands in for the utilities' engine: recomputes the derived values, orders by
// the key (stable, descending; blank records kept only for "Kills/Game"), rewrites the file.
std::vector<PlayerStatsRecord> rankStandIn(const QString& statsFile, const QString& key);

// The same order without touching a file.
std::vector<PlayerStatsRecord> rankedByKey(std::vector<PlayerStatsRecord> records,
                                           const QString& key);

PlayerStatsRecord player(const QByteArray& name, int kills, int deaths, int games,
                         int hitPercentSum = 0, const QByteArray& lastPlayed = "6/10/00");
PlayerStatsRecord blankRecord();

// count players with varied, reproducible figures, in file order (not ranked).
std::vector<PlayerStatsRecord> samplePlayers(int count);

void writeStats(const QString& path, const std::vector<PlayerStatsRecord>& records);

} // namespace vantor::test
