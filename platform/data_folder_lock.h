#pragma once

#include <QString>
#include <functional>

namespace vantor {

// An advisory lock on the data folder, held by either program for every read-modify-write of
// its data files, so that a ranking never loses a game merged meanwhile. Re-entrant within a
// process: nested holders on the same folder share one lock. The lock file (kLockFile) is
// never opened through a link.
class DataFolderLock {
public:
    explicit DataFolderLock(QString folder = QStringLiteral("."));
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    bool tryLock();
    // Waits up to timeoutMs (negative: for ever), calling idle between tries so a window
    // stays live. False on time-out.
    bool lock(int timeoutMs, const std::function<void()>& idle = {});
    // As lock, but throws vantor::Error saying the other program holds the data folder.
    void lockOrThrow(int timeoutMs, const std::function<void()>& idle = {});
    void unlock();
    bool isLocked() const { return held_; }

private:
    QString key_;
    bool held_ = false;
};

} // namespace vantor
