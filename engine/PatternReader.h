// Reading a document's text by fixed word tables and regular expressions,
// without any model: the kind with a score, the sender, every date and the
// document date, every amount and the total, and the document number as title.
//
// Everything here is stateless; the tables and compiled expressions are
// process-wide constants built on first use, so any thread may call in.
#pragma once

#include "Decimal.h"
#include "Recognition.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace PatternReader {

// An amount of money found in a line.
struct Money
{
    Decimal amount;
    QString currency; // ISO 4217 code
    bool isTotal = false; // the amount stands on a total line

    friend bool operator==(const Money &, const Money &) = default;
};

// A date found in a line, with the whole line it was found in.
struct DatedLine
{
    QDateTime date; // the day at 12:00 UTC
    QString line;

    friend bool operator==(const DatedLine &, const DatedLine &) = default;
};

struct KindScore
{
    DocumentKind kind = DocumentKind::other;
    double score = 0.0; // 0 to 1
};

struct Result
{
    DocumentKind kind = DocumentKind::other; // other when no keyword was found
    double kindScore = 0.0;
    std::optional<QString> sender;
    QList<QDateTime> dates; // every date found, in text order
    std::optional<QDateTime> date; // the document date
    QList<Money> amounts; // every distinct amount, in order of first appearance
    std::optional<Money> total;
    std::optional<QString> title; // the document number
};

// Reads everything from a document's text. Never fails: an empty text gives
// kind other, score 0 and nothing else.
Result read(const QString &text);

// The system's one reader of amount texts, written or typed: "1.234,56",
// "1,234.56", "1'234.50", "1 234,50", "12,50", "12,5", "-8,79". A lone
// separator followed by exactly two characters is the decimal separator, and
// so is the only separator followed by one; otherwise it groups thousands.
// Nothing for a text that is not a number.
std::optional<Decimal> parseNumber(const QString &text);

// An amount as a person types it into a rule: the number as `parseNumber`
// reads it, with one currency symbol or code before or after it ignored
// ("100 €", "EUR 12,50", "12.50 usd"). Nothing for a text that is not a number.
std::optional<Decimal> parseTypedAmount(const QString &text);

// Every distinct amount of the lines, with currency and total flag. A minus
// sign directly before the number, or directly before the currency symbol
// that precedes it, makes the amount negative (credit notes).
QList<Money> money(const QStringList &lines);

// The document's total: the largest amount on a total line; without total
// lines, the largest amount of an invoice, receipt or other document.
std::optional<Money> total(const QList<Money> &amounts, DocumentKind kind);

// Every date of the lines in five written forms, line by line.
QList<DatedLine> datedLines(const QStringList &lines);

// The document's own date among the dated lines (not a due date or a period).
std::optional<QDateTime> documentDate(const QList<DatedLine> &dated);

// The day at 12:00 UTC; nothing outside the years 1990 to 2100 or for a day
// the month does not have.
std::optional<QDateTime> makeDate(int year, int month, int day);

// The kind whose keywords the text holds most, with its score.
KindScore kind(const QString &text);

// The sender: the first of the first 12 lines that names a legal form,
// else the first plausible name line.
std::optional<QString> sender(const QStringList &lines);

// The sender without its legal form: "Beispiel Handels GmbH" gives "Beispiel Handels".
QString shortSender(const QString &name);

} // namespace PatternReader
