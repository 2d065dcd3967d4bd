#pragma once

#include "common/timing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace vantor::history {

struct CloseDb {
    void operator()(sqlite3* db) const;
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* s) const;
};
using DbHandle = std::unique_ptr<sqlite3, CloseDb>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// One prepared statement; every failure throws vantor::Error naming the database. Run, with
// the statements run while it is under way, it is stopped after queryLimitMs and throws.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, int queryLimitMs = kHistoryQueryLimitMs);

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, const QByteArray& bytes);           // NULL for a null QByteArray
    Statement& bind(int index, std::optional<std::int64_t> value); // NULL for none
    Statement& bindText(int index, const QString& text);
    // True while a row is there; false when done.
    bool step();
    void run(); // a statement without rows
    void reset();

    std::int64_t integer(int column) const;
    QByteArray bytes(int column) const;
    // The column's bytes without a copy, valid until the next step.
    QByteArrayView view(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* db_;
    int queryLimitMs_;
    StatementHandle stmt_;
    bool running_ = false;
};

// A connection to one database file, opened without following a link.
class Database {
public:
    // create false: a missing file throws instead of being made. exec's statements are
    // stopped after queryLimitMs.
    Database(const QString& path, bool create, int busyTimeoutMs,
             int queryLimitMs = kHistoryQueryLimitMs);

    void exec(const char* sql);
    std::int64_t lastInsertId() const;
    sqlite3* handle() const { return db_.get(); }
    const QString& path() const { return path_; }
    [[noreturn]] void fail(const QString& what) const;

private:
    QString path_;
    int queryLimitMs_;
    DbHandle db_;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace vantor::history
