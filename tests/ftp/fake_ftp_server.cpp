#include "tests/ftp/fake_ftp_server.h"

#include <QTimer>

namespace vantor::test {

namespace {

QList<QByteArray> defaultReply(const QByteArray& verb) {
    if (verb == "USER")
        return {"331 Password required"};
    if (verb == "PASS")
        return {"230 Logged in"};
    if (verb == "CWD")
        return {"250 Directory changed"};
    if (verb == "TYPE")
        return {"200 Type set"};
    if (verb == "PORT")
        return {"200 Port command successful"};
    if (verb == "STOR")
        return {"150 Opening data connection"};
    if (verb == "QUIT")
        return {"221 Goodbye"};
    return {"502 Command not implemented"};
}

} // namespace

FakeFtpServer::FakeFtpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &FakeFtpServer::onNewConnection);
}

void FakeFtpServer::onNewConnection() {
    while (QTcpSocket* s = server_.nextPendingConnection()) {
        ++controlConnections;
        control_ = s;
        // Replies go out at once, not held back for the client's delayed acknowledgement.
        s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            while (s->canReadLine()) {
                QByteArray line = s->readLine();
                while (line.endsWith('\n') || line.endsWith('\r'))
                    line.chop(1);
                onCommand(line);
            }
        });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        send(greeting);
    }
}

void FakeFtpServer::send(const QList<QByteArray>& lines) {
    for (const QByteArray& l : lines)
        control_->write(l + lineEnd);
}

void FakeFtpServer::onCommand(const QByteArray& line) {
    commands << line;
    const QByteArray verb = line.split(' ').first().toUpper();
    if (verb == dropOn) {
        control_->disconnectFromHost();
        return;
    }
    if ((verb == "EPSV" || verb == "PASV") && !replies.contains(verb)) {
        listenPassive(verb);
        return;
    }
    const QList<QByteArray> reply = replies.value(verb, defaultReply(verb));
    if (verb == "PORT") {
        const QList<QByteArray> n = line.mid(5).split(',');
        if (n.size() == 6) {
            portAddress =
                QHostAddress(QString::fromLatin1(n[0] + "." + n[1] + "." + n[2] + "." + n[3]));
            portNumber = quint16(n[4].toInt() * 256 + n[5].toInt());
        }
    }
    send(reply);
    if (verb == "PORT" && intruderAfterPort)
        intrude();
    if (verb == "STOR" && !reply.isEmpty() && reply.last().startsWith('1') && !data_)
        connectData();
    if (verb == "QUIT")
        control_->disconnectFromHost();
}

void FakeFtpServer::listenPassive(const QByteArray& verb) {
    passive_.close();
    passive_.disconnect(this);
    passive_.listen(QHostAddress::LocalHost, 0);
    connect(&passive_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = passive_.nextPendingConnection()) {
            ++passiveConnections;
            s->setParent(this);
            attachData(s);
        }
    });
    const quint16 p = passive_.serverPort();
    if (verb == "EPSV")
        send({"229 Entering Extended Passive Mode (|||" + QByteArray::number(p) + "|)"});
    else
        send({"227 Entering Passive Mode (" + pasvAddress + "," + QByteArray::number(p / 256) +
              "," + QByteArray::number(p % 256) + ")."});
}

void FakeFtpServer::connectData() {
    ++dataConnections;
    auto* d = new QTcpSocket(this);
    attachData(d);
    d->connectToHost(portAddress, portNumber);
}

void FakeFtpServer::intrude() {
    auto* s = new QTcpSocket(this);
    s->bind(QHostAddress(QStringLiteral("127.0.0.2")));
    connect(s, &QTcpSocket::connected, this, [this] { intruderConnected = true; });
    connect(s, &QTcpSocket::readyRead, this, [this, s] { intruderReceived += s->readAll(); });
    s->connectToHost(portAddress, portNumber);
    // Its connection is waiting before the server's own one is made.
    s->waitForConnected(2000);
}

void FakeFtpServer::attachData(QTcpSocket* d) {
    data_ = d;
    data_->setReadBufferSize(64 * 1024);
    nextPauseAt_ = pauseEvery;
    connect(d, &QTcpSocket::readyRead, this, &FakeFtpServer::readData);
    connect(d, &QTcpSocket::disconnected, this, [this, d] {
        stored += d->readAll();
        if (control_)
            send({storFinal});
        d->deleteLater();
        if (data_ == d)
            data_ = nullptr;
    });
}

void FakeFtpServer::readData() {
    if (!data_ || paused_)
        return;
    stored += data_->readAll();
    if (cutDataAfter >= 0 && stored.size() >= cutDataAfter) {
        QTcpSocket* d = data_;
        data_ = nullptr;
        d->disconnect(this);
        d->abort();
        d->deleteLater();
        send({"426 Connection closed; transfer aborted"});
        return;
    }
    if (pauseEvery > 0 && pauseCount > 0 && stored.size() >= nextPauseAt_) {
        --pauseCount;
        nextPauseAt_ = stored.size() + pauseEvery;
        paused_ = true;
        QTimer::singleShot(pauseMs, this, [this] {
            paused_ = false;
            readData();
        });
    }
}

} // namespace vantor::test
