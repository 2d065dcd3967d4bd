#include "game_type.h"

#include <QStringList>

namespace vantor::stats {

QStringList filesOfGameType(const QString& gameType) {
    if (gameType == kAdversarialText)
        return {kStatsFile, kTeamFile};
    if (gameType == kCooperativeText)
        return {kCoopStatsFile};
    return {};
}

QString gameTypeLabelText(const QString& gameType) {
    return gameType + QStringLiteral(" Players");
}

} // namespace vantor::stats
