#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>
#include <QSslError>
#include <functional>
#include <stdexcept>

class QSocketNotifier;
class QSslSocket;
class QTcpServer;
class QTcpSocket;

namespace vantor {

// A failure of a socket call raised to the caller; kind() names it in messages.
class SocketException : public std::runtime_error {
public:
    explicit SocketException(const QByteArray& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    static QByteArray kind() { return "SocketException"; }
    const QByteArray& text() const { return text_; }

private:
    QByteArray text_;
};

// An asynchronous TCP socket on the calling thread's event loop. Every operation returns at
// once; its outcome arrives as a signal carrying a Windows Sockets error number (0 = none).
// One object is, in turn, a name lookup, a connecting or connected socket, or a listener that
// becomes the accepted connection.
class FtpSocket : public QObject {
    Q_OBJECT
public:
    explicit FtpSocket(QObject* parent = nullptr);
    ~FtpSocket() override;

    // Decides on a certificate that failed the system's checks: true lets the handshake go on.
    using PeerCheck = std::function<bool(const QSslCertificate&, const QList<QSslError>&)>;

    // With secure on, the connections made or accepted from now on can be put under TLS.
    void setSecure(bool secure) { secure_ = secure; }
    // For bulk data only: what is gathered goes out later, after what other connections send
    // meanwhile (a command must never trail the data it announces).
    void setGathering(bool gathering) { gathering_ = gathering; }
    // Starts the TLS handshake as the client on the established connection; sessionEncrypted
    // follows. peerName is the name the certificate must carry.
    void startClientTls(const QSslConfiguration& configuration, const QString& peerName,
                        PeerCheck check);
    bool isEncrypted() const;
    // The connection's TLS state: its peer's certificate and, once the server has given
    // one, the session to resume on another connection.
    QSslConfiguration sslConfiguration() const;
    // The system's text for the connection's last error.
    QString errorText() const { return errorText_; }

    // Resolves a host name to an IPv4 address; dnsLookupDone follows.
    void dnsLookup(const QByteArray& hostName);
    void cancelDnsLookup();
    QHostAddress dnsResult() const { return dnsResult_; }

    // Connects to an IPv4 address; sessionConnected follows.
    void connectTo(const QHostAddress& address, quint16 port);

    // Listens on the address and port (0: the system chooses), with SO_LINGER on for the
    // given seconds; returns the port listened on. Throws SocketException.
    quint16 listen(const QHostAddress& address, quint16 port, int lingerSeconds);
    // Takes the waiting incoming connection from peer in place of the listener, which is
    // closed; the connection has lingering off. Connections from any other address are
    // dropped and the listener waits on. False when no connection from peer is waiting.
    bool accept(const QHostAddress& peer);

    // Hands a block to the connection; dataSent follows once all of it is with the system.
    // When the system takes all of it during the call, *atOnce is set and no dataSent
    // follows: the caller goes on at once, or asks for the notice with postDataSent. Under TLS,
    // with gathering on, blocks are gathered up to one full record, and a gathered block
    // counts as taken.
    qint64 send(const char* data, qint64 size, bool* atOnce = nullptr);
    void postDataSent();
    // Whatever has arrived, up to maxSize bytes; 0 when nothing is waiting.
    qint64 receive(char* data, qint64 maxSize);

    bool isConnected() const;
    bool isListening() const;
    QHostAddress localAddress() const;
    QHostAddress peerAddress() const;
    quint16 localPort() const;

    // Ends the connection gracefully, after what is still to be sent; sessionClosed follows
    // (only for a connection that was established). Ends a lookup or a listener silently.
    // A TLS connection is only shut for sending until abort: a peer that answers our
    // close_notify must not meet a reset that throws away what it has not read yet.
    void close();
    // Drops everything at once; no signal follows for what was under way.
    void abort();

    // Looks up a port: a decimal number or a TCP service name. Throws SocketException.
    static quint16 resolvePort(const QByteArray& port);

signals:
    void dnsLookupDone(int error);
    void sessionConnected(int error);
    void dataAvailable(int error);
    void dataSent(int error);
    void sessionAvailable(int error);
    void sessionClosed(int error);
    void sessionEncrypted(int error);

private:
    void onConnectReady();
    void finishConnect(int fd);
    void adopt(QTcpSocket* socket);
    QTcpSocket* newSocket();
    void onSslErrors(const QList<QSslError>& errors);
    qint64 pendingBytes() const;
    void onBytesWritten();
    void onDisconnected();
    // Delivers a signal from the event loop, unless the socket moved on meanwhile.
    template <typename F> void post(F f);
    void dropSocket();

    unsigned generation_ = 0;
    int lookupId_ = -1;
    QHostAddress dnsResult_;
    int connectFd_ = -1;
    QSocketNotifier* connectNotifier_ = nullptr;
    QTcpServer* server_ = nullptr;
    QTcpSocket* socket_ = nullptr;
    QSslSocket* ssl_ = nullptr; // socket_ when it can speak TLS
    bool secure_ = false;
    bool gathering_ = false;
    bool handshaking_ = false;
    PeerCheck peerCheck_;
    QString errorText_;
    // A TLS connection we closed stays open for reading until it is dropped.
    int halfClosedFd_ = -1;
    QByteArray leftover_; // received but unread when the connection closed
    int closingError_ = 0;
    bool closing_ = false;
    bool closedSignalled_ = false;
    bool inSend_ = false;
};

} // namespace vantor
