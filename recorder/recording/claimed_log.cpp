#include "claimed_log.h"

#include "common/unique_fd.h"
#include "result_log_files.h"

#include "common/error.h"
#include "common/fault_point.h"
#include "common/file_writer.h"
#include "common/plain_file.h"
#include "common/undo_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vantor::recorder {

namespace {
QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Copies from into a new file to, forced to the disk: for a move across file systems.
void copyDurably(const QString& from, const QString& to) {
    // A FIFO in the game folder must not hang the recorder.
    const int in = openPlainFile(from, O_RDONLY | O_NOFOLLOW);
    if (in < 0)
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(from), errno));
    const UniqueFd owned(in);
    const QByteArray bytes = readAll(in, from);
    // A part copy left by a killed run, or a link planted in its place, goes first.
    UniqueFd out(createFresh(to, O_WRONLY, 0644));
    try {
        writeAll(out.get(), std::string_view(bytes.constData(), std::size_t(bytes.size())), to);
        faultPoint();
        if (::fsync(out.get()) != 0)
            throw Error(systemMessage(QStringLiteral("Cannot write to \"%1\"").arg(to), errno));
    } catch (...) {
        out.reset();
        ::unlink(native(to).constData());
        throw;
    }
}

// Renames, or copies and deletes across file systems. The target folder is forced to the disk.
void move(const QString& from, const QString& to) {
    faultPoint();
    if (::rename(native(from).constData(), native(to).constData()) == 0) {
        syncFolder(QFileInfo(to).absolutePath());
        try {
            // Should the old entry come back after a power loss, start-up deletes it unread.
            syncFolder(QFileInfo(from).absolutePath());
        } catch (const Error&) {
        }
        return;
    }
    if (errno != EXDEV)
        throw Error(
            systemMessage(QStringLiteral("Cannot move \"%1\" to \"%2\"").arg(from, to), errno));
    const QString part = to + QStringLiteral(".part");
    copyDurably(from, part);
    faultPoint();
    if (::rename(native(part).constData(), native(to).constData()) != 0) {
        const int err = errno;
        ::unlink(native(part).constData());
        throw Error(
            systemMessage(QStringLiteral("Cannot move \"%1\" to \"%2\"").arg(from, to), err));
    }
    syncFolder(QFileInfo(to).absolutePath());
    faultPoint();
    if (::unlink(native(from).constData()) != 0 && errno != ENOENT) {
        // Left in both places the game would be read twice: the copy goes again.
        const int err = errno;
        ::unlink(native(to).constData());
        throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(from), err));
    }
}
} // namespace

QString claimedLogPath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(kClaimedLogFile);
}

void claimLog(const QString& log, const QString& dataFolder) {
    move(log, claimedLogPath(dataFolder));
}

QByteArray readClaimedLog(const QString& dataFolder) {
    return readPlainFile(claimedLogPath(dataFolder), kMaxResultLogBytes);
}

QString setClaimedLogAside(const QString& dataFolder, const QString& gameFolder) {
    const QString claimed = claimedLogPath(dataFolder);
    QString why;
    try {
        const QString target = setAsidePath(gameFolder);
        move(claimed, target);
        return target;
    } catch (const Error& e) {
        why = e.message();
    }
    const QString target =
        setAsidePathIn([&](const QString& name) { return QDir(dataFolder).filePath(name); });
    faultPoint();
    if (::rename(native(claimed).constData(), native(target).constData()) != 0)
        throw Error(why);
    syncFolder(dataFolder);
    return target;
}

} // namespace vantor::recorder
