#include "file_digest.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/records.h"
#include "common/unique_fd.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantor::history {

namespace {
constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return h;
}
} // namespace

const QStringList& journaledFiles() {
    static const QStringList files{kStatsFile, kCoopStatsFile, kTeamFile};
    return files;
}

std::size_t recordSizeOf(const QString& fileName) {
    return fileName == kTeamFile ? sizeof(TeamWinsRecord) : sizeof(PlayerStatsRecord);
}

std::uint64_t recordHash(std::int64_t index, const char* record, std::size_t size) {
    std::uint64_t h = mix(std::uint64_t(index) * kMul + size);
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, record + i, 8);
        h = (h ^ w) * kMul;
        h ^= h >> 32;
    }
    if (i < size) {
        std::uint64_t w = 0;
        std::memcpy(&w, record + i, size - i);
        h = (h ^ w ^ (std::uint64_t(size - i) << 56)) * kMul;
    }
    return mix(h);
}

std::uint64_t digestOf(const QByteArray& bytes, std::size_t recordSize) {
    std::uint64_t sum = 0;
    const std::size_t size = std::size_t(bytes.size());
    std::int64_t index = 0;
    std::size_t at = 0;
    for (; at + recordSize <= size; at += recordSize, ++index)
        sum += recordHash(index, bytes.constData() + at, recordSize);
    if (at < size) // a partial record at the end counts by its own bytes
        sum += recordHash(index, bytes.constData() + at, size - at);
    return sum;
}

void DigestFold::add(const void* records, std::size_t count) {
    const char* at = static_cast<const char*>(records);
    for (std::size_t i = 0; i < count; ++i, at += recordSize_)
        sum_ += recordHash(records_++, at, recordSize_);
}

FileState DigestFold::stateOf(const QString& path) const {
    FileState s = statFile(path);
    if (!s.present || s.digest != 0 || s.size != records_ * std::int64_t(recordSize_))
        return FileState{.present = true, .size = -1};
    s.digest = sum_;
    return s;
}

FileState statFile(const QString& path) {
    FileState s;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == ENOENT)
            return s;
        throw Error(
            systemMessage(QStringLiteral("Cannot read the size of \"%1\"").arg(path), errno));
    }
    s.present = true;
    s.size = st.st_size;
    s.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = std::int64_t(st.st_ino);
    s.device = std::int64_t(st.st_dev);
    if (S_ISLNK(st.st_mode))
        s.digest = ~std::uint64_t(0);
    return s;
}

QByteArray readFileBytes(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {};
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
    }
    const UniqueFd owned(fd);
    QByteArray bytes = readAll(fd, path);
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

FileState digestFile(const QString& path) {
    FileState s = statFile(path);
    if (!s.present || s.digest != 0)
        return s;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return FileState{};
        throw Error(systemMessage(QStringLiteral("Cannot open file \"%1\"").arg(path), errno));
    }
    const UniqueFd owned(fd);
    // Block by block, so a large stats file is never held whole for its digest.
    const std::size_t recordSize = recordSizeOf(QFileInfo(path).fileName());
    std::vector<char> block(recordSize * ((std::size_t(1) << 20) / recordSize));
    std::uint64_t sum = 0;
    std::int64_t index = 0, size = 0;
    std::size_t filled = 0;
    for (;;) {
        const ssize_t n = ::read(fd, block.data() + filled, block.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Error(systemMessage(QStringLiteral("Cannot read file \"%1\"").arg(path), errno));
        filled += std::size_t(n);
        size += n;
        if (n > 0 && filled < block.size())
            continue;
        std::size_t at = 0;
        for (; at + recordSize <= filled; at += recordSize, ++index)
            sum += recordHash(index, block.data() + at, recordSize);
        if (n == 0) {
            if (at < filled) // a partial record at the end counts by its own bytes
                sum += recordHash(index, block.data() + at, filled - at);
            break;
        }
        filled = 0;
    }
    s.size = size;
    s.digest = sum;
    return s;
}

} // namespace vantor::history
