#include "shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace vantor {

bool DesktopShell::open(const QString& target) {
    const QUrl url = QUrl(target, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

bool DesktopShell::startProgram(const QString& programFile, const QString& workingDir) {
    return QProcess::startDetached(programFile, {}, workingDir);
}

QString findProgram(const QString& name, const QStringList& folders, const QString& searchPath) {
    QStringList candidates = folders;
    // An empty entry of PATH means the current directory; a program is never taken from there.
    for (const QString& folder : searchPath.split(u':', Qt::SkipEmptyParts))
        candidates << folder;
    for (const QString& folder : std::as_const(candidates)) {
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.isFile() && file.isExecutable())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return QString();
}

} // namespace vantor
