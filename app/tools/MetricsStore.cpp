#include "MetricsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

namespace MetricsStore {

namespace {

QString day(const QDateTime &end)
{
    return end.toUTC().date().toString(Qt::ISODate);
}

// The file's lines, or none when it cannot be read as UTF-8 text.
QStringList readLines()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return {};
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Filewright/diagnostics.txt");
}

QString crashLine(const QDateTime &end, const Crash &crash)
{
    const QString signal = crash.signal ? QStringLiteral("signal %1").arg(*crash.signal) : QStringLiteral("?");
    const QString exception = crash.exceptionType ? QStringLiteral("exception %1").arg(*crash.exceptionType) : QString();
    return QStringLiteral("%1 crash %2 %3 %4").arg(day(end), crash.build, signal, exception);
}

QString hangLine(const QDateTime &end, const Hang &hang)
{
    const double seconds = double(hang.duration.count()) / 1000.0;
    const QString duration =
        QCoreApplication::translate("MetricsStore", "%1 s", "a hang's duration in seconds").arg(QLocale().toString(seconds, 'f', 1));
    return QStringLiteral("%1 hang %2 %3").arg(day(end), hang.build, duration);
}

QStringList lines(const QList<Payload> &payloads)
{
    QStringList result;
    for (const Payload &payload : payloads) {
        for (const Crash &crash : payload.crashes)
            result.append(crashLine(payload.timeStampEnd, crash));
        for (const Hang &hang : payload.hangs)
            result.append(hangLine(payload.timeStampEnd, hang));
    }
    return result;
}

void didReceive(const QList<Payload> &payloads)
{
    const QStringList newLines = lines(payloads);
    if (newLines.isEmpty())
        return;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(application, [newLines] { append(newLines); }, Qt::QueuedConnection);
}

void append(const QStringList &newLines)
{
    if (newLines.isEmpty())
        return;
    QStringList all = readLines() + newLines;
    if (all.size() > kept)
        all = all.mid(all.size() - kept);
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(all.join(QLatin1Char('\n')).toUtf8());
    file.commit();
}

QStringList recent()
{
    const QStringList all = readLines();
    return all.mid(std::max<qsizetype>(0, all.size() - recentCount));
}

} // namespace MetricsStore
