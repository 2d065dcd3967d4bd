// The rank order against a plain stable sort, over the key spreads that take different paths:
// one counting pass, two passes, and keys too far apart for 32 bits.
#include "common/rank_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>

using namespace vantor;

namespace {

struct Row {
    std::int64_t key;
    bool blank;
};

std::vector<std::uint32_t> expectedOrder(const std::vector<Row>& rows) {
    std::vector<std::uint32_t> order;
    for (std::uint32_t i = 0; i < rows.size(); ++i)
        if (!rows[i].blank)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return rows[a].key > rows[b].key; });
    return order;
}

std::vector<std::uint32_t> actualOrder(const std::vector<Row>& rows) {
    return rankOrder(
        rows, [](const Row& r) { return r.key; }, [](const Row& r) { return !r.blank; });
}

// Many equal keys, so that any loss of file order among equals shows.
std::vector<Row> randomRows(std::size_t n, std::int64_t low, std::int64_t high, unsigned seed) {
    std::mt19937_64 random(seed);
    std::vector<std::int64_t> values(64);
    std::uniform_int_distribution<std::int64_t> pick(low, high);
    for (auto& v : values)
        v = pick(random);
    values.front() = low;
    values.back() = high;
    std::vector<Row> rows(n);
    for (auto& r : rows)
        r = {values[random() % values.size()], random() % 17 == 0};
    return rows;
}

} // namespace

TEST(RankOrder, MatchesAStableDescendingSortForEverySpread) {
    const std::int64_t i32min = std::numeric_limits<std::int32_t>::min();
    const std::int64_t i32max = std::numeric_limits<std::int32_t>::max();
    const std::int64_t i64min = std::numeric_limits<std::int64_t>::min();
    const std::int64_t i64max = std::numeric_limits<std::int64_t>::max();
    const std::vector<std::pair<std::int64_t, std::int64_t>> spreads = {
        {0, 0},           {0, 100},         {-5, 65530},      {0, 65535},
        {0, 65536},       {-40000, 100000}, {0, 2400000},     {i32min, i32max},
        {-1, 0xFFFFFFFE}, {0, 0xFFFFFFFF},  {0, 0x100000000}, {i64min, i64max}};
    unsigned seed = 1;
    for (const auto& [low, high] : spreads) {
        const auto rows = randomRows(5000, low, high, seed++);
        EXPECT_EQ(actualOrder(rows), expectedOrder(rows)) << "keys " << low << " to " << high;
    }
}

TEST(RankOrder, NoRecordOrOnlyBlankRecordsGiveAnEmptyOrder) {
    EXPECT_TRUE(actualOrder({}).empty());
    EXPECT_TRUE(actualOrder({{5, true}, {7, true}}).empty());
}

TEST(RankOrder, OneKeptRecordAmongBlanksKeepsItsPosition) {
    const std::vector<Row> rows{{9, true}, {3, false}, {9, true}};
    EXPECT_EQ(actualOrder(rows), std::vector<std::uint32_t>{1});
}

TEST(RankOrder, AlreadyRankedRowsStayInPlace) {
    std::vector<Row> rows;
    for (int k = 200000; k >= 0; k -= 3)
        rows.push_back({k, false});
    std::vector<std::uint32_t> identity(rows.size());
    std::iota(identity.begin(), identity.end(), 0u);
    EXPECT_EQ(actualOrder(rows), identity);
}
