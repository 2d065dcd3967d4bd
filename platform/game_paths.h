#pragma once

#include <QString>

namespace vantor {

// Joins a game-relative path written with "\" ("\data\sound\English\tm_cmpdn.wav") to a folder.
QString joinGamePath(const QString& folder, QString relative);

// As joinGamePath, but where a component's exact case is missing it takes the entry whose name
// matches without regard to case, as Wine does. Gives the joined path when nothing matches.
QString findGameFile(const QString& folder, const QString& relative);

} // namespace vantor
