#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace vantor {

// Escapes &, <, > and " so that text a remote player chose cannot become markup.
QByteArray htmlEscape(QByteArrayView text);

} // namespace vantor
