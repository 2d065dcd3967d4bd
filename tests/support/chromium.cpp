#include "chromium.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace vantor::test {

QString chromiumPath() {
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

QString loadedDom(const QString& chromium, const QString& pagePath, const QString& profileFolder,
                  int windowWidth) {
    QProcess browser;
    QStringList size;
    if (windowWidth > 0)
        size << QStringLiteral("--window-size=%1,844").arg(windowWidth);
    browser.start(
        chromium,
        size + QStringList{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                           QStringLiteral("--disable-gpu"),
                           QStringLiteral("--disable-dev-shm-usage"),
                           QStringLiteral("--disable-background-networking"),
                           QStringLiteral("--disable-component-update"),
                           QStringLiteral("--disable-sync"), QStringLiteral("--no-first-run"),
                           QStringLiteral("--host-resolver-rules=MAP * ~NOTFOUND"),
                           QStringLiteral("--proxy-server=127.0.0.1:9"),
                           QStringLiteral("--virtual-time-budget=3000"),
                           QStringLiteral("--user-data-dir=") + profileFolder,
                           QStringLiteral("--dump-dom"), QUrl::fromLocalFile(pagePath).toString()});
    if (!browser.waitForFinished(120000)) {
        browser.kill();
        browser.waitForFinished();
        return {};
    }
    return QString::fromUtf8(browser.readAllStandardOutput());
}

QByteArray withImageCheck(const QByteArray& page) {
    return page +
           QByteArrayLiteral("<script>window.addEventListener('load', function () {"
                             " var images = document.images, ok = 0, broken = '';"
                             " for (var i = 0; i < images.length; ++i) {"
                             "  if (images[i].complete && images[i].naturalWidth > 0) ++ok;"
                             "  else broken += ' ' + images[i].src.substring(0, 60); }"
                             " var p = document.createElement('p'); p.id = 'imagecheck';"
                             " p.textContent = 'images loaded: ' + ok + ' of ' + images.length +"
                             "  '; broken:' + broken + ';';"
                             " document.body.appendChild(p); });</script>");
}

QString imageCheckResult(const QString& dom) {
    static const QRegularExpression pattern(
        QStringLiteral("images loaded: (\\d+ of \\d+; broken:[^;]*);"));
    return pattern.match(dom).captured(1);
}

} // namespace vantor::test
