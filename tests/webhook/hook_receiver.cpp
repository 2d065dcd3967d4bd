#include "tests/webhook/hook_receiver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

namespace vantor::test {

namespace {

QByteArray response(int status, const QByteArray& phrase, const QByteArray& headers = {},
                    const QByteArray& body = {}) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + phrase + "\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

QString lengthProblem(const QJsonObject& o, const char* key, int limit) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (!v.isString())
        return QStringLiteral("%1 is no text").arg(key);
    if (v.toString().size() > limit)
        return QStringLiteral("%1 is longer than %2").arg(key).arg(limit);
    return {};
}

} // namespace

HookReceiver::HookReceiver(bool https) : https_(https) {}
HookReceiver::~HookReceiver() = default;

bool HookReceiver::start(QString* error) {
    if (https_) {
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-days", "2", "-subj", "/CN=localhost", "-addext",
                       "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout",
                       dir_.filePath("key.pem"), "-out", dir_.filePath("cert.pem")});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            *error = QStringLiteral("openssl: ") + QString::fromLocal8Bit(openssl.readAll());
            return false;
        }
        const auto certs = QSslCertificate::fromPath(dir_.filePath("cert.pem"));
        QFile keyFile(dir_.filePath("key.pem"));
        if (certs.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("openssl made no readable certificate");
            return false;
        }
        certificate_ = certs.first();
        auto server = std::make_unique<QSslServer>();
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(certificate_);
        tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        server->setSslConfiguration(tls);
        server_ = std::move(server);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, server_.get(), [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection())
            serve(socket);
    });
    if (!server_->listen(QHostAddress::LocalHost, 0)) {
        *error = server_->errorString();
        return false;
    }
    return true;
}

QString HookReceiver::url(const QByteArray& path) const {
    return QStringLiteral("%1://127.0.0.1:%2/api/webhooks/123/SECRET-TOKEN%3")
        .arg(https_ ? "https" : "http")
        .arg(server_->serverPort())
        .arg(QString::fromLatin1(path));
}

QList<HookReceiver::Request> HookReceiver::requestsTo(const QByteArray& path) const {
    QList<Request> list;
    for (const Request& r : requests_)
        if (r.path.endsWith(path))
            list << r;
    return list;
}

HookReceiver::Answer HookReceiver::answer(const Request& request) const {
    const QByteArray& p = request.path;
    const auto is = [&](const char* name) { return p.endsWith(QByteArray(name)); };
    if (is("/ok"))
        return {response(204, "No Content")};
    if (is("/slow"))
        return {response(204, "No Content"), 200};
    if (is("/rate"))
        return {requestsTo("/rate").size() > 1
                    ? response(204, "No Content")
                    : response(429, "Too Many Requests", "Retry-After: 0.3\r\n",
                               R"({"message":"You are being rate limited.","retry_after":0.3})")};
    if (is("/rate-long"))
        return {response(429, "Too Many Requests", "Retry-After: 3600\r\n")};
    if (is("/fail"))
        return {response(500, "Internal Server Error", {}, "down for SECRET-TOKEN maintenance")};
    if (is("/gone"))
        return {response(404, "Not Found", {}, R"({"message":"Unknown Webhook","code":10015})")};
    if (is("/loop"))
        return {response(302, "Found", "Location: " + p + "\r\n")};
    if (is("/to-http"))
        return {response(302, "Found", "Location: http://hooks.example.org/SECRET-TOKEN\r\n")};
    if (is("/huge"))
        return {response(200, "OK", {}, QByteArray(4 << 20, 'x'))};
    if (is("/silent"))
        return {{}, 0, true};
    return {response(404, "Not Found")};
}

void HookReceiver::serve(QTcpSocket* socket) {
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
        *buffer += socket->readAll();
        const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        Request request;
        qint64 length = 0;
        const QList<QByteArray> lines = buffer->left(headEnd).split('\n');
        request.path = lines.value(0).split(' ').value(1);
        for (const QByteArray& line : lines) {
            const qsizetype colon = line.indexOf(':');
            const QByteArray name = line.left(colon).trimmed().toLower();
            if (name == "content-length")
                length = line.mid(colon + 1).trimmed().toLongLong();
            else if (name == "content-type")
                request.contentType = line.mid(colon + 1).trimmed();
        }
        if (buffer->size() < headEnd + 4 + length)
            return;
        request.body = buffer->mid(headEnd + 4, length);
        buffer->clear();
        requests_ << request;
        mostAtOnce_ = std::max(mostAtOnce_, ++open_);
        const Answer a = answer(request);
        if (a.silent)
            return;
        QTimer::singleShot(a.delayMs, socket, [this, socket, bytes = a.bytes] {
            --open_;
            socket->write(bytes);
            socket->disconnectFromHost();
        });
    });
}

QString HookReceiver::discordProblem(const QByteArray& body) {
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (!doc.isObject())
        return QStringLiteral("no JSON object");
    const QJsonObject m = doc.object();
    if (!m.contains("content") && !m.contains("embeds"))
        return QStringLiteral("neither content nor embeds");
    for (const QString& p : {lengthProblem(m, "content", 2000), lengthProblem(m, "username", 80)})
        if (!p.isEmpty())
            return p;
    if (m.value("allowed_mentions").toObject().value("parse") != QJsonArray())
        return QStringLiteral("mentions are not switched off");
    const QJsonArray embeds = m.value("embeds").toArray();
    if (embeds.size() > 10)
        return QStringLiteral("more than 10 embeds");
    qsizetype total = 0;
    for (const QJsonValue& e : embeds) {
        const QJsonObject embed = e.toObject();
        for (const QString& p :
             {lengthProblem(embed, "title", 256), lengthProblem(embed, "description", 4096)})
            if (!p.isEmpty())
                return p;
        if (embed.contains("color") && !embed.value("color").isDouble())
            return QStringLiteral("color is no number");
        if (embed.contains("url") && !embed.value("url").toString().startsWith("http"))
            return QStringLiteral("url is no web address");
        if (embed.contains("timestamp") &&
            !QDateTime::fromString(embed.value("timestamp").toString(), Qt::ISODate).isValid())
            return QStringLiteral("timestamp is not ISO 8601");
        const QJsonArray fields = embed.value("fields").toArray();
        if (fields.size() > 25)
            return QStringLiteral("more than 25 fields");
        total +=
            embed.value("title").toString().size() + embed.value("description").toString().size();
        for (const QJsonValue& f : fields) {
            const QJsonObject field = f.toObject();
            if (!field.value("name").isString() || !field.value("value").isString())
                return QStringLiteral("a field without name or value");
            for (const QString& p :
                 {lengthProblem(field, "name", 256), lengthProblem(field, "value", 1024)})
                if (!p.isEmpty())
                    return p;
            total += field.value("name").toString().size() + field.value("value").toString().size();
        }
    }
    if (total > 6000)
        return QStringLiteral("embeds longer than 6000 characters in all");
    return {};
}

} // namespace vantor::test
