#include "Database.h"

#include <QFile>

#include <sqlite3.h>

DatabaseError::DatabaseError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

// Query

Query::Query(Database &database, sqlite3_stmt *statement)
    : m_database(database)
    , m_statement(statement)
{
}

Query::~Query()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void Query::fail(int code) const
{
    Q_UNUSED(code)
    throw DatabaseError(m_database.errorMessage());
}

Query &Query::bind(int index, qint64 value)
{
    if (const int rc = sqlite3_bind_int64(m_statement, index, value); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Query &Query::bind(int index, double value)
{
    if (const int rc = sqlite3_bind_double(m_statement, index, value); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Query &Query::bind(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    if (const int rc = sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Query &Query::bind(int index, const QByteArray &value)
{
    // A zero-length blob, never NULL: NULL means "absent" in optional columns.
    if (const int rc = sqlite3_bind_blob(m_statement, index, value.isEmpty() ? "" : value.constData(),
                                         int(value.size()), SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Query &Query::bindNull(int index)
{
    if (const int rc = sqlite3_bind_null(m_statement, index); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

bool Query::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(rc);
}

void Query::run()
{
    while (next()) {
    }
}

bool Query::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 Query::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double Query::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QString Query::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_statement, column));
}

QByteArray Query::blob(int column) const
{
    const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return size > 0 ? QByteArray(data, size) : QByteArray("");
}

std::optional<QByteArray> Query::optionalBlob(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return blob(column);
}

// Database

void Database::Closer::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

void Database::Finalizer::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

Database::Database(sqlite3 *db)
    : m_db(db)
{
}

Database::Database(Database &&other) noexcept = default;

Database::~Database()
{
    // Finalise the statements while the connection still lives.
    m_statements.clear();
}

Database Database::open(const QString &path)
{
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw DatabaseError(message);
    }
    sqlite3_extended_result_codes(db, 1);
    return Database(db);
}

void Database::fail(const char *what) const
{
    Q_UNUSED(what)
    throw DatabaseError(errorMessage());
}

QString Database::errorMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db.get()));
}

void Database::execute(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : errorMessage();
        sqlite3_free(error);
        throw DatabaseError(message);
    }
}

Query Database::query(const char *sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v3(m_db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
            fail(sql);
        it = m_statements.emplace(sql, std::unique_ptr<sqlite3_stmt, Finalizer>(statement)).first;
    }
    return Query(*this, it->second.get());
}

qint64 Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db.get());
}

int Database::changes() const
{
    return sqlite3_changes(m_db.get());
}

bool Database::inTransaction() const
{
    return sqlite3_get_autocommit(m_db.get()) == 0;
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db.get(), milliseconds);
}

// Transaction

Transaction::Transaction(Database &database)
    : m_database(database)
{
    m_database.query("BEGIN IMMEDIATE").run();
}

Transaction::~Transaction()
{
    if (m_open && m_database.inTransaction()) {
        try {
            m_database.query("ROLLBACK").run();
        } catch (const DatabaseError &) {
            // SQLite rolls back by itself when the connection closes.
        }
    }
}

void Transaction::commit()
{
    m_database.query("COMMIT").run();
    m_open = false;
}
