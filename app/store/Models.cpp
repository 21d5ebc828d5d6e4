#include "Models.h"

#include "JsonCoding.h"

namespace {

// The last component of a path as a file URL sees it: trailing slashes do not
// count, and the root folder is called "/".
QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    if (end == 0)
        return path.isEmpty() ? QString() : QStringLiteral("/");
    const qsizetype start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return path.mid(start, end - start);
}

template<typename T>
std::optional<T> decodeOptional(const std::optional<QByteArray> &data)
{
    if (!data)
        return std::nullopt;
    try {
        return T::fromJsonData(*data);
    } catch (const JsonCoding::DecodeError &) {
        return std::nullopt;
    }
}

template<typename T>
std::optional<QByteArray> encodeOptional(const std::optional<T> &value)
{
    if (!value)
        return std::nullopt;
    try {
        return value->toJsonData();
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace

// WatchedFolder

WatchedFolder::WatchedFolder(const QString &path, const QByteArray &bookmark, bool isWatched)
    : bookmark(bookmark)
    , displayPath(path)
    , isWatched(isWatched)
{
}

QString WatchedFolder::name() const
{
    return lastPathComponent(displayPath);
}

// StoredRule

StoredRule::StoredRule(const Rule &rule, const std::optional<QUuid> &folderID, qint64 order)
    : uuid(rule.id)
    , order(order)
    , folderID(folderID)
{
    setRule(rule);
}

Rule StoredRule::rule() const
{
    try {
        return Rule::fromJsonData(payload);
    } catch (const JsonCoding::DecodeError &) {
        Rule substitute;
        substitute.id = uuid;
        substitute.name = QStringLiteral("Rule");
        substitute.isEnabled = true;
        return substitute;
    }
}

void StoredRule::setRule(const Rule &value)
{
    try {
        payload = value.toJsonData();
    } catch (const std::exception &) {
        payload = QByteArray("");
    }
}

// JournalEntry

QString JournalEntry::statusRawValue(Status status)
{
    switch (status) {
    case Status::done:
        return QStringLiteral("done");
    case Status::review:
        return QStringLiteral("review");
    case Status::undone:
        return QStringLiteral("undone");
    case Status::failed:
        return QStringLiteral("failed");
    case Status::trashed:
        return QStringLiteral("trashed");
    case Status::skipped:
        return QStringLiteral("skipped");
    }
    return QStringLiteral("done");
}

std::optional<JournalEntry::Status> JournalEntry::statusFromRawValue(QStringView raw)
{
    for (const Status status : allStatuses) {
        if (raw == statusRawValue(status))
            return status;
    }
    return std::nullopt;
}

JournalEntry::JournalEntry(const std::optional<QUuid> &ruleID, const QString &ruleName, const QString &originalPath,
                           const QString &newPath, Status status)
    : ruleID(ruleID)
    , ruleName(ruleName)
    , originalPath(originalPath)
    , newPath(newPath)
    , statusRaw(statusRawValue(status))
{
}

JournalEntry::Status JournalEntry::status() const
{
    return statusFromRawValue(statusRaw).value_or(Status::done);
}

QString JournalEntry::originalName() const
{
    return lastPathComponent(originalPath);
}

QString JournalEntry::fileName() const
{
    return lastPathComponent(newPath.isEmpty() ? originalPath : newPath);
}

std::optional<Recognition> JournalEntry::recognition() const
{
    return decodeOptional<Recognition>(recognitionData);
}

void JournalEntry::setRecognition(const std::optional<Recognition> &value)
{
    recognitionData = encodeOptional(value);
}

std::optional<Plan> JournalEntry::plan() const
{
    return decodeOptional<Plan>(planData);
}

void JournalEntry::setPlan(const std::optional<Plan> &value)
{
    planData = encodeOptional(value);
}

std::optional<Performed> JournalEntry::performed() const
{
    return decodeOptional<Performed>(performedData);
}

void JournalEntry::setPerformed(const std::optional<Performed> &value)
{
    performedData = encodeOptional(value);
}

// RecognitionRecord

RecognitionRecord::RecognitionRecord(const QString &fileID, const QString &contentHash, const QString &path,
                                     const Recognition &recognition)
    : fileID(fileID)
    , contentHash(contentHash)
    , path(path)
{
    setRecognition(recognition);
}

Recognition RecognitionRecord::recognition() const
{
    try {
        return Recognition::fromJsonData(payload);
    } catch (const JsonCoding::DecodeError &) {
        // A damaged payload reads as nothing recognised: another kind, no
        // confidence, by the patterns.
        Recognition substitute;
        substitute.readAt = QDateTime::currentDateTimeUtc();
        return substitute;
    }
}

void RecognitionRecord::setRecognition(const Recognition &value)
{
    try {
        payload = value.toJsonData();
    } catch (const std::exception &) {
        payload = QByteArray("");
    }
}
