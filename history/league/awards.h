#pragma once

#include "rating.h"
#include "standings.h"
#include "time_window.h"

#include "history/journal/sqlite_db.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace vantor::history {

// One award of a window: who won it, with what, and who came next. Ties go to the player with
// more games in the window, then to the name first in byte order.
struct AwardEntry {
    QByteArray name;
    std::int64_t value = 0; // in the award's unit (hundredths for "per game", tenths for rating)
};
struct Award {
    QString title;
    std::int64_t minimumGames = 1; // a player needs this many games in the window to take part
    int decimals = 0;              // the value's digits after the point
    std::optional<AwardEntry> winner;
    std::optional<AwardEntry> runnerUp;
};

// The award that is a signed change.
inline const QString kRatingGainTitle = QStringLiteral("Biggest rating gain");

// Games a player needs in the window for the awards that are rates (per game, hit %).
inline constexpr std::int64_t kRateAwardMinimumGames = 5;

// A window's awards from its players' totals (in the order they first played), the ratings of
// those with a rated game in it, and the wins of the teams.
std::vector<Award> decideAwards(const std::vector<PlayerTotals>& players,
                                const QHash<QByteArray, RatingGain>& gains, std::int64_t blueWins,
                                std::int64_t goldWins);

// A window's games added up for its awards: the players' totals, the teams' wins and each
// player's rating before his first and after his last game of the window. Give it the window's
// games oldest first, each with the rating changes it made.
class AwardTally {
public:
    explicit AwardTally(const AliasMap& aliases = {}) : players_(aliases) {}
    void add(const GameRow& game, const std::vector<RatingChange>& changes);
    std::vector<Award> awards() const {
        return decideAwards(players_.players(), gains_, blueWins_, goldWins_);
    }

    const PlayerTally& players() const { return players_; }

private:
    PlayerTally players_;
    QHash<QByteArray, RatingGain> gains_;
    std::int64_t blueWins_ = 0;
    std::int64_t goldWins_ = 0;
};

// The awards of a window of one game type. Over whole days they are read from the players'
// totals per day, else (and with aliases, whose ratings the days do not hold) from the games.
// Co-operative games carry no rating, so they have no rating gain.
std::vector<Award> windowAwards(Database& db, bool coop, const TimeWindow& window,
                                const AliasMap& aliases = {});

} // namespace vantor::history
