#pragma once

#include "rating.h"
#include "standings.h"
#include "time_window.h"

#include "history/journal/sqlite_db.h"

#include <optional>
#include <vector>

namespace vantor::history {

// Every player's totals per local day, kept beside the games so that a window of whole days is
// added up from a row per player and day instead of a row per player and game. Like the ratings'
// checkpoints it is brought up to date when asked (the games recorded since are added) and made
// afresh once a game was undone or redone; it is only ever what the games give.
//
// The window's players in the order they first played in it, or nullopt when the window does
// not start and end at local midnight (a --utc window here): then the games are read instead.
// With gains: the rating before and after the window of every player with a rated game in it.
std::optional<std::vector<PlayerTotals>> dayTotals(Database& db, bool coop,
                                                   const TimeWindow& window,
                                                   QHash<QByteArray, RatingGain>* gains = nullptr);

} // namespace vantor::history
