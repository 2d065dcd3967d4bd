#include "result_log_files.h"

#include "common/record_file.h"
#include "platform/game_paths.h"

#include <QDateTime>
#include <QFileInfo>

namespace vantor::recorder {

QString resultLogPath(const QString& gameFolder, int index) {
    return joinGamePath(gameFolder, QStringLiteral("\\RSResults%1.log").arg(index));
}

void deleteResultLogs(const QString& gameFolder, int first, int last) {
    for (int i = first; i <= last; ++i)
        removeQuietly(resultLogPath(gameFolder, i));
}

QString setAsidePath(const QString& gameFolder) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = joinGamePath(gameFolder, QStringLiteral("RSResults0.bad-%1.log").arg(stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path =
            joinGamePath(gameFolder, QStringLiteral("RSResults0.bad-%1-%2.log").arg(stamp).arg(n));
    return path;
}

} // namespace vantor::recorder
