#pragma once

#include <cstddef>
#include <memory>

namespace vantor {

// Memory for a whole data file at once: mapped fresh (the kernel hands it out zeroed, so it is
// not cleared again) and backed by huge pages where the system allows, so that filling it and
// reaching its records in rank order cost few page faults and TLB misses.
class LargeBuffer {
public:
    // Throws std::bad_alloc when the memory cannot be had.
    explicit LargeBuffer(std::size_t bytes);
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    void* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

// Memory for a list that only grows: mapped, and moved by the kernel when it grows, so that
// growing never copies it nor holds the old block beside the new one.
class GrowingBuffer {
public:
    GrowingBuffer() = default;
    ~GrowingBuffer();
    GrowingBuffer(const GrowingBuffer&) = delete;
    GrowingBuffer& operator=(const GrowingBuffer&) = delete;

    void* data() const { return data_; }
    std::size_t capacity() const { return capacity_; }
    // At least bytes, doubling; throws std::bad_alloc when the memory cannot be had.
    void reserve(std::size_t bytes);

private:
    void* data_ = nullptr;
    std::size_t capacity_ = 0;
};

// Lets the heap grow by pad at a time, in huge pages where the system allows: for a short process
// that fills tens of megabytes of fresh heap in small pieces, a few dozen page faults instead of
// thousands. Only a hint.
void growHeapInLargePages(std::size_t pad);

// A file of ours mapped read-only in whole: read without copying it into fresh memory, which
// the kernel would first have to clear. The file must not be cut short while it is mapped.
class MappedFile {
public:
    // nullptr when it cannot be mapped.
    static std::shared_ptr<const MappedFile> map(int fd, std::size_t bytes);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    MappedFile(const char* data, std::size_t size) : data_(data), size_(size) {}
    const char* data_;
    std::size_t size_;
};

} // namespace vantor
