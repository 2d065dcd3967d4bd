#include "webhook_address.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace vantor::webhook {

namespace {
const QString kMask = QStringLiteral("****");

bool isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}
} // namespace

QStringList splitUrls(const QString& setting) {
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return setting.split(separators, Qt::SkipEmptyParts);
}

QString urlProblem(const QUrl& url) {
    const QString shown = maskedUrl(url.toString());
    if (!url.isValid() || url.host().isEmpty())
        return QStringLiteral("\"%1\" is not a web address.").arg(shown);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return QString();
    if (scheme == QLatin1String("http") && isLoopback(url.host()))
        return QString();
    return QStringLiteral("\"%1\" is not an https address; a webhook's address holds its secret, "
                          "so only https is used (plain http only to this machine).")
        .arg(shown);
}

QString maskedUrl(const QString& url) {
    const QUrl parsed(url.trimmed());
    if (!parsed.isValid() || parsed.host().isEmpty())
        return kMask;
    QString shown = parsed.scheme() + QStringLiteral("://") + parsed.host();
    if (parsed.port() >= 0)
        shown += u':' + QString::number(parsed.port());
    return shown + u'/' + kMask;
}

QString maskedUrls(const QStringList& urls) {
    QStringList shown;
    for (const QString& url : urls)
        shown << maskedUrl(url);
    return shown.join(QStringLiteral(" "));
}

QString withoutSecrets(QString text, const QUrl& url) {
    const QString masked = maskedUrl(url.toString());
    const QStringList secrets = {
        url.toString(),
        url.toString(QUrl::FullyEncoded),
        url.path(),
        QString::fromUtf8(url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority)),
        url.query(),
        url.userInfo()};
    for (const QString& secret : secrets) {
        // The path "/" alone hides nothing and would mangle every slash.
        if (secret.size() > 1)
            text.replace(secret, masked);
    }
    // A server may echo a piece of the path: any long part of it counts as the token.
    static const QRegularExpression parts(QStringLiteral("[/?&=]"));
    for (const QString& part : (url.path() + u'?' + url.query()).split(parts, Qt::SkipEmptyParts))
        if (part.size() >= 12)
            text.replace(part, QStringLiteral("****"));
    return text;
}

} // namespace vantor::webhook
