#include "rank_keys.h"

#include "common/skill.h"

namespace vantor::utilities {

const QStringList& rankKeyTexts() {
    static const QStringList texts = {
        QStringLiteral("Skill Points"), QStringLiteral("Kills"),
        QStringLiteral("Deaths"),       QStringLiteral("Rounds Fired"),
        QStringLiteral("Rounds Taken"), QStringLiteral("Average Hit %"),
        QStringLiteral("Games Played"), QStringLiteral("Kills/Game"),
    };
    return texts;
}

std::optional<RankKey> rankKeyFromText(const QString& text) {
    const int i = rankKeyTexts().indexOf(text);
    if (i < 0)
        return std::nullopt;
    return RankKey(i);
}

QString unknownRankKeyMessage(const QString& text) {
    return QStringLiteral("\"%1\" is not a way to rank players. Choose one of: %2. "
                          "The stats file was left unchanged.")
        .arg(text, rankKeyTexts().join(QStringLiteral(", ")));
}

bool keepsBlankRecords(RankKey key) {
    return key == RankKey::KillsPerGame;
}

std::int64_t rankKeyValue(RankKey key, const PlayerStatsRecord& r) {
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

void computeDerivedValues(PlayerStatsRecord& r) {
    if (r.games != 0)
        calcskill(r);
}

} // namespace vantor::utilities
