#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace vantor {

namespace detail {

// Stable counting pass over 16 bits of the distance from the top key: `from` (or the kept
// table positions in order, when from is empty) into `to`.
template <class DistanceOf>
void radixPass(const std::vector<std::uint32_t>& from, std::vector<std::uint32_t>& to,
               std::array<std::uint32_t, 65537>& counts, int shift, DistanceOf distanceOf) {
    std::uint32_t sum = 0;
    for (std::size_t b = 0; b < 65536; ++b) {
        const std::uint32_t c = counts[b];
        counts[b] = sum;
        sum += c;
    }
    for (std::size_t j = 0; j < from.size(); ++j) {
        // The records lie apart in the table: fetch the ones a few steps ahead meanwhile.
        if (j + 16 < from.size())
            __builtin_prefetch(distanceOf.address(from[j + 16]));
        const std::uint32_t i = from[j];
        to[counts[(distanceOf(i) >> shift) & 0xFFFF]++] = i;
    }
}

} // namespace detail

// The order a sweep over the values 100000 down to 0 gives (file order among equals), computed
// without comparisons. Keys outside 0..100000, which the sweep never reached, keep their
// records: above it they lead, below it they close the order, each group descending, which is a
// stable descending sort over all keys. `keep` decides which records take part (blank ones do
// not). Gives the table positions in rank order.
//
// Each key becomes its distance below the highest key; distances that fit 32 bits are put in
// order by at most two stable counting passes of 16 bits (least significant first), so the
// memory besides the table is two positions a record. Wider spreads sort by comparison.
template <class Record, class Key, class Keep>
std::vector<std::uint32_t> rankOrder(std::span<const Record> records, Key key, Keep keep) {
    const std::size_t n = records.size();
    std::vector<std::uint32_t> kept;
    std::int64_t top = std::numeric_limits<std::int64_t>::min();
    std::int64_t bottom = std::numeric_limits<std::int64_t>::max();
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!keep(records[i]))
            continue;
        const std::int64_t k = std::int64_t(key(records[i]));
        top = std::max(top, k);
        bottom = std::min(bottom, k);
        ++count;
    }
    if (count == 0)
        return kept;

    const auto spread = std::uint64_t(top) - std::uint64_t(bottom);
    if (spread > std::numeric_limits<std::uint32_t>::max()) {
        struct Entry {
            std::int64_t key;
            std::uint32_t index;
        };
        std::vector<Entry> entries;
        entries.reserve(count);
        for (std::size_t i = 0; i < n; ++i)
            if (keep(records[i]))
                entries.push_back({std::int64_t(key(records[i])), std::uint32_t(i)});
        // The index breaks ties, so an unstable sort gives the stable order.
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return a.key != b.key ? a.key > b.key : a.index < b.index;
        });
        kept.reserve(count);
        for (const Entry& e : entries)
            kept.push_back(e.index);
        return kept;
    }

    struct Distance {
        std::span<const Record> records;
        Key& key;
        std::int64_t top;
        std::uint32_t operator()(std::uint32_t i) const {
            return std::uint32_t(std::uint64_t(top) - std::uint64_t(std::int64_t(key(records[i]))));
        }
        const void* address(std::uint32_t i) const { return &records[i]; }
    } distance{records, key, top};

    // Both passes' counts in one sweep over the table, which also lists the kept positions.
    auto counts = std::make_unique<std::array<std::array<std::uint32_t, 65537>, 2>>();
    kept.reserve(count);
    for (std::size_t i = 0; i < n; ++i) {
        if (!keep(records[i]))
            continue;
        const std::uint32_t d = distance(std::uint32_t(i));
        ++(*counts)[0][d & 0xFFFF];
        ++(*counts)[1][d >> 16];
        kept.push_back(std::uint32_t(i));
    }
    std::vector<std::uint32_t> order(count);
    if (spread <= 0xFFFF) {
        detail::radixPass(kept, order, (*counts)[0], 0, distance);
        return order;
    }
    detail::radixPass(kept, order, (*counts)[0], 0, distance);
    detail::radixPass(order, kept, (*counts)[1], 16, distance);
    return kept;
}

template <class Record, class Key, class Keep>
std::vector<std::uint32_t> rankOrder(const std::vector<Record>& records, Key key, Keep keep) {
    return rankOrder(std::span<const Record>(records), key, keep);
}

// The records themselves in that order.
template <class Record, class Key, class Keep>
std::vector<Record> rankDescending(const std::vector<Record>& records, Key key, Keep keep) {
    std::vector<Record> out;
    const std::vector<std::uint32_t> order = rankOrder(records, key, keep);
    out.reserve(order.size());
    for (std::uint32_t i : order)
        out.push_back(records[i]);
    return out;
}

} // namespace vantor
