#include "ftp/ftp_socket.h"

#include "common/cp1252.h"
#include "ftp/socket_errors.h"

#include <QHostInfo>
#include <QSocketNotifier>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantor {

namespace {

// The largest TLS record's plain text.
constexpr qint64 kTlsRecordSize = 16384;
constexpr qint64 kPlainGatherSize = 65536;

void setLinger(qintptr fd, bool on, int seconds) {
    linger l{};
    l.l_onoff = on ? 1 : 0;
    l.l_linger = seconds;
    ::setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

// A listener whose incoming connections can be put under TLS later.
class SecureServer : public QTcpServer {
public:
    explicit SecureServer(QObject* parent) : QTcpServer(parent) {}

protected:
    void incomingConnection(qintptr fd) override {
        auto* socket = new QSslSocket(this);
        if (socket->setSocketDescriptor(fd))
            addPendingConnection(socket);
        else
            delete socket;
    }
};

} // namespace

FtpSocket::FtpSocket(QObject* parent) : QObject(parent) {}

FtpSocket::~FtpSocket() {
    abort();
}

template <typename F> void FtpSocket::post(F f) {
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, f] {
            if (generation == generation_)
                f();
        },
        Qt::QueuedConnection);
}

void FtpSocket::dnsLookup(const QByteArray& hostName) {
    abort();
    dnsResult_.clear();
    lookupId_ = QHostInfo::lookupHost(fromCp1252(hostName), this, [this](const QHostInfo& info) {
        lookupId_ = -1;
        int error = winsockErrorFromLookup(info.error());
        if (error == 0) {
            // The data connection's PORT command can only name an IPv4 address.
            for (const QHostAddress& a : info.addresses()) {
                if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                    dnsResult_ = a;
                    break;
                }
            }
            if (dnsResult_.isNull())
                error = WSANO_DATA;
        }
        emit dnsLookupDone(error);
    });
}

void FtpSocket::cancelDnsLookup() {
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
}

void FtpSocket::connectTo(const QHostAddress& address, quint16 port) {
    abort();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        const int error = winsockErrorFromErrno(errno);
        post([this, error] { emit sessionConnected(error); });
        return;
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address.toIPv4Address());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) {
        finishConnect(fd);
        return;
    }
    if (errno != EINPROGRESS && errno != EINTR) {
        const int error = winsockErrorFromErrno(errno);
        ::close(fd);
        post([this, error] { emit sessionConnected(error); });
        return;
    }
    // The outcome is known when the socket turns writable; SO_ERROR then tells the errno.
    connectFd_ = fd;
    connectNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(connectNotifier_, &QSocketNotifier::activated, this, &FtpSocket::onConnectReady);
}

void FtpSocket::onConnectReady() {
    connectNotifier_->setEnabled(false);
    connectNotifier_->deleteLater();
    connectNotifier_ = nullptr;
    const int fd = connectFd_;
    connectFd_ = -1;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        emit sessionConnected(winsockErrorFromErrno(err));
        return;
    }
    finishConnect(fd);
}

QTcpSocket* FtpSocket::newSocket() {
    if (secure_)
        return new QSslSocket(this);
    return new QTcpSocket(this);
}

void FtpSocket::finishConnect(int fd) {
    QTcpSocket* socket = newSocket();
    if (!socket->setSocketDescriptor(fd, QAbstractSocket::ConnectedState)) {
        const int error = winsockErrorFromQt(socket->error());
        ::close(fd);
        delete socket;
        post([this, error] { emit sessionConnected(error); });
        return;
    }
    adopt(socket);
    post([this] { emit sessionConnected(0); });
}

void FtpSocket::adopt(QTcpSocket* socket) {
    socket_ = socket;
    socket_->setParent(this);
    ssl_ = qobject_cast<QSslSocket*>(socket);
    handshaking_ = false;
    leftover_.clear();
    closingError_ = 0;
    closing_ = false;
    closedSignalled_ = false;
    connect(socket_, &QTcpSocket::readyRead, this, [this] { emit dataAvailable(0); });
    connect(socket_, &QTcpSocket::bytesWritten, this, &FtpSocket::onBytesWritten);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // A peer that closes is an orderly end, unless it leaves data of ours unsent.
        errorText_ = socket_->errorString();
        if (e == QAbstractSocket::RemoteHostClosedError)
            closingError_ = pendingBytes() > 0 ? WSAECONNRESET : 0;
        else
            closingError_ = winsockErrorFromQt(e);
        if (handshaking_) {
            handshaking_ = false;
            const int error = closingError_ != 0 ? closingError_ : WSAECONNABORTED;
            post([this, error] { emit sessionEncrypted(error); });
        }
    });
    if (ssl_) {
        connect(ssl_, &QSslSocket::encryptedBytesWritten, this, &FtpSocket::onBytesWritten);
        connect(ssl_, &QSslSocket::sslErrors, this, &FtpSocket::onSslErrors);
        connect(ssl_, &QSslSocket::encrypted, this, [this] {
            handshaking_ = false;
            post([this] { emit sessionEncrypted(0); });
        });
    }
    connect(socket_, &QTcpSocket::disconnected, this, &FtpSocket::onDisconnected);
}

qint64 FtpSocket::pendingBytes() const {
    if (!socket_)
        return 0;
    // Under TLS what was written waits first as plain text, then encrypted.
    return socket_->bytesToWrite() + (ssl_ ? ssl_->encryptedBytesToWrite() : 0);
}

void FtpSocket::onBytesWritten() {
    if (!inSend_ && socket_ && pendingBytes() == 0)
        emit dataSent(0);
}

void FtpSocket::startClientTls(const QSslConfiguration& configuration, const QString& peerName,
                               PeerCheck check) {
    if (!ssl_ || !isConnected()) {
        post([this] { emit sessionEncrypted(WSAENOTCONN); });
        return;
    }
    peerCheck_ = std::move(check);
    ssl_->setSslConfiguration(configuration);
    ssl_->setPeerVerifyName(peerName);
    handshaking_ = true;
    ssl_->startClientEncryption();
}

void FtpSocket::onSslErrors(const QList<QSslError>& errors) {
    // Left unanswered, the handshake fails and the connection is dropped.
    if (peerCheck_ && peerCheck_(ssl_->peerCertificate(), errors))
        ssl_->ignoreSslErrors();
}

bool FtpSocket::isEncrypted() const {
    return ssl_ && ssl_->isEncrypted();
}

QSslConfiguration FtpSocket::sslConfiguration() const {
    return ssl_ ? ssl_->sslConfiguration() : QSslConfiguration();
}

void FtpSocket::onDisconnected() {
    if (closedSignalled_ || !socket_)
        return;
    closedSignalled_ = true;
    // Everything went out with Qt's close: now the end of our data, the reading side kept.
    if (halfClosedFd_ >= 0)
        ::shutdown(halfClosedFd_, SHUT_WR);
    if (socket_->isReadable())
        leftover_ += socket_->readAll();
    const int error = closingError_;
    post([this, error] { emit sessionClosed(error); });
}

quint16 FtpSocket::listen(const QHostAddress& address, quint16 port, int lingerSeconds) {
    abort();
    server_ = secure_ ? new SecureServer(this) : new QTcpServer(this);
    if (!server_->listen(address, port)) {
        const int error = winsockErrorFromQt(server_->serverError());
        delete server_;
        server_ = nullptr;
        throw SocketException("listen: " + WSocketErrorText(error));
    }
    setLinger(server_->socketDescriptor(), true, lingerSeconds);
    connect(server_, &QTcpServer::newConnection, this, [this] { emit sessionAvailable(0); });
    connect(server_, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError e) {
        emit sessionAvailable(winsockErrorFromQt(e));
    });
    return server_->serverPort();
}

bool FtpSocket::accept(const QHostAddress& peer) {
    QTcpSocket* socket = nullptr;
    while (server_ && !socket) {
        socket = server_->nextPendingConnection();
        if (!socket)
            return false;
        if (socket->peerAddress().toIPv4Address() != peer.toIPv4Address()) {
            socket->abort();
            socket->deleteLater();
            socket = nullptr;
        }
    }
    if (!socket)
        return false;
    // The connection is a child of the server until adopted: keep it when the server goes.
    socket->setParent(this);
    server_->disconnect(this);
    server_->close();
    server_->deleteLater();
    server_ = nullptr;
    setLinger(socket->socketDescriptor(), false, 0);
    adopt(socket);
    return true;
}

qint64 FtpSocket::send(const char* data, qint64 size, bool* atOnce) {
    if (atOnce)
        *atOnce = false;
    if (!isConnected())
        return -1;
    const qint64 written = socket_->write(data, size);
    // Blocks are gathered before they go to the system: under TLS into full records before
    // they are encrypted (a record per block would cost the peer as much again), in the clear
    // into larger writes (a system call per block was most of an upload's CPU time). What is
    // gathered counts as taken; the socket sends it on its own at the next turn of the event
    // loop, or at close. The bytes on the wire are the same.
    const bool encrypted = ssl_ && ssl_->isEncrypted();
    if (gathering_ && (!ssl_ || encrypted) &&
        socket_->bytesToWrite() < (encrypted ? kTlsRecordSize : kPlainGatherSize)) {
        if (atOnce)
            *atOnce = true;
        return written;
    }
    // Hand it to the system now rather than at the next writable notice, which would cost a
    // trip through the event loop for every block.
    inSend_ = true;
    socket_->flush();
    inSend_ = false;
    // A connection lost on the way is reported by sessionClosed, with its error.
    if (atOnce && isConnected() && pendingBytes() == 0)
        *atOnce = true;
    return written;
}

void FtpSocket::postDataSent() {
    post([this] { emit dataSent(0); });
}

qint64 FtpSocket::receive(char* data, qint64 maxSize) {
    if (!leftover_.isEmpty()) {
        const qint64 n = std::min<qint64>(maxSize, leftover_.size());
        memcpy(data, leftover_.constData(), n);
        leftover_.remove(0, n);
        return n;
    }
    if (!socket_ || socket_->bytesAvailable() <= 0)
        return 0;
    return std::max<qint64>(0, socket_->read(data, maxSize));
}

bool FtpSocket::isConnected() const {
    return socket_ && !closing_ && !closedSignalled_ &&
           socket_->state() == QAbstractSocket::ConnectedState;
}

bool FtpSocket::isListening() const {
    return server_ && server_->isListening();
}

QHostAddress FtpSocket::localAddress() const {
    return socket_ ? socket_->localAddress() : QHostAddress();
}

QHostAddress FtpSocket::peerAddress() const {
    return socket_ ? socket_->peerAddress() : QHostAddress();
}

quint16 FtpSocket::localPort() const {
    if (server_)
        return server_->serverPort();
    return socket_ ? socket_->localPort() : 0;
}

void FtpSocket::close() {
    cancelDnsLookup();
    if (connectNotifier_ || connectFd_ >= 0 || server_) {
        abort();
        return;
    }
    if (!socket_ || closing_ || closedSignalled_)
        return;
    closing_ = true;
    if (ssl_ && ssl_->isEncrypted()) {
        ssl_->flush(); // what send() gathered
        if (halfClosedFd_ < 0)
            halfClosedFd_ = ::fcntl(static_cast<int>(ssl_->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    }
    socket_->disconnectFromHost();
    // An unconnected socket reports nothing more: end it here.
    if (socket_->state() == QAbstractSocket::UnconnectedState)
        onDisconnected();
}

void FtpSocket::abort() {
    ++generation_;
    cancelDnsLookup();
    if (connectNotifier_) {
        connectNotifier_->setEnabled(false);
        connectNotifier_->deleteLater();
        connectNotifier_ = nullptr;
    }
    if (connectFd_ >= 0) {
        ::close(connectFd_);
        connectFd_ = -1;
    }
    if (server_) {
        server_->disconnect(this);
        server_->close();
        server_->deleteLater();
        server_ = nullptr;
    }
    dropSocket();
    leftover_.clear();
    if (halfClosedFd_ >= 0) {
        ::close(halfClosedFd_);
        halfClosedFd_ = -1;
    }
}

void FtpSocket::dropSocket() {
    if (!socket_)
        return;
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
    ssl_ = nullptr;
    handshaking_ = false;
    peerCheck_ = nullptr;
    closing_ = false;
    closedSignalled_ = false;
}

quint16 FtpSocket::resolvePort(const QByteArray& port) {
    const QByteArray name = port.trimmed();
    bool isNumber = false;
    const uint number = name.toUInt(&isNumber);
    if (isNumber) {
        if (number == 0 || number > 65535)
            throw SocketException("Invalid port number '" + port + "'");
        return static_cast<quint16>(number);
    }
    if (!name.isEmpty()) {
        servent result{};
        servent* found = nullptr;
        char buffer[1024];
        if (::getservbyname_r(name.constData(), "tcp", &result, buffer, sizeof buffer, &found) ==
                0 &&
            found)
            return ntohs(static_cast<quint16>(found->s_port));
        // A system without a services database still knows the FTP port.
        if (name.compare("ftp", Qt::CaseInsensitive) == 0)
            return 21;
    }
    throw SocketException("Can't resolve port for service '" + port + "'");
}

} // namespace vantor
