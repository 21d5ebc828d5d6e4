#include "RecognitionCache.h"

#include "Store.h"

#include <QCryptographicHash>
#include <QFile>

#include <array>

RecognitionCache::RecognitionCache(Store &store)
    : m_store(store)
{
}

std::optional<QString> RecognitionCache::hash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash digest(QCryptographicHash::Sha256);
    // A single read may return fewer bytes than asked for, so read on until
    // the bytes are all there or the file ends.
    std::array<char, 64 * 1024> buffer;
    qint64 remaining = hashedBytes;
    while (remaining > 0) {
        const qint64 got = file.read(buffer.data(), std::min<qint64>(remaining, qint64(buffer.size())));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        digest.addData(QByteArrayView(buffer.data(), got));
        remaining -= got;
    }
    digest.addData(QByteArray::number(file.size()));
    return QString::fromLatin1(digest.result().toHex());
}

std::optional<Recognition> RecognitionCache::lookUp(const QString &contentHash, const QString &path)
{
    const QList<RecognitionRecord> records = m_store.recognitionRecords(contentHash);
    if (records.isEmpty())
        return std::nullopt;
    RecognitionRecord record = records.first();
    if (record.path != path) {
        record.path = path;
        m_store.update(record);
    }
    return record.recognition();
}

Recognition RecognitionCache::remember(const QString &contentHash, const QString &fileID, const QString &path,
                                       const Recognition &recognition)
{
    // Two files of the same content read side by side both missed; the one
    // that ends second finds the first one's record and keeps no second.
    if (const std::optional<Recognition> kept = lookUp(contentHash, path))
        return *kept;
    RecognitionRecord record(fileID, contentHash, path, recognition);
    m_store.insert(record);
    return recognition;
}

void RecognitionCache::correct(const QString &path, const QString &fileID, const Recognition &approved)
{
    const std::optional<QString> contentHash = hash(path);
    if (!contentHash)
        return;
    QList<RecognitionRecord> records = m_store.recognitionRecords(*contentHash);
    if (records.isEmpty()) {
        RecognitionRecord record(fileID, *contentHash, path, approved);
        record.edited = true;
        m_store.insert(record);
        return;
    }
    for (RecognitionRecord &record : records) {
        Recognition reading = record.recognition();
        reading.kind = approved.kind;
        reading.sender = approved.sender;
        reading.date = approved.date;
        reading.amount = approved.amount;
        reading.currency = approved.currency;
        record.setRecognition(reading);
        record.edited = true;
        m_store.update(record);
    }
}

void RecognitionCache::follow(const QString &from, const QString &to)
{
    const std::optional<QString> contentHash = hash(to);
    if (!contentHash)
        return;
    const QList<RecognitionRecord> records = m_store.recognitionRecords(*contentHash);
    for (RecognitionRecord record : records) {
        if (record.path != from)
            continue;
        record.path = to;
        m_store.update(record);
    }
}
