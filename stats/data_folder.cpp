#include "data_folder.h"

#include "common/data_files.h"
#include "common/timing.h"

#include <QDir>
#include <QFileInfo>

namespace vantor::stats {

QString folderOf(const QString& dataFile) {
    return QFileInfo(dataFile).absolutePath();
}

QString besideFile(const QString& dataFile, const QString& name) {
    const QString folder = QFileInfo(dataFile).path();
    return folder == QStringLiteral(".") ? name : QDir(folder).filePath(name);
}

bool holdsStatsOrHistory(const QString& folder) {
    for (const QString& name : {kStatsFile, kCoopStatsFile, kTeamFile, kHistoryFile})
        if (QFileInfo::exists(QDir(folder).filePath(name)))
            return true;
    return false;
}

QString notADataFolderMessage(const QString& folder) {
    return QStringLiteral("There are no stats files and no game history in \"%1\": run "
                          "VantorUtilities in the data folder. Nothing was changed.")
        .arg(QDir(folder).absolutePath());
}

std::unique_ptr<DataFolderLock> lockDataFolderOf(const QString& dataFile, const IdleFn& idle) {
    auto lock = std::make_unique<DataFolderLock>(folderOf(dataFile));
    lock->lockOrThrow(kUtilitiesLockWaitMs, idle);
    return lock;
}

} // namespace vantor::stats
