#pragma once

#include "common/ftp_login.h"

#include <QString>

namespace vantor {

class AsyncFtpClient;

// The message for a fingerprint that is neither empty nor a SHA-256 fingerprint (64 hex
// digits, colons and blanks allowed); empty when it is fine.
QString fingerprintProblem(const QString& text);

// Empty when the port field names a port: empty (21), a number, or a service name the system
// knows; else why not.
QString portProblem(const QString& port);

// Host, port (overridden by $VANTOR_FTP_PORT), login, password, directory, mode, TLS and
// fingerprint onto the client.
void applyFtpSettings(AsyncFtpClient& client, const FtpSettings& settings);

} // namespace vantor
