#pragma once

#include "history/journal/game_rows.h"
#include "history/journal/player_names.h"

#include "common/records.h"

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantor::history {

// One player's totals over some games, added up as the merge adds a game into a stats file
// (wide here, so that nothing wraps; saturated as a record holds them).
struct PlayerTotals {
    QByteArray name;
    QByteArray lastPlayed; // "YYYY-MM-DD" of the latest of these games
    std::int64_t kills = 0;
    std::int64_t deaths = 0;
    std::int64_t games = 0;
    std::int64_t hitPercentSum = 0;
    std::int64_t roundsFired = 0;
    std::int64_t roundsTaken = 0;

    void add(const PlayerGameRow& row, QByteArrayView day);
    // As a stats file record with its derived fields computed.
    PlayerStatsRecord record() const;
};

// Adds up every player's games, in the order the games are given (by id): each player once,
// in the order he first played. Undone games are passed over.
class PlayerTally {
public:
    explicit PlayerTally(const AliasMap& aliases = {}) : aliases_(aliases) {}
    void add(const GameRow& game);
    const std::vector<PlayerTotals>& players() const { return players_; }
    const PlayerTotals* find(const QByteArray& name) const;

private:
    AliasMap aliases_;
    QHash<QByteArray, std::size_t> index_;
    std::vector<PlayerTotals> players_;
};

// Totals given per name, in the order the players first played, as the aliases count them:
// an alias's totals go into its main name's, which stands where the first of them stood.
std::vector<PlayerTotals> countedUnder(const AliasMap& aliases, std::vector<PlayerTotals> totals);

struct Standing {
    int rank = 0;
    PlayerTotals totals;
    std::int64_t value = 0; // what the rank was decided by
};

// Players with at least minGames games, in descending order of the value, equal values in the
// order the players first played.
template <class ValueOf>
std::vector<Standing> rankPlayers(const std::vector<PlayerTotals>& players, std::int64_t minGames,
                                  ValueOf valueOf);

// Ranked as awards are decided: highest value first (lowest with lowestWins); equal values go
// to the player with more games, then to the name first in byte order.
template <class ValueOf>
std::vector<Standing> rankForAward(const std::vector<PlayerTotals>& players, std::int64_t minGames,
                                   ValueOf valueOf, bool lowestWins = false);

} // namespace vantor::history

#include <algorithm>

namespace vantor::history {

template <class ValueOf>
std::vector<Standing> rankPlayers(const std::vector<PlayerTotals>& players, std::int64_t minGames,
                                  ValueOf valueOf) {
    std::vector<Standing> out;
    for (const PlayerTotals& p : players)
        if (p.games >= minGames)
            out.push_back(Standing{0, p, valueOf(p)});
    std::stable_sort(out.begin(), out.end(),
                     [](const Standing& a, const Standing& b) { return a.value > b.value; });
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i].rank = int(i + 1);
    return out;
}

template <class ValueOf>
std::vector<Standing> rankForAward(const std::vector<PlayerTotals>& players, std::int64_t minGames,
                                   ValueOf valueOf, bool lowestWins) {
    std::vector<Standing> out;
    for (const PlayerTotals& p : players)
        if (p.games >= minGames)
            out.push_back(Standing{0, p, valueOf(p)});
    std::sort(out.begin(), out.end(), [&](const Standing& a, const Standing& b) {
        if (a.value != b.value)
            return lowestWins ? a.value < b.value : a.value > b.value;
        if (a.totals.games != b.totals.games)
            return a.totals.games > b.totals.games;
        return a.totals.name < b.totals.name;
    });
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i].rank = int(i + 1);
    return out;
}

} // namespace vantor::history
