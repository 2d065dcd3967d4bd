// The real VantorRecorder --headless records games while it is killed with SIGKILL at random
// moments and started again; every game it took from the game folder is counted wholly once.
#include "game_logs.h"
#include "programs.h"

#include "common/record_file.h"
#include "common/records.h"
#include "common/undo_journal.h"
#include "history/journal/journal.h"
#include "history/replay/history_commands.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

using namespace vantor;
using namespace vantor::test;

namespace {

using Totals = std::map<QByteArray, GameTally::Totals>;

// Players no game names, so that every merge reads a long way before it finds its player.
constexpr int kFillers = 20000;

Totals totalsIn(const QString& file, int& fillers) {
    Totals t;
    fillers = 0;
    for (const PlayerStatsRecord& r : readAllRecords<PlayerStatsRecord>(file)) {
        if (r.name.text().startsWith("Filler ")) {
            ++fillers;
            continue;
        }
        t[r.name.text()] = {r.kills, r.deaths, r.games, r.roundsFired, r.roundsTaken};
    }
    return t;
}

void add(GameTally& into, const GameTally& game) {
    for (const auto& [name, t] : game.adversarial) {
        auto& e = into.adversarial[name];
        e.kills += t.kills;
        e.deaths += t.deaths;
        e.games += t.games;
        e.roundsFired += t.roundsFired;
        e.roundsTaken += t.roundsTaken;
    }
    into.blueWins += game.blueWins;
    into.goldWins += game.goldWins;
    into.adversarialGames += game.adversarialGames;
}

} // namespace

TEST(RecorderKilled, EveryGameTakenIsCountedWhollyOnceAcrossKillsAndRestarts) {
    const int seconds = boundFromEnvironment("VANTOR_ROBUST_KILL_SECONDS", 25);
    const std::uint32_t seed = boundFromEnvironment("VANTOR_ROBUST_SEED", 0)
                                   ? std::uint32_t(boundFromEnvironment("VANTOR_ROBUST_SEED", 0))
                                   : QRandomGenerator::global()->generate();
    SCOPED_TRACE("VANTOR_ROBUST_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);

    TempFolder dir;
    const QString game = dir.file(QStringLiteral("game"));
    const QString data = dir.file(QStringLiteral("data"));
    const QString store = dir.file(QStringLiteral("registry.reg"));
    ASSERT_TRUE(QDir().mkdir(game) && QDir().mkdir(data));
    writeFile(store, recordingStore(game));
    {
        RecordFile<PlayerStatsRecord> f(data + QStringLiteral("/stats.log"));
        f.open(FixedRecordFile::Mode::Create);
        for (int i = 0; i < kFillers; ++i) {
            PlayerStatsRecord r;
            r.name.setText("Filler " + QByteArray::number(i));
            r.games = 1;
            f.write(r);
        }
        f.close();
    }

    const QString log = game + QStringLiteral("/RSResults0.log");
    const QString journal = data + u'/' + kUndoJournalFile;
    GameLogWriter writer(seed);
    GameTally tally;
    int rounds = 0, taken = 0, midMerge = 0, beforeTaking = 0;
    QElapsedTimer clock;
    clock.start();
    QProcess recorder;
    recorder.setProcessEnvironment(programEnvironment(store));
    recorder.setWorkingDirectory(data);
    const auto startRecorder = [&] {
        recorder.start(recorderProgram(), {QStringLiteral("--headless")});
        if (!recorder.waitForStarted(10000))
            return false;
        // Ready once it says so: its start-up has deleted older logs and finished a game
        // left over by the kill before.
        QByteArray err;
        return waitFor(
            [&] {
                recorder.waitForReadyRead(20);
                err += recorder.readAllStandardError();
                return err.contains("Recording the games of");
            },
            20000);
    };

    while (clock.elapsed() < qint64(seconds) * 1000) {
        ASSERT_TRUE(startRecorder()) << "round " << rounds;
        ++rounds;
        GameTally thisGame;
        writeFile(game + QStringLiteral("/incoming.tmp"), writer.next(thisGame, true, 16));
        ASSERT_TRUE(QFile::rename(game + QStringLiteral("/incoming.tmp"), log));
        // Mostly once the recorder has taken the log, now and then while it may still be
        // waiting for its tick.
        if (random() % 4 != 0)
            waitFor([&] { return !QFile::exists(log); }, 5000);
        QThread::usleep(random() % 120000);
        ::kill(pid_t(recorder.processId()), SIGKILL);
        recorder.waitForFinished(10000);
        if (QFile::exists(log)) {
            // Not taken: the next start-up deletes it unread, as it does any older log.
            ++beforeTaking;
            QFile::remove(log);
            continue;
        }
        ++taken;
        add(tally, thisGame);
        if (QFile::exists(journal))
            ++midMerge;
    }
    // A last start finishes whatever the last kill cut off.
    ASSERT_TRUE(startRecorder());
    recorder.terminate();
    ASSERT_TRUE(recorder.waitForFinished(10000));

    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_FALSE(QFile::exists(data + u'/' + kClaimedLogFile));
    int fillers = 0;
    const Totals found = totalsIn(data + QStringLiteral("/stats.log"), fillers);
    EXPECT_EQ(fillers, kFillers);
    int partial = 0;
    for (const auto& [name, t] : tally.adversarial) {
        const auto it = found.find(name);
        if (it == found.end() || !(it->second == t)) {
            ++partial;
            ADD_FAILURE() << "player " << name.toStdString() << " counted wrongly";
        }
    }
    EXPECT_EQ(found.size(), tally.adversarial.size());
    const auto teams = readAllRecords<TeamWinsRecord>(data + QStringLiteral("/team.log"));
    if (taken > 0) {
        ASSERT_EQ(teams.size(), 2u);
        EXPECT_EQ(teams[0].wins, tally.blueWins);
        EXPECT_EQ(teams[1].wins, tally.goldWins);
    }
    EXPECT_GE(taken, 2) << "too few games to tell anything";

    // The game history went through every kill too: it agrees with the files, holds each game
    // taken once, and replays to the files byte for byte.
    std::size_t journaled = 0;
    {
        auto history = history::Journal::openExisting(data);
        ASSERT_TRUE(history);
        EXPECT_TRUE(history->checkFiles().inStep);
        journaled = history->games(std::nullopt, -1).size();
    }
    EXPECT_EQ(journaled, std::size_t(taken));
    EXPECT_EQ(history::rebuildFiles(data), 0);
    std::cout << "figures: recorder killed: " << rounds << " kills in " << clock.elapsed() / 1000
              << " s; " << taken << " games taken, " << beforeTaking
              << " logs not yet taken; games killed mid-merge: " << midMerge
              << ", partial: " << partial << "; games in the history: " << journaled << "; seed "
              << seed << std::endl;
}
