// The game history's costs on this machine's disk:
//  1. one 16-player game recorded into a 100,000-player stats file, with and without the
//     history (target: at most 20 % more);
//  2. `rebuild` of 10,000 games into 20,000 players (target: at most 10 s);
//  3. `games --last 20` with 100,000 games in the history (target: under 50 ms).
//   history_bench [--dir FOLDER] [--runs N]
#include "bench/generated_stats.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/scratch_folder.h"
#include "common/skill.h"
#include "history/journal/change_note.h"
#include "history/journal/journal.h"
#include "history/replay/history_commands.h"
#include "history/replay/replay.h"
#include "history/views/game_views.h"
#include "platform/dialogs.h"
#include "recorder/recording/recording_cycle.h"
#include "recorder/recording/result_log_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace vantor;
using vantor::bench::playerName;
using vantor::bench::writeStatsFile;

namespace {

class SilentDialogs : public Dialogs {
public:
    void information(const QString& t) override { std::fprintf(stderr, "%s\n", qPrintable(t)); }
    bool askYesNo(const QString&) override { return false; }
    void error(const QString& t) override { std::fprintf(stderr, "%s\n", qPrintable(t)); }
    void beep() override {}
};

QByteArray line(const char* label, const QByteArray& value) {
    return QByteArray(label) + value + " \r\n";
}

// A 16-player adversarial result log of players from 0 to players - 1.
QByteArray gameLog(std::mt19937& random, int players) {
    QByteArray log = line("Type  : ", "Adversarial") + line("Map Name   : ", "Bank") +
                     "Server\r\n" + line("Rules  : ", "Team Survival") +
                     line("Elapsed Time  : ", "05:12") + "\r\n";
    for (int i = 0; i < 16; ++i) {
        log += "Player\r\n" + line("Team        : ", i % 2 ? "3" : "0") + "Character\r\n";
        log += line("Health Status : ", QByteArray::number(random() % 4));
        log += line("Player Name  : ", playerName(int(random() % std::uint32_t(players))));
        log += line("Kills            : ", QByteArray::number(random() % 6));
        log += line("Hit Percentage  : ", QByteArray::number(random() % 101));
        log += line("Rounds Fired         : ", QByteArray::number(random() % 200));
        log += line("Rounds Taken         : ", QByteArray::number(random() % 10));
        log += line("Killed By            : ", "x");
        log += line("Team Won     : ", "1") + "\r\n";
    }
    return log;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double recordOne(const QString& data, const QString& game, const QByteArray& log, Dialogs& dialogs,
                 bool journaled) {
    QFile f(recorder::resultLogPath(game, 0));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(log);
    f.close();
    recorder::RecordingCycle cycle(dialogs, data);
    cycle.setJournaled(journaled);
    cycle.setGameFolder(game);
    QElapsedTimer t;
    t.start();
    auto o = cycle.Readlogs(false);
    if (o == recorder::RecordingCycle::Outcome::NoLog)
        o = cycle.Readlogs(false);
    const double ms = t.nsecsElapsed() / 1e6;
    if (o != recorder::RecordingCycle::Outcome::Recorded)
        std::fprintf(stderr, "a game was not recorded\n");
    return ms;
}

void journalingCost(const QString& parent, int runs) {
    QTemporaryDir dir(parent + "/history-bench-XXXXXX");
    const QString plain = dir.filePath("plain"), journaled = dir.filePath("journaled");
    const QString game = dir.filePath("game");
    for (const QString& d : {plain, journaled, game})
        QDir().mkpath(d);
    std::mt19937 random(20261209);
    writeStatsFile(plain + "/stats.log", 100000, random);
    QFile::copy(plain + "/stats.log", journaled + "/stats.log");
    SilentDialogs dialogs;
    recordOne(journaled, game, gameLog(random, 100000), dialogs, true); // makes the baseline
    std::vector<double> off, on;
    for (int run = 0; run < runs; ++run) {
        const QByteArray log = gameLog(random, 100000);
        off.push_back(recordOne(plain, game, log, dialogs, false));
        on.push_back(recordOne(journaled, game, log, dialogs, true));
    }
    // Where the added time goes: hashing the whole stats file, and one commit of the history.
    std::vector<double> hash, commit;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        history::digestFile(journaled + "/stats.log");
        hash.push_back(t.nsecsElapsed() / 1e6);
        auto journal = history::Journal::openExisting(journaled);
        t.restart();
        journal->markOutOfStep(QStringLiteral("bench"));
        commit.push_back(t.nsecsElapsed() / 1e6);
        journal->database().exec("DELETE FROM meta WHERE key='out_of_step'");
    }
    const double a = median(off), b = median(on);
    std::printf("one 16-player game into 100,000 players (median of %d):\n", runs);
    std::printf("  without the history: %8.1f ms\n  with the history:    %8.1f ms\n", a, b);
    std::printf("  added: %+.0f %% (target at most +20 %%)\n", (b / a - 1) * 100);
    std::printf("  for comparison: hashing the whole stats file %.1f ms (a game folds in only the "
                "records it changed), one synced commit of the history %.1f ms\n",
                median(hash), median(commit));
}

// A history of games players games apart, written straight into the journal (fast, without
// syncing), then replayed as `rebuild` does.
void rebuildCost(const QString& parent, int games, int players) {
    QTemporaryDir dir(parent + "/history-bench-XXXXXX");
    auto journal = history::Journal::openOrCreate(dir.path());
    journal->database().exec("PRAGMA synchronous=OFF");
    std::mt19937 random(7);
    QElapsedTimer t;
    t.start();
    for (int g = 0; g < games; ++g) {
        history::GameRecord r;
        r.gameType = "Adversarial";
        r.map = "Bank";
        r.outcome = history::TeamOutcome::BlueWon;
        for (int i = 0; i < 16; ++i) {
            history::GamePlayer p;
            // Every player appears by the end: the file grows to `players` records.
            p.name = playerName(g * 16 + i < players ? g * 16 + i
                                                     : int(random() % std::uint32_t(players)));
            p.lastPlayed = "12/9/26";
            p.kills = int(random() % 6);
            p.deaths = int(random() % 2);
            p.hitPercentSum = int(random() % 101);
            p.roundsFired = int(random() % 200);
            r.players.push_back(p);
        }
        journal->addGame(r, {});
    }
    const double made = t.nsecsElapsed() / 1e6;
    t.restart();
    const history::FileSet files = history::replayJournal(
        *journal, vantor::ScratchFolder(dir.path(), QStringLiteral("replay-")).path());
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("rebuild of %d games into %lld players (history made in %.0f ms):\n", games,
                static_cast<long long>(files.at("stats.log").size() / 96), made);
    std::printf("  replay: %8.0f ms (target at most 10000 ms)\n", ms);
}

void listingCost(const QString& parent, int games) {
    QTemporaryDir dir(parent + "/history-bench-XXXXXX");
    {
        auto journal = history::Journal::openOrCreate(dir.path());
        journal->database().exec("PRAGMA synchronous=OFF");
        for (int g = 0; g < games; ++g) {
            history::GameRecord r;
            r.gameType = g % 3 ? "Adversarial" : "Cooperative";
            r.map = "Bank";
            for (int i = 0; i < 8; ++i) {
                history::GamePlayer p;
                p.name = playerName(int(g * 8 + i) % 20000);
                r.players.push_back(p);
            }
            journal->addGame(r, {});
        }
    }
    std::vector<double> times;
    qsizetype bytes = 0;
    for (int run = 0; run < 9; ++run) {
        QElapsedTimer t;
        t.start();
        history::HistoryAccess access(dir.path());
        bytes = history::gamesListText(access.journal().games(false, 20)).size();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("games --last 20 with %d games (%lld bytes of text):\n", games,
                static_cast<long long>(bytes));
    std::printf("  open, check, list: %6.1f ms (median of 9; target under 50 ms)\n", median(times));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString parent = QDir::tempPath();
    int runs = 9;
    QString only;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--dir")
            parent = args[i + 1];
        if (args[i] == "--runs")
            runs = args[i + 1].toInt();
        if (args[i] == "--only")
            only = args[i + 1];
    }
    QDir().mkpath(parent);
    if (only.isEmpty() || only == "journaling")
        journalingCost(parent, runs);
    if (only.isEmpty() || only == "rebuild")
        rebuildCost(parent, 10000, 20000);
    if (only.isEmpty() || only == "games")
        listingCost(parent, 100000);
    return 0;
}
