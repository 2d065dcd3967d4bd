#include "recorder_lock.h"

#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantor {

namespace {
// Folders a recorder of this process holds: flock would refuse this process a second
// descriptor too, and it must not count itself as another recorder.
QSet<QString>& heldHere() {
    static QSet<QString> folders;
    return folders;
}

QString lockPath(const QString& folder) {
    return QDir(folder).absoluteFilePath(RecorderLock::kFileName);
}

// The lock file, made without following a link planted in its place.
int openLockFile(const QString& folder) {
    const QByteArray path = QFile::encodeName(lockPath(folder));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throw Error(
            systemMessage(QStringLiteral("Cannot lock the data folder for recording (\"%1\")")
                              .arg(lockPath(folder)),
                          errno));
    return fd;
}
} // namespace

RecorderLock::RecorderLock(QString folder) : folder_(QDir(folder).absolutePath()) {}

RecorderLock::~RecorderLock() {
    unlock();
}

bool RecorderLock::tryLock() {
    if (fd_ >= 0)
        return true;
    if (heldHere().contains(folder_))
        return false; // another recorder object of this process records there
    const int fd = openLockFile(folder_);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    heldHere().insert(folder_);
    return true;
}

void RecorderLock::unlock() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    heldHere().remove(folder_);
}

bool RecorderLock::heldElsewhere(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    if (heldHere().contains(absolute))
        return false;
    int fd = -1;
    try {
        fd = openLockFile(absolute);
    } catch (const Error&) {
        return false; // no lock file can be made: no recorder can hold one either
    }
    // A shared probe: two recorders looking at once do not take it from each other.
    const bool free = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
    ::close(fd);
    return !free;
}

QString RecorderLock::refusal(const QString& folder) {
    return QStringLiteral("Another recorder is already recording into \"%1\"; this one does "
                          "not record.")
        .arg(QDir(folder).absolutePath());
}

} // namespace vantor
