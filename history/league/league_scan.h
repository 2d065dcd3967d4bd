#pragma once

#include "rating.h"
#include "time_window.h"

#include "history/journal/sqlite_db.h"

#include <array>
#include <functional>
#include <vector>

namespace vantor::history {

// One game as a window's question reads it: whether it lies in the window, and what it changed
// in the ratings (empty when they are not asked for).
using WindowVisit = std::function<void(const GameRow& game, bool inWindow,
                                       const std::vector<RatingChange>& changes)>;

// The games of one game type a question over a window needs, oldest first. With ratings, every
// game up to the window's end is rated first, starting from the latest saved ratings before the
// window (and saving new ones on the way, every kCheckpointGames games), so only the games
// since are read again; games before the window come with inWindow false.
inline constexpr std::int64_t kCheckpointGames = 20000;
void scanWindow(Database& db, bool coop, const TimeWindow& window, RatingBook* ratings,
                const WindowVisit& visit, std::int64_t checkpointGames = kCheckpointGames);

// How many of the window's games, undone ones left out, ended in each result (by TeamOutcome).
std::array<std::int64_t, 3> windowOutcomes(Database& db, bool coop, const TimeWindow& window);

} // namespace vantor::history
