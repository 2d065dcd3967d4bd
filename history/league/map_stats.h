#pragma once

#include "standings.h"

#include "history/journal/game_rows.h"

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantor::history {

// One map over a window's games.
struct MapSummary {
    QByteArray map;
    std::int64_t games = 0;
    std::int64_t blueWins = 0;
    std::int64_t goldWins = 0;
    std::int64_t otherResults = 0;
    std::int64_t timedGames = 0;     // games whose elapsed time could be read
    std::int64_t elapsedSeconds = 0; // their sum
    std::optional<std::int64_t> averageSeconds() const;
    // The player with most kills on it (ties: more games there, then the name); empty when
    // nobody played.
    QByteArray bestPlayer;
    std::int64_t bestKills = 0;
};

// "MM:SS" or "H:MM:SS" as a log gives the elapsed time; nullopt for anything else.
std::optional<std::int64_t> elapsedSeconds(QByteArrayView text);
// Seconds as "M:SS" (or "H:MM:SS" from an hour on).
QByteArray elapsedText(std::int64_t seconds);

// Every map of the games given, in the order first played; undone games are passed over.
class MapTally {
public:
    explicit MapTally(const AliasMap& aliases = {}) : aliases_(aliases) {}
    void add(const GameRow& game);
    std::vector<MapSummary> maps() const;
    // One map's players, ranked by kills, ties as for the best player.
    std::vector<Standing> players(const QByteArray& map) const;
    bool has(const QByteArray& map) const { return index_.contains(map); }

private:
    struct Entry {
        MapSummary summary;
        PlayerTally players;
    };
    AliasMap aliases_;
    QHash<QByteArray, std::size_t> index_;
    std::vector<Entry> entries_;
};

} // namespace vantor::history
