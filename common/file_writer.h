#pragma once

#include "io_seams.h"
#include "unique_fd.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <string_view>
#include <sys/types.h>

namespace vantor {

// Writes all size bytes at offset (offset < 0: at the file position), going on after EINTR and
// short writes. Returns the bytes written; fewer only when a call failed, with its errno in
// *error.
std::size_t writeFully(int fd, const void* data, std::size_t size, off_t offset, int* error);

// Reads up to size bytes at offset, going on after EINTR and short reads. Returns the bytes
// read: fewer at the end of the file, or when a call failed, with its errno in *error.
std::size_t readFully(int fd, void* data, std::size_t size, off_t offset, int* error);

// As writeFully at the file position; a failure throws vantor::Error naming path.
void writeAll(int fd, std::string_view bytes, const QString& path);

// Reads fd from its position to the end, going on after EINTR. A failure throws vantor::Error
// "Cannot read from "<path>": <the system's reason>"; fd stays open either way.
QByteArray readAll(int fd, const QString& path);

// Whether anything stands at path, a link included (not followed).
bool entryExists(const QString& path);

// "<what> "<path>": <the system's reason>"; a link met where none is followed says so plainly.
QString fileFailureMessage(const QString& what, const QString& path, int err);

// Creates path as a new file and opens it with accessFlags (O_WRONLY or O_RDWR): a stale file
// of that name is removed first, then the file is made with O_EXCL|O_NOFOLLOW, so a planted link
// is replaced, never written through. Throws vantor::Error ("Cannot create ...").
int createFresh(const QString& path, int accessFlags, mode_t mode = 0666);

// Forces folder's entries (a rename, a new or removed file) to the disk. A file system that
// cannot sync a folder is no failure; anything else throws vantor::Error.
void syncFolder(const QString& folder);

// Whether a replacement is forced to the disk at once, or left to one syncFolderTree() after
// many files (a site of thousands of pages cannot afford two syncs per page).
enum class Durability { Forced, Deferred };

// Renames workPath over target, then forces target's folder to the disk so that the rename
// survives a power loss. A failed rename removes workPath and throws; target is as it was.
void replaceFile(const QString& workPath, const QString& target,
                 Durability durability = Durability::Forced);

// Puts bytes in place of target, whole or not at all: written to tempPath (created fresh),
// forced to the disk and renamed over target. On failure target is as it was and tempPath gone.
void replaceFileWith(const QString& target, std::string_view bytes, const QString& tempPath,
                     mode_t mode = 0666, Durability durability = Durability::Forced);

// Forces everything written under folder (its whole file system) to the disk; throws on failure.
void syncFolderTree(const QString& folder);

// A file written from new (created fresh, as createFresh). Unless commit() succeeds it is
// removed again, so a failure never leaves a partial file behind.
class OutputFile {
public:
    // Throws vantor::Error with the system's message when the file cannot be created.
    explicit OutputFile(QString path, mode_t mode = 0666);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    // Closes the file and keeps it.
    void commit();

    const QString& path() const { return path_; }

private:
    [[noreturn]] void fail(const QString& what, int err);
    void discard();

    QString path_;
    UniqueFd fd_;
};

} // namespace vantor
