// One recorded 16-player game into a 100,000-player stats file with live stats on: the merge,
// both rankings and the page, timed beside the I/O floor of reading the stats file once and
// writing the page's bytes.
//   live_stats_bench [players] [runs]
#include "bench/generated_stats.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/skill.h"
#include "platform/settings_store.h"
#include "recorder/live/live_stats.h"
#include "stats/merge.h"

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

constexpr int kGamePlayers = 16;

void recordGame(const QString& folder, std::mt19937& random, int players) {
    std::uniform_int_distribution<int> pick(0, players + 200);
    for (int i = 0; i < kGamePlayers; ++i) {
        PlayerStatsRecord p;
        p.name.setText(playerName(pick(random)));
        p.lastPlayed.setText("6/10/00");
        p.kills = int(random() % 6);
        p.deaths = int(random() % 2);
        p.games = 1;
        p.hitPercentSum = int(random() % 101);
        p.roundsFired = int(random() % 200);
        p.roundsTaken = int(random() % 10);
        LastGameRecord l;
        l.name = p.name;
        l.lastPlayed = p.lastPlayed;
        l.team.setText(i % 2 ? "gold" : "blue");
        l.kills = p.kills;
        l.deaths = p.deaths;
        l.games = 1;
        l.hitPercentSum = p.hitPercentSum;
        l.roundsFired = p.roundsFired;
        l.roundsTaken = p.roundsTaken;
        stats::savelastgame(folder, l);
        stats::saveplayer(folder, p, kAdversarial);
    }
    stats::saveteam(folder, {true, bool(random() % 2)}, kAdversarial);
}

double ioFloorMs(const QString& statsPath, qint64 pageBytes, const QString& folder) {
    QElapsedTimer t;
    t.start();
    QFile stats(statsPath);
    stats.open(QIODevice::ReadOnly);
    const QByteArray all = stats.readAll();
    QFile page(folder + "/floor.html");
    page.open(QIODevice::WriteOnly | QIODevice::Truncate);
    page.write(QByteArray(pageBytes, all.isEmpty() ? 'x' : all.at(0)));
    page.close();
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int players = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;

    QTemporaryDir dir;
    const QString folder = dir.path();
    std::mt19937 random(20000610);
    writeStatsFile(folder + "/stats.log", players, random);

    SettingsStore store(folder + "/registry.reg");
    auto key = store.openKey(kVantorKey, true);
    key->writeString("hostfilename", "live.html");
    key->writeString("LiveStatsReloadtime", "30");
    recorder::LiveStats live(folder, store);
    const stats::GameInfo game{"Adversarial", "Bank", "Team Survival", "05:12"};

    std::vector<double> step, floor;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        recordGame(folder, random, players);
        live.writePage(game, "Marrow");
        step.push_back(t.nsecsElapsed() / 1e6);
        floor.push_back(
            ioFloorMs(folder + "/stats.log", QFileInfo(folder + "/live.html").size(), folder));
    }
    const double s = median(step), f = median(floor);
    std::printf("live stats: %d players, one %d-player game, page of %lld bytes\n", players,
                kGamePlayers, static_cast<long long>(QFileInfo(folder + "/live.html").size()));
    std::printf("  merge + two rankings + page: %8.1f ms (median of %d)\n", s, runs);
    std::printf("  I/O floor (read stats file, write page): %8.1f ms\n", f);
    std::printf("  ratio: %.2f (target at most 4)\n", s / f);
    return 0;
}
