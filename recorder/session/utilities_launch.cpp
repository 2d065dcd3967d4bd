#include "utilities_launch.h"

#include "platform/program_search.h"
#include "platform/shell.h"

#include <QDir>

namespace vantor::recorder {

QStringList utilitiesFolders(const QString& recorderFolder) {
    return {QDir::cleanPath(recorderFolder),
            QDir::cleanPath(QDir(recorderFolder).filePath(QStringLiteral("../utilities")))};
}

QString startUtilities(Shell& shell, const QString& recorderFolder, const QString& searchPath,
                       const QString& workingDir) {
    const QStringList folders = utilitiesFolders(recorderFolder);
    const QString program = findProgram(kUtilitiesProgram, folders, searchPath);
    if (program.isEmpty())
        return QStringLiteral("Vantor Utilities were not found: there is no program \"%1\" in "
                              "\"%2\", in \"%3\" or on PATH.")
            .arg(kUtilitiesProgram, folders[0], folders[1]);
    if (!shell.startProgram(program, workingDir))
        return QStringLiteral("Vantor Utilities could not be started from \"%1\".").arg(program);
    return QString();
}

} // namespace vantor::recorder
