#pragma once

#include "game_rows.h"
#include "sqlite_db.h"

#include <QByteArray>
#include <array>
#include <functional>
#include <limits>
#include <optional>

namespace vantor::history {

// Which recorded games a scan reads.
struct GameScan {
    bool coop = false;
    // Recording times as the journal writes them: from inclusive, until exclusive; empty: open.
    QByteArray from;
    QByteArray until;
    QByteArray map; // null: every map
    // Event ids: afterId exclusive, throughId inclusive.
    std::int64_t afterId = 0;
    std::int64_t throughId = std::numeric_limits<std::int64_t>::max();
    // A scan without time bounds (a replay of the history) reads this many games per query, so
    // that each query is bounded in time and the replay as a whole need not be.
    std::int64_t sliceGames = 20000;
};

// The first and last id of the scan's games; nullopt when it has none.
struct IdRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
};
std::optional<IdRange> gameIdRange(Database& db, const GameScan& scan);

// How many of a scan's games, undone ones left out, ended in each result (by TeamOutcome).
std::array<std::int64_t, 3> outcomeCounts(Database& db, const GameScan& scan);

// The games of a scan in the order they were recorded, undone ones included (marked), one at a
// time, so a long history is never held whole. A player's killedBy is left empty.
void scanGames(Database& db, const GameScan& scan,
               const std::function<void(const GameRow&)>& visit);

// The index the scans' time ranges use, made once in an older history.
void addTimeIndex(Database& db);

} // namespace vantor::history
