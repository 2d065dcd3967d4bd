#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <optional>

namespace vantor::history {

// Whether window dates are the machine's local dates or UTC dates. Games carry the local time
// they were recorded at, so a UTC day is turned into the local times it covers.
enum class WindowZone { Local, Utc };

// A span of recording times, as the journal writes them ("YYYY-MM-DD HH:MM:SS", local time):
// from inclusive, until exclusive; an empty end is open. Comparing the texts compares the
// times, so a window is also a range query on the journal.
struct TimeWindow {
    QByteArray from;
    QByteArray until;
    QString label; // "2026-W49", "2026-12", "Spring", "2026-12-01 to 2026-12-24", "all time"

    bool contains(QByteArrayView playedAt) const;
    bool isAllTime() const { return from.isEmpty() && until.isEmpty(); }
};

// "YYYY-MM-DD", a real date; nullopt for anything else.
std::optional<QDate> parseDay(const QString& text);
// "YYYY-Www" (ISO week, 1 to 52 or 53 as the year has); nullopt for anything else.
struct IsoWeek {
    int year = 0;
    int week = 0;
    friend bool operator==(const IsoWeek&, const IsoWeek&) = default;
};
std::optional<IsoWeek> parseIsoWeek(const QString& text);
// "YYYY-MM".
std::optional<QDate> parseMonth(const QString& text);

IsoWeek isoWeekOf(QDate day);
QDate mondayOf(IsoWeek week);
QString isoWeekText(IsoWeek week);

// The recording time at which a day starts, as the journal writes times.
QByteArray dayStart(QDate day, WindowZone zone);

// Days first..last inclusive; either may be missing (open). The caller checks first <= last.
TimeWindow dayWindow(std::optional<QDate> first, std::optional<QDate> last, WindowZone zone);
TimeWindow weekWindow(IsoWeek week, WindowZone zone);
TimeWindow monthWindow(QDate anyDayOfMonth, WindowZone zone);
TimeWindow allTime();

} // namespace vantor::history
