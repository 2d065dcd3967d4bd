#include "game_type.h"

#include <QStringList>

namespace vantor::utilities {

QString statsFileName(const QString& gameType) {
    if (gameType == kAdversarial)
        return kStatsFile;
    if (gameType == kCooperative)
        return kCoopStatsFile;
    return {};
}

QStringList filesOfGameType(const QString& gameType) {
    if (gameType == kAdversarial)
        return {kStatsFile, kTeamFile};
    if (gameType == kCooperative)
        return {kCoopStatsFile};
    return {};
}

QString gameTypeLabelText(const QString& gameType) {
    return gameType + QStringLiteral(" Players");
}

} // namespace vantor::utilities
