#include "change_tracker.h"

#include "common/error.h"
#include "common/file_writer.h"
#include "common/unique_fd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::history {

namespace {

QByteArray readAt(int fd, std::int64_t offset, std::int64_t size, const QString& path) {
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    int err = 0;
    const std::size_t got = readFully(fd, bytes.data(), std::size_t(size), off_t(offset), &err);
    if (err != 0)
        throw Error(systemMessage(QStringLiteral("Cannot read from \"%1\"").arg(path), err));
    bytes.truncate(qsizetype(got));
    return bytes;
}

// The contribution of record index to a file's digest, given the file's bytes there.
std::uint64_t contribution(std::int64_t index, const QByteArray& bytes) {
    return bytes.isEmpty() ? 0 : recordHash(index, bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

void ChangeTracker::beforeWrite(const QString& path, int fd, std::int64_t offset,
                                std::int64_t length) {
    inner_.beforeWrite(path, fd, offset, length);
    const QString name = QFileInfo(path).fileName();
    if (!journaledFiles().contains(name) || length <= 0)
        return;
    auto it = files_.find(name);
    if (it == files_.end()) {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            throw Error(
                systemMessage(QStringLiteral("Cannot read the size of \"%1\"").arg(path), errno));
        Touched t;
        t.sizeBefore = st.st_size;
        t.inode = std::int64_t(st.st_ino);
        it = files_.insert(name, t);
    }
    if (it->whole)
        return;
    const auto size = std::int64_t(recordSizeOf(name));
    for (std::int64_t i = offset / size; i <= (offset + length - 1) / size; ++i) {
        if (it->before.contains(i))
            continue; // its bytes before the game were kept at its first change
        const std::int64_t start = i * size;
        const std::int64_t end = std::min(start + size, it->sizeBefore);
        it->before.insert(i, end > start ? readAt(fd, start, end - start, path) : QByteArray());
    }
}

void ChangeTracker::beforeCreate(const QString& path) {
    inner_.beforeCreate(path);
    const QString name = QFileInfo(path).fileName();
    if (journaledFiles().contains(name))
        files_[name].whole = true;
}

std::map<QString, FileState>
ChangeTracker::updated(const QString& folder, const std::map<QString, FileState>& before) const {
    std::map<QString, FileState> out;
    for (auto it = files_.cbegin(); it != files_.cend(); ++it) {
        const QString& name = it.key();
        const Touched& t = it.value();
        const auto was = before.find(name);
        if (t.whole || was == before.end() || !was->second.present ||
            was->second.size != t.sizeBefore || was->second.inode != t.inode)
            continue;
        const QString path = QDir(folder).filePath(name);
        FileState now = statFile(path);
        if (!now.present || now.inode != t.inode || now.digest != 0)
            continue; // replaced meanwhile: hash it whole
        const UniqueFd owned(
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        const int fd = owned.get();
        if (fd < 0)
            continue;
        const auto size = std::int64_t(recordSizeOf(name));
        std::uint64_t digest = was->second.digest;
        try {
            for (auto r = t.before.cbegin(); r != t.before.cend(); ++r) {
                const std::int64_t start = r.key() * size;
                const std::int64_t end = std::min(start + size, now.size);
                digest -= contribution(r.key(), r.value());
                if (end > start)
                    digest += contribution(r.key(), readAt(fd, start, end - start, path));
            }
        } catch (const Error&) {
            continue;
        }
        now.digest = digest;
        out[name] = now;
    }
    return out;
}

} // namespace vantor::history
