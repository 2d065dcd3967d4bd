#include "undo_journal.h"

#include "error.h"
#include "fault_point.h"
#include "file_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantor {

namespace {
constexpr char kMagic[8] = {'V', 'N', 'T', 'U', 'N', 'D', 'O', '1'};
constexpr char kSize = 'S';   // the file's size before the game
constexpr char kAbsent = 'A'; // the file did not exist before the game
constexpr char kRegion = 'R'; // old bytes at an offset
// Far above any entry the recorder writes (a stats file of 100000 records is under 10 MB);
// a larger length is damage, not data.
constexpr std::uint32_t kMaxPayload = 256u << 20;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

std::uint64_t checksum(const char* data, std::size_t size) {
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        h ^= std::uint8_t(data[i]);
        h *= 1099511628211ull;
    }
    return h;
}

template <class T> void put(QByteArray& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T> bool take(const QByteArray& in, qsizetype& pos, T& value) {
    if (in.size() - pos < qsizetype(sizeof value))
        return false;
    std::memcpy(&value, in.constData() + pos, sizeof value);
    pos += qsizetype(sizeof value);
    return true;
}

void syncFd(int fd, const QString& path) {
    faultPoint();
    if (::fsync(fd) != 0)
        throw Error(systemMessage(QStringLiteral("Cannot write to \"%1\"").arg(path), errno));
}

// A file name the journal may restore: a plain name in the data folder, nothing that leads out.
bool plainName(const QByteArray& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

struct FileUndo {
    QByteArray name;
    bool known = false; // its size or absence was journaled
    std::int64_t size = -1;
    std::vector<std::pair<std::int64_t, QByteArray>> regions;
};

// The entries up to the first torn or damaged one, grouped by file in first-change order.
std::vector<FileUndo> readEntries(const QByteArray& bytes) {
    std::vector<FileUndo> files;
    if (bytes.size() < qsizetype(sizeof kMagic) ||
        std::memcmp(bytes.constData(), kMagic, sizeof kMagic) != 0)
        return files; // never got its header: nothing was changed yet
    qsizetype pos = sizeof kMagic;
    while (true) {
        std::uint32_t length = 0;
        if (!take(bytes, pos, length) || length > kMaxPayload ||
            bytes.size() - pos < qsizetype(length) + 8)
            break;
        const char* payload = bytes.constData() + pos;
        std::uint64_t sum = 0;
        std::memcpy(&sum, payload + length, sizeof sum);
        if (sum != checksum(payload, length))
            break;
        const QByteArray entry(payload, length);
        pos += qsizetype(length) + 8;

        qsizetype at = 0;
        char kind = 0;
        std::uint8_t nameLength = 0;
        std::int64_t value = 0;
        if (!take(entry, at, kind) || !take(entry, at, nameLength) ||
            entry.size() - at < nameLength)
            break;
        const QByteArray name = entry.mid(at, nameLength);
        at += nameLength;
        if (!take(entry, at, value) || value < -1 || !plainName(name))
            break;
        auto it = std::find_if(files.begin(), files.end(),
                               [&](const FileUndo& f) { return f.name == name; });
        if (it == files.end()) {
            FileUndo f;
            f.name = name;
            files.push_back(std::move(f));
            it = files.end() - 1;
        }
        if ((kind == kSize || kind == kAbsent) && !it->known) {
            it->known = true;
            it->size = kind == kSize ? value : -1;
        } else if (kind == kRegion && value >= 0) {
            it->regions.emplace_back(value, entry.mid(at));
        }
    }
    return files;
}

void restore(const QString& folder, const FileUndo& f) {
    if (!f.known)
        return; // no change to it can have happened before its first entry
    const QString path = QDir(folder).filePath(QFile::decodeName(f.name));
    if (f.size < 0) {
        faultPoint();
        if (::unlink(native(path).constData()) != 0 && errno != ENOENT)
            throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(path), errno));
        return;
    }
    const int fd = ::open(native(path).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return; // deleted since (the last game's file at start-up): nothing to put back
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
    }
    const auto closeFd = [fd] { ::close(fd); };
    try {
        // Newest first, so a region changed twice ends with its oldest bytes.
        for (auto r = f.regions.rbegin(); r != f.regions.rend(); ++r) {
            int err = 0;
            const auto size = std::size_t(r->second.size());
            if (writeFully(fd, r->second.constData(), size, off_t(r->first), &err) != size)
                throw Error(fileFailureMessage(QStringLiteral("Cannot write to"), path, err));
        }
        faultPoint();
        if (::ftruncate(fd, off_t(f.size)) != 0)
            throw Error(systemMessage(QStringLiteral("Cannot truncate \"%1\"").arg(path), errno));
        syncFd(fd, path);
    } catch (...) {
        closeFd();
        throw;
    }
    closeFd();
}

QByteArray readJournal(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // A link is nothing this program made: it holds no change to undo.
        if (errno == ENOENT || errno == ELOOP)
            return {};
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
    }
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    return readAll(fd, path);
}

void undoAll(const QString& folder, const QString& journal) {
    for (const FileUndo& f : readEntries(readJournal(journal)))
        restore(folder, f);
    syncFolder(folder);
}

void removeJournal(const QString& folder, const QString& journal) {
    faultPoint();
    if (::unlink(native(journal).constData()) != 0 && errno != ENOENT)
        throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(journal), errno));
    syncFolder(folder);
}

} // namespace

void syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw Error(systemMessage(QStringLiteral("Cannot open folder \"%1\"").arg(folder), errno));
    faultPoint();
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; their entries are as durable as they get.
    if (rc != 0 && err != EINVAL && err != EROFS)
        throw Error(systemMessage(QStringLiteral("Cannot write to \"%1\"").arg(folder), err));
}

UndoJournal::UndoJournal(QString dataFolder)
    : folder_(std::move(dataFolder)), path_(QDir(folder_).filePath(kUndoJournalFile)) {
    faultPoint();
    fd_ = ::open(native(path_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                 0644);
    if (fd_ < 0)
        throw Error(systemMessage(QStringLiteral("Cannot create \"%1\"").arg(path_), errno));
    try {
        writeAll(fd_, std::string_view(kMagic, sizeof kMagic), path_);
        syncFd(fd_, path_);
        syncFolder(folder_);
    } catch (...) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(native(path_).constData());
        throw;
    }
}

UndoJournal::~UndoJournal() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString UndoJournal::fileNameOf(const QString& path) const {
    const QFileInfo info(path);
    if (QDir(info.absolutePath()) != QDir(folder_))
        throw Error(QStringLiteral("\"%1\" lies outside the data folder \"%2\"; it was not "
                                   "changed.")
                        .arg(path, QDir(folder_).absolutePath()));
    return info.fileName();
}

void UndoJournal::append(const QByteArray& payload) {
    QByteArray entry;
    put(entry, std::uint32_t(payload.size()));
    entry.append(payload);
    put(entry, checksum(payload.constData(), std::size_t(payload.size())));
    writeAll(fd_, std::string_view(entry.constData(), std::size_t(entry.size())), path_);
    faultPoint();
    if (::fdatasync(fd_) != 0)
        throw Error(systemMessage(QStringLiteral("Cannot write to \"%1\"").arg(path_), errno));
}

namespace {
QByteArray entryHead(char kind, const QByteArray& name, std::int64_t value) {
    QByteArray p;
    put(p, kind);
    put(p, std::uint8_t(name.size()));
    p.append(name);
    put(p, value);
    return p;
}
} // namespace

void UndoJournal::beforeCreate(const QString& path) {
    const QString name = fileNameOf(path);
    if (originalSize_.contains(name))
        return;
    const QByteArray bytes = QFile::encodeName(name);
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) {
        if (errno != ENOENT)
            throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
        append(entryHead(kAbsent, bytes, -1));
        originalSize_.insert(name, -1);
        return;
    }
    if (S_ISLNK(st.st_mode))
        throw Error(QStringLiteral("\"%1\" is a link; it was not changed.").arg(path));
    // Emptied and written afresh: its whole old content is kept.
    const QByteArray old = readJournal(path);
    append(entryHead(kSize, bytes, std::int64_t(old.size())));
    originalSize_.insert(name, old.size());
    if (!old.isEmpty())
        append(entryHead(kRegion, bytes, 0) + old);
}

void UndoJournal::beforeWrite(const QString& path, int fd, std::int64_t offset,
                              std::int64_t length) {
    const QString name = fileNameOf(path);
    const QByteArray bytes = QFile::encodeName(name);
    if (bytes.size() > 255)
        throw Error(QStringLiteral("The file name \"%1\" is too long.").arg(name));
    auto it = originalSize_.find(name);
    if (it == originalSize_.end()) {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            throw Error(
                systemMessage(QStringLiteral("Cannot read the size of \"%1\"").arg(path), errno));
        append(entryHead(kSize, bytes, std::int64_t(st.st_size)));
        it = originalSize_.insert(name, std::int64_t(st.st_size));
    }
    // Bytes past the old end need no copy: cutting the file back to its old size undoes them.
    const std::int64_t end = std::min(offset + length, *it);
    if (end <= offset)
        return;
    QByteArray old(qsizetype(end - offset), Qt::Uninitialized);
    std::size_t got = 0;
    while (got < std::size_t(old.size())) {
        const ssize_t n = ::pread(fd, old.data() + got, std::size_t(old.size()) - got,
                                  off_t(offset) + off_t(got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(systemMessage(QStringLiteral("Cannot read from \"%1\"").arg(path), errno));
        }
        if (n == 0)
            break; // shorter than it was at its first change: nothing more to keep
        got += std::size_t(n);
    }
    old.truncate(qsizetype(got));
    if (!old.isEmpty())
        append(entryHead(kRegion, bytes, offset) + old);
}

void UndoJournal::syncChanges() {
    for (auto it = originalSize_.cbegin(); it != originalSize_.cend(); ++it) {
        const QString path = QDir(folder_).filePath(it.key());
        const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT)
                continue;
            throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
        }
        try {
            syncFd(fd, path);
        } catch (...) {
            ::close(fd);
            throw;
        }
        ::close(fd);
    }
    syncFolder(folder_);
}

void UndoJournal::rollBack() {
    undoAll(folder_, path_);
}

void UndoJournal::remove() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    removeJournal(folder_, path_);
}

Recovery recoverInterruptedGame(const QString& dataFolder) {
    const QString journal = QDir(dataFolder).filePath(kUndoJournalFile);
    if (!entryExists(journal))
        return Recovery::Nothing;
    // The claimed log is deleted at the commit: without it the game is wholly in the files.
    if (!entryExists(QDir(dataFolder).filePath(kClaimedLogFile))) {
        removeJournal(dataFolder, journal);
        return Recovery::Committed;
    }
    undoAll(dataFolder, journal);
    removeJournal(dataFolder, journal);
    return Recovery::RolledBack;
}

} // namespace vantor
