#pragma once

#include "data_folder.h"
#include "rank_keys.h"

#include "common/records.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vantor::stats {

// (maximum, position): the record count, and the table position (from 1) of the record
// written last.
using RankProgressFn = std::function<void(std::int64_t maximum, std::int64_t position)>;

using RecordsWrittenFn = std::function<void(const PlayerStatsRecord* records, std::size_t count)>;

struct RankResult {
    std::int64_t recordCount = 0;  // records in the file before ranking
    std::int64_t written = 0;      // records in the file after ranking
    std::int64_t lastPosition = 0; // table position of the last record ranked; 0 when none
};

// Table indices (from 0) of the records in rank order: descending by key, equal keys in table
// order, blank records left out unless the key keeps them. Derived values must already be
// recomputed. Keys above 100000 lead and keys below 0 close the order, each group descending,
// which is simply the descending order over all keys.
std::vector<std::uint32_t> rankOrder(std::span<const PlayerStatsRecord> table, RankKey key);

// Rewrites the stats file in rank order by the key named keyText, with the derived values
// freshly stored. Refuses an unknown key text, a missing file and a file ending in a partial
// record with vantor::Error, and then leaves the file as it was; the new content goes through
// "work.dat" beside the stats file and a rename. The caller holds the data-folder lock. idle is
// called now and then so that a window stays live.
// written sees the ranked records as they go to the file, in order.
RankResult rankStatsFile(const QString& statsPath, const QString& keyText,
                         const RankProgressFn& progress = {}, const IdleFn& idle = {},
                         const BeforeChangeFn& beforeChange = {},
                         const RecordsWrittenFn& written = {});

} // namespace vantor::stats
