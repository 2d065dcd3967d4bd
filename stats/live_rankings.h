#pragma once

#include "common/records.h"

#include <QString>
#include <vector>

namespace vantor::stats {

// Highest skill points first, file order among equals, blank records dropped. Skill points
// outside 0..100000 keep their records: above they lead, below they close the order.
std::vector<PlayerStatsRecord> statsBySkill(const std::vector<PlayerStatsRecord>& records);
// The same order for the last game's records (the key is the last game's skill points).
std::vector<LastGameRecord> lastGameBySkill(const std::vector<LastGameRecord>& records);

// Rewrites a stats file in rank order with freshly computed derived values and returns its new
// content. The new content goes to workPath first and is renamed over the file, so a failure
// leaves the file as it was. A missing file ranks as empty and is not created.
std::vector<PlayerStatsRecord> rankStatsFileBySkill(const QString& statsPath,
                                                    const QString& workPath);
// The same for "lastgame.log".
std::vector<LastGameRecord> rankLastGameFileBySkill(const QString& lastGamePath,
                                                    const QString& workPath);

} // namespace vantor::stats
