#include "record_file.h"

#include "error.h"
#include "fault_point.h"
#include "file_writer.h"
#include "plain_file.h"
#include "undo_journal.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {
constexpr std::size_t kBlockBytes = 256 * 1024;

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}
} // namespace

FixedRecordFile::FixedRecordFile(QString path, std::size_t recordSize, ChangeGuard* guard)
    : path_(std::move(path)), recordSize_(recordSize), guard_(guard) {}

FixedRecordFile::~FixedRecordFile() {
    if (fd_.valid()) {
        try {
            flushWrites();
        } catch (...) {
            // A destructor cannot report; callers that care call close().
        }
    }
}

void FixedRecordFile::fail(const QString& what, int err) const {
    throw Error(fileFailureMessage(what, path_, err));
}

bool FixedRecordFile::tryOpen(Mode mode) {
    if (fd_.valid())
        close();
    // Data files are never changed through a link or a second name: one planted in the data
    // folder would make a merge or rewrite write wherever it points.
    int fd = -1;
    if (mode == Mode::Create) {
        if (guard_)
            guard_->beforeCreate(path_);
        fd = createFresh(path_, O_RDWR);
    } else {
        fd = openPlainFile(path_, mode == Mode::Read ? O_RDONLY : O_RDWR | O_NOFOLLOW);
        if (fd < 0) {
            if (errno == ENOENT)
                return false;
            fail(QStringLiteral("Cannot open file"), errno);
        }
    }
    fd_.reset(fd);
    writable_ = mode != Mode::Read;
    pos_ = 0;
    buffer_.resize(std::max(kBlockBytes / recordSize_, std::size_t(1)) * recordSize_);
    bufferUsed_ = bufferRead_ = 0;
    bufferHoldsWrites_ = false;
    return true;
}

void FixedRecordFile::open(Mode mode) {
    if (!tryOpen(mode))
        fail(QStringLiteral("Cannot open file"), ENOENT);
}

std::int64_t FixedRecordFile::size() {
    flushWrites();
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0)
        fail(QStringLiteral("Cannot read the size of"), errno);
    return st.st_size / std::int64_t(recordSize_);
}

std::int64_t FixedRecordFile::partialTailBytes() {
    flushWrites();
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0)
        fail(QStringLiteral("Cannot read the size of"), errno);
    return st.st_size % std::int64_t(recordSize_);
}

void FixedRecordFile::seek(std::int64_t record) {
    if (record < 0)
        throw Error(QStringLiteral("Seek before the start of \"%1\"").arg(path_));
    flushWrites();
    dropReadBuffer();
    pos_ = record;
}

void FixedRecordFile::dropReadBuffer() {
    if (!bufferHoldsWrites_)
        bufferUsed_ = bufferRead_ = 0;
}

bool FixedRecordFile::read(void* record) {
    if (!fd_.valid())
        fail(QStringLiteral("Cannot read from"), EBADF);
    flushWrites();
    if (bufferUsed_ - bufferRead_ < recordSize_) {
        // Refill from the logical position: one pread for a whole block of records.
        bufferUsed_ = bufferRead_ = 0;
        const off_t offset = off_t(pos_) * off_t(recordSize_);
        int err = 0;
        const std::size_t got = readFully(fd_.get(), buffer_.data(), buffer_.size(), offset, &err);
        if (err != 0)
            fail(QStringLiteral("Cannot read from"), err);
        bufferUsed_ = got;
        if (bufferUsed_ < recordSize_)
            return false;
    }
    std::memcpy(record, buffer_.data() + bufferRead_, recordSize_);
    bufferRead_ += recordSize_;
    ++pos_;
    return true;
}

std::size_t FixedRecordFile::readMany(void* records, std::size_t count) {
    if (!fd_.valid())
        fail(QStringLiteral("Cannot read from"), EBADF);
    flushWrites();
    auto* out = static_cast<char*>(records);
    std::size_t done = 0;
    // Records already in the block buffer first, then the rest in one go.
    while (done < count && bufferUsed_ - bufferRead_ >= recordSize_) {
        std::memcpy(out + done * recordSize_, buffer_.data() + bufferRead_, recordSize_);
        bufferRead_ += recordSize_;
        ++done;
        ++pos_;
    }
    if (done == count)
        return done;
    dropReadBuffer();
    const std::size_t wanted = (count - done) * recordSize_;
    const off_t offset = off_t(pos_) * off_t(recordSize_);
    int err = 0;
    const std::size_t got = readFully(fd_.get(), out + done * recordSize_, wanted, offset, &err);
    if (err != 0)
        fail(QStringLiteral("Cannot read from"), err);
    const std::size_t whole = got / recordSize_;
    pos_ += std::int64_t(whole);
    return done + whole;
}

void FixedRecordFile::write(const void* record) {
    if (!fd_.valid() || !writable_)
        fail(QStringLiteral("Cannot write to"), EBADF);
    if (!bufferHoldsWrites_) {
        bufferUsed_ = bufferRead_ = 0;
        bufferHoldsWrites_ = true;
        writeStart_ = pos_;
    }
    std::memcpy(buffer_.data() + bufferUsed_, record, recordSize_);
    bufferUsed_ += recordSize_;
    ++pos_;
    if (bufferUsed_ + recordSize_ > buffer_.size())
        flushWrites();
}

void FixedRecordFile::flushWrites() {
    if (!bufferHoldsWrites_)
        return;
    // The buffer is free again whatever the write's outcome.
    bufferHoldsWrites_ = false;
    const std::size_t used = bufferUsed_;
    bufferUsed_ = bufferRead_ = 0;
    writeAt(buffer_.data(), used, writeStart_);
}

void FixedRecordFile::writeMany(const void* records, std::size_t count) {
    if (!fd_.valid() || !writable_)
        fail(QStringLiteral("Cannot write to"), EBADF);
    flushWrites();
    dropReadBuffer();
    if (count == 0)
        return;
    writeAt(static_cast<const char*>(records), count * recordSize_, pos_);
    pos_ += std::int64_t(count);
}

void FixedRecordFile::writeAt(const char* data, std::size_t size, std::int64_t firstRecord) {
    const off_t offset = off_t(firstRecord) * off_t(recordSize_);
    struct stat before {};
    const bool sizeKnown = ::fstat(fd_.get(), &before) == 0;
    if (guard_)
        guard_->beforeWrite(path_, fd_.get(), offset, std::int64_t(size));
    int err = 0;
    const std::size_t done = writeFully(fd_.get(), data, size, offset, &err);
    if (done < size) {
        // A full disk cuts a write short mid-record: take back the part of a record it
        // appended, or every later reader would meet a partial record at the end.
        const off_t whole = offset + off_t(done - done % recordSize_);
        if (sizeKnown && offset + off_t(done) > before.st_size)
            (void)::ftruncate(fd_.get(), std::max<off_t>(before.st_size, whole));
        fail(QStringLiteral("Cannot write to"), err);
    }
}

void FixedRecordFile::truncate() {
    flushWrites();
    dropReadBuffer();
    if (guard_) {
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0)
            fail(QStringLiteral("Cannot read the size of"), errno);
        const std::int64_t cut = std::int64_t(pos_) * std::int64_t(recordSize_);
        if (st.st_size > cut)
            guard_->beforeWrite(path_, fd_.get(), cut, st.st_size - cut);
    }
    faultPoint();
    if (::ftruncate(fd_.get(), off_t(pos_) * off_t(recordSize_)) != 0)
        fail(QStringLiteral("Cannot truncate"), errno);
}

void FixedRecordFile::sync() {
    flushWrites();
    faultPoint();
    if (::fsync(fd_.get()) != 0)
        fail(QStringLiteral("Cannot write to"), errno);
}

void FixedRecordFile::close() {
    if (!fd_.valid())
        return;
    try {
        flushWrites();
    } catch (...) {
        fd_.reset();
        throw;
    }
    if (fd_.close() != 0)
        fail(QStringLiteral("Cannot close"), errno);
}

void ensureWholeRecords(const QString& path, std::size_t recordSize) {
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return;
    const auto tail = st.st_size % std::int64_t(recordSize);
    if (tail != 0)
        throw Error(QStringLiteral("\"%1\" ends in a partial record of %2 bytes (the file is cut "
                                   "short or is not a stats file); it was left unchanged.")
                        .arg(path)
                        .arg(tail));
}

void removeQuietly(const QString& path) {
    faultPoint();
    ::unlink(nativePath(path).constData());
}

} // namespace vantor
