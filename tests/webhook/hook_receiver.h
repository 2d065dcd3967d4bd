#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace vantor::test {

// A web hook receiver on 127.0.0.1, over HTTPS with a certificate made for it by openssl, or
// plain HTTP. Each request's path picks how it answers (see answer()); every request is kept.
class HookReceiver {
public:
    struct Request {
        QByteArray path;
        QByteArray contentType;
        QByteArray body;
    };
    // The answer to a request: raw HTTP bytes, or nothing for a receiver that stays silent;
    // delayMs holds it back.
    struct Answer {
        QByteArray bytes;
        int delayMs = 0;
        bool silent = false;
    };

    explicit HookReceiver(bool https);
    ~HookReceiver();

    // False, with the reason, when it cannot listen or no certificate can be made.
    bool start(QString* error);
    QString url(const QByteArray& path) const;
    const QSslCertificate& certificate() const { return certificate_; }
    const QList<Request>& requests() const { return requests_; }
    QList<Request> requestsTo(const QByteArray& path) const;
    // The most requests to one path that were open at the same moment.
    int mostAtOnce() const { return mostAtOnce_; }

    // Answers by path: "/ok" 204; "/slow" 204 after 200 ms; "/rate" 429 (Retry-After 0.3)
    // the first time, then 204; "/rate-long" 429 (Retry-After 3600); "/fail" 500 always; "/gone"
    // 404; "/loop" 302 to itself; "/to-http" 302 to a plain http address elsewhere; "/huge" 200
    // with 4 MB; "/silent" never answers.
    Answer answer(const Request& request) const;

    // Why body is no message Discord takes, or empty: content and embeds within Discord's
    // limits, mentions switched off.
    static QString discordProblem(const QByteArray& body);

private:
    void serve(QTcpSocket* socket);

    bool https_;
    QTemporaryDir dir_;
    std::unique_ptr<QTcpServer> server_;
    QSslCertificate certificate_;
    QList<Request> requests_;
    int open_ = 0;
    int mostAtOnce_ = 0;
};

} // namespace vantor::test
