#pragma once

#include "standings.h"

#include "history/journal/game_rows.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <cstdint>
#include <vector>

namespace vantor::history {

// Glicko-2 (Mark E. Glickman, "Example of the Glicko-2 system", glicko.net), for two teams:
// each player of a decided adversarial game meets one opponent made of the other team (the
// mean of its ratings, the root mean square of its deviations) and wins or loses with his team.
// Each game is a rating period for its players; every whole day without a game between two of
// a player's games adds one more period, so his deviation grows while he stays away.
// The arithmetic is done in one fixed order in double precision: the same games give the same
// ratings bit for bit.
struct Rating {
    double mu = 0; // Glicko-2 scale
    double phi = 350 / 173.7178;
    double sigma = 0.06;
    std::int64_t games = 0; // rated games
    QDate lastDay;          // of the latest rated game

    double rating() const;    // 1500 scale
    double deviation() const; // 1500 scale, as it stood after the latest game
    // The deviation on a later day, grown by the days without games since.
    double deviationOn(QDate day) const;
    bool provisional() const { return games < kSettledGames; }

    static constexpr std::int64_t kSettledGames = 10;
};

// One player's rating before and after one game.
struct RatingChange {
    std::int64_t gameId = 0;
    QByteArray name;
    bool won = false;
    Rating before; // with the idle days' growth applied
    Rating after;
};

// A player's rating (1500 scale) before his first and after his last rated game of a window.
struct RatingGain {
    double before = 0;
    double after = 0;
};

// The published single-period update: a rating, its results against opponents
// (opponent mu, phi, score 0 or 1), the system constant tau.
struct Opponent {
    double mu = 0;
    double phi = 0;
    double score = 0;
};
Rating glicko2Update(const Rating& player, const std::vector<Opponent>& opponents, double tau);

// Every player's rating over games given oldest first.
class RatingBook {
public:
    static constexpr double kTau = 0.5;

    explicit RatingBook(const AliasMap& aliases = {}) : aliases_(aliases) {}
    // Rates the game if it is rated (not undone, a winner known, players on both sides); gives
    // the changes of its players, else nothing.
    std::vector<RatingChange> add(const GameRow& game);
    // nullptr for a player with no rated game.
    const Rating* find(const QByteArray& name) const;

    // The book as bytes (every double as its bits), and back; restore refuses bytes that are
    // not such a state and leaves the book as it was.
    QByteArray state() const;
    bool restore(const QByteArray& state);

private:
    AliasMap aliases_;
    QHash<QByteArray, Rating> ratings_;
};

// The rating a player starts with.
Rating unratedPlayer();

} // namespace vantor::history
