#pragma once

#include <cstddef>

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

} // namespace vantor
