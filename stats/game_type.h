#pragma once

#include "common/data_files.h"

#include <QString>

namespace vantor::stats {

// What operations needing a stats file say while no game type is chosen.
inline const QString kSelectGameTypeMessage = QStringLiteral(" You must select a game type. ");

// The files "Delete Player Stats File" removes: the stats file, and for adversarial games the
// team win counts too. Empty for an unknown game type.
QStringList filesOfGameType(const QString& gameType);

// "Adversarial Players" / "Cooperative Players", the two game type labels.
QString gameTypeLabelText(const QString& gameType);

} // namespace vantor::stats
