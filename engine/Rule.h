// The user's filing rules: conditions that must all hold for a file, actions
// to take when they do, their stored JSON form, and the facts of one file that
// rules are matched against.
#pragma once

#include "Recognition.h"

#include <QByteArray>
#include <QDateTime>
#include <QHashFunctions>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <array>
#include <optional>

// What rules see of one file. Not stored.
struct FileFacts
{
    QString url; // absolute local path of the file
    qint64 size = 0; // bytes; 0 when the file system does not report it
    QDateTime added; // when the file arrived in its folder
    bool isScreenshot = false;
    std::optional<Recognition> recognition; // when the caller has read the document
    std::optional<QString> text; // the extracted text, when the caller has it
    QDateTime now; // the moment of matching; ages are measured against it

    // The last path component, extension included.
    QString name() const;
    // The extension, lower-cased; "" when the name has none.
    QString ext() const;
    // The extension plus the raw values of every FileCategory the file falls in.
    QSet<QString> categories() const;

    // Size, arrival (date added, else creation date, else now) and the
    // screenshot test of the file at `path`; never fails.
    static FileFacts read(const QString &path, std::optional<Recognition> recognition,
                          std::optional<QString> text, const QDateTime &now);
};

// Broad kinds of files, named in file-type conditions by their raw values.
enum class FileCategory { pdf, image, screenshot, installer, document, archive, audio, video };

namespace FileCategories {
inline constexpr std::array<FileCategory, 8> allCases{
    FileCategory::pdf, FileCategory::image, FileCategory::screenshot, FileCategory::installer,
    FileCategory::document, FileCategory::archive, FileCategory::audio, FileCategory::video};

QString rawValue(FileCategory category);
std::optional<FileCategory> fromRawValue(QStringView raw);
} // namespace FileCategories

struct Condition
{
    enum class Field { kind, sender, date, amount, fileType, name, age, size, text };
    enum class Operator { is, isNot, contains, doesNotContain, startsWith, endsWith, greaterThan, lessThan, before, after };

    static constexpr std::array<Field, 9> allFields{
        Field::kind, Field::sender, Field::date, Field::amount, Field::fileType,
        Field::name, Field::age, Field::size, Field::text};
    static constexpr std::array<Operator, 10> allOperators{
        Operator::is, Operator::isNot, Operator::contains, Operator::doesNotContain, Operator::startsWith,
        Operator::endsWith, Operator::greaterThan, Operator::lessThan, Operator::before, Operator::after};

    QUuid id;
    Field field = Field::kind;
    Operator op = Operator::is;
    QString value; // as the user typed it; its form depends on the field

    // The value split at commas, pieces trimmed of blanks and tabs, empty ones dropped.
    QStringList values() const;

    bool matches(const FileFacts &facts) const;

    friend bool operator==(const Condition &, const Condition &) = default;

    QJsonObject toJson() const;
    // Throws JsonCoding::DecodeError.
    static Condition fromJson(const QJsonObject &object);

    static QString fieldRawValue(Field field);
    static std::optional<Field> fieldFromRawValue(QStringView raw);
    static QString operatorRawValue(Operator op);
    static std::optional<Operator> operatorFromRawValue(QStringView raw);

    // The operators the rule editor offers for a field, in display order.
    static QList<Operator> operators(Field field);
    // Whether testing the field needs the document to have been read.
    static bool needsRecognition(Field field);

private:
    bool compare(const QString &text) const;
};

struct RuleAction
{
    enum class Kind { move, rename, tag, trashAfter, openWith, copy };

    static constexpr std::array<Kind, 6> allKinds{
        Kind::move, Kind::rename, Kind::tag, Kind::trashAfter, Kind::openWith, Kind::copy};

    QUuid id;
    Kind kind = Kind::move;
    QString value; // as typed; its form depends on the kind

    // Tag names: the value split at commas, pieces trimmed of blanks and tabs, empty ones dropped.
    QStringList tags() const;
    // Days of a trash-after action: a plain decimal integer with an optional sign.
    std::optional<qint64> days() const;

    friend bool operator==(const RuleAction &, const RuleAction &) = default;

    QJsonObject toJson() const;
    // Throws JsonCoding::DecodeError.
    static RuleAction fromJson(const QJsonObject &object);

    static QString kindRawValue(Kind kind);
    static std::optional<Kind> kindFromRawValue(QStringView raw);
};

struct Rule
{
    QUuid id;
    QString name;
    QList<Condition> conditions; // all must hold; none matches no file
    QList<RuleAction> actions; // carried out in list order
    bool isEnabled = true;
    std::optional<QString> createdFromPrompt; // the sentence a drafted rule came from

    // True when every condition holds (and there is at least one).
    // Whether the rule is switched on is the caller's business.
    bool matches(const FileFacts &facts) const;
    // Whether matching or the name templates need the document to be read.
    bool usesRecognition() const;
    // Whether a condition tests the document's text.
    bool readsText() const;

    friend bool operator==(const Rule &, const Rule &) = default;

    QJsonObject toJson() const;
    QByteArray toJsonData() const;
    // Throw JsonCoding::DecodeError.
    static Rule fromJson(const QJsonObject &object);
    static Rule fromJsonData(const QByteArray &data);
};

size_t qHash(const Condition &condition, size_t seed = 0) noexcept;
size_t qHash(const RuleAction &action, size_t seed = 0) noexcept;
size_t qHash(const Rule &rule, size_t seed = 0) noexcept;

namespace PatternReader {
// A "YYYY-MM-DD" text as that day at 12:00 UTC, exactly as Recognizer::parseISO reads it.
std::optional<QDateTime> parseISODate(const QString &text);
} // namespace PatternReader
