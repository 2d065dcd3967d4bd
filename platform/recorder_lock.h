#pragma once

#include "common/data_files.h"

#include <QString>

namespace vantor {

// Held by a recorder for as long as it records into a data folder, so that a second recorder
// on the same folder never records (each game would be counted by both). Separate from the
// short data-folder lock the two programs share for each change.
class RecorderLock {
public:
    static inline const QString kFileName = kRecorderLockFile;

    explicit RecorderLock(QString folder = QStringLiteral("."));
    ~RecorderLock();
    RecorderLock(const RecorderLock&) = delete;
    RecorderLock& operator=(const RecorderLock&) = delete;

    // False when another recorder holds it; throws vantor::Error when it cannot be made.
    bool tryLock();
    void unlock();
    bool isLocked() const { return fd_ >= 0; }

    // True when a recorder other than one of this process records into folder.
    static bool heldElsewhere(const QString& folder);
    // "Another recorder is already recording into "<absolute folder>"."
    static QString refusal(const QString& folder);

private:
    QString folder_;
    int fd_ = -1;
};

} // namespace vantor
