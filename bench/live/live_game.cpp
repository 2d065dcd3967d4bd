// One 16-player adversarial game recorded with live stats on, as the recorder's timer tick does
// it: the result log is read, merged into the data folder under the undo journal, both files
// ranked and the live page written (no upload). Run as a whole process by run.sh.
//   live_game DATA_FOLDER SEED
// The data folder must hold "stats.log" and "registry.reg" naming the page; the game folder is
// DATA_FOLDER/game.
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "recorder/live/live_stats.h"
#include "recorder/recording/recording_cycle.h"
#include "recorder/recording/result_log_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <random>

using namespace vantor;
using namespace vantor::recorder;

namespace {

class FailingDialogs : public Dialogs {
public:
    void information(const QString& text) override { report(text); }
    bool askYesNo(const QString&) override { return false; }
    void error(const QString& text) override { report(text); }
    void beep() override {}
    bool failed = false;

private:
    void report(const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        failed = true;
    }
};

// Players known to the stats file and a few new ones, both teams.
QByteArray resultLog(unsigned seed) {
    std::mt19937 random(seed);
    QByteArray log = "Type  : Adversarial \r\nMap Name   : Oil Refinery \r\nServer Name  : Bench "
                     "\r\nRules  : Team Survival \r\nElapsed Time  : 04:32 \r\n\r\n";
    const bool blueWon = random() % 2;
    for (int i = 0; i < 16; ++i) {
        const bool blue = i % 2 == 0;
        const QByteArray name =
            "Player" + QByteArray::number(int(random() % 1000200)).rightJustified(7, '0');
        log += "Player Number : " + QByteArray::number(i + 1) + " \r\n";
        log += QByteArray("Team        : ") + (blue ? "0" : "3") + " \r\n";
        log += "Character   : Operative " + QByteArray::number(i + 1) + " \r\n";
        log += "Health Status : 1 \r\n";
        log += "Player Name  : " + name + " \r\n";
        log += "Kills            : " + QByteArray::number(int(random() % 8)) + " \r\n";
        log += "Hit Percentage  : " + QByteArray::number(int(random() % 101)) + " \r\n";
        log += "Rounds Fired         : " + QByteArray::number(int(random() % 200)) + " \r\n";
        log += "Rounds Taken         : " + QByteArray::number(int(random() % 10)) + " \r\n";
        log += "Killed By            :  \r\n";
        log += QByteArray("Team Won     : ") + (blue == blueWon ? "1" : "0") + " \r\n\r\n";
    }
    return log;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: live_game DATA_FOLDER SEED\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    const QString game = data + QStringLiteral("/game");
    QDir().mkpath(game);
    QFile log(resultLogPath(game, 0));
    if (!log.open(QIODevice::WriteOnly) || log.write(resultLog(unsigned(std::atoi(argv[2])))) < 0)
        return 1;
    log.close();

    FailingDialogs dialogs;
    LiveStats live(data, SettingsStore(data + QStringLiteral("/registry.reg")));
    RecordingCycle cycle(dialogs, data);
    cycle.setGameFolder(game);
    cycle.setToday([] { return QByteArray("6/10/00"); });
    bool pageWritten = false;
    cycle.setLiveStatsHook([&] { pageWritten = live.writePage(cycle.gameInfo(), "Bench"); });
    auto outcome = cycle.Readlogs(true);
    // Where no lease can be had, a log counts as finished at the second look.
    if (outcome == RecordingCycle::Outcome::NoLog)
        outcome = cycle.Readlogs(true);
    if (outcome != RecordingCycle::Outcome::Recorded || !pageWritten || dialogs.failed) {
        std::fprintf(stderr, "the game was not recorded with its page\n");
        return 1;
    }
    return 0;
}
