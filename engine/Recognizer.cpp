#include "Recognizer.h"

#include "FileTimes.h"
#include "PatternReader.h"
#include "Recognition.h"

#include <QStringList>

namespace Recognizer {

const QSet<QString> &installerExtensions()
{
    static const QSet<QString> extensions{
        QStringLiteral("dmg"), QStringLiteral("pkg"), QStringLiteral("mpkg"), QStringLiteral("iso"),
        QStringLiteral("deb"), QStringLiteral("rpm"), QStringLiteral("appimage"),
        QStringLiteral("flatpakref"), QStringLiteral("snap"), QStringLiteral("run")};
    return extensions;
}

std::optional<QDateTime> fileDate(const QString &path)
{
    const FileTimes times = FileTimes::read(path);
    const std::optional<QDateTime> instant = times.created ? times.created : times.added;
    if (!instant)
        return std::nullopt;
    const QDate local = instant->toLocalTime().date();
    return PatternReader::makeDate(local.year(), local.month(), local.day());
}

std::optional<QDateTime> parseISO(const QString &text)
{
    QList<int> numbers;
    for (const QString &piece : text.split(u'-', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = piece.toInt(&ok, 10);
        // Whole decimal numbers only: no signs, blanks or other characters.
        if (ok && std::all_of(piece.begin(), piece.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            numbers.append(value);
    }
    if (numbers.size() != 3)
        return std::nullopt;
    return PatternReader::makeDate(numbers[0], numbers[1], numbers[2]);
}

} // namespace Recognizer
