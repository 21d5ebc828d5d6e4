#include "NameTemplate.h"

#include "Graphemes.h"
#include "PatternReader.h"

#include <QChar>
#include <QFile>
#include <QUuid>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <sys/stat.h>

#include <memory>

namespace {

const QString datumKey = QStringLiteral("datum");
const QString jahrKey = QStringLiteral("jahr");
const QString monatKey = QStringLiteral("monat");
const QString absenderKey = QStringLiteral("absender");
const QString betragKey = QStringLiteral("betrag");
const QString waehrungKey = QStringLiteral("waehrung");
const QString artKey = QStringLiteral("art");
const QString titelKey = QStringLiteral("titel");
const QString originalKey = QStringLiteral("original");
const QString zaehlerKey = QStringLiteral("zaehler");

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

icu::UnicodeString toIcu(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()), static_cast<int32_t>(text.size()));
}

// ICU date formatters may not be shared between threads, and building one
// costs far more than using it: each thread keeps the few patterns it uses,
// each with a calendar of its own so that formatting need not copy one.
struct DateFormatter
{
    std::unique_ptr<icu::SimpleDateFormat> format;
    std::unique_ptr<icu::Calendar> calendar;
};

std::optional<QString> formatDate(const QDateTime &date, const QString &pattern)
{
    thread_local QHash<QString, std::shared_ptr<DateFormatter>> formatters;
    std::shared_ptr<DateFormatter> formatter = formatters.value(pattern);
    if (!formatter) {
        if (formatters.size() >= 16)
            formatters.clear();
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_shared<DateFormatter>();
        made->format = std::make_unique<icu::SimpleDateFormat>(toIcu(pattern), icu::Locale("en_US_POSIX"), status);
        if (U_FAILURE(status))
            return std::nullopt;
        made->format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC")));
        made->calendar.reset(made->format->getCalendar()->clone());
        if (!made->calendar)
            return std::nullopt;
        formatters.insert(pattern, made);
        formatter = made;
    }
    UErrorCode status = U_ZERO_ERROR;
    formatter->calendar->setTime(static_cast<UDate>(date.toMSecsSinceEpoch()), status);
    if (U_FAILURE(status))
        return std::nullopt;
    icu::UnicodeString text;
    icu::FieldPosition position;
    formatter->format->format(*formatter->calendar, text, position);
    return fromIcu(text);
}

const icu::number::LocalizedNumberFormatter &amountFormatter(NameLanguage language)
{
    static const auto base = icu::number::NumberFormatter::with()
                                 .precision(icu::number::Precision::fixedFraction(2))
                                 .grouping(UNUM_GROUPING_OFF);
    static const icu::number::LocalizedNumberFormatter german = base.locale(icu::Locale("de_DE"));
    static const icu::number::LocalizedNumberFormatter english = base.locale(icu::Locale("en_US"));
    return language == NameLanguage::de ? german : english;
}

bool isTrimmedByFill(QChar c)
{
    return c == u' ' || c == u'-' || c == u'_';
}

bool isWhiteSpace(char32_t c)
{
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

bool isControlOrFormat(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

// Replaces every "{word}" by its value in one pass, so that a value which
// itself looks like a placeholder is never replaced again.
QString substitute(const QString &text, const NameTemplate::Values &values)
{
    QString result;
    result.reserve(text.size() + 32);
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text.at(i);
        if (c == u'{') {
            qsizetype end = i + 1;
            while (end < size && text.at(end).unicode() < 128 && text.at(end).isLetter())
                ++end;
            if (end > i + 1 && end < size && text.at(end) == u'}') {
                result += values.value(NameTemplate::key(QStringView(text).mid(i + 1, end - i - 1)));
                i = end + 1;
                continue;
            }
        }
        result += c;
        ++i;
    }
    return result;
}

QString collapseAndTrim(QString text)
{
    while (text.contains(QLatin1String("  ")))
        text.replace(QLatin1String("  "), QLatin1String(" "));
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isTrimmedByFill(text.at(start)))
        ++start;
    while (end > start && isTrimmedByFill(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

// The code point that starts or ends at the given position.
char32_t codePointAt(const QString &text, qsizetype index)
{
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(index + 1));
    return c.unicode();
}

char32_t codePointBefore(const QString &text, qsizetype end)
{
    const QChar c = text.at(end - 1);
    if (c.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(end - 2), c);
    return c.unicode();
}

int codePointLength(char32_t c)
{
    return c > 0xFFFF ? 2 : 1;
}

// Leading dots and white space at both ends removed, again and again, so
// that neither " .hidden" nor "\t.." survives as a hidden name or a step up.
QString stripDotsAndWhiteSpace(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    for (;;) {
        const qsizetype before = start;
        while (start < end && text.at(start) == u'.')
            ++start;
        while (start < end && isWhiteSpace(codePointAt(text, start)))
            start += codePointLength(codePointAt(text, start));
        if (start == before)
            break;
    }
    while (end > start && isWhiteSpace(codePointBefore(text, end)))
        end -= codePointLength(codePointBefore(text, end));
    return text.mid(start, end - start);
}

bool isSeparator(char32_t c)
{
    return c == U'/' || c == U':' || c == U'\\';
}

bool isReserved(char32_t c)
{
    return c == U'"' || c == U'<' || c == U'>' || c == U'|' || c == U'?' || c == U'*';
}

bool needsCharacterPass(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSurrogate())
            return true; // rare: let the careful pass look at whole code points
        const char32_t u = c.unicode();
        if (isSeparator(u) || isReserved(u))
            return true;
        if ((u < 0x20 || u >= 0x7F) && isControlOrFormat(u))
            return true;
    }
    return false;
}

QString trimEnd(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && isWhiteSpace(codePointBefore(text, end)))
        end -= codePointLength(codePointBefore(text, end));
    return text.left(end);
}

// The longest start of a text, cut between code points, whose UTF-8 form has
// at most `bytes` bytes.
QString fitCodePoints(const QString &text, qsizetype bytes)
{
    qsizetype end = 0;
    qsizetype used = 0;
    while (end < text.size()) {
        const char32_t c = codePointAt(text, end);
        used += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (used > bytes)
            break;
        end += codePointLength(c);
    }
    return text.left(end);
}

// Whether the part after a name's last dot is an extension, as file managers
// judge it: a few characters without blanks. "Bericht.pdf" has one; a name
// whose last dot is followed by a long text has none.
bool isExtension(const QString &extension)
{
    if (extension.isEmpty() || extension.size() > NameTemplate::maxExtensionLength)
        return false;
    for (qsizetype i = 0; i < extension.size();) {
        const char32_t c = codePointAt(extension, i);
        if (isWhiteSpace(c) || isControlOrFormat(c) || QChar::isSpace(c))
            return false;
        i += codePointLength(c);
    }
    return true;
}

// A name of the given base and suffix (".pdf", " 2.pdf" or none) whose
// base is cut so that the whole fits the file system's limit.
QString fittedName(const QString &base, const QString &suffix)
{
    return NameTemplate::fitBytes(base, NameTemplate::maxNameBytes - suffix.toUtf8().size()) + suffix;
}

// True when every character of the text, as a reader counts them, is a
// letter: it begins with a letter, and the rest are its marks (an accent
// written apart from its letter) or letters (the jamo of a syllable).
bool isLettersOnly(const QString &text)
{
    Graphemes::Boundaries boundaries(text);
    qsizetype start = 0;
    for (qsizetype end = boundaries.next(); end != -1; start = end, end = boundaries.next()) {
        for (qsizetype i = start; i < end;) {
            const char32_t c = codePointAt(text, i);
            if (!QChar::isLetter(c) && (i == start || !QChar::isMark(c)))
                return false;
            i += codePointLength(c);
        }
    }
    return true;
}

qsizetype lastComponentStart(const QString &path)
{
    return path.lastIndexOf(u'/') + 1;
}

} // namespace

QString NameTemplate::fitBytes(const QString &text, qsizetype bytes)
{
    if (text.toUtf8().size() <= bytes)
        return text;
    Graphemes::Boundaries boundaries(text);
    qsizetype fits = 0;
    qsizetype used = 0;
    for (qsizetype next = boundaries.next(); next > 0; next = boundaries.next()) {
        used += QStringView(text).mid(fits, next - fits).toUtf8().size();
        if (used > bytes)
            break;
        fits = next;
    }
    QString result = trimEnd(text.left(fits));
    if (result.isEmpty())
        result = trimEnd(fitCodePoints(text, bytes));
    // Whatever the boundaries said, the result must fit.
    if (result.toUtf8().size() > bytes)
        result = trimEnd(fitCodePoints(result, bytes));
    return result;
}

const std::array<QString, 10> &NameTemplate::placeholders()
{
    static const std::array<QString, 10> keys{datumKey, jahrKey,   monatKey, absenderKey, betragKey,
                                              waehrungKey, artKey, titelKey, originalKey, zaehlerKey};
    return keys;
}

QString NameTemplate::key(QStringView token)
{
    static const QHash<QString, QString> aliases{
        {QStringLiteral("date"), datumKey},        {QStringLiteral("year"), jahrKey},
        {QStringLiteral("month"), monatKey},       {QStringLiteral("sender"), absenderKey},
        {QStringLiteral("amount"), betragKey},     {QStringLiteral("currency"), waehrungKey},
        {QStringLiteral("kind"), artKey},          {QStringLiteral("title"), titelKey},
        {QStringLiteral("counter"), zaehlerKey},
    };
    QString lowered = token.toString();
    for (QChar &c : lowered) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    const auto alias = aliases.constFind(lowered);
    return alias == aliases.constEnd() ? lowered : alias.value();
}

NameTemplate::Values NameTemplate::values(const std::optional<Recognition> &recognition, const QString &originalName,
                                          int counter, const std::optional<QDateTime> &fileDate) const
{
    Values result;
    result.reserve(10);
    std::optional<QDateTime> date = fileDate;
    if (recognition && recognition->date)
        date = recognition->date;

    result.insert(originalKey, deletingPathExtension(originalName));
    result.insert(zaehlerKey, QString::number(counter));

    if (date && date->isValid()) {
        if (const auto text = formatDate(*date, dateFormat))
            result.insert(datumKey, *text);
        const QDate day = date->toUTC().date();
        result.insert(jahrKey, QString::number(day.year()));
        result.insert(monatKey, QStringLiteral("%1").arg(day.month(), 2, 10, QLatin1Char('0')));
    }

    if (recognition) {
        if (recognition->sender)
            result.insert(absenderKey, PatternReader::shortSender(*recognition->sender));
        if (recognition->amount)
            result.insert(betragKey, format(*recognition->amount, language));
        if (recognition->currency)
            result.insert(waehrungKey, *recognition->currency);
        result.insert(artKey, DocumentKinds::name(recognition->kind, language));
        if (recognition->title)
            result.insert(titelKey, *recognition->title);
    }
    return result;
}

QStringList NameTemplate::missing(const QString &templateText, const Values &values) const
{
    QStringList result;
    for (const QString &token : tokens(templateText)) {
        if (values.value(key(token)).isEmpty())
            result.append(token);
    }
    return result;
}

QString NameTemplate::fill(const QString &templateText, const Values &values) const
{
    return collapseAndTrim(substitute(templateText, values));
}

QString NameTemplate::fileName(const QString &templateText, const Values &values,
                               const QString &originalExtension) const
{
    QString name = fill(templateText, values);

    // An extension written in the template, of letters and shorter than six
    // characters, goes.
    const QString extension = pathExtension(name);
    if (!extension.isEmpty() && Graphemes::count(extension, 6) < 6 && isLettersOnly(extension))
        name.chop(extension.size() + 1);

    // The original extension is kept whole when it is one; a long text after
    // the last dot is part of the name and cut with it.
    const bool keepsExtension = isExtension(originalExtension);
    const QString suffix = keepsExtension ? QLatin1Char('.') + originalExtension : QString();
    const QString tail = keepsExtension || originalExtension.isEmpty() ? QString() : QLatin1Char('.') + originalExtension;
    const qsizetype room = maxNameBytes - suffix.toUtf8().size();
    const QString sanitized = sanitize(name);
    if (!sanitized.isEmpty()) {
        const QString cut = fitBytes(trimEnd(Graphemes::left(sanitized, maxNameLength)) + tail, room);
        if (!cut.isEmpty())
            return cut + suffix;
    }

    // Filled to nothing: the original name as it was, blanks and dots
    // included, cut only where it is too long. It may be hidden only when the
    // original was, and it is never "." or "..": then a fixed word instead.
    const QString original = Graphemes::wholeCodePoints(values.value(originalKey));
    QString kept = Graphemes::left(original, maxNameLength);
    if (kept.size() < original.size() && !trimEnd(kept).isEmpty())
        kept = trimEnd(kept);
    kept = fitBytes(kept + tail, room);
    const QString whole = kept + suffix;
    const bool hidden = whole.startsWith(u'.') && !original.startsWith(u'.');
    if (!kept.isEmpty() && !hidden && whole != u"." && whole != u"..")
        return whole;
    return QStringLiteral("Unnamed") + suffix;
}

QString NameTemplate::folder(const QString &templateText, const Values &values, const QString &home) const
{
    const QString trimmed = templateText.trimmed();
    QString result;
    QStringView rest;
    if (trimmed.startsWith(u'~')) {
        result = home;
        rest = QStringView(trimmed).mid(1);
    } else {
        result = QStringLiteral("/");
        rest = trimmed;
    }
    const QString unknown = language == NameLanguage::de ? QStringLiteral("Unbekannt") : QStringLiteral("Unknown");
    for (const QStringView piece : rest.split(u'/', Qt::SkipEmptyParts)) {
        QString name = fitBytes(sanitize(fill(piece.toString(), values)), maxNameBytes);
        if (name.isEmpty())
            name = unknown;
        if (!result.endsWith(u'/'))
            result += u'/';
        result += name;
    }
    return result;
}

QString NameTemplate::format(const Decimal &amount, NameLanguage language)
{
    const QByteArray digits = amount.toString().toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    const auto formatted =
        amountFormatter(language).formatDecimal(icu::StringPiece(digits.constData(), digits.size()), status);
    const icu::UnicodeString text = formatted.toString(status);
    if (U_FAILURE(status) || text.isEmpty())
        return amount.toString();
    return fromIcu(text);
}

QStringList NameTemplate::tokens(const QString &templateText)
{
    QStringList result;
    const qsizetype size = templateText.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (templateText.at(i) != u'{')
            continue;
        qsizetype end = i + 1;
        while (end < size && templateText.at(end).unicode() < 128 && templateText.at(end).isLetter())
            ++end;
        if (end > i + 1 && end < size && templateText.at(end) == u'}') {
            result.append(templateText.mid(i + 1, end - i - 1));
            i = end;
        }
    }
    return result;
}

QString NameTemplate::sanitize(const QString &text)
{
    if (!needsCharacterPass(text))
        return stripDotsAndWhiteSpace(text);
    // Half a surrogate pair (a model's answer may hold one) can be no
    // name on disk: it is written as the replacement character.
    const QString component = Graphemes::wholeCodePoints(text);

    // Character by character (grapheme clusters). A cluster is judged by every
    // code point in it, so a slash carrying a combining mark is still a slash.
    QString result;
    result.reserve(component.size());
    Graphemes::Boundaries boundaries(component);
    qsizetype start = 0;
    for (qsizetype end = boundaries.next(); end > 0; end = boundaries.next()) {
        const QString cluster = component.mid(start, end - start);
        bool separator = false;
        bool reserved = false;
        bool control = false;
        for (qsizetype i = 0; i < cluster.size();) {
            const char32_t c = codePointAt(cluster, i);
            separator |= isSeparator(c);
            reserved |= isReserved(c);
            control |= isControlOrFormat(c);
            i += codePointLength(c);
        }
        if (separator)
            result += u'-';
        else if (reserved)
            result += u'_';
        else if (control)
            result += u' ';
        else
            result += cluster;
        start = end;
    }
    return stripDotsAndWhiteSpace(result);
}

bool NameTemplate::defaultExists(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QString NameTemplate::freeURL(const QString &path, const ExistsTest &exists)
{
    if (!exists(path))
        return path;
    const qsizetype nameStart = lastComponentStart(path);
    const QString folder = path.left(nameStart);
    const QString name = path.mid(nameStart);
    QString extension = pathExtension(name);
    if (!isExtension(extension))
        extension.clear();
    const QString base = extension.isEmpty() ? name : name.left(name.size() - extension.size() - 1);
    const QString suffix = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    for (int n = 2; n <= 9999; ++n) {
        const QString candidate = folder + fittedName(base, QLatin1Char(' ') + QString::number(n) + suffix);
        if (!exists(candidate))
            return candidate;
    }
    return folder + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + suffix;
}

QString NameTemplate::pathExtension(const QString &path)
{
    const qsizetype nameStart = lastComponentStart(path);
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= nameStart || dot == path.size() - 1)
        return {};
    return path.mid(dot + 1);
}

QString NameTemplate::deletingPathExtension(const QString &name)
{
    const QString extension = pathExtension(name);
    return extension.isEmpty() ? name : name.left(name.size() - extension.size() - 1);
}
