#pragma once

#include <QString>

namespace vantor::utilities {

inline const QString kAdversarial = QStringLiteral("Adversarial");
inline const QString kCooperative = QStringLiteral("Cooperative");

inline const QString kStatsFile = QStringLiteral("stats.log");
inline const QString kCoopStatsFile = QStringLiteral("coop_stats.log");
inline const QString kTeamFile = QStringLiteral("team.log");
inline const QString kWorkFile = QStringLiteral("work.dat");

// What operations needing a stats file say while no game type is chosen.
inline const QString kSelectGameTypeMessage = QStringLiteral(" You must select a game type. ");

// The stats file of a game type ("Adversarial" or "Cooperative", compared exactly); empty for
// any other text.
QString statsFileName(const QString& gameType);

// The files "Delete Player Stats File" removes: the stats file, and for adversarial games the
// team win counts too. Empty for an unknown game type.
QStringList filesOfGameType(const QString& gameType);

// "Adversarial Players" / "Cooperative Players", the two game type labels.
QString gameTypeLabelText(const QString& gameType);

} // namespace vantor::utilities
