#include "journal.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/skill.h"
#include "common/timing.h"
#include "common/visible_text.h"
#include "platform/date_time_text.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <limits>
#include <sys/stat.h>

namespace vantor::history {

namespace {
constexpr std::int64_t kVersion = 1;

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value BLOB)",
    "CREATE TABLE IF NOT EXISTS baseline(name TEXT PRIMARY KEY, content BLOB NOT NULL)",
    "CREATE TABLE IF NOT EXISTS file_state(name TEXT PRIMARY KEY, present INTEGER NOT NULL, "
    "size INTEGER NOT NULL, mtime INTEGER NOT NULL, inode INTEGER NOT NULL, "
    "device INTEGER NOT NULL, digest INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS event(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, "
    "at TEXT NOT NULL, coop INTEGER NOT NULL, arg1 BLOB, arg2 BLOB, "
    "undone INTEGER NOT NULL DEFAULT 0, claim BLOB, digest BLOB NOT NULL)",
    "CREATE INDEX IF NOT EXISTS event_by_kind ON event(kind, coop, id)",
    "CREATE INDEX IF NOT EXISTS event_by_claim ON event(claim) WHERE claim IS NOT NULL",
    "CREATE TABLE IF NOT EXISTS game(event INTEGER PRIMARY KEY REFERENCES event(id) ON DELETE "
    "CASCADE, game_type BLOB NOT NULL, map BLOB NOT NULL, rules BLOB NOT NULL, "
    "elapsed BLOB NOT NULL, outcome INTEGER NOT NULL, log BLOB NOT NULL, number INTEGER)",
    "CREATE TABLE IF NOT EXISTS player(event INTEGER NOT NULL REFERENCES event(id) ON DELETE "
    "CASCADE, seq INTEGER NOT NULL, name BLOB NOT NULL, team BLOB NOT NULL, "
    "killed_by BLOB NOT NULL, last_played BLOB NOT NULL, kills INTEGER NOT NULL, "
    "deaths INTEGER NOT NULL, hit_sum INTEGER NOT NULL, fired INTEGER NOT NULL, "
    "taken INTEGER NOT NULL, PRIMARY KEY(event, seq)) WITHOUT ROWID",
    "CREATE INDEX IF NOT EXISTS player_by_name ON player(name, event)",
    "CREATE UNIQUE INDEX IF NOT EXISTS game_by_number ON game(number)",
    "CREATE INDEX IF NOT EXISTS event_by_time ON event(kind, coop, at)",
};

// Games are numbered 1, 2, 3 ... in the order they were recorded, apart from the events
// between them. A history made before the numbers, or written by an older program, gets them
// here.
void numberGames(Database& db) {
    bool hasColumn = false;
    {
        Statement columns(db.handle(), "SELECT count(*) FROM pragma_table_info('game') "
                                       "WHERE name='number'");
        hasColumn = columns.step() && columns.integer(0) > 0;
    }
    Statement missing(db.handle(),
                      hasColumn ? "SELECT 1 FROM game WHERE number IS NULL LIMIT 1" : "SELECT 1");
    if (hasColumn && !missing.step())
        return;
    Transaction t(db);
    if (!hasColumn)
        db.exec("ALTER TABLE game ADD COLUMN number INTEGER");
    db.exec("CREATE UNIQUE INDEX IF NOT EXISTS game_by_number ON game(number)");
    Statement top(db.handle(), "SELECT coalesce(max(number), 0) FROM game");
    top.step();
    Statement fill(db.handle(),
                   "UPDATE game SET number = ?1 + todo.n FROM (SELECT event, row_number() "
                   "OVER (ORDER BY event) AS n FROM game WHERE number IS NULL) AS todo "
                   "WHERE game.event = todo.event");
    fill.bind(1, top.integer(0)).run();
    t.commit();
}

QString damaged(const QString& path, const QString& what) {
    return QStringLiteral("The game history \"%1\" is damaged: %2.").arg(path, what);
}

QByteArray nowText() {
    return stampText().toLatin1();
}

template <class T> void put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

QByteArray orEmpty(const QByteArray& b) {
    return b.isNull() ? QByteArray("") : b;
}
} // namespace

bool changesFiles(EventKind kind) {
    return kind != EventKind::UndoGame && kind != EventKind::RedoGame && kind != EventKind::Hide &&
           kind != EventKind::Unhide;
}

bool isUpkeep(EventKind kind) {
    return kind != EventKind::Game && changesFiles(kind);
}

namespace {
// "2,3,..." for SQL: the kinds isUpkeep names.
QByteArray upkeepKinds() {
    QByteArray list;
    for (std::int64_t kind = 1; kind <= kLastEventKind; ++kind)
        if (isUpkeep(EventKind(kind)))
            list += (list.isEmpty() ? "" : ",") + QByteArray::number(kind);
    return list;
}
} // namespace

QByteArray combinedDigest(const std::map<QString, FileState>& files) {
    QByteArray out;
    for (const QString& name : journaledFiles()) {
        const auto it = files.find(name);
        const FileState s = it == files.end() ? FileState{} : it->second;
        put(out, std::uint8_t(s.present));
        put(out, s.present ? s.size : std::int64_t(0));
        put(out, s.present ? s.digest : std::uint64_t(0));
    }
    return out;
}

QString Journal::pathIn(const QString& dataFolder) {
    return QDir(dataFolder).filePath(kHistoryFile);
}

Journal::Journal(const QString& dataFolder, bool create)
    : folder_(dataFolder), db_(pathIn(dataFolder), create, kHistoryBusyWaitMs) {}

std::unique_ptr<Journal> Journal::openOrCreate(const QString& dataFolder) {
    std::unique_ptr<Journal> j(new Journal(dataFolder, true));
    j->checkSchemaIsOurs();
    j->createSchema();
    j->checkVersion();
    numberGames(j->db_);
    return j;
}

std::unique_ptr<Journal> Journal::openExisting(const QString& dataFolder) {
    struct stat st {};
    if (::lstat(QFile::encodeName(pathIn(dataFolder)).constData(), &st) != 0)
        return nullptr;
    std::unique_ptr<Journal> j(new Journal(dataFolder, false));
    j->checkSchemaIsOurs();
    j->checkVersion();
    numberGames(j->db_);
    return j;
}

void Journal::checkSchemaIsOurs() {
    // We make tables and indexes only. A view or a virtual table can stand in for a table under
    // its name, and a trigger runs whatever it holds at our writes.
    Statement s(db_.handle(), "SELECT type, name FROM sqlite_master WHERE type IN ('view', "
                              "'trigger') OR (type = 'table' AND sql LIKE 'CREATE VIRTUAL%') "
                              "LIMIT 1");
    if (s.step())
        throw Error(QStringLiteral("The game history \"%1\" was not made by this program: it "
                                   "holds the %2 \"%3\". \"rebuild --from-files --yes\" sets it "
                                   "aside and starts a new history from the stats files.")
                        .arg(db_.path(), terminalText(s.bytes(0)), terminalText(s.bytes(1))));
}

void Journal::createSchema() {
    {
        Statement version(db_.handle(), "SELECT count(*) FROM sqlite_master WHERE name='meta'");
        if (version.step() && version.integer(0) > 0) {
            Statement v(db_.handle(), "SELECT value FROM meta WHERE key='version'");
            if (v.step())
                return;
        }
    }
    // New, or made by a process that died before its first commit: the baseline is now.
    Transaction t(db_);
    for (const char* sql : kSchema)
        db_.exec(sql);
    db_.exec("DELETE FROM baseline");
    Statement meta(db_.handle(), "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
    meta.bindText(1, QStringLiteral("version")).bind(2, kVersion).run();
    writeBaseline();
    t.commit();
}

void Journal::checkVersion() {
    Statement v(db_.handle(), "SELECT value FROM meta WHERE key='version'");
    if (!v.step())
        throw Error(damaged(db_.path(), QStringLiteral("it holds no version")));
    if (v.integer(0) != kVersion)
        throw Error(QStringLiteral("The game history \"%1\" was made by another version of the "
                                   "program; it is left as it is.")
                        .arg(db_.path()));
}

std::int64_t Journal::metaInteger(const char* key) {
    Statement s(db_.handle(), "SELECT value FROM meta WHERE key=?");
    s.bindText(1, QString::fromLatin1(key));
    return s.step() ? s.integer(0) : 0;
}

std::map<QString, FileState> Journal::storedStates() {
    std::map<QString, FileState> out;
    Statement s(db_.handle(),
                "SELECT name, present, size, mtime, inode, device, digest FROM file_state");
    while (s.step()) {
        const QString name = QString::fromUtf8(s.bytes(0));
        if (!journaledFiles().contains(name))
            continue;
        FileState f;
        f.present = s.integer(1) != 0;
        f.size = s.integer(2);
        f.mtimeNs = s.integer(3);
        f.inode = s.integer(4);
        f.device = s.integer(5);
        f.digest = std::uint64_t(s.integer(6));
        out[name] = f;
    }
    return out;
}

std::map<QString, FileState> Journal::currentStates(const std::map<QString, FileState>& known,
                                                    bool* changed,
                                                    const std::map<QString, FileState>& hints) {
    std::map<QString, FileState> out;
    for (const QString& name : journaledFiles()) {
        const QString path = QDir(folder_).filePath(name);
        FileState now = statFile(path);
        const auto it = known.find(name);
        if (it != known.end() && now.sameIdentity(it->second) && now.digest == 0) {
            now.digest = it->second.digest;
        } else if (const auto h = hints.find(name);
                   h != hints.end() && now.sameIdentity(h->second) && now.digest == 0) {
            now.digest = h->second.digest;
            if (changed)
                *changed = true;
        } else if (now.present) {
            now = digestFile(path);
            if (changed)
                *changed = true;
        }
        out[name] = now;
    }
    return out;
}

void Journal::storeStates(const std::map<QString, FileState>& states) {
    Statement s(db_.handle(), "INSERT OR REPLACE INTO file_state(name, present, size, mtime, "
                              "inode, device, digest) VALUES(?, ?, ?, ?, ?, ?, ?)");
    for (const auto& [name, f] : states) {
        s.bindText(1, name)
            .bind(2, std::int64_t(f.present))
            .bind(3, f.size)
            .bind(4, f.mtimeNs)
            .bind(5, f.inode)
            .bind(6, f.device)
            .bind(7, std::int64_t(f.digest))
            .run();
    }
}

void Journal::startBaseline() {
    Transaction t(db_);
    writeBaseline();
    t.commit();
}

void Journal::writeBaseline() {
    db_.exec("DELETE FROM baseline");
    std::map<QString, FileState> states;
    Statement add(db_.handle(), "INSERT INTO baseline(name, content) VALUES(?, ?)");
    for (const QString& name : journaledFiles()) {
        const QString path = QDir(folder_).filePath(name);
        FileState s = statFile(path);
        const QByteArray bytes = readFileBytes(path);
        if (!bytes.isNull()) {
            s.present = true;
            s.size = bytes.size();
            s.digest = digestOf(bytes, recordSizeOf(name));
            add.bindText(1, name).bind(2, bytes).run();
        } else {
            s = FileState{};
        }
        states[name] = s;
    }
    storeStates(states);
    Statement meta(db_.handle(), "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
    Statement last(db_.handle(), "SELECT coalesce(max(id), 0) FROM event");
    last.step();
    meta.bindText(1, QStringLiteral("baseline_after")).bind(2, last.integer(0)).run();
    meta.bindText(1, QStringLiteral("baseline_digest")).bind(2, combinedDigest(states)).run();
    db_.exec("DELETE FROM meta WHERE key='out_of_step'");
    db_.exec("UPDATE event SET claim=NULL WHERE claim IS NOT NULL");
}

void Journal::settlePending(const QByteArray& currentClaimKey) {
    std::vector<std::int64_t> undone;
    bool any = false;
    {
        Statement s(db_.handle(), "SELECT id, claim FROM event WHERE claim IS NOT NULL");
        while (s.step()) {
            any = true;
            if (!currentClaimKey.isEmpty() && s.bytes(1) == currentClaimKey)
                undone.push_back(s.integer(0));
        }
    }
    if (!any)
        return;
    Transaction t(db_);
    Statement del(db_.handle(), "DELETE FROM event WHERE id=?");
    for (std::int64_t id : undone)
        del.bind(1, id).run();
    db_.exec("UPDATE event SET claim=NULL WHERE claim IS NOT NULL");
    if (!undone.empty()) {
        // The files were put back as before that game: so is what the journal saw of them.
        const auto now = currentStates(storedStates(), nullptr);
        if (combinedDigest(now) == lastDigest())
            storeStates(now);
    }
    t.commit();
}

Journal::StepCheck Journal::checkFiles() {
    StepCheck c;
    c.reason = outOfStepReason();
    if (!c.reason.isEmpty()) {
        c.inStep = false;
        return c;
    }
    const auto known = storedStates();
    const auto now = currentStates(known, nullptr);
    for (const QString& name : journaledFiles()) {
        const auto k = known.find(name);
        const FileState was = k == known.end() ? FileState{} : k->second;
        const FileState& is = now.at(name);
        if (is.sameContent(was))
            continue;
        if (!is.present)
            c.reason = QStringLiteral("\"%1\" was deleted").arg(name);
        else if (!was.present)
            c.reason = QStringLiteral("\"%1\" appeared").arg(name);
        else
            c.reason = QStringLiteral("\"%1\" was changed").arg(name);
        c.reason += QStringLiteral(" without the game history knowing");
        break;
    }
    if (c.reason.isEmpty())
        return c;
    c.inStep = false;
    c.firstTime = true;
    markOutOfStep(c.reason);
    return c;
}

void Journal::acceptFiles() {
    const auto now = currentStates(storedStates(), nullptr);
    if (combinedDigest(now) != lastDigest())
        throw Error(QStringLiteral("The stats files changed while the game history rebuilt them."));
    Transaction t(db_);
    storeStates(now);
    db_.exec("DELETE FROM meta WHERE key='out_of_step'");
    t.commit();
}

void Journal::markOutOfStep(const QString& reason) {
    Transaction t(db_);
    Statement meta(db_.handle(), "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
    meta.bindText(1, QStringLiteral("out_of_step")).bindText(2, reason).run();
    t.commit();
}

QString Journal::outOfStepReason() {
    Statement s(db_.handle(), "SELECT value FROM meta WHERE key='out_of_step'");
    if (!s.step())
        return {};
    const QString reason = QString::fromUtf8(s.bytes(0));
    return reason.isEmpty() ? QStringLiteral("unknown") : reason;
}

QByteArray Journal::lastDigest() {
    const std::int64_t after = metaInteger("baseline_after");
    Statement s(db_.handle(), "SELECT digest FROM event WHERE id>? ORDER BY id DESC LIMIT 1");
    s.bind(1, after);
    if (s.step())
        return s.bytes(0);
    Statement b(db_.handle(), "SELECT value FROM meta WHERE key='baseline_digest'");
    return b.step() ? b.bytes(0) : QByteArray();
}

std::int64_t Journal::insertEvent(EventKind kind, bool coop, const QByteArray& arg1,
                                  const QByteArray& arg2, const QByteArray& claim,
                                  const QByteArray& digest) {
    Statement s(db_.handle(), "INSERT INTO event(kind, at, coop, arg1, arg2, claim, digest) "
                              "VALUES(?, ?, ?, ?, ?, ?, ?)");
    s.bind(1, std::int64_t(kind))
        .bind(2, nowText())
        .bind(3, std::int64_t(coop))
        .bind(4, arg1)
        .bind(5, arg2)
        .bind(6, claim.isEmpty() ? QByteArray() : claim)
        .bind(7, digest)
        .run();
    return db_.lastInsertId();
}

std::int64_t Journal::addGame(const GameRecord& game, const QByteArray& claimKey,
                              const std::map<QString, FileState>& hints) {
    const auto states = currentStates(storedStates(), nullptr, hints);
    Transaction t(db_);
    const std::int64_t id = insertEvent(EventKind::Game, game.gameType == kCooperative, {}, {},
                                        claimKey, combinedDigest(states));
    if (!game.playedAt.isEmpty()) {
        Statement at(db_.handle(), "UPDATE event SET at=? WHERE id=?");
        at.bind(1, game.playedAt).bind(2, id).run();
    }
    Statement g(db_.handle(),
                "INSERT INTO game(event, game_type, map, rules, elapsed, outcome, log, number) "
                "VALUES(?, ?, ?, ?, ?, ?, ?, (SELECT coalesce(max(number), 0) + 1 FROM game))");
    g.bind(1, id)
        .bind(2, orEmpty(game.gameType))
        .bind(3, orEmpty(game.map))
        .bind(4, orEmpty(game.rules))
        .bind(5, orEmpty(game.elapsedTime))
        .bind(6, std::int64_t(game.outcome))
        .bind(7, orEmpty(game.log))
        .run();
    Statement p(db_.handle(),
                "INSERT INTO player(event, seq, name, team, killed_by, last_played, kills, "
                "deaths, hit_sum, fired, taken) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::int64_t seq = 0;
    for (const GamePlayer& pl : game.players) {
        p.bind(1, id)
            .bind(2, seq++)
            .bind(3, orEmpty(pl.name))
            .bind(4, orEmpty(pl.team))
            .bind(5, orEmpty(pl.killedBy))
            .bind(6, orEmpty(pl.lastPlayed))
            .bind(7, pl.kills)
            .bind(8, pl.deaths)
            .bind(9, pl.hitPercentSum)
            .bind(10, pl.roundsFired)
            .bind(11, pl.roundsTaken)
            .run();
    }
    storeStates(states);
    t.commit();
    return id;
}

std::int64_t Journal::addChange(const ChangeEvent& event,
                                const std::map<QString, FileState>& hints) {
    const auto states = currentStates(storedStates(), nullptr, hints);
    Transaction t(db_);
    const std::int64_t id = insertEvent(event.kind, event.coop, orEmpty(event.arg1),
                                        orEmpty(event.arg2), {}, combinedDigest(states));
    storeStates(states);
    t.commit();
    return id;
}

std::int64_t Journal::addMark(const ChangeEvent& event) {
    Transaction t(db_);
    const std::int64_t id = insertEvent(event.kind, event.coop, orEmpty(event.arg1),
                                        orEmpty(event.arg2), {}, lastDigest());
    t.commit();
    return id;
}

void Journal::removeEvent(std::int64_t id) {
    Transaction t(db_);
    Statement del(db_.handle(), "DELETE FROM event WHERE id=?");
    del.bind(1, id).run();
    const auto now = currentStates(storedStates(), nullptr);
    if (combinedDigest(now) == lastDigest()) {
        storeStates(now);
    } else {
        Statement meta(db_.handle(), "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
        meta.bindText(1, QStringLiteral("out_of_step"))
            .bindText(2, QStringLiteral("a game taken back left the files unlike before it"))
            .run();
    }
    t.commit();
}

void Journal::markEvent(std::int64_t id, bool undone) {
    const auto states = currentStates(storedStates(), nullptr);
    Transaction t(db_);
    Statement mark(db_.handle(), "UPDATE event SET undone=? WHERE id=? AND kind NOT IN (7, 8)");
    mark.bind(1, std::int64_t(undone)).bind(2, id).run();
    insertEvent(undone ? EventKind::UndoGame : EventKind::RedoGame, false, QByteArray::number(id),
                {}, {}, combinedDigest(states));
    storeStates(states);
    t.commit();
}

namespace {
std::int32_t int32At(const Statement& s, int column, const QString& path) {
    const std::int64_t v = s.integer(column);
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throw Error(damaged(path, QStringLiteral("a figure lies outside its range")));
    return std::int32_t(v);
}

TeamOutcome outcomeAt(const Statement& s, int column, const QString& path) {
    const std::int64_t v = s.integer(column);
    if (v < 0 || v > 2)
        throw Error(damaged(path, QStringLiteral("a game's result is unknown")));
    return TeamOutcome(v);
}

// name, team, killed_by, kills, deaths, hit_sum, fired, taken from column `at` on.
PlayerGameRow playerRowAt(const Statement& s, int at, const QString& path) {
    PlayerGameRow p;
    p.name = s.bytes(at);
    p.team = s.bytes(at + 1);
    p.killedBy = s.bytes(at + 2);
    p.kills = int32At(s, at + 3, path);
    p.deaths = int32At(s, at + 4, path);
    p.hitPercent = int32At(s, at + 5, path);
    p.roundsFired = int32At(s, at + 6, path);
    p.roundsTaken = int32At(s, at + 7, path);
    p.skillPoints = skillPointsOf(p.kills, p.deaths, p.hitPercent);
    return p;
}

const char* const kEventColumns =
    "SELECT id, kind, coop, undone, arg1, arg2, digest, at FROM event ";

StoredEvent eventAt(const Statement& s, const QString& path) {
    StoredEvent e;
    e.id = s.integer(0);
    const std::int64_t kind = s.integer(1);
    if (kind < 1 || kind > kLastEventKind)
        throw Error(damaged(path, QStringLiteral("event %1 is of no known kind").arg(e.id)));
    e.kind = EventKind(kind);
    e.coop = s.integer(2) != 0;
    e.undone = s.integer(3) != 0;
    e.arg1 = s.bytes(4);
    e.arg2 = s.bytes(5);
    e.digest = s.bytes(6);
    e.at = s.bytes(7);
    return e;
}

const char* const kGameColumns =
    "SELECT g.number, e.at, e.coop, e.undone, g.game_type, g.map, g.rules, g.elapsed, "
    "g.outcome, e.id FROM event e JOIN game g ON g.event = e.id ";
} // namespace

namespace {
// A read transaction for as long as it lives (within another one when there is one).
class ReadScope {
public:
    explicit ReadScope(Database& db) : db_(db) { db_.exec("SAVEPOINT reading"); }
    ~ReadScope() {
        try {
            db_.exec("RELEASE reading");
        } catch (...) {
        }
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    Database& db_;
};

// A game of kGameColumns, without its players.
GameRow gameRowAt(const Statement& s, const QString& path) {
    GameRow r;
    r.id = s.integer(0);
    r.playedAt = s.bytes(1);
    r.coop = s.integer(2) != 0;
    r.undone = s.integer(3) != 0;
    r.gameType = s.bytes(4);
    r.map = s.bytes(5);
    r.rules = s.bytes(6);
    r.elapsedTime = s.bytes(7);
    r.outcome = outcomeAt(s, 8, path);
    r.event = s.integer(9);
    return r;
}
} // namespace

std::vector<GameRow> Journal::rowsOf(Statement& s) {
    std::vector<GameRow> rows;
    while (s.step())
        rows.push_back(gameRowAt(s, db_.path()));
    return rows;
}

void Journal::fillPlayers(std::vector<GameRow>& rows) {
    Statement s(db_.handle(), "SELECT name, team, killed_by, kills, deaths, hit_sum, fired, "
                              "taken FROM player WHERE event=? ORDER BY seq");
    for (GameRow& row : rows) {
        s.bind(1, row.event);
        while (s.step())
            row.players.push_back(playerRowAt(s, 0, db_.path()));
        s.reset();
    }
}

std::vector<GameRow> Journal::games(std::optional<bool> coop, std::int64_t last) {
    const QByteArray sql = QByteArray(kGameColumns) + "WHERE e.kind=1" +
                           (coop ? " AND e.coop=?1" : "") + " ORDER BY e.id DESC LIMIT ?2";
    Statement s(db_.handle(), sql.constData());
    if (coop)
        s.bind(1, std::int64_t(*coop));
    s.bind(2, last < 0 ? std::int64_t(-1) : last);
    std::vector<GameRow> rows = rowsOf(s);
    fillPlayers(rows);
    return rows;
}

std::vector<GameRow> Journal::gamesOf(const QByteArray& name, std::optional<bool> coop) {
    const QByteArray sql = QByteArray(kGameColumns) +
                           "WHERE e.kind=1 AND e.id IN (SELECT event FROM player WHERE name=?1)" +
                           (coop ? " AND e.coop=?2" : "") + " ORDER BY e.id";
    Statement s(db_.handle(), sql.constData());
    s.bind(1, orEmpty(name));
    if (coop)
        s.bind(2, std::int64_t(*coop));
    std::vector<GameRow> rows = rowsOf(s);
    fillPlayers(rows);
    return rows;
}

std::optional<GameRecord> Journal::game(std::int64_t id) {
    Statement s(db_.handle(), "SELECT e.at, e.undone, g.game_type, g.map, g.rules, g.elapsed, "
                              "g.outcome, g.log FROM event e JOIN game g ON g.event = e.id "
                              "WHERE e.id=? AND e.kind=1");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    GameRecord g;
    g.id = id;
    g.playedAt = s.bytes(0);
    g.undone = s.integer(1) != 0;
    g.gameType = s.bytes(2);
    g.map = s.bytes(3);
    g.rules = s.bytes(4);
    g.elapsedTime = s.bytes(5);
    g.outcome = outcomeAt(s, 6, db_.path());
    g.log = s.bytes(7);
    Statement p(db_.handle(), "SELECT name, team, killed_by, last_played, kills, deaths, "
                              "hit_sum, fired, taken FROM player WHERE event=? ORDER BY seq");
    p.bind(1, id);
    while (p.step()) {
        GamePlayer pl;
        pl.name = p.bytes(0);
        pl.team = p.bytes(1);
        pl.killedBy = p.bytes(2);
        pl.lastPlayed = p.bytes(3);
        pl.kills = int32At(p, 4, db_.path());
        pl.deaths = int32At(p, 5, db_.path());
        pl.hitPercentSum = int32At(p, 6, db_.path());
        pl.roundsFired = int32At(p, 7, db_.path());
        pl.roundsTaken = int32At(p, 8, db_.path());
        g.players.push_back(std::move(pl));
    }
    return g;
}

std::optional<std::int64_t> Journal::gameEvent(std::int64_t number) {
    Statement s(db_.handle(), "SELECT event FROM game WHERE number=?");
    s.bind(1, number);
    if (!s.step())
        return std::nullopt;
    return s.integer(0);
}

bool Journal::replayable(std::int64_t id) {
    return id > metaInteger("baseline_after");
}

std::map<QString, QByteArray> Journal::baseline() {
    std::map<QString, QByteArray> files;
    for (const QString& name : journaledFiles())
        files[name] = QByteArray();
    Statement s(db_.handle(), "SELECT name, content FROM baseline");
    while (s.step()) {
        const QString name = QString::fromUtf8(s.bytes(0));
        if (!journaledFiles().contains(name))
            throw Error(damaged(db_.path(), QStringLiteral("its baseline names an unknown file")));
        files[name] = orEmpty(s.bytes(1));
    }
    return files;
}

void Journal::forEachEvent(const std::function<void(const StoredEvent&)>& visit) {
    const QByteArray sql = QByteArray(kEventColumns) + "WHERE id>? ORDER BY id";
    Statement s(db_.handle(), sql.constData());
    s.bind(1, metaInteger("baseline_after"));
    while (s.step())
        visit(eventAt(s, db_.path()));
}

std::vector<StoredEvent> Journal::upkeepChanges(std::optional<bool> coop) {
    const QByteArray sql = QByteArray(kEventColumns) + "WHERE kind IN (" + upkeepKinds() + ")" +
                           (coop ? " AND coop=?" : "") + " ORDER BY id";
    Statement s(db_.handle(), sql.constData());
    if (coop)
        s.bind(1, std::int64_t(*coop));
    std::vector<StoredEvent> events;
    while (s.step())
        events.push_back(eventAt(s, db_.path()));
    return events;
}

std::optional<StoredEvent> Journal::upkeepChange(std::int64_t id) {
    const QByteArray sql =
        QByteArray(kEventColumns) + "WHERE id=? AND kind IN (" + upkeepKinds() + ")";
    Statement s(db_.handle(), sql.constData());
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return eventAt(s, db_.path());
}

void Journal::forEachGame(std::optional<bool> coop,
                          const std::function<void(const GameRow&)>& visit,
                          std::int64_t afterEvent) {
    // Two cursors walked side by side, both in event order: the games and their players. Both
    // are driven by the events in id order from afterEvent on, so nothing is sorted and the
    // games before it are not visited: of one game type through the index by kind, type and
    // id; of both by the ids themselves (the unary + keeps the planner off the index by kind,
    // which would visit every game).
    const QByteArray kind = coop ? "e.kind=1 AND e.coop=?1" : "+e.kind=1";
    const QByteArray gameSql =
        QByteArray(kGameColumns) + "WHERE " + kind + " AND e.id>?2 ORDER BY e.id LIMIT ?3";
    const QByteArray playerSql = "SELECT p.event, p.name, p.team, p.killed_by, p.kills, p.deaths, "
                                 "p.hit_sum, p.fired, p.taken FROM player p JOIN event e ON "
                                 "e.id = p.event WHERE " +
                                 kind + " AND e.id>?2 AND e.id<=?3 ORDER BY e.id, p.seq";
    // A batch of games at a time, its queries done before the games are visited: the time
    // limit of a query then bounds one batch, never the walk through a long history.
    constexpr std::int64_t kBatch = 4096;
    // One read transaction, so every batch sees the same games while a recorder adds more.
    const ReadScope scope(db_);
    std::vector<GameRow> batch;
    for (std::int64_t after = afterEvent;; after = batch.back().event) {
        batch.clear();
        {
            Statement games(db_.handle(), gameSql.constData());
            if (coop)
                games.bind(1, std::int64_t(*coop));
            games.bind(2, after).bind(3, kBatch);
            while (games.step())
                batch.push_back(gameRowAt(games, db_.path()));
        }
        if (batch.empty())
            return;
        {
            Statement players(db_.handle(), playerSql.constData());
            if (coop)
                players.bind(1, std::int64_t(*coop));
            players.bind(2, after).bind(3, batch.back().event);
            auto row = batch.begin();
            while (players.step()) {
                const std::int64_t event = players.integer(0);
                while (row != batch.end() && row->event < event)
                    ++row;
                if (row == batch.end())
                    break;
                if (row->event == event)
                    row->players.push_back(playerRowAt(players, 1, db_.path()));
            }
        }
        for (const GameRow& game : batch)
            visit(game);
        if (std::int64_t(batch.size()) < kBatch)
            return;
    }
}

std::optional<Journal::GamesStamp>
Journal::foldGames(std::optional<bool> coop, const GamesStamp* since,
                   const std::function<void(const GameRow&)>& visit) {
    const ReadScope scope(db_);
    if (since && gamesStamp(coop, since->throughEvent) != *since)
        return std::nullopt;
    std::int64_t through = since ? since->throughEvent : 0;
    forEachGame(
        coop,
        [&](const GameRow& game) {
            through = game.event;
            visit(game);
        },
        through);
    return gamesStamp(coop, through, since);
}

Journal::GamesStamp Journal::gamesStamp(std::optional<bool> coop, std::int64_t throughEvent,
                                        const GamesStamp* holding) {
    GamesStamp stamp;
    stamp.throughEvent = throughEvent;
    // Past a stamp known to hold, only the games after it are counted.
    Statement games(db_.handle(),
                    coop
                        ? "SELECT count(*) FROM event WHERE kind=1 AND coop=?3 AND id>?2 AND id<=?1"
                        : "SELECT count(*) FROM event WHERE kind=1 AND id>?2 AND id<=?1");
    games.bind(1, throughEvent).bind(2, holding ? holding->throughEvent : std::int64_t(0));
    if (coop)
        games.bind(3, std::int64_t(*coop));
    games.step();
    stamp.games = games.integer(0) + (holding ? holding->games : 0);
    Statement marks(db_.handle(), "SELECT coalesce(max(id), 0) FROM event WHERE kind IN (?1, ?2)");
    marks.bind(1, std::int64_t(EventKind::UndoGame)).bind(2, std::int64_t(EventKind::RedoGame));
    marks.step();
    stamp.lastMarking = marks.integer(0);
    // An id alone can come back after a removal, or from another history: its time and the
    // files' digest after it tell them apart.
    Statement ends(db_.handle(), "SELECT id, at, digest FROM event WHERE id=(SELECT min(id) FROM "
                                 "event) OR id=?1 ORDER BY id");
    ends.bind(1, throughEvent);
    QCryptographicHash identity(QCryptographicHash::Sha256);
    while (ends.step())
        identity.addData(QByteArray::number(ends.integer(0)) + ' ' + ends.bytes(1).toHex() + ' ' +
                         ends.bytes(2).toHex() + '\n');
    stamp.identity = identity.result().toHex();
    return stamp;
}

} // namespace vantor::history
