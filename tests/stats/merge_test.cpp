// The merge into the data files, compared byte for byte with files built by hand.
#include "stats/merge.h"

#include "common/error.h"
#include "tests/support/record_builders.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::stats;
using vantor::test::fromHex;
using vantor::test::readFile;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

QByteArray le32(std::int32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((std::uint32_t(v) >> (8 * i)) & 0xff);
    return b;
}
QByteArray shortText(const QByteArray& text, int max) {
    QByteArray b(max + 1, '\0');
    b[0] = char(text.size());
    b.replace(1, text.size(), text);
    return b;
}

// A stats file record as the file holds it: name, date, fill, then the eight numbers.
QByteArray statsBytes(const QByteArray& name, const QByteArray& date, std::int32_t kills,
                      std::int32_t deaths, std::int32_t games, std::int32_t hitPercent,
                      std::int32_t hitPercentSum, std::int32_t fired, std::int32_t taken,
                      std::int32_t skill) {
    return shortText(name, 50) + shortText(date, 10) + QByteArray(2, '\0') + le32(kills) +
           le32(deaths) + le32(games) + le32(hitPercent) + le32(hitPercentSum) + le32(fired) +
           le32(taken) + le32(skill);
}

QByteArray teamBytes(const QByteArray& team, std::int32_t wins) {
    return shortText(team, 4) + QByteArray(3, '\0') + le32(wins);
}

PlayerStatsRecord game(const QByteArray& name, std::int32_t kills, std::int32_t deaths,
                       std::int32_t hit, std::int32_t fired, std::int32_t taken,
                       const QByteArray& date = "6/10/00") {
    return vantor::test::player(name, kills, deaths, 1, hit, fired, taken, date);
}

LastGameRecord lastGame(const QByteArray& name, std::int32_t kills, std::int32_t deaths,
                        std::int32_t hit, std::int32_t fired, const QByteArray& killedBy,
                        const QByteArray& team) {
    return vantor::test::lastGamePlayer(name, team, kills, deaths, hit, killedBy, fired);
}

const QString kHere = QStringLiteral(".");

} // namespace

TEST(Merge, FirstGameCreatesTheFileAndAnotherGameMergesInPlace) {
    TempFolder dir;
    saveplayer(kHere, game("Marrow", 5, 0, 40, 200, 3), kAdversarial);
    // Written out by hand: "Marrow", 6/10/00, 5 kills, 1 game, 40 %, 200 fired, 3 taken, 540.
    EXPECT_EQ(readFile("stats.log").toHex(' '),
              fromHex("06 4d 61 72 72 6f 77 00 00 00 00 00 00 00 00 00"
                      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                      "00 00 00 07 36 2f 31 30 2f 30 30 00 00 00 00 00"
                      "05 00 00 00 00 00 00 00 01 00 00 00 28 00 00 00"
                      "28 00 00 00 c8 00 00 00 03 00 00 00 1c 02 00 00")
                  .toHex(' '));

    saveplayer(kHere, game("Gunner", 2, 1, 50, 10, 4), kAdversarial);
    saveplayer(kHere, game("Marrow", 1, 1, 20, 100, 2, "6/11/00"), kAdversarial);
    EXPECT_EQ(readFile("stats.log"),
              statsBytes("Marrow", "6/11/00", 6, 1, 2, 30, 60, 300, 5, 330) +
                  statsBytes("Gunner", "6/10/00", 2, 1, 1, 50, 50, 10, 4, 150));
    EXPECT_FALSE(QFile::exists("coop_stats.log"));
    EXPECT_FALSE(QFile::exists("team.log"));
}

TEST(Merge, AGameWithoutARoundFiredCountsAtTheAverageSoFar) {
    TempFolder dir;
    writeFile("coop_stats.log", statsBytes("Marrow", "6/1/00", 4, 1, 2, 35, 70, 50, 3, 235));
    // The reader's 100 % for kills without a round fired is not used for a known player.
    saveplayer(kHere, game("Marrow", 2, 0, 100, 0, 1), kCooperative);
    EXPECT_EQ(readFile("coop_stats.log"),
              statsBytes("Marrow", "6/10/00", 6, 1, 3, 35, 105, 50, 4, 335));
    // A new player with kills and no round fired keeps the 100.
    saveplayer(kHere, game("Grenadier", 3, 0, 100, 0, 0), kCooperative);
    EXPECT_EQ(readFile("coop_stats.log").mid(96),
              statsBytes("Grenadier", "6/10/00", 3, 0, 1, 100, 100, 0, 0, 400));
    EXPECT_FALSE(QFile::exists("stats.log"));
}

TEST(Merge, NamesMatchExactlyAndOtherRecordsKeepTheirBytes) {
    TempFolder dir;
    // A blank record and a record with old bytes past its name and in its fill.
    QByteArray oldBob = statsBytes("Bob", "6/1/00", 1, 0, 1, 10, 10, 5, 0, 110);
    oldBob[10] = 'x';
    oldBob[62] = 0x7f;
    const QByteArray blank = statsBytes("", "", 0, 0, 0, 0, 0, 0, 0, 0);
    const QByteArray marrow = statsBytes("Marrow", "6/1/00", 1, 0, 1, 10, 10, 5, 0, 110);
    writeFile("stats.log", marrow + blank + oldBob);

    saveplayer(kHere, game("marrow", 1, 0, 20, 5, 0), kAdversarial);
    saveplayer(kHere, game("Bob", 1, 1, 30, 5, 1), kAdversarial);
    EXPECT_EQ(readFile("stats.log"),
              marrow + blank + statsBytes("Bob", "6/10/00", 2, 1, 2, 20, 40, 10, 1, 120) +
                  statsBytes("marrow", "6/10/00", 1, 0, 1, 20, 20, 5, 0, 120));

    // A player whose name is empty meets the blank record.
    saveplayer(kHere, game("", 2, 0, 40, 10, 0), kAdversarial);
    EXPECT_EQ(readFile("stats.log").mid(96, 96),
              statsBytes("", "6/10/00", 2, 0, 1, 40, 40, 10, 0, 240));
}

TEST(Merge, LastGameKeepsTheNewestKilledByTeamAndDate) {
    TempFolder dir;
    savelastgame(kHere, lastGame("Marrow", 2, 0, 40, 10, "", "blue"));
    LastGameRecord again = lastGame("Marrow", 1, 1, 20, 10, "Gunner", "gold");
    again.lastPlayed.setText("6/11/00");
    savelastgame(kHere, again);
    const QByteArray expected = shortText("Marrow", 50) + shortText("6/11/00", 10) +
                                shortText("Gunner", 50) + QByteArray(3, '\0') + le32(3) + le32(1) +
                                le32(2) + le32(30) + le32(60) + le32(20) + le32(0) + le32(180) +
                                shortText("gold", 4) + QByteArray(3, '\0');
    EXPECT_EQ(readFile("lastgame.log"), expected);
}

TEST(Merge, TeamWinsAddUpInBothRecords) {
    TempFolder dir;
    saveteam(kHere, TeamResult{true, false}, kAdversarial);
    EXPECT_EQ(readFile("team.log"), fromHex("04 62 6c 75 65 00 00 00 00 00 00 00"
                                            "04 67 6f 6c 64 00 00 00 01 00 00 00"));

    writeFile("team.log", teamBytes("blue", 7) + teamBytes("gold", 4));
    const TeamTotals t = saveteam(kHere, TeamResult{true, true}, kAdversarial);
    EXPECT_EQ(readFile("team.log"), teamBytes("blue", 8) + teamBytes("gold", 4));
    EXPECT_EQ(t.blue.wins, 8);
    EXPECT_EQ(t.gold.wins, 4);

    saveteam(kHere, TeamResult{true, true}, kCooperative);
    EXPECT_EQ(readFile("team.log"), teamBytes("blue", 8) + teamBytes("gold", 4));
}

TEST(Merge, AnAdversarialGameWithoutBluePlayerAddsNoWin) {
    TempFolder dir;
    saveteam(kHere, TeamResult{}, kAdversarial);
    EXPECT_EQ(readFile("team.log"), teamBytes("blue", 0) + teamBytes("gold", 0));

    writeFile("team.log", teamBytes("blue", 7) + teamBytes("gold", 4));
    saveteam(kHere, TeamResult{true, true}, kAdversarial);
    saveteam(kHere, TeamResult{}, kAdversarial); // running totals are not added again
    EXPECT_EQ(readFile("team.log"), teamBytes("blue", 8) + teamBytes("gold", 4));
}

TEST(Merge, UnknownGameTypesHaveNoStatsFile) {
    TempFolder dir;
    EXPECT_FALSE(saveplayer(kHere, game("Marrow", 1, 0, 1, 1, 0), "adversarial"));
    EXPECT_FALSE(saveplayer(kHere, game("Marrow", 1, 0, 1, 1, 0), "Adversarial "));
    saveteam(kHere, TeamResult{true, true}, "Adversarial Lone Wol");
    EXPECT_TRUE(QDir(".").entryList(QDir::Files).isEmpty());
}

TEST(Merge, AFileThatExistsButCannotBeOpenedIsNeverStartedAfresh) {
    TempFolder dir;
    ASSERT_TRUE(QDir(".").mkdir("stats.log"));
    EXPECT_THROW(saveplayer(kHere, game("Marrow", 1, 0, 1, 1, 0), kAdversarial), Error);
    EXPECT_TRUE(QFileInfo("stats.log").isDir());
}

TEST(Merge, CountsStopAtTheLargestIntegerInsteadOfWrapping) {
    TempFolder dir;
    // Kills, hit sum, rounds and games one short of the limit; a second player far below it.
    writeFile("stats.log", statsBytes("Big", "6/1/00", INT32_MAX - 1, 0, INT32_MAX - 1, 0,
                                      INT32_MAX - 1, INT32_MAX - 1, INT32_MAX - 1, 0) +
                               statsBytes("Low", "6/1/00", INT32_MIN + 1, 0, 1, 0, 0, 1, 0, 0));
    saveplayer(kHere, game("Big", 5, 0, 50, 7, 9), kAdversarial);
    saveplayer(kHere, game("Low", -5, 0, 0, 1, 0), kAdversarial);
    // A game without a round fired adds the stored average to a hit sum at the limit.
    saveplayer(kHere, game("Big", 0, 0, 0, 0, 0), kAdversarial);
    const QByteArray after = readFile("stats.log");
    EXPECT_EQ(after.mid(64, 4), le32(INT32_MAX));      // kills
    EXPECT_EQ(after.mid(72, 4), le32(INT32_MAX));      // games
    EXPECT_EQ(after.mid(76, 4), le32(1));              // hitPercent: sum div games
    EXPECT_EQ(after.mid(80, 4), le32(INT32_MAX));      // hitPercentSum
    EXPECT_EQ(after.mid(84, 4), le32(INT32_MAX));      // roundsFired
    EXPECT_EQ(after.mid(88, 4), le32(INT32_MAX));      // roundsTaken
    EXPECT_EQ(after.mid(92, 4), le32(INT32_MAX));      // skillPoints: 100 x kills, clamped
    EXPECT_EQ(after.mid(96 + 64, 4), le32(INT32_MIN)); // below the range it stays at its end

    writeFile("team.log", teamBytes("blue", INT32_MAX) + teamBytes("gold", 4));
    saveteam(kHere, TeamResult{true, true}, kAdversarial);
    EXPECT_EQ(readFile("team.log"), teamBytes("blue", INT32_MAX) + teamBytes("gold", 4));
}
