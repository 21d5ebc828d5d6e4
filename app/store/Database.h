// A small owner of one SQLite connection: opening, prepared statements that
// are kept for reuse, and transactions that roll back unless committed.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

class Database;

// A prepared statement borrowed from the connection's cache. Bind the
// parameters (numbered from 1), step through the rows, read the columns
// (numbered from 0). Leaving scope resets the statement and clears its
// bindings so that the next user finds it fresh.
class Query
{
public:
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;
    ~Query();

    Query &bind(int index, qint64 value);
    Query &bind(int index, int value) { return bind(index, qint64(value)); }
    Query &bind(int index, bool value) { return bind(index, qint64(value ? 1 : 0)); }
    Query &bind(int index, double value);
    Query &bind(int index, const QString &value);
    Query &bind(int index, const QByteArray &value);
    Query &bindNull(int index);
    template<typename T>
    Query &bind(int index, const std::optional<T> &value)
    {
        return value ? bind(index, *value) : bindNull(index);
    }

    // Runs to the next row: true while a row is there, false when done.
    // Throws DatabaseError on failure.
    bool next();
    // Runs a statement that returns no rows.
    void run();

    bool isNull(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // Blobs come back as a deep copy; an empty blob is an empty, non-null array.
    QByteArray blob(int column) const;
    std::optional<QByteArray> optionalBlob(int column) const;

private:
    friend class Database;
    Query(Database &database, sqlite3_stmt *statement);
    [[noreturn]] void fail(int code) const;

    Database &m_database;
    sqlite3_stmt *m_statement;
};

class Database
{
public:
    // Opens (creating when missing) the database file at path. Nothing is
    // read or written yet: the first statement decides whether the file is a
    // database. Throws DatabaseError with SQLite's message.
    static Database open(const QString &path);

    Database(Database &&other) noexcept;
    Database &operator=(Database &&) = delete;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;
    ~Database();

    // Runs one or more statements without results.
    void execute(const char *sql);
    // A cached prepared statement for sql (a string literal: it is the key).
    Query query(const char *sql);

    qint64 lastInsertId() const;
    int changes() const;
    bool inTransaction() const;
    QString errorMessage() const;

    // How long a write waits for another connection's lock before failing.
    void setBusyTimeout(int milliseconds);

    sqlite3 *handle() const { return m_db.get(); }

private:
    struct Closer
    {
        void operator()(sqlite3 *db) const;
    };
    struct Finalizer
    {
        void operator()(sqlite3_stmt *statement) const;
    };

    explicit Database(sqlite3 *db);
    [[noreturn]] void fail(const char *what) const;

    // Statements are finalised before the connection is closed: members are
    // destroyed in reverse order.
    std::unique_ptr<sqlite3, Closer> m_db;
    std::unordered_map<const char *, std::unique_ptr<sqlite3_stmt, Finalizer>> m_statements;
};

// BEGIN IMMEDIATE on construction, so that a writer takes the write lock at
// once (waiting out other processes through the busy timeout) rather than
// failing when it later upgrades a read lock. Rolls back unless committed.
class Transaction
{
public:
    explicit Transaction(Database &database);
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    ~Transaction();

    void commit();

private:
    Database &m_database;
    bool m_open = true;
};
