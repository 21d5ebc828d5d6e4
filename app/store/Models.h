// The four records that the store keeps: watched folders and places, rules,
// the journal and the recognition cache. Each is a plain value; the store
// reads and writes them whole (Store.h). The engine's values live inside
// them as JSON, read and written through the accessors below, which never
// fail: unreadable bytes turn into fixed substitutes.
#pragma once

#include "FileOperations.h"
#include "Plan.h"
#include "Recognition.h"
#include "Rule.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <array>
#include <optional>

// Selects the constructor that leaves a record blank for the store to fill
// from a stored row, without making a fresh uuid and time first.
struct FromStore
{
};

// A folder that Filewright watches, or a place that rules may only file into.
struct WatchedFolder
{
    // The record's identity in the store; 0 until it is inserted. Two values
    // that stand for the same stored record share it; the uuid plays no part.
    qint64 id = 0;
    QUuid uuid = QUuid::createUuid();
    QByteArray bookmark;
    QString displayPath;
    bool isEnabled = true;
    bool includeSubfolders = false;
    bool isWatched = true;
    bool needsReselect = false;
    QDateTime createdAt = QDateTime::currentDateTimeUtc();

    WatchedFolder() = default;
    explicit WatchedFolder(FromStore) : uuid(), createdAt() { }
    // path is the folder's absolute path.
    WatchedFolder(const QString &path, const QByteArray &bookmark, bool isWatched);

    // The folder's own name; "/" for the root folder.
    QString name() const;

    friend bool operator==(const WatchedFolder &, const WatchedFolder &) = default;
};

// One rule of the user, held as JSON, with its place in the list of rules and
// the folder it belongs to.
struct StoredRule
{
    qint64 id = 0;
    // The id of the rule it holds; writing another rule leaves it alone.
    QUuid uuid = QUuid::createUuid();
    // Rules are listed and tried in ascending order.
    qint64 order = 0;
    // The folder's uuid; none: the rule belongs to no folder.
    std::optional<QUuid> folderID;
    QByteArray payload;
    QDateTime createdAt = QDateTime::currentDateTimeUtc();

    StoredRule() = default;
    explicit StoredRule(FromStore) : uuid(), createdAt() { }
    // uuid becomes the rule's id.
    StoredRule(const Rule &rule, const std::optional<QUuid> &folderID, qint64 order);

    // A payload that cannot be read gives a rule named "Rule" without
    // conditions or actions that keeps this record's uuid as its id, so that
    // saving it again replaces the broken payload.
    Rule rule() const;
    // Writes only the payload; uuid stays.
    void setRule(const Rule &value);

    friend bool operator==(const StoredRule &, const StoredRule &) = default;
};

// One step of the journal: a filing, a file waiting for review, an undo, a
// failure, a trip to the Trash or a skip.
struct JournalEntry
{
    enum class Status { done, review, undone, failed, trashed, skipped };
    static constexpr std::array<Status, 6> allStatuses{Status::done,   Status::review,  Status::undone,
                                                       Status::failed, Status::trashed, Status::skipped};
    static QString statusRawValue(Status status);
    // The status named exactly by raw (no case folding), or none.
    static std::optional<Status> statusFromRawValue(QStringView raw);

    qint64 id = 0;
    QUuid uuid = QUuid::createUuid();
    QDateTime date = QDateTime::currentDateTimeUtc();
    std::optional<QUuid> ruleID;
    QString ruleName;
    QString originalPath;
    QString newPath;
    QString statusRaw = QStringLiteral("done");
    QString message;
    std::optional<QByteArray> performedData;
    std::optional<QByteArray> planData;
    std::optional<QByteArray> recognitionData;
    std::optional<QDateTime> trashDue;
    // The file-system identifier of the filed file, where it is known.
    std::optional<quint64> fileID;
    // While a step on disk (filing, undo, the Trash) is under way: what it
    // is and who does it (JournalIntent), so that a step cut short by a
    // crash is settled at the next start. Absent otherwise.
    std::optional<QByteArray> intentData;

    JournalEntry() = default;
    explicit JournalEntry(FromStore) : uuid(), date() { }
    JournalEntry(const std::optional<QUuid> &ruleID, const QString &ruleName, const QString &originalPath,
                 const QString &newPath, Status status);

    // The status that statusRaw names; done for any text that names none.
    Status status() const;
    QString originalName() const;
    // The name at newPath, or at originalPath while newPath is empty.
    QString fileName() const;

    // None when the data is absent or cannot be read; writing none, or a value
    // that cannot be written, leaves the data absent.
    std::optional<Recognition> recognition() const;
    void setRecognition(const std::optional<Recognition> &value);
    // The plan, kept while the entry waits for review.
    std::optional<Plan> plan() const;
    void setPlan(const std::optional<Plan> &value);
    // What was done, kept for undo.
    std::optional<Performed> performed() const;
    void setPerformed(const std::optional<Performed> &value);

    friend bool operator==(const JournalEntry &, const JournalEntry &) = default;
};

// One recognised document content: the recognition cache.
struct RecognitionRecord
{
    qint64 id = 0;
    // The file's file-system identifier in decimal, or empty when unknown.
    QString fileID;
    QString contentHash;
    QString path;
    QByteArray payload;
    bool edited = false;
    QDateTime readAt = QDateTime::currentDateTimeUtc();

    RecognitionRecord() = default;
    explicit RecognitionRecord(FromStore) : readAt() { }
    // readAt is the time the record is made, not the recognition's own.
    RecognitionRecord(const QString &fileID, const QString &contentHash, const QString &path,
                      const Recognition &recognition);

    // A payload that cannot be read gives a recognition of kind other with
    // confidence 0, read now, so that it never counts as a receipt.
    Recognition recognition() const;
    // Leaves edited and readAt alone.
    void setRecognition(const Recognition &value);

    friend bool operator==(const RecognitionRecord &, const RecognitionRecord &) = default;
};
