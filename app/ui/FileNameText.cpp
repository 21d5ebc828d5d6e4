#include "FileNameText.h"

#include <QStringList>

#include <algorithm>

namespace FileNameText {

namespace {

constexpr QChar replacement(0xFFFD);

bool breaksTheLine(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    // Marks and overrides that turn the text's direction: a name could show
    // its extension where it is not.
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString oneLine(const QString &name)
{
    QString shown;
    shown.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            shown.append(c);
            shown.append(name[++i]);
        } else if (c.isSurrogate() || breaksTheLine(c.unicode())) {
            shown.append(replacement);
        } else {
            shown.append(c);
        }
    }
    return shown;
}

QString shortened(const QString &name, int characters)
{
    const QString line = oneLine(name);
    if (line.size() <= characters || characters < 3)
        return line;
    // Cut between whole characters, never inside a surrogate pair.
    qsizetype head = (characters - 1) / 2;
    qsizetype tail = characters - 1 - head;
    if (head > 0 && line[head - 1].isHighSurrogate())
        --head;
    if (line[line.size() - tail].isLowSurrogate())
        --tail;
    return line.left(head) + QChar(0x2026) + line.right(tail);
}

QString elided(const QString &name, const QFontMetrics &metrics, int width)
{
    return metrics.elidedText(oneLine(name), Qt::ElideMiddle, std::max(0, width));
}

QString path(const QString &path, int characters)
{
    QStringList names = path.split(u'/');
    for (QString &each : names)
        each = shortened(each, characters);
    return names.join(u'/');
}

} // namespace FileNameText
