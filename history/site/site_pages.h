#pragma once

#include "site_model.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

namespace vantor::history::site {

// Receives each page: its path from the top of the site ("players/ace-1f2e3d4c5b6a.html") and
// its bytes.
using PageSink = std::function<void(const QString& sitePath, const QByteArray& bytes)>;

// How many games get a page of their own; older ones are listed in the monthly archive.
inline constexpr std::size_t kGamePages = 1000;
// Rows a list shows at most.
inline constexpr std::size_t kFrontStandings = 20;
inline constexpr std::size_t kFrontRecentGames = 20;
inline constexpr std::size_t kPeriodStandings = 100;
inline constexpr std::size_t kPlayerGames = 100;
inline constexpr std::size_t kPlayerChartGames = 200;
// Games a player needs in a window for the per-game awards.
inline constexpr std::int64_t kAwardMinimumGames = 3;

// Every page of the site from a finished model. now: the build's time, which decides the
// current week, month and season and which ones are finished; shown on the front page only,
// so that a page changes only when its games do.
void buildPages(const SiteModel& model, const QDateTime& now, const PageSink& sink);

} // namespace vantor::history::site
