#include "large_buffer.h"

#include <new>
#include <sys/mman.h>

namespace vantor {

LargeBuffer::LargeBuffer(std::size_t bytes) : size_(bytes) {
    if (bytes == 0)
        return;
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    // Only a hint: without huge pages the buffer works the same, only slower.
    (void)::madvise(p, bytes, MADV_HUGEPAGE);
    data_ = p;
}

LargeBuffer::~LargeBuffer() {
    if (data_)
        ::munmap(data_, size_);
}

} // namespace vantor
