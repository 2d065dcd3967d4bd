#pragma once

#include "site_model.h"

#include <QString>
#include <optional>
#include <vector>

namespace vantor::history::site {

// One award of a window: the best player by one measure and the runner-up. Ties go to the
// player with more games in the window, then to the name that sorts first by its bytes.
struct Award {
    QString title;
    QString winner; // escaped: a player's name, or a team
    std::optional<std::uint32_t> winnerPlayer;
    QString value;
    QString runnerUp; // escaped; empty when nobody else qualified
    std::optional<std::uint32_t> runnerUpPlayer;
    QString runnerUpValue;
};

// A window's players ranked for its standings: skill points, then games, then name; only the
// first top of them.
std::vector<std::pair<std::uint32_t, Totals>>
rankedStandings(const SiteModel& model, const std::unordered_map<std::uint32_t, Totals>& totals,
                std::size_t top);

// The awards of a window of games.
std::vector<Award> awardsOver(const SiteModel& model, const WindowTotals& window);

// Hundredths as "2.33".
QString hundredthsText(std::int64_t value);

} // namespace vantor::history::site
