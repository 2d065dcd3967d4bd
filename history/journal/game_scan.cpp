#include "game_scan.h"

#include "common/error.h"
#include "common/skill.h"

#include <QHash>
#include <limits>

namespace vantor::history {

namespace {

// Names, teams and maps repeat through a history: one copy of each, shared by every row.
class TextPool {
public:
    QByteArray get(QByteArrayView bytes) {
        // Teams and maps often repeat from one row to the next.
        if (QByteArrayView(last_) == bytes && !last_.isNull())
            return last_;
        last_ = find(bytes);
        return last_;
    }

private:
    QByteArray find(QByteArrayView bytes) {
        const QByteArray probe = QByteArray::fromRawData(bytes.data(), bytes.size());
        const auto it = pool_.constFind(probe);
        if (it != pool_.cend())
            return *it;
        const QByteArray copy = bytes.toByteArray();
        pool_.insert(copy, copy);
        return copy;
    }

    QHash<QByteArray, QByteArray> pool_;
    QByteArray last_;
};

std::int32_t figure(const Statement& s, int column, const QString& path) {
    const std::int64_t v = s.integer(column);
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throw Error(QStringLiteral("The game history \"%1\" is damaged: a figure lies outside its "
                                   "range.")
                        .arg(path));
    return std::int32_t(v);
}

// An open time bound is left out, so that a scan by ids walks the ids alone instead of the
// time of every game in the history.
QByteArray whereOf(const GameScan& scan) {
    QByteArray where = " WHERE e.kind=1 AND e.coop=?1 AND (?4 IS NULL OR g.map=?4) AND e.id>?5 "
                       "AND e.id<=?6";
    if (!scan.from.isEmpty())
        where += " AND e.at>=?2";
    if (!scan.until.isEmpty())
        where += " AND e.at<?3";
    return where;
}

TeamOutcome outcomeOf(std::int64_t stored, const Database& db) {
    if (stored < 0 || stored > 2)
        throw Error(QStringLiteral("The game history \"%1\" is damaged: a game's result is "
                                   "unknown.")
                        .arg(db.path()));
    return TeamOutcome(stored);
}

void bindScan(Statement& s, const GameScan& scan) {
    s.bind(1, std::int64_t(scan.coop))
        .bind(2, scan.from)
        .bind(3, scan.until)
        .bind(4, scan.map)
        .bind(5, scan.afterId)
        .bind(6, scan.throughId);
}

} // namespace

void addTimeIndex(Database& db) {
    db.exec("CREATE INDEX IF NOT EXISTS event_by_time ON event(kind, coop, at)");
}

std::optional<IdRange> gameIdRange(Database& db, const GameScan& scan) {
    Statement range(db.handle(), (QByteArray("SELECT min(e.id), max(e.id) FROM event e JOIN game "
                                             "g ON g.event=e.id") +
                                  whereOf(scan))
                                     .constData());
    bindScan(range, scan);
    if (!range.step() || range.isNull(0))
        return std::nullopt;
    return IdRange{range.integer(0), range.integer(1)};
}

std::array<std::int64_t, 3> outcomeCounts(Database& db, const GameScan& scan) {
    Statement s(db.handle(), (QByteArray("SELECT g.outcome, count(*) FROM event e JOIN game g ON "
                                         "g.event=e.id") +
                              whereOf(scan) + " AND e.undone=0 GROUP BY g.outcome")
                                 .constData());
    bindScan(s, scan);
    std::array<std::int64_t, 3> counts{};
    while (s.step())
        counts[std::size_t(outcomeOf(s.integer(0), db))] = s.integer(1);
    return counts;
}

namespace {

// The first and last of the next scan.sliceGames games after scan.afterId; nullopt: none left.
std::optional<IdRange> nextSlice(Database& db, const GameScan& scan) {
    Statement s(db.handle(), (QByteArray("SELECT min(id), max(id) FROM (SELECT e.id AS id FROM "
                                         "event e JOIN game g ON g.event=e.id") +
                              whereOf(scan) + " ORDER BY e.id LIMIT ?7)")
                                 .constData());
    bindScan(s, scan);
    s.bind(7, std::max<std::int64_t>(scan.sliceGames, 1));
    if (!s.step() || s.isNull(0))
        return std::nullopt;
    return IdRange{s.integer(0), s.integer(1)};
}

// The scan's games, which lie between the ids given.
void scanSlice(Database& db, const GameScan& scan, const IdRange& ids,
               const std::function<void(const GameRow&)>& visit, TextPool& pool, TextPool& teams) {
    Statement games(db.handle(),
                    (QByteArray("SELECT e.id, e.at, e.undone, g.game_type, g.map, g.rules, "
                                "g.elapsed, g.outcome FROM event e JOIN game g ON g.event=e.id") +
                     whereOf(scan) + " ORDER BY e.id")
                        .constData());
    bindScan(games, scan);
    Statement players(db.handle(), "SELECT event, name, team, kills, deaths, hit_sum, fired, "
                                   "taken FROM player WHERE event BETWEEN ?1 AND ?2 "
                                   "ORDER BY event, seq");
    players.bind(1, ids.first).bind(2, ids.last);

    GameRow row;
    bool playerRow = players.step();
    while (games.step()) {
        row.id = games.integer(0);
        row.playedAt = games.view(1).toByteArray();
        row.coop = scan.coop;
        row.undone = games.integer(2) != 0;
        row.gameType = pool.get(games.view(3));
        row.map = pool.get(games.view(4));
        row.rules = pool.get(games.view(5));
        row.elapsedTime = pool.get(games.view(6));
        row.outcome = outcomeOf(games.integer(7), db);
        row.players.clear();
        while (playerRow && players.integer(0) < row.id)
            playerRow = players.step();
        while (playerRow && players.integer(0) == row.id) {
            PlayerGameRow p;
            p.name = pool.get(players.view(1));
            p.team = teams.get(players.view(2));
            p.kills = figure(players, 3, db.path());
            p.deaths = figure(players, 4, db.path());
            p.hitPercent = figure(players, 5, db.path());
            p.roundsFired = figure(players, 6, db.path());
            p.roundsTaken = figure(players, 7, db.path());
            p.skillPoints = skillPointsOf(p.kills, p.deaths, p.hitPercent);
            row.players.push_back(std::move(p));
            playerRow = players.step();
        }
        visit(row);
    }
}

} // namespace

void scanGames(Database& db, const GameScan& scan,
               const std::function<void(const GameRow&)>& visit) {
    TextPool pool, teams;
    if (!scan.from.isEmpty() || !scan.until.isEmpty()) {
        // A window of time is read at once: slicing it would walk its time range again for
        // every slice.
        if (const auto ids = gameIdRange(db, scan))
            scanSlice(db, scan, *ids, visit, pool, teams);
        return;
    }
    GameScan slice = scan;
    while (const auto ids = nextSlice(db, slice)) {
        slice.throughId = ids->last;
        scanSlice(db, slice, *ids, visit, pool, teams);
        slice.afterId = ids->last;
        slice.throughId = scan.throughId;
    }
}

} // namespace vantor::history
