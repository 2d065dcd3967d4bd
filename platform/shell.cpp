#include "shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace vantor {

bool DesktopShell::open(const QString& target) {
    const QUrl url = QUrl(target, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

bool DesktopShell::startProgram(const QString& program, const QString& workingDir) {
    QString path = QCoreApplication::applicationDirPath() + u'/' + program;
    if (!QFileInfo(path).isExecutable())
        path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    return QProcess::startDetached(path, {}, workingDir);
}

} // namespace vantor
