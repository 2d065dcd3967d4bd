#include "common/scratch_folder.h"

#include "common/error.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
}

bool emptyFolderAt(int fd) {
    // The listing gets its own descriptor: closedir closes it, fd stays ours.
    const int listFd = ::openat(fd, ".", kFolderFlags);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    bool ok = true;
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (::unlinkat(fd, name, 0) == 0)
            continue;
        if (errno != EISDIR && errno != EPERM) {
            ok = false;
            continue;
        }
        const int sub = ::openat(fd, name, kFolderFlags);
        if (sub < 0) {
            ok = false;
            continue;
        }
        ok = emptyFolderAt(sub) && ok;
        ::close(sub);
        if (::unlinkat(fd, name, AT_REMOVEDIR) != 0)
            ok = false;
    }
    ::closedir(dir);
    return ok;
}

ScratchFolder::ScratchFolder(const QString& parent, const QString& prefix) : parent_(parent) {
    QByteArray pattern = QFile::encodeName(parent) + '/' + QFile::encodeName(prefix) + "XXXXXX";
    parentFd_ = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd_ < 0)
        throw Error(systemMessage(QStringLiteral("Cannot open folder \"%1\"").arg(parent), errno));
    // mkdtemp makes it with mode 0700 under a name no one held before.
    if (!::mkdtemp(pattern.data())) {
        const int err = errno;
        ::close(parentFd_);
        throw Error(
            systemMessage(QStringLiteral("Cannot create a folder in \"%1\"").arg(parent), err));
    }
    name_ = QFile::decodeName(pattern.mid(pattern.lastIndexOf('/') + 1));
    fd_ = ::openat(parentFd_, QFile::encodeName(name_).constData(), kFolderFlags);
    struct stat st {};
    // Between mkdtemp and openat the name could have been swapped: the folder must be ours,
    // private and empty of anything but what we put there.
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || st.st_uid != ::geteuid() ||
        (st.st_mode & 07777) != 0700) {
        const int err = fd_ < 0 ? errno : EPERM;
        if (fd_ >= 0)
            ::close(fd_);
        ::close(parentFd_);
        throw Error(systemMessage(
            QStringLiteral("Cannot use the new folder \"%1\"").arg(parent + '/' + name_), err));
    }
}

ScratchFolder::~ScratchFolder() {
    emptyFolderAt(fd_);
    // Only the folder we made goes: a link or another folder put under its name stays.
    struct stat ours {};
    struct stat named {};
    const QByteArray name = QFile::encodeName(name_);
    if (::fstat(fd_, &ours) == 0 &&
        ::fstatat(parentFd_, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == ours.st_dev && named.st_ino == ours.st_ino)
        ::unlinkat(parentFd_, name.constData(), AT_REMOVEDIR);
    ::close(fd_);
    ::close(parentFd_);
}

QString ScratchFolder::path() const {
    return QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

} // namespace vantor
