#pragma once

#include "common/timing.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <deque>
#include <functional>
#include <map>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace vantor::webhook {

// How one message went.
struct PostResult {
    bool delivered = false;
    int httpStatus = 0; // of the last answer; 0 when none came
    int attempts = 0;
    // Empty when delivered; else why not, the URL masked.
    QString problem;
};

// The bounds of every POST. Tests shorten the waits; the programs keep the defaults.
struct PostPolicy {
    int timeoutMs = kWebhookTimeoutMs;
    int attempts = kWebhookAttempts;
    int backoffMs = kWebhookBackoffMs;
    int longestRetryAfterMs = kWebhookLongestRetryAfterMs;
    int redirects = 5;
    qint64 answerBytes = 64 * 1024;
    // Messages waiting for one URL; more are refused rather than piled up behind a dead hook.
    int queuedPerUrl = 16;
    // Trusted besides the system's certificates (a test's own).
    QList<QSslCertificate> extraCertificates;
};

// Sends JSON messages by HTTPS POST, on the event loop: never blocks its caller. One request
// at a time per URL, the others queued in order; each attempt bounded in time and answer size;
// redirects followed a few times (each hop held to the same rule as the URL); failures tried
// again after a doubling wait, a 429's "Retry-After" honoured.
class Poster : public QObject {
    Q_OBJECT
public:
    explicit Poster(PostPolicy policy = {}, QObject* parent = nullptr);
    ~Poster() override;

    using Done = std::function<void(const PostResult&)>;
    // done is called once, from the event loop, also for a URL refused at once.
    void post(const QString& url, const QByteArray& json, Done done);
    // No message waiting or under way.
    bool idle() const { return queues_.empty(); }

private:
    struct Message {
        QUrl url; // the current hop
        QByteArray json;
        Done done;
        int attempts = 0;
        int redirects = 0;
        QByteArray answer;
    };
    struct Queue {
        std::deque<Message> waiting; // front: under way
        QNetworkReply* reply = nullptr;
        QTimer* timer = nullptr;
        QString abortReason;
    };

    void startFront(const QString& key);
    void attempt(const QString& key);
    void answered(const QString& key);
    void retryLater(const QString& key, int waitMs, PostResult result);
    void finish(const QString& key, PostResult result);

    PostPolicy policy_;
    QNetworkAccessManager* network_;
    std::map<QString, Queue> queues_;
};

// Posts json to every URL and waits (events running) until all are answered. The results in
// the order of urls. For the command line's test and for tests.
QList<PostResult> postAndWait(Poster& poster, const QStringList& urls, const QByteArray& json);

} // namespace vantor::webhook
