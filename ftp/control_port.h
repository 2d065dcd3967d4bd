#pragma once

#include <QByteArray>

namespace vantor {

// The control port both programs' uploads connect to: the standard service "ftp", unless
// $VANTOR_FTP_PORT names another port or service (a test server that cannot listen on 21).
QByteArray uploadControlPort();

} // namespace vantor
