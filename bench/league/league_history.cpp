// Writes a game history of many 16-player games straight into "games.db" (one transaction of
// plain inserts, much faster than recording them), for timing the league commands on it.
//   league_history FOLDER [GAMES]   (default 1,000,000 games over two years, 2,000 players)
#include "history/journal/game_scan.h"
#include "history/journal/journal.h"
#include "history/journal/sqlite_db.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <cstdio>
#include <random>

using namespace vantor;
using namespace vantor::history;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: league_history FOLDER [GAMES]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const qint64 games = argc > 2 ? QByteArray(argv[2]).toLongLong() : 1000000;
    constexpr int kPlayers = 2000;
    constexpr int kMaps = 20;
    auto journal = Journal::openOrCreate(folder);
    Database& db = journal->database();
    const QByteArray digest = journal->lastDigest();
    // Plain inserts without a journal, the indexes made once at the end: minutes, not hours.
    addTimeIndex(db);
    QList<QByteArray> indexNames, indexes;
    {
        Statement s(db.handle(), "SELECT name, sql FROM sqlite_master WHERE type='index' AND "
                                 "sql IS NOT NULL");
        while (s.step()) {
            indexNames << s.bytes(0);
            indexes << s.bytes(1);
        }
    }
    for (const QByteArray& name : indexNames)
        db.exec(("DROP INDEX " + name).constData());
    db.exec("PRAGMA journal_mode=OFF");
    db.exec("PRAGMA synchronous=OFF");
    db.exec("PRAGMA cache_size=-200000");

    Transaction t(db);
    Statement event(db.handle(), "INSERT INTO event(kind, at, coop, undone, digest) "
                                 "VALUES(1, ?, 0, 0, ?)");
    Statement game(db.handle(), "INSERT INTO game(event, game_type, map, rules, elapsed, outcome, "
                                "log) VALUES(?, 'Adversarial', ?, 'Team Survival', ?, ?, '')");
    Statement player(db.handle(),
                     "INSERT INTO player(event, seq, name, team, killed_by, last_played, kills, "
                     "deaths, hit_sum, fired, taken) VALUES(?, ?, ?, ?, '', '', ?, ?, ?, ?, ?)");
    std::mt19937 random(2026);
    const QDateTime start(QDate(2025, 1, 1), QTime(0, 0));
    const qint64 span = 2 * 365 * 86400;
    QByteArray names[kPlayers];
    for (int i = 0; i < kPlayers; ++i)
        names[i] = "Player " + QByteArray::number(i);
    for (qint64 i = 0; i < games; ++i) {
        const QDateTime at = start.addSecs(i * span / games);
        event.bind(1, at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1())
            .bind(2, digest)
            .run();
        const std::int64_t id = db.lastInsertId();
        game.bind(1, id)
            .bind(2, "Map " + QByteArray::number(int(random() % kMaps)))
            .bind(3, QByteArray::number(3 + random() % 20) + ":" +
                         QByteArray::number(10 + random() % 50))
            .bind(4, std::int64_t(random() % 3))
            .run();
        // Sixteen different players: a window of the pool at a random place.
        const int first = int(random() % kPlayers);
        for (int p = 0; p < 16; ++p) {
            player.bind(1, id)
                .bind(2, p)
                .bind(3, names[(first + p * 7) % kPlayers])
                .bind(4, QByteArray(p % 2 ? "gold" : "blue"))
                .bind(5, std::int64_t(random() % 6))
                .bind(6, std::int64_t(random() % 2))
                .bind(7, std::int64_t(random() % 101))
                .bind(8, std::int64_t(random() % 300))
                .bind(9, std::int64_t(random() % 5))
                .run();
        }
        if (i % 100000 == 99999)
            std::fprintf(stderr, "%lld games\n", static_cast<long long>(i + 1));
    }
    t.commit();
    for (const QByteArray& sql : indexes)
        db.exec(sql.constData());
    db.exec("PRAGMA journal_mode=WAL");
    return 0;
}
