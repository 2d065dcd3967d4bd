#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace vantor::test {

// A scripted FTP server on 127.0.0.1, on the test's own event loop. It answers each command
// from a table (a sensible default for every verb), follows PORT to connect for STOR or
// listens after EPSV and PASV, keeps what it receives, and says 226 when the client closes
// the data connection.
class FakeFtpServer : public QObject {
    Q_OBJECT
public:
    FakeFtpServer();
    quint16 port() const { return server_.serverPort(); }
    QByteArray portText() const { return QByteArray::number(port()); }

    // The script.
    QByteArray lineEnd = "\r\n";
    QList<QByteArray> greeting = {"220 Fake server ready"}; // empty: say nothing at all
    QMap<QByteArray, QList<QByteArray>> replies;            // verb -> reply lines
    QByteArray storFinal = "226 Transfer complete";
    QByteArray dropOn;        // verb answered by closing the control connection
    qint64 cutDataAfter = -1; // reset the data connection once this much has arrived
    qint64 pauseEvery = 0;    // stop reading data for pauseMs after each pauseEvery bytes
    int pauseMs = 0;
    int pauseCount = 0;
    QByteArray pasvAddress = "127,0,0,1"; // the address the PASV reply names
    // Another host that connects to the PORT address before the server does, and keeps
    // whatever it is sent.
    bool intruderAfterPort = false;

    // What happened.
    QList<QByteArray> commands;
    QByteArray stored;
    int controlConnections = 0;
    int dataConnections = 0;
    QHostAddress portAddress;
    quint16 portNumber = 0;
    int passiveConnections = 0;
    QByteArray intruderReceived;
    bool intruderConnected = false;

    bool controlOpen() const {
        return control_ && control_->state() != QAbstractSocket::UnconnectedState;
    }

private:
    void onNewConnection();
    void onCommand(const QByteArray& line);
    void send(const QList<QByteArray>& lines);
    void connectData();
    void intrude();
    void listenPassive(const QByteArray& verb);
    void attachData(QTcpSocket* d);
    void readData();

    QTcpServer server_;
    QTcpServer passive_;
    QPointer<QTcpSocket> control_;
    QPointer<QTcpSocket> data_;
    qint64 nextPauseAt_ = 0;
    bool paused_ = false;
};

} // namespace vantor::test
