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

const char* const kWhere = " WHERE e.kind=1 AND e.coop=?1 AND e.at>=?2 AND e.at<?3"
                           " AND (?4 IS NULL OR g.map=?4) AND e.id>?5 AND e.id<=?6";

void bindScan(Statement& s, const GameScan& scan) {
    // An open end compares beyond every time text.
    s.bind(1, std::int64_t(scan.coop))
        .bind(2, scan.from.isEmpty() ? QByteArray("") : scan.from)
        .bind(3, scan.until.isEmpty() ? QByteArray("\xff") : scan.until)
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
                                  kWhere)
                                     .constData());
    bindScan(range, scan);
    if (!range.step() || range.isNull(0))
        return std::nullopt;
    return IdRange{range.integer(0), range.integer(1)};
}

void scanGames(Database& db, const GameScan& scan,
               const std::function<void(const GameRow&)>& visit) {
    const auto ids = gameIdRange(db, scan);
    if (!ids)
        return;
    const std::int64_t first = ids->first;
    const std::int64_t last = ids->last;

    Statement games(db.handle(),
                    (QByteArray("SELECT e.id, e.at, e.undone, g.game_type, g.map, g.rules, "
                                "g.elapsed, g.outcome FROM event e JOIN game g ON g.event=e.id") +
                     kWhere + " ORDER BY e.id")
                        .constData());
    bindScan(games, scan);
    Statement players(db.handle(), "SELECT event, name, team, kills, deaths, hit_sum, fired, "
                                   "taken FROM player WHERE event BETWEEN ?1 AND ?2 "
                                   "ORDER BY event, seq");
    players.bind(1, first).bind(2, last);

    TextPool pool, teams;
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
        const std::int64_t outcome = games.integer(7);
        if (outcome < 0 || outcome > 2)
            throw Error(QStringLiteral("The game history \"%1\" is damaged: a game's result is "
                                       "unknown.")
                            .arg(db.path()));
        row.outcome = TeamOutcome(outcome);
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

} // namespace vantor::history
