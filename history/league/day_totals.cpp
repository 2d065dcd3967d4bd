#include "day_totals.h"

#include "history/journal/game_scan.h"
#include "history/journal/journal.h"

#include "common/error.h"

#include <QHash>
#include <algorithm>
#include <bit>

namespace vantor::history {

namespace {

const QByteArray kMidnight = " 00:00:00";

bool wholeDays(const TimeWindow& w) {
    return (w.from.isEmpty() || w.from.endsWith(kMidnight)) &&
           (w.until.isEmpty() || w.until.endsWith(kMidnight));
}

void makeTables(Database& db) {
    // Tables of an older program, without the ratings: only ever what the games give, so they
    // are made afresh.
    {
        Statement columns(db.handle(),
                          "SELECT count(*), count(CASE WHEN name='ratings' THEN 1 END) FROM "
                          "pragma_table_info('day_total_state')");
        if (columns.step() && columns.integer(0) > 0 && columns.integer(1) == 0) {
            columns.reset();
            Transaction t(db);
            db.exec("DROP TABLE IF EXISTS day_total");
            db.exec("DROP TABLE day_total_state");
            t.commit();
        }
    }
    // A rating is kept as the bits of its double, so that it reads back exactly.
    db.exec("CREATE TABLE IF NOT EXISTS day_total(coop INTEGER NOT NULL, day BLOB NOT NULL, "
            "name BLOB NOT NULL, first INTEGER NOT NULL, last_played BLOB NOT NULL, "
            "kills INTEGER NOT NULL, deaths INTEGER NOT NULL, games INTEGER NOT NULL, "
            "hit_sum INTEGER NOT NULL, fired INTEGER NOT NULL, taken INTEGER NOT NULL, "
            "rating_before INTEGER, rating_after INTEGER, PRIMARY KEY(coop, day, name)) "
            "WITHOUT ROWID");
    db.exec("CREATE TABLE IF NOT EXISTS day_total_state(coop INTEGER PRIMARY KEY, "
            "through INTEGER NOT NULL, marks INTEGER NOT NULL, games INTEGER NOT NULL, "
            "ratings BLOB NOT NULL)");
}

std::int64_t lastMark(Database& db) {
    Statement s(db.handle(), "SELECT coalesce(max(id), 0) FROM event WHERE kind IN (?1, ?2)");
    s.bind(1, std::int64_t(EventKind::UndoGame)).bind(2, std::int64_t(EventKind::RedoGame));
    s.step();
    return s.integer(0);
}

std::int64_t gamesThrough(Database& db, bool coop, std::int64_t through) {
    Statement s(db.handle(), "SELECT count(*) FROM event WHERE kind=1 AND coop=? AND id<=?");
    s.bind(1, std::int64_t(coop)).bind(2, through);
    s.step();
    return s.integer(0);
}

std::optional<std::int64_t> bitsOf(const std::optional<double>& value) {
    if (!value)
        return std::nullopt;
    return std::bit_cast<std::int64_t>(*value);
}

// Adds the games recorded since the table was last brought up to date; starts it afresh when
// a game was undone, redone or taken away meanwhile. Adversarial games are rated on the way,
// from the ratings kept with the table.
void refresh(Database& db, bool coop) {
    makeTables(db);
    std::int64_t through = 0;
    {
        Statement s(db.handle(), "SELECT through, marks, games FROM day_total_state WHERE coop=?");
        s.bind(1, std::int64_t(coop));
        if (s.step() && s.integer(1) == lastMark(db) &&
            s.integer(2) == gamesThrough(db, coop, s.integer(0)))
            through = s.integer(0);
    }
    GameScan scan;
    scan.coop = coop;
    scan.afterId = through;
    if (through > 0 && !gameIdRange(db, scan))
        return;
    RatingBook ratings;
    if (through > 0) {
        Statement s(db.handle(), "SELECT ratings FROM day_total_state WHERE coop=?");
        s.bind(1, std::int64_t(coop));
        if (!s.step() || !ratings.restore(s.bytes(0)))
            through = 0; // ratings that do not read back: everything afresh
    }
    scan.afterId = through;
    const auto ids = gameIdRange(db, scan);

    Transaction t(db);
    if (through == 0) {
        Statement clear(db.handle(), "DELETE FROM day_total WHERE coop=?");
        clear.bind(1, std::int64_t(coop)).run();
    }
    Statement add(db.handle(),
                  "INSERT INTO day_total(coop, day, name, first, last_played, kills, deaths, "
                  "games, hit_sum, fired, taken, rating_before, rating_after) VALUES(?1, ?2, ?3, "
                  "?4, ?2, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12) ON CONFLICT(coop, day, name) DO "
                  "UPDATE SET first=min(first, ?4), kills=kills+?5, deaths=deaths+?6, "
                  "games=games+?7, hit_sum=hit_sum+?8, fired=fired+?9, taken=taken+?10, "
                  "rating_before=coalesce(rating_before, ?11), "
                  "rating_after=coalesce(?12, rating_after)");
    struct Sum {
        QByteArray day;
        PlayerTotals totals;
        std::int64_t first = 0;
        std::optional<double> ratingBefore; // his first rated game of the day
        std::optional<double> ratingAfter;  // his last
    };
    QHash<QByteArray, Sum> sums; // day + '\0' + name
    // Written out now and then, so a long history is added up in bounded memory.
    const auto flush = [&] {
        for (const Sum& s : std::as_const(sums)) {
            const PlayerTotals& p = s.totals;
            add.bind(1, std::int64_t(coop))
                .bind(2, s.day)
                .bind(3, p.name)
                .bind(4, s.first)
                .bind(5, p.kills)
                .bind(6, p.deaths)
                .bind(7, p.games)
                .bind(8, p.hitPercentSum)
                .bind(9, p.roundsFired)
                .bind(10, p.roundsTaken)
                .bind(11, bitsOf(s.ratingBefore))
                .bind(12, bitsOf(s.ratingAfter))
                .run();
        }
        sums.clear();
    };
    scanGames(db, scan, [&](const GameRow& g) {
        if (g.undone)
            return;
        const QByteArray day = g.playedAt.left(10);
        for (const PlayerGameRow& p : g.players) {
            Sum& s = sums[day + '\0' + p.name];
            if (s.first == 0) {
                s.first = g.id;
                s.day = day;
                s.totals.name = p.name;
            }
            s.totals.add(p, day);
        }
        // Co-operative games have no opposing team and carry no rating.
        if (!coop)
            for (const RatingChange& c : ratings.add(g)) {
                Sum& s = sums[day + '\0' + c.name];
                if (!s.ratingBefore)
                    s.ratingBefore = c.before.rating();
                s.ratingAfter = c.after.rating();
            }
        if (sums.size() > 200000)
            flush();
    });
    flush();
    const std::int64_t newThrough = ids ? ids->last : through;
    Statement state(db.handle(), "INSERT OR REPLACE INTO day_total_state(coop, through, marks, "
                                 "games, ratings) VALUES(?, ?, ?, ?, ?)");
    state.bind(1, std::int64_t(coop))
        .bind(2, newThrough)
        .bind(3, lastMark(db))
        .bind(4, gamesThrough(db, coop, newThrough))
        .bind(5, ratings.state())
        .run();
    t.commit();
}

} // namespace

std::optional<std::vector<PlayerTotals>>
dayTotals(Database& db, bool coop, const TimeWindow& window, QHash<QByteArray, RatingGain>* gains) {
    if (!wholeDays(window))
        return std::nullopt;
    try {
        refresh(db, coop);
    } catch (const Error&) {
        return std::nullopt; // a history that cannot be written: the games are read instead
    }
    Statement s(db.handle(), "SELECT name, first, last_played, kills, deaths, games, hit_sum, "
                             "fired, taken, rating_before, rating_after FROM day_total WHERE "
                             "coop=?1 AND day>=?2 AND day<?3 ORDER BY day");
    s.bind(1, std::int64_t(coop))
        .bind(2, window.from.isEmpty() ? QByteArray("") : window.from.left(10))
        .bind(3, window.until.isEmpty() ? QByteArray("\xff") : window.until.left(10));
    QHash<QByteArray, std::size_t> index;
    std::vector<PlayerTotals> players;
    std::vector<std::int64_t> first;
    while (s.step()) {
        const QByteArray name = s.bytes(0);
        auto it = index.constFind(name);
        if (it == index.cend()) {
            it = index.insert(name, players.size());
            players.push_back(PlayerTotals{name, {}, 0, 0, 0, 0, 0, 0});
            first.push_back(s.integer(1));
        }
        PlayerTotals& p = players[*it];
        first[*it] = std::min(first[*it], s.integer(1));
        const QByteArray day = s.bytes(2);
        if (day > p.lastPlayed)
            p.lastPlayed = day;
        p.kills += s.integer(3);
        p.deaths += s.integer(4);
        p.games += s.integer(5);
        p.hitPercentSum += s.integer(6);
        p.roundsFired += s.integer(7);
        p.roundsTaken += s.integer(8);
        // Days in order: the first rated day gives the rating before, the last the one after.
        if (gains && !s.isNull(9)) {
            auto g = gains->find(name);
            if (g == gains->end())
                g = gains->insert(name, RatingGain{std::bit_cast<double>(s.integer(9)), 0});
            g->after = std::bit_cast<double>(s.integer(10));
        }
    }
    std::vector<std::size_t> order(players.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return first[a] < first[b]; });
    std::vector<PlayerTotals> ordered;
    ordered.reserve(players.size());
    for (std::size_t i : order)
        ordered.push_back(std::move(players[i]));
    return ordered;
}

} // namespace vantor::history
