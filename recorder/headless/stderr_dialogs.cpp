#include "stderr_dialogs.h"

#include "common/visible_text.h"
#include "platform/date_time_text.h"

#include <QRegularExpression>

namespace vantor::recorder {

StderrDialogs::StderrDialogs(std::FILE* out, std::function<QDateTime()> now)
    : out_(out), now_(std::move(now)) {}

void StderrDialogs::information(const QString& text) {
    write(text);
}

bool StderrDialogs::askYesNo(const QString& text) {
    write(text + QStringLiteral(" (answered No)"));
    return false;
}

void StderrDialogs::error(const QString& text) {
    write(QStringLiteral("Error: ") + text);
}

void StderrDialogs::write(const QString& text) {
    // One line a message, so a log reader sees each message whole and with its time.
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    QString line = stampText(now_()) + u' ' +
                   visibleText(text.trimmed().replace(lineBreaks, QStringLiteral(" "))) + u'\n';
    const QByteArray bytes = line.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out_);
    std::fflush(out_);
}

} // namespace vantor::recorder
