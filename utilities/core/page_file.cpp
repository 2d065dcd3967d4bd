#include "page_file.h"

#include "common/error.h"
#include "common/record_file.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vantor::utilities {

PageFile::PageFile(QString path) : path_(std::move(path)) {
    fd_ = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                 0666);
    if (fd_ < 0)
        throw Error(systemMessage(QStringLiteral("Cannot create \"%1\"").arg(path_), errno));
}

PageFile::~PageFile() {
    discard();
}

void PageFile::discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    removeQuietly(path_);
}

void PageFile::fail(const QString& what, int err) {
    discard();
    throw Error(systemMessage(QStringLiteral("%1 \"%2\"").arg(what, path_), err));
}

void PageFile::write(std::string_view bytes) {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot write to"), EBADF);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Cannot write to"), errno);
        }
        bytes.remove_prefix(std::size_t(n));
    }
}

void PageFile::finish() {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot close"), EBADF);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        removeQuietly(path_);
        throw Error(systemMessage(QStringLiteral("Cannot close \"%1\"").arg(path_), err));
    }
}

} // namespace vantor::utilities
