#include "large_buffer.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <malloc.h>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace vantor {

namespace {
// The least a growing buffer takes, and the step it grows by.
constexpr std::size_t kMappedFrom = 1 << 20;

void* mapFresh(std::size_t bytes) {
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    // Only a hint: without huge pages the buffer works the same, only slower.
    (void)::madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}
} // namespace

LargeBuffer::LargeBuffer(std::size_t bytes) : size_(bytes) {
    if (bytes == 0)
        return;
    data_ = mapFresh(bytes);
}

LargeBuffer::~LargeBuffer() {
    if (data_)
        ::munmap(data_, size_);
}

void growHeapInLargePages(std::size_t pad) {
    constexpr std::uintptr_t kHugePage = 2 << 20;
    if (pad > std::size_t(std::numeric_limits<int>::max() / 2))
        return;
    ::mallopt(M_TOP_PAD, int(pad));
    ::mallopt(M_TRIM_THRESHOLD, int(2 * pad));
    // Blocks below the mapping threshold come from the heap: the first that does not fit moves
    // the break by the pad, and the new part of the heap is marked for huge pages.
    const auto before = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    std::vector<void*> blocks;
    for (int i = 0; i < 64 && reinterpret_cast<std::uintptr_t>(::sbrk(0)) == before; ++i)
        blocks.push_back(::malloc(64 * 1024));
    const auto after = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    for (void* block : blocks)
        ::free(block);
    const std::uintptr_t from = (before + kHugePage - 1) / kHugePage * kHugePage;
    if (after > from + kHugePage)
        (void)::madvise(reinterpret_cast<void*>(from), after - from, MADV_HUGEPAGE);
}

GrowingBuffer::~GrowingBuffer() {
    if (data_)
        ::munmap(data_, capacity_);
}

void GrowingBuffer::reserve(std::size_t bytes) {
    if (bytes <= capacity_)
        return;
    std::size_t grown = std::max({bytes, capacity_ * 2, kMappedFrom});
    grown = (grown + kMappedFrom - 1) / kMappedFrom * kMappedFrom;
    if (!data_) {
        data_ = mapFresh(grown);
    } else {
        void* p = ::mremap(data_, capacity_, grown, MREMAP_MAYMOVE);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        data_ = p;
        (void)::madvise(p, grown, MADV_HUGEPAGE);
    }
    capacity_ = grown;
}

std::shared_ptr<const MappedFile> MappedFile::map(int fd, std::size_t bytes) {
    if (bytes == 0)
        return std::shared_ptr<const MappedFile>(new MappedFile(nullptr, 0));
    void* p = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED)
        return nullptr;
    return std::shared_ptr<const MappedFile>(new MappedFile(static_cast<const char*>(p), bytes));
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(const_cast<char*>(data_), size_);
}

} // namespace vantor
