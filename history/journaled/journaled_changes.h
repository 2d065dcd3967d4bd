#pragma once

#include "history/journal/change_note.h"

#include "common/records.h"
#include "stats/ranking.h"
#include "stats/upkeep.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace vantor::journaled {

// Each takes the data-folder lock (waiting a few seconds, idle called meanwhile) and runs the
// operation on the stats floor; journaling on, it opens the game history's change note when
// the operation starts to change the files and adds its event after it. The history's own
// failures are said through journaling.warn and never stop the operation; the operation's
// refusals throw as on the stats floor.

stats::RankResult rankStatsFile(const history::Journaling& journaling, const QString& statsPath,
                                const QString& keyText, const stats::RankProgressFn& progress = {},
                                const stats::IdleFn& idle = {});

// Nothing is locked or journaled for a stats file that does not exist.
std::optional<int> deletePlayer(const history::Journaling& journaling, const QString& statsPath,
                                const QByteArray& name);
std::optional<stats::PruneResult> deletePlayers(const history::Journaling& journaling,
                                                const QString& statsPath, const QString& countText,
                                                const QString& measureText);

// Gives how many of the game type's files there were.
int deleteStatsFiles(const history::Journaling& journaling, const QString& gameType,
                     const QString& folder = QStringLiteral("."));

// The live page's ranking of a stats file of dataFolder; the caller holds the lock already.
std::vector<PlayerStatsRecord> rankForLivePage(const history::Journaling& journaling,
                                               const QString& dataFolder, const QString& statsName);

} // namespace vantor::journaled
