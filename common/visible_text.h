#pragma once

#include <QByteArrayView>
#include <QString>

namespace vantor {

// C0, DEL and C1 controls: shown raw, a player name or a server's reply could move a
// terminal's cursor, set its title or plant a link.
bool isControlCharacter(QChar c);

// Text for a terminal, a log line or the status window: every control character becomes '?'.
QString visibleText(QString text);

// A game text (code page 1252) the same way.
QString terminalText(QByteArrayView cp1252);

} // namespace vantor
