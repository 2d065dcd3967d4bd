#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vantor {

// The order a sweep over the values 100000 down to 0 gives (file order among equals), computed
// by one sort. Keys outside 0..100000, which the sweep never reached, keep their records: above
// it they lead, below it they close the order, each group descending, which is a stable
// descending sort over all keys. `keep` decides which records take part (blank ones do not).
// Gives the table positions in rank order.
template <class Record, class Key, class Keep>
std::vector<std::uint32_t> rankOrder(const std::vector<Record>& records, Key key, Keep keep) {
    struct Entry {
        std::int64_t key;
        std::uint32_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        if (keep(records[i]))
            entries.push_back({std::int64_t(key(records[i])), std::uint32_t(i)});
    // The index breaks ties, so an unstable sort gives the stable order at a lower cost.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.key != b.key ? a.key > b.key : a.index < b.index;
    });
    std::vector<std::uint32_t> order;
    order.reserve(entries.size());
    for (const Entry& e : entries)
        order.push_back(e.index);
    return order;
}

// The records themselves in that order.
template <class Record, class Key, class Keep>
std::vector<Record> rankDescending(const std::vector<Record>& records, Key key, Keep keep) {
    std::vector<Record> out;
    for (std::uint32_t i : rankOrder(records, key, keep))
        out.push_back(records[i]);
    return out;
}

} // namespace vantor
