#pragma once

#include <QByteArray>
#include <cstdint>

namespace vantor {

// A wide result held in a 32-bit field: beyond its range it stays at the nearest end.
std::int32_t saturate32(std::int64_t value);

// hitPercentSum div games, safe for games 0 (gives 0).
std::int32_t averageHitPercent(std::int32_t hitPercentSum, std::int32_t games);
// (100 * kills) div (deaths + 1) + hitPercent, computed wide and without dividing by zero;
// a result beyond 32 bits saturates.
std::int32_t skillPointsOf(std::int32_t kills, std::int32_t deaths, std::int32_t hitPercent);

// Recomputes the two derived fields of a stats or last-game record from its totals.
template <class Record> void calcskill(Record& r) {
    r.hitPercent = averageHitPercent(r.hitPercentSum, r.games);
    r.skillPoints = skillPointsOf(r.kills, r.deaths, r.hitPercent);
}

// kills * 100 div games; games 0 counts as one game.
std::int64_t killsPerGameValue(std::int32_t kills, std::int32_t games);

// The "Average Kills/Game" column: "0" below one kill, else the value in hundredths
// with a point before its last two digits (2.33, .50, .05).
QByteArray killsPerGameText(std::int32_t kills, std::int32_t games);
// The same text into out, which must hold kKillsPerGameChars; gives its length.
inline constexpr std::size_t kKillsPerGameChars = 24;
std::size_t killsPerGameChars(std::int32_t kills, std::int32_t games, char* out);

} // namespace vantor
