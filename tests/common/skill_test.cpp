#include "common/records.h"
#include "common/skill.h"

#include <climits>
#include <gtest/gtest.h>
#include <limits>

using namespace vantor;

TEST(Calcskill, FirstAndSecondGameOfAPlayer) {
    PlayerStatsRecord r;
    r.kills = 5;
    r.games = 1;
    r.hitPercentSum = 40;
    calcskill(r);
    EXPECT_EQ(r.hitPercent, 40);
    EXPECT_EQ(r.skillPoints, 540);

    r.kills = 6;
    r.deaths = 1;
    r.games = 2;
    r.hitPercentSum = 60;
    calcskill(r);
    EXPECT_EQ(r.hitPercent, 30);
    EXPECT_EQ(r.skillPoints, 330);
}

TEST(Calcskill, DivisionsDropTheRemainder) {
    LastGameRecord r;
    r.kills = 7;
    r.deaths = 2;
    r.games = 3;
    r.hitPercentSum = 100;
    calcskill(r);
    EXPECT_EQ(r.hitPercent, 33);
    EXPECT_EQ(r.skillPoints, 700 / 3 + 33);
}

TEST(Calcskill, HostileValuesNeverTrap) {
    PlayerStatsRecord r;
    r.kills = 3;
    r.games = 0;
    r.hitPercentSum = 90;
    calcskill(r);
    EXPECT_EQ(r.hitPercent, 0);
    EXPECT_EQ(r.skillPoints, 300);

    r.deaths = -1; // a divisor of zero
    calcskill(r);
    EXPECT_EQ(r.skillPoints, 300);

    r.games = -1;
    r.hitPercentSum = INT_MIN; // INT_MIN div -1 overflows in 32 bits
    r.kills = INT_MAX;
    r.deaths = 0;
    calcskill(r); // must not trap under the sanitizers; the results stay at the limit
    EXPECT_EQ(r.hitPercent, INT_MAX);
    EXPECT_EQ(r.skillPoints, INT_MAX);
}

TEST(Calcskill, SkillPointsSaturateInsteadOfTurningNegative) {
    PlayerStatsRecord r;
    r.kills = 30000000; // 100 x kills passes the 32-bit range
    r.games = 1;
    r.hitPercentSum = 40;
    calcskill(r);
    EXPECT_EQ(r.skillPoints, INT_MAX);
    r.deaths = 1;
    calcskill(r);
    EXPECT_EQ(r.skillPoints, 1500000040);
    r.kills = -30000000;
    r.deaths = 0;
    calcskill(r);
    EXPECT_EQ(r.skillPoints, INT_MIN);
}

TEST(KillsPerGame, TextHasTwoDigitsAfterThePoint) {
    EXPECT_EQ(killsPerGameText(0, 5), "0");
    EXPECT_EQ(killsPerGameText(-3, 5), "0");
    EXPECT_EQ(killsPerGameText(7, 3), "2.33");
    EXPECT_EQ(killsPerGameText(1, 20), ".05");
    EXPECT_EQ(killsPerGameText(1, 2), ".50");
    EXPECT_EQ(killsPerGameText(250, 2), "125.00");
    EXPECT_EQ(killsPerGameText(25, 2), "12.50");
    EXPECT_EQ(killsPerGameText(1, 1000), ".00");
    EXPECT_EQ(killsPerGameText(4, 0), "4.00"); // games 0 counts as one game
}

TEST(KillsPerGame, ValueIsInHundredthsWithoutOverflow) {
    EXPECT_EQ(killsPerGameValue(7, 3), 233);
    EXPECT_EQ(killsPerGameValue(2, 1), 200);
    EXPECT_EQ(killsPerGameValue(INT_MAX, 1), std::int64_t(INT_MAX) * 100);
}

#include "common/rank_order.h"

TEST(RankDescending, StableAmongEqualsAndOutOfRangeKeysKept) {
    struct R {
        int key;
        char tag;
    };
    const std::vector<R> in{{5, 'a'}, {200000, 'b'}, {5, 'c'},  {-3, 'd'}, {7, 'e'},
                            {0, 'x'}, {100001, 'f'}, {-1, 'g'}, {5, 'h'}};
    const auto out = rankDescending(
        in, [](const R& r) { return r.key; }, [](const R& r) { return r.tag != 'x'; });
    std::string tags;
    for (const auto& r : out)
        tags += r.tag;
    EXPECT_EQ(tags, "bfeachgd");
}

// The column as it was first written: the number's digits, a leading 0 below 10, a point before
// the last two, the sign in front.
TEST(Skill, KillsPerGameCharsMatchTheTextRuleOverTheWholeRange) {
    const auto reference = [](std::int32_t kills, std::int32_t games) -> QByteArray {
        if (kills < 1)
            return "0";
        const std::int64_t v = killsPerGameValue(kills, games);
        QByteArray digits = QByteArray::number(v < 0 ? -v : v);
        if (digits.size() < 2)
            digits.prepend('0');
        digits.insert(digits.size() - 2, '.');
        if (v < 0)
            digits.prepend('-');
        return digits;
    };
    const std::int32_t edges[] = {std::numeric_limits<std::int32_t>::min(),
                                  -1000,
                                  -1,
                                  0,
                                  1,
                                  2,
                                  9,
                                  10,
                                  99,
                                  100,
                                  101,
                                  1000,
                                  123457,
                                  std::numeric_limits<std::int32_t>::max()};
    for (std::int32_t kills : edges)
        for (std::int32_t games : edges) {
            char out[kKillsPerGameChars];
            const std::size_t n = killsPerGameChars(kills, games, out);
            ASSERT_EQ(QByteArray(out, qsizetype(n)), reference(kills, games))
                << kills << " kills in " << games << " games";
        }
}
