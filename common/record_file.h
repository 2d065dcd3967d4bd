#pragma once

#include "unique_fd.h"

#include "file_writer.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

class ChangeGuard;

// A file of fixed-size records without header, read and written through one buffer so that
// sequential access costs a system call per block, not per record. Every failure throws
// vantor::Error with the system's message.
class FixedRecordFile {
public:
    enum class Mode { Read, ReadWrite, Create };

    // guard, when given, is told before each change of the file (a game's undo journal).
    FixedRecordFile(QString path, std::size_t recordSize, ChangeGuard* guard = nullptr);
    ~FixedRecordFile();
    FixedRecordFile(const FixedRecordFile&) = delete;
    FixedRecordFile& operator=(const FixedRecordFile&) = delete;

    // Create makes a new empty file for reading and writing, removing one of that name first
    // (as createFresh). ReadWrite refuses a link; Read follows one.
    void open(Mode mode);
    // As open, but returns false instead of throwing when the file does not exist.
    bool tryOpen(Mode mode);

    // Whole records in the file; a partial record at the end is not counted.
    std::int64_t size();
    // Bytes of a partial record past the last whole one (0 for a sound file).
    std::int64_t partialTailBytes();
    std::int64_t position() const { return pos_; }
    bool isOpen() const { return fd_.valid(); }
    void seek(std::int64_t record);

    // Reads the record at the position; false at the end (no whole record left).
    bool read(void* record);
    // Reads up to count records from the position straight into records, without the block
    // buffer in between; gives the whole records read (fewer only at the end of the file).
    std::size_t readMany(void* records, std::size_t count);
    void write(const void* record);
    // Writes count records from the position in one go, past the block buffer.
    void writeMany(const void* records, std::size_t count);
    // Cuts the file at the current position.
    void truncate();
    // Writes what is buffered and forces it to the disk.
    void sync();
    void close();

    const QString& path() const { return path_; }
    std::size_t recordSize() const { return recordSize_; }

private:
    void flushWrites();
    // Writes size bytes at the file offset of firstRecord, through the change guard; a write
    // cut short takes back the part of a record it appended, then throws.
    void writeAt(const char* data, std::size_t size, std::int64_t firstRecord);
    void dropReadBuffer();
    [[noreturn]] void fail(const QString& what, int err) const;

    QString path_;
    std::size_t recordSize_;
    ChangeGuard* guard_;
    UniqueFd fd_;
    bool writable_ = false;
    std::int64_t pos_ = 0; // logical position, in records
    std::vector<char> buffer_;
    std::size_t bufferUsed_ = 0; // bytes valid in buffer_
    std::size_t bufferRead_ = 0; // bytes of a read buffer already consumed
    bool bufferHoldsWrites_ = false;
    std::int64_t writeStart_ = 0; // record where buffered writes begin
};

// Typed view of a FixedRecordFile.
template <class Record> class RecordFile : public FixedRecordFile {
public:
    explicit RecordFile(QString path, ChangeGuard* guard = nullptr)
        : FixedRecordFile(std::move(path), sizeof(Record), guard) {}
    bool read(Record& r) { return FixedRecordFile::read(&r); }
    void write(const Record& r) { FixedRecordFile::write(&r); }
};

// Reads every whole record of a file; a missing file gives none.
template <class Record> std::vector<Record> readAllRecords(const QString& path) {
    RecordFile<Record> f(path);
    std::vector<Record> out;
    if (!f.tryOpen(FixedRecordFile::Mode::Read))
        return out;
    out.resize(std::size_t(f.size()));
    out.resize(f.readMany(out.data(), out.size()));
    f.close();
    return out;
}

// Refuses (throws) when a file ends in a partial record: rewriting it from its whole records
// would silently drop the tail, so the user is told and the file is left as it is.
void ensureWholeRecords(const QString& path, std::size_t recordSize);

// Deletes a file; a missing file is no error, other failures are ignored.
void removeQuietly(const QString& path);

// Writes a new content for target into workPath through fill(RecordFile<Record>&), forces it to
// the disk and renames it over target; on any failure workPath is removed and target is as it was.
template <class Record, class Fill>
void rewriteThroughWorkFile(const QString& workPath, const QString& target, Fill&& fill) {
    try {
        RecordFile<Record> work(workPath);
        work.open(FixedRecordFile::Mode::Create);
        fill(work);
        work.sync();
        work.close();
    } catch (...) {
        removeQuietly(workPath);
        throw;
    }
    replaceFile(workPath, target);
}

template <class Record>
void rewriteRecords(const QString& workPath, const QString& target,
                    const std::vector<Record>& records) {
    rewriteThroughWorkFile<Record>(workPath, target, [&](RecordFile<Record>& work) {
        work.writeMany(records.data(), records.size());
    });
}

} // namespace vantor
