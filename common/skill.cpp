#include "skill.h"

#include <algorithm>
#include <limits>

namespace vantor {

namespace {
// Integer division truncating towards zero; a zero divisor gives 0 instead of trapping.
std::int64_t safeDiv(std::int64_t a, std::int64_t b) {
    return b == 0 ? 0 : a / b;
}
} // namespace

std::int32_t saturate32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t averageHitPercent(std::int32_t hitPercentSum, std::int32_t games) {
    // INT32_MIN div -1 is the one quotient that does not fit.
    return saturate32(safeDiv(hitPercentSum, games));
}

std::int32_t skillPointsOf(std::int32_t kills, std::int32_t deaths, std::int32_t hitPercent) {
    const std::int64_t divisor = std::int64_t(deaths) + 1;
    const std::int64_t killPoints =
        divisor == 0 ? 100 * std::int64_t(kills) : safeDiv(100 * std::int64_t(kills), divisor);
    return saturate32(killPoints + hitPercent);
}

std::int64_t killsPerGameValue(std::int32_t kills, std::int32_t games) {
    return (std::int64_t(kills) * 100) / (games == 0 ? 1 : std::int64_t(games));
}

QByteArray killsPerGameText(std::int32_t kills, std::int32_t games) {
    if (kills < 1)
        return "0";
    const std::int64_t v = killsPerGameValue(kills, games);
    QByteArray digits = QByteArray::number(v < 0 ? -v : v);
    if (digits.size() < 2)
        digits.prepend('0');
    digits.insert(digits.size() - 2, '.');
    if (v < 0)
        digits.prepend('-');
    return digits;
}

} // namespace vantor
