#pragma once

#include <QHash>
#include <QString>
#include <cstdint>

namespace vantor {

// Tells whether the game has finished writing a file. On Windows such a file cannot be opened;
// Linux lets a reader in, so: a read lease, which the kernel refuses while any process has the
// file open for writing; where leases are not to be had, the file's size and modification time
// must be unchanged since the previous look.
class WriteCompletionCheck {
public:
    enum class Method { Lease, Stable };

    // False for a missing file or one still being written.
    bool isFinished(const QString& path);
    Method lastMethod() const { return lastMethod_; }

    // For tests: never try the lease.
    void setLeaseAllowed(bool allowed) { leaseAllowed_ = allowed; }

private:
    struct Seen {
        std::int64_t size;
        std::int64_t mtimeNs;
    };
    bool stableSinceLastLook(const QString& path, std::int64_t size, std::int64_t mtimeNs);

    QHash<QString, Seen> seen_;
    Method lastMethod_ = Method::Lease;
    bool leaseAllowed_ = true;
};

} // namespace vantor
