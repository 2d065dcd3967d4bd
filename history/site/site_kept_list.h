#pragma once

#include "common/large_buffer.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

namespace vantor::history::site {

// A list whose older items stay where a kept model's file is mapped (read back without copying
// them into fresh memory) and whose newer ones are held in memory.
template <typename T> class KeptList {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    std::size_t size() const { return keptCount_ + addedCount_; }
    bool empty() const { return size() == 0; }
    const T& operator[](std::size_t i) const {
        return i < keptCount_ ? kept_[i] : added()[i - keptCount_];
    }
    const T& back() const { return (*this)[size() - 1]; }
    void push_back(const T& item) {
        added_.reserve((addedCount_ + 1) * sizeof(T));
        std::memcpy(static_cast<T*>(added_.data()) + addedCount_++, &item, sizeof(T));
    }
    // The items as two runs, for writing them out.
    const T* kept() const { return kept_; }
    std::size_t keptCount() const { return keptCount_; }
    const T* added() const { return static_cast<const T*>(added_.data()); }
    std::size_t addedCount() const { return addedCount_; }
    // Takes count items at items, which file keeps in place; only on an empty list.
    void adopt(std::shared_ptr<const MappedFile> file, const T* items, std::size_t count) {
        file_ = std::move(file);
        kept_ = items;
        keptCount_ = count;
    }

private:
    std::shared_ptr<const MappedFile> file_;
    const T* kept_ = nullptr;
    std::size_t keptCount_ = 0;
    GrowingBuffer added_;
    std::size_t addedCount_ = 0;
};

} // namespace vantor::history::site
