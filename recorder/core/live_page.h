#pragma once

#include "common/records.h"

#include <QByteArray>
#include <cstdint>
#include <span>

namespace vantor::recorder {

// Everything the live stats page shows. Texts are bytes in the data files' code page.
struct LivePageContent {
    // From the game's result log and the game's key: escaped on the page.
    QByteArray gameType;
    QByteArray map;
    QByteArray rules;
    QByteArray elapsedTime;
    QByteArray playerName;
    // Typed by the local user in the setup window: written as typed.
    QByteArray reloadTime;
    QByteArray imageUrl;
    // When the page was made, already in the system's formats.
    QByteArray dateText;
    QByteArray timeText;
    std::int32_t blueWins = 0;
    std::int32_t goldWins = 0;
    // Both in rank order.
    std::span<const LastGameRecord> lastGame;
    std::span<const PlayerStatsRecord> rankings;
};

// The page's bytes: the head in CR LF lines, the body as one long line, the tail.
QByteArray livePageBytes(const LivePageContent& content);

} // namespace vantor::recorder
