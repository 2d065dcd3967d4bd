#pragma once

#include <QByteArray>

namespace vantor {

// The control port both programs' uploads connect to: the stored port (a number or a
// service name; empty means the standard service "ftp"), unless $VANTOR_FTP_PORT names
// another (a test server that cannot listen on 21).
QByteArray uploadControlPort(const QByteArray& stored = QByteArray());

} // namespace vantor
