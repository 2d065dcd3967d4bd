#include "data_folder_lock.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/undo_journal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantor {

namespace {
struct Held {
    int fd = -1;
    int count = 0;
};
// flock conflicts between two descriptors even within one process, so the process keeps one
// descriptor a folder and counts its holders.
QHash<QString, Held>& held() {
    static QHash<QString, Held> h;
    return h;
}
} // namespace

DataFolderLock::DataFolderLock(QString folder) : key_(QDir(folder).absoluteFilePath(kLockFile)) {}

DataFolderLock::~DataFolderLock() {
    unlock();
}

bool DataFolderLock::tryLock() {
    if (held_)
        return true;
    Held& h = held()[key_];
    if (h.count > 0) {
        ++h.count;
        held_ = true;
        return true;
    }
    const QByteArray native = QFile::encodeName(key_);
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int createError = errno;
        // flock needs no write access
        fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            // A lock file missing from a folder it cannot be made in: the folder's reason
            // (say, no permission) is the one that tells the user something.
            const int err = errno == ENOENT ? createError : errno;
            held().remove(key_);
            throw Error(
                fileFailureMessage(QStringLiteral("Cannot lock the data folder with"), key_, err));
        }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        held().remove(key_);
        return false;
    }
    h.fd = fd;
    h.count = 1;
    held_ = true;
    // Whoever first holds the folder after a process died mid-game puts its files back, so no
    // one ever reads or rewrites a game half recorded.
    try {
        recoverInterruptedGame(QFileInfo(key_).absolutePath());
    } catch (...) {
        unlock();
        throw;
    }
    return true;
}

bool DataFolderLock::lock(int timeoutMs, const std::function<void()>& idle) {
    QElapsedTimer timer;
    timer.start();
    while (!tryLock()) {
        if (timeoutMs >= 0 && timer.elapsed() >= timeoutMs)
            return false;
        if (idle)
            idle();
        QThread::msleep(10);
    }
    return true;
}

void DataFolderLock::lockOrThrow(int timeoutMs, const std::function<void()>& idle) {
    if (!lock(timeoutMs, idle))
        throw Error(QStringLiteral("The data folder is in use by the other Vantor program; "
                                   "nothing was changed. Try again in a moment."));
}

void DataFolderLock::unlock() {
    if (!held_)
        return;
    held_ = false;
    auto it = held().find(key_);
    if (it == held().end())
        return;
    if (--it->count == 0) {
        ::close(it->fd); // closing the last descriptor releases the flock
        held().erase(it);
    }
}

} // namespace vantor
