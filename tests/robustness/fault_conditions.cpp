#include "fault_conditions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::test {

namespace {
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
} // namespace

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit small = old_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, SIG_DFL);
}

std::function<void()> childFileSizeLimit(rlim_t bytes) {
    return [bytes] {
        std::signal(SIGXFSZ, SIG_IGN); // kept across exec
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
}

ActAsNobody::ActAsNobody() {
    if (::geteuid() != 0)
        return;
    switched_ = ::setegid(kNoGroup) == 0 && ::seteuid(kNobody) == 0;
}

ActAsNobody::~ActAsNobody() {
    if (switched_) {
        (void)::seteuid(0);
        (void)::setegid(0);
    }
}

std::function<void()> childAsNobody() {
    return [] {
        if (::geteuid() == 0) {
            (void)::setgroups(0, nullptr);
            if (::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0)
                ::_exit(127);
        }
    };
}

void makeReachable(const QString& folder) {
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

void makeReadOnlyFolder(const QString& folder) {
    makeReachable(QFileInfo(folder).absolutePath());
    for (const QString& f : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        ::chmod(QFile::encodeName(QDir(folder).filePath(f)).constData(), 0644);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
}

} // namespace vantor::test
