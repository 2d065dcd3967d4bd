// Both programs on one data folder at once: the real recorder, on its own 3-second timer,
// records a stream of games while the real utilities rank, prune, list and write pages in a
// loop. Afterwards every game is counted exactly once.
#include "game_logs.h"
#include "programs.h"

#include "common/cp1252.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/visible_text.h"
#include "platform/settings_store.h"
#include "tests/support/temp_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <set>

using namespace vantor;
using namespace vantor::test;

namespace {

const QStringList kRankKeys = {"Skill Points", "Kills",         "Deaths",       "Rounds Fired",
                               "Rounds Taken", "Average Hit %", "Games Played", "Kills/Game"};

struct Command {
    QString kind;
    QStringList args;
    QString statsFile;
    bool statsFileExisted = false;
};

// The utilities, one command after another, each chosen at random.
class UtilitiesLoop {
public:
    UtilitiesLoop(QString dataFolder, QProcessEnvironment env, std::uint32_t seed)
        : data_(std::move(dataFolder)), env_(std::move(env)), random_(seed) {}

    // Starts the next command once the previous one has ended; checks what it did.
    void poll(const GameTally& tally, bool startAnother) {
        if (process_ && process_->state() == QProcess::NotRunning) {
            check(tally);
            process_.reset();
        }
        if (!process_ && startAnother)
            start();
    }
    bool idle() const { return !process_; }

    std::map<QString, int> runs;  // finished commands by kind
    int beforeTheFileExisted = 0; // refused because the game type had no stats file yet
    QStringList failures;

private:
    Command choose() {
        const bool coop = random_() % 3 == 0;
        Command c;
        c.statsFile = coop ? QStringLiteral("coop_stats.log") : QStringLiteral("stats.log");
        const QString key = kRankKeys[int(random_() % kRankKeys.size())];
        switch (random_() % 5) {
        case 0:
            c.kind = QStringLiteral("rank");
            c.args = {QStringLiteral("rank"), QStringLiteral("--by"), key};
            break;
        case 1:
            c.kind = QStringLiteral("prune");
            c.args = {QStringLiteral("prune"), QStringLiteral("0"), QStringLiteral("--by"),
                      QStringLiteral("Games Played"), QStringLiteral("--yes")};
            break;
        case 2:
            c.kind = QStringLiteral("list");
            c.args = {QStringLiteral("list")};
            break;
        case 3:
            c.kind = QStringLiteral("page");
            c.args = {QStringLiteral("page"),
                      QStringLiteral("stats.html"),
                      QStringLiteral("--by"),
                      key,
                      QStringLiteral("--comment"),
                      QStringLiteral("Round %1 <b>live</b>").arg(random_() % 100)};
            break;
        default:
            c.kind = QStringLiteral("rankings");
            c.args = {QStringLiteral("rankings"), QStringLiteral("--by"), key};
            break;
        }
        if (coop)
            c.args << QStringLiteral("--coop");
        return c;
    }

    void start() {
        current_ = choose();
        current_.statsFileExisted = QFile::exists(QDir(data_).filePath(current_.statsFile));
        process_ = std::make_unique<QProcess>();
        process_->setProcessEnvironment(env_);
        process_->setWorkingDirectory(data_);
        process_->start(utilitiesProgram(), current_.args);
    }

    void check(const GameTally& tally) {
        const QString what = current_.args.join(u' ');
        const QString err = QString::fromUtf8(process_->readAllStandardError());
        const QString out = QString::fromUtf8(process_->readAllStandardOutput());
        if (process_->exitStatus() != QProcess::NormalExit) {
            failures << what + QStringLiteral(": crashed ") + err;
            return;
        }
        if (process_->exitCode() != 0) {
            // Before the first game of its type there is nothing to rank; afterwards every
            // command must succeed, whatever the recorder does meanwhile.
            if (current_.statsFileExisted)
                failures << what + QStringLiteral(": status %1: ").arg(process_->exitCode()) + err;
            else
                ++beforeTheFileExisted;
            return;
        }
        ++runs[current_.kind];
        if (current_.kind == QStringLiteral("list"))
            checkList(what, out,
                      current_.statsFile == QStringLiteral("stats.log") ? tally.adversarial
                                                                        : tally.cooperative);
    }

    // A list taken at any moment names only players of games written so far, each once.
    void checkList(const QString& what, const QString& out,
                   const std::map<QByteArray, GameTally::Totals>& players) {
        QStringList lines = out.split(u'\n');
        if (lines.size() < 2 || !lines.last().isEmpty()) {
            failures << what + QStringLiteral(": output not ended by a line end: ") + out;
            return;
        }
        lines.removeLast();
        const QString total = lines.takeLast();
        if (total != QStringLiteral("Total Players: %1").arg(lines.size()))
            failures << what + QStringLiteral(": count line \"%1\" for %2 names")
                                   .arg(total)
                                   .arg(lines.size());
        std::set<QString> known;
        // As the terminal is shown them: control characters as "?".
        for (const auto& [name, totals] : players)
            known.insert(terminalText(name));
        const std::set<QString> listed(lines.begin(), lines.end());
        if (listed.size() != std::size_t(lines.size()))
            failures << what + QStringLiteral(": a player listed twice");
        for (const QString& name : lines)
            if (!known.count(name))
                failures << what + QStringLiteral(": unknown player \"%1\"").arg(name);
    }

    QString data_;
    QProcessEnvironment env_;
    std::mt19937 random_;
    std::unique_ptr<QProcess> process_;
    Command current_;
};

std::map<QByteArray, GameTally::Totals> totalsIn(const QString& statsFile, QStringList& problems) {
    std::map<QByteArray, GameTally::Totals> totals;
    if (!QFile::exists(statsFile))
        return totals;
    if (QFile(statsFile).size() % qint64(sizeof(PlayerStatsRecord)) != 0)
        problems << statsFile + QStringLiteral(" ends in a partial record");
    for (const PlayerStatsRecord& r : readAllRecords<PlayerStatsRecord>(statsFile)) {
        if (r.isBlank()) {
            problems << statsFile + QStringLiteral(" holds a blank record");
            continue;
        }
        if (totals.count(r.name.text()))
            problems << statsFile +
                            QStringLiteral(" holds \"%1\" twice").arg(fromCp1252(r.name.text()));
        totals[r.name.text()] = {r.kills, r.deaths, r.games, r.roundsFired, r.roundsTaken};
    }
    return totals;
}

void expectSameTotals(const std::map<QByteArray, GameTally::Totals>& expected,
                      const std::map<QByteArray, GameTally::Totals>& found, const char* file) {
    for (const auto& [name, t] : expected) {
        const auto it = found.find(name);
        if (it == found.end()) {
            ADD_FAILURE() << file << " lost " << fromCp1252(name).toStdString();
            continue;
        }
        const auto& f = it->second;
        EXPECT_EQ(f, t) << file << " " << fromCp1252(name).toStdString() << ": kills " << f.kills
                        << "/" << t.kills << ", deaths " << f.deaths << "/" << t.deaths
                        << ", games " << f.games << "/" << t.games << ", fired " << f.roundsFired
                        << "/" << t.roundsFired << ", taken " << f.roundsTaken << "/"
                        << t.roundsTaken;
    }
    for (const auto& [name, f] : found)
        if (!expected.count(name))
            ADD_FAILURE() << file
                          << " holds a player never written: " << fromCp1252(name).toStdString();
}

void writeLog(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace

TEST(TwoProgramsAtOnce, EveryGameIsCountedOnceWhileTheUtilitiesRewriteTheFiles) {
    const int games = boundFromEnvironment("VANTOR_ROBUST_GAMES", 12);
    const int seconds = boundFromEnvironment("VANTOR_ROBUST_SECONDS", 60);
    const std::uint32_t seed = boundFromEnvironment("VANTOR_ROBUST_SEED", 0)
                                   ? std::uint32_t(boundFromEnvironment("VANTOR_ROBUST_SEED", 0))
                                   : QRandomGenerator::global()->generate();
    SCOPED_TRACE("VANTOR_ROBUST_SEED=" + std::to_string(seed));

    TempFolder dir;
    const QString game = dir.file(QStringLiteral("game"));
    const QString data = dir.file(QStringLiteral("data"));
    const QString store = dir.file(QStringLiteral("registry.reg"));
    ASSERT_TRUE(QDir().mkdir(game) && QDir().mkdir(data));
    writeFile(store, recordingStore(game));
    const QProcessEnvironment env = programEnvironment(store);

    QProcess recorder;
    recorder.setProcessEnvironment(env);
    recorder.setWorkingDirectory(data);
    recorder.start(recorderProgram(), {});
    ASSERT_TRUE(recorder.waitForStarted(10000));
    const auto stop = qScopeGuard([&] {
        recorder.terminate();
        if (!recorder.waitForFinished(10000)) {
            recorder.kill();
            recorder.waitForFinished(10000);
        }
    });

    const auto pump = [] {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    };
    QElapsedTimer clock;
    clock.start();
    while (true) {
        auto key = SettingsStore(store).openKey(kVantorKey, false);
        if (key && key->readString(QStringLiteral("RecorderPath")) == data)
            break;
        ASSERT_LT(clock.elapsed(), 20000) << "the recorder did not start";
        pump();
    }

    GameLogWriter writer(seed);
    GameTally tally;
    UtilitiesLoop utilities(data, env, seed + 1);
    std::mt19937 random(seed + 2);
    const QString log = game + QStringLiteral("/RSResults0.log");
    const QString stats = data + QStringLiteral("/stats.log");
    const QString claimed = data + QStringLiteral("/.vantor.game");

    // The first game is written again while the recorder's start-up deletes it unread; once
    // "stats.log" exists it has been recorded, once.
    const QByteArray first = writer.next(tally, true);
    writeLog(log, first);
    bool inFlight = true;
    int recorded = 0, startupDeletions = 0, olderLogs = 0;
    clock.restart();
    const qint64 hardLimitMs = qint64(seconds) * 1000 + 60000;
    while (true) {
        pump();
        const auto writing = [&] {
            return recorded < games && clock.elapsed() < qint64(seconds) * 1000;
        };
        utilities.poll(tally, writing() || inFlight);
        // Taken, a log waits in the data folder until it is recorded; looked at before
        // "stats.log", so a game committed meanwhile is never taken for one deleted at start-up.
        if (inFlight && !QFile::exists(log) && !QFile::exists(claimed)) {
            if (recorded == 0 && !QFile::exists(stats)) {
                ++startupDeletions;
                writeLog(log, first);
                continue;
            }
            ++recorded;
            inFlight = false;
        }
        if (!inFlight && writing()) {
            // Now and then an older log beside it, which the recorder must delete unread.
            if (recorded == 1 || random() % 5 == 0) {
                GameTally ignored;
                writeLog(game + QStringLiteral("/RSResults%1.log").arg(1 + random() % 9),
                         writer.next(ignored));
                ++olderLogs;
            }
            writeLog(log, writer.next(tally));
            inFlight = true;
        }
        if (!inFlight && !writing() && utilities.idle())
            break;
        ASSERT_LT(clock.elapsed(), hardLimitMs)
            << "the recorder stopped taking logs after " << recorded
            << " games: " << recorder.readAllStandardError().toStdString();
    }
    const qint64 elapsedMs = clock.elapsed();
    EXPECT_EQ(recorder.state(), QProcess::Running);
    recorder.terminate();
    recorder.waitForFinished(10000);

    for (const QString& f : utilities.failures)
        ADD_FAILURE() << f.toStdString();
    ASSERT_GE(recorded, 3) << "too few games to tell anything";
    EXPECT_EQ(recorded, tally.adversarialGames + tally.cooperativeGames);
    QStringList problems;
    expectSameTotals(tally.adversarial, totalsIn(stats, problems), "stats.log");
    expectSameTotals(tally.cooperative,
                     totalsIn(data + QStringLiteral("/coop_stats.log"), problems),
                     "coop_stats.log");
    for (const QString& p : problems)
        ADD_FAILURE() << p.toStdString();

    const auto teams = readAllRecords<TeamWinsRecord>(data + QStringLiteral("/team.log"));
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_EQ(teams[0].team.text(), "blue");
    EXPECT_EQ(teams[1].team.text(), "gold");
    EXPECT_EQ(teams[0].wins, tally.blueWins);
    EXPECT_EQ(teams[1].wins, tally.goldWins);

    // Nothing set aside as unreadable, no older log left over, no scratch file left behind.
    EXPECT_EQ(QDir(game).entryList(QDir::Files), QStringList{});
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/work.dat")));

    int utilityRuns = 0;
    QString byKind;
    for (const auto& [kind, n] : utilities.runs) {
        utilityRuns += n;
        byKind += QStringLiteral(" %1 %2").arg(kind).arg(n);
    }
    std::cout << "figures: two programs: " << recorded << " games recorded ("
              << tally.adversarialGames << " adversarial, " << tally.cooperativeGames
              << " cooperative; " << tally.adversarial.size() + tally.cooperative.size()
              << " players; wins blue " << tally.blueWins << " gold " << tally.goldWins << ") in "
              << elapsedMs / 1000 << " s; " << olderLogs << " older logs deleted unread; "
              << utilityRuns << " utility runs:" << byKind.toStdString() << "; "
              << utilities.beforeTheFileExisted << " before the file existed; " << startupDeletions
              << " start-up deletions; seed " << seed << std::endl;
}
