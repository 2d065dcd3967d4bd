#include "program_search.h"

#include <QDir>
#include <QFileInfo>

namespace vantor {

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
