#pragma once

#include "common/data_files.h"
#include "common/records.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <vector>

namespace vantor::stats {

// The most players a game holds.
inline constexpr int kMaxPlayers = 64;

// The header of a result log. Texts are the game's bytes (code page 1252).
struct GameInfo {
    QByteArray gameType; // at most 20 characters
    QByteArray map;
    QByteArray rules;
    QByteArray elapsedTime;
};

// One player block: the same figures in both record shapes.
struct PlayerResult {
    PlayerStatsRecord stats;
    LastGameRecord lastGame;
};

// Who won, known only from a player on team "blue".
struct TeamResult {
    bool known = false;
    bool blueWon = false;
};

struct ResultLog {
    GameInfo info;
    std::vector<PlayerResult> players;
    TeamResult teams;
};

// Reads a whole result log. `today` is the date each record is stamped with (cut to 10
// characters). Throws vantor::Error for a number line that holds no integer or for more than
// kMaxPlayers player blocks; nothing is returned then, so a bad log is merged not at all.
ResultLog parseResultLog(QByteArrayView bytes, QByteArrayView today);

} // namespace vantor::stats
