#include "ranking.h"

#include "game_type.h"

#include "common/error.h"
#include "common/rank_order.h"
#include "common/record_file.h"
#include "history/change_note.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace vantor::utilities {

namespace {

// How many records are written between two progress reports and idle calls: often enough to
// repaint smoothly, rarely enough to cost nothing.
constexpr std::int64_t kRecordsPerIdle = 16384;

std::vector<PlayerStatsRecord> loadTable(RecordFile<PlayerStatsRecord>& stats) {
    const std::int64_t count = stats.size();
    if (count > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
        throw Error(QStringLiteral("\"%1\" holds too many records to rank.").arg(stats.path()));
    std::vector<PlayerStatsRecord> table(static_cast<std::size_t>(count));
    for (auto& r : table) {
        if (!stats.read(r))
            throw Error(
                QStringLiteral("\"%1\" became shorter while it was read.").arg(stats.path()));
        computeDerivedValues(r);
    }
    return table;
}

} // namespace

std::vector<std::uint32_t> rankOrder(const std::vector<PlayerStatsRecord>& table, RankKey key) {
    const bool keepBlanks = keepsBlankRecords(key);
    return vantor::rankOrder(
        table, [key](const PlayerStatsRecord& r) { return rankKeyValue(key, r); },
        [keepBlanks](const PlayerStatsRecord& r) { return keepBlanks || !r.isBlank(); });
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
    std::vector<PlayerStatsRecord> table;
    {
        RecordFile<PlayerStatsRecord> stats(statsPath);
        stats.open(FixedRecordFile::Mode::Read);
        table = loadTable(stats);
        stats.close();
    }
    result.recordCount = std::int64_t(table.size());
    report(result.recordCount, 0);
    letIdle();

    const std::vector<std::uint32_t> order = rankOrder(table, *key);

    history::ChangeNote note(folderOf(statsPath));
    const QString workPath = besideFile(statsPath, kWorkFile);
    rewriteThroughWorkFile<PlayerStatsRecord>(workPath, statsPath, [&](auto& work) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            work.write(table[order[i]]);
            if ((i + 1) % kRecordsPerIdle == 0) {
                report(result.recordCount, std::int64_t(order[i]) + 1);
                letIdle();
            }
        }
    });

    note.add({history::EventKind::Rank,
              QFileInfo(statsPath).fileName() == kCoopStatsFile,
              keyText.toUtf8(),
              {}});
    result.written = std::int64_t(order.size());
    if (!order.empty()) {
        result.lastPosition = std::int64_t(order.back()) + 1;
        report(result.recordCount, result.lastPosition);
    }
    return result;
}

} // namespace vantor::utilities
