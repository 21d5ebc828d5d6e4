// What was read from one document, and the kinds of documents there are.
#pragma once

#include "Decimal.h"

#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

enum class DocumentKind { invoice, receipt, contract, bankStatement, payslip, letter, screenshot, photo, installer, other };

// The language of the words that go into file and folder names.
enum class NameLanguage { de, en };

namespace DocumentKinds {
inline constexpr std::array<DocumentKind, 10> allCases{
    DocumentKind::invoice, DocumentKind::receipt, DocumentKind::contract, DocumentKind::bankStatement,
    DocumentKind::payslip, DocumentKind::letter, DocumentKind::screenshot, DocumentKind::photo,
    DocumentKind::installer, DocumentKind::other};

QString rawValue(DocumentKind kind);
std::optional<DocumentKind> fromRawValue(QStringView raw);
// The word used inside file and folder names ("Rechnung", "Invoice").
QString name(DocumentKind kind, NameLanguage language);
// The icon name shown for the kind.
QString symbol(DocumentKind kind);
// Invoices and receipts make up a month's receipts.
bool isReceipt(DocumentKind kind);
} // namespace DocumentKinds

namespace NameLanguages {
inline constexpr std::array<NameLanguage, 2> allCases{NameLanguage::de, NameLanguage::en};
QString rawValue(NameLanguage language);
std::optional<NameLanguage> fromRawValue(QStringView raw);
} // namespace NameLanguages

// Every document date is a calendar day held as 12:00 UTC in the Gregorian
// calendar, so that a day never shifts with the user's time zone.
namespace CalendarUtc {
QDateTime noon(const QDate &day);
QDate day(const QDateTime &instant);
} // namespace CalendarUtc

struct Recognition
{
    enum class Source { model, rules };

    static constexpr double reviewThreshold = 0.6;

    DocumentKind kind = DocumentKind::other;
    std::optional<QString> sender;
    std::optional<QDateTime> date;
    std::optional<Decimal> amount;
    std::optional<QString> currency;
    std::optional<QString> title;
    double confidence = 0.0;
    Source source = Source::rules;
    QDateTime readAt;
    QStringList notes;

    bool needsReview() const { return confidence < reviewThreshold; }

    // Equal by all ten fields; a NaN confidence equals nothing.
    friend bool operator==(const Recognition &, const Recognition &) = default;

    QJsonObject toJson() const;
    QByteArray toJsonData() const;
    // Throws JsonCoding::DecodeError.
    static Recognition fromJson(const QJsonObject &object);
    static Recognition fromJsonData(const QByteArray &data);

    static QString sourceRawValue(Source source);
    static std::optional<Source> sourceFromRawValue(QStringView raw);
};
