// The recording cycle on real folders: what a tick does with the game's result logs.
#include "recorder/recording/recording_cycle.h"

#include "common/record_file.h"
#include "recorder/recording/result_log_files.h"
#include "tests/recorder/recorder_test_data.h"
#include "tests/support/fakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::recorder;
using vantor::test::readFile;
using vantor::test::readLogFixture;
using vantor::test::RecordingDialogs;
using vantor::test::TempFolder;
using vantor::test::writeFile;
using Outcome = RecordingCycle::Outcome;

namespace {

class Cycle : public testing::Test {
protected:
    Cycle() {
        QDir().mkdir(QStringLiteral("game"));
        cycle.setGameFolder(game);
        cycle.setToday([] { return QByteArray("6/10/00"); });
    }

    void dropLog(const char* fixture) {
        writeFile(log0(), readLogFixture(QString::fromLatin1(fixture)));
    }
    QString log0() const { return resultLogPath(game, 0); }
    QStringList gameFiles() const { return QDir(game).entryList(QDir::Files, QDir::Name); }

    // Where leases are not to be had, a finished log is seen at the second look.
    Outcome tick(bool liveStats = false) {
        const Outcome first = cycle.Readlogs(liveStats);
        if (first == Outcome::NoLog &&
            cycle.writeCheck().lastMethod() == WriteCompletionCheck::Method::Stable)
            return cycle.Readlogs(liveStats);
        return first;
    }

    TempFolder data;
    QString game = data.file(QStringLiteral("game"));
    RecordingDialogs dialogs;
    RecordingCycle cycle{dialogs};
};

std::vector<PlayerStatsRecord> storedStats(const QString& file = QStringLiteral("stats.log")) {
    return readAllRecords<PlayerStatsRecord>(file);
}

} // namespace

TEST_F(Cycle, RecordsAFinishedGameAndDeletesItsLog) {
    for (int i = 1; i <= 9; ++i)
        writeFile(resultLogPath(game, i), "old");
    dropLog("demo_adversarial.log");
    EXPECT_EQ(tick(), Outcome::Recorded);

    EXPECT_TRUE(gameFiles().isEmpty());
    const auto players = storedStats();
    ASSERT_EQ(players.size(), 4u);
    EXPECT_EQ(players[0].name.text(), "Marrow");
    EXPECT_EQ(players[0].skillPoints, 540);
    EXPECT_EQ(players[3].name.text(), "Sniper Wolf");
    const auto teams = readAllRecords<TeamWinsRecord>(QStringLiteral("team.log"));
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_EQ(teams[0].wins, 1);
    EXPECT_EQ(teams[1].wins, 0);
    EXPECT_FALSE(QFile::exists("lastgame.log"));
    EXPECT_EQ(cycle.gameInfo().map, "Oil Refinery");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // The same game again is a second game for everyone.
    dropLog("demo_adversarial.log");
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_EQ(storedStats()[0].games, 2);
    EXPECT_EQ(readAllRecords<TeamWinsRecord>(QStringLiteral("team.log"))[0].wins, 2);
}

TEST_F(Cycle, WithoutALogOnlyTheOlderLogsGo) {
    writeFile(resultLogPath(game, 9), "old");
    EXPECT_EQ(tick(), Outcome::NoLog);
    EXPECT_TRUE(gameFiles().isEmpty());
    EXPECT_TRUE(QDir(".").entryList(QDir::Files).isEmpty());
}

TEST_F(Cycle, LiveStatsAddTheLastGameAndCallThePageStepAfterTheLogIsGone) {
    int calls = 0;
    cycle.setLiveStatsHook([&] {
        ++calls;
        EXPECT_FALSE(QFile::exists(log0()));
        EXPECT_EQ(readAllRecords<LastGameRecord>(QStringLiteral("lastgame.log")).size(), 2u);
        // A tick that arrives now does nothing.
        dropLog("demo_adversarial.log");
        EXPECT_EQ(cycle.Readlogs(true), Outcome::AlreadyRunning);
        EXPECT_TRUE(QFile::exists(log0()));
    });
    dropLog("same_name_twice.log");
    EXPECT_EQ(tick(true), Outcome::Recorded);
    EXPECT_EQ(calls, 1);
    const auto last = readAllRecords<LastGameRecord>(QStringLiteral("lastgame.log"));
    EXPECT_EQ(last[0].games, 2); // the two "Marrow" blocks joined
    EXPECT_EQ(last[0].killedBy.text(), "Gunner");
    EXPECT_EQ(storedStats()[0].games, 2);
    EXPECT_EQ(storedStats()[1].name.text(), "marrow");

    // Live stats off: no last game, no page step.
    EXPECT_EQ(tick(false), Outcome::Recorded);
    EXPECT_EQ(calls, 1);
}

TEST_F(Cycle, ABadLogMergesNothingIsMovedAsideAndToldOnce) {
    dropLog("bad_number_dash.log");
    const QByteArray original = readFile(log0());
    EXPECT_EQ(tick(), Outcome::Failed);
    EXPECT_FALSE(QFile::exists("stats.log"));
    EXPECT_FALSE(QFile::exists("team.log"));

    const QStringList left = gameFiles();
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(left[0].startsWith("RSResults0.bad-")) << left[0].toStdString();
    EXPECT_EQ(readFile(QDir(game).filePath(left[0])), original);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].startsWith("error: '-' is not a valid integer value"));
    EXPECT_TRUE(dialogs.shown[0].contains(left[0]));

    EXPECT_EQ(tick(), Outcome::NoLog);
    EXPECT_EQ(dialogs.shown.size(), 1);
    dropLog("cooperative.log");
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_EQ(gameFiles(), left);
    EXPECT_EQ(storedStats("coop_stats.log").size(), 2u);
}

TEST_F(Cycle, AGameTypeWithoutStatsFileIsDeletedAndToldOnce) {
    dropLog("unknown_type.log");
    EXPECT_EQ(tick(true), Outcome::Skipped);
    EXPECT_TRUE(gameFiles().isEmpty());
    EXPECT_TRUE(QDir(".").entryList(QDir::Files).isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0],
              "info: The game type \"Adversarial Lone Wol\" of the result log is neither "
              "\"Adversarial\" nor \"Cooperative\"; the game and its 1 player(s) were not "
              "recorded.");
    EXPECT_EQ(tick(), Outcome::NoLog);
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(Cycle, AnAdversarialGameWithoutBluePlayerAddsNoWin) {
    dropLog("demo_adversarial.log");
    tick();
    const QByteArray teams = readFile("team.log");
    dropLog("no_blue.log");
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_EQ(readFile("team.log"), teams);
    EXPECT_EQ(storedStats().size(), 6u);

    dropLog("cooperative.log");
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_EQ(readFile("team.log"), teams);
}

TEST_F(Cycle, ALogStillBeingWrittenIsLeftForALaterTick) {
    const QByteArray path = QFile::encodeName(log0());
    const int writer = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(writer, 0);
    const QByteArray half = readLogFixture("demo_adversarial.log").left(300);
    ASSERT_EQ(::write(writer, half.constData(), std::size_t(half.size())), half.size());
    EXPECT_EQ(cycle.Readlogs(false), Outcome::NoLog);
    if (cycle.writeCheck().lastMethod() == WriteCompletionCheck::Method::Stable) {
        ::close(writer);
        GTEST_SKIP() << "no leases on this file system";
    }
    EXPECT_EQ(cycle.Readlogs(false), Outcome::NoLog);
    const QByteArray rest = readLogFixture("demo_adversarial.log").mid(300);
    ASSERT_EQ(::write(writer, rest.constData(), std::size_t(rest.size())), rest.size());
    ::close(writer);
    EXPECT_EQ(cycle.Readlogs(false), Outcome::Recorded);
    EXPECT_EQ(storedStats().size(), 4u);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Cycle, AFailedMergeKeepsTheLogAsideAndSaysNothingWasRecorded) {
    ASSERT_TRUE(QDir().mkdir("stats.log"));
    dropLog("demo_adversarial.log");
    EXPECT_EQ(tick(), Outcome::Failed);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(
        dialogs.shown[0].contains("The game was not recorded; the data files are as they were."));
    EXPECT_EQ(gameFiles().size(), 1);
    EXPECT_FALSE(QFile::exists("team.log"));
    EXPECT_EQ(tick(), Outcome::NoLog);
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(Cycle, WaitsWhileTheOtherProgramHoldsTheDataFolder) {
    QProcess holder;
    holder.start(QStringLiteral(PLATFORM_HELPER),
                 {QStringLiteral("hold"), data.path(), QStringLiteral("1500")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    cycle.setLockTimeout(50);
    dropLog("demo_adversarial.log");
    EXPECT_EQ(tick(), Outcome::DataFolderBusy);
    EXPECT_TRUE(QFile::exists(log0()));
    EXPECT_FALSE(QFile::exists("stats.log"));
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_EQ(storedStats().size(), 4u);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Cycle, AHeaderOnlyLogIsConsumedWithoutPlayers) {
    dropLog("header_only.log");
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_TRUE(gameFiles().isEmpty());
    EXPECT_FALSE(QFile::exists("stats.log"));
    const auto teams = readAllRecords<TeamWinsRecord>(QStringLiteral("team.log"));
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_EQ(teams[0].team.text(), "blue");
    EXPECT_EQ(teams[0].wins + teams[1].wins, 0);
}

TEST_F(Cycle, AGameLeftClaimedIsRecordedFirstAndALogOfTooManyPlayersIsSetAside) {
    // A recorder killed after it took the game, before it wrote anything.
    writeFile(".vantor.game", readLogFixture("demo_adversarial.log"));
    dropLog("demo_adversarial.log");
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_FALSE(QFile::exists(".vantor.game"));
    EXPECT_TRUE(QFile::exists(log0())); // the next game waits for the next tick
    EXPECT_EQ(storedStats()[0].games, 1);
    EXPECT_EQ(tick(), Outcome::Recorded);
    EXPECT_EQ(storedStats()[0].games, 2);

    QByteArray huge = "Type  : Adversarial \r\nMap Name   : Oil Refinery \r\nServer \r\n"
                      "Rules  : Team Survival \r\nElapsed Time  : 5:00 \r\n\r\n";
    for (int i = 0; i < 65; ++i)
        huge += "Player Number : 1 \r\nTeam        : 0 \r\nCharacter \r\nHealth Status : 1 \r\n"
                "Player Name  : Marrow \r\nKills            : 1 \r\nHit Percentage  : 10 \r\n"
                "Rounds Fired         : 5 \r\nRounds Taken         : 0 \r\n"
                "Killed By            :  \r\nTeam Won     : 1 \r\n\r\n";
    writeFile(log0(), huge);
    EXPECT_EQ(tick(), Outcome::Failed);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].contains("more than 64 player blocks"));
    EXPECT_EQ(storedStats()[0].games, 2);
    ASSERT_EQ(gameFiles().size(), 1);
    EXPECT_TRUE(gameFiles()[0].startsWith("RSResults0.bad-"));
    EXPECT_FALSE(QFile::exists(".vantor.game"));
}
