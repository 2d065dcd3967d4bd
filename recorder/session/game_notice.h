#pragma once

#include "webhook/messages.h"

#include <QByteArray>
#include <QString>

namespace vantor::history {
struct GameRow;
}

namespace vantor::recorder {

// What the web hooks are told of a recorded game: its map, rules and result, its best three
// players by skill points (kills, then the log's order, among equals) and the link given.
webhook::GameNotice gameNotice(const history::GameRow& game, const QString& link);

} // namespace vantor::recorder
