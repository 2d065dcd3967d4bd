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

std::size_t killsPerGameChars(std::int32_t kills, std::int32_t games, char* out) {
    if (kills < 1) {
        out[0] = '0';
        return 1;
    }
    const std::int64_t v = killsPerGameValue(kills, games);
    std::uint64_t magnitude = v < 0 ? 0 - std::uint64_t(v) : std::uint64_t(v);
    // Digits from the right, at least two, the point before the last two.
    char digits[kKillsPerGameChars];
    std::size_t n = 0;
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0 || n < 2);
    std::size_t len = 0;
    if (v < 0)
        out[len++] = '-';
    for (std::size_t i = n; i-- > 0;) {
        if (i == 1)
            out[len++] = '.';
        out[len++] = digits[i];
    }
    return len;
}

QByteArray killsPerGameText(std::int32_t kills, std::int32_t games) {
    char text[kKillsPerGameChars];
    return QByteArray(text, qsizetype(killsPerGameChars(kills, games, text)));
}

} // namespace vantor
