#pragma once

#include "short_text.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vantor {

static_assert(std::endian::native == std::endian::little,
              "records are stored as little-endian and read by copying");

// The characters a player's name keeps in every record.
inline constexpr std::size_t kPlayerNameLength = 50;

// One player's running totals: the record of "stats.log" and "coop_stats.log".
struct PlayerStatsRecord {
    ShortText<kPlayerNameLength> name;
    ShortText<10> lastPlayed;
    char fill[2]{};
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
    std::int32_t games = 0;
    std::int32_t hitPercent = 0;
    std::int32_t hitPercentSum = 0;
    std::int32_t roundsFired = 0;
    std::int32_t roundsTaken = 0;
    std::int32_t skillPoints = 0;

    bool isBlank() const { return name.isEmpty(); }
};

// One player's figures in the last game: the record of "lastgame.log".
struct LastGameRecord {
    ShortText<kPlayerNameLength> name;
    ShortText<10> lastPlayed;
    ShortText<kPlayerNameLength> killedBy;
    char fill[3]{};
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
    std::int32_t games = 0;
    std::int32_t hitPercent = 0;
    std::int32_t hitPercentSum = 0;
    std::int32_t roundsFired = 0;
    std::int32_t roundsTaken = 0;
    std::int32_t skillPoints = 0;
    ShortText<4> team;
    char fill2[3]{};
};

// A team's win count: "team.log" holds two, "blue" first.
struct TeamWinsRecord {
    ShortText<4> team;
    char fill[3]{};
    std::int32_t wins = 0;
};

static_assert(sizeof(PlayerStatsRecord) == 96);
static_assert(offsetof(PlayerStatsRecord, name) == 0);
static_assert(offsetof(PlayerStatsRecord, lastPlayed) == 51);
static_assert(offsetof(PlayerStatsRecord, kills) == 64);
static_assert(offsetof(PlayerStatsRecord, deaths) == 68);
static_assert(offsetof(PlayerStatsRecord, games) == 72);
static_assert(offsetof(PlayerStatsRecord, hitPercent) == 76);
static_assert(offsetof(PlayerStatsRecord, hitPercentSum) == 80);
static_assert(offsetof(PlayerStatsRecord, roundsFired) == 84);
static_assert(offsetof(PlayerStatsRecord, roundsTaken) == 88);
static_assert(offsetof(PlayerStatsRecord, skillPoints) == 92);

static_assert(sizeof(LastGameRecord) == 156);
static_assert(offsetof(LastGameRecord, lastPlayed) == 51);
static_assert(offsetof(LastGameRecord, killedBy) == 62);
static_assert(offsetof(LastGameRecord, kills) == 116);
static_assert(offsetof(LastGameRecord, deaths) == 120);
static_assert(offsetof(LastGameRecord, games) == 124);
static_assert(offsetof(LastGameRecord, hitPercent) == 128);
static_assert(offsetof(LastGameRecord, hitPercentSum) == 132);
static_assert(offsetof(LastGameRecord, roundsFired) == 136);
static_assert(offsetof(LastGameRecord, roundsTaken) == 140);
static_assert(offsetof(LastGameRecord, skillPoints) == 144);
static_assert(offsetof(LastGameRecord, team) == 148);

static_assert(sizeof(TeamWinsRecord) == 12);
static_assert(offsetof(TeamWinsRecord, team) == 0);
static_assert(offsetof(TeamWinsRecord, wins) == 8);

static_assert(std::is_trivially_copyable_v<PlayerStatsRecord> &&
              std::is_trivially_copyable_v<LastGameRecord> &&
              std::is_trivially_copyable_v<TeamWinsRecord>);

} // namespace vantor
