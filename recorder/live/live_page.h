#pragma once

#include "common/page_links.h"
#include "common/records.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
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
    // Typed by the local user in the setup window: written as typed, the reload time only as
    // a whole number of seconds (pageReloadTime).
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
    PageLinks links = PageLinks::fromBuild(); // addresses, credit line, health images
    // Players left out of the page at their own request: no row, and no "Killed by" naming one.
    QSet<QByteArray> hiddenNames;
};

// The reload time the setup window accepts: a whole number of seconds from 5 to 3600, plain
// decimal digits.
inline constexpr int kMinReloadSeconds = 5;
inline constexpr int kMaxReloadSeconds = 3600;
bool isReloadTime(const QString& text);
// The stored reload time as the page's countdown writes it: "30" for anything the setup
// window would refuse, so that a page always counts down and reloads.
QByteArray pageReloadTime(const QString& stored);

// Writes the page through sink in blocks of about a megabyte: the head in CR LF lines, the
// body as one long line, the tail.
using LivePageSink = std::function<void(QByteArrayView block)>;
void writeLivePage(const LivePageContent& content, const LivePageSink& sink);
// The same page whole, in memory.
QByteArray livePageBytes(const LivePageContent& content);

} // namespace vantor::recorder
