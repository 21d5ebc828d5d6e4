#include "TextCondenser.h"

#include "Graphemes.h"
#include "TextExtractor.h"

#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace TextCondenser {

namespace {

constexpr int headLines = 15;
constexpr int tailWindow = 60;
constexpr int tailLines = 6;
constexpr int maxLineCharacters = 160;

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x0085) || c == QChar(0x2028)
        || c == QChar(0x2029);
}

QString trimBlanks(QStringView line)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && (line[start] == u' ' || line[start] == u'\t'))
        ++start;
    while (end > start && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return line.mid(start, end - start).toString();
}

} // namespace

QString condense(const QString &text, int limit)
{
    static const QRegularExpression keep(QStringLiteral(
        "(\\d+[.,]\\d{2})|(\\d{1,2}\\.\\d{1,2}\\.\\d{2,4})|(\\d{4}-\\d{2}-\\d{2})|(€|EUR|USD|\\$|£)|(?i)(gesamt|summe|total|betrag|datum|date|rechnung|invoice)"));

    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isLineBreak(text[i])) {
            const QString line = trimBlanks(QStringView(text).mid(start, i - start));
            if (!line.isEmpty())
                lines.append(line);
            start = i + 1;
        }
    }
    const int n = int(lines.size());
    const QString joined = lines.join(u'\n');
    if (Graphemes::count(joined, limit) <= limit)
        return joined;

    std::set<int> kept;
    for (int i = 0; i < std::min(n, headLines); ++i)
        kept.insert(i);
    const int window = std::min(n, tailWindow);
    for (int i = std::max(0, window - tailLines); i < window; ++i)
        kept.insert(i);
    for (int i = 0; i < n; ++i)
        if (keep.match(lines[i]).hasMatch())
            kept.insert(i);

    QString result;
    int length = 0;
    for (const int index : kept) {
        const QString line = TextExtractor::leftCharacters(lines[index], maxLineCharacters);
        const int lineLength = int(Graphemes::count(line));
        if (length + lineLength + 1 > limit)
            break;
        result += line;
        result += u'\n';
        length += lineLength + 1;
    }
    return result;
}

} // namespace TextCondenser
