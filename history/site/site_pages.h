#pragma once

#include "site_awards.h"
#include "site_model.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace vantor::history::site {

// Receives each page: its path from the top of the site ("players/ace-1f2e3d4c5b6a.html") and
// its bytes.
using PageSink = std::function<void(const QString& sitePath, const QByteArray& bytes)>;

// How many of the newest games get a page of their own (older ones are listed in the monthly
// archive), and how many games an archive page lists: a month is split into pages of that many
// in the order the games were recorded, so a new game changes only the last of them.
struct PageLimits {
    std::size_t gamePages = 1000;
    std::size_t archivePageGames = 500;
};
// Rows a list shows at most.
inline constexpr std::size_t kFrontStandings = 20;
inline constexpr std::size_t kFrontRecentGames = 20;
inline constexpr std::size_t kPeriodStandings = 100;
inline constexpr std::size_t kPlayerGames = 100;
inline constexpr std::size_t kPlayerChartGames = 200;
// Games a player needs in a window for the per-game awards.
inline constexpr std::int64_t kAwardMinimumGames = 3;

// The build before, for a refresh that makes only the pages new games touch.
struct SiteRefresh {
    std::int64_t lastGameId = 0;   // the newest game it counted
    std::size_t previousCount = 0; // how many games it counted
};

struct PagesOutcome {
    bool whole = true;         // every page was made
    std::vector<QString> gone; // a refresh: pages no longer part of the site
    bool awardsMade = false;   // the finished periods' awards were worked out afresh
};

// An award of a finished week, month or season, for its winner's page.
struct AwardWon {
    std::uint32_t player = 0;
    PeriodKey period;
    QString title;
    QString value;
};

// The awards of every finished period, kept between builds: they change only when a period
// ends or a game is dated into a finished one, and working them out reads every game.
struct FinishedAwards {
    QByteArray periods;    // currentPeriodsText() they were worked out at; empty: never
    std::size_t games = 0; // the model's games they took in
    std::vector<AwardWon> won;
    // The newest finished week's and month's awards in full, for the front page.
    std::vector<std::pair<PeriodKey, std::vector<Award>>> latest;
};

// Every page of the site from a finished model, or with refresh only those the games after
// refresh->lastGameId touch (the whole site when that cannot be told safely). now: the build's
// time, which decides the current week, month and season and which ones are finished; shown
// on the front page only, so that a page changes only when its games do.
// awards: those of an earlier build, used while they still hold, and
// made afresh otherwise.
PagesOutcome buildPages(const SiteModel& model, const QDateTime& now, const PageSink& sink,
                        const SiteRefresh* refresh, const PageLimits& limits,
                        FinishedAwards& awards);

// The current week, month and season at now, as text: a page that shows what is current or
// finished changes when this does.
QByteArray currentPeriodsText(const SiteModel& model, const QDateTime& now);

} // namespace vantor::history::site
