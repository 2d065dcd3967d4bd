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

// Each takes the data-folder lock (waiting a few seconds, idle called meanwhile), runs the
// operation on the stats floor, opening the game history's change note when it starts to
// change the files, and adds its event. The history's own failures are said through warn (standard
// error when empty) and never stop the operation; the operation's refusals throw as on the stats
// floor.

stats::RankResult rankStatsFile(const QString& statsPath, const QString& keyText,
                                const stats::RankProgressFn& progress = {},
                                const stats::IdleFn& idle = {}, const history::WarnFn& warn = {});

// Nothing is locked or journaled for a stats file that does not exist.
std::optional<int> deletePlayer(const QString& statsPath, const QByteArray& name,
                                const history::WarnFn& warn = {});
std::optional<stats::PruneResult> deletePlayers(const QString& statsPath, const QString& countText,
                                                const QString& measureText,
                                                const history::WarnFn& warn = {});

void deleteStatsFiles(const QString& gameType, const QString& folder = QStringLiteral("."),
                      const history::WarnFn& warn = {});

// The live page's ranking of a stats file of dataFolder; the caller holds the lock already.
std::vector<PlayerStatsRecord> rankForLivePage(const QString& dataFolder, const QString& statsName,
                                               const history::WarnFn& warn = {});

} // namespace vantor::journaled
