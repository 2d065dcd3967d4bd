#include "time_window.h"

#include <QDateTime>
#include <QRegularExpression>

namespace vantor::history {

namespace {
const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

std::optional<QDate> dateOf(int year, int month, int day) {
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}
} // namespace

bool TimeWindow::contains(QByteArrayView playedAt) const {
    return (from.isEmpty() || playedAt >= QByteArrayView(from)) &&
           (until.isEmpty() || playedAt < QByteArrayView(until));
}

std::optional<QDate> parseDay(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return dateOf(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

std::optional<IsoWeek> parseIsoWeek(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-W(\\d{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const IsoWeek w{m.captured(1).toInt(), m.captured(2).toInt()};
    // 28 December always lies in the last week of its ISO year.
    const int weeks = QDate(w.year, 12, 28).weekNumber();
    if (w.year < 1 || w.week < 1 || w.week > weeks)
        return std::nullopt;
    return w;
}

std::optional<QDate> parseMonth(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return dateOf(m.captured(1).toInt(), m.captured(2).toInt(), 1);
}

IsoWeek isoWeekOf(QDate day) {
    IsoWeek w;
    w.week = day.weekNumber(&w.year);
    return w;
}

QDate mondayOf(IsoWeek week) {
    // 4 January is always in week 1.
    const QDate jan4(week.year, 1, 4);
    return jan4.addDays(1 - jan4.dayOfWeek() + 7 * (week.week - 1));
}

QString isoWeekText(IsoWeek week) {
    return QStringLiteral("%1-W%2")
        .arg(week.year, 4, 10, QLatin1Char('0'))
        .arg(week.week, 2, 10, QLatin1Char('0'));
}

QByteArray dayStart(QDate day, WindowZone zone) {
    if (zone == WindowZone::Local)
        return (day.toString(kDayFormat) + QStringLiteral(" 00:00:00")).toLatin1();
    const QDateTime utc(day, QTime(0, 0), Qt::UTC);
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
}

TimeWindow dayWindow(std::optional<QDate> first, std::optional<QDate> last, WindowZone zone) {
    TimeWindow w;
    if (first)
        w.from = dayStart(*first, zone);
    if (last)
        w.until = dayStart(last->addDays(1), zone);
    const QString a = first ? first->toString(kDayFormat) : QStringLiteral("the first game");
    const QString b = last ? last->toString(kDayFormat) : QStringLiteral("the last game");
    w.label = first || last ? a + QStringLiteral(" to ") + b : QStringLiteral("all time");
    return w;
}

TimeWindow weekWindow(IsoWeek week, WindowZone zone) {
    const QDate monday = mondayOf(week);
    TimeWindow w = dayWindow(monday, monday.addDays(6), zone);
    w.label = isoWeekText(week);
    return w;
}

TimeWindow monthWindow(QDate anyDayOfMonth, WindowZone zone) {
    const QDate first(anyDayOfMonth.year(), anyDayOfMonth.month(), 1);
    TimeWindow w = dayWindow(first, first.addMonths(1).addDays(-1), zone);
    w.label = first.toString(QStringLiteral("yyyy-MM"));
    return w;
}

TimeWindow allTime() {
    return dayWindow(std::nullopt, std::nullopt, WindowZone::Local);
}

} // namespace vantor::history
