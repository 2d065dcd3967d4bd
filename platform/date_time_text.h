#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace vantor {

// The system's short date format ("6/10/00" style, by the user's locale).
QString shortDateText(const QDate& date = QDate::currentDate());
// The system's long time format.
QString longTimeText(const QTime& time = QTime::currentTime());

// "2026-12-08 21:30:05", whatever the locale: when the game history noted a game, and the
// headless recorder's lines.
QString stampText(const QDateTime& when = QDateTime::currentDateTime());
// "20261208-213005": in the names of files set aside or kept.
QString fileStampText(const QDateTime& when = QDateTime::currentDateTime());

} // namespace vantor
