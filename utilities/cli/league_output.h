#pragma once

#include "command.h"

#include "history/journal/journal.h"
#include "history/league/league_scan.h"
#include "history/league/rating.h"
#include "history/league/standings.h"
#include "history/league/time_window.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace vantor::utilities::cli {

// The history's games of the command's game type a question over the window needs, oldest
// first; with ratings, those before the window too (see scanWindow).
void forEachGame(history::Journal& journal, const Invocation& call,
                 const history::TimeWindow& window, history::RatingBook* ratings,
                 const history::WindowVisit& visit);

// The aliases in force for the command's game type: every view counts an alias's games as its
// main name's.
history::AliasMap aliasesOf(history::Journal& journal, const Invocation& call);

// Co-operative games are played against the computer: a rating has no opponent there.
void refuseCoopRating(const Invocation& call);

// A fixed-point value as text: 233 with 2 decimals is "2.33"; signed puts "+" before gains.
QString decimalText(std::int64_t value, int decimals, bool signed_ = false);
QByteArray decimalJson(std::int64_t value, int decimals);
// A rating or deviation in tenths, rounded half away from zero.
std::int64_t tenths(double value);

void printUtf8(const Invocation& call, const QByteArray& utf8);

} // namespace vantor::utilities::cli
