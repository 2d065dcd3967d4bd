#include "page_names.h"

#include "data_files.h"

#include <QDir>
#include <QFileInfo>

namespace vantor {

namespace {

// Through links where the file exists, by its cleaned absolute path where it does not.
QString resolved(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString matchingName(const QString& fileName, const QStringList& reserved) {
    for (const QString& name : reserved) {
        if (fileName.compare(name, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

} // namespace

QString fileReservedFromPages(const QString& pageName, const QString& dataFolder,
                              const QString& storePath) {
    const QString storeName = QFileInfo(storePath).fileName();
    QStringList reserved{kStatsFile,        kCoopStatsFile,      kTeamFile,
                         kLastGameFile,     kWorkFile,           kLockFile,
                         kRecorderLockFile, kClaimedLogFile,     kUndoJournalFile,
                         kRecorderStatusFile, kRecorderStatusWorkFile};
    // The game history, the files SQLite keeps beside it (it deletes a rollback journal it
    // finds as stale), and the folder its replay builds in.
    reserved << kHistoryFile << kHistoryFile + QStringLiteral("-wal")
             << kHistoryFile + QStringLiteral("-shm") << kHistoryFile + QStringLiteral("-journal")
             << kReplayFolder;
    if (!storeName.isEmpty())
        reserved.append(storeName);

    const QString page = QDir(dataFolder).filePath(pageName);
    if (QString name = matchingName(QFileInfo(page).fileName(), reserved); !name.isEmpty())
        return name;
    const QString target = resolved(page);
    if (!storePath.isEmpty() && target == resolved(storePath))
        return storeName;
    return matchingName(QFileInfo(target).fileName(), reserved);
}

QString reservedPageNameMessage(const QString& reservedFile) {
    return QStringLiteral(" \"%1\" holds Vantor's data and cannot be overwritten by a page.")
        .arg(reservedFile);
}

} // namespace vantor
