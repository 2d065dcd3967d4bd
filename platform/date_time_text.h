#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace vantor {

// The system's short date format ("6/10/00" style, by the user's locale).
QString shortDateText(const QDate& date = QDate::currentDate());
// The system's long time format.
QString longTimeText(const QTime& time = QTime::currentTime());

} // namespace vantor
