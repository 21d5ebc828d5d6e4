// The one local store: a SQLite file holding watched folders, rules, the
// journal and the recognition cache. Every change is written through at once
// in its own transaction, so every fetch sees it, nothing waits for a save,
// and a crash loses nothing that a change finished. Another process (a
// command-line action) may use the same file: writers wait for each other.
// One Store serves one thread; the application keeps it on the main thread.
#pragma once

#include "Database.h"
#include "Models.h"
#include "WalCheckpointer.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Store : public QObject
{
    Q_OBJECT

public:
    enum class Model { watchedFolder, storedRule, journalEntry, recognitionRecord };
    Q_ENUM(Model)
    enum class Change { inserted, updated, removed };
    Q_ENUM(Change)

    // The version of the tables this build writes; a store of an older
    // version is brought up to it when opened.
    static constexpr int schemaVersion = 3;
    // How long a change waits for another process that is writing.
    static constexpr int busyTimeoutMs = 10000;

    // True when APP_STORE names a test store.
    static bool isOverridden();
    // APP_STORE when it is set and not empty (relative to the current folder),
    // else Filewright.store in the folder Filewright under the user's data
    // folder, which is created when missing.
    static QString url();

    // Opens the store at path, creating it when missing and bringing its tables
    // up to date. Throws DatabaseError with SQLite's message when the file
    // cannot be opened, is no database, is damaged, is read-only or was made by
    // a newer version. A file that cannot be opened is never changed.
    static std::unique_ptr<Store> open(const QString &path, QObject *parent = nullptr);
    // Opens the store at url(); when it cannot be opened, the process ends
    // with the message of openFailureMessage() on standard error.
    static std::unique_ptr<Store> makeContainer(QObject *parent = nullptr);
    static QString openFailureMessage(const QString &path, const QString &error);

    ~Store() override;

    QString path() const { return m_path; }

    // Every change is already on disk; kept for the callers that save.
    void save() { }

    // Fetches. A fetch that fails is logged and gives an empty result.
    // Folders oldest first.
    QList<WatchedFolder> folders() const;
    std::optional<WatchedFolder> folder(const QUuid &uuid) const;
    // Rules in ascending order.
    QList<StoredRule> rules() const;
    // The first rule in order with that uuid.
    std::optional<StoredRule> rule(const QUuid &uuid) const;
    // Newest first; limit < 0: all.
    QList<JournalEntry> journal(int limit = -1) const;
    // Entries whose status() is status, newest first.
    QList<JournalEntry> journal(JournalEntry::Status status, int limit = -1) const;
    // One page of the journal in its order (newest first): the entries that
    // come after the entry at (date, id), or from the top without one; with a
    // status, only the entries whose status() it is. Pages follow each other
    // without gaps or repeats however long the journal is.
    struct JournalPosition
    {
        QDateTime date;
        qint64 id = 0;
    };
    QList<JournalEntry> journalPage(const std::optional<JournalEntry::Status> &status,
                                    const std::optional<JournalPosition> &after, int limit) const;
    // The entry stored under id.
    std::optional<JournalEntry> journalEntry(qint64 id) const;
    // How many entries were made at or after from.
    qint64 journalCount(const QDateTime &from) const;
    // How many entries have that status(), counted without reading them.
    qint64 journalCount(JournalEntry::Status status) const;
    // Whether an entry waits for review for the file at path with that identifier.
    bool waitsForReview(const QString &path, quint64 fileID) const;
    // Entries with status done whose trashDue is at or before now, oldest due first.
    QList<JournalEntry> journalDueForTrash(const QDateTime &now) const;
    // Entries whose step on disk was begun and not yet settled, oldest first.
    QList<JournalEntry> journalUnderWay() const;
    // Entries, of any status, whose filing record names folders the filing
    // made together with their identities; oldest first.
    QList<JournalEntry> journalWithMadeFolders() const;
    // Oldest first.
    QList<RecognitionRecord> recognitionRecords() const;
    QList<RecognitionRecord> recognitionRecords(const QString &contentHash) const;
    // Invoices and receipts whose recognised date lies in that month of the
    // UTC calendar, oldest date first; of equal dates the one read last first.
    QList<RecognitionRecord> receipts(int year, int month) const;
    // The latest recognised date of any invoice or receipt.
    std::optional<QDateTime> latestReceiptDate() const;
    qint64 count(Model model) const;

    // Changes. Each is written through at once; an insert gives the value its
    // id. A change that fails is logged and returns false; an update or removal
    // of a record that is not stored returns false.
    bool insert(WatchedFolder &folder);
    bool insert(StoredRule &rule);
    bool insert(JournalEntry &entry);
    bool insert(RecognitionRecord &record);
    bool update(const WatchedFolder &folder);
    bool update(const StoredRule &rule);
    bool update(const JournalEntry &entry);
    bool update(const RecognitionRecord &record);
    bool remove(const WatchedFolder &folder);
    bool remove(const StoredRule &rule);
    bool remove(const JournalEntry &entry);
    bool remove(const RecognitionRecord &record);

    // Runs work with its changes in one transaction: they are written
    // together when it returns, and none of them when it throws (the
    // exception goes on; values inserted in it keep ids that name nothing).
    // The change signals follow the commit.
    bool batch(const std::function<void()> &work);

    QString lastError() const { return m_lastError; }
    // Checkpoints of the write-ahead log run so far on the checkpoint thread.
    int checkpoints() const { return m_checkpointer ? m_checkpointer->completed() : 0; }

Q_SIGNALS:
    // After each change that reached the file.
    void changed(Store::Model model, qint64 id, Store::Change change);

private:
    Store(Database database, const QString &path, QObject *parent);
    void migrate();

    template<typename Write>
    bool write(Model model, Change change, Write &&work);
    bool removeRow(Model model, const char *sql, qint64 id);
    void failed(const char *what, const DatabaseError &error) const;
    // Runs a fetch; a database error is logged and gives the fallback.
    template<typename Result, typename Fetch>
    Result guarded(const char *what, Result fallback, Fetch &&fetch) const;

    mutable Database m_database;
    // Declared after the database: stopped before the connection closes.
    std::unique_ptr<WalCheckpointer> m_checkpointer;
    QString m_path;
    mutable QString m_lastError;
    int m_batchDepth = 0;
    struct Pending
    {
        Model model;
        qint64 id;
        Change change;
    };
    std::vector<Pending> m_pending;
};
