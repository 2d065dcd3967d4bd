#include "undo_journal.h"

#include "error.h"
#include "fault_point.h"
#include "file_writer.h"
#include "plain_file.h"
#include "visible_text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
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

constexpr std::uint64_t kChecksumStart = 1469598103934665603ull; // FNV-1a

// FNV-1a of data, going on from h (the sum of what came before).
std::uint64_t checksum(const char* data, std::size_t size, std::uint64_t h = kChecksumStart) {
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

// Far above the entries of any game (a handful a player), far below what would exhaust memory.
constexpr std::int64_t kMaxEntries = std::int64_t(1) << 20;
constexpr std::size_t kCopyBlock = 256 * 1024;

// A journal that is not one a game wrote: followed, it would change what no game changes.
class JournalRefused : public Error {
public:
    using Error::Error;
};

// Where the old bytes of one changed region lie in the journal.
struct Region {
    std::int64_t offset; // in the file
    std::int64_t at;     // in the journal
    std::int64_t length;
};

struct FileUndo {
    QString name;
    bool known = false; // its size or absence was journaled
    std::int64_t size = -1;
    std::vector<Region> regions;
};

// Reads the journal through a window of one block: never more than that in memory, and one
// system call for many small entries.
class JournalReader {
public:
    JournalReader(int fd, std::int64_t size, const QString& path)
        : fd_(fd), size_(size), path_(path), window_(kCopyBlock) {}

    std::int64_t left(std::int64_t at) const { return size_ - at; }

    void read(std::int64_t at, void* into, std::size_t n) const {
        char* out = static_cast<char*>(into);
        while (n > 0) {
            if (at < windowAt_ || at >= windowAt_ + windowUsed_)
                fill(at);
            const auto from = std::size_t(at - windowAt_);
            const std::size_t take = std::min(n, std::size_t(windowUsed_) - from);
            std::memcpy(out, window_.data() + from, take);
            out += take;
            at += std::int64_t(take);
            n -= take;
        }
    }

    std::uint64_t checksumOf(std::int64_t at, std::int64_t length) const {
        std::uint64_t h = kChecksumStart;
        while (length > 0) {
            if (at < windowAt_ || at >= windowAt_ + windowUsed_)
                fill(at);
            const auto from = std::size_t(at - windowAt_);
            const auto n =
                std::size_t(std::min<std::int64_t>(length, windowUsed_ - std::int64_t(from)));
            h = checksum(window_.data() + from, n, h);
            at += std::int64_t(n);
            length -= std::int64_t(n);
        }
        return h;
    }

private:
    // Whole aligned blocks: entries are read forwards, then restored backwards.
    void fill(std::int64_t at) const {
        windowAt_ = at - at % std::int64_t(window_.size());
        windowUsed_ = 0;
        int err = 0;
        windowUsed_ =
            std::int64_t(readFully(fd_, window_.data(), window_.size(), off_t(windowAt_), &err));
        if (at < windowAt_ + windowUsed_)
            return;
        throw Error(systemMessage(QStringLiteral("Cannot read from \"%1\"").arg(path_),
                                  err != 0 ? err : EIO));
    }

    int fd_;
    std::int64_t size_;
    QString path_;
    mutable std::vector<char> window_;
    mutable std::int64_t windowAt_ = 0;
    mutable std::int64_t windowUsed_ = 0;
};

// Only the files a game changes: a journal naming anything else was not written by a game.
bool gameFile(const QString& name) {
    return name == kStatsFile || name == kCoopStatsFile || name == kTeamFile ||
           name == kLastGameFile || name == kWorkFile;
}

// A file's size now, 0 when there is none: what it held before a game cannot have been larger
// than that plus all the old bytes the journal keeps.
std::int64_t sizeNow(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)
               ? std::int64_t(st.st_size)
               : 0;
}

// The entries up to the first torn or damaged one, grouped by file in first-change order, in
// one pass. Throws JournalRefused for an entry no game writes.
std::vector<FileUndo> readEntries(const JournalReader& in, std::int64_t journalSize,
                                  const QString& folder) {
    std::vector<FileUndo> files;
    char magic[sizeof kMagic];
    if (in.left(0) < std::int64_t(sizeof kMagic))
        return files; // never got its header: nothing was changed yet
    in.read(0, magic, sizeof magic);
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0)
        return files;
    std::map<QString, std::int64_t> bound;
    std::int64_t pos = sizeof kMagic;
    for (std::int64_t count = 0;; ++count) {
        std::uint32_t length = 0;
        if (in.left(pos) < 4)
            break;
        in.read(pos, &length, sizeof length);
        pos += 4;
        if (length > kMaxPayload || in.left(pos) < std::int64_t(length) + 8)
            break;
        std::uint64_t sum = 0;
        in.read(pos + length, &sum, sizeof sum);
        if (sum != in.checksumOf(pos, length))
            break;
        const std::int64_t payload = pos;
        pos += std::int64_t(length) + 8;

        char head[2 + 255 + 8];
        const std::size_t headSize = std::min<std::size_t>(length, sizeof head);
        in.read(payload, head, headSize);
        const char kind = headSize >= 2 ? head[0] : 0;
        const std::size_t nameLength = headSize >= 2 ? std::uint8_t(head[1]) : 0;
        if (headSize < 2 + nameLength + 8)
            break;
        const QString name = QFile::decodeName(QByteArray(head + 2, qsizetype(nameLength)));
        std::int64_t value = 0;
        std::memcpy(&value, head + 2 + nameLength, sizeof value);
        const std::int64_t dataAt = payload + std::int64_t(2 + nameLength + 8);
        const std::int64_t dataLength = std::int64_t(length) - std::int64_t(2 + nameLength + 8);

        if (count >= kMaxEntries)
            throw JournalRefused(QStringLiteral("it holds more entries than a game writes"));
        if (!gameFile(name))
            throw JournalRefused(QStringLiteral("it names \"%1\", which no game changes")
                                     .arg(terminalText(QFile::encodeName(name))));
        auto b = bound.find(name);
        if (b == bound.end())
            b = bound.emplace(name, sizeNow(QDir(folder).filePath(name)) + journalSize).first;
        const bool fits = kind == kSize     ? value >= 0 && value <= b->second
                          : kind == kAbsent ? value == -1
                          : kind == kRegion ? value >= 0 && value <= b->second - dataLength
                                            : false;
        if (!fits)
            throw JournalRefused(
                QStringLiteral("an entry for \"%1\" reaches beyond what a game can have written")
                    .arg(name));
        auto it = std::find_if(files.begin(), files.end(),
                               [&](const FileUndo& f) { return f.name == name; });
        if (it == files.end()) {
            files.push_back(FileUndo{name, false, -1, {}});
            it = files.end() - 1;
        }
        if (kind != kRegion) {
            if (!it->known) {
                it->known = true;
                it->size = kind == kSize ? value : -1;
            }
        } else if (dataLength > 0) {
            it->regions.push_back(Region{value, dataAt, dataLength});
        }
    }
    return files;
}

// The file a journal entry restores, opened before anything is changed: a FIFO, a folder or a
// file with a second name under a game file's name refuses the journal. -1: nothing to restore.
int openTarget(const QString& folder, const FileUndo& f) {
    const QString path = QDir(folder).filePath(f.name);
    if (f.size < 0) {
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            throw JournalRefused(QStringLiteral("\"%1\" is a folder").arg(f.name));
        return -1;
    }
    int fd = -1;
    try {
        fd = openPlainFile(path, O_RDWR | O_NOFOLLOW);
    } catch (const Error& e) {
        throw JournalRefused(e.message());
    }
    // Deleted since (the last game's file at start-up): nothing to put back.
    if (fd < 0 && errno == ELOOP)
        throw JournalRefused(fileFailureMessage(QStringLiteral("Cannot open file"), path, errno));
    if (fd < 0 && errno != ENOENT)
        throw Error(fileFailureMessage(QStringLiteral("Cannot open file"), path, errno));
    return fd;
}

void restore(const QString& folder, const JournalReader& in, const FileUndo& f, int fd) {
    const QString path = QDir(folder).filePath(f.name);
    if (f.size < 0) {
        faultPoint();
        if (::unlink(native(path).constData()) != 0 && errno != ENOENT)
            throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(path), errno));
        return;
    }
    if (fd < 0)
        return;
    std::vector<char> block(kCopyBlock);
    // Newest first, so a region changed twice ends with its oldest bytes.
    for (auto r = f.regions.rbegin(); r != f.regions.rend(); ++r) {
        for (std::int64_t done = 0; done < r->length;) {
            const auto n = std::size_t(std::min<std::int64_t>(r->length - done, kCopyBlock));
            in.read(r->at + done, block.data(), n);
            int err = 0;
            if (writeFully(fd, block.data(), n, off_t(r->offset + done), &err) != n)
                throw Error(fileFailureMessage(QStringLiteral("Cannot write to"), path, err));
            done += std::int64_t(n);
        }
    }
    faultPoint();
    if (::ftruncate(fd, off_t(f.size)) != 0)
        throw Error(systemMessage(QStringLiteral("Cannot truncate \"%1\"").arg(path), errno));
    syncFd(fd, path);
}

void undoAll(const QString& folder, const QString& journal) {
    int fd = -1;
    try {
        fd = openPlainFile(journal, O_RDONLY | O_NOFOLLOW);
    } catch (const Error& e) {
        throw JournalRefused(e.message());
    }
    if (fd < 0) {
        // A link is nothing this program made: it holds no change to undo.
        if (errno == ENOENT || errno == ELOOP)
            return;
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(journal), errno));
    }
    const UniqueFd owned(fd);
    std::vector<UniqueFd> targets;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Error(systemMessage(QStringLiteral("Cannot read from \"%1\"").arg(journal), errno));
    const JournalReader in(fd, st.st_size, journal);
    const std::vector<FileUndo> files = readEntries(in, st.st_size, folder);
    // Every target checked before the first change: a refusal leaves every file as it was.
    for (const FileUndo& f : files)
        targets.emplace_back(f.known ? openTarget(folder, f) : -1);
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].known) // no change to it can have happened before its first entry
            restore(folder, in, files[i], targets[i].get());
    syncFolder(folder);
}

// The whole of a data file about to be emptied; none when it is gone or a link.
QByteArray oldContent(const QString& path) {
    const int fd = openPlainFile(path, O_RDONLY | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT || errno == ELOOP)
            return {};
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
    }
    const UniqueFd owned(fd);
    return readAll(fd, path);
}

// Moves a refused journal out of the way under a new name, kept for whoever wants to look.
QString setJournalAside(const QString& folder, const QString& journal) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = kUndoJournalFile + QStringLiteral(".refused-") + stamp;
    for (int n = 2; entryExists(QDir(folder).filePath(name)); ++n)
        name = kUndoJournalFile + QStringLiteral(".refused-%1-%2").arg(stamp).arg(n);
    faultPoint();
    if (::rename(native(journal).constData(), native(QDir(folder).filePath(name)).constData()) != 0)
        throw Error(systemMessage(QStringLiteral("Cannot rename \"%1\"").arg(journal), errno));
    syncFolder(folder);
    return name;
}

// Rolls back, or sets a journal no game wrote aside and says so once.
void undoOrSetAside(const QString& folder, const QString& journal) {
    try {
        undoAll(folder, journal);
    } catch (const JournalRefused& e) {
        const QString aside = setJournalAside(folder, journal);
        throw Error(QStringLiteral("The recovery journal \"%1\" was not written by a game (%2); "
                                   "it is kept as \"%3\" and nothing was changed.")
                        .arg(journal, e.message(), aside));
    }
}

void removeJournal(const QString& folder, const QString& journal) {
    faultPoint();
    if (::unlink(native(journal).constData()) != 0 && errno != ENOENT)
        throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(journal), errno));
    syncFolder(folder);
}

} // namespace

UndoJournal::UndoJournal(QString dataFolder)
    : folder_(std::move(dataFolder)), path_(QDir(folder_).filePath(kUndoJournalFile)) {
    faultPoint();
    fd_.reset(::open(native(path_).constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd_.valid())
        throw Error(systemMessage(QStringLiteral("Cannot create \"%1\"").arg(path_), errno));
    try {
        writeAll(fd_.get(), std::string_view(kMagic, sizeof kMagic), path_);
        syncFd(fd_.get(), path_);
        syncFolder(folder_);
    } catch (...) {
        fd_.reset();
        ::unlink(native(path_).constData());
        throw;
    }
}

UndoJournal::~UndoJournal() = default;

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
    writeAll(fd_.get(), std::string_view(entry.constData(), std::size_t(entry.size())), path_);
    faultPoint();
    if (::fdatasync(fd_.get()) != 0)
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
    const QByteArray old = oldContent(path);
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
    int err = 0;
    // Shorter than it was at its first change: nothing more to keep.
    const std::size_t got = readFully(fd, old.data(), std::size_t(old.size()), off_t(offset), &err);
    if (err != 0)
        throw Error(systemMessage(QStringLiteral("Cannot read from \"%1\"").arg(path), err));
    old.truncate(qsizetype(got));
    if (!old.isEmpty())
        append(entryHead(kRegion, bytes, offset) + old);
}

void UndoJournal::syncChanges() {
    for (auto it = originalSize_.cbegin(); it != originalSize_.cend(); ++it) {
        const QString path = QDir(folder_).filePath(it.key());
        const UniqueFd fd(::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid()) {
            if (errno == ENOENT)
                continue;
            throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
        }
        syncFd(fd.get(), path);
    }
    syncFolder(folder_);
}

void UndoJournal::rollBack() {
    undoOrSetAside(folder_, path_);
}

void UndoJournal::remove() {
    fd_.reset();
    removeJournal(folder_, path_);
}

Recovery recoverInterruptedGame(const QString& dataFolder) {
    const QString journal = QDir(dataFolder).filePath(kUndoJournalFile);
    if (!entryExists(journal))
        return Recovery::Nothing;
    // The claimed log is deleted at the commit: without it the game is wholly in the files.
    if (!entryExists(QDir(dataFolder).filePath(kClaimedLogFile))) {
        struct stat st {};
        if (::lstat(native(journal).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            const QString aside = setJournalAside(dataFolder, journal);
            throw Error(QStringLiteral("The recovery journal \"%1\" is a folder; it is kept as "
                                       "\"%2\" and nothing was changed.")
                            .arg(journal, aside));
        }
        removeJournal(dataFolder, journal);
        return Recovery::Committed;
    }
    undoOrSetAside(dataFolder, journal);
    removeJournal(dataFolder, journal);
    return Recovery::RolledBack;
}

} // namespace vantor
