#pragma once

#include <QString>
#include <functional>
#include <sys/resource.h>

namespace vantor::test {

// While it lives, no file of this process may grow past `bytes`: a write beyond fails with
// EFBIG as it would on a full disk (SIGXFSZ is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

// The same for a child process, set between fork and exec.
std::function<void()> childFileSizeLimit(rlim_t bytes);

// Root passes every permission check, so a folder's missing write bit only shows when the
// checks are made as another user: while it lives this process acts as "nobody" (nothing
// changes when it does not run as root).
class ActAsNobody {
public:
    ActAsNobody();
    ~ActAsNobody();
    ActAsNobody(const ActAsNobody&) = delete;
    ActAsNobody& operator=(const ActAsNobody&) = delete;

private:
    bool switched_ = false;
};

// The same for a child process, for good.
std::function<void()> childAsNobody();

// Makes a folder and its parent reachable by others and takes away every write bit but the
// owner's (which only matters when not acting as the owner).
void makeReadOnlyFolder(const QString& folder);
void makeReachable(const QString& folder);

} // namespace vantor::test
