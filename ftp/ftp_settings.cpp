#include "ftp/ftp_settings.h"

#include "ftp/async_ftp_client.h"
#include "ftp/certificate_pin.h"
#include "ftp/control_port.h"
#include "ftp/ftp_socket.h"

namespace vantor {

QString fingerprintProblem(const QString& text) {
    if (text.trimmed().isEmpty() || !normalizedFingerprint(text.toLatin1()).isEmpty())
        return {};
    return QStringLiteral("The certificate fingerprint must be a SHA-256 fingerprint: 64 hex "
                          "digits, colons allowed.");
}

QString portProblem(const QString& port) {
    if (port.trimmed().isEmpty())
        return {};
    try {
        FtpSocket::resolvePort(port.toUtf8());
        return {};
    } catch (const SocketException&) {
        return QStringLiteral("\"%1\" is not a port: enter a number from 1 to 65535 or a "
                              "service name the system knows, such as \"ftp\".")
            .arg(port);
    }
}

void applyFtpSettings(AsyncFtpClient& client, const FtpSettings& settings) {
    // Linux servers and file systems speak UTF-8; the names go on the wire as the local
    // file system spells them.
    client.HostName = settings.hostName.toUtf8();
    client.Port = uploadControlPort(settings.port.toUtf8());
    client.UserName = settings.userName.toUtf8();
    client.PassWord = settings.password.toUtf8();
    client.HostDirName = settings.hostDirName.toUtf8();
    client.Passive = settings.passive;
    client.Security = settings.tls ? ftpTlsExplicit : ftpTlsNone;
    client.CertSha256 = settings.certSha256.toUtf8();
}

} // namespace vantor
