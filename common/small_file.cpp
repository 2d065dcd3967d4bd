#include "small_file.h"

#include "error.h"
#include "file_writer.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

std::optional<QByteArray> readSmallFile(const QString& path, qint64 maxBytes) {
    // O_NONBLOCK: a planted FIFO must not hang the reader before it is found to be one.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw Error(fileFailureMessage(QStringLiteral("Cannot open"), path, errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Error(fileFailureMessage(QStringLiteral("Cannot read"), path, errno));
    if (!S_ISREG(st.st_mode))
        throw Error(QStringLiteral("\"%1\" is not a plain file.").arg(path));
    if (st.st_size > maxBytes)
        throw Error(QStringLiteral("\"%1\" is larger than %2 bytes.").arg(path).arg(maxBytes));
    QByteArray bytes = readAll(fd, path);
    // A file grown while read is cut at the bound, never followed further.
    if (bytes.size() > maxBytes)
        throw Error(QStringLiteral("\"%1\" is larger than %2 bytes.").arg(path).arg(maxBytes));
    return bytes;
}

} // namespace vantor
