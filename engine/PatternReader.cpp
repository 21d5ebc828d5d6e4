#include "PatternReader.h"

#include "Graphemes.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <utility>

namespace PatternReader {

namespace {

// ---------------------------------------------------------------------------
// Shared helpers

// Compiles once; every expression of the reader is held in a function-local
// static, so first use is safe from any thread and later matching only reads.
QRegularExpression compiled(const QString &pattern,
                            QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption)
{
    QRegularExpression expression(pattern, options | QRegularExpression::UseUnicodePropertiesOption);
    expression.optimize();
    Q_ASSERT(expression.isValid());
    return expression;
}

// Number of user-perceived characters of the text, counting no further than limit + 1.
qsizetype characterCount(QStringView text, qsizetype limit)
{
    return Graphemes::count(text, limit);
}

// The first `count` user-perceived characters of the text.
QStringView firstCharacters(QStringView text, qsizetype count)
{
    return text.first(Graphemes::firstLength(text, count));
}

bool containsAny(QStringView text, const QStringList &words)
{
    return std::any_of(words.cbegin(), words.cend(), [text](const QString &word) { return text.contains(word); });
}

bool startsWithAny(QStringView text, const QStringList &words)
{
    return std::any_of(words.cbegin(), words.cend(), [text](const QString &word) { return text.startsWith(word); });
}

// Digits (decimal digits of any script, as the expressions read them).
bool hasDigit(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// The text with every lone surrogate replaced by U+FFFD. The expressions
// refuse to match anywhere in a text that is not valid UTF-16, so one stray
// code unit (from a damaged text layer) would hide the whole line.
QString validText(const QString &text)
{
    QString valid = text;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        valid[i] = QChar::ReplacementCharacter;
    }
    return valid;
}

// The document's lines: split at every line break, trimmed, empty ones dropped.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n) {
            const char16_t c = text[i].unicode();
            const bool lineBreak = (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
            if (!lineBreak)
                continue;
        }
        const QString line = QStringView(text).sliced(start, i - start).trimmed().toString();
        if (!line.isEmpty())
            lines.append(line);
        start = i + 1;
    }
    return lines;
}

// ---------------------------------------------------------------------------
// Amounts

struct CurrencySymbol
{
    QString symbol;
    QString code;
};

const QList<CurrencySymbol> &currencySymbols()
{
    static const QList<CurrencySymbol> symbols{
        {QStringLiteral("€"), QStringLiteral("EUR")},   {QStringLiteral("EUR"), QStringLiteral("EUR")},
        {QStringLiteral("$"), QStringLiteral("USD")},   {QStringLiteral("USD"), QStringLiteral("USD")},
        {QStringLiteral("US$"), QStringLiteral("USD")}, {QStringLiteral("£"), QStringLiteral("GBP")},
        {QStringLiteral("GBP"), QStringLiteral("GBP")}, {QStringLiteral("CHF"), QStringLiteral("CHF")},
        {QStringLiteral("Fr."), QStringLiteral("CHF")}};
    return symbols;
}

const QString fallbackCurrency = QStringLiteral("EUR");

QString codeOfSymbol(QStringView symbol)
{
    for (const CurrencySymbol &entry : currencySymbols()) {
        if (entry.symbol == symbol)
            return entry.code;
    }
    return fallbackCurrency;
}

const QStringList &totalWords()
{
    static const QStringList words{
        QStringLiteral("gesamtbetrag"), QStringLiteral("gesamt"),      QStringLiteral("summe"),
        QStringLiteral("endbetrag"),    QStringLiteral("rechnungsbetrag"), QStringLiteral("zu zahlen"),
        QStringLiteral("zahlbetrag"),   QStringLiteral("total"),       QStringLiteral("amount due"),
        QStringLiteral("amount paid"),  QStringLiteral("balance due"), QStringLiteral("brutto"),
        QStringLiteral("betrag")};
    return words;
}

const QStringList &notTotalWords()
{
    static const QStringList words{
        QStringLiteral("netto"),    QStringLiteral("mwst"),    QStringLiteral("ust"),
        QStringLiteral("steuer"),   QStringLiteral("zwischensumme"), QStringLiteral("subtotal"),
        QStringLiteral("vat"),      QStringLiteral("tax"),     QStringLiteral("gegeben"),
        QStringLiteral("rückgeld"), QStringLiteral("change")};
    return words;
}

// Symbol before the number; a sign may stand between them ("€ -8,79").
const QRegularExpression &moneyBefore()
{
    static const QRegularExpression expression = compiled(QStringLiteral(
        "(US\\$|€|\\$|£|EUR|USD|GBP|CHF|Fr\\.)\\s?[-−]?"
        "(\\d{1,3}(?:[.,' ]\\d{3})+(?:[.,]\\d{2})?|\\d+(?:[.,]\\d{2})?)(?![\\d])"));
    return expression;
}

const QRegularExpression &moneyAfter()
{
    static const QRegularExpression expression = compiled(QStringLiteral(
        "(?<![\\d.,])(\\d{1,3}(?:[.,' ]\\d{3})+(?:[.,]\\d{2})?|\\d+(?:[.,]\\d{2})?)\\s?"
        "(US\\$|€|\\$|£|EUR|USD|GBP|CHF|Fr\\.)"));
    return expression;
}

const QRegularExpression &bareDecimal()
{
    static const QRegularExpression expression = compiled(QStringLiteral(
        "(?<![\\d.,])(\\d{1,3}(?:[.']\\d{3})*,\\d{2}|\\d{1,3}(?:,\\d{3})*\\.\\d{2})(?![\\d])"));
    return expression;
}

// Amount numbers may be grouped in threes ("1 234 567"). An expression that
// starts at any such group would scan the rest of the group chain again from
// every group, which makes a long line of digit groups cost quadratic time.
// The two expressions below that begin at a number are therefore tried only
// where a digit run begins, anchored there, and after a failed attempt the
// groups that follow are skipped where they cannot match either: any match
// from such a group would also have been a match of the failed attempt. The
// matches are the same as those of a plain global match.
enum class Chain {
    // moneyAfter: no group after a failed start can match.
    symbolAfter,
    // bareDecimal: groups joined by "." or "'" cannot match, except the last,
    // which may still begin a number with a decimal point ("1'234.56").
    bareDecimal,
};

// Where the chain of three-digit groups after the digit run at `start` ends
// (or, for bareDecimal, where its last group begins): attempts before it can
// be skipped.
qsizetype skipAfterFailure(QStringView line, qsizetype start, Chain chain)
{
    const qsizetype n = line.size();
    qsizetype end = start;
    while (end < n && line[end].isDigit())
        ++end;
    if (end - start > 3)
        return start; // no chain begins here
    qsizetype lastGroup = start;
    while (end + 3 < n) {
        const QChar separator = line[end];
        const bool joins = chain == Chain::symbolAfter
                               ? (separator == u'.' || separator == u',' || separator == u'\'' || separator == u' ')
                               : (separator == u'.' || separator == u'\'');
        if (!joins || !line[end + 1].isDigit() || !line[end + 2].isDigit() || !line[end + 3].isDigit()
            || (end + 4 < n && line[end + 4].isDigit()))
            break;
        lastGroup = end + 1;
        end += 4;
    }
    return chain == Chain::symbolAfter ? end : lastGroup;
}

// The line must be valid UTF-16 (see validText): it is checked once by the
// caller, not again for every attempt.
QList<QRegularExpressionMatch> numberMatches(const QRegularExpression &expression, const QString &line, Chain chain)
{
    QList<QRegularExpressionMatch> matches;
    const qsizetype n = line.size();
    qsizetype skipBefore = 0;
    qsizetype position = 0;
    while (position < n) {
        const QChar c = line[position];
        // Both expressions begin with (?<![\d.,]): where that fails, or may fail
        // (a character outside the basic plane before), a failed attempt says
        // nothing about the groups that follow.
        const QChar before = position > 0 ? line[position - 1] : QChar(u' ');
        const bool mayStart = (c.isDigit() || c.isHighSurrogate()) && position >= skipBefore
                              && !before.isDigit() && before != u'.' && before != u',';
        if (!mayStart) {
            ++position;
            continue;
        }
        QRegularExpressionMatch match = expression.match(line, position, QRegularExpression::NormalMatch,
                                                         QRegularExpression::AnchorAtOffsetMatchOption
                                                             | QRegularExpression::DontCheckSubjectStringMatchOption);
        if (match.hasMatch()) {
            position = std::max(match.capturedEnd(0), position + 1);
            matches.append(std::move(match));
        } else {
            if (!before.isSurrogate())
                skipBefore = skipAfterFailure(line, position, chain);
            ++position;
        }
    }
    return matches;
}

bool isMinus(QChar c)
{
    return c == u'-' || c == u'\u2212';
}

// The minus at `index` is a sign, not a dash between words or numbers
// ("10-20 €" is a range, "-20 €" and ": -20 €" are negative).
bool standsAsSign(QStringView line, qsizetype index)
{
    if (index == 0)
        return true;
    const QChar before = line[index - 1];
    return !before.isLetterOrNumber() && before != u'.' && before != u',';
}

// Where the currency symbol ending at `end` starts, or -1.
qsizetype symbolEndingAt(QStringView line, qsizetype end)
{
    qsizetype best = -1;
    for (const CurrencySymbol &entry : currencySymbols()) {
        const qsizetype start = end - entry.symbol.size();
        if (start >= 0 && line.sliced(start, entry.symbol.size()) == entry.symbol && (best == -1 || start < best))
            best = start;
    }
    return best;
}

// A minus directly before the number ("-8,79 €", "€ -8,79", "EUR-8,79") or
// directly before the currency symbol that precedes it ("-€ 8,79") makes
// the amount negative.
bool isNegated(QStringView line, qsizetype numberStart)
{
    if (numberStart > 0 && isMinus(line[numberStart - 1])) {
        const qsizetype minus = numberStart - 1;
        return standsAsSign(line, minus) || symbolEndingAt(line, minus) >= 0;
    }
    qsizetype end = numberStart;
    if (end > 0 && line[end - 1].isSpace())
        --end;
    const qsizetype symbol = symbolEndingAt(line, end);
    return symbol > 0 && isMinus(line[symbol - 1]) && standsAsSign(line, symbol - 1);
}

std::optional<Decimal> signedNumber(QStringView line, const QRegularExpressionMatch &match, int group)
{
    std::optional<Decimal> number = parseNumber(match.captured(group));
    if (number && isNegated(line, match.capturedStart(group)))
        number = number->negated();
    return number;
}

// The currency whose symbols the text holds most; each symbol counts once.
// Ties go to the code listed first.
QString dominantCurrency(const QStringList &lines)
{
    const QString joined = lines.join(u' ');
    static const std::array<QString, 4> codes{QStringLiteral("EUR"), QStringLiteral("USD"), QStringLiteral("GBP"),
                                              QStringLiteral("CHF")};
    std::array<int, 4> counts{};
    for (const CurrencySymbol &entry : currencySymbols()) {
        if (joined.contains(entry.symbol)) {
            const auto code = std::find(codes.cbegin(), codes.cend(), entry.code);
            ++counts[std::distance(codes.cbegin(), code)];
        }
    }
    const auto best = std::max_element(counts.cbegin(), counts.cend()); // first of equals
    return *best > 0 ? codes[std::distance(counts.cbegin(), best)] : fallbackCurrency;
}

// ---------------------------------------------------------------------------
// Dates

struct MonthWord
{
    QString word;
    int month;
};

const QList<MonthWord> &months()
{
    static const QList<MonthWord> table = [] {
        const std::array<std::pair<int, const char *>, 38> entries{{
            {1, "januar"},    {1, "jänner"},  {1, "jan"},     {1, "january"}, {2, "februar"}, {2, "feb"},
            {2, "february"},  {3, "märz"},    {3, "maerz"},   {3, "mär"},     {3, "mrz"},     {3, "march"},
            {3, "mar"},       {4, "april"},   {4, "apr"},     {5, "mai"},     {5, "may"},     {6, "juni"},
            {6, "jun"},       {6, "june"},    {7, "juli"},    {7, "jul"},     {7, "july"},    {8, "august"},
            {8, "aug"},       {9, "september"}, {9, "sep"},   {9, "sept"},    {10, "oktober"}, {10, "okt"},
            {10, "october"},  {10, "oct"},    {11, "november"}, {11, "nov"},  {12, "dezember"}, {12, "dez"},
            {12, "december"}, {12, "dec"}}};
        QList<MonthWord> list;
        for (const auto &[month, word] : entries)
            list.append({QString::fromUtf8(word), month});
        return list;
    }();
    return table;
}

int monthOfWord(const QString &word)
{
    const QString lower = word.toLower();
    for (const MonthWord &entry : months()) {
        if (entry.word == lower)
            return entry.month;
    }
    return 0;
}

// The month words longest first, so that "september" is tried before "sep".
QString monthNames()
{
    QList<MonthWord> sorted = months();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const MonthWord &a, const MonthWord &b) { return a.word.size() > b.word.size(); });
    QStringList words;
    for (const MonthWord &entry : std::as_const(sorted))
        words.append(entry.word);
    return words.join(u'|');
}

enum class DateForm { iso, dotted, slashed, dayMonth, monthDay };

struct DateExpression
{
    DateForm form;
    QRegularExpression expression;
};

const std::array<DateExpression, 5> &dateExpressions()
{
    static const std::array<DateExpression, 5> expressions = [] {
        const QString names = monthNames();
        return std::array<DateExpression, 5>{{
            {DateForm::iso, compiled(QStringLiteral("(?<!\\d)(\\d{4})-(\\d{2})-(\\d{2})(?!\\d)"))},
            {DateForm::dotted,
             compiled(QStringLiteral("(?<!\\d)(\\d{1,2})\\.\\s?(\\d{1,2})\\.\\s?(\\d{4}|\\d{2})(?!\\d)"))},
            {DateForm::slashed, compiled(QStringLiteral("(?<!\\d)(\\d{1,2})/(\\d{1,2})/(\\d{4})(?!\\d)"))},
            {DateForm::dayMonth,
             compiled(QStringLiteral("(?<!\\d)(\\d{1,2})\\.?\\s+(") + names + QStringLiteral(")\\.?\\s+(\\d{4})"),
                      QRegularExpression::CaseInsensitiveOption)},
            {DateForm::monthDay,
             compiled(QStringLiteral("\\b(") + names + QStringLiteral(")\\.?\\s+(\\d{1,2}),?\\s+(\\d{4})"),
                      QRegularExpression::CaseInsensitiveOption)},
        }};
    }();
    return expressions;
}

const QStringList &notDocumentDateWords()
{
    static const QStringList words{
        QStringLiteral("fällig"),      QStringLiteral("faellig"),    QStringLiteral("zahlbar bis"),
        QStringLiteral("due"),         QStringLiteral("lieferdatum"), QStringLiteral("leistungszeitraum"),
        QStringLiteral("geburtsdatum"), QStringLiteral("gültig bis"), QStringLiteral("valid until"),
        QStringLiteral("zeitraum"),    QStringLiteral("period"),     QStringLiteral("bis"),
        QStringLiteral("beginnt"),     QStringLiteral("begins"),     QStringLiteral("ab dem"),
        QStringLiteral("starts"),      QStringLiteral("endet")};
    return words;
}

const QStringList &dateWords()
{
    static const QStringList words{
        QStringLiteral("rechnungsdatum"), QStringLiteral("belegdatum"),   QStringLiteral("ausstellungsdatum"),
        QStringLiteral("invoice date"),   QStringLiteral("date of issue"), QStringLiteral("datum"),
        QStringLiteral("date"),           QStringLiteral("vom")};
    return words;
}

const QRegularExpression &placeAndDate()
{
    static const QRegularExpression expression =
        compiled(QStringLiteral("^\\p{Lu}[\\p{L} .-]{1,40},\\s*(den\\s+)?\\d"));
    return expression;
}

// A whole number of ASCII digits; -1 for anything else.
int wholeNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 4)
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// ---------------------------------------------------------------------------
// Kind, title and sender

struct KindKeywords
{
    DocumentKind kind;
    QStringList words;
};

const QList<KindKeywords> &keywords()
{
    static const QList<KindKeywords> table{
        {DocumentKind::payslip,
         {QStringLiteral("gehaltsabrechnung"), QStringLiteral("lohnabrechnung"), QStringLiteral("entgeltabrechnung"),
          QStringLiteral("verdienstabrechnung"), QStringLiteral("payslip"), QStringLiteral("pay slip"),
          QStringLiteral("salary statement"), QStringLiteral("earnings statement")}},
        {DocumentKind::bankStatement,
         {QStringLiteral("kontoauszug"), QStringLiteral("account statement"), QStringLiteral("bank statement"),
          QStringLiteral("kontostand"), QStringLiteral("statement of account")}},
        {DocumentKind::contract,
         {QStringLiteral("vertrag"), QStringLiteral("vereinbarung"), QStringLiteral("contract"),
          QStringLiteral("agreement"), QStringLiteral("mietvertrag"), QStringLiteral("arbeitsvertrag"),
          QStringLiteral("vertragsnummer")}},
        {DocumentKind::receipt,
         {QStringLiteral("quittung"), QStringLiteral("kassenbon"), QStringLiteral("kassenbeleg"),
          QStringLiteral("bon-nr"), QStringLiteral("receipt"), QStringLiteral("zahlungsbeleg"),
          QStringLiteral("beleg-nr"), QStringLiteral("vielen dank für ihren einkauf"),
          QStringLiteral("thank you for your purchase"), QStringLiteral("bar gegeben"), QStringLiteral("rückgeld")}},
        {DocumentKind::invoice,
         {QStringLiteral("rechnung"), QStringLiteral("invoice"), QStringLiteral("rechnungsnummer"),
          QStringLiteral("invoice number"), QStringLiteral("rechnungsbetrag"), QStringLiteral("amount due"),
          QStringLiteral("zahlbar bis"), QStringLiteral("due date"), QStringLiteral("ust-idnr"),
          QStringLiteral("vat")}},
        {DocumentKind::letter,
         {QStringLiteral("sehr geehrte"), QStringLiteral("dear "), QStringLiteral("mit freundlichen grüßen"),
          QStringLiteral("kind regards"), QStringLiteral("sincerely"), QStringLiteral("betreff")}},
    };
    return table;
}

const QStringList &allKeywords()
{
    static const QStringList words = [] {
        QStringList list;
        for (const KindKeywords &row : keywords())
            list += row.words;
        return list;
    }();
    return words;
}

const QStringList &legalForms()
{
    static const QStringList forms{
        QStringLiteral("GmbH & Co. KG"), QStringLiteral("GmbH"), QStringLiteral("gGmbH"), QStringLiteral("AG"),
        QStringLiteral("UG (haftungsbeschränkt)"), QStringLiteral("UG"), QStringLiteral("KG"),
        QStringLiteral("OHG"), QStringLiteral("e.K."), QStringLiteral("e.V."), QStringLiteral("SE"),
        QStringLiteral("Inc."), QStringLiteral("Inc"), QStringLiteral("Ltd."), QStringLiteral("Ltd"),
        QStringLiteral("LLC"), QStringLiteral("Limited"), QStringLiteral("Corp."), QStringLiteral("S.A."),
        QStringLiteral("B.V."), QStringLiteral("S.à r.l."), QStringLiteral("Co.")};
    return forms;
}

// A line that names any legal form as a word of its own. One alternation
// qualifies exactly the lines that one expression per form would.
const QRegularExpression &legalFormWord()
{
    static const QRegularExpression expression = [] {
        QStringList alternatives;
        for (const QString &form : legalForms())
            alternatives.append(QRegularExpression::escape(form));
        return compiled(QStringLiteral("(^|\\s)(?:") + alternatives.join(u'|') + QStringLiteral(")(\\s|$|,)"));
    }();
    return expression;
}

const QStringList &senderSkipWords()
{
    static const QStringList words{QStringLiteral("seite"), QStringLiteral("page"), QStringLiteral("datum"),
                                   QStringLiteral("date"), QStringLiteral("nr"), QStringLiteral("no.")};
    return words;
}

const QRegularExpression &titleExpression()
{
    static const QRegularExpression expression = compiled(QStringLiteral(
        "(?i)(rechnung|invoice|vertrag|contract|kontoauszug|statement)[^\\n]{0,20}?"
        "(nr\\.?|no\\.?|nummer|number|#)\\s*+[:.]?\\s*+([A-Z0-9][A-Z0-9\\-/]{2,})"));
    return expression;
}

std::optional<QString> title(const QStringList &lines)
{
    const qsizetype count = std::min<qsizetype>(lines.size(), 30);
    for (qsizetype i = 0; i < count; ++i) {
        const QRegularExpressionMatch match = titleExpression().match(lines[i]);
        if (match.hasMatch())
            return match.captured(3);
    }
    return std::nullopt;
}

bool hasDigitOfAnyScript(const QString &text)
{
    const QList<uint> codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(), [](uint c) { return QChar::isDigit(char32_t(c)); });
}

} // namespace

// ---------------------------------------------------------------------------

std::optional<Decimal> parseNumber(const QString &text)
{
    QString number;
    number.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' && c != u'\'')
            number.append(c);
    }
    // The typographic minus reads as a minus.
    if (!number.isEmpty() && number[0] == u'\u2212')
        number[0] = u'-';

    const qsizetype lastComma = number.lastIndexOf(u',');
    const qsizetype lastPoint = number.lastIndexOf(u'.');
    QChar decimalSeparator;
    if (lastComma >= 0 && lastPoint >= 0) {
        decimalSeparator = lastComma > lastPoint ? u',' : u'.';
    } else if (lastComma >= 0 || lastPoint >= 0) {
        // Two digits after a lone separator make it the decimal point, and so
        // does one digit after the only separator ("12,5"): no grouping of
        // thousands leaves a single digit behind it.
        const qsizetype position = std::max(lastComma, lastPoint);
        const qsizetype after = number.size() - position - 1;
        const bool only = number.indexOf(number[position]) == position;
        if (after == 2 || (after == 1 && only))
            decimalSeparator = number[position];
    }
    if (decimalSeparator.isNull()) {
        number.remove(u',');
        number.remove(u'.');
    } else {
        number.remove(decimalSeparator == u',' ? u'.' : u',');
        number.replace(decimalSeparator, u'.');
    }
    // Plain digits with an optional sign and point only: no exponents or
    // other forms a general number reader would accept.
    const bool plain = std::all_of(number.cbegin(), number.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+';
    });
    if (!plain)
        return std::nullopt;
    return Decimal::fromString(number);
}

std::optional<Decimal> parseTypedAmount(const QString &text)
{
    QStringView number = QStringView(text).trimmed();
    // Longest symbol first, so that "US$" is not taken for "$".
    static const QList<QString> symbols = [] {
        QList<QString> all;
        for (const CurrencySymbol &entry : currencySymbols())
            all.append(entry.symbol);
        std::stable_sort(all.begin(), all.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
        return all;
    }();
    for (const QString &symbol : symbols) {
        if (number.size() > symbol.size() && number.startsWith(symbol, Qt::CaseInsensitive)) {
            number = number.sliced(symbol.size()).trimmed();
            break;
        }
        if (number.size() > symbol.size() && number.endsWith(symbol, Qt::CaseInsensitive)) {
            number.chop(symbol.size());
            number = number.trimmed();
            break;
        }
    }
    return parseNumber(number.toString());
}

QList<Money> money(const QStringList &lines)
{
    QList<Money> found;
    if (lines.isEmpty())
        return found;
    const QString dominant = dominantCurrency(lines);

    for (const QString &rawLine : lines) {
        if (!hasDigit(rawLine))
            continue; // every amount has digits
        const QString line = validText(rawLine);
        const QString lower = line.toLower();
        const bool isTotal = containsAny(lower, totalWords()) && !containsAny(lower, notTotalWords());
        QList<Money> onLine;

        QRegularExpressionMatchIterator before = moneyBefore().globalMatch(line);
        while (before.hasNext()) {
            const QRegularExpressionMatch match = before.next();
            if (const std::optional<Decimal> number = signedNumber(line, match, 2))
                onLine.append({*number, codeOfSymbol(match.capturedView(1)), isTotal});
        }
        for (const QRegularExpressionMatch &match : numberMatches(moneyAfter(), line, Chain::symbolAfter)) {
            if (const std::optional<Decimal> number = signedNumber(line, match, 1))
                onLine.append({*number, codeOfSymbol(match.capturedView(2)), isTotal});
        }
        if (isTotal && onLine.isEmpty()) {
            for (const QRegularExpressionMatch &match : numberMatches(bareDecimal(), line, Chain::bareDecimal)) {
                if (const std::optional<Decimal> number = signedNumber(line, match, 1))
                    onLine.append({*number, dominant, true});
            }
        }
        for (const Money &amount : std::as_const(onLine)) {
            if (!found.contains(amount))
                found.append(amount);
        }
    }
    return found;
}

std::optional<Money> total(const QList<Money> &amounts, DocumentKind kind)
{
    // The largest amount; when every candidate is negative (a credit note),
    // the one that credits most.
    const auto largest = [](const QList<Money> &candidates) -> std::optional<Money> {
        if (candidates.isEmpty())
            return std::nullopt;
        const bool allNegative = std::all_of(candidates.cbegin(), candidates.cend(),
                                             [](const Money &m) { return m.amount.isNegative(); });
        const Money *best = &candidates.first();
        for (const Money &candidate : candidates) {
            if (allNegative ? candidate.amount < best->amount : candidate.amount > best->amount)
                best = &candidate;
        }
        return *best;
    };

    QList<Money> flagged;
    std::copy_if(amounts.cbegin(), amounts.cend(), std::back_inserter(flagged),
                 [](const Money &m) { return m.isTotal; });
    if (!flagged.isEmpty())
        return largest(flagged);
    if (kind == DocumentKind::invoice || kind == DocumentKind::receipt || kind == DocumentKind::other)
        return largest(amounts);
    return std::nullopt;
}

std::optional<QDateTime> makeDate(int year, int month, int day)
{
    if (year < 1990 || year > 2100 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    // QDate refuses a day the month does not have instead of rolling over.
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return CalendarUtc::noon(date);
}

QList<DatedLine> datedLines(const QStringList &lines)
{
    QList<DatedLine> found;
    for (const QString &line : lines) {
        if (!hasDigit(line))
            continue; // every written form holds digits
        for (const DateExpression &entry : dateExpressions()) {
            QRegularExpressionMatchIterator it = entry.expression.globalMatch(line);
            while (it.hasNext()) {
                const QRegularExpressionMatch match = it.next();
                int year = -1;
                int month = -1;
                int day = -1;
                switch (entry.form) {
                case DateForm::iso:
                    year = wholeNumber(match.capturedView(1));
                    month = wholeNumber(match.capturedView(2));
                    day = wholeNumber(match.capturedView(3));
                    break;
                case DateForm::dotted:
                    day = wholeNumber(match.capturedView(1));
                    month = wholeNumber(match.capturedView(2));
                    year = wholeNumber(match.capturedView(3));
                    break;
                case DateForm::slashed: {
                    const int a = wholeNumber(match.capturedView(1));
                    const int b = wholeNumber(match.capturedView(2));
                    year = wholeNumber(match.capturedView(3));
                    if (a >= 13) {
                        day = a;
                        month = b;
                    } else {
                        month = a;
                        day = b;
                    }
                    if (a < 0 || b < 0)
                        year = -1;
                    break;
                }
                case DateForm::dayMonth:
                    day = wholeNumber(match.capturedView(1));
                    month = monthOfWord(match.captured(2));
                    year = wholeNumber(match.capturedView(3));
                    break;
                case DateForm::monthDay:
                    month = monthOfWord(match.captured(1));
                    day = wholeNumber(match.capturedView(2));
                    year = wholeNumber(match.capturedView(3));
                    break;
                }
                if (year < 0 || month < 0 || day < 0)
                    continue;
                if (year < 100)
                    year += 2000;
                if (const std::optional<QDateTime> date = makeDate(year, month, day))
                    found.append({*date, line});
            }
        }
    }
    return found;
}

std::optional<QDateTime> documentDate(const QList<DatedLine> &dated)
{
    if (dated.isEmpty())
        return std::nullopt;
    // A line stands in the list once per date on it, and `datedLines` hands
    // every entry of a line the same shared text: each line is judged once,
    // so that the work grows with the text and not with its dates times it.
    struct Verdict
    {
        bool dateWord = false;
        bool avoided = false;
        bool placeAndDate = false;
    };
    QList<Verdict> verdicts;
    verdicts.reserve(dated.size());
    for (qsizetype i = 0; i < dated.size(); ++i) {
        const QString &line = dated[i].line;
        if (i > 0 && line.constData() == dated[i - 1].line.constData() && line.size() == dated[i - 1].line.size()) {
            verdicts.append(verdicts.last());
            continue;
        }
        const QString lower = line.toLower();
        verdicts.append({containsAny(lower, dateWords()), containsAny(lower, notDocumentDateWords()),
                         placeAndDate().match(line).hasMatch()});
    }

    for (qsizetype i = 0; i < dated.size(); ++i) {
        if (verdicts[i].dateWord && !verdicts[i].avoided)
            return dated[i].date;
    }
    for (qsizetype i = 0; i < dated.size(); ++i) {
        if (verdicts[i].placeAndDate)
            return dated[i].date;
    }
    for (qsizetype i = 0; i < dated.size(); ++i) {
        if (!verdicts[i].avoided)
            return dated[i].date;
    }
    return dated.first().date;
}

KindScore kind(const QString &text)
{
    const QString lower = text.toLower();
    const qsizetype headLength = firstCharacters(lower, 400).size();
    KindScore best;
    for (const KindKeywords &row : keywords()) {
        double score = 0.0;
        for (const QString &word : row.words) {
            // Its first occurrence tells both whether and where the keyword occurs.
            const qsizetype at = lower.indexOf(word);
            if (at >= 0)
                score += at + word.size() <= headLength ? 0.5 : 0.25;
        }
        if (score > best.score)
            best = {row.kind, score};
    }
    best.score = std::min(best.score, 1.0);
    return best;
}

std::optional<QString> sender(const QStringList &lines)
{
    const qsizetype count = std::min<qsizetype>(lines.size(), 12);

    for (qsizetype i = 0; i < count; ++i) {
        const QString &line = lines[i];
        if (!legalFormWord().match(line).hasMatch())
            continue;
        qsizetype cut = line.size();
        for (const QChar separator : {u',', u'|', u'\u2022', u'\u00B7'}) {
            const qsizetype at = line.indexOf(separator);
            if (at >= 0)
                cut = std::min(cut, at);
        }
        const QString name = line.first(cut).trimmed();
        // A line that opens with a separator names nobody; look further.
        if (!name.isEmpty())
            return name;
    }

    for (qsizetype i = 0; i < count; ++i) {
        const QString &line = lines[i];
        if (line.size() < 3)
            continue;
        const qsizetype length = characterCount(line, 40);
        if (length < 3 || length > 40)
            continue;
        const QString lower = line.toLower();
        if (startsWithAny(lower, allKeywords()) || startsWithAny(lower, senderSkipWords())
            || allKeywords().contains(lower) || hasDigitOfAnyScript(line))
            continue;
        return line;
    }
    return std::nullopt;
}

QString shortSender(const QString &name)
{
    static const QStringList formsLongestFirst = [] {
        QStringList forms = legalForms();
        std::stable_sort(forms.begin(), forms.end(),
                         [](const QString &a, const QString &b) { return a.size() > b.size(); });
        return forms;
    }();

    QString shortened = name;
    for (const QString &form : formsLongestFirst) {
        if (shortened.size() > form.size() && shortened.endsWith(form)
            && shortened[shortened.size() - form.size() - 1] == u' ')
            shortened.chop(form.size() + 1);
    }
    // Only blanks, commas and full stops go: "Canal+" keeps its plus.
    const auto trimmable = [](QChar c) { return c == u' ' || c == u',' || c == u'.'; };
    qsizetype start = 0;
    qsizetype end = shortened.size();
    while (start < end && trimmable(shortened[start]))
        ++start;
    while (end > start && trimmable(shortened[end - 1]))
        --end;
    return shortened.sliced(start, end - start);
}

Result read(const QString &text)
{
    Result result;
    const QString valid = validText(text);
    const QStringList lines = splitLines(valid);
    const KindScore kindScore = kind(valid);
    result.kind = kindScore.kind;
    result.kindScore = kindScore.score;
    result.amounts = money(lines);
    const QList<DatedLine> dated = datedLines(lines);
    result.sender = sender(lines);
    for (const DatedLine &entry : dated)
        result.dates.append(entry.date);
    result.date = documentDate(dated);
    result.total = total(result.amounts, result.kind);
    result.title = title(lines);
    return result;
}

} // namespace PatternReader
