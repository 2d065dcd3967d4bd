#include "file_writer.h"

#include "error.h"
#include "fault_point.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

ssize_t systemWrite(int fd, const void* data, std::size_t size, off_t offset) {
    return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

} // namespace

std::size_t writeFully(int fd, const void* data, std::size_t size, off_t offset, int* error) {
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        faultPoint();
        const WriteCall call = ioSeams().write ? ioSeams().write : &systemWrite;
        const ssize_t n =
            call(fd, bytes + done, size - done, offset < 0 ? offset : offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = errno;
            return done;
        }
        if (n == 0) { // no progress and no reason: never loop for ever on it
            if (error)
                *error = EIO;
            return done;
        }
        done += std::size_t(n);
    }
    return done;
}

std::size_t readFully(int fd, void* data, std::size_t size, off_t offset, int* error) {
    char* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes + done, size - done, offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = errno;
            return done;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return done;
}

void writeAll(int fd, std::string_view bytes, const QString& path) {
    int err = 0;
    if (writeFully(fd, bytes.data(), bytes.size(), -1, &err) != bytes.size())
        throw Error(fileFailureMessage(QStringLiteral("Cannot write to"), path, err));
}

QByteArray readAll(int fd, const QString& path) {
    QByteArray bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(systemMessage(QStringLiteral("Cannot read from \"%1\"").arg(path), errno));
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

bool entryExists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString fileFailureMessage(const QString& what, const QString& path, int err) {
    const QString subject = QStringLiteral("%1 \"%2\"").arg(what, path);
    if (err == ELOOP)
        return subject + QStringLiteral(": it is a symbolic link, and links are not followed");
    return systemMessage(subject, err);
}

int createFresh(const QString& path, int accessFlags, mode_t mode) {
    const QByteArray name = native(path);
    faultPoint();
    // A link or a stale file goes first; a missing one is no error.
    const int unlinkError = ::unlink(name.constData()) == 0 ? 0 : errno;
    const int fd =
        ::open(name.constData(), accessFlags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        // "File exists" would hide why the old file could not be removed.
        const int err =
            errno == EEXIST && unlinkError != 0 && unlinkError != ENOENT ? unlinkError : errno;
        throw Error(fileFailureMessage(QStringLiteral("Cannot create"), path, err));
    }
    return fd;
}

void replaceFile(const QString& workPath, const QString& target, Durability durability) {
    faultPoint();
    if (::rename(native(workPath).constData(), native(target).constData()) != 0) {
        const int err = errno;
        ::unlink(native(workPath).constData());
        throw Error(fileFailureMessage(QStringLiteral("Cannot replace"), target, err));
    }
    if (durability == Durability::Deferred)
        return;
    // The new content is in place already; a folder that cannot be synced only loses the
    // guarantee across a power loss, so it is not reported.
    const UniqueFd dir(::open(native(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        (void)::fsync(dir.get());
}

void replaceFileWith(const QString& target, std::string_view bytes, const QString& tempPath,
                     mode_t mode, Durability durability) {
    UniqueFd fd(createFresh(tempPath, O_WRONLY, mode));
    try {
        writeAll(fd.get(), bytes, tempPath);
        faultPoint();
        if (durability == Durability::Forced && ::fsync(fd.get()) != 0)
            throw Error(fileFailureMessage(QStringLiteral("Cannot write to"), tempPath, errno));
        if (fd.close() != 0) // gone even when close failed
            throw Error(fileFailureMessage(QStringLiteral("Cannot write to"), tempPath, errno));
    } catch (...) {
        fd.reset();
        ::unlink(native(tempPath).constData());
        throw;
    }
    replaceFile(tempPath, target, durability);
}

void syncFolder(const QString& folder) {
    const UniqueFd fd(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        throw Error(systemMessage(QStringLiteral("Cannot open folder \"%1\"").arg(folder), errno));
    faultPoint();
    // Some file systems cannot sync a folder; their entries are as durable as they get.
    const int err = ::fsync(fd.get()) == 0 ? 0 : errno;
    if (err != 0 && err != EINVAL && err != EROFS)
        throw Error(systemMessage(QStringLiteral("Cannot write to \"%1\"").arg(folder), err));
}

void syncFolderTree(const QString& folder) {
    const UniqueFd fd(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        throw Error(fileFailureMessage(QStringLiteral("Cannot open"), folder, errno));
    if (::syncfs(fd.get()) != 0)
        throw Error(fileFailureMessage(QStringLiteral("Cannot write to"), folder, errno));
}

OutputFile::OutputFile(QString path, mode_t mode)
    : path_(std::move(path)), fd_(createFresh(path_, O_WRONLY, mode)) {}

OutputFile::~OutputFile() {
    discard();
}

void OutputFile::discard() {
    if (!fd_.valid())
        return;
    fd_.reset();
    ::unlink(native(path_).constData());
}

void OutputFile::fail(const QString& what, int err) {
    discard();
    throw Error(fileFailureMessage(what, path_, err));
}

void OutputFile::write(std::string_view bytes) {
    if (!fd_.valid())
        fail(QStringLiteral("Cannot write to"), EBADF);
    int err = 0;
    if (writeFully(fd_.get(), bytes.data(), bytes.size(), -1, &err) != bytes.size())
        fail(QStringLiteral("Cannot write to"), err);
}

void OutputFile::commit() {
    if (!fd_.valid())
        fail(QStringLiteral("Cannot close"), EBADF);
    if (fd_.close() != 0) {
        const int err = errno;
        ::unlink(native(path_).constData());
        throw Error(fileFailureMessage(QStringLiteral("Cannot close"), path_, err));
    }
}

} // namespace vantor
