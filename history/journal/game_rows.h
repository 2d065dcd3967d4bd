#pragma once

#include "common/records.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace vantor::history {

// Who won a game, as far as its log tells.
enum class TeamOutcome { Unknown, BlueWon, RedWon };

// One player's figures in one recorded game, as the game's log gave them (code page 1252 bytes).
struct PlayerGameRow {
    QByteArray name;
    QByteArray team;     // "blue", "red", ... as in the log; may be empty
    QByteArray killedBy; // may be empty
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
    std::int32_t hitPercent = 0;
    std::int32_t roundsFired = 0;
    std::int32_t roundsTaken = 0;
    std::int32_t skillPoints = 0;
};

// One recorded game of the journal.
struct GameRow {
    std::int64_t id = 0;    // the game's number: 1, 2, 3 ... as recorded, without gaps
    std::int64_t event = 0; // its event in the journal, numbered among all changes
    QByteArray playedAt;    // "YYYY-MM-DD HH:MM:SS", local time of recording
    bool coop = false;
    QByteArray gameType; // the log's game type text
    QByteArray map;
    QByteArray rules;
    QByteArray elapsedTime;
    TeamOutcome outcome = TeamOutcome::Unknown;
    bool undone = false;
    std::vector<PlayerGameRow> players; // in the log's order
};

} // namespace vantor::history
