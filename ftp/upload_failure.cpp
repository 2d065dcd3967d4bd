#include "ftp/upload_failure.h"

#include "ftp/async_ftp_client.h"
#include "ftp/ftp_socket.h"
#include "ftp/socket_errors.h"

#include <cctype>

namespace vantor {

namespace {

constexpr int kTimeoutCode = 426;

bool isLookupError(int error) {
    return error >= WSAHOST_NOT_FOUND && error <= WSANO_DATA;
}

bool isSocketError(int error) {
    return error >= 10000 && error < 12000;
}

QByteArray portText(const QByteArray& port) {
    try {
        return QByteArray::number(FtpSocket::resolvePort(port));
    } catch (const SocketException&) {
        return port.trimmed();
    }
}

QByteArray lowerFirst(QByteArray text) {
    if (!text.isEmpty() && text.size() > 1 && !isupper(static_cast<unsigned char>(text[1])))
        text[0] = char(tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// A local failure's text without the code the client puts before it.
QByteArray withoutLocalCode(const QByteArray& message) {
    const QByteArray prefix = QByteArray::number(kLocalError) + ' ';
    return message.startsWith(prefix) ? message.mid(prefix.size()) : message;
}

} // namespace

QByteArray uploadFailureText(const AsyncFtpClient& client) {
    const QByteArray where = client.HostName + " port " + portText(client.Port);
    const int error = client.ErrorCode();
    const QByteArray message = client.ErrorMessage();
    const bool answered = client.ServerAnswered();
    const bool timedOut = error == kTimeoutCode && message == "426 Timeout";
    const QByteArray waited = "no answer within " + QByteArray::number(client.Timeout) + " seconds";
    if (!answered) {
        if (isLookupError(error))
            return "Could not find the host " + client.HostName + ": " +
                   lowerFirst(WSocketErrorDesc(error));
        if (isSocketError(error))
            return "Could not connect to " + where + ": " + lowerFirst(WSocketErrorDesc(error));
        if (timedOut)
            return "Could not connect to " + where + ": " + waited;
    }
    QByteArray cause = timedOut               ? waited
                       : isSocketError(error) ? lowerFirst(WSocketErrorDesc(error))
                       : answered             ? message // the server's reply, as it gave it
                                              : lowerFirst(withoutLocalCode(message));
    if (cause.isEmpty())
        cause = "the server ended the exchange";
    return "The upload to " + where + " failed: " + cause;
}

} // namespace vantor
