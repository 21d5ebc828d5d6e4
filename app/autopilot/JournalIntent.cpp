#include "JournalIntent.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

#include <unistd.h>

namespace {

const QLatin1String kindNames[] = {QLatin1String("file"), QLatin1String("undo"), QLatin1String("trash")};

QByteArray readFirstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine().trimmed();
}

// The boot and the start time (clock ticks after boot) of a process; empty
// when it does not run.
QString processStamp(qint64 pid)
{
    const QByteArray stat = readFirstLine(QStringLiteral("/proc/%1/stat").arg(pid));
    // The command name in parentheses may hold blanks: fields count from its end.
    const qsizetype end = stat.lastIndexOf(')');
    if (end < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(end + 2).split(' ');
    if (fields.size() < 20)
        return {};
    return QString::fromLatin1(readFirstLine(QStringLiteral("/proc/sys/kernel/random/boot_id")) + '/' + fields.at(19));
}

} // namespace

JournalIntent JournalIntent::begin(Kind kind)
{
    JournalIntent intent;
    intent.kind = kind;
    // Read each time: a forked child is another process.
    intent.pid = ::getpid();
    intent.process = processStamp(intent.pid);
    return intent;
}

bool JournalIntent::ownerRuns() const
{
    return pid > 0 && !process.isEmpty() && processStamp(pid) == process;
}

QByteArray JournalIntent::toJsonData() const
{
    QJsonObject object{{QStringLiteral("kind"), kindNames[int(kind)]},
                       {QStringLiteral("pid"), double(pid)},
                       {QStringLiteral("process"), process}};
    if (!tagsBefore.isEmpty())
        object.insert(QStringLiteral("tagsBefore"), QJsonArray::fromStringList(tagsBefore));
    if (!target.isEmpty())
        object.insert(QStringLiteral("target"), target);
    if (arrived)
        object.insert(QStringLiteral("arrived"), double(arrived->toMSecsSinceEpoch()));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<JournalIntent> JournalIntent::fromJsonData(const QByteArray &data)
{
    const QJsonObject object = QJsonDocument::fromJson(data).object();
    JournalIntent intent;
    const QString kind = object.value(QStringLiteral("kind")).toString();
    const auto found = std::find(std::begin(kindNames), std::end(kindNames), kind);
    if (found == std::end(kindNames))
        return std::nullopt;
    intent.kind = Kind(found - std::begin(kindNames));
    // A process id is a whole number of at most 31 bits; anything else in
    // this field is a damaged row, never a value to convert.
    const QJsonValue pid = object.value(QStringLiteral("pid"));
    if (!pid.isDouble())
        return std::nullopt;
    const double number = pid.toDouble();
    if (!(number >= 0 && number <= double(std::numeric_limits<qint32>::max())) || std::trunc(number) != number)
        return std::nullopt;
    intent.pid = qint64(number);
    // The process is always written; the tags and the target only when they
    // are not empty. A field of another type is damage too: read as empty, a
    // process would make a running step look abandoned, and tags would make
    // an undo remove a tag the user had set.
    const QJsonValue process = object.value(QStringLiteral("process"));
    if (!process.isString())
        return std::nullopt;
    intent.process = process.toString();
    const QJsonValue tags = object.value(QStringLiteral("tagsBefore"));
    if (!tags.isUndefined()) {
        if (!tags.isArray())
            return std::nullopt;
        for (const QJsonValue &tag : tags.toArray()) {
            if (!tag.isString())
                return std::nullopt;
            intent.tagsBefore.append(tag.toString());
        }
    }
    const QJsonValue target = object.value(QStringLiteral("target"));
    if (!target.isUndefined() && !target.isString())
        return std::nullopt;
    intent.target = target.toString();
    // The arrival is written only when known. Another type is damage like
    // the fields above; a number that is no whole number of milliseconds
    // within QDateTime's range reads as unknown.
    const QJsonValue arrived = object.value(QStringLiteral("arrived"));
    if (!arrived.isUndefined() && !arrived.isDouble())
        return std::nullopt;
    if (arrived.isDouble()) {
        const double ms = arrived.toDouble();
        if (std::trunc(ms) == ms && std::abs(ms) < 1e17)
            intent.arrived = QDateTime::fromMSecsSinceEpoch(qint64(ms), Qt::UTC);
    }
    return intent;
}
