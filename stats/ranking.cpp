#include "ranking.h"

#include "game_type.h"

#include "common/error.h"
#include "common/large_buffer.h"
#include "common/rank_order.h"
#include "common/record_file.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <span>

namespace vantor::stats {

namespace {

// Records read per system call while the file is streamed.
constexpr std::size_t kBlockRecords = 8192;
// Records gathered in rank order before they are written: the table is never in memory whole,
// so a ranking needs about half a file of memory besides four bytes a record.
constexpr std::size_t kChunkBytes = std::size_t(48) << 20;
constexpr std::uint32_t kLeftOut = 0xFFFFFFFF;

std::size_t checkedCount(RecordFile<PlayerStatsRecord>& stats) {
    const std::int64_t count = stats.size();
    if (count >= std::int64_t(kLeftOut))
        throw Error(QStringLiteral("\"%1\" holds too many records to rank.").arg(stats.path()));
    return std::size_t(count);
}

// Calls take(first position, records) for the file's first `count` records, block by block,
// each with its derived values recomputed.
template <class Take>
void streamRecords(RecordFile<PlayerStatsRecord>& stats, std::size_t count,
                   std::vector<PlayerStatsRecord>& block, Take take) {
    stats.seek(0);
    for (std::size_t first = 0; first < count;) {
        const std::size_t want = std::min(block.size(), count - first);
        if (stats.readMany(block.data(), want) != want)
            throw Error(
                QStringLiteral("\"%1\" became shorter while it was read.").arg(stats.path()));
        for (std::size_t i = 0; i < want; ++i)
            computeDerivedValues(block[i]);
        take(first, std::span<const PlayerStatsRecord>(block.data(), want));
        first += want;
    }
}

// Each record's key and whether it takes part, from one pass over the file; then the order.
template <RankKey K>
std::vector<std::uint32_t> orderOfFile(RecordFile<PlayerStatsRecord>& stats, std::size_t count,
                                       std::vector<PlayerStatsRecord>& block) {
    struct Key {
        std::int64_t value;
        bool kept;
    };
    std::vector<Key> keys(count);
    streamRecords(stats, count, block, [&](std::size_t first, auto records) {
        for (std::size_t i = 0; i < records.size(); ++i)
            keys[first + i] = {rankKeyValue(K, records[i]),
                               keepsBlankRecords(K) || !records[i].isBlank()};
    });
    return vantor::rankOrder(
        std::span<const Key>(keys), [](const Key& k) { return k.value; },
        [](const Key& k) { return k.kept; });
}

template <RankKey K> std::vector<std::uint32_t> orderBy(std::span<const PlayerStatsRecord> table) {
    return vantor::rankOrder(
        table, [](const PlayerStatsRecord& r) { return rankKeyValue(K, r); },
        [](const PlayerStatsRecord& r) { return keepsBlankRecords(K) || !r.isBlank(); });
}

} // namespace

std::vector<std::uint32_t> rankOrder(std::span<const PlayerStatsRecord> table, RankKey key) {
    switch (key) {
    case RankKey::SkillPoints:
        return orderBy<RankKey::SkillPoints>(table);
    case RankKey::Kills:
        return orderBy<RankKey::Kills>(table);
    case RankKey::Deaths:
        return orderBy<RankKey::Deaths>(table);
    case RankKey::RoundsFired:
        return orderBy<RankKey::RoundsFired>(table);
    case RankKey::RoundsTaken:
        return orderBy<RankKey::RoundsTaken>(table);
    case RankKey::AverageHitPercent:
        return orderBy<RankKey::AverageHitPercent>(table);
    case RankKey::GamesPlayed:
        return orderBy<RankKey::GamesPlayed>(table);
    case RankKey::KillsPerGame:
        return orderBy<RankKey::KillsPerGame>(table);
    }
    return {};
}

std::vector<std::uint32_t> orderOfFile(RankKey key, RecordFile<PlayerStatsRecord>& stats,
                                       std::size_t count, std::vector<PlayerStatsRecord>& block) {
    switch (key) {
    case RankKey::SkillPoints:
        return orderOfFile<RankKey::SkillPoints>(stats, count, block);
    case RankKey::Kills:
        return orderOfFile<RankKey::Kills>(stats, count, block);
    case RankKey::Deaths:
        return orderOfFile<RankKey::Deaths>(stats, count, block);
    case RankKey::RoundsFired:
        return orderOfFile<RankKey::RoundsFired>(stats, count, block);
    case RankKey::RoundsTaken:
        return orderOfFile<RankKey::RoundsTaken>(stats, count, block);
    case RankKey::AverageHitPercent:
        return orderOfFile<RankKey::AverageHitPercent>(stats, count, block);
    case RankKey::GamesPlayed:
        return orderOfFile<RankKey::GamesPlayed>(stats, count, block);
    case RankKey::KillsPerGame:
        return orderOfFile<RankKey::KillsPerGame>(stats, count, block);
    }
    return {};
}

RankResult rankStatsFile(const QString& statsPath, const QString& keyText,
                         const RankProgressFn& progress, const IdleFn& idle,
                         const BeforeChangeFn& beforeChange, const RecordsWrittenFn& written) {
    const auto key = rankKeyFromText(keyText);
    if (!key)
        throw Error(unknownRankKeyMessage(keyText));
    const auto report = [&](std::int64_t maximum, std::int64_t position) {
        if (progress)
            progress(maximum, position);
    };
    const auto letIdle = [&] {
        if (idle)
            idle();
    };

    ensureWholeRecords(statsPath, sizeof(PlayerStatsRecord));

    RankResult result;
    RecordFile<PlayerStatsRecord> stats(statsPath);
    stats.open(FixedRecordFile::Mode::Read);
    const std::size_t count = checkedCount(stats);
    result.recordCount = std::int64_t(count);
    report(result.recordCount, 0);
    std::vector<PlayerStatsRecord> block(kBlockRecords);

    // Where each record goes: its place in the rank order, or left out.
    std::vector<std::uint32_t> rankOf(count, kLeftOut);
    std::size_t ranked = 0;
    {
        const std::vector<std::uint32_t> order = orderOfFile(*key, stats, count, block);
        for (std::size_t j = 0; j < order.size(); ++j)
            rankOf[order[j]] = std::uint32_t(j);
        ranked = order.size();
        if (!order.empty())
            result.lastPosition = std::int64_t(order.back()) + 1;
    }
    letIdle();

    // The ranked file a chunk at a time: each pass over the file gathers the records whose
    // places fall in the chunk, the chunk is written, and the next pass takes the next places.
    const std::size_t chunkRecords =
        std::max<std::size_t>(1, std::min(ranked, kChunkBytes / sizeof(PlayerStatsRecord)));
    LargeBuffer chunkMemory(ranked == 0 ? 0 : chunkRecords * sizeof(PlayerStatsRecord));
    auto* chunk = static_cast<PlayerStatsRecord*>(chunkMemory.data());
    if (beforeChange)
        beforeChange();
    const QString workPath = besideFile(statsPath, kWorkFile);
    rewriteThroughWorkFile<PlayerStatsRecord>(workPath, statsPath, [&](auto& work) {
        for (std::size_t from = 0; from < ranked; from += chunkRecords) {
            const std::size_t n = std::min(chunkRecords, ranked - from);
            std::size_t lastOfChunk = 0;
            streamRecords(stats, count, block, [&](std::size_t first, auto records) {
                for (std::size_t i = 0; i < records.size(); ++i) {
                    const std::size_t place = std::size_t(rankOf[first + i]) - from;
                    if (place < n) { // left-out records wrap round far past any chunk
                        chunk[place] = records[i];
                        if (place == n - 1)
                            lastOfChunk = first + i;
                    }
                }
            });
            work.writeMany(chunk, n);
            if (written)
                written(chunk, n);
            report(result.recordCount, std::int64_t(lastOfChunk) + 1);
            letIdle();
        }
    });
    stats.close();

    result.written = std::int64_t(ranked);
    if (ranked > 0)
        report(result.recordCount, result.lastPosition);
    return result;
}

} // namespace vantor::stats
