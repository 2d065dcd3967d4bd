#include "common/error.h"
#include "common/skill.h"
#include "stats/live_rankings.h"
#include "tests/recorder/live/live_fixtures.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace vantor;
using namespace vantor::stats;
using namespace vantor::test;

using Names = std::vector<QByteArray>;

namespace {
PlayerStatsRecord withSkill(const QByteArray& name, int skillPoints) {
    PlayerStatsRecord r = player(name, 0, 0, 1, 0);
    r.skillPoints = skillPoints;
    return r;
}
} // namespace

TEST(RankSkill, HighestFirstEqualsKeepFileOrderBlanksDropped) {
    const std::vector<PlayerStatsRecord> in = {
        withSkill("low", 10),  withSkill("tieA", 500), withSkill("", 900),
        withSkill("top", 800), withSkill("tieB", 500), withSkill("zero", 0),
    };
    EXPECT_EQ(namesIn(statsBySkill(in)), (Names{"top", "tieA", "tieB", "low", "zero"}));
}

TEST(RankSkill, KeysOutsideTheSweepRangeKeepTheirRecords) {
    const std::vector<PlayerStatsRecord> in = {
        withSkill("mid", 5000),    withSkill("minus", -3),  withSkill("huge", 250000),
        withSkill("edge", 100000), withSkill("minus2", -1), withSkill("bigger", 100001),
        withSkill("minus3", -3),
    };
    EXPECT_EQ(namesIn(statsBySkill(in)),
              (Names{"huge", "bigger", "edge", "mid", "minus2", "minus", "minus3"}));
}

TEST(RankKillsLastgame, OrdersByTheLastGamesSkillPoints) {
    LastGameRecord alive = lastGamePlayer("alive", "blue", 3, 0, 40);
    LastGameRecord dead = lastGamePlayer("dead", "gold", 3, 1, 40);
    calcskill(alive);
    calcskill(dead);
    ASSERT_EQ(alive.skillPoints, 340);
    ASSERT_EQ(dead.skillPoints, 190);
    EXPECT_EQ(namesIn(lastGameBySkill({dead, alive})), (Names{"alive", "dead"}));
}

TEST(RankPlayers, RewritesTheFileRankedWithFreshDerivedValues) {
    TempFolder dir;
    PlayerStatsRecord stale = player("sniper", 12, 0, 3, 150);
    stale.hitPercent = 7; // stale values the ranking must not trust
    stale.skillPoints = 1;
    writeRecords<PlayerStatsRecord>(
        "stats.log", {player("rookie", 1, 4, 2, 30), stale, player("", 99, 0, 1, 0)});

    const auto ranked = rankStatsFileBySkill("stats.log", "work.dat");

    const auto onDisk = readAllRecords<PlayerStatsRecord>("stats.log");
    ASSERT_EQ(namesIn(onDisk), (Names{"sniper", "rookie"}));
    EXPECT_EQ(onDisk[0].hitPercent, 50);
    EXPECT_EQ(onDisk[0].skillPoints, 1250);
    EXPECT_EQ(onDisk[1].hitPercent, 15);
    EXPECT_EQ(onDisk[1].skillPoints, 20 + 15);
    EXPECT_EQ(namesIn(ranked), namesIn(onDisk));
    EXPECT_FALSE(QFile::exists("work.dat"));
}

TEST(RankPlayers, EmptyBlankOnlyAndMissingFiles) {
    TempFolder dir;
    writeFile("stats.log", {});
    EXPECT_TRUE(rankStatsFileBySkill("stats.log", "work.dat").empty());
    EXPECT_EQ(QFileInfo("stats.log").size(), 0);

    writeRecords<PlayerStatsRecord>("coop_stats.log", {player("", 1, 0, 1, 0)});
    EXPECT_TRUE(rankStatsFileBySkill("coop_stats.log", "work.dat").empty());
    EXPECT_EQ(QFileInfo("coop_stats.log").size(), 0);

    EXPECT_TRUE(rankLastGameFileBySkill("lastgame.log", "work.dat").empty());
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_FALSE(QFile::exists("work.dat"));
}

TEST(RankPlayers, RankingTwiceLeavesTheFileUnchanged) {
    TempFolder dir;
    writeRecords<PlayerStatsRecord>("stats.log",
                                    {player("a", 1, 1, 1, 10), player("b", 9, 0, 2, 80),
                                     player("c", 1, 1, 1, 10), player("d", 0, 3, 5, 0)});
    rankStatsFileBySkill("stats.log", "work.dat");
    const QByteArray once = readFile("stats.log");
    rankStatsFileBySkill("stats.log", "work.dat");
    EXPECT_EQ(readFile("stats.log"), once);
    EXPECT_EQ(namesIn(readAllRecords<PlayerStatsRecord>("stats.log")), (Names{"b", "a", "c", "d"}));
}

TEST(RankPlayers, AFileCutInARecordIsRefusedAndLeftAlone) {
    TempFolder dir;
    writeRecords<PlayerStatsRecord>("stats.log",
                                    {player("b", 1, 0, 1, 0), player("a", 5, 0, 1, 0)});
    QByteArray bytes = readFile("stats.log");
    bytes.append("partial");
    writeFile("stats.log", bytes);

    EXPECT_THROW(rankStatsFileBySkill("stats.log", "work.dat"), Error);
    EXPECT_EQ(readFile("stats.log"), bytes);
}

TEST(RankPlayersLastgame, RanksLastGameFileAndKeepsItsOwnFields) {
    TempFolder dir;
    writeRecords<LastGameRecord>("lastgame.log", {lastGamePlayer("dead", "gold", 3, 1, 40, "alive"),
                                                  lastGamePlayer("alive", "blue", 3, 0, 40)});
    rankLastGameFileBySkill("lastgame.log", "work.dat");
    const auto onDisk = readAllRecords<LastGameRecord>("lastgame.log");
    ASSERT_EQ(namesIn(onDisk), (Names{"alive", "dead"}));
    EXPECT_EQ(onDisk[0].skillPoints, 340);
    EXPECT_EQ(onDisk[1].skillPoints, 190);
    EXPECT_EQ(onDisk[1].killedBy.text(), "alive");
    EXPECT_EQ(onDisk[1].team.text(), "gold");
    EXPECT_FALSE(QFile::exists("work.dat"));
}

// The file as ranked on disk against the order computed in memory from the same records, for
// files with many ties and blank records spread through them.
TEST(RankPlayers, TheRewrittenFileHoldsExactlyTheRankedRecords) {
    TempFolder dir;
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        std::vector<PlayerStatsRecord> records;
        for (int i = 0, n = int(random() % 400); i < n; ++i) {
            PlayerStatsRecord r = player(
                random() % 9 == 0 ? QByteArray() : "p" + QByteArray::number(i), int(random() % 30),
                int(random() % 5), 1 + int(random() % 3), int(random() % 100));
            r.name.bytes[45] = char(i); // bytes past the name move with their record
            records.push_back(r);
        }
        writeRecords<PlayerStatsRecord>(dir.file(QStringLiteral("stats.log")), records);
        for (PlayerStatsRecord& r : records)
            calcskill(r);
        const std::vector<PlayerStatsRecord> expected = statsBySkill(records);

        const auto returned = rankStatsFileBySkill(dir.file(QStringLiteral("stats.log")),
                                                   dir.file(QStringLiteral("work.dat")));
        const auto stored =
            readAllRecords<PlayerStatsRecord>(dir.file(QStringLiteral("stats.log")));
        ASSERT_EQ(stored.size(), expected.size());
        ASSERT_EQ(returned.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(std::memcmp(&stored[i], &expected[i], sizeof(PlayerStatsRecord)), 0) << i;
            ASSERT_EQ(std::memcmp(&returned[i], &expected[i], sizeof(PlayerStatsRecord)), 0) << i;
        }
    }
}
