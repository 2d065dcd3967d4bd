#include "checkpoint_store.h"

#include "journal.h"

namespace vantor::history {

namespace {

void makeTable(Database& db) {
    db.exec("CREATE TABLE IF NOT EXISTS checkpoint(kind BLOB NOT NULL, coop INTEGER NOT NULL, "
            "through INTEGER NOT NULL, marks INTEGER NOT NULL, games INTEGER NOT NULL, "
            "state BLOB NOT NULL, PRIMARY KEY(kind, coop, through))");
}

// What makes a checkpoint stale: the last undo, redo or alias, and the games up to it.
struct Stamp {
    std::int64_t marks = 0;
    std::int64_t games = 0;
};

Stamp stampOf(Database& db, bool coop, std::int64_t throughId) {
    Stamp s;
    // An alias changes whose games count under which name.
    Statement marks(db.handle(),
                    "SELECT coalesce(max(id), 0) FROM event WHERE kind IN (?1, ?2, ?3)");
    marks.bind(1, std::int64_t(EventKind::UndoGame))
        .bind(2, std::int64_t(EventKind::RedoGame))
        .bind(3, std::int64_t(EventKind::Alias));
    marks.step();
    s.marks = marks.integer(0);
    Statement games(db.handle(), "SELECT count(*) FROM event WHERE kind=1 AND coop=? AND id<=?");
    games.bind(1, std::int64_t(coop)).bind(2, throughId);
    games.step();
    s.games = games.integer(0);
    return s;
}

} // namespace

std::optional<Checkpoint> latestCheckpoint(Database& db, const QByteArray& kind, bool coop,
                                           std::int64_t beforeId) {
    makeTable(db);
    Statement s(db.handle(), "SELECT through, marks, games, state FROM checkpoint WHERE kind=? "
                             "AND coop=? AND through<? ORDER BY through DESC LIMIT 1");
    s.bind(1, kind).bind(2, std::int64_t(coop)).bind(3, beforeId);
    if (!s.step())
        return std::nullopt;
    Checkpoint c{s.integer(0), s.bytes(3)};
    const Stamp now = stampOf(db, coop, c.throughId);
    if (now.marks == s.integer(1) && now.games == s.integer(2))
        return c;
    // Stale: every checkpoint of the kind was made before the change.
    s.reset();
    Transaction t(db);
    Statement drop(db.handle(), "DELETE FROM checkpoint WHERE kind=? AND coop=?");
    drop.bind(1, kind).bind(2, std::int64_t(coop)).run();
    t.commit();
    return std::nullopt;
}

void saveCheckpoint(Database& db, const QByteArray& kind, bool coop, const Checkpoint& checkpoint) {
    makeTable(db);
    const Stamp stamp = stampOf(db, coop, checkpoint.throughId);
    Transaction t(db);
    Statement s(db.handle(), "INSERT OR IGNORE INTO checkpoint(kind, coop, through, marks, games, "
                             "state) VALUES(?, ?, ?, ?, ?, ?)");
    s.bind(1, kind)
        .bind(2, std::int64_t(coop))
        .bind(3, checkpoint.throughId)
        .bind(4, stamp.marks)
        .bind(5, stamp.games)
        .bind(6, checkpoint.state)
        .run();
    t.commit();
}

} // namespace vantor::history
