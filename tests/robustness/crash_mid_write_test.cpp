// A rewrite of the stats file killed with SIGKILL at a random moment leaves the file as it was
// or as the finished command leaves it, whole, byte for byte.
#include "programs.h"

#include "common/records.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/stats_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <random>

using namespace vantor;
using namespace vantor::test;

namespace {

// Players with 1 to 5 games, every tenth record blank: ranking and pruning both change it.
QByteArray largeStatsFile(int records, std::mt19937& random) {
    std::vector<PlayerStatsRecord> players;
    players.reserve(std::size_t(records));
    for (int i = 0; i < records; ++i) {
        const QByteArray name = "Player " + QByteArray::number(i);
        if (i % 10 == 9) {
            players.push_back(blankStatsRecord(name));
            continue;
        }
        players.push_back(statsRecord(name, {.kills = int(random() % 2000),
                                             .deaths = int(random() % 300),
                                             .games = 1 + int(random() % 5),
                                             .hitPercentSum = int(random() % 300),
                                             .roundsFired = int(random() % 9000),
                                             .roundsTaken = int(random() % 400)}));
    }
    return bytesOf(players);
}

struct Operation {
    QStringList args;
    QByteArray after; // the file as the finished command leaves it
    qint64 durationMs = 0;
    int killedOld = 0, killedNew = 0, finished = 0;
};

} // namespace

TEST(CrashMidWrite, ARewriteKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
    const int records = boundFromEnvironment("VANTOR_ROBUST_RECORDS", 200000);
    const int rounds = boundFromEnvironment("VANTOR_ROBUST_KILLS", 100);
    TempFolder dir;
    RunOptions options;
    options.workingDir = dir.path();
    options.env = programEnvironment(dir.file(QStringLiteral("registry.reg")));
    const QString stats = dir.file(QStringLiteral("stats.log"));
    std::mt19937 random(QRandomGenerator::global()->generate());
    const QByteArray before = largeStatsFile(records, random);

    std::vector<Operation> operations(2);
    operations[0].args = QStringList{"rank", "--by", "Kills"};
    operations[1].args = QStringList{"prune", "2", "--by", "Games Played", "--yes"};
    for (Operation& op : operations) {
        // The quickest of three runs: a kill is then seldom too late.
        op.durationMs = std::numeric_limits<qint64>::max();
        for (int i = 0; i < 3; ++i) {
            writeFile(stats, before);
            QElapsedTimer t;
            t.start();
            const ProgramRun run = runUtilities(op.args, options);
            op.durationMs = std::min(op.durationMs, t.elapsed());
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
        }
        op.after = readFile(stats);
        ASSERT_NE(op.after, before);
        ASSERT_EQ(op.after.size() % qsizetype(sizeof(PlayerStatsRecord)), 0);
    }

    const QString work = dir.file(QStringLiteral("work.dat"));
    int duringTheWrite = 0;
    for (int round = 0; round < rounds; ++round) {
        Operation& op = operations[std::size_t(round) % operations.size()];
        // Half the rounds are killed after a delay anywhere up to a little past the time a whole
        // run takes, so that some finish first; the others once the new content has begun, while
        // it is written and put in place of the old.
        const bool whileWriting = round % 4 >= 2;
        writeFile(stats, before);
        if (whileWriting)
            QFile::remove(work);
        // (Otherwise a work file a killed run left behind stays: the next run must cope.)
        QProcess p;
        p.setProcessEnvironment(options.env);
        p.setWorkingDirectory(options.workingDir);
        p.start(utilitiesProgram(), op.args);
        ASSERT_TRUE(p.waitForStarted(10000));
        const qint64 fullUs = op.durationMs * 1000;
        qint64 delayUs = 0;
        if (whileWriting) {
            QElapsedTimer waited;
            waited.start();
            while (!QFile::exists(work) && p.state() == QProcess::Running &&
                   waited.elapsed() < 10000)
                QThread::usleep(100);
            delayUs = std::uniform_int_distribution<qint64>(0, fullUs / 2)(random);
        } else {
            delayUs = std::uniform_int_distribution<qint64>(0, fullUs * 6 / 5)(random);
        }
        QThread::usleep(std::uint64_t(delayUs));
        p.kill();
        ASSERT_TRUE(p.waitForFinished(30000));
        const bool killed = p.exitStatus() == QProcess::CrashExit;
        duringTheWrite += whileWriting && killed ? 1 : 0;

        const QByteArray now = readFile(stats);
        if (now == before) {
            ASSERT_TRUE(killed) << "a finished " << op.args.join(u' ').toStdString()
                                << " left the file unchanged";
            ++op.killedOld;
        } else if (now == op.after) {
            ++(killed ? op.killedNew : op.finished);
        } else {
            FAIL() << op.args.join(u' ').toStdString() << " killed after " << delayUs << " us left "
                   << now.size() << " bytes that are neither the old " << before.size()
                   << " nor the new " << op.after.size();
        }
    }

    // After all that, a run to its end still gives the new content and cleans up.
    for (const Operation& op : operations) {
        writeFile(stats, before);
        const ProgramRun run = runUtilities(op.args, options);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readFile(stats), op.after);
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("work.dat"))));
    }

    std::cout << "figures: crash mid-write: " << rounds << " rounds on " << records << " records ("
              << before.size() / (1024 * 1024) << " MB);";
    for (const Operation& op : operations)
        std::cout << " " << op.args.first().toStdString() << " (" << op.durationMs
                  << " ms a run): " << op.killedOld << " killed leaving the old file, "
                  << op.killedNew << " killed leaving the new file, " << op.finished
                  << " finished first;";
    std::cout << " " << duringTheWrite
              << " of the kills after the new content had begun; none damaged" << std::endl;
}
