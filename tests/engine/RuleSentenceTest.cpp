#include "RuleSentence.h"
#include "RuleTemplates.h"

#include <QUuid>
#include <gtest/gtest.h>

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

Rule makeRule(const QList<Condition> &conditions, const QList<RuleAction> &actions)
{
    return Rule{QUuid::createUuid(), QStringLiteral("Test"), conditions, actions, true, std::nullopt};
}

QString en(const Condition &c)
{
    return RuleSentence::condition(c, false);
}

QString de(const Condition &c)
{
    return RuleSentence::condition(c, true);
}

} // namespace

TEST(RuleSentence, ListAndJoinPutTheLastSeparatorBeforeTheLastItemOnly)
{
    using RuleSentence::join;
    using RuleSentence::list;
    EXPECT_EQ(list({}, false), QString());
    EXPECT_EQ(join({}, true), QString());
    EXPECT_EQ(list({QStringLiteral("a")}, true), QStringLiteral("a"));
    EXPECT_EQ(list({QStringLiteral("a"), QStringLiteral("b")}, false), QStringLiteral("a or b"));
    EXPECT_EQ(list({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, false), QStringLiteral("a, b or c"));
    EXPECT_EQ(list({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, true), QStringLiteral("a, b oder c"));
    EXPECT_EQ(join({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, false), QStringLiteral("a, b and c"));
    EXPECT_EQ(join({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}, true),
              QStringLiteral("a, b, c und d"));
}

TEST(RuleSentence, EmptyRuleAndTheJoinsOfConditionsAndActions)
{
    const Rule empty = makeRule({}, {});
    EXPECT_EQ(RuleSentence::make(empty, QStringLiteral("Downloads"), NameLanguage::en),
              QStringLiteral("When a new file arrives in Downloads, nothing happens."));
    EXPECT_EQ(RuleSentence::make(empty, QStringLiteral("Downloads"), NameLanguage::de),
              QStringLiteral("Wenn eine neue Datei in Downloads liegt, passiert nichts."));

    const Rule onlyAction = makeRule({}, {act(Kind::move, QStringLiteral("~/Archive"))});
    EXPECT_EQ(RuleSentence::make(onlyAction, QStringLiteral("Downloads"), NameLanguage::en),
              QStringLiteral("When a new file arrives in Downloads, then move it to ~/Archive."));

    const Rule onlyCondition = makeRule({cond(Field::name, Operator::contains, QStringLiteral("scan"))}, {});
    EXPECT_EQ(RuleSentence::make(onlyCondition, QStringLiteral("Schreibtisch"), NameLanguage::de),
              QStringLiteral("Wenn eine neue Datei in Schreibtisch liegt und der Name „scan“ enthält, passiert nichts."));

    const Rule one = makeRule({cond(Field::name, Operator::contains, QStringLiteral("scan"))},
                              {act(Kind::move, QStringLiteral("~/Scans"))});
    EXPECT_EQ(RuleSentence::make(one, QStringLiteral("Downloads"), NameLanguage::de),
              QStringLiteral("Wenn eine neue Datei in Downloads liegt und der Name „scan“ enthält, dann verschieben nach ~/Scans."));

    const Rule many = makeRule({cond(Field::name, Operator::contains, QStringLiteral("scan")),
                                cond(Field::size, Operator::greaterThan, QStringLiteral("5"))},
                               {act(Kind::copy, QStringLiteral("~/Backup")), act(Kind::tag, QStringLiteral("Scan")),
                                act(Kind::move, QStringLiteral("~/Scans"))});
    EXPECT_EQ(RuleSentence::make(many, QStringLiteral("Downloads"), NameLanguage::en),
              QStringLiteral("When a new file arrives in Downloads and the name contains “scan” and it is larger than 5 MB, "
                             "then copy it to ~/Backup, tag it Scan and move it to ~/Scans."));
    EXPECT_EQ(RuleSentence::make(many, QStringLiteral("Downloads"), NameLanguage::de),
              QStringLiteral("Wenn eine neue Datei in Downloads liegt und der Name „scan“ enthält und sie größer als 5 MB ist, "
                             "dann kopieren nach ~/Backup, mit Scan markieren und verschieben nach ~/Scans."));

    // Three conditions: the first two are separated by a comma, not by "and".
    const Rule three = makeRule({cond(Field::age, Operator::greaterThan, QStringLiteral("30")),
                                 cond(Field::age, Operator::lessThan, QStringLiteral("60")),
                                 cond(Field::size, Operator::lessThan, QStringLiteral("1"))},
                                {act(Kind::trashAfter, QStringLiteral("7"))});
    EXPECT_EQ(RuleSentence::make(three, QStringLiteral("Desktop"), NameLanguage::en),
              QStringLiteral("When a new file arrives in Desktop and it is older than 30 days, it is newer than 60 days and "
                             "it is smaller than 1 MB, then move it to the Trash after 7 days."));
}

TEST(RuleSentence, StarterReceiptsRuleReadsAsOneSentence)
{
    const auto en = RuleTemplates::all(NameLanguage::en);
    EXPECT_EQ(RuleSentence::make(en.first().rule, QStringLiteral("Downloads"), NameLanguage::en),
              QStringLiteral("When a new file arrives in Downloads and it is an invoice or receipt, then rename it to "
                             "“{datum} {absender} {betrag} {waehrung}” and move it to "
                             "~/Documents/Receipts/{jahr}/{monat}."));
    const auto de = RuleTemplates::all(NameLanguage::de);
    EXPECT_EQ(RuleSentence::make(de.first().rule, QStringLiteral("Downloads"), NameLanguage::de),
              QStringLiteral("Wenn eine neue Datei in Downloads liegt und die Art Rechnung oder Quittung ist, dann "
                             "umbenennen in „{datum} {absender} {betrag} {waehrung}“ und verschieben nach "
                             "~/Documents/Belege/{jahr}/{monat}."));
}

TEST(RuleSentence, KindsByNameWithArticleAndUnknownValuesLeftOut)
{
    const Condition invoiceOrReceipt = cond(Field::kind, Operator::is, QStringLiteral("invoice,receipt"));
    EXPECT_EQ(en(invoiceOrReceipt), QStringLiteral("it is an invoice or receipt"));
    EXPECT_EQ(de(invoiceOrReceipt), QStringLiteral("die Art Rechnung oder Quittung ist"));
    const Condition notInvoice = cond(Field::kind, Operator::isNot, QStringLiteral("invoice, receipt"));
    EXPECT_EQ(en(notInvoice), QStringLiteral("it is not an invoice or receipt"));
    EXPECT_EQ(de(notInvoice), QStringLiteral("die Art nicht Rechnung oder Quittung ist"));

    // English lower-cases the whole list; the article follows its first letter.
    const Condition statement = cond(Field::kind, Operator::is, QStringLiteral("bankStatement,other,installer"));
    EXPECT_EQ(en(statement), QStringLiteral("it is a bank statement, other or installer"));
    EXPECT_EQ(de(statement), QStringLiteral("die Art Kontoauszug, Sonstiges oder Installer ist"));
    EXPECT_EQ(en(cond(Field::kind, Operator::is, QStringLiteral("other"))), QStringLiteral("it is an other"));
    EXPECT_EQ(en(cond(Field::kind, Operator::is, QStringLiteral("payslip"))), QStringLiteral("it is a payslip"));

    // Unknown values (a capital letter is enough) are left out; none left gives an empty list.
    EXPECT_EQ(en(cond(Field::kind, Operator::is, QStringLiteral("Invoice,receipt"))), QStringLiteral("it is a receipt"));
    EXPECT_EQ(en(cond(Field::kind, Operator::is, QStringLiteral("Invoice"))), QStringLiteral("it is a "));
    EXPECT_EQ(de(cond(Field::kind, Operator::is, QStringLiteral("Invoice"))), QStringLiteral("die Art  ist"));
    EXPECT_EQ(en(cond(Field::kind, Operator::isNot, QString())), QStringLiteral("it is not a "));
}

TEST(RuleSentence, FileTypesByWordOrExtension)
{
    EXPECT_EQ(en(cond(Field::fileType, Operator::is, QStringLiteral("pdf,docx"))), QStringLiteral("the type is PDF or .docx"));
    EXPECT_EQ(de(cond(Field::fileType, Operator::isNot, QStringLiteral("pdf, image"))),
              QStringLiteral("der Typ nicht PDF oder Bild ist"));
    EXPECT_EQ(en(cond(Field::fileType, Operator::isNot, QStringLiteral("image"))), QStringLiteral("the type is not image"));
    // Unknown values are kept as extensions, letter case as typed.
    EXPECT_EQ(en(cond(Field::fileType, Operator::is, QStringLiteral("PDF,,zip"))), QStringLiteral("the type is .PDF or .zip"));
    EXPECT_EQ(de(cond(Field::fileType, Operator::is, QString())), QStringLiteral("der Typ  ist"));

    const QStringList raws{QStringLiteral("pdf"),      QStringLiteral("image"),   QStringLiteral("screenshot"),
                           QStringLiteral("installer"), QStringLiteral("document"), QStringLiteral("archive"),
                           QStringLiteral("audio"),    QStringLiteral("video")};
    const QStringList german{QStringLiteral("PDF"),      QStringLiteral("Bild"),   QStringLiteral("Bildschirmfoto"),
                             QStringLiteral("Installer"), QStringLiteral("Dokument"), QStringLiteral("Archiv"),
                             QStringLiteral("Audio"),    QStringLiteral("Video")};
    const QStringList english{QStringLiteral("PDF"),      QStringLiteral("image"),   QStringLiteral("screenshot"),
                              QStringLiteral("Installer"), QStringLiteral("document"), QStringLiteral("archive"),
                              QStringLiteral("Audio"),    QStringLiteral("Video")};
    for (qsizetype i = 0; i < raws.size(); ++i) {
        EXPECT_EQ(RuleSentence::category(raws[i], true), german[i]);
        EXPECT_EQ(RuleSentence::category(raws[i], false), english[i]);
    }
    EXPECT_EQ(RuleSentence::category(QStringLiteral("Video"), false), QStringLiteral(".Video"));
}

TEST(RuleSentence, TextFieldsWithEveryOperator)
{
    const QString q = QStringLiteral("“x”");
    EXPECT_EQ(RuleSentence::textOp(Operator::is, q, false), QStringLiteral("is “x”"));
    EXPECT_EQ(RuleSentence::textOp(Operator::contains, q, false), QStringLiteral("contains “x”"));
    EXPECT_EQ(RuleSentence::textOp(Operator::doesNotContain, q, false), QStringLiteral("does not contain “x”"));
    EXPECT_EQ(RuleSentence::textOp(Operator::startsWith, q, false), QStringLiteral("starts with “x”"));
    EXPECT_EQ(RuleSentence::textOp(Operator::endsWith, q, false), QStringLiteral("ends with “x”"));
    const QString g = QStringLiteral("„x“");
    EXPECT_EQ(RuleSentence::textOp(Operator::is, g, true), QStringLiteral("„x“ ist"));
    EXPECT_EQ(RuleSentence::textOp(Operator::contains, g, true), QStringLiteral("„x“ enthält"));
    EXPECT_EQ(RuleSentence::textOp(Operator::doesNotContain, g, true), QStringLiteral("„x“ nicht enthält"));
    EXPECT_EQ(RuleSentence::textOp(Operator::startsWith, g, true), QStringLiteral("mit „x“ beginnt"));
    EXPECT_EQ(RuleSentence::textOp(Operator::endsWith, g, true), QStringLiteral("auf „x“ endet"));
    for (const Operator op : {Operator::isNot, Operator::greaterThan, Operator::lessThan, Operator::before, Operator::after}) {
        EXPECT_EQ(RuleSentence::textOp(op, q, false), q);
        EXPECT_EQ(RuleSentence::textOp(op, g, true), g);
    }

    // Sender, name and text put their own noun before the operator; the value
    // is used as typed, blanks and quotation marks included.
    EXPECT_EQ(en(cond(Field::sender, Operator::isNot, QStringLiteral("ACME"))), QStringLiteral("the sender “ACME”"));
    EXPECT_EQ(de(cond(Field::sender, Operator::startsWith, QStringLiteral("ACME"))),
              QStringLiteral("der Absender mit „ACME“ beginnt"));
    EXPECT_EQ(en(cond(Field::name, Operator::endsWith, QStringLiteral(" .pdf "))), QStringLiteral("the name ends with “ .pdf ”"));
    EXPECT_EQ(de(cond(Field::name, Operator::is, QStringLiteral("a\"b“c"))), QStringLiteral("der Name „a\"b“c“ ist"));
    EXPECT_EQ(en(cond(Field::text, Operator::doesNotContain, QStringLiteral("Mahnung"))),
              QStringLiteral("the text does not contain “Mahnung”"));
    EXPECT_EQ(de(cond(Field::text, Operator::contains, QStringLiteral("Mahnung"))), QStringLiteral("der Inhalt „Mahnung“ enthält"));
}

TEST(RuleSentence, NumberAndDateFieldsWithEveryOperator)
{
    EXPECT_EQ(en(cond(Field::date, Operator::before, QStringLiteral("2026-01-01"))),
              QStringLiteral("the document date is before 2026-01-01"));
    EXPECT_EQ(en(cond(Field::date, Operator::is, QStringLiteral("2026-01-01"))),
              QStringLiteral("the document date is after 2026-01-01"));
    EXPECT_EQ(de(cond(Field::date, Operator::before, QStringLiteral("2026-01-01"))),
              QStringLiteral("das Belegdatum vor dem 2026-01-01 liegt"));
    EXPECT_EQ(de(cond(Field::date, Operator::after, QStringLiteral("2026-01-01"))),
              QStringLiteral("das Belegdatum nach dem 2026-01-01 liegt"));

    EXPECT_EQ(en(cond(Field::amount, Operator::lessThan, QStringLiteral("10,50"))), QStringLiteral("the amount is under 10,50"));
    EXPECT_EQ(en(cond(Field::amount, Operator::greaterThan, QStringLiteral("100"))), QStringLiteral("the amount is over 100"));
    EXPECT_EQ(en(cond(Field::amount, Operator::is, QStringLiteral("5"))), QStringLiteral("the amount is exactly 5"));
    EXPECT_EQ(de(cond(Field::amount, Operator::lessThan, QStringLiteral("10,50"))), QStringLiteral("der Betrag unter 10,50 liegt"));
    EXPECT_EQ(de(cond(Field::amount, Operator::greaterThan, QStringLiteral("100"))), QStringLiteral("der Betrag über 100 liegt"));
    EXPECT_EQ(de(cond(Field::amount, Operator::contains, QStringLiteral("5"))), QStringLiteral("der Betrag genau 5 liegt"));

    EXPECT_EQ(en(cond(Field::age, Operator::greaterThan, QStringLiteral("30"))), QStringLiteral("it is older than 30 days"));
    EXPECT_EQ(en(cond(Field::age, Operator::lessThan, QStringLiteral("30"))), QStringLiteral("it is newer than 30 days"));
    EXPECT_EQ(de(cond(Field::age, Operator::greaterThan, QStringLiteral("30"))), QStringLiteral("sie älter als 30 Tage ist"));
    EXPECT_EQ(de(cond(Field::age, Operator::lessThan, QStringLiteral("30"))), QStringLiteral("sie jünger als 30 Tage ist"));

    EXPECT_EQ(en(cond(Field::size, Operator::greaterThan, QStringLiteral("5"))), QStringLiteral("it is larger than 5 MB"));
    EXPECT_EQ(en(cond(Field::size, Operator::is, QStringLiteral("5"))), QStringLiteral("it is smaller than 5 MB"));
    EXPECT_EQ(de(cond(Field::size, Operator::greaterThan, QStringLiteral("5"))), QStringLiteral("sie größer als 5 MB ist"));
    EXPECT_EQ(de(cond(Field::size, Operator::lessThan, QStringLiteral(" 5 "))), QStringLiteral("sie kleiner als  5  MB ist"));
}

TEST(RuleSentence, EveryActionAndTagsWithOrInside)
{
    const auto both = [](const RuleAction &a) {
        return std::pair{RuleSentence::action(a, false), RuleSentence::action(a, true)};
    };
    EXPECT_EQ(both(act(Kind::move, QStringLiteral("~/Archiv"))),
              std::pair(QStringLiteral("move it to ~/Archiv"), QStringLiteral("verschieben nach ~/Archiv")));
    EXPECT_EQ(both(act(Kind::rename, QStringLiteral("{datum} {titel}"))),
              std::pair(QStringLiteral("rename it to “{datum} {titel}”"), QStringLiteral("umbenennen in „{datum} {titel}“")));
    EXPECT_EQ(both(act(Kind::trashAfter, QStringLiteral("14"))),
              std::pair(QStringLiteral("move it to the Trash after 14 days"),
                        QStringLiteral("nach 14 Tagen in den Papierkorb legen")));
    EXPECT_EQ(both(act(Kind::openWith, QStringLiteral("org.gnome.Evince"))),
              std::pair(QStringLiteral("open it with org.gnome.Evince"), QStringLiteral("mit org.gnome.Evince öffnen")));
    EXPECT_EQ(both(act(Kind::copy, QStringLiteral("/mnt/backup"))),
              std::pair(QStringLiteral("copy it to /mnt/backup"), QStringLiteral("kopieren nach /mnt/backup")));

    EXPECT_EQ(both(act(Kind::tag, QStringLiteral("Steuer, 2026"))),
              std::pair(QStringLiteral("tag it Steuer, 2026"), QStringLiteral("mit Steuer und 2026 markieren")));
    EXPECT_EQ(both(act(Kind::tag, QStringLiteral(" a ,, b,c "))),
              std::pair(QStringLiteral("tag it a, b, c"), QStringLiteral("mit a, b und c markieren")));
    EXPECT_EQ(both(act(Kind::tag, QStringLiteral("Work"))), std::pair(QStringLiteral("tag it Work"), QStringLiteral("mit Work markieren")));
    // A tag's own name stays as it is, even when it holds " or ".
    EXPECT_EQ(both(act(Kind::tag, QStringLiteral("Rock or Pop, Jazz"))),
              std::pair(QStringLiteral("tag it Rock or Pop, Jazz"), QStringLiteral("mit Rock or Pop und Jazz markieren")));
    EXPECT_EQ(both(act(Kind::tag, QStringLiteral(" , "))), std::pair(QStringLiteral("tag it "), QStringLiteral("mit  markieren")));
}
