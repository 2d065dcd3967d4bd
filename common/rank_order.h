#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vantor {

// The order of the original sweep (values 100000 down to 0, file order among equals), computed
// by one stable sort. Keys outside 0..100000, which the sweep never reached, keep their records:
// above it they lead, below it they close the order, each group descending, which is a stable
// descending sort over all keys. `keep` decides which records take part (blank ones do not).
template <class Record, class Key, class Keep>
std::vector<Record> rankDescending(const std::vector<Record>& records, Key key, Keep keep) {
    struct Entry {
        std::int64_t key;
        std::size_t index;
    };
    std::vector<Entry> order;
    order.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        if (keep(records[i]))
            order.push_back({std::int64_t(key(records[i])), i});
    std::stable_sort(order.begin(), order.end(),
                     [](const Entry& a, const Entry& b) { return a.key > b.key; });
    std::vector<Record> out;
    out.reserve(order.size());
    for (const Entry& e : order)
        out.push_back(records[e.index]);
    return out;
}

} // namespace vantor
