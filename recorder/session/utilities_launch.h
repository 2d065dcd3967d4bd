#pragma once

#include <QString>
#include <QStringList>

namespace vantor {
class Shell;
}

namespace vantor::recorder {

inline const QString kUtilitiesProgram = QStringLiteral("VantorUtilities");

// Where the utilities are looked for before PATH: beside the recorder, then where the build
// tree puts them (build/recorder/VantorRecorder, build/utilities/VantorUtilities).
QStringList utilitiesFolders(const QString& recorderFolder);

// Starts the utilities, found as above or on searchPath, in workingDir (the data folder, which
// they then share). Gives the message to show when they cannot be started, else empty text.
QString startUtilities(Shell& shell, const QString& recorderFolder, const QString& searchPath,
                       const QString& workingDir);

} // namespace vantor::recorder
