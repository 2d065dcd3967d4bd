#include "sqlite_db.h"

#include "common/error.h"

#include <QFile>
#include <chrono>
#include <cstdint>
#include <sqlite3.h>

namespace vantor::history {

namespace {
QString messageOf(sqlite3* db, const QString& path, const QString& what) {
    if (db && sqlite3_errcode(db) == SQLITE_INTERRUPT)
        return QStringLiteral("The game history \"%1\" %2: a query ran too long and was "
                              "stopped.")
            .arg(path, what);
    const char* why = db ? sqlite3_errmsg(db) : "out of memory";
    return QStringLiteral("The game history \"%1\": %2: %3.")
        .arg(path, what, QString::fromUtf8(why));
}

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The deadline travels as the handler's argument: the connection needs no other state.
int pastDeadline(void* deadlineMs) {
    return nowMs() > std::int64_t(reinterpret_cast<std::uintptr_t>(deadlineMs)) ? 1 : 0;
}

constexpr int kStepsBetweenChecks = 10000;

// Where no other query of the connection is under way, the clock starts afresh for this one.
void startQueryClock(sqlite3* db, sqlite3_stmt* starting, int limitMs) {
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s))
        if (s != starting && sqlite3_stmt_busy(s))
            return;
    sqlite3_progress_handler(db, kStepsBetweenChecks, pastDeadline,
                             reinterpret_cast<void*>(std::uintptr_t(nowMs() + limitMs)));
}
} // namespace

void CloseDb::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

void FinalizeStatement::operator()(sqlite3_stmt* s) const {
    sqlite3_finalize(s);
}

Statement::Statement(sqlite3* db, const char* sql, int queryLimitMs)
    : db_(db), queryLimitMs_(queryLimitMs) {
    sqlite3_stmt* raw = nullptr;
    // Preparing reads the schema: it is bounded as a query.
    startQueryClock(db_, nullptr, queryLimitMs_);
    const int rc = sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr);
    stmt_.reset(raw);
    if (rc != SQLITE_OK)
        throw Error(messageOf(db_, QString::fromUtf8(sqlite3_db_filename(db_, "main")),
                              QStringLiteral("cannot be read")));
}

Statement& Statement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(stmt_.get(), index, value);
    return *this;
}

Statement& Statement::bind(int index, const QByteArray& bytes) {
    if (bytes.isNull())
        sqlite3_bind_null(stmt_.get(), index);
    else
        sqlite3_bind_blob64(stmt_.get(), index, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, std::optional<std::int64_t> value) {
    if (value)
        return bind(index, *value);
    sqlite3_bind_null(stmt_.get(), index);
    return *this;
}

Statement& Statement::bindText(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text64(stmt_.get(), index, utf8.constData(), sqlite3_uint64(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

bool Statement::step() {
    if (!running_)
        startQueryClock(db_, stmt_.get(), queryLimitMs_);
    running_ = true;
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW)
        return true;
    running_ = false;
    if (rc == SQLITE_DONE)
        return false;
    throw Error(messageOf(db_, QString::fromUtf8(sqlite3_db_filename(db_, "main")),
                          QStringLiteral("cannot be used")));
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    running_ = false;
    sqlite3_reset(stmt_.get());
    sqlite3_clear_bindings(stmt_.get());
}

QByteArrayView Statement::view(int column) const {
    const void* data = sqlite3_column_blob(stmt_.get(), column);
    return QByteArrayView(static_cast<const char*>(data),
                          data ? sqlite3_column_bytes(stmt_.get(), column) : 0);
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_.get(), column);
}

QByteArray Statement::bytes(int column) const {
    const void* data = sqlite3_column_blob(stmt_.get(), column);
    const int size = sqlite3_column_bytes(stmt_.get(), column);
    if (!data)
        return sqlite3_column_type(stmt_.get(), column) == SQLITE_NULL ? QByteArray()
                                                                       : QByteArray("");
    return QByteArray(static_cast<const char*>(data), size);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_.get(), column) == SQLITE_NULL;
}

Database::Database(const QString& path, bool create, int busyTimeoutMs, int queryLimitMs)
    : path_(path), queryLimitMs_(queryLimitMs) {
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) |
                      SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    db_.reset(raw); // closed on every path, also when the open failed
    if (rc != SQLITE_OK)
        fail(QStringLiteral("cannot be opened"));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    // The last connection would otherwise checkpoint and sync the whole log at every close.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=FULL");
    // The baseline copy of a large stats file passes through the log once; past a checkpoint the
    // log is cut back rather than kept at that size beside the database.
    exec("PRAGMA journal_size_limit=1048576");
    exec("PRAGMA foreign_keys=ON");
}

void Database::exec(const char* sql) {
    Statement s(db_.get(), sql, queryLimitMs_);
    s.run();
}

std::int64_t Database::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_.get());
}

void Database::fail(const QString& what) const {
    throw Error(messageOf(db_.get(), path_, what));
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) {
        // Whatever stopped the transaction, its rollback is not stopped by the query clock.
        sqlite3_progress_handler(db_.handle(), 0, nullptr, nullptr);
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    open_ = false;
}

} // namespace vantor::history
