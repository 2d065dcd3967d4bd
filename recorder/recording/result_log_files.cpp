#include "result_log_files.h"

#include "common/record_file.h"
#include "platform/date_time_text.h"
#include "platform/game_paths.h"

#include <QFileInfo>

namespace vantor::recorder {

QString resultLogPath(const QString& gameFolder, int index) {
    return joinGamePath(gameFolder, QStringLiteral("\\RSResults%1.log").arg(index));
}

void deleteResultLogs(const QString& gameFolder, int first, int last) {
    for (int i = first; i <= last; ++i)
        removeQuietly(resultLogPath(gameFolder, i));
}

QString setAsidePathIn(const std::function<QString(const QString& name)>& pathOf) {
    const QString stamp = fileStampText();
    QString path = pathOf(QStringLiteral("RSResults0.bad-%1.log").arg(stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = pathOf(QStringLiteral("RSResults0.bad-%1-%2.log").arg(stamp).arg(n));
    return path;
}

QString setAsidePath(const QString& gameFolder) {
    return setAsidePathIn([&](const QString& name) { return joinGamePath(gameFolder, name); });
}

} // namespace vantor::recorder
