#pragma once

#include "common/records.h"
#include "common/skill.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace vantor::stats {

// The eight ways the players can be ranked, in the order of the "Rank Players by:" list.
enum class RankKey {
    SkillPoints,
    Kills,
    Deaths,
    RoundsFired,
    RoundsTaken,
    AverageHitPercent,
    GamesPlayed,
    KillsPerGame,
};

// "Skill Points", "Kills", ... "Kills/Game", in list order.
const QStringList& rankKeyTexts();
// Exact comparison, case counts; nullopt for any other text.
std::optional<RankKey> rankKeyFromText(const QString& text);

// Refusal for a typed key that is none of the eight.
QString unknownRankKeyMessage(const QString& text);

// Only "Kills/Game" ranks blank records (with value 0); every other key drops them.
// Inline, so that a ranking by a key known when compiling reads its field directly.
inline bool keepsBlankRecords(RankKey key) {
    return key == RankKey::KillsPerGame;
}

// The value a record is ranked by. The derived fields must already be recomputed.
inline std::int64_t rankKeyValue(RankKey key, const PlayerStatsRecord& r) {
    switch (key) {
    case RankKey::SkillPoints:
        return r.skillPoints;
    case RankKey::Kills:
        return r.kills;
    case RankKey::Deaths:
        return r.deaths;
    case RankKey::RoundsFired:
        return r.roundsFired;
    case RankKey::RoundsTaken:
        return r.roundsTaken;
    case RankKey::AverageHitPercent:
        return r.hitPercent;
    case RankKey::GamesPlayed:
        return r.games;
    case RankKey::KillsPerGame:
        // A record with no games counts as one game rather than dividing by zero.
        return r.isBlank() ? 0 : killsPerGameValue(r.kills, r.games);
    }
    return 0;
}

// hitPercent and skillPoints as a ranking loads a record: recomputed only when games is not
// 0, else left as stored.
void computeDerivedValues(PlayerStatsRecord& r);

} // namespace vantor::stats
