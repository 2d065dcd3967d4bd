#include "live_rankings.h"

#include "common/rank_order.h"
#include "common/record_file.h"
#include "common/skill.h"

#include <cstring>

namespace vantor::recorder {

namespace {

template <class Record> std::vector<Record> rankBySkill(const std::vector<Record>& records) {
    return rankDescending(
        records, [](const Record& r) { return r.skillPoints; },
        [](const Record& r) { return !r.name.isEmpty(); });
}

bool sameBytes(const void* a, const void* b, std::size_t n) {
    return n == 0 || std::memcmp(a, b, n) == 0;
}

template <class Record> std::vector<Record> rankFile(const QString& path, const QString& workPath) {
    ensureWholeRecords(path, sizeof(Record));
    const std::vector<Record> stored = readAllRecords<Record>(path);
    std::vector<Record> loaded = stored;
    for (Record& r : loaded)
        calcskill(r);
    std::vector<Record> ranked = rankBySkill(loaded);
    // A file already in rank order, every derived value current, needs no rewrite.
    if (ranked.size() == stored.size() &&
        sameBytes(ranked.data(), stored.data(), ranked.size() * sizeof(Record)))
        return ranked;
    rewriteRecords(workPath, path, ranked);
    return ranked;
}

} // namespace

std::vector<PlayerStatsRecord> rank_skill(const std::vector<PlayerStatsRecord>& records) {
    return rankBySkill(records);
}

std::vector<LastGameRecord> rank_kills_lastgame(const std::vector<LastGameRecord>& records) {
    return rankBySkill(records);
}

std::vector<PlayerStatsRecord> rank_players(const QString& statsPath, const QString& workPath) {
    return rankFile<PlayerStatsRecord>(statsPath, workPath);
}

std::vector<LastGameRecord> rank_players_lastgame(const QString& lastGamePath,
                                                  const QString& workPath) {
    return rankFile<LastGameRecord>(lastGamePath, workPath);
}

} // namespace vantor::recorder
