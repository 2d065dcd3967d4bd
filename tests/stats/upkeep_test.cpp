#include "tests/utilities/stats_files.h"

#include "stats/game_type.h"
#include "stats/upkeep.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;
using namespace vantor::stats;

namespace {
const QString kStats = QStringLiteral("stats.log");

QByteArrayList keptNames() {
    return namesIn(readStats(kStats));
}
} // namespace

TEST(GameType, SelectsItsFilesByExactText) {
    EXPECT_EQ(statsFileName(QStringLiteral("Adversarial")), QStringLiteral("stats.log"));
    EXPECT_EQ(statsFileName(QStringLiteral("Cooperative")), QStringLiteral("coop_stats.log"));
    EXPECT_EQ(statsFileName(QStringLiteral("adversarial")), QString());
    EXPECT_EQ(statsFileName(QString()), QString());
    EXPECT_EQ(filesOfGameType(kAdversarialText), QStringList({"stats.log", "team.log"}));
    EXPECT_EQ(filesOfGameType(kCooperativeText), QStringList({"coop_stats.log"}));
}

TEST(ListPlayers, SkipsBlanksAndSortsLikeTheList) {
    TempFolder dir;
    EXPECT_FALSE(listPlayers(kStats).has_value());
    writeStats(kStats,
               {statsRecord("bravo", {}), blankStatsRecord("gone"), statsRecord("Alpha", {}),
                statsRecord("alpha", {}), statsRecord("\xC9mile", {}), statsRecord("charlie", {})});
    auto names = listPlayers(kStats);
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(QByteArrayList(names->begin(), names->end()),
              QByteArrayList({"bravo", "Alpha", "alpha", "\xC9mile", "charlie"}));
    sortForListing(*names);
    EXPECT_EQ(QByteArrayList(names->begin(), names->end()),
              QByteArrayList({"Alpha", "alpha", "bravo", "charlie", "\xC9mile"}));
}

TEST(DeletePlayer, BlanksEveryRecordOfExactlyThatName) {
    TempFolder dir;
    const auto alpha = statsRecord("Alpha", {.kills = 9,
                                             .deaths = 4,
                                             .games = 6,
                                             .hitPercentSum = 300,
                                             .roundsFired = 77,
                                             .roundsTaken = 12});
    const std::vector<PlayerStatsRecord> before = {alpha, statsRecord("alpha", {.kills = 1}),
                                                   statsRecord("Alpha ", {.kills = 2}), alpha};
    writeStats(kStats, before);
    EXPECT_EQ(deletePlayer(kStats, "Alpha"), 2);

    // Only the name length, the totals and the games change; everything else stays, byte
    // for byte, the old name characters included.
    PlayerStatsRecord blanked = alpha;
    blanked.name.bytes[0] = 0;
    blanked.kills = blanked.deaths = blanked.hitPercent = blanked.hitPercentSum = 0;
    blanked.skillPoints = 0;
    blanked.games = 1;
    const auto after = readStats(kStats);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(bytesOf({after[0]}), bytesOf({blanked}));
    EXPECT_EQ(bytesOf({after[3]}), bytesOf({blanked}));
    EXPECT_EQ(bytesOf({after[1], after[2]}), bytesOf({before[1], before[2]}));
}

TEST(DeletePlayer, MatchesNameBytesAndLeavesAMissingFileAlone) {
    TempFolder dir;
    EXPECT_FALSE(deletePlayer(kStats, "x").has_value());
    EXPECT_FALSE(QFile::exists(kStats));

    writeStats(kStats,
               {statsRecord("J\xF6rg", {}), statsRecord("Jorg", {}), blankStatsRecord("J\xF6rg")});
    const QByteArray blankBytes = readFile(kStats).mid(2 * 96);
    EXPECT_EQ(deletePlayer(kStats, "J\xF6rg"), 1);
    EXPECT_EQ(keptNames(), QByteArrayList({"", "Jorg", ""}));
    EXPECT_EQ(readFile(kStats).mid(2 * 96), blankBytes); // a blank record is not touched again
    EXPECT_EQ(deletePlayer(kStats, ""), 0);
}

TEST(DeletePlayers, GamesPlayedThreshold) {
    TempFolder dir;
    const std::vector<PlayerStatsRecord> players = {
        statsRecord("g1", {.games = 1}), statsRecord("g4", {.games = 4}),
        statsRecord("g3", {.games = 3}), statsRecord("g2", {.games = 2}),
        blankStatsRecord("old"),         statsRecord("g9", {.games = 9})};
    writeStats(kStats, players);
    auto r = deletePlayers(kStats, QStringLiteral("0"), QStringLiteral("Games Played"));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->kept, 6);
    EXPECT_EQ(readFile(kStats), bytesOf(players));

    r = deletePlayers(kStats, QStringLiteral("3"), QStringLiteral("Games Played"));
    EXPECT_EQ(r->examined, 6);
    EXPECT_EQ(r->kept, 2);
    EXPECT_EQ(keptNames(), QByteArrayList({"g4", "g9"}));
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(DeletePlayers, SkillPointsComparesTheStoredValue) {
    TempFolder dir;
    auto stale = statsRecord("stale", {.kills = 50});
    stale.skillPoints = 0; // would be 5000 if recomputed
    writeStats(kStats, {statsRecord("none", {}), stale, blankStatsRecord("old"),
                        statsRecord("some", {.kills = 1}), statsRecord("nil", {})});
    deletePlayers(kStats, QStringLiteral("0"), QStringLiteral("Skill Points"));
    EXPECT_EQ(keptNames(), QByteArrayList({"some"}));

    deletePlayers(kStats, QStringLiteral("-1"), QStringLiteral("Skill Points"));
    EXPECT_EQ(keptNames(), QByteArrayList({"some"}));
    deletePlayers(kStats, QStringLiteral("100"), QStringLiteral("Skill Points"));
    EXPECT_EQ(keptNames(), QByteArrayList());
}

TEST(DeletePlayers, NothingHappensWithoutACountOrAFile) {
    TempFolder dir;
    EXPECT_FALSE(deletePlayers(kStats, QStringLiteral("3"), QStringLiteral("Games Played")));
    EXPECT_FALSE(QFile::exists(kStats));
    writeStats(kStats, {statsRecord("a", {})});
    EXPECT_FALSE(deletePlayers(kStats, QString(), QStringLiteral("Games Played")));
    EXPECT_EQ(keptNames(), QByteArrayList({"a"}));
}

TEST(DeletePlayers, BadCountOrMeasureIsRefusedBeforeAnythingIsWritten) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("a", {}), statsRecord("b", {.games = 5})});
    const QByteArray before = readFile(kStats);
    const auto refusal = [](const QString& count, const QString& measure) {
        try {
            deletePlayers(kStats, count, measure);
        } catch (const Error& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    };
    EXPECT_EQ(refusal(QStringLiteral("3x"), QStringLiteral("Games Played")),
              QStringLiteral("'3x' is not a valid integer value"));
    EXPECT_EQ(refusal(QStringLiteral("2.5"), QStringLiteral("Skill Points")),
              QStringLiteral("'2.5' is not a valid integer value"));
    EXPECT_EQ(refusal(QStringLiteral("99999999999"), QStringLiteral("Skill Points")),
              QStringLiteral("'99999999999' is not a valid integer value"));
    EXPECT_TRUE(refusal(QStringLiteral("3"), QStringLiteral("Games"))
                    .startsWith(QStringLiteral("\"Games\" is not a measure")));
    EXPECT_EQ(readFile(kStats), before);
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(DeletePlayers, TheCountIsReadByTheResultLogsNumberRule) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("a", {.games = 16}), statsRecord("b", {.games = 17}),
                        statsRecord("c", {.games = 31}), statsRecord("d", {.games = 32})});
    ASSERT_TRUE(deletePlayers(kStats, QStringLiteral("$10"), QStringLiteral("Games Played")));
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"b", "c", "d"}));
    ASSERT_TRUE(deletePlayers(kStats, QStringLiteral("0x1F"), QStringLiteral("Games Played")));
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"d"}));
    try {
        deletePlayers(kStats, QStringLiteral("3 "), QStringLiteral("Games Played"));
        ADD_FAILURE() << "a trailing blank was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'3 ' is not a valid integer value"));
    }
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"d"}));
}

TEST(DeleteStatsFile, AdversarialTakesTheTeamWinsAlong) {
    TempFolder dir;
    for (const char* f : {"stats.log", "team.log", "coop_stats.log"})
        writeFile(QString::fromLatin1(f), "x");
    deleteStatsFiles(kCooperativeText);
    EXPECT_FALSE(QFile::exists(QStringLiteral("coop_stats.log")));
    EXPECT_TRUE(QFile::exists(QStringLiteral("stats.log")));
    EXPECT_TRUE(QFile::exists(QStringLiteral("team.log")));
    deleteStatsFiles(kAdversarialText);
    EXPECT_FALSE(QFile::exists(QStringLiteral("stats.log")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("team.log")));
    EXPECT_NO_THROW(deleteStatsFiles(kAdversarialText)); // already gone: no error
    EXPECT_EQ(deleteStatsFileQuestion(kCooperativeText),
              QStringLiteral("Are you sure you want to delete your Cooperative Stats file?"));
    EXPECT_EQ(statsFileDeletedMessage(kAdversarialText),
              QStringLiteral("Your Adversarial Stats file has been deleted."));
}
