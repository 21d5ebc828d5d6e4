#include "Store.h"

#include "JsonCoding.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <thread>

#include <sqlite3.h>

namespace {

// The journal entries whose filing record names folders the filing made
// (records that made none leave the key out): the condition of the index
// journalEntryWithMadeFolders, which serves only a query that asks it so.
#define MADE_FOLDERS "instr(performedData, CAST('\"madeFolders\"' AS BLOB)) > 0"

// Each step brings the tables from the version of its index to the next.
// Steps are only ever added at the end.
constexpr const char *migrations[] = {
    // 0 -> 1
    R"sql(
    CREATE TABLE watchedFolder (
        id INTEGER PRIMARY KEY,
        uuid TEXT NOT NULL,
        bookmark BLOB NOT NULL DEFAULT x'',
        displayPath TEXT NOT NULL DEFAULT '',
        isEnabled INTEGER NOT NULL DEFAULT 1,
        includeSubfolders INTEGER NOT NULL DEFAULT 0,
        isWatched INTEGER NOT NULL DEFAULT 1,
        needsReselect INTEGER NOT NULL DEFAULT 0,
        createdAt INTEGER NOT NULL
    );
    CREATE INDEX watchedFolderByCreation ON watchedFolder (createdAt);
    CREATE INDEX watchedFolderByUuid ON watchedFolder (uuid);

    CREATE TABLE storedRule (
        id INTEGER PRIMARY KEY,
        uuid TEXT NOT NULL,
        "order" INTEGER NOT NULL DEFAULT 0,
        folderID TEXT,
        payload BLOB NOT NULL DEFAULT x'',
        createdAt INTEGER NOT NULL
    );
    CREATE INDEX storedRuleByOrder ON storedRule ("order");
    CREATE INDEX storedRuleByUuid ON storedRule (uuid);

    CREATE TABLE journalEntry (
        id INTEGER PRIMARY KEY,
        uuid TEXT NOT NULL,
        date INTEGER NOT NULL,
        ruleID TEXT,
        ruleName TEXT NOT NULL DEFAULT '',
        originalPath TEXT NOT NULL DEFAULT '',
        newPath TEXT NOT NULL DEFAULT '',
        statusRaw TEXT NOT NULL DEFAULT 'done',
        message TEXT NOT NULL DEFAULT '',
        performedData BLOB,
        planData BLOB,
        recognitionData BLOB,
        trashDue INTEGER,
        fileID INTEGER
    );
    CREATE INDEX journalEntryByDate ON journalEntry (date);
    CREATE INDEX journalEntryByStatus ON journalEntry (statusRaw, date);
    CREATE INDEX journalEntryByTrashDue ON journalEntry (trashDue) WHERE trashDue IS NOT NULL;

    -- kind and documentDate repeat the payload's kind and date so that a
    -- month's receipts are found without reading every payload.
    CREATE TABLE recognitionRecord (
        id INTEGER PRIMARY KEY,
        fileID TEXT NOT NULL DEFAULT '',
        contentHash TEXT NOT NULL DEFAULT '',
        path TEXT NOT NULL DEFAULT '',
        payload BLOB NOT NULL DEFAULT x'',
        edited INTEGER NOT NULL DEFAULT 0,
        readAt INTEGER NOT NULL,
        kind TEXT NOT NULL DEFAULT 'other',
        documentDate INTEGER
    );
    CREATE INDEX recognitionRecordByHash ON recognitionRecord (contentHash);
    CREATE INDEX recognitionRecordByDocumentDate ON recognitionRecord (documentDate, kind)
        WHERE documentDate IS NOT NULL;
    )sql",
    // 1 -> 2: the step on disk an entry stands for while it is under way.
    R"sql(
    ALTER TABLE journalEntry ADD COLUMN intent BLOB;
    CREATE INDEX journalEntryByIntent ON journalEntry (id) WHERE intent IS NOT NULL;
    )sql",
    // 2 -> 3: the few filings that made folders, which every undo looks up,
    // found without reading the whole journal.
    "CREATE INDEX journalEntryWithMadeFolders ON journalEntry (id) WHERE " MADE_FOLDERS ";",
};
static_assert(std::size(migrations) == Store::schemaVersion);

// Times are whole milliseconds since 1970-01-01 UTC.
qint64 timeValue(const QDateTime &time)
{
    return time.toMSecsSinceEpoch();
}

QDateTime timeFrom(qint64 value)
{
    return QDateTime::fromMSecsSinceEpoch(value, Qt::UTC);
}

std::optional<qint64> timeValue(const std::optional<QDateTime> &time)
{
    if (!time)
        return std::nullopt;
    return time->toMSecsSinceEpoch();
}

std::optional<QDateTime> optionalTime(const Query &query, int column)
{
    if (query.isNull(column))
        return std::nullopt;
    return timeFrom(query.integer(column));
}

QString uuidValue(const QUuid &uuid)
{
    return JsonCoding::uuidText(uuid);
}

std::optional<QString> uuidValue(const std::optional<QUuid> &uuid)
{
    if (!uuid)
        return std::nullopt;
    return JsonCoding::uuidText(*uuid);
}

QUuid uuidFrom(const Query &query, int column)
{
    return QUuid::fromString(query.text(column));
}

std::optional<QUuid> optionalUuid(const Query &query, int column)
{
    if (query.isNull(column))
        return std::nullopt;
    return uuidFrom(query, column);
}

// File identifiers are unsigned 64-bit; SQLite keeps their bits as a signed integer.
std::optional<qint64> fileIDValue(const std::optional<quint64> &fileID)
{
    if (!fileID)
        return std::nullopt;
    return static_cast<qint64>(*fileID);
}

std::optional<quint64> optionalFileID(const Query &query, int column)
{
    if (query.isNull(column))
        return std::nullopt;
    return static_cast<quint64>(query.integer(column));
}

// Reading whole rows. The column lists of the SELECTs below follow these.

#define FOLDER_COLUMNS "id, uuid, bookmark, displayPath, isEnabled, includeSubfolders, isWatched, needsReselect, createdAt"

WatchedFolder readFolder(const Query &q)
{
    WatchedFolder folder{FromStore()};
    folder.id = q.integer(0);
    folder.uuid = uuidFrom(q, 1);
    folder.bookmark = q.blob(2);
    folder.displayPath = q.text(3);
    folder.isEnabled = q.integer(4) != 0;
    folder.includeSubfolders = q.integer(5) != 0;
    folder.isWatched = q.integer(6) != 0;
    folder.needsReselect = q.integer(7) != 0;
    folder.createdAt = timeFrom(q.integer(8));
    return folder;
}

#define RULE_COLUMNS "id, uuid, \"order\", folderID, payload, createdAt"

StoredRule readRule(const Query &q)
{
    StoredRule rule{FromStore()};
    rule.id = q.integer(0);
    rule.uuid = uuidFrom(q, 1);
    rule.order = q.integer(2);
    rule.folderID = optionalUuid(q, 3);
    rule.payload = q.blob(4);
    rule.createdAt = timeFrom(q.integer(5));
    return rule;
}

#define JOURNAL_COLUMNS                                                                                          \
    "id, uuid, date, ruleID, ruleName, originalPath, newPath, statusRaw, message, performedData, planData, "    \
    "recognitionData, trashDue, fileID, intent"

JournalEntry readEntry(const Query &q)
{
    JournalEntry entry{FromStore()};
    entry.id = q.integer(0);
    entry.uuid = uuidFrom(q, 1);
    entry.date = timeFrom(q.integer(2));
    entry.ruleID = optionalUuid(q, 3);
    entry.ruleName = q.text(4);
    entry.originalPath = q.text(5);
    entry.newPath = q.text(6);
    entry.statusRaw = q.text(7);
    entry.message = q.text(8);
    entry.performedData = q.optionalBlob(9);
    entry.planData = q.optionalBlob(10);
    entry.recognitionData = q.optionalBlob(11);
    entry.trashDue = optionalTime(q, 12);
    entry.fileID = optionalFileID(q, 13);
    entry.intentData = q.optionalBlob(14);
    return entry;
}

#define RECORD_COLUMNS "id, fileID, contentHash, path, payload, edited, readAt"

RecognitionRecord readRecord(const Query &q)
{
    RecognitionRecord record{FromStore()};
    record.id = q.integer(0);
    record.fileID = q.text(1);
    record.contentHash = q.text(2);
    record.path = q.text(3);
    record.payload = q.blob(4);
    record.edited = q.integer(5) != 0;
    record.readAt = timeFrom(q.integer(6));
    return record;
}

// The kind and date columns of a record, taken from its payload as the
// recognition accessor reads it: an unreadable payload is of kind other
// and has no date.
struct RecordIndex
{
    QString kind;
    std::optional<qint64> documentDate;
};

RecordIndex indexOf(const RecognitionRecord &record)
{
    try {
        const Recognition recognition = Recognition::fromJsonData(record.payload);
        return {DocumentKinds::rawValue(recognition.kind), timeValue(recognition.date)};
    } catch (const JsonCoding::DecodeError &) {
        return {DocumentKinds::rawValue(DocumentKind::other), std::nullopt};
    }
}

qint64 tableCount(Database &database)
{
    Query query = database.query("SELECT count(*) FROM sqlite_master");
    return query.next() ? query.integer(0) : 0;
}

QString newerVersionMessage(int version)
{
    return QStringLiteral("the store was written by a newer version of Filewright (version %1)").arg(version);
}

QString foreignDatabaseMessage()
{
    return QStringLiteral("the file is a database of another program");
}

// Switching a new store to WAL needs the file to itself for a moment: when
// another process opens the same new store at that moment, the switch fails
// at once (locked, or an I/O error while the other side sets up the log)
// rather than waiting. Tried again until the busy timeout has passed.
void enableWriteAheadLog(Database &database)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        try {
            Query query = database.query("PRAGMA journal_mode");
            if (query.next() && query.text(0) == u"wal")
                return;
        } catch (const DatabaseError &) {
        }
        try {
            database.execute("PRAGMA journal_mode = WAL");
            return;
        } catch (const DatabaseError &) {
            if (clock.elapsed() > Store::busyTimeoutMs)
                throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

template<typename T, typename Read>
QList<T> collect(Query &query, Read read)
{
    QList<T> result;
    while (query.next())
        result.append(read(query));
    return result;
}

// The columns each model writes, bound in the order its INSERT and UPDATE
// statements name them; returns the number bound, so that an UPDATE binds
// the row's id after them.
int bindColumns(Query &q, const WatchedFolder &folder)
{
    q.bind(1, uuidValue(folder.uuid))
        .bind(2, folder.bookmark)
        .bind(3, folder.displayPath)
        .bind(4, folder.isEnabled)
        .bind(5, folder.includeSubfolders)
        .bind(6, folder.isWatched)
        .bind(7, folder.needsReselect)
        .bind(8, timeValue(folder.createdAt));
    return 8;
}

int bindColumns(Query &q, const StoredRule &rule)
{
    q.bind(1, uuidValue(rule.uuid))
        .bind(2, rule.order)
        .bind(3, uuidValue(rule.folderID))
        .bind(4, rule.payload)
        .bind(5, timeValue(rule.createdAt));
    return 5;
}

int bindColumns(Query &q, const JournalEntry &entry)
{
    q.bind(1, uuidValue(entry.uuid))
        .bind(2, timeValue(entry.date))
        .bind(3, uuidValue(entry.ruleID))
        .bind(4, entry.ruleName)
        .bind(5, entry.originalPath)
        .bind(6, entry.newPath)
        .bind(7, entry.statusRaw)
        .bind(8, entry.message)
        .bind(9, entry.performedData)
        .bind(10, entry.planData)
        .bind(11, entry.recognitionData)
        .bind(12, timeValue(entry.trashDue))
        .bind(13, fileIDValue(entry.fileID))
        .bind(14, entry.intentData);
    return 14;
}

int bindColumns(Query &q, const RecognitionRecord &record)
{
    // Kind and document date are kept in columns of their own for the month's receipts.
    const RecordIndex index = indexOf(record);
    q.bind(1, record.fileID)
        .bind(2, record.contentHash)
        .bind(3, record.path)
        .bind(4, record.payload)
        .bind(5, record.edited)
        .bind(6, timeValue(record.readAt))
        .bind(7, index.kind)
        .bind(8, index.documentDate);
    return 8;
}

} // namespace

// Opening

bool Store::isOverridden()
{
    return !qEnvironmentVariable("APP_STORE").isEmpty();
}

QString Store::url()
{
    const QString overridden = qEnvironmentVariable("APP_STORE");
    if (!overridden.isEmpty())
        return QFileInfo(overridden).absoluteFilePath();
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Filewright");
    // A folder that cannot be made shows up as a store that cannot be opened.
    QDir().mkpath(folder);
    return folder + QStringLiteral("/Filewright.store");
}

QString Store::openFailureMessage(const QString &path, const QString &error)
{
    return QStringLiteral("Could not open the database at ") + path + QStringLiteral(": ") + error;
}

std::unique_ptr<Store> Store::open(const QString &path, QObject *parent)
{
    Database database = Database::open(path);
    database.setBusyTimeout(busyTimeoutMs);
    // Reading before anything is written: a file that is no database or
    // whose table of tables is damaged fails here, and a database of another
    // program is never filled with our tables. Version and tables are read in
    // one statement, so that another process making the tables meanwhile is
    // seen in both or in neither.
    int version = 0;
    qint64 tables = 0;
    {
        Query query = database.query("SELECT (SELECT user_version FROM pragma_user_version), "
                                     "(SELECT count(*) FROM sqlite_master)");
        if (query.next()) {
            version = int(query.integer(0));
            tables = query.integer(1);
        }
    }
    if (sqlite3_db_readonly(database.handle(), "main") == 1)
        throw DatabaseError(QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY)));
    if (version > schemaVersion)
        throw DatabaseError(newerVersionMessage(version));
    if (version == 0 && tables > 0)
        throw DatabaseError(foreignDatabaseMessage());
    enableWriteAheadLog(database);
    // In WAL mode a commit is in the file once it returns; NORMAL leaves out
    // the wait for the disk on each commit, and a crash of the process still
    // loses nothing committed.
    database.execute("PRAGMA synchronous = NORMAL");
    // Long journals are read through memory mapping, and more of them is kept
    // in the page cache than SQLite's default 2 MB.
    database.execute("PRAGMA mmap_size = 268435456");
    database.execute("PRAGMA cache_size = -16384");
    std::unique_ptr<Store> store(new Store(std::move(database), path, parent));
    store->migrate();
    return store;
}

std::unique_ptr<Store> Store::makeContainer(QObject *parent)
{
    try {
        return open(url(), parent);
    } catch (const DatabaseError &error) {
        const QByteArray line = openFailureMessage(url(), error.message()).toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        std::exit(EXIT_FAILURE);
    }
}

Store::Store(Database database, const QString &path, QObject *parent)
    : QObject(parent)
    , m_database(std::move(database))
    , m_checkpointer(std::make_unique<WalCheckpointer>(path, m_database.handle()))
    , m_path(path)
{
}

Store::~Store() = default;

void Store::migrate()
{
    auto currentVersion = [this] {
        Query query = m_database.query("PRAGMA user_version");
        return query.next() ? int(query.integer(0)) : 0;
    };
    if (currentVersion() == schemaVersion)
        return;
    // Another process may be migrating the same file: the write lock makes
    // one of them wait, and it then finds the work done.
    Transaction transaction(m_database);
    int version = currentVersion();
    if (version > schemaVersion)
        throw DatabaseError(newerVersionMessage(version));
    if (version == 0 && tableCount(m_database) > 0)
        throw DatabaseError(foreignDatabaseMessage());
    for (; version < schemaVersion; ++version)
        m_database.execute(migrations[version]);
    m_database.execute(QByteArrayLiteral("PRAGMA user_version = ").append(QByteArray::number(schemaVersion)).constData());
    transaction.commit();
}

template<typename Result, typename Fetch>
Result Store::guarded(const char *what, Result fallback, Fetch &&fetch) const
{
    try {
        return fetch();
    } catch (const DatabaseError &error) {
        failed(what, error);
        return fallback;
    }
}

void Store::failed(const char *what, const DatabaseError &error) const
{
    m_lastError = error.message();
    qWarning("Store: %s failed: %s", what, qUtf8Printable(m_lastError));
}

// Changes

template<typename Write>
bool Store::write(Model model, Change change, Write &&work)
{
    try {
        if (m_batchDepth > 0) {
            const qint64 id = work();
            if (id == 0)
                return false;
            m_pending.push_back({model, id, change});
            return true;
        }
        Transaction transaction(m_database);
        const qint64 id = work();
        if (id == 0)
            return false;
        transaction.commit();
        Q_EMIT changed(model, id, change);
        return true;
    } catch (const DatabaseError &error) {
        failed("writing", error);
        return false;
    }
}

bool Store::batch(const std::function<void()> &work)
{
    if (m_batchDepth > 0) {
        work();
        return true;
    }
    std::vector<Pending> pending;
    try {
        Transaction transaction(m_database);
        ++m_batchDepth;
        try {
            work();
        } catch (...) {
            --m_batchDepth;
            m_pending.clear();
            throw;
        }
        --m_batchDepth;
        transaction.commit();
        pending.swap(m_pending);
    } catch (const DatabaseError &error) {
        m_pending.clear();
        failed("a batch of changes", error);
        return false;
    }
    for (const Pending &change : pending)
        Q_EMIT changed(change.model, change.id, change.change);
    return true;
}

bool Store::insert(WatchedFolder &folder)
{
    return write(Model::watchedFolder, Change::inserted, [&] {
        Query q = m_database.query("INSERT INTO watchedFolder (uuid, bookmark, displayPath, isEnabled, "
                                   "includeSubfolders, isWatched, needsReselect, createdAt) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        bindColumns(q, folder);
        q.run();
        folder.id = m_database.lastInsertId();
        return folder.id;
    });
}

bool Store::update(const WatchedFolder &folder)
{
    return write(Model::watchedFolder, Change::updated, [&]() -> qint64 {
        Query q = m_database.query("UPDATE watchedFolder SET uuid = ?, bookmark = ?, displayPath = ?, isEnabled = ?, "
                                   "includeSubfolders = ?, isWatched = ?, needsReselect = ?, createdAt = ? "
                                   "WHERE id = ?");
        q.bind(bindColumns(q, folder) + 1, folder.id).run();
        return m_database.changes() > 0 ? folder.id : 0;
    });
}

bool Store::insert(StoredRule &rule)
{
    return write(Model::storedRule, Change::inserted, [&] {
        Query q = m_database.query(
            "INSERT INTO storedRule (uuid, \"order\", folderID, payload, createdAt) VALUES (?, ?, ?, ?, ?)");
        bindColumns(q, rule);
        q.run();
        rule.id = m_database.lastInsertId();
        return rule.id;
    });
}

bool Store::update(const StoredRule &rule)
{
    return write(Model::storedRule, Change::updated, [&]() -> qint64 {
        Query q = m_database.query("UPDATE storedRule SET uuid = ?, \"order\" = ?, folderID = ?, payload = ?, "
                                   "createdAt = ? WHERE id = ?");
        q.bind(bindColumns(q, rule) + 1, rule.id).run();
        return m_database.changes() > 0 ? rule.id : 0;
    });
}

bool Store::insert(JournalEntry &entry)
{
    return write(Model::journalEntry, Change::inserted, [&] {
        Query q = m_database.query("INSERT INTO journalEntry (uuid, date, ruleID, ruleName, originalPath, newPath, "
                                   "statusRaw, message, performedData, planData, recognitionData, trashDue, fileID, intent) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        bindColumns(q, entry);
        q.run();
        entry.id = m_database.lastInsertId();
        return entry.id;
    });
}

bool Store::update(const JournalEntry &entry)
{
    return write(Model::journalEntry, Change::updated, [&]() -> qint64 {
        Query q = m_database.query("UPDATE journalEntry SET uuid = ?, date = ?, ruleID = ?, ruleName = ?, "
                                   "originalPath = ?, newPath = ?, statusRaw = ?, message = ?, performedData = ?, "
                                   "planData = ?, recognitionData = ?, trashDue = ?, fileID = ?, intent = ? WHERE id = ?");
        q.bind(bindColumns(q, entry) + 1, entry.id).run();
        return m_database.changes() > 0 ? entry.id : 0;
    });
}

bool Store::insert(RecognitionRecord &record)
{
    return write(Model::recognitionRecord, Change::inserted, [&] {
        Query q = m_database.query("INSERT INTO recognitionRecord (fileID, contentHash, path, payload, edited, "
                                   "readAt, kind, documentDate) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        bindColumns(q, record);
        q.run();
        record.id = m_database.lastInsertId();
        return record.id;
    });
}

bool Store::update(const RecognitionRecord &record)
{
    return write(Model::recognitionRecord, Change::updated, [&]() -> qint64 {
        Query q = m_database.query("UPDATE recognitionRecord SET fileID = ?, contentHash = ?, path = ?, payload = ?, "
                                   "edited = ?, readAt = ?, kind = ?, documentDate = ? WHERE id = ?");
        q.bind(bindColumns(q, record) + 1, record.id).run();
        return m_database.changes() > 0 ? record.id : 0;
    });
}

bool Store::removeRow(Model model, const char *sql, qint64 id)
{
    return write(model, Change::removed, [&]() -> qint64 {
        m_database.query(sql).bind(1, id).run();
        return m_database.changes() > 0 ? id : 0;
    });
}

bool Store::remove(const WatchedFolder &folder)
{
    return removeRow(Model::watchedFolder, "DELETE FROM watchedFolder WHERE id = ?", folder.id);
}

bool Store::remove(const StoredRule &rule)
{
    return removeRow(Model::storedRule, "DELETE FROM storedRule WHERE id = ?", rule.id);
}

bool Store::remove(const JournalEntry &entry)
{
    return removeRow(Model::journalEntry, "DELETE FROM journalEntry WHERE id = ?", entry.id);
}

bool Store::remove(const RecognitionRecord &record)
{
    return removeRow(Model::recognitionRecord, "DELETE FROM recognitionRecord WHERE id = ?", record.id);
}

// Fetches

QList<WatchedFolder> Store::folders() const
{
    return guarded<QList<WatchedFolder>>("fetching folders", {}, [&]() -> QList<WatchedFolder> {
        Query q = m_database.query("SELECT " FOLDER_COLUMNS " FROM watchedFolder ORDER BY createdAt, id");
        return collect<WatchedFolder>(q, readFolder);
    });
}

std::optional<WatchedFolder> Store::folder(const QUuid &uuid) const
{
    return guarded<std::optional<WatchedFolder>>("fetching a folder", std::nullopt, [&]() -> std::optional<WatchedFolder> {
        Query q = m_database.query("SELECT " FOLDER_COLUMNS " FROM watchedFolder WHERE uuid = ? "
                                   "ORDER BY createdAt, id LIMIT 1");
        q.bind(1, uuidValue(uuid));
        if (q.next())
            return readFolder(q);
        return std::nullopt;
    });
}

QList<StoredRule> Store::rules() const
{
    return guarded<QList<StoredRule>>("fetching rules", {}, [&]() -> QList<StoredRule> {
        Query q = m_database.query("SELECT " RULE_COLUMNS " FROM storedRule ORDER BY \"order\", id");
        return collect<StoredRule>(q, readRule);
    });
}

std::optional<StoredRule> Store::rule(const QUuid &uuid) const
{
    return guarded<std::optional<StoredRule>>("fetching a rule", std::nullopt, [&]() -> std::optional<StoredRule> {
        Query q = m_database.query("SELECT " RULE_COLUMNS " FROM storedRule WHERE uuid = ? "
                                   "ORDER BY \"order\", id LIMIT 1");
        q.bind(1, uuidValue(uuid));
        if (q.next())
            return readRule(q);
        return std::nullopt;
    });
}

QList<JournalEntry> Store::journal(int limit) const
{
    return guarded<QList<JournalEntry>>("fetching the journal", {}, [&]() -> QList<JournalEntry> {
        Query q = m_database.query("SELECT " JOURNAL_COLUMNS " FROM journalEntry ORDER BY date DESC, id DESC LIMIT ?");
        q.bind(1, limit);
        return collect<JournalEntry>(q, readEntry);
    });
}

QList<JournalEntry> Store::journal(JournalEntry::Status status, int limit) const
{
    return guarded<QList<JournalEntry>>("fetching the journal", {}, [&]() -> QList<JournalEntry> {
        if (status == JournalEntry::Status::done) {
            // A text that names no status reads as done.
            Query q = m_database.query(
                "SELECT " JOURNAL_COLUMNS " FROM journalEntry "
                "WHERE statusRaw NOT IN ('review', 'undone', 'failed', 'trashed', 'skipped') "
                "ORDER BY date DESC, id DESC LIMIT ?");
            q.bind(1, limit);
            return collect<JournalEntry>(q, readEntry);
        }
        Query q = m_database.query("SELECT " JOURNAL_COLUMNS " FROM journalEntry WHERE statusRaw = ? "
                                   "ORDER BY date DESC, id DESC LIMIT ?");
        q.bind(1, JournalEntry::statusRawValue(status)).bind(2, limit);
        return collect<JournalEntry>(q, readEntry);
    });
}

QList<JournalEntry> Store::journalPage(const std::optional<JournalEntry::Status> &status,
                                      const std::optional<JournalPosition> &after, int limit) const
{
#define JOURNAL_PAGE(FILTER)                                                                                     \
    {"SELECT " JOURNAL_COLUMNS " FROM journalEntry WHERE " FILTER " ORDER BY date DESC, id DESC LIMIT ?",           \
     "SELECT " JOURNAL_COLUMNS " FROM journalEntry WHERE " FILTER " AND (date, id) < (?, ?) "                      \
     "ORDER BY date DESC, id DESC LIMIT ?"}
    // Prepared statements are cached by their literal: one pair per filter,
    // from the top and after a position. A text that names no status reads as done.
    static constexpr const char *every[2] = JOURNAL_PAGE("1");
    static constexpr const char *done[2] =
        JOURNAL_PAGE("statusRaw NOT IN ('review', 'undone', 'failed', 'trashed', 'skipped')");
    static constexpr const char *named[2] = JOURNAL_PAGE("statusRaw = ?");
#undef JOURNAL_PAGE
    return guarded<QList<JournalEntry>>("fetching a page of the journal", {}, [&]() -> QList<JournalEntry> {
        const bool byName = status && status != JournalEntry::Status::done;
        const char *const *sql = !status ? every : byName ? named : done;
        Query q = m_database.query(sql[after ? 1 : 0]);
        int index = 0;
        if (byName)
            q.bind(++index, JournalEntry::statusRawValue(*status));
        if (after) {
            q.bind(index + 1, timeValue(after->date)).bind(index + 2, after->id);
            index += 2;
        }
        q.bind(index + 1, limit);
        return collect<JournalEntry>(q, readEntry);
    });
}

std::optional<JournalEntry> Store::journalEntry(qint64 id) const
{
    return guarded<std::optional<JournalEntry>>("fetching a journal entry", std::nullopt, [&]() -> std::optional<JournalEntry> {
        Query q = m_database.query("SELECT " JOURNAL_COLUMNS " FROM journalEntry WHERE id = ?");
        q.bind(1, id);
        if (q.next())
            return readEntry(q);
        return std::nullopt;
    });
}

qint64 Store::journalCount(const QDateTime &from) const
{
    return guarded<qint64>("counting journal entries", 0, [&]() -> qint64 {
        Query q = m_database.query("SELECT count(*) FROM journalEntry WHERE date >= ?");
        q.bind(1, timeValue(from));
        return q.next() ? q.integer(0) : 0;
    });
}

qint64 Store::journalCount(JournalEntry::Status status) const
{
    return guarded<qint64>("counting journal entries", 0, [&]() -> qint64 {
        if (status == JournalEntry::Status::done) {
            // A text that names no status reads as done.
            Query q = m_database.query("SELECT count(*) FROM journalEntry "
                                       "WHERE statusRaw NOT IN ('review', 'undone', 'failed', 'trashed', 'skipped')");
            return q.next() ? q.integer(0) : 0;
        }
        Query q = m_database.query("SELECT count(*) FROM journalEntry WHERE statusRaw = ?");
        q.bind(1, JournalEntry::statusRawValue(status));
        return q.next() ? q.integer(0) : 0;
    });
}

bool Store::waitsForReview(const QString &path, quint64 fileID) const
{
    return guarded<bool>("looking for an entry waiting for review", false, [&]() -> bool {
        Query q = m_database.query("SELECT 1 FROM journalEntry WHERE statusRaw = 'review' "
                                   "AND originalPath = ? AND fileID = ? LIMIT 1");
        q.bind(1, path);
        q.bind(2, *fileIDValue(fileID));
        return q.next();
    });
}

QList<JournalEntry> Store::journalDueForTrash(const QDateTime &now) const
{
    return guarded<QList<JournalEntry>>("fetching entries due for the Trash", {}, [&]() -> QList<JournalEntry> {
        Query q = m_database.query("SELECT " JOURNAL_COLUMNS " FROM journalEntry "
                                   "WHERE trashDue IS NOT NULL AND trashDue <= ? "
                                   "AND statusRaw NOT IN ('review', 'undone', 'failed', 'trashed', 'skipped') "
                                   "ORDER BY trashDue, id");
        q.bind(1, timeValue(now));
        return collect<JournalEntry>(q, readEntry);
    });
}

QList<JournalEntry> Store::journalUnderWay() const
{
    return guarded<QList<JournalEntry>>("fetching unfinished steps", {}, [&]() -> QList<JournalEntry> {
        Query q = m_database.query("SELECT " JOURNAL_COLUMNS " FROM journalEntry WHERE intent IS NOT NULL ORDER BY id");
        return collect<JournalEntry>(q, readEntry);
    });
}

QList<JournalEntry> Store::journalWithMadeFolders() const
{
    return guarded<QList<JournalEntry>>("fetching entries that made folders", {}, [&]() -> QList<JournalEntry> {
        Query q = m_database.query("SELECT " JOURNAL_COLUMNS " FROM journalEntry WHERE " MADE_FOLDERS " ORDER BY id");
        return collect<JournalEntry>(q, readEntry);
    });
}

QList<RecognitionRecord> Store::recognitionRecords() const
{
    return guarded<QList<RecognitionRecord>>("fetching recognitions", {}, [&]() -> QList<RecognitionRecord> {
        Query q = m_database.query("SELECT " RECORD_COLUMNS " FROM recognitionRecord ORDER BY id");
        return collect<RecognitionRecord>(q, readRecord);
    });
}

QList<RecognitionRecord> Store::recognitionRecords(const QString &contentHash) const
{
    return guarded<QList<RecognitionRecord>>("fetching recognitions", {}, [&]() -> QList<RecognitionRecord> {
        Query q = m_database.query("SELECT " RECORD_COLUMNS " FROM recognitionRecord WHERE contentHash = ? ORDER BY id");
        q.bind(1, contentHash);
        return collect<RecognitionRecord>(q, readRecord);
    });
}

QList<RecognitionRecord> Store::receipts(int year, int month) const
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    const qint64 from = timeValue(QDateTime(first, QTime(0, 0), Qt::UTC));
    const qint64 to = timeValue(QDateTime(first.addMonths(1), QTime(0, 0), Qt::UTC));
    return guarded<QList<RecognitionRecord>>("fetching receipts", {}, [&]() -> QList<RecognitionRecord> {
        Query q = m_database.query("SELECT " RECORD_COLUMNS " FROM recognitionRecord "
                                   "WHERE documentDate >= ? AND documentDate < ? AND kind IN ('invoice', 'receipt') "
                                   "ORDER BY documentDate, readAt DESC, id DESC");
        q.bind(1, from).bind(2, to);
        return collect<RecognitionRecord>(q, readRecord);
    });
}

std::optional<QDateTime> Store::latestReceiptDate() const
{
    return guarded<std::optional<QDateTime>>("fetching receipts", std::nullopt, [&]() -> std::optional<QDateTime> {
        Query q = m_database.query("SELECT MAX(documentDate) FROM recognitionRecord "
                                   "WHERE documentDate IS NOT NULL AND kind IN ('invoice', 'receipt')");
        if (!q.next() || q.isNull(0))
            return std::nullopt;
        return timeFrom(q.integer(0));
    });
}

qint64 Store::count(Model model) const
{
    return guarded<qint64>("counting", 0, [&]() -> qint64 {
        const char *sql = nullptr;
        switch (model) {
        case Model::watchedFolder:
            sql = "SELECT count(*) FROM watchedFolder";
            break;
        case Model::storedRule:
            sql = "SELECT count(*) FROM storedRule";
            break;
        case Model::journalEntry:
            sql = "SELECT count(*) FROM journalEntry";
            break;
        case Model::recognitionRecord:
            sql = "SELECT count(*) FROM recognitionRecord";
            break;
        }
        Query q = m_database.query(sql);
        return q.next() ? q.integer(0) : 0;
    });
}
