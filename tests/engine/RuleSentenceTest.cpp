#include "RuleSentence.h"
#include "RuleTemplates.h"

#include <QUuid>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
using Field = Condition::Field;
using Operator = Condition::Operator;
using Kind = RuleAction::Kind;

Condition cond(Field field, Operator op, const QString &value)
{
    return Condition{QUuid::createUuid(), field, op, value};
}

RuleAction act(Kind kind, const QString &value)
{
    return RuleAction{QUuid::createUuid(), kind, value};
}

QString sentence(const QList<Condition> &conditions, const QList<RuleAction> &actions, const QString &folder,
                 NameLanguage language)
{
    return RuleSentence::make(Rule{QUuid::createUuid(), u"Test"_s, conditions, actions, true, std::nullopt}, folder,
                              language);
}
} // namespace

TEST(RuleSentence, ListAndJoinPutTheLastSeparatorBeforeTheLastItemOnly)
{
    using RuleSentence::join;
    using RuleSentence::list;
    EXPECT_EQ(list({}, false), QString());
    EXPECT_EQ(join({}, true), QString());
    EXPECT_EQ(join({u"a"_s, u"b"_s, u"c"_s, u"d"_s}, true), u"a, b, c und d"_s);
}

TEST(RuleSentence, EmptyRuleAndTheJoinsOfConditionsAndActions)
{
    EXPECT_EQ(sentence({}, {}, u"Downloads"_s, NameLanguage::en),
              u"When a new file arrives in Downloads, nothing happens."_s);
    EXPECT_EQ(sentence({}, {}, u"Downloads"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Downloads liegt, passiert nichts."_s);
    EXPECT_EQ(sentence({}, {act(Kind::move, u"~/Archive"_s)}, u"Downloads"_s, NameLanguage::en),
              u"When a new file arrives in Downloads, then move it to ~/Archive."_s);

    const Condition scan = cond(Field::name, Operator::contains, u"scan"_s);
    EXPECT_EQ(sentence({scan}, {}, u"Schreibtisch"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Schreibtisch liegt und der Name „scan“ enthält, passiert nichts."_s);
    EXPECT_EQ(sentence({scan}, {act(Kind::move, u"~/Scans"_s)}, u"Downloads"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Downloads liegt und der Name „scan“ enthält, dann verschieben nach ~/Scans."_s);

    const QList<Condition> two{scan, cond(Field::size, Operator::greaterThan, u"5"_s)};
    const QList<RuleAction> three{act(Kind::copy, u"~/Backup"_s), act(Kind::tag, u"Scan"_s), act(Kind::move, u"~/Scans"_s)};
    EXPECT_EQ(sentence(two, three, u"Downloads"_s, NameLanguage::en),
              u"When a new file arrives in Downloads and the name contains “scan” and it is larger than 5 MB, "
              "then copy it to ~/Backup, tag it Scan and move it to ~/Scans."_s);
    EXPECT_EQ(sentence(two, three, u"Downloads"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Downloads liegt und der Name „scan“ enthält und sie größer als 5 MB ist, "
              "dann kopieren nach ~/Backup, mit Scan markieren und verschieben nach ~/Scans."_s);

    // Three conditions: the first two are separated by a comma, not by "and".
    EXPECT_EQ(sentence({cond(Field::age, Operator::greaterThan, u"30"_s), cond(Field::age, Operator::lessThan, u"60"_s),
                        cond(Field::size, Operator::lessThan, u"1"_s)},
                       {act(Kind::trashAfter, u"7"_s)}, u"Desktop"_s, NameLanguage::en),
              u"When a new file arrives in Desktop and it is older than 30 days, it is newer than 60 days and "
              "it is smaller than 1 MB, then move it to the Trash after 7 days."_s);

    // The first starter rule in both languages.
    EXPECT_EQ(RuleSentence::make(RuleTemplates::all(NameLanguage::en).first().rule, u"Downloads"_s, NameLanguage::en),
              u"When a new file arrives in Downloads and it is an invoice or receipt, then rename it to "
              "“{datum} {absender} {betrag} {waehrung}” and move it to ~/Documents/Receipts/{jahr}/{monat}."_s);
    EXPECT_EQ(RuleSentence::make(RuleTemplates::all(NameLanguage::de).first().rule, u"Downloads"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Downloads liegt und die Art Rechnung oder Quittung ist, dann umbenennen in "
              "„{datum} {absender} {betrag} {waehrung}“ und verschieben nach ~/Documents/Belege/{jahr}/{monat}."_s);
}

TEST(RuleSentence, EveryFieldAndOperatorInBothLanguages)
{
    struct Row
    {
        Field field;
        Operator op;
        QString value, en, de;
    };
    const Row rows[]{
        // Kinds by name with an article; English lower-cases the list and the article follows its first letter.
        {Field::kind, Operator::is, u"invoice,receipt"_s, u"it is an invoice or receipt"_s,
         u"die Art Rechnung oder Quittung ist"_s},
        {Field::kind, Operator::isNot, u"invoice, receipt"_s, u"it is not an invoice or receipt"_s,
         u"die Art nicht Rechnung oder Quittung ist"_s},
        {Field::kind, Operator::is, u"bankStatement,other,installer"_s, u"it is a bank statement, other or installer"_s,
         u"die Art Kontoauszug, Sonstiges oder Installer ist"_s},
        {Field::kind, Operator::is, u"other"_s, u"it is an other"_s, u"die Art Sonstiges ist"_s},
        // Unknown kinds (a capital letter is enough) are left out; none left gives an empty list.
        {Field::kind, Operator::is, u"Invoice,payslip"_s, u"it is a payslip"_s, u"die Art Gehaltsabrechnung ist"_s},
        {Field::kind, Operator::is, u"Invoice"_s, u"it is a "_s, u"die Art  ist"_s},
        {Field::kind, Operator::isNot, QString(), u"it is not a "_s, u"die Art nicht  ist"_s},
        // File types by word; unknown values are kept as extensions, letter case as typed.
        {Field::fileType, Operator::is, u"pdf,docx"_s, u"the type is PDF or .docx"_s, u"der Typ PDF oder .docx ist"_s},
        {Field::fileType, Operator::isNot, u"pdf, image"_s, u"the type is not PDF or image"_s,
         u"der Typ nicht PDF oder Bild ist"_s},
        {Field::fileType, Operator::is, u"PDF,,zip"_s, u"the type is .PDF or .zip"_s, u"der Typ .PDF oder .zip ist"_s},
        {Field::fileType, Operator::is, QString(), u"the type is "_s, u"der Typ  ist"_s},
        // Text fields put their noun before the operator; the value is used as typed.
        {Field::name, Operator::is, u"a\"b“c"_s, u"the name is “a\"b“c”"_s, u"der Name „a\"b“c“ ist"_s},
        {Field::name, Operator::contains, u"x"_s, u"the name contains “x”"_s, u"der Name „x“ enthält"_s},
        {Field::sender, Operator::doesNotContain, u"x"_s, u"the sender does not contain “x”"_s,
         u"der Absender „x“ nicht enthält"_s},
        {Field::sender, Operator::startsWith, u"ACME"_s, u"the sender starts with “ACME”"_s,
         u"der Absender mit „ACME“ beginnt"_s},
        {Field::name, Operator::endsWith, u" .pdf "_s, u"the name ends with “ .pdf ”"_s, u"der Name auf „ .pdf “ endet"_s},
        {Field::text, Operator::contains, u"Mahnung"_s, u"the text contains “Mahnung”"_s, u"der Inhalt „Mahnung“ enthält"_s},
        // Operators a text field does not offer leave the value alone.
        {Field::sender, Operator::isNot, u"ACME"_s, u"the sender “ACME”"_s, u"der Absender „ACME“"_s},
        {Field::text, Operator::after, u"x"_s, u"the text “x”"_s, u"der Inhalt „x“"_s},
        // Dates: every operator but "before" reads as "after".
        {Field::date, Operator::before, u"2026-01-01"_s, u"the document date is before 2026-01-01"_s,
         u"das Belegdatum vor dem 2026-01-01 liegt"_s},
        {Field::date, Operator::is, u"2026-01-01"_s, u"the document date is after 2026-01-01"_s,
         u"das Belegdatum nach dem 2026-01-01 liegt"_s},
        {Field::amount, Operator::lessThan, u"10,50"_s, u"the amount is under 10,50"_s, u"der Betrag unter 10,50 liegt"_s},
        {Field::amount, Operator::greaterThan, u"100"_s, u"the amount is over 100"_s, u"der Betrag über 100 liegt"_s},
        {Field::amount, Operator::contains, u"5"_s, u"the amount is exactly 5"_s, u"der Betrag genau 5 liegt"_s},
        {Field::age, Operator::greaterThan, u"30"_s, u"it is older than 30 days"_s, u"sie älter als 30 Tage ist"_s},
        {Field::age, Operator::lessThan, u"30"_s, u"it is newer than 30 days"_s, u"sie jünger als 30 Tage ist"_s},
        {Field::age, Operator::greaterThan, u"1"_s, u"it is older than 1 days"_s, u"sie älter als 1 Tage ist"_s},
        {Field::size, Operator::greaterThan, u"5"_s, u"it is larger than 5 MB"_s, u"sie größer als 5 MB ist"_s},
        {Field::size, Operator::is, u" 5 "_s, u"it is smaller than  5  MB"_s, u"sie kleiner als  5  MB ist"_s},
    };
    for (const Row &row : rows) {
        const Condition c = cond(row.field, row.op, row.value);
        EXPECT_EQ(RuleSentence::condition(c, false), row.en) << row.value.toStdString();
        EXPECT_EQ(RuleSentence::condition(c, true), row.de) << row.value.toStdString();
    }

    QStringList german, english;
    for (const FileCategory category : FileCategories::allCases) {
        german.append(RuleSentence::category(FileCategories::rawValue(category), true));
        english.append(RuleSentence::category(FileCategories::rawValue(category), false));
    }
    EXPECT_EQ(german.join(u','), u"PDF,Bild,Bildschirmfoto,Installer,Dokument,Archiv,Audio,Video"_s);
    EXPECT_EQ(english.join(u','), u"PDF,image,screenshot,Installer,document,archive,Audio,Video"_s);
    EXPECT_EQ(RuleSentence::category(u"Video"_s, false), u".Video"_s);
}

TEST(RuleSentence, EveryActionAndTagsWithOrInside)
{
    const std::array<std::pair<RuleAction, std::pair<QString, QString>>, 11> rows{{
        {act(Kind::move, u"~/Archiv"_s), {u"move it to ~/Archiv"_s, u"verschieben nach ~/Archiv"_s}},
        {act(Kind::rename, u"{datum} {titel}"_s), {u"rename it to “{datum} {titel}”"_s, u"umbenennen in „{datum} {titel}“"_s}},
        {act(Kind::trashAfter, u"14"_s),
         {u"move it to the Trash after 14 days"_s, u"nach 14 Tagen in den Papierkorb legen"_s}},
        {act(Kind::trashAfter, u"1"_s), {u"move it to the Trash after 1 days"_s, u"nach 1 Tagen in den Papierkorb legen"_s}},
        {act(Kind::openWith, u"org.gnome.Evince"_s), {u"open it with org.gnome.Evince"_s, u"mit org.gnome.Evince öffnen"_s}},
        {act(Kind::copy, u"/mnt/backup"_s), {u"copy it to /mnt/backup"_s, u"kopieren nach /mnt/backup"_s}},
        {act(Kind::tag, u"Steuer, 2026"_s), {u"tag it Steuer, 2026"_s, u"mit Steuer und 2026 markieren"_s}},
        {act(Kind::tag, u" a ,, b,c "_s), {u"tag it a, b, c"_s, u"mit a, b und c markieren"_s}},
        {act(Kind::tag, u"Work"_s), {u"tag it Work"_s, u"mit Work markieren"_s}},
        // The German list says "und" for every " or ", a tag's own included.
        {act(Kind::tag, u"Rock or Pop, Jazz"_s), {u"tag it Rock or Pop, Jazz"_s, u"mit Rock und Pop und Jazz markieren"_s}},
        {act(Kind::tag, u" , "_s), {u"tag it "_s, u"mit  markieren"_s}},
    }};
    for (const auto &[action, expected] : rows) {
        EXPECT_EQ(RuleSentence::action(action, false), expected.first) << action.value.toStdString();
        EXPECT_EQ(RuleSentence::action(action, true), expected.second) << action.value.toStdString();
    }
}

TEST(RuleSentence, GermanSentencesNameTheDocumentDateTagsAndTrashInTheirOwnWords)
{
    EXPECT_EQ(sentence({cond(Field::date, Operator::before, u"2026-01-01"_s), cond(Field::kind, Operator::is, u"invoice,receipt"_s)},
                       {act(Kind::tag, u"Steuer, 2026"_s), act(Kind::trashAfter, u"30"_s)}, u"Downloads"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Downloads liegt und das Belegdatum vor dem 2026-01-01 liegt und die Art Rechnung "
              "oder Quittung ist, dann mit Steuer und 2026 markieren und nach 30 Tagen in den Papierkorb legen."_s);
    EXPECT_EQ(sentence({cond(Field::age, Operator::greaterThan, u"30"_s), cond(Field::size, Operator::greaterThan, u"5"_s)},
                       {act(Kind::trashAfter, u"7"_s)}, u"Schreibtisch"_s, NameLanguage::de),
              u"Wenn eine neue Datei in Schreibtisch liegt und sie älter als 30 Tage ist und sie größer als 5 MB ist, "
              "dann nach 7 Tagen in den Papierkorb legen."_s);
    EXPECT_EQ(sentence({cond(Field::kind, Operator::is, u"Invoice"_s)}, {act(Kind::tag, u"Work"_s)}, u"Downloads"_s,
                       NameLanguage::de),
              u"Wenn eine neue Datei in Downloads liegt und die Art  ist, dann mit Work markieren."_s);
}
