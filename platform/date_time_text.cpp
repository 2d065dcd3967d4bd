#include "date_time_text.h"

#include <QLocale>

namespace vantor {

QString shortDateText(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString longTimeText(const QTime& time) {
    // Windows' long time format has no time zone; the locale's long format may.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return QLocale::system().toString(time, format.trimmed());
}

QString stampText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString fileStampText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

} // namespace vantor
