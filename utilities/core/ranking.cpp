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

namespace vantor::utilities {

namespace {

// How many records are written between two progress reports and idle calls: often enough to
// repaint smoothly, rarely enough to cost nothing.
constexpr std::int64_t kRecordsPerIdle = 16384;

// The stats file whole, in one read straight into memory of its own.
class Table {
public:
    explicit Table(RecordFile<PlayerStatsRecord>& stats)
        : size_(checkedCount(stats)), memory_(size_ * sizeof(PlayerStatsRecord)) {
        if (stats.readMany(memory_.data(), size_) != size_)
            throw Error(
                QStringLiteral("\"%1\" became shorter while it was read.").arg(stats.path()));
        for (PlayerStatsRecord& r : records())
            computeDerivedValues(r);
    }
    std::span<PlayerStatsRecord> records() const {
        return {static_cast<PlayerStatsRecord*>(memory_.data()), size_};
    }

private:
    static std::size_t checkedCount(RecordFile<PlayerStatsRecord>& stats) {
        const std::int64_t count = stats.size();
        if (count > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
            throw Error(QStringLiteral("\"%1\" holds too many records to rank.").arg(stats.path()));
        return std::size_t(count);
    }

    std::size_t size_;
    LargeBuffer memory_;
};

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

RankResult Rank_Players(const QString& statsPath, const QString& keyText,
                        const RankProgressFn& progress, const IdleFn& idle) {
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

    const auto lock = lockDataFolderOf(statsPath, idle);
    ensureWholeRecords(statsPath, sizeof(PlayerStatsRecord));

    RankResult result;
    RecordFile<PlayerStatsRecord> stats(statsPath);
    stats.open(FixedRecordFile::Mode::Read);
    Table loaded(stats);
    stats.close();
    const std::span<PlayerStatsRecord> table = loaded.records();
    result.recordCount = std::int64_t(table.size());
    report(result.recordCount, 0);
    letIdle();

    const std::vector<std::uint32_t> order = rankOrder(table, *key);

    const QString workPath = besideFile(statsPath, kWorkFile);
    rewriteThroughWorkFile<PlayerStatsRecord>(workPath, statsPath, [&](auto& work) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            // The records lie apart in the table: fetch the ones a few steps ahead meanwhile.
            if (i + 8 < order.size())
                __builtin_prefetch(&table[order[i + 8]]);
            work.write(table[order[i]]);
            if ((i + 1) % kRecordsPerIdle == 0) {
                report(result.recordCount, std::int64_t(order[i]) + 1);
                letIdle();
            }
        }
    });

    result.written = std::int64_t(order.size());
    if (!order.empty()) {
        result.lastPosition = std::int64_t(order.back()) + 1;
        report(result.recordCount, result.lastPosition);
    }
    return result;
}

} // namespace vantor::utilities
