#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vantor::test {

// A real FTP server on 127.0.0.1 offering explicit TLS with a self-signed certificate made for
// it by openssl (for the name "localhost" and the address 127.0.0.1), forcing it for the login
// and the data unless told otherwise. Files land in uploadFolder(). Stopped when the object goes.
class TlsFtpServer {
public:
    virtual ~TlsFtpServer();
    // Before start: false lets clear logins and data in too.
    bool tlsRequired = true;
    TlsFtpServer(const TlsFtpServer&) = delete;
    TlsFtpServer& operator=(const TlsFtpServer&) = delete;

    // False, with the reason in *error, when the server could not be started.
    bool start(QString* error);

    quint16 port() const { return port_; }
    QString uploadFolder() const { return root_.path() + "/upload"; }
    // The upload directory as the client changes to it, and the one user the server knows.
    QByteArray hostDir() const { return "upload"; }
    virtual QByteArray userName() const { return "vantor"; }
    virtual QByteArray password() const { return "rogue-spear"; }
    // The certificate's SHA-256 fingerprint as the client shows it.
    QByteArray fingerprint() const { return fingerprint_; }
    QString certificateFile() const { return path("cert.pem"); }
    QString log();

protected:
    TlsFtpServer() = default;
    QString path(const QString& name) const { return root_.path() + "/" + name; }
    // Writes what the server needs and starts it on the port.
    virtual bool launch(QProcess& process, quint16 port, QString* error) = 0;

private:
    bool makeCertificate(QString* error);
    void stop();

    QTemporaryDir root_;
    QProcess process_;
    quint16 port_ = 0;
    QByteArray fingerprint_;
};

// vsftpd with anonymous uploads, held to TLS 1.2 (its TLS 1.3 breaks uploads) and requiring
// the data connection to resume the control connection's TLS session.
class VsftpdServer : public TlsFtpServer {
public:
    // Empty when vsftpd is not installed.
    static QString program();
    QByteArray userName() const override { return "anonymous"; }
    QByteArray password() const override { return "vantor@example.org"; }

protected:
    bool launch(QProcess& process, quint16 port, QString* error) override;
};

// ProFTPD with mod_tls, one user (the server runs as root and chroots the user).
class ProftpdServer : public TlsFtpServer {
public:
    // Empty when ProFTPD and its TLS module are neither unpacked by scripts/setup.sh nor
    // installed.
    static QString program();

protected:
    bool launch(QProcess& process, quint16 port, QString* error) override;
};

// Pure-FTPd with TLS, one virtual user.
class PureFtpdServer : public TlsFtpServer {
public:
    // Empty when Pure-FTPd is neither unpacked by scripts/setup.sh nor installed.
    static QString program();

protected:
    bool launch(QProcess& process, quint16 port, QString* error) override;
};

// pyftpdlib's TLS handler (TLS 1.3 where the system offers it), one user.
class PyftpdlibTlsServer : public TlsFtpServer {
protected:
    bool launch(QProcess& process, quint16 port, QString* error) override;
};

} // namespace vantor::test
