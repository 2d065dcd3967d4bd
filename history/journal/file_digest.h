#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace vantor::history {

// The data files the history keeps: the two stats files and the team wins. "lastgame.log" is
// only the live page's scratch and is left out.
const QStringList& journaledFiles();
// The record size a file is digested by (96 for the stats files, 12 for "team.log").
std::size_t recordSizeOf(const QString& fileName);

// What is known of one data file: whether it exists, its identity, and a digest of its bytes.
struct FileState {
    bool present = false;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t inode = 0;
    std::int64_t device = 0;
    std::uint64_t digest = 0;

    // Same file, same size, same modification: its bytes are taken to be the same.
    bool sameIdentity(const FileState& o) const {
        return present == o.present && size == o.size && mtimeNs == o.mtimeNs && inode == o.inode &&
               device == o.device;
    }
    bool sameContent(const FileState& o) const {
        return present == o.present && (!present || (size == o.size && digest == o.digest));
    }
};

// The digest of a file's bytes: a sum over its records of a hash of (position, record bytes),
// so a change of a few records can be folded in without reading the rest.
std::uint64_t digestOf(const QByteArray& bytes, std::size_t recordSize);
std::uint64_t recordHash(std::int64_t index, const char* record, std::size_t size);

// The digest of a file folded as its records are written in order from its first, so the file
// need not be read again for it.
class DigestFold {
public:
    explicit DigestFold(std::size_t recordSize) : recordSize_(recordSize) {}
    void add(const void* records, std::size_t count);
    // The state of the file at path as written: its identity now, the folded digest. One that
    // is not what was folded (another size) gets a state that never matches.
    FileState stateOf(const QString& path) const;

private:
    std::size_t recordSize_;
    std::int64_t records_ = 0;
    std::uint64_t sum_ = 0;
};

// The identity only (digest 0). Links are not followed: a link counts as present with its own
// identity, and its digest never matches.
FileState statFile(const QString& path);
// Identity and digest; throws vantor::Error when the file cannot be read.
FileState digestFile(const QString& path);
// The file's bytes, or a null QByteArray when it is missing; throws when it cannot be read.
QByteArray readFileBytes(const QString& path);

} // namespace vantor::history
