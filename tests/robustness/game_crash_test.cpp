// One game is recorded wholly or not at all: the recording of a 16-player game is cut off
// after each of its writes in turn (a forked child ends at the k-th file operation), then a
// restarted cycle puts the files back and records the game. Every game must be counted
// exactly once, checked against a tally kept apart from the recorder.
#include "game_logs.h"

#include "common/fault_point.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/undo_journal.h"
#include "history/journal/change_note.h"
#include "history/journal/journal.h"
#include "history/replay/history_commands.h"
#include "recorder/recording/recording_cycle.h"
#include "recorder/recording/result_log_files.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vantor;
using namespace vantor::test;
using Outcome = recorder::RecordingCycle::Outcome;

namespace {

constexpr int kKilled = 77;
const QStringList kDataFiles = {"stats.log", "coop_stats.log", "team.log", "lastgame.log"};
const QStringList kHistoryFiles = {"games.db", "games.db-wal", "games.db-shm"};

using Totals = std::map<QByteArray, GameTally::Totals>;

template <class Record> Totals totalsOf(const QString& file) {
    Totals t;
    for (const Record& r : readAllRecords<Record>(file)) {
        auto& e = t[r.name.text()];
        e.kills += r.kills;
        e.deaths += r.deaths;
        e.games += r.games;
        e.roundsFired += r.roundsFired;
        e.roundsTaken += r.roundsTaken;
    }
    return t;
}

// One tick of a recorder started afresh on the data folder; where leases are not to be had a
// finished log is seen at the second look.
Outcome recordOnce(const QString& data, const QString& game, bool journaled = false) {
    RecordingDialogs dialogs;
    recorder::RecordingCycle cycle(dialogs, data);
    cycle.setJournaled(journaled);
    cycle.setGameFolder(game);
    cycle.setToday([] { return QByteArray("6/10/00"); });
    Outcome o = cycle.Readlogs(true);
    if (o == Outcome::NoLog)
        o = cycle.Readlogs(true);
    return o;
}

// Runs one tick in a child that ends at its k-th file operation (0: never). True when the
// child was cut off.
bool recordInChild(const QString& data, const QString& game, int k, bool journaled = false) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        armFaultPoint(k, kKilled);
        const Outcome o = recordOnce(data, game, journaled);
        ::_exit(o == Outcome::Recorded || o == Outcome::NoLog ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 1) << "the cycle failed at k=" << k;
    return WEXITSTATUS(status) == kKilled;
}

class CutOffGame : public testing::Test {
protected:
    CutOffGame() {
        QDir().mkdir(game);
        QDir().mkdir(base);
        // A first game, recorded whole, so the second one updates records in place as well as
        // appending new ones.
        writeFile(recorder::resultLogPath(game, 0), writer.next(before, true, 16));
        EXPECT_EQ(recordOnce(base, game), Outcome::Recorded);
        after = before;
        log = writer.next(after, true, 16);
    }

    // A data folder holding what the first game left, with the second game's log waiting.
    void freshFolders() {
        QDir(data).removeRecursively();
        QDir(game).removeRecursively();
        QDir().mkdir(data);
        QDir().mkdir(game);
        for (const QString& f : kDataFiles + kHistoryFiles)
            if (QFile::exists(QDir(base).filePath(f)))
                QFile::copy(QDir(base).filePath(f), QDir(data).filePath(f));
        writeFile(recorder::resultLogPath(game, 0), log);
    }

    // The second game is in every file exactly once, and nothing of the recording is left.
    bool countedOnce(const QString& what) {
        const Totals stats = totalsOf<PlayerStatsRecord>(QDir(data).filePath("stats.log"));
        const Totals last = totalsOf<LastGameRecord>(QDir(data).filePath("lastgame.log"));
        const auto teams = readAllRecords<TeamWinsRecord>(QDir(data).filePath("team.log"));
        const bool ok = stats == after.adversarial && last == after.adversarial &&
                        teams.size() == 2 && teams[0].wins == after.blueWins &&
                        teams[1].wins == after.goldWins &&
                        !QFile::exists(QDir(data).filePath(kUndoJournalFile)) &&
                        !QFile::exists(QDir(data).filePath(kClaimedLogFile)) &&
                        QDir(game).entryList(QDir::Files).isEmpty();
        EXPECT_TRUE(ok) << what.toStdString();
        return ok;
    }

    TempFolder cwd;
    // In memory where the machine has it: a kill does not depend on fsync, and this keeps the
    // hundreds of recordings fast.
    QTemporaryDir dir{QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/vantor-crash-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/vantor-crash-XXXXXX")};
    QString game = dir.filePath(QStringLiteral("game"));
    QString base = dir.filePath(QStringLiteral("base"));
    QString data = dir.filePath(QStringLiteral("data"));
    GameLogWriter writer{20261209};
    GameTally before, after;
    QByteArray log;
};

} // namespace

TEST_F(CutOffGame, EveryCutLeavesTheGameWhollyOnceAfterARestart) {
    int kills = 0, midMerge = 0, partial = 0, k = 1;
    for (;; ++k) {
        freshFolders();
        if (!recordInChild(data, game, k))
            break; // the recording ran to its end before its k-th operation
        ++kills;
        const bool journal = QFile::exists(QDir(data).filePath(kUndoJournalFile));
        const bool claimed = QFile::exists(QDir(data).filePath(kClaimedLogFile));
        if (journal && claimed)
            ++midMerge;
        EXPECT_NE(recordOnce(data, game), Outcome::Failed) << "k=" << k;
        if (!countedOnce(QStringLiteral("cut off at operation %1").arg(k)))
            ++partial;
        ASSERT_LT(k, 5000) << "the recording never ran to its end";
    }
    EXPECT_GT(midMerge, 16) << "too few cuts landed inside the merge to tell anything";
    freshFolders();
    EXPECT_FALSE(recordInChild(data, game, 0));
    countedOnce(QStringLiteral("never cut off"));
    std::cout << "figures: cut-off games: " << kills << " cuts (" << k - 1
              << " file operations in one game); games killed mid-merge: " << midMerge
              << ", partial: " << partial << std::endl;
}

TEST_F(CutOffGame, AnUndoThatIsItselfCutOffIsFinishedByTheNextStart) {
    // A cut in the middle of the merge, then the restart cut at each of its operations in turn.
    std::vector<int> midMerge;
    for (int k = 1;; ++k) {
        freshFolders();
        if (!recordInChild(data, game, k))
            break;
        if (QFile::exists(QDir(data).filePath(kUndoJournalFile)) &&
            QFile::exists(QDir(data).filePath(kClaimedLogFile)))
            midMerge.push_back(k);
        ASSERT_LT(k, 5000);
    }
    ASSERT_FALSE(midMerge.empty());
    freshFolders();
    ASSERT_TRUE(recordInChild(data, game, midMerge[midMerge.size() / 2]));
    const QString cut = dir.filePath(QStringLiteral("cut"));
    QDir().mkdir(cut);
    for (const QString& f : QDir(data).entryList(QDir::Files | QDir::Hidden))
        QFile::copy(QDir(data).filePath(f), QDir(cut).filePath(f));
    int restarts = 0;
    for (int j = 1;; ++j) {
        QDir(data).removeRecursively();
        QDir().mkdir(data);
        for (const QString& f : QDir(cut).entryList(QDir::Files | QDir::Hidden))
            QFile::copy(QDir(cut).filePath(f), QDir(data).filePath(f));
        const bool cutOff = recordInChild(data, game, j);
        EXPECT_NE(recordOnce(data, game), Outcome::Failed) << "j=" << j;
        countedOnce(QStringLiteral("restart cut off at operation %1").arg(j));
        if (!cutOff)
            break;
        ++restarts;
        ASSERT_LT(j, 5000);
    }
    EXPECT_GT(restarts, 10);
}

TEST_F(CutOffGame, TheHistoryAgreesWithTheFilesAfterEveryCut) {
    // The same two games, journaled from the first on.
    GameLogWriter journaled{20261210};
    before = {};
    QDir(base).removeRecursively();
    QDir().mkdir(base);
    writeFile(recorder::resultLogPath(game, 0), journaled.next(before, true, 16));
    ASSERT_EQ(recordOnce(base, game, true), Outcome::Recorded);
    after = before;
    log = journaled.next(after, true, 16);

    int cuts = 0, pending = 0;
    for (int k = 1;; ++k) {
        freshFolders();
        if (!recordInChild(data, game, k, true))
            break;
        ++cuts;
        {
            // Cut after the game's event was written: it waits to be settled by the claimed log.
            auto journal = history::Journal::openExisting(data);
            if (journal && journal->games(std::nullopt, -1).size() == 2)
                ++pending;
        }
        EXPECT_NE(recordOnce(data, game, true), Outcome::Failed) << "k=" << k;
        countedOnce(QStringLiteral("cut off at operation %1").arg(k));
        auto journal = history::Journal::openExisting(data);
        ASSERT_TRUE(journal);
        EXPECT_EQ(journal->games(std::nullopt, -1).size(), 2u) << "k=" << k;
        EXPECT_TRUE(journal->checkFiles().inStep) << "k=" << k;
        journal.reset();
        EXPECT_EQ(history::rebuildFiles(data), 0) << "k=" << k;
        ASSERT_LT(k, 5000);
    }
    EXPECT_GT(cuts, 16);
    EXPECT_GE(pending, 1) << "no cut fell between the event and the commit";
    std::cout << "figures: journaled game cut " << cuts << " times, " << pending
              << " after its event was written" << std::endl;
}
