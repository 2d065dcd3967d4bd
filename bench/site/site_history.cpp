// Makes a game history for the site's benchmark, straight through the journal:
//   site_history make DATA_FOLDER PLAYERS GAMES   a new "games.db" of GAMES 16-player games
//   site_history add DATA_FOLDER PLAYERS          one more game, as a recorder would add it
// Games are spread over a year, a few hundred a day; players are drawn at random.
#include "bench/generated_stats.h"
#include "history/journal/journal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <cstdio>
#include <ctime>
#include <random>

using namespace vantor;

namespace {

history::GameRecord randomGame(std::mt19937& random, int players, const QDateTime& at) {
    static const char* const kMaps[] = {"Bank",          "Embassy", "Oil Refinery", "Train Depot",
                                        "Mountain Base", "Peaks",   "Village",      "Garage"};
    history::GameRecord g;
    g.playedAt = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    g.gameType = "Adversarial";
    g.map = kMaps[random() % std::size(kMaps)];
    g.rules = "Team Survival";
    g.elapsedTime = QByteArray::number(random() % 20).rightJustified(2, '0') + ":" +
                    QByteArray::number(random() % 60).rightJustified(2, '0');
    g.outcome = history::TeamOutcome(1 + random() % 2);
    for (int i = 0; i < 16; ++i) {
        history::GamePlayer p;
        p.name = bench::playerName(int(random() % std::uint32_t(players)));
        p.team = i % 2 ? "gold" : "blue";
        p.kills = int(random() % 6);
        p.deaths = int(random() % 2);
        p.hitPercentSum = int(random() % 101);
        p.roundsFired = int(random() % 200);
        p.roundsTaken = int(random() % 10);
        g.players.push_back(p);
    }
    return g;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || (args[1] == QLatin1String("make") && args.size() < 5)) {
        std::fprintf(stderr, "usage: site_history make DATA PLAYERS GAMES | add DATA PLAYERS\n");
        return 2;
    }
    const QString data = args[2];
    const int players = args[3].toInt();
    QDir().mkpath(data);
    if (args[1] == QLatin1String("make"))
        QFile::remove(history::Journal::pathIn(data));
    auto journal = history::Journal::openOrCreate(data);
    std::mt19937 random(args[1] == QLatin1String("make") ? 26 : std::uint32_t(time(nullptr)));
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));
    if (args[1] == QLatin1String("add")) {
        journal->addGame(randomGame(random, players, QDateTime::currentDateTime()), {});
        return 0;
    }
    // The games are made in bulk: durability costs nothing to measure here.
    journal->database().exec("PRAGMA synchronous=OFF");
    const int games = args[4].toInt();
    const qint64 step = 365ll * 24 * 3600 / std::max(games, 1);
    for (int i = 0; i < games; ++i)
        journal->addGame(randomGame(random, players, start.addSecs(step * i)), {});
    return 0;
}
