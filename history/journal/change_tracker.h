#pragma once

#include "file_digest.h"

#include "common/undo_journal.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>

namespace vantor::history {

// Passes every change on to another guard (the undo journal) and keeps the old bytes of the
// records it touches, so the digest of a large stats file can be brought up to date from the
// few records a game changed instead of hashing it whole.
class ChangeTracker : public ChangeGuard {
public:
    explicit ChangeTracker(ChangeGuard& inner) : inner_(inner) {}

    void beforeWrite(const QString& path, int fd, std::int64_t offset,
                     std::int64_t length) override;
    void beforeCreate(const QString& path) override;

    // The states of the journaled files that changed, from their states before (which must be
    // what the files held then). A file it cannot account for (made afresh, replaced, or not
    // seen) is left out: the caller hashes it whole.
    std::map<QString, FileState> updated(const QString& folder,
                                         const std::map<QString, FileState>& before) const;

private:
    struct Touched {
        std::int64_t sizeBefore = 0;
        std::int64_t inode = 0;
        bool whole = false;                     // made afresh: hash it whole
        QHash<std::int64_t, QByteArray> before; // record index -> its bytes before the change
    };

    ChangeGuard& inner_;
    QHash<QString, Touched> files_; // by file name
};

} // namespace vantor::history
