#include "common/plain_file.h"

#include "common/error.h"
#include "common/file_writer.h"
#include "common/unique_fd.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

int openPlainFile(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    QString problem;
    if (::fstat(fd, &st) != 0)
        problem = fileFailureMessage(QStringLiteral("Cannot open file"), path, errno);
    else if (!S_ISREG(st.st_mode))
        problem = QStringLiteral("Cannot open file \"%1\": it is not a plain file").arg(path);
    else if ((flags & O_ACCMODE) != O_RDONLY && st.st_nlink > 1)
        problem = QStringLiteral("Cannot open file \"%1\": it has another name (a hard link), "
                                 "and such a file is not changed in place")
                      .arg(path);
    if (!problem.isEmpty()) {
        const UniqueFd refused(fd);
        throw Error(problem);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

QByteArray readPlainFile(const QString& path, qint64 maxBytes) {
    const int fd = openPlainFile(path, O_RDONLY | O_NOFOLLOW);
    if (fd < 0)
        throw Error(fileFailureMessage(QStringLiteral("Cannot open file"), path, errno));
    const UniqueFd owned(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Error(fileFailureMessage(QStringLiteral("Cannot read from"), path, errno));
    if (st.st_size > maxBytes)
        throw Error(QStringLiteral("\"%1\" holds %2 bytes, more than the %3 it may have")
                        .arg(path)
                        .arg(qint64(st.st_size))
                        .arg(maxBytes));
    const QByteArray bytes = readAll(fd, path);
    // Grown while it was read: no more than the limit is kept either way.
    if (bytes.size() > maxBytes)
        throw Error(QStringLiteral("\"%1\" holds more than the %2 bytes it may have")
                        .arg(path)
                        .arg(maxBytes));
    return bytes;
}

} // namespace vantor
