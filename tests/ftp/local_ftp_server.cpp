#include "tests/ftp/local_ftp_server.h"

#include "tests/support/stop_process.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace vantor::test {

namespace {

const char* const kPython = "/usr/bin/python3";

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

LocalFtpServer::~LocalFtpServer() {
    stop();
}

bool LocalFtpServer::start(QString* error) {
    if (!QFileInfo::exists(kPython)) {
        *error = QStringLiteral("%1 is missing (install python3-pyftpdlib)").arg(kPython);
        return false;
    }
    if (!root_.isValid()) {
        *error = QStringLiteral("cannot make a temporary folder");
        return false;
    }
    // The port may be taken between probing and listening: try a few.
    for (int attempt = 0; attempt < 5; ++attempt)
        if (startOn(freePort(), error))
            return true;
    return false;
}

bool LocalFtpServer::startOn(quint16 port, QString* error) {
    stop();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(kPython, {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", QString::number(port),
                             "-w", "-d", root(), "-u", QString::fromLatin1(userName()), "-P",
                             QString::fromLatin1(password())});
    if (!process_.waitForStarted(10000)) {
        *error = process_.errorString();
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        if (process_.state() != QProcess::Running) {
            *error = QString::fromLocal8Bit(process_.readAll());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(500)) {
            probe.abort();
            port_ = port;
            return true;
        }
        QThread::msleep(50);
    }
    *error = QStringLiteral("the FTP server did not start listening: ") +
             QString::fromLocal8Bit(process_.readAll());
    return false;
}

void LocalFtpServer::stop() {
    stopProcess(process_);
}

} // namespace vantor::test
