#pragma once

#include "command.h"

#include "history/league/seasons.h"
#include "history/league/time_window.h"

#include <QDate>

namespace vantor::utilities::cli {

// --utc or the machine's local dates.
history::WindowZone windowZone(const Invocation& call);
// Today in that zone.
QDate today(history::WindowZone zone);

// The seasons kept in the settings store.
history::SeasonList storedSeasons();
void storeSeasons(const history::SeasonList& seasons);

// The window a command's --since/--until, --week, --month or --season names; all time when
// none. A form that is not a date, week or month, two kinds of window at once, or --since after
// --until is a wrong command line (UsageError); an unknown season fails (vantor::Error).
history::TimeWindow windowOption(const Invocation& call);

// The options every window takes, for a command's option list and usage line; the help text
// explains WINDOW once.
QStringList windowOptionNames();
QString windowUsage();

// --week and --month may stand alone (this week, this month). Their value is taken only in
// its own form, so that "map 2026-Finals --week" is not read as a week.
bool hasOptionalValue(const QString& option);
bool isOptionalValue(const QString& option, const QString& next);

} // namespace vantor::utilities::cli
