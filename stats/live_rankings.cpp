#include "live_rankings.h"

#include "common/rank_order.h"
#include "common/record_file.h"
#include "common/skill.h"

#include <cstring>

namespace vantor::stats {

namespace {

template <class Record> std::vector<std::uint32_t> skillOrder(const std::vector<Record>& records) {
    return rankOrder(
        records, [](const Record& r) { return r.skillPoints; },
        [](const Record& r) { return !r.name.isEmpty(); });
}

template <class Record> std::vector<Record> rankBySkill(const std::vector<Record>& records) {
    return rankDescending(
        records, [](const Record& r) { return r.skillPoints; },
        [](const Record& r) { return !r.name.isEmpty(); });
}

// records becomes the records at the positions `order` names, in that order, moved in place
// rather than copied into a second table of the same size.
template <class Record>
void putInOrder(std::vector<Record>& records, std::vector<std::uint32_t> order) {
    const std::size_t kept = order.size();
    // The left-out positions close the order, which makes it a permutation to follow.
    std::vector<bool> inOrder(records.size());
    for (std::uint32_t i : order)
        inOrder[i] = true;
    for (std::uint32_t i = 0; i < records.size(); ++i)
        if (!inOrder[i])
            order.push_back(i);
    // Each cycle of the permutation moves round once; a done slot is marked by order[k] == k.
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        const Record first = records[start];
        std::size_t k = start;
        while (order[k] != start) {
            const std::size_t from = order[k];
            records[k] = records[from];
            order[k] = std::uint32_t(k);
            k = from;
        }
        records[k] = first;
        order[k] = std::uint32_t(k);
    }
    records.resize(kept);
}

bool isIdentity(const std::vector<std::uint32_t>& order) {
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i] != i)
            return false;
    return true;
}

template <class Record> std::vector<Record> rankFile(const QString& path, const QString& workPath) {
    ensureWholeRecords(path, sizeof(Record));
    std::vector<Record> records = readAllRecords<Record>(path);
    bool derivedCurrent = true;
    for (Record& r : records) {
        const auto hitPercent = r.hitPercent;
        const auto skillPoints = r.skillPoints;
        calcskill(r);
        derivedCurrent =
            derivedCurrent && hitPercent == r.hitPercent && skillPoints == r.skillPoints;
    }
    const std::vector<std::uint32_t> order = skillOrder(records);
    // A file already in rank order, every derived value current, needs no rewrite.
    if (derivedCurrent && order.size() == records.size() && isIdentity(order))
        return records;
    std::vector<Record> ranked = std::move(records);
    putInOrder(ranked, order);
    rewriteRecords(workPath, path, ranked);
    return ranked;
}

} // namespace

std::vector<PlayerStatsRecord> statsBySkill(const std::vector<PlayerStatsRecord>& records) {
    return rankBySkill(records);
}

std::vector<LastGameRecord> lastGameBySkill(const std::vector<LastGameRecord>& records) {
    return rankBySkill(records);
}

std::vector<PlayerStatsRecord> rankStatsFileBySkill(const QString& statsPath,
                                                    const QString& workPath) {
    return rankFile<PlayerStatsRecord>(statsPath, workPath);
}

std::vector<LastGameRecord> rankLastGameFileBySkill(const QString& lastGamePath,
                                                    const QString& workPath) {
    return rankFile<LastGameRecord>(lastGamePath, workPath);
}

} // namespace vantor::stats
