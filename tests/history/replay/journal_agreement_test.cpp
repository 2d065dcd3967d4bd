// The files stay the truth: a history that no longer agrees, cannot be read or is locked is
// said once, and the game is recorded all the same; the commands wait for a new baseline.
#include "history_fixture.h"

#include "history/journal/journal.h"
#include "history/journal/sqlite_db.h"
#include "history/replay/history_commands.h"

#include "common/fault_point.h"

#include <QFile>
#include <iostream>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::test;
using Outcome = recorder::RecordingCycle::Outcome;

namespace {

class Agreement : public HistoryFolder {
protected:
    QByteArray nextGame(bool adversarial = true) { return writer.next(tally, adversarial, 6); }
    std::size_t gamesInHistory() {
        return history::Journal::openExisting(data)->games(std::nullopt, -1).size();
    }
    int historyMessages() const {
        return int(dialogs.shown.filter(QStringLiteral("games.db")).size());
    }

    GameLogWriter writer{42};
    GameTally tally;
};

} // namespace

TEST_F(Agreement, FilesChangedBehindItsBackAreSaidOnceAndTheCommandsWaitForANewBaseline) {
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    QFile stats(file(kStatsFile));
    ASSERT_TRUE(stats.open(QIODevice::Append));
    stats.write(QByteArray(96, 'x')); // another program's record
    stats.close();

    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    EXPECT_EQ(historyMessages(), 1) << dialogs.shown.join('\n').toStdString();
    EXPECT_TRUE(dialogs.shown.first().contains("stats.log"));
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>(file(kStatsFile)).back().kills,
              readAllRecords<PlayerStatsRecord>(file(kStatsFile)).back().kills);
    EXPECT_THROW(history::HistoryAccess{data}, Error);

    EXPECT_TRUE(history::rebuildFromFiles(data).isEmpty());
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    EXPECT_EQ(gamesInHistory(), 2u) << "the games left out while it disagreed stay out";
    const auto files = history::currentFiles(data);
    EXPECT_EQ(history::rebuildFiles(data), 0);
    EXPECT_EQ(history::currentFiles(data), files);
    EXPECT_EQ(historyMessages(), 1);
}

TEST_F(Agreement, ADamagedHistoryNeverStopsRecordingAndIsKeptAsideByANewBaseline) {
    writeFile(file(kHistoryFile), QByteArray(8192, '\x5a'));
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    ASSERT_EQ(record(nextGame(false)), Outcome::Recorded);
    EXPECT_EQ(historyMessages(), 1) << dialogs.shown.join('\n').toStdString();
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>(file(kStatsFile)).size(), tally.adversarial.size());
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>(file(kCoopStatsFile)).size(),
              tally.cooperative.size());
    EXPECT_THROW(history::HistoryAccess{data}, Error);

    const QString aside = history::rebuildFromFiles(data);
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_EQ(readFile(file(aside)), QByteArray(8192, '\x5a')) << "kept for whoever looks";
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    EXPECT_EQ(gamesInHistory(), 1u);
    EXPECT_EQ(history::rebuildFiles(data), 0);
}

TEST_F(Agreement, ALockedHistoryLeavesTheGameOutButRecordsItAndSaysSoOnce) {
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    {
        history::Database other(file(kHistoryFile), false, 0);
        other.exec("BEGIN IMMEDIATE");
        ASSERT_EQ(record(nextGame()), Outcome::Recorded);
        other.exec("ROLLBACK");
    }
    EXPECT_EQ(historyMessages(), 1) << dialogs.shown.join('\n').toStdString();
    EXPECT_EQ(readAllRecords<TeamWinsRecord>(file(kTeamFile))[0].wins +
                  readAllRecords<TeamWinsRecord>(file(kTeamFile))[1].wins,
              tally.blueWins + tally.goldWins);
    // The game it missed puts it out of step: said once more, as such.
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    EXPECT_EQ(historyMessages(), 2);
    EXPECT_THROW(history::HistoryAccess{data}, Error);
}

TEST_F(Agreement, RebuildPutsADamagedStatsFileBackAsTheHistoryHasIt) {
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(record(nextGame(i % 2 == 0)), Outcome::Recorded);
    const auto files = history::currentFiles(data);
    writeFile(file(kStatsFile), QByteArray(150, '\0'));
    EXPECT_THROW(history::HistoryAccess{data}, Error);
    EXPECT_EQ(history::rebuildFiles(data), 1);
    EXPECT_EQ(history::currentFiles(data), files);
    EXPECT_NO_THROW(history::HistoryAccess{data}) << "it agrees again";
}

TEST_F(Agreement, ADeletedHistoryStartsAfreshFromTheFiles) {
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file(kHistoryFile) + QLatin1String(suffix));
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    EXPECT_EQ(gamesInHistory(), 1u);
    EXPECT_EQ(history::rebuildFiles(data), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Agreement, ALinkInPlaceOfTheHistoryIsNotFollowed) {
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.db"));
    writeFile(elsewhere, "not ours");
    ASSERT_TRUE(QFile::link(elsewhere, file(kHistoryFile)));
    ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    EXPECT_EQ(readFile(elsewhere), "not ours");
    EXPECT_EQ(historyMessages(), 1);
}

TEST_F(Agreement, TheDigestKeptAfterEachGameIsThatOfTheFilesBytes) {
    // Games that update records in place, append new ones and cut nothing: the digest brought
    // up to date from the changed records must be the one of the whole file.
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(record(writer.next(tally, i % 4 != 3, 16)), Outcome::Recorded);
        const auto known = history::Journal::openExisting(data)->knownStates();
        for (const QString& name : history::journaledFiles()) {
            const history::FileState whole = history::digestFile(file(name));
            EXPECT_TRUE(known.at(name).sameContent(whole)) << name.toStdString() << " game " << i;
        }
    }
}

TEST_F(Agreement, AnUndoCutOffAtAnyFileOperationIsMendedByRebuild) {
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(record(nextGame()), Outcome::Recorded);
    const auto before = history::currentFiles(data);
    int cuts = 0;
    for (int k = 1;; ++k) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            armFaultPoint(k, 77);
            try {
                history::setGameUndone(data, 2, true);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 1) << "k=" << k;
        if (WEXITSTATUS(status) == 0)
            break; // ran to its end before its k-th operation
        ++cuts;
        history::rebuildFiles(data);
        EXPECT_EQ(history::currentFiles(data), before) << "k=" << k;
        EXPECT_NO_THROW(history::HistoryAccess{data}) << "k=" << k;
        ASSERT_LT(k, 1000);
    }
    EXPECT_GT(cuts, 3);
    std::cout << "figures: undo cut off " << cuts << " times, mended by rebuild each time"
              << std::endl;
    EXPECT_NE(history::currentFiles(data), before) << "the last undo ran to its end";
    EXPECT_TRUE(history::Journal::openExisting(data)->game(2)->undone);
}

TEST(FileDigest, ALargeFileIsDigestedInBlocksAsItsWholeBytesWouldBe) {
    TempFolder dir;
    // Over two blocks, ending in a partial record, for both record sizes.
    for (const QString& name : {QString(kStatsFile), QString(kTeamFile)}) {
        QByteArray bytes;
        for (int i = 0; bytes.size() < (5 << 19) + 41; ++i)
            bytes += QByteArray::number(i * 7919) + '\0';
        const QString path = dir.file(name);
        writeFile(path, bytes);
        const history::FileState s = history::digestFile(path);
        EXPECT_EQ(s.size, bytes.size());
        EXPECT_EQ(s.digest, history::digestOf(bytes, history::recordSizeOf(name)))
            << name.toStdString();
    }
}
