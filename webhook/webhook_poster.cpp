#include "webhook_poster.h"

#include "webhook_address.h"

#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <cmath>
#include <utility>

namespace vantor::webhook {

namespace {

// A server's own words, shortened and stripped of control characters: they end up on a
// terminal and in the status file.
QString serverWords(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes.left(200)).simplified();
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'?';
    return text;
}

// "Retry-After" in milliseconds: seconds (whole or not) or an HTTP date; -1 when neither.
qint64 retryAfterMs(const QByteArray& value) {
    bool number = false;
    const double seconds = value.trimmed().toDouble(&number);
    if (number && seconds >= 0 && std::isfinite(seconds))
        return qint64(std::ceil(std::min(seconds, 1e7) * 1000));
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (!when.isValid())
        return -1;
    return std::max<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(when));
}

} // namespace

Poster::Poster(PostPolicy policy, QObject* parent)
    : QObject(parent), policy_(std::move(policy)), network_(new QNetworkAccessManager(this)) {
    network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

Poster::~Poster() {
    for (auto& [key, queue] : queues_)
        if (queue.reply) {
            queue.reply->disconnect(this);
            queue.reply->abort();
        }
}

void Poster::post(const QString& urlText, const QByteArray& json, Done done) {
    const QString key = urlText.trimmed();
    const QUrl url(key);
    QString refusal = urlProblem(url);
    if (refusal.isEmpty() && queues_.count(key) &&
        int(queues_[key].waiting.size()) >= policy_.queuedPerUrl)
        refusal = QStringLiteral("%1: %2 messages already wait for an answer; this one is dropped.")
                      .arg(maskedUrl(key))
                      .arg(policy_.queuedPerUrl);
    if (!refusal.isEmpty()) {
        QTimer::singleShot(0, this, [done = std::move(done), refusal] {
            PostResult result;
            result.problem = refusal;
            done(result);
        });
        return;
    }
    Queue& queue = queues_[key];
    Message message;
    message.url = url;
    message.json = json;
    message.done = std::move(done);
    queue.waiting.push_back(std::move(message));
    if (queue.waiting.size() == 1)
        startFront(key);
}

void Poster::startFront(const QString& key) {
    Message& message = queues_.at(key).waiting.front();
    message.url = QUrl(key);
    message.redirects = 0;
    ++message.attempts;
    attempt(key);
}

void Poster::attempt(const QString& key) {
    Queue& queue = queues_.at(key);
    Message& message = queue.waiting.front();
    message.answer.clear();
    queue.abortReason.clear();

    QNetworkRequest request(message.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader("User-Agent", "Vantor");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (!policy_.extraCertificates.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(policy_.extraCertificates);
        request.setSslConfiguration(tls);
    }
    QNetworkReply* reply = network_->post(request, message.json);
    queue.reply = reply;

    const auto abortWith = [this, key, reply](const QString& reason) {
        const auto it = queues_.find(key);
        if (it == queues_.end() || it->second.reply != reply || !it->second.abortReason.isEmpty())
            return;
        it->second.abortReason = reason;
        reply->abort();
    };
    connect(reply, &QNetworkReply::readyRead, this, [this, key, reply, abortWith] {
        const auto it = queues_.find(key);
        if (it == queues_.end() || it->second.reply != reply)
            return;
        QByteArray& answer = it->second.waiting.front().answer;
        answer += reply->read(policy_.answerBytes + 1 - answer.size());
        if (answer.size() > policy_.answerBytes)
            abortWith(
                QStringLiteral("the answer is larger than %1 bytes").arg(policy_.answerBytes));
    });
    // Queued: an abort inside readyRead must not end the message under that handler's feet.
    connect(
        reply, &QNetworkReply::finished, this, [this, key] { answered(key); },
        Qt::QueuedConnection);
    QTimer::singleShot(policy_.timeoutMs, reply, [abortWith, this] {
        abortWith(QStringLiteral("no answer within %1 s").arg(policy_.timeoutMs / 1000.0));
    });
}

void Poster::answered(const QString& key) {
    Queue& queue = queues_.at(key);
    Message& message = queue.waiting.front();
    QNetworkReply* reply = std::exchange(queue.reply, nullptr);
    reply->deleteLater();
    if (queue.abortReason.isEmpty() && message.answer.size() <= policy_.answerBytes)
        message.answer += reply->read(policy_.answerBytes + 1 - message.answer.size());

    PostResult result;
    result.attempts = message.attempts;
    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const int status = result.httpStatus;
    const QString shown = maskedUrl(key);
    const int backoff = policy_.backoffMs << std::min(message.attempts - 1, 16);

    if (!queue.abortReason.isEmpty()) {
        result.problem = QStringLiteral("%1: %2.").arg(shown, queue.abortReason);
        // A slow server may answer next time; an answer too large would be as large again.
        if (message.answer.size() > policy_.answerBytes)
            return finish(key, result);
        return retryLater(key, backoff, result);
    }
    if (status == 0) {
        QString why = withoutSecrets(reply->errorString(), message.url);
        why = withoutSecrets(why, QUrl(key));
        result.problem = QStringLiteral("%1: %2.").arg(shown, why);
        return retryLater(key, backoff, result);
    }
    if (status >= 200 && status < 300) {
        result.delivered = true;
        return finish(key, result);
    }
    const QString phrase =
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().simplified();
    const QString words = serverWords(message.answer);
    result.problem = QStringLiteral("%1 answered %2 %3")
                         .arg(shown)
                         .arg(status)
                         .arg(serverWords(phrase.toUtf8()));
    if (!words.isEmpty())
        result.problem += QStringLiteral(": ") + words;
    result.problem = result.problem.trimmed() + u'.';

    if (status >= 300 && status < 400) {
        const QUrl next = message.url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        if (reply->rawHeader("Location").isEmpty())
            return finish(key, result);
        if (++message.redirects > policy_.redirects) {
            result.problem =
                QStringLiteral("%1: more than %2 redirects.").arg(shown).arg(policy_.redirects);
            return finish(key, result);
        }
        if (const QString problem = urlProblem(next); !problem.isEmpty()) {
            result.problem = QStringLiteral("%1 redirects: %2").arg(shown, problem);
            return finish(key, result);
        }
        message.url = next;
        return attempt(key);
    }
    if (status == 429) {
        const qint64 wait = retryAfterMs(reply->rawHeader("Retry-After"));
        if (wait > policy_.longestRetryAfterMs) {
            result.problem =
                QStringLiteral("%1 answered 429: asks to wait %2 s; the message is dropped.")
                    .arg(shown)
                    .arg(wait / 1000);
            return finish(key, result);
        }
        return retryLater(key, wait >= 0 ? int(wait) : backoff, result);
    }
    if (status >= 500 || status == 408)
        return retryLater(key, backoff, result);
    finish(key, result);
}

void Poster::retryLater(const QString& key, int waitMs, PostResult result) {
    if (queues_.at(key).waiting.front().attempts >= policy_.attempts)
        return finish(key, std::move(result));
    QTimer::singleShot(waitMs, this, [this, key] { startFront(key); });
}

void Poster::finish(const QString& key, PostResult result) {
    const auto it = queues_.find(key);
    // Whatever the network layer or the server said, the hook's token stays out of it.
    result.problem =
        withoutSecrets(withoutSecrets(result.problem, it->second.waiting.front().url), QUrl(key));
    const Done done = std::move(it->second.waiting.front().done);
    it->second.waiting.pop_front();
    if (it->second.waiting.empty())
        queues_.erase(it);
    else
        startFront(key);
    done(result);
}

QList<PostResult> postAndWait(Poster& poster, const QStringList& urls, const QByteArray& json) {
    QList<PostResult> results(urls.size());
    qsizetype left = urls.size();
    QEventLoop loop;
    for (qsizetype i = 0; i < urls.size(); ++i)
        poster.post(urls[i], json, [&, i](const PostResult& result) {
            results[i] = result;
            if (--left == 0)
                loop.quit();
        });
    if (left > 0)
        loop.exec();
    return results;
}

} // namespace vantor::webhook
