#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vantor::test {

// A real FTP server (Debian's python3-pyftpdlib) on 127.0.0.1, on a free port, serving a
// fresh temporary folder with write access for one user. Stopped when this object goes.
class LocalFtpServer {
public:
    LocalFtpServer() = default;
    ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    // False, with the reason in *error, when the server could not be started.
    bool start(QString* error);

    // The server goes away, and comes back on the same port and folder.
    void takeDown() { stop(); }
    bool bringBack(QString* error) { return startOn(port_, error); }

    quint16 port() const { return port_; }
    QString root() const { return root_.path(); }
    QByteArray userName() const { return "vantor"; }
    QByteArray password() const { return "rogue-spear"; }

private:
    bool startOn(quint16 port, QString* error);
    void stop();

    QTemporaryDir root_;
    QProcess process_;
    quint16 port_ = 0;
};

} // namespace vantor::test
