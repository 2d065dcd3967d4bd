// Whole result logs read into the game's information and the players' records.
#include "stats/result_log.h"

#include "common/error.h"
#include "tests/recorder/recorder_test_data.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::stats;
using vantor::test::readLogFixture;

namespace {
ResultLog parse(const char* fixture) {
    return parseResultLog(readLogFixture(QString::fromLatin1(fixture)), "6/10/00");
}
QString failureOf(const char* fixture) {
    try {
        parse(fixture);
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("(read)");
}
} // namespace

TEST(ResultLog, ReadsHeaderAndEveryPlayerOfARealisticGame) {
    const ResultLog log = parse("demo_adversarial.log");
    EXPECT_EQ(log.info.gameType, "Adversarial");
    EXPECT_EQ(log.info.map, "Oil Refinery");
    EXPECT_EQ(log.info.rules, "Team Survival");
    EXPECT_EQ(log.info.elapsedTime, "04:32");
    ASSERT_EQ(log.players.size(), 4u);

    const auto& ding = log.players[1];
    EXPECT_EQ(ding.stats.name.text(), "Ding Chavez");
    EXPECT_EQ(ding.stats.lastPlayed.text(), "6/10/00");
    EXPECT_EQ(ding.stats.kills, 2);
    EXPECT_EQ(ding.stats.deaths, 1);
    EXPECT_EQ(ding.stats.games, 1);
    EXPECT_EQ(ding.stats.hitPercentSum, 25);
    EXPECT_EQ(ding.stats.roundsFired, 80);
    EXPECT_EQ(ding.stats.roundsTaken, 4);
    EXPECT_EQ(ding.stats.hitPercent, 0); // left to the merge
    EXPECT_EQ(ding.lastGame.killedBy.text(), "Gunner");
    EXPECT_EQ(ding.lastGame.team.text(), "blue");
    EXPECT_EQ(ding.lastGame.kills, 2);
    EXPECT_EQ(ding.lastGame.deaths, 1);
    EXPECT_EQ(ding.lastGame.games, 1);
    EXPECT_EQ(ding.lastGame.lastPlayed.text(), "6/10/00");

    EXPECT_EQ(log.players[2].lastGame.team.text(), "gold");
    EXPECT_EQ(log.players[2].stats.deaths, 1); // health code 3
    EXPECT_EQ(log.players[3].stats.deaths, 0); // health code 1
    EXPECT_TRUE(log.teams.known);
    EXPECT_TRUE(log.teams.blueWon);
}

TEST(ResultLog, NumberFormsAndThePerfectGameRule) {
    const ResultLog log = parse("number_forms.log");
    ASSERT_EQ(log.players.size(), 2u);
    const auto& hexer = log.players[0].stats;
    EXPECT_EQ(hexer.kills, 7); // "   7x"
    EXPECT_EQ(hexer.hitPercentSum, 31);
    EXPECT_EQ(hexer.roundsFired, 16);
    EXPECT_EQ(hexer.roundsTaken, 3);
    // Three kills, no round fired: 100 % whatever the log says, in both records.
    EXPECT_EQ(log.players[1].stats.hitPercentSum, 100);
    EXPECT_EQ(log.players[1].lastGame.hitPercentSum, 100);
    EXPECT_EQ(log.players[1].stats.roundsTaken, 0); // "-0"
}

TEST(ResultLog, ABadNumberFailsTheWholeLogWithItsText) {
    EXPECT_EQ(failureOf("bad_number_dash.log"), "'-' is not a valid integer value");
    EXPECT_EQ(failureOf("out_of_range.log"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(failureOf("blank_after_number.log"), "'7 ' is not a valid integer value");
    EXPECT_EQ(failureOf("cut_short.log"), "'' is not a valid integer value");
}

TEST(ResultLog, LongTextsAreCutAndOneCharacterValuesAreEmpty) {
    const ResultLog log = parse("long_and_short_values.log");
    EXPECT_EQ(log.info.map, "");
    EXPECT_EQ(log.info.rules, "R");
    ASSERT_EQ(log.players.size(), 2u);
    const auto& first = log.players[0];
    EXPECT_EQ(first.stats.name.text(), QByteArray(50, 'N'));
    EXPECT_EQ(first.lastGame.killedBy.text(), QByteArray(50, 'K'));
    EXPECT_EQ(first.lastGame.team.text(), ""); // team code "0" less its last character
    EXPECT_EQ(first.stats.deaths, 0);          // health code "2" likewise
    const auto& second = log.players[1];
    EXPECT_EQ(second.stats.name.text(), "");
    EXPECT_EQ(second.lastGame.killedBy.text(), "");
    EXPECT_EQ(second.lastGame.team.text(), "gold");
    EXPECT_FALSE(log.teams.known);

    const ResultLog longType = parse("unknown_type.log");
    EXPECT_EQ(longType.info.gameType, "Adversarial Lone Wol");
}

TEST(ResultLog, TheLastBluePlayerDecidesAndOthersAreIgnored) {
    const ResultLog log = parse("blue_disagree.log");
    ASSERT_EQ(log.players.size(), 4u);
    EXPECT_TRUE(log.teams.known);
    EXPECT_FALSE(log.teams.blueWon);
    EXPECT_EQ(log.players[1].lastGame.team.text(), ""); // team code 1
    EXPECT_EQ(log.players[3].lastGame.team.text(), ""); // team code 2

    EXPECT_FALSE(parse("no_blue.log").teams.known);
}

TEST(ResultLog, LineEndsCtrlZAndShiftedLabels) {
    const ResultLog cr = parse("cr_only.log");
    ASSERT_EQ(cr.players.size(), 1u);
    EXPECT_EQ(cr.players[0].stats.name.text(), "Marrow");
    EXPECT_EQ(cr.players[0].lastGame.killedBy.text(), "Gunner");
    EXPECT_EQ(cr.players[0].stats.deaths, 1);

    // Without a CR the whole file is the first line: no known game type, no player.
    const ResultLog lf = parse("lf_only.log");
    EXPECT_EQ(lf.info.gameType, "Adversarial \nMap Nam");
    EXPECT_TRUE(lf.players.empty());

    const ResultLog z = parse("ctrl_z.log");
    ASSERT_EQ(z.players.size(), 1u);
    EXPECT_EQ(z.players[0].stats.name.text(), "Marrow");

    const ResultLog shifted = parse("shifted_map.log");
    EXPECT_EQ(shifted.info.map, "Oil Refinery");
    EXPECT_EQ(shifted.info.rules, "Team Survival");
    ASSERT_EQ(shifted.players.size(), 1u);
    EXPECT_EQ(shifted.players[0].stats.kills, 2);
}

TEST(ResultLog, EmptyAndHeaderOnlyLogsHaveNoPlayers) {
    EXPECT_TRUE(parse("header_only.log").players.empty());
    const ResultLog empty = parseResultLog("", "6/10/00");
    EXPECT_EQ(empty.info.gameType, "");
    EXPECT_TRUE(empty.players.empty());
}

namespace {
// A log of `players` blocks in the game's layout.
QByteArray logWithPlayers(int players) {
    QByteArray log = "Type  : Adversarial \r\nMap Name   : Oil Refinery \r\nServer \r\n"
                     "Rules  : Team Survival \r\nElapsed Time  : 5:00 \r\n\r\n";
    for (int i = 0; i < players; ++i)
        log += "Player Number : 1 \r\nTeam        : 0 \r\nCharacter \r\nHealth Status : 1 \r\n"
               "Player Name  : Bot" +
               QByteArray::number(i) +
               " \r\nKills            : 1 \r\nHit Percentage  : 10 \r\n"
               "Rounds Fired         : 5 \r\nRounds Taken         : 0 \r\n"
               "Killed By            :  \r\nTeam Won     : 1 \r\n\r\n";
    return log;
}
} // namespace

TEST(ResultLog, MoreBlocksThanAGameHoldsAreRefusedWhole) {
    EXPECT_EQ(parseResultLog(logWithPlayers(64), "6/10/00").players.size(), 64u);
    try {
        parseResultLog(logWithPlayers(65), "6/10/00");
        ADD_FAILURE() << "65 player blocks were read";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("more than 64 player blocks"))
            << e.message().toStdString();
    }
}
