#include "write_check.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {
// A lease break is announced by SIGIO, whose default action ends the process. We hold the
// lease only for an instant, so the notice itself is of no use: ignore it.
void ignoreLeaseBreaks() {
    static const bool done = [] {
        struct sigaction current {};
        sigaction(SIGIO, nullptr, &current);
        if (current.sa_handler == SIG_DFL)
            std::signal(SIGIO, SIG_IGN);
        return true;
    }();
    (void)done;
}

enum class Lease { Granted, Busy, Unavailable };

Lease tryReadLease(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Lease::Unavailable;
    Lease result = Lease::Unavailable;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        result = Lease::Granted;
    } else if (errno == EAGAIN || errno == EBUSY) {
        result = Lease::Busy;
    }
    ::close(fd);
    return result;
}
} // namespace

bool WriteCompletionCheck::stableSinceLastLook(const QString& path, std::int64_t size,
                                               std::int64_t mtimeNs) {
    const auto it = seen_.find(path);
    const bool stable = it != seen_.end() && it->size == size && it->mtimeNs == mtimeNs;
    seen_.insert(path, Seen{size, mtimeNs});
    return stable;
}

bool WriteCompletionCheck::isFinished(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        seen_.remove(path);
        return false;
    }
    const std::int64_t mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (leaseAllowed_) {
        ignoreLeaseBreaks();
        switch (tryReadLease(native)) {
        case Lease::Granted:
            lastMethod_ = Method::Lease;
            seen_.remove(path);
            return true;
        case Lease::Busy:
            lastMethod_ = Method::Lease;
            seen_.insert(path, Seen{st.st_size, mtimeNs});
            return false;
        case Lease::Unavailable:
            break;
        }
    }
    lastMethod_ = Method::Stable;
    const bool stable = stableSinceLastLook(path, st.st_size, mtimeNs);
    if (stable)
        seen_.remove(path);
    return stable;
}

} // namespace vantor
