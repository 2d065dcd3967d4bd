#include "league_output.h"

#include "options.h"

#include "common/data_files.h"
#include "common/error.h"

#include <cmath>

namespace vantor::utilities::cli {

using namespace vantor::history;

void forEachGame(Journal& journal, const Invocation& call, const TimeWindow& window,
                 RatingBook* ratings, const WindowVisit& visit) {
    scanWindow(journal.database(), call.isSet(kCoop), window, ratings, visit);
}

history::AliasMap aliasesOf(history::Journal& journal, const Invocation& call) {
    return history::aliasMap(journal.database(), call.isSet(kCoop));
}

void refuseCoopRating(const Invocation& call) {
    if (call.isSet(kCoop))
        throw Error(QStringLiteral("Co-operative games have no opposing team, so they carry no "
                                   "rating."));
}

QString decimalText(std::int64_t value, int decimals, bool signed_) {
    const bool negative = value < 0;
    const std::uint64_t magnitude = negative ? 0 - std::uint64_t(value) : std::uint64_t(value);
    QString digits = QString::number(magnitude);
    if (decimals > 0) {
        digits = digits.rightJustified(decimals + 1, u'0');
        digits.insert(digits.size() - decimals, u'.');
    }
    if (negative)
        return u'-' + digits;
    return signed_ && value > 0 ? u'+' + digits : digits;
}

QByteArray decimalJson(std::int64_t value, int decimals) {
    return decimalText(value, decimals).toLatin1();
}

std::int64_t tenths(double value) {
    return std::llround(value * 10);
}

void printUtf8(const Invocation& call, const QByteArray& utf8) {
    call.out << QString::fromUtf8(utf8);
}

} // namespace vantor::utilities::cli
