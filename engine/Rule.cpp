#include "Rule.h"

#include "FileTimes.h"
#include "JsonCoding.h"
#include "PatternReader.h"
#include "Recognizer.h"
#include "TextExtractor.h"
#include "Whitespace.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QMimeDatabase>

#include <charconv>

namespace {

QStringList splitAtCommas(const QString &value)
{
    QStringList pieces;
    for (const QStringView piece : QStringView(value).split(u',')) {
        const QStringView trimmed = Whitespace::trimmed(piece);
        if (!trimmed.isEmpty())
            pieces.append(trimmed.toString());
    }
    return pieces;
}

// A whole text as a floating-point number with a point for decimals and an
// optional sign: no blanks, no group separators, no unit, whatever the locale.
std::optional<double> readNumber(QStringView text)
{
    QByteArray ascii;
    ascii.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() > 0x7e || c.unicode() <= 0x20)
            return std::nullopt;
        ascii.append(char(c.unicode()));
    }
    const char *begin = ascii.constData();
    const char *const end = begin + ascii.size();
    // from_chars takes a "-" but no "+".
    if (begin != end && *begin == '+' && begin + 1 != end && begin[1] != '-')
        ++begin;
    double number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (error != std::errc() || stop != end || begin == end)
        return std::nullopt;
    return number;
}

// What a content type conforms to, as far as file categories go.
struct Conformance
{
    bool pdf = false;
    bool image = false;
    bool archive = false;
    bool audio = false;
    bool video = false;
};

bool isArchiveType(const QString &name)
{
    static const QSet<QString> archives{
        QStringLiteral("application/zip"), QStringLiteral("application/vnd.rar"),
        QStringLiteral("application/x-7z-compressed"), QStringLiteral("application/x-tar"),
        QStringLiteral("application/gzip"), QStringLiteral("application/x-bzip"),
        QStringLiteral("application/x-bzip2"), QStringLiteral("application/x-xz"),
        QStringLiteral("application/zstd"), QStringLiteral("application/x-lzma"),
        QStringLiteral("application/x-lzip"), QStringLiteral("application/x-compress"),
        QStringLiteral("application/x-cpio"), QStringLiteral("application/x-archive"),
        QStringLiteral("application/vnd.ms-cab-compressed")};
    return archives.contains(name);
}

// The content type that a file name with this extension has, by the MIME
// database's file-name patterns and inheritance; nothing for an unknown one.
std::optional<Conformance> lookUpContentType(const QMimeDatabase &database, const QString &extension)
{
    const QMimeType type = database.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return std::nullopt;
    Conformance conformance;
    for (const QString &name : QStringList{type.name()} + type.allAncestors()) {
        conformance.pdf |= name == QLatin1String("application/pdf");
        conformance.image |= name.startsWith(QLatin1String("image/"));
        conformance.archive |= isArchiveType(name);
        conformance.audio |= name.startsWith(QLatin1String("audio/"));
        conformance.video |= name.startsWith(QLatin1String("video/"));
    }
    return conformance;
}

// Looking a name up in the MIME database takes microseconds, so the answers
// for every extension the database lists are gathered once, on first use.
std::optional<Conformance> contentType(const QString &extension)
{
    static const QMimeDatabase database;
    static const QHash<QString, std::optional<Conformance>> byExtension = [] {
        QHash<QString, std::optional<Conformance>> table;
        for (const QMimeType &type : database.allMimeTypes()) {
            for (const QString &suffix : type.suffixes()) {
                const QString extension = suffix.toLower();
                if (!extension.contains(u'.') && !table.contains(extension))
                    table.insert(extension, lookUpContentType(database, extension));
            }
        }
        return table;
    }();
    if (extension.isEmpty())
        return std::nullopt;
    const auto known = byExtension.constFind(extension);
    if (known != byExtension.constEnd())
        return *known;
    return lookUpContentType(database, extension);
}

template<typename Enum, std::size_t N>
QString rawValueOf(const std::array<const char16_t *, N> &names, Enum value)
{
    return QString::fromUtf16(names[static_cast<std::size_t>(value)]);
}

template<typename Enum, std::size_t N>
std::optional<Enum> fromRawValueOf(const std::array<const char16_t *, N> &names, QStringView raw)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (raw == QStringView(names[i]))
            return static_cast<Enum>(i);
    }
    return std::nullopt;
}

constexpr std::array<const char16_t *, 8> categoryNames{
    u"pdf", u"image", u"screenshot", u"installer", u"document", u"archive", u"audio", u"video"};
constexpr std::array<const char16_t *, 9> fieldNames{
    u"kind", u"sender", u"date", u"amount", u"fileType", u"name", u"age", u"size", u"text"};
constexpr std::array<const char16_t *, 10> operatorNames{
    u"is", u"isNot", u"contains", u"doesNotContain", u"startsWith",
    u"endsWith", u"greaterThan", u"lessThan", u"before", u"after"};
constexpr std::array<const char16_t *, 6> actionKindNames{
    u"move", u"rename", u"tag", u"trashAfter", u"openWith", u"copy"};

template<typename T>
QList<T> decodeList(const QJsonObject &object, const QString &key, const QString &what)
{
    QList<T> list;
    const QJsonArray array = JsonCoding::requiredArray(object, key);
    list.reserve(array.size());
    for (const QJsonValue &item : array)
        list.append(T::fromJson(JsonCoding::requiredObject(item, what)));
    return list;
}

template<typename Enum>
Enum requiredEnum(const QJsonObject &object, const QString &key,
                  std::optional<Enum> (*fromRaw)(QStringView))
{
    const QString raw = JsonCoding::requiredString(object, key);
    const std::optional<Enum> value = fromRaw(raw);
    if (!value)
        throw JsonCoding::DecodeError(QStringLiteral("Unknown value \"%1\" for key \"%2\"").arg(raw, key));
    return *value;
}

} // namespace

// FileFacts

QString FileFacts::name() const
{
    const qsizetype slash = url.lastIndexOf(u'/');
    return slash < 0 ? url : url.mid(slash + 1);
}

QString FileFacts::ext() const
{
    const QString fileName = name();
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0 || dot == fileName.size() - 1)
        return QString();
    return fileName.mid(dot + 1).toLower();
}

QSet<QString> FileFacts::categories() const
{
    static const QSet<QString> archiveExtensions{
        QStringLiteral("zip"), QStringLiteral("rar"), QStringLiteral("7z"), QStringLiteral("tar"),
        QStringLiteral("gz")};
    static const QSet<QString> documentExtensions{
        QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("rtf"), QStringLiteral("txt"),
        QStringLiteral("md"), QStringLiteral("pages"), QStringLiteral("odt"), QStringLiteral("xls"),
        QStringLiteral("xlsx"), QStringLiteral("numbers"), QStringLiteral("key"), QStringLiteral("pptx")};

    const QString extension = ext();
    QSet<QString> set{extension};

    const std::optional<Conformance> type = contentType(extension);
    if (type && type->pdf)
        set.insert(FileCategories::rawValue(FileCategory::pdf));
    if (type && type->image)
        set.insert(FileCategories::rawValue(FileCategory::image));
    if (isScreenshot)
        set.insert(FileCategories::rawValue(FileCategory::screenshot));
    if (Recognizer::installerExtensions().contains(extension))
        set.insert(FileCategories::rawValue(FileCategory::installer));
    if ((type && type->archive) || archiveExtensions.contains(extension))
        set.insert(FileCategories::rawValue(FileCategory::archive));
    if (type && type->audio)
        set.insert(FileCategories::rawValue(FileCategory::audio));
    if (type && type->video)
        set.insert(FileCategories::rawValue(FileCategory::video));
    if ((type && type->pdf) || documentExtensions.contains(extension))
        set.insert(FileCategories::rawValue(FileCategory::document));
    return set;
}

FileFacts FileFacts::read(const QString &path, std::optional<Recognition> recognition,
                          std::optional<QString> text, const QDateTime &now)
{
    const FileTimes times = FileTimes::read(path);
    const QFileInfo info(path);
    FileFacts facts;
    facts.url = path;
    facts.size = info.exists() ? info.size() : 0;
    facts.added = times.added ? *times.added : times.created ? *times.created : now;
    facts.isScreenshot = TextExtractor::isScreenshot(path);
    facts.recognition = std::move(recognition);
    facts.text = std::move(text);
    facts.now = now;
    return facts;
}

// FileCategory

namespace FileCategories {

QString rawValue(FileCategory category)
{
    return rawValueOf(categoryNames, category);
}

std::optional<FileCategory> fromRawValue(QStringView raw)
{
    return fromRawValueOf<FileCategory>(categoryNames, raw);
}

} // namespace FileCategories

// Condition

QStringList Condition::values() const
{
    return splitAtCommas(value);
}

bool Condition::compare(const QString &text) const
{
    const QString subject = text.toLower();
    const QString wanted = value.toLower();
    switch (op) {
    case Operator::is:
        return subject == wanted;
    case Operator::contains:
        return subject.contains(wanted);
    case Operator::doesNotContain:
        return !subject.contains(wanted);
    case Operator::startsWith:
        return subject.startsWith(wanted);
    case Operator::endsWith:
        return subject.endsWith(wanted);
    case Operator::isNot:
    case Operator::greaterThan:
    case Operator::lessThan:
    case Operator::before:
    case Operator::after:
        return false;
    }
    return false;
}

bool Condition::matches(const FileFacts &facts) const
{
    const std::optional<Recognition> &recognition = facts.recognition;
    switch (field) {
    case Field::kind: {
        if (!recognition)
            return false;
        const bool among = values().contains(DocumentKinds::rawValue(recognition->kind));
        return op == Operator::isNot ? !among : among;
    }
    case Field::sender:
        if (!recognition || !recognition->sender)
            return op == Operator::doesNotContain;
        return compare(*recognition->sender);
    case Field::date: {
        if (!recognition || !recognition->date)
            return false;
        const std::optional<QDateTime> day = Recognizer::parseISO(value);
        if (!day)
            return false;
        return op == Operator::before ? *recognition->date < *day : *recognition->date > *day;
    }
    case Field::amount: {
        if (!recognition || !recognition->amount)
            return false;
        const std::optional<Decimal> wanted = PatternReader::parseTypedAmount(value);
        if (!wanted)
            return false;
        if (op == Operator::greaterThan)
            return *recognition->amount > *wanted;
        if (op == Operator::lessThan)
            return *recognition->amount < *wanted;
        return *recognition->amount == *wanted;
    }
    case Field::fileType: {
        const QStringList wanted = values();
        const QSet<QString> categories = facts.categories();
        const bool any = std::any_of(wanted.begin(), wanted.end(),
                                     [&](const QString &v) { return categories.contains(v.toLower()); });
        return op == Operator::isNot ? !any : any;
    }
    case Field::name:
        return compare(facts.name());
    case Field::age: {
        const std::optional<double> days = readNumber(value);
        if (!days)
            return false;
        const double age = double(facts.added.msecsTo(facts.now)) / 86'400'000.0;
        return op == Operator::greaterThan ? age > *days : age < *days;
    }
    case Field::size: {
        const std::optional<double> megabytes = readNumber(QString(value).replace(u',', u'.'));
        if (!megabytes)
            return false;
        const double actual = double(facts.size) / 1'000'000.0;
        return op == Operator::greaterThan ? actual > *megabytes : actual < *megabytes;
    }
    case Field::text:
        return compare(facts.text.value_or(QString()));
    }
    return false;
}

QJsonObject Condition::toJson() const
{
    return QJsonObject{{QStringLiteral("id"), JsonCoding::uuidText(id)},
                       {QStringLiteral("field"), fieldRawValue(field)},
                       {QStringLiteral("op"), operatorRawValue(op)},
                       {QStringLiteral("value"), value}};
}

Condition Condition::fromJson(const QJsonObject &object)
{
    Condition condition;
    condition.id = JsonCoding::requiredUuid(object, QStringLiteral("id"));
    condition.field = requiredEnum<Field>(object, QStringLiteral("field"), &fieldFromRawValue);
    condition.op = requiredEnum<Operator>(object, QStringLiteral("op"), &operatorFromRawValue);
    condition.value = JsonCoding::requiredString(object, QStringLiteral("value"));
    return condition;
}

QString Condition::fieldRawValue(Field field)
{
    return rawValueOf(fieldNames, field);
}

std::optional<Condition::Field> Condition::fieldFromRawValue(QStringView raw)
{
    return fromRawValueOf<Field>(fieldNames, raw);
}

QString Condition::operatorRawValue(Operator op)
{
    return rawValueOf(operatorNames, op);
}

std::optional<Condition::Operator> Condition::operatorFromRawValue(QStringView raw)
{
    return fromRawValueOf<Operator>(operatorNames, raw);
}

QList<Condition::Operator> Condition::operators(Field field)
{
    switch (field) {
    case Field::kind:
    case Field::fileType:
        return {Operator::is, Operator::isNot};
    case Field::sender:
    case Field::name:
    case Field::text:
        return {Operator::contains, Operator::doesNotContain, Operator::is, Operator::startsWith, Operator::endsWith};
    case Field::date:
        return {Operator::after, Operator::before};
    case Field::amount:
        return {Operator::greaterThan, Operator::lessThan, Operator::is};
    case Field::age:
    case Field::size:
        return {Operator::greaterThan, Operator::lessThan};
    }
    return {};
}

bool Condition::needsRecognition(Field field)
{
    return field == Field::kind || field == Field::sender || field == Field::date || field == Field::amount;
}

// RuleAction

QStringList RuleAction::tags() const
{
    return splitAtCommas(value);
}

std::optional<qint64> RuleAction::days() const
{
    const QStringView text = Whitespace::trimmed(value);
    qsizetype digitsFrom = 0;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-'))
        digitsFrom = 1;
    if (digitsFrom == text.size())
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 count = text.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return count;
}

QJsonObject RuleAction::toJson() const
{
    return QJsonObject{{QStringLiteral("id"), JsonCoding::uuidText(id)},
                       {QStringLiteral("kind"), kindRawValue(kind)},
                       {QStringLiteral("value"), value}};
}

RuleAction RuleAction::fromJson(const QJsonObject &object)
{
    RuleAction action;
    action.id = JsonCoding::requiredUuid(object, QStringLiteral("id"));
    action.kind = requiredEnum<Kind>(object, QStringLiteral("kind"), &kindFromRawValue);
    action.value = JsonCoding::requiredString(object, QStringLiteral("value"));
    return action;
}

QString RuleAction::kindRawValue(Kind kind)
{
    return rawValueOf(actionKindNames, kind);
}

std::optional<RuleAction::Kind> RuleAction::kindFromRawValue(QStringView raw)
{
    return fromRawValueOf<Kind>(actionKindNames, raw);
}

// Rule

bool Rule::matches(const FileFacts &facts) const
{
    if (conditions.isEmpty())
        return false;
    return std::all_of(conditions.begin(), conditions.end(),
                       [&](const Condition &condition) { return condition.matches(facts); });
}

bool Rule::readsText() const
{
    return std::any_of(conditions.begin(), conditions.end(),
                       [](const Condition &condition) { return condition.field == Condition::Field::text; });
}

bool Rule::usesRecognition() const
{
    const bool readsDocument = std::any_of(conditions.begin(), conditions.end(), [](const Condition &condition) {
        return Condition::needsRecognition(condition.field);
    });
    if (readsDocument)
        return true;
    // Placeholders of the name templates that stand for recognised data, in
    // both languages of the templates.
    static const std::array<QString, 12> recognisedPlaceholders{
        QStringLiteral("{datum}"), QStringLiteral("{absender}"), QStringLiteral("{betrag}"),
        QStringLiteral("{waehrung}"), QStringLiteral("{art}"), QStringLiteral("{titel}"),
        QStringLiteral("{date}"), QStringLiteral("{sender}"), QStringLiteral("{amount}"),
        QStringLiteral("{currency}"), QStringLiteral("{kind}"), QStringLiteral("{title}")};
    for (const RuleAction &action : actions) {
        if (action.kind != RuleAction::Kind::move && action.kind != RuleAction::Kind::rename
            && action.kind != RuleAction::Kind::copy)
            continue;
        for (const QString &placeholder : recognisedPlaceholders) {
            if (action.value.contains(placeholder))
                return true;
        }
    }
    return false;
}

QJsonObject Rule::toJson() const
{
    QJsonArray conditionArray;
    for (const Condition &condition : conditions)
        conditionArray.append(condition.toJson());
    QJsonArray actionArray;
    for (const RuleAction &action : actions)
        actionArray.append(action.toJson());
    QJsonObject object{{QStringLiteral("id"), JsonCoding::uuidText(id)},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("conditions"), conditionArray},
                       {QStringLiteral("actions"), actionArray},
                       {QStringLiteral("isEnabled"), isEnabled}};
    if (createdFromPrompt)
        object.insert(QStringLiteral("createdFromPrompt"), *createdFromPrompt);
    return object;
}

QByteArray Rule::toJsonData() const
{
    return JsonCoding::serialize(toJson());
}

Rule Rule::fromJson(const QJsonObject &object)
{
    Rule rule;
    rule.id = JsonCoding::requiredUuid(object, QStringLiteral("id"));
    rule.name = JsonCoding::requiredString(object, QStringLiteral("name"));
    rule.conditions = decodeList<Condition>(object, QStringLiteral("conditions"), QStringLiteral("A condition"));
    rule.actions = decodeList<RuleAction>(object, QStringLiteral("actions"), QStringLiteral("An action"));
    rule.isEnabled = JsonCoding::requiredBool(object, QStringLiteral("isEnabled"));
    rule.createdFromPrompt = JsonCoding::optionalString(object, QStringLiteral("createdFromPrompt"));
    return rule;
}

Rule Rule::fromJsonData(const QByteArray &data)
{
    return fromJson(JsonCoding::parseObject(data));
}

size_t qHash(const Condition &condition, size_t seed) noexcept
{
    return qHashMulti(seed, condition.id, int(condition.field), int(condition.op), condition.value);
}

size_t qHash(const RuleAction &action, size_t seed) noexcept
{
    return qHashMulti(seed, action.id, int(action.kind), action.value);
}

size_t qHash(const Rule &rule, size_t seed) noexcept
{
    seed = qHashMulti(seed, rule.id, rule.name, rule.isEnabled, rule.createdFromPrompt.has_value(),
                      rule.createdFromPrompt.value_or(QString()));
    seed = qHashRange(rule.conditions.begin(), rule.conditions.end(), seed);
    return qHashRange(rule.actions.begin(), rule.actions.end(), seed);
}

namespace PatternReader {

std::optional<QDateTime> parseISODate(const QString &text)
{
    return Recognizer::parseISO(text);
}

} // namespace PatternReader
