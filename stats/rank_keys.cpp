#include "rank_keys.h"

#include "common/skill.h"

namespace vantor::stats {

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

void computeDerivedValues(PlayerStatsRecord& r) {
    if (r.games != 0)
        calcskill(r);
}

} // namespace vantor::stats
