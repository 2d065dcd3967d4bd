#include "history_commands.h"

#include "history/journal/change_note.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/scratch_folder.h"
#include "common/timing.h"
#include "common/undo_journal.h"
#include "platform/date_time_text.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <unistd.h>

namespace vantor::history {

namespace {

// Puts the replayed files in place of the data files; gives how many differed.
int writeFiles(const QString& dataFolder, const FileSet& files) {
    int changed = 0;
    for (const auto& [name, bytes] : files) {
        const QString target = QDir(dataFolder).filePath(name);
        const QByteArray now = readFileBytes(target);
        if (now.isNull() == bytes.isNull() && now == bytes)
            continue;
        ++changed;
        if (bytes.isNull()) {
            if (::unlink(QFile::encodeName(target).constData()) != 0 && errno != ENOENT)
                throw Error(
                    systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(target), errno));
            continue;
        }
        replaceFileWith(target, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                        QDir(dataFolder).filePath(kWorkFile));
    }
    syncFolder(dataFolder);
    return changed;
}

FileSet replayChecked(Journal& journal, const QString& dataFolder,
                      const std::map<std::int64_t, bool>& undone) {
    // A fresh private folder every time, worked in through its handle: swapping its name for a
    // link while the replay runs leads nowhere, and removing it follows no link.
    const ScratchFolder scratch(dataFolder, kReplayFolder + QLatin1Char('-'));
    return replayJournal(journal, scratch.path(), undone);
}

} // namespace

QString disagreementMessage(const QString& reason) {
    return QStringLiteral(
               "The game history \"%1\" no longer agrees with the stats files: %2. "
               "\"rebuild --from-files --yes\" starts it afresh from the files as they are; "
               "\"rebuild --yes\" puts the files back as the history has them.")
        .arg(kHistoryFile, reason);
}

HistoryAccess::HistoryAccess(const QString& dataFolder, bool mustAgree) : lock_(dataFolder) {
    lock_.lockOrThrow(kUtilitiesLockWaitMs);
    journal_ = Journal::openOrCreate(dataFolder);
    journal_->settlePending(claimKeyIn(dataFolder));
    const Journal::StepCheck check = journal_->checkFiles();
    if (!check.inStep && mustAgree)
        throw Error(disagreementMessage(check.reason));
}

int rebuildFiles(const QString& dataFolder) {
    HistoryAccess access(dataFolder, false);
    Journal& journal = access.journal();
    const FileSet files = replayChecked(journal, dataFolder, {});
    if (digestOfFiles(files) != journal.lastDigest())
        throw Error(QStringLiteral("The game history \"%1\" does not replay to the files it "
                                   "recorded last; the stats files were not changed.")
                        .arg(kHistoryFile));
    const int changed = writeFiles(dataFolder, files);
    journal.acceptFiles();
    return changed;
}

QString rebuildFromFiles(const QString& dataFolder) {
    DataFolderLock lock(dataFolder);
    lock.lockOrThrow(kUtilitiesLockWaitMs);
    try {
        Journal::openOrCreate(dataFolder)->startBaseline();
        return {};
    } catch (const Error&) {
        // Unreadable (or another version's): kept for whoever wants to look, out of the way.
    }
    const QString aside = kHistoryFile + QStringLiteral(".unreadable-") + fileStampText();
    const QString from = Journal::pathIn(dataFolder);
    const QString to = QDir(dataFolder).filePath(aside);
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw Error(systemMessage(QStringLiteral("Cannot rename \"%1\"").arg(from), errno));
    for (const char* suffix : {"-wal", "-shm"}) {
        const QByteArray side = QFile::encodeName(from) + suffix;
        if (::rename(side.constData(), (QFile::encodeName(to) + suffix).constData()) != 0 &&
            errno != ENOENT)
            throw Error(systemMessage(
                QStringLiteral("Cannot rename \"%1\"").arg(QFile::decodeName(side)), errno));
    }
    Journal::openOrCreate(dataFolder);
    return aside;
}

namespace {
// Takes the event out of the files, or puts it back, by replay; the event stays, marked.
void setEventUndone(Journal& journal, const QString& dataFolder, std::int64_t event, bool undone) {
    const FileSet files = replayChecked(journal, dataFolder, {{event, undone}});
    writeFiles(dataFolder, files);
    journal.markEvent(event, undone);
}
} // namespace

void setGameUndone(const QString& dataFolder, std::int64_t number, bool undone) {
    HistoryAccess access(dataFolder);
    Journal& journal = access.journal();
    const auto event = journal.gameEvent(number);
    const auto game = event ? journal.game(*event) : std::nullopt;
    if (!game)
        throw Error(QStringLiteral("There is no game %1 in the game history.").arg(number));
    if (!journal.replayable(*event))
        throw Error(QStringLiteral("Game %1 was recorded before the history last started afresh "
                                   "from the files; it can no longer be taken out or put back.")
                        .arg(number));
    if (game->undone == undone)
        throw Error(undone ? QStringLiteral("Game %1 is undone already.").arg(number)
                           : QStringLiteral("Game %1 is not undone.").arg(number));
    setEventUndone(journal, dataFolder, *event, undone);
}

void setChangeUndone(const QString& dataFolder, std::int64_t id, bool undone) {
    HistoryAccess access(dataFolder);
    Journal& journal = access.journal();
    const auto change = journal.upkeepChange(id);
    if (!change)
        throw Error(QStringLiteral("There is no change %1 in the game history (\"changes\" "
                                   "lists them).")
                        .arg(id));
    if (!journal.replayable(id))
        throw Error(QStringLiteral("Change %1 was made before the history last started afresh "
                                   "from the files; it can no longer be taken back.")
                        .arg(id));
    if (change->undone == undone)
        throw Error(undone ? QStringLiteral("Change %1 is undone already.").arg(id)
                           : QStringLiteral("Change %1 is not undone.").arg(id));
    setEventUndone(journal, dataFolder, id, undone);
}

} // namespace vantor::history
