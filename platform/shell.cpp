#include "shell.h"

#include <QDesktopServices>
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

} // namespace vantor
