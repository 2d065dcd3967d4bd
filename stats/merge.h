#pragma once

#include "common/data_files.h"
#include "common/records.h"
#include "result_log.h"

#include <QByteArrayView>
#include <QString>
#include <span>

namespace vantor::stats {

// Adds one player's game to the stats file of the game type in `dataFolder`: into the first
// record of the same name, in place, or as a new record at the end. A game type without a
// stats file is left alone (false).
bool saveplayer(const QString& dataFolder, PlayerStatsRecord player, QByteArrayView gameType);

// How a game's record n takes in the stored record s of the same name: the sums (saturating),
// then the derived values. The merge of saveplayer, for callers that hold the file in memory.
void mergeTotals(PlayerStatsRecord& n, const PlayerStatsRecord& s);

// The same for all players of one game, in their order, reading the stats file once: the
// file ends as saveplayer called for each of them in turn would leave it.
bool saveplayers(const QString& dataFolder, std::span<const PlayerStatsRecord> players,
                 QByteArrayView gameType);

// The same merge on "lastgame.log"; the newest block's killed-by, team and date win.
void savelastgame(const QString& dataFolder, LastGameRecord player);

struct TeamTotals {
    TeamWinsRecord blue;
    TeamWinsRecord gold;
};

// Adds an adversarial game's win to "team.log" (blue record first, gold second) and gives the
// records as written. A game whose winner is unknown adds no win. Other game types: nothing.
TeamTotals saveteam(const QString& dataFolder, const TeamResult& result, QByteArrayView gameType);

} // namespace vantor::stats
