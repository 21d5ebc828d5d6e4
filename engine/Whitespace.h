// Trimming typed texts the way rules and the rule pages judge them: blanks
// (every Unicode space separator) and tabs count, line breaks do not.
#pragma once

#include <QString>
#include <QStringView>

namespace Whitespace {

inline bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

inline QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace Whitespace
