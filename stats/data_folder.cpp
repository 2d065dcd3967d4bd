#include "data_folder.h"

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

std::unique_ptr<DataFolderLock> lockDataFolderOf(const QString& dataFile, const IdleFn& idle) {
    auto lock = std::make_unique<DataFolderLock>(folderOf(dataFile));
    lock->lockOrThrow(kUtilitiesLockWaitMs, idle);
    return lock;
}

} // namespace vantor::stats
