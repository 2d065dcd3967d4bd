#pragma once

#include <QByteArray>

namespace vantor {

class AsyncFtpClient;

// The line that ends a failed upload, for a person to act on: the host, the port and the
// cause in plain words ("Could not connect to 127.0.0.1 port 21: connection refused"). The
// exchange lines before it stay as the server and the socket gave them.
QByteArray uploadFailureText(const AsyncFtpClient& client);

} // namespace vantor
