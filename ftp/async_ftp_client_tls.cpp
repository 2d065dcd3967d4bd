// Explicit TLS and the passive data connection.
#include "ftp/async_ftp_client.h"
#include "ftp/certificate_pin.h"
#include "ftp/socket_errors.h"

#include <QRegularExpression>
#include <QSslSocket>

namespace vantor {

namespace {

// The port of "229 Entering Extended Passive Mode (|||6446|)"; 0 when there is none.
quint16 epsvPort(const QByteArray& line) {
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.indexOf(')', open + 1);
    if (open < 0 || close < open + 2)
        return 0;
    const QByteArray inner = line.mid(open + 1, close - open - 1);
    const QList<QByteArray> fields = inner.split(inner[0]);
    if (fields.size() != 5)
        return 0;
    bool ok = false;
    const uint port = fields[3].toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : 0;
}

// The address and port of "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)".
bool pasvTarget(const QByteArray& line, QHostAddress* address, quint16* port) {
    static const QRegularExpression numbers(
        QStringLiteral("(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3})"));
    const QRegularExpressionMatch m = numbers.match(QString::fromLatin1(line.mid(3)));
    if (!m.hasMatch())
        return false;
    uint n[6];
    for (int i = 0; i < 6; ++i) {
        n[i] = m.captured(i + 1).toUInt();
        if (n[i] > 255)
            return false;
    }
    *address = QHostAddress((n[0] << 24) | (n[1] << 16) | (n[2] << 8) | n[3]);
    *port = quint16(n[4] * 256 + n[5]);
    return *port != 0;
}

} // namespace

void AsyncFtpClient::startAuth() {
    // Without TLS at hand the upload stops here: the login never goes out in clear.
    if (!QSslSocket::supportsSsl()) {
        stepError("TLS is not available on this system");
        return;
    }
    sendCommand("AUTH TLS", {234});
}

void AsyncFtpClient::authReply(int code, const QByteArray& line) {
    if (code != 234) {
        judgeReply(code, line);
        return;
    }
    state_ = FtpState::AwaitingReply;
    control_.startClientTls(tlsConfiguration(), QString::fromUtf8(HostName),
                            [this](const QSslCertificate& c, const QList<QSslError>& errors) {
                                return acceptCertificate(c, errors);
                            });
}

void AsyncFtpClient::onControlEncrypted(int error) {
    if (step_ != Step::Auth)
        return;
    if (error == 0) {
        serverCertificate_ = control_.sslConfiguration().peerCertificate();
        if (refuseUnpinned(serverCertificate_)) {
            control_.abort();
            connected_ = false;
            stepError(tlsRefusal_);
            return;
        }
        stepDone(0);
        return;
    }
    // The connection is of no use after a failed handshake; nothing more is said on it.
    const QByteArray text = !tlsRefusal_.isEmpty()
                                ? tlsRefusal_
                                : "TLS handshake failed: " + control_.errorText().toUtf8();
    control_.abort();
    connected_ = false;
    stepError(text);
}

QSslConfiguration AsyncFtpClient::tlsConfiguration() const {
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setPeerVerifyMode(QSslSocket::VerifyPeer);
    // The data connection resumes the control connection's session: servers check that
    // both come from the same client.
    c.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    return c;
}

bool AsyncFtpClient::refuseUnpinned(const QSslCertificate& certificate) {
    if (!pinned() || fingerprintMatches(CertSha256, certificate))
        return false;
    tlsRefusal_ = "The server's certificate was refused (it is not the pinned one); its SHA-256 "
                  "fingerprint is " +
                  certificateFingerprint(certificate);
    return true;
}

bool AsyncFtpClient::acceptCertificate(const QSslCertificate& certificate,
                                      const QList<QSslError>& errors) {
    if (fingerprintMatches(CertSha256, certificate))
        return true;
    const QString reason =
        errors.isEmpty() ? QStringLiteral("not trusted") : errors.first().errorString();
    tlsRefusal_ = "The server's certificate was refused (" + reason.toUtf8() +
                  "); its SHA-256 fingerprint is " + certificateFingerprint(certificate);
    return false;
}

void AsyncFtpClient::startDataTls() {
    QSslConfiguration c = tlsConfiguration();
    c.setSessionTicket(control_.sslConfiguration().sessionTicket());
    data_.startClientTls(c, QString::fromUtf8(HostName),
                         [this](const QSslCertificate& cert, const QList<QSslError>& errors) {
                             return (!serverCertificate_.isNull() && cert == serverCertificate_) ||
                                    acceptCertificate(cert, errors);
                         });
}

void AsyncFtpClient::onDataEncrypted(int error) {
    if (step_ != Step::Store || !transfer_.active)
        return;
    if (error == 0 && refuseUnpinned(data_.sslConfiguration().peerCertificate()))
        error = WSAECONNABORTED;
    if (error == 0) {
        transfer_.accepted = true;
        maybeStartSending();
        return;
    }
    const QByteArray text =
        !tlsRefusal_.isEmpty()
            ? tlsRefusal_
            : "TLS handshake on the data connection failed: " + data_.errorText().toUtf8();
    stopTransfer();
    stepError(text);
}

void AsyncFtpClient::startPassive() {
    data_.abort();
    passive_ = PassiveStage::Epsv;
    sendCommand("EPSV", {229});
}

void AsyncFtpClient::passiveReply(int code, const QByteArray& line) {
    if (passive_ == PassiveStage::Epsv && (code == 500 || code == 502)) {
        passive_ = PassiveStage::Pasv;
        sendCommand("PASV", {227});
        return;
    }
    const int expected = passive_ == PassiveStage::Epsv ? 229 : 227;
    if (passive_ == PassiveStage::Connecting || code != expected) {
        judgeReply(code, line);
        return;
    }
    quint16 port = 0;
    QHostAddress named;
    if (passive_ == PassiveStage::Epsv)
        port = epsvPort(line);
    else if (!pasvTarget(line, &named, &port))
        port = 0;
    if (port == 0) {
        stepError("No data port in the reply: " + line);
        return;
    }
    // A server behind a router often names its inside address: the data goes where the
    // control connection goes.
    if (!named.isNull() && named != serverAddress_)
        display("! The reply names " + named.toString().toLatin1() + "; connecting to " +
                serverAddress_.toString().toLatin1() + ", the server's address, instead");
    passive_ = PassiveStage::Connecting;
    data_.setSecure(secure());
    data_.connectTo(serverAddress_, port);
}

void AsyncFtpClient::onDataConnected(int error) {
    if (step_ != Step::Port || passive_ != PassiveStage::Connecting)
        return;
    passive_ = PassiveStage::None;
    if (error != 0) {
        stepError("Data connection: " + WSocketErrorText(error));
        return;
    }
    // Under TLS the handshake waits for the server's go-ahead to STOR (see storeReply).
    stepDone(0);
}

} // namespace vantor
