#include "game_paths.h"

#include <QDir>
#include <QFileInfo>

namespace vantor {

QString joinGamePath(const QString& folder, QString relative) {
    relative.replace(u'\\', u'/');
    while (relative.startsWith(u'/'))
        relative.remove(0, 1);
    if (folder.isEmpty())
        return relative;
    return folder.endsWith(u'/') ? folder + relative : folder + u'/' + relative;
}

QString findGameFile(const QString& folder, const QString& relative) {
    const QString exact = joinGamePath(folder, relative);
    if (QFileInfo::exists(exact))
        return exact;
    QString path = folder;
    QString rel = relative;
    rel.replace(u'\\', u'/');
    const QStringList parts = rel.split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString direct = joinGamePath(path, part);
        if (QFileInfo::exists(direct)) {
            path = direct;
            continue;
        }
        const QStringList entries =
            QDir(path.isEmpty() ? QStringLiteral(".") : path)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const auto it = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
            return e.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (it == entries.end())
            return exact;
        path = joinGamePath(path, *it);
    }
    return path;
}

} // namespace vantor
