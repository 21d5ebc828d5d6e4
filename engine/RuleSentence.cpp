#include "RuleSentence.h"

namespace RuleSentence {

namespace {

using Field = Condition::Field;
using Operator = Condition::Operator;
using Kind = RuleAction::Kind;

// A value as typed, between the quotation marks of the language.
QString quoted(const QString &value, bool de)
{
    return de ? u'\u201E' + value + u'\u201C' : u'\u201C' + value + u'\u201D';
}

QString lastJoined(const QStringList &items, const QString &lastSeparator)
{
    if (items.isEmpty())
        return QString();
    if (items.size() == 1)
        return items.first();
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + lastSeparator + items.last();
}

QString categoryWord(FileCategory category, bool de)
{
    switch (category) {
    case FileCategory::pdf:
        return QStringLiteral("PDF");
    case FileCategory::image:
        return de ? QStringLiteral("Bild") : QStringLiteral("image");
    case FileCategory::screenshot:
        return de ? QStringLiteral("Bildschirmfoto") : QStringLiteral("screenshot");
    case FileCategory::installer:
        return QStringLiteral("Installer");
    case FileCategory::document:
        return de ? QStringLiteral("Dokument") : QStringLiteral("document");
    case FileCategory::archive:
        return de ? QStringLiteral("Archiv") : QStringLiteral("archive");
    case FileCategory::audio:
        return QStringLiteral("Audio");
    case FileCategory::video:
        return QStringLiteral("Video");
    }
    return QString();
}

// The kind condition: the known kinds among its values, by name; unknown
// values (a capital letter is enough) are left out.
QString kindClause(const Condition &condition, bool de)
{
    const bool isNot = condition.op == Operator::isNot;
    const NameLanguage names = de ? NameLanguage::de : NameLanguage::en;
    QStringList kinds;
    for (const QString &value : condition.values()) {
        if (const auto kind = DocumentKinds::fromRawValue(value))
            kinds.append(DocumentKinds::name(*kind, names));
    }
    if (de)
        return QStringLiteral("die Art ") + (isNot ? QStringLiteral("nicht ") : QString()) + list(kinds, true)
            + QStringLiteral(" ist");
    const QString k = list(kinds, false).toLower();
    const bool vowel = !k.isEmpty() && QStringLiteral("aeiou").contains(k.front());
    return (isNot ? QStringLiteral("it is not ") : QStringLiteral("it is ")) + (vowel ? QStringLiteral("an") : QStringLiteral("a"))
        + u' ' + k;
}

QString fileTypeClause(const Condition &condition, bool de)
{
    const bool isNot = condition.op == Operator::isNot;
    QStringList words;
    for (const QString &value : condition.values())
        words.append(category(value, de));
    if (de)
        return QStringLiteral("der Typ ") + (isNot ? QStringLiteral("nicht ") : QString()) + list(words, true)
            + QStringLiteral(" ist");
    return (isNot ? QStringLiteral("the type is not ") : QStringLiteral("the type is ")) + list(words, false);
}

} // namespace

QString list(const QStringList &items, bool de)
{
    return lastJoined(items, de ? QStringLiteral(" oder ") : QStringLiteral(" or "));
}

QString join(const QStringList &items, bool de)
{
    return lastJoined(items, de ? QStringLiteral(" und ") : QStringLiteral(" and "));
}

QString category(const QString &value, bool de)
{
    if (const auto known = FileCategories::fromRawValue(value))
        return categoryWord(*known, de);
    return u'.' + value;
}

QString textOp(Condition::Operator op, const QString &quoted, bool de)
{
    switch (op) {
    case Operator::is:
        return de ? quoted + QStringLiteral(" ist") : QStringLiteral("is ") + quoted;
    case Operator::contains:
        return de ? quoted + QStringLiteral(" enthält") : QStringLiteral("contains ") + quoted;
    case Operator::doesNotContain:
        return de ? quoted + QStringLiteral(" nicht enthält") : QStringLiteral("does not contain ") + quoted;
    case Operator::startsWith:
        return de ? QStringLiteral("mit ") + quoted + QStringLiteral(" beginnt") : QStringLiteral("starts with ") + quoted;
    case Operator::endsWith:
        return de ? QStringLiteral("auf ") + quoted + QStringLiteral(" endet") : QStringLiteral("ends with ") + quoted;
    default:
        return quoted;
    }
}

QString condition(const Condition &condition, bool de)
{
    const QString &v = condition.value;
    const Operator op = condition.op;
    switch (condition.field) {
    case Field::kind:
        return kindClause(condition, de);
    case Field::sender:
        return (de ? QStringLiteral("der Absender ") : QStringLiteral("the sender ")) + textOp(op, quoted(v, de), de);
    case Field::date:
        if (de)
            return QStringLiteral("das Belegdatum ") + (op == Operator::before ? QStringLiteral("vor") : QStringLiteral("nach"))
                + QStringLiteral(" dem ") + v + QStringLiteral(" liegt");
        return QStringLiteral("the document date is ")
            + (op == Operator::before ? QStringLiteral("before") : QStringLiteral("after")) + u' ' + v;
    case Field::amount: {
        if (de) {
            const QString w = op == Operator::lessThan ? QStringLiteral("unter")
                : op == Operator::greaterThan          ? QStringLiteral("über")
                                                       : QStringLiteral("genau");
            return QStringLiteral("der Betrag ") + w + u' ' + v + QStringLiteral(" liegt");
        }
        const QString w = op == Operator::lessThan ? QStringLiteral("under")
            : op == Operator::greaterThan          ? QStringLiteral("over")
                                                   : QStringLiteral("exactly");
        return QStringLiteral("the amount is ") + w + u' ' + v;
    }
    case Field::fileType:
        return fileTypeClause(condition, de);
    case Field::name:
        return (de ? QStringLiteral("der Name ") : QStringLiteral("the name ")) + textOp(op, quoted(v, de), de);
    case Field::age:
        if (de)
            return (op == Operator::greaterThan ? QStringLiteral("sie älter als ") : QStringLiteral("sie jünger als "))
                + v + QStringLiteral(" Tage ist");
        return (op == Operator::greaterThan ? QStringLiteral("it is older than ") : QStringLiteral("it is newer than "))
            + v + QStringLiteral(" days");
    case Field::size:
        if (de)
            return QStringLiteral("sie ") + (op == Operator::greaterThan ? QStringLiteral("größer") : QStringLiteral("kleiner"))
                + QStringLiteral(" als ") + v + QStringLiteral(" MB ist");
        return QStringLiteral("it is ") + (op == Operator::greaterThan ? QStringLiteral("larger") : QStringLiteral("smaller"))
            + QStringLiteral(" than ") + v + QStringLiteral(" MB");
    case Field::text:
        return (de ? QStringLiteral("der Inhalt ") : QStringLiteral("the text ")) + textOp(op, quoted(v, de), de);
    }
    return QString();
}

QString action(const RuleAction &action, bool de)
{
    const QString &v = action.value;
    switch (action.kind) {
    case Kind::move:
        return (de ? QStringLiteral("verschieben nach ") : QStringLiteral("move it to ")) + v;
    case Kind::rename:
        return (de ? QStringLiteral("umbenennen in ") : QStringLiteral("rename it to ")) + quoted(v, de);
    case Kind::tag:
        // German takes the English alternatives and says "und" for every
        // " or " in them, a tag's own " or " included.
        if (de)
            return QStringLiteral("mit ") + list(action.tags(), false).replace(QStringLiteral(" or "), QStringLiteral(" und "))
                + QStringLiteral(" markieren");
        return QStringLiteral("tag it ") + action.tags().join(QStringLiteral(", "));
    case Kind::trashAfter:
        if (de)
            return QStringLiteral("nach ") + v + QStringLiteral(" Tagen in den Papierkorb legen");
        return QStringLiteral("move it to the Trash after ") + v + QStringLiteral(" days");
    case Kind::openWith:
        return de ? QStringLiteral("mit ") + v + QStringLiteral(" öffnen") : QStringLiteral("open it with ") + v;
    case Kind::copy:
        return (de ? QStringLiteral("kopieren nach ") : QStringLiteral("copy it to ")) + v;
    }
    return QString();
}

QString make(const Rule &rule, const QString &folderName, NameLanguage language)
{
    const bool de = language == NameLanguage::de;
    QString sentence = de ? QStringLiteral("Wenn eine neue Datei in ") + folderName + QStringLiteral(" liegt")
                          : QStringLiteral("When a new file arrives in ") + folderName;
    if (!rule.conditions.isEmpty()) {
        QStringList clauses;
        for (const Condition &c : rule.conditions)
            clauses.append(condition(c, de));
        sentence += (de ? QStringLiteral(" und ") : QStringLiteral(" and ")) + join(clauses, de);
    }
    if (rule.actions.isEmpty())
        return sentence + (de ? QStringLiteral(", passiert nichts.") : QStringLiteral(", nothing happens."));
    QStringList phrases;
    for (const RuleAction &a : rule.actions)
        phrases.append(action(a, de));
    return sentence + (de ? QStringLiteral(", dann ") : QStringLiteral(", then ")) + join(phrases, de) + u'.';
}

} // namespace RuleSentence
