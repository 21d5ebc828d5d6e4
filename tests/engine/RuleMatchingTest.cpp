#include "Recognizer.h"
#include "Rule.h"

#include <gtest/gtest.h>

namespace {
using Field = Condition::Field;
using Op = Condition::Operator;

const QDateTime now = QDateTime(QDate(2025, 3, 10), QTime(9, 0), Qt::UTC);

FileFacts facts(const QString &path = QStringLiteral("/home/me/Downloads/Rechnung.pdf"))
{
    FileFacts f;
    f.url = path;
    f.size = 2'000'000;
    f.added = now.addDays(-2);
    f.now = now;
    return f;
}

FileFacts recognized(DocumentKind kind = DocumentKind::invoice)
{
    FileFacts f = facts();
    Recognition r;
    r.kind = kind;
    r.sender = QStringLiteral("Stadtwerke München");
    r.date = CalendarUtc::noon(QDate(2025, 2, 14));
    r.amount = *Decimal::fromString(u"12.5");
    f.recognition = r;
    return f;
}

FileFacts holdingAmount(const char16_t *amount)
{
    FileFacts f = recognized();
    f.recognition->amount = Decimal::fromString(amount);
    return f;
}

bool holds(Field field, Op op, const QString &value, const FileFacts &f)
{
    return Condition{QUuid::createUuid(), field, op, value}.matches(f);
}
} // namespace

TEST(RuleMatching, RuleNeedsEveryConditionAndAtLeastOne)
{
    Rule rule{QUuid::createUuid(), QStringLiteral("r"), {},
              {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Documents")}}, true,
              std::nullopt};
    EXPECT_FALSE(rule.matches(recognized()));
    rule.conditions.append(Condition{QUuid::createUuid(), Field::fileType, Op::is, QStringLiteral("pdf")});
    EXPECT_TRUE(rule.matches(recognized()));
    rule.conditions.append(Condition{QUuid::createUuid(), Field::name, Op::startsWith, QStringLiteral("rech")});
    EXPECT_TRUE(rule.matches(recognized()));
    rule.conditions.append(Condition{QUuid::createUuid(), Field::kind, Op::is, QStringLiteral("receipt")});
    EXPECT_FALSE(rule.matches(recognized()));
    // Whether the rule is switched on is not matching's business.
    rule.conditions.removeLast();
    rule.isEnabled = false;
    EXPECT_TRUE(rule.matches(recognized()));
}

TEST(RuleMatching, Kind)
{
    EXPECT_FALSE(holds(Field::kind, Op::is, QStringLiteral("invoice"), facts()));
    EXPECT_FALSE(holds(Field::kind, Op::isNot, QStringLiteral("invoice"), facts()));
    EXPECT_TRUE(holds(Field::kind, Op::isNot, QStringLiteral("invoice, receipt"), recognized(DocumentKind::letter)));
    EXPECT_FALSE(holds(Field::kind, Op::is, QStringLiteral("invoice, receipt"), recognized(DocumentKind::letter)));
    EXPECT_TRUE(holds(Field::kind, Op::is, QStringLiteral("receipt ,invoice"), recognized()));
    EXPECT_FALSE(holds(Field::kind, Op::isNot, QStringLiteral("receipt,invoice"), recognized()));
    EXPECT_FALSE(holds(Field::kind, Op::is, QStringLiteral("Invoice"), recognized()));
    EXPECT_TRUE(holds(Field::kind, Op::isNot, QStringLiteral("Invoice"), recognized()));
    EXPECT_TRUE(holds(Field::kind, Op::is, QStringLiteral("bankStatement"), recognized(DocumentKind::bankStatement)));
    // Operators the editor does not offer read as "is".
    EXPECT_TRUE(holds(Field::kind, Op::contains, QStringLiteral("invoice"), recognized()));
    EXPECT_FALSE(holds(Field::kind, Op::contains, QStringLiteral("invo"), recognized()));
}

TEST(RuleMatching, SenderComparesTextIgnoringCase)
{
    const FileFacts unread = facts();
    EXPECT_TRUE(holds(Field::sender, Op::doesNotContain, QStringLiteral("Stadtwerke"), unread));
    EXPECT_FALSE(holds(Field::sender, Op::contains, QStringLiteral("Stadtwerke"), unread));
    EXPECT_FALSE(holds(Field::sender, Op::is, QString(), unread));
    FileFacts noSender = recognized();
    noSender.recognition->sender.reset();
    EXPECT_TRUE(holds(Field::sender, Op::doesNotContain, QStringLiteral("x"), noSender));
    EXPECT_FALSE(holds(Field::sender, Op::startsWith, QString(), noSender));

    const FileFacts f = recognized();
    EXPECT_TRUE(holds(Field::sender, Op::contains, QStringLiteral("MÜNCHEN"), f));
    EXPECT_TRUE(holds(Field::sender, Op::is, QStringLiteral("stadtwerke münchen"), f));
    EXPECT_FALSE(holds(Field::sender, Op::is, QStringLiteral("stadtwerke"), f));
    EXPECT_TRUE(holds(Field::sender, Op::startsWith, QStringLiteral("STADT"), f));
    EXPECT_TRUE(holds(Field::sender, Op::endsWith, QStringLiteral("chen"), f));
    EXPECT_FALSE(holds(Field::sender, Op::doesNotContain, QStringLiteral("werke"), f));
    // The value is compared whole, not split at commas.
    EXPECT_FALSE(holds(Field::sender, Op::contains, QStringLiteral("Stadtwerke, Telekom"), f));
    for (const Op op : {Op::isNot, Op::greaterThan, Op::lessThan, Op::before, Op::after})
        EXPECT_FALSE(holds(Field::sender, op, QStringLiteral("Telekom"), f));
}

TEST(RuleMatching, DateIsStrictAndNeedsAnIsoDay)
{
    EXPECT_FALSE(holds(Field::date, Op::before, QStringLiteral("2030-01-01"), facts()));
    FileFacts undated = recognized();
    undated.recognition->date.reset();
    EXPECT_FALSE(holds(Field::date, Op::before, QStringLiteral("2030-01-01"), undated));

    const FileFacts f = recognized(); // dated 2025-02-14
    EXPECT_FALSE(holds(Field::date, Op::before, QStringLiteral("2025-02-14"), f));
    EXPECT_FALSE(holds(Field::date, Op::after, QStringLiteral("2025-02-14"), f));
    EXPECT_TRUE(holds(Field::date, Op::before, QStringLiteral("2025-02-15"), f));
    EXPECT_TRUE(holds(Field::date, Op::after, QStringLiteral("2025-02-13"), f));
    EXPECT_FALSE(holds(Field::date, Op::after, QStringLiteral("2025-02-15"), f));
    // Every operator but "before" reads as "after".
    EXPECT_TRUE(holds(Field::date, Op::is, QStringLiteral("2024-12-31"), f));
    for (const QString &bad : {QStringLiteral("14.02.2025"), QStringLiteral("2025-02-30"), QStringLiteral("yesterday"),
                               QString(), QStringLiteral("2025-13-01")}) {
        EXPECT_FALSE(holds(Field::date, Op::before, bad, f)) << bad.toStdString();
        EXPECT_FALSE(holds(Field::date, Op::after, bad, f)) << bad.toStdString();
    }
    EXPECT_EQ(PatternReader::parseISODate(QStringLiteral("2025-02-14")), CalendarUtc::noon(QDate(2025, 2, 14)));
    EXPECT_EQ(PatternReader::parseISODate(QStringLiteral("2025-2-30")), Recognizer::parseISO(QStringLiteral("2025-2-30")));
}

TEST(RuleMatching, AmountComparesDecimals)
{
    EXPECT_FALSE(holds(Field::amount, Op::is, QStringLiteral("12.5"), facts()));
    FileFacts noAmount = recognized();
    noAmount.recognition->amount.reset();
    EXPECT_FALSE(holds(Field::amount, Op::lessThan, QStringLiteral("100"), noAmount));

    const FileFacts f = recognized(); // 12.5
    EXPECT_TRUE(holds(Field::amount, Op::is, QStringLiteral("12.50"), f));
    EXPECT_TRUE(holds(Field::amount, Op::is, QStringLiteral("12,50"), f));
    EXPECT_TRUE(holds(Field::amount, Op::is, QStringLiteral("12.500,00"), holdingAmount(u"12500")));
    // The shared amount reader takes one digit after a lone separator as grouping.
    EXPECT_FALSE(holds(Field::amount, Op::is, QStringLiteral("12.5"), f));
    EXPECT_TRUE(holds(Field::amount, Op::is, QStringLiteral("12.5"), holdingAmount(u"125")));
    EXPECT_FALSE(holds(Field::amount, Op::greaterThan, QStringLiteral("12,50"), f));
    EXPECT_TRUE(holds(Field::amount, Op::lessThan, QStringLiteral("1.234,56"), f));
    EXPECT_TRUE(holds(Field::amount, Op::greaterThan, QStringLiteral("-8,79"), f));
    EXPECT_FALSE(holds(Field::amount, Op::is, QStringLiteral("12.51"), f));
    EXPECT_FALSE(holds(Field::amount, Op::greaterThan, QStringLiteral("12.50"), f));
    EXPECT_FALSE(holds(Field::amount, Op::lessThan, QStringLiteral("12.50"), f));
    EXPECT_TRUE(holds(Field::amount, Op::greaterThan, QStringLiteral("12.49"), f));
    EXPECT_TRUE(holds(Field::amount, Op::lessThan, QStringLiteral("100"), f));
    EXPECT_FALSE(holds(Field::amount, Op::lessThan, QStringLiteral("twelve"), f));
    EXPECT_FALSE(holds(Field::amount, Op::is, QString(), f));
    // Operators other than greater and less read as equality.
    EXPECT_TRUE(holds(Field::amount, Op::contains, QStringLiteral("12.50"), f));
}

TEST(RuleMatching, FileTypeByContentTypeAndBareExtension)
{
    const auto types = [](const QString &name, bool screenshot = false) {
        FileFacts f = facts(QStringLiteral("/tmp/") + name);
        f.isScreenshot = screenshot;
        return f.categories();
    };
    EXPECT_EQ(types(QStringLiteral("Scan.PDF")),
              (QSet<QString>{QStringLiteral("pdf"), QStringLiteral("document")}));
    EXPECT_EQ(types(QStringLiteral("photo.jpeg")), (QSet<QString>{QStringLiteral("jpeg"), QStringLiteral("image")}));
    EXPECT_EQ(types(QStringLiteral("Screenshot 1.png"), true),
              (QSet<QString>{QStringLiteral("png"), QStringLiteral("image"), QStringLiteral("screenshot")}));
    EXPECT_EQ(types(QStringLiteral("tool.deb")), (QSet<QString>{QStringLiteral("deb"), QStringLiteral("installer")}));
    EXPECT_TRUE(types(QStringLiteral("Tool.AppImage")).contains(QStringLiteral("installer")));
    EXPECT_TRUE(types(QStringLiteral("setup.dmg")).contains(QStringLiteral("installer")));
    EXPECT_TRUE(types(QStringLiteral("backup.tgz")).contains(QStringLiteral("archive")));
    EXPECT_TRUE(types(QStringLiteral("backup.7z")).contains(QStringLiteral("archive")));
    EXPECT_EQ(types(QStringLiteral("song.mp3")), (QSet<QString>{QStringLiteral("mp3"), QStringLiteral("audio")}));
    EXPECT_EQ(types(QStringLiteral("clip.mov")), (QSet<QString>{QStringLiteral("mov"), QStringLiteral("video")}));
    EXPECT_EQ(types(QStringLiteral("notes.md")), (QSet<QString>{QStringLiteral("md"), QStringLiteral("document")}));
    EXPECT_EQ(types(QStringLiteral("letter.rtf")), (QSet<QString>{QStringLiteral("rtf"), QStringLiteral("document")}));
    EXPECT_TRUE(types(QStringLiteral("talk.key")).contains(QStringLiteral("document")));
    EXPECT_EQ(types(QStringLiteral("data.xyzzy")), QSet<QString>{QStringLiteral("xyzzy")});
    EXPECT_EQ(types(QStringLiteral("Makefile")), QSet<QString>{QString()});

    const FileFacts pdf = facts(QStringLiteral("/tmp/Scan.PDF"));
    EXPECT_TRUE(holds(Field::fileType, Op::is, QStringLiteral("pdf"), pdf));
    EXPECT_TRUE(holds(Field::fileType, Op::is, QStringLiteral("document"), pdf));
    EXPECT_TRUE(holds(Field::fileType, Op::is, QStringLiteral("image, PDF"), pdf));
    EXPECT_FALSE(holds(Field::fileType, Op::isNot, QStringLiteral("image, PDF"), pdf));
    EXPECT_TRUE(holds(Field::fileType, Op::isNot, QStringLiteral("image,video"), pdf));
    const FileFacts jpeg = facts(QStringLiteral("/tmp/IMG_1.JPG"));
    EXPECT_TRUE(holds(Field::fileType, Op::is, QStringLiteral("jpg"), jpeg));
    EXPECT_TRUE(holds(Field::fileType, Op::is, QStringLiteral("image"), jpeg));
    EXPECT_FALSE(holds(Field::fileType, Op::is, QStringLiteral("screenshot"), jpeg));
    EXPECT_FALSE(holds(Field::fileType, Op::is, QStringLiteral(" , "), jpeg));
    EXPECT_TRUE(holds(Field::fileType, Op::isNot, QString(), jpeg));
}

TEST(RuleMatching, NameIncludesTheExtensionAndIgnoresCase)
{
    const FileFacts f = facts(QStringLiteral("/home/me/Downloads/Rechnung-März.PDF"));
    EXPECT_TRUE(holds(Field::name, Op::is, QStringLiteral("rechnung-MÄRZ.pdf"), f));
    EXPECT_FALSE(holds(Field::name, Op::is, QStringLiteral("Rechnung-März"), f));
    EXPECT_TRUE(holds(Field::name, Op::endsWith, QStringLiteral(".pdf"), f));
    EXPECT_TRUE(holds(Field::name, Op::contains, QStringLiteral("-mär"), f));
    EXPECT_FALSE(holds(Field::name, Op::contains, QStringLiteral("Downloads"), f));
    EXPECT_TRUE(holds(Field::name, Op::doesNotContain, QStringLiteral("Downloads"), f));
    EXPECT_FALSE(holds(Field::name, Op::isNot, QStringLiteral("other.pdf"), f));
    EXPECT_FALSE(holds(Field::name, Op::greaterThan, QStringLiteral("a"), f));
}

TEST(RuleMatching, AgeInDaysIsStrict)
{
    FileFacts f = facts();
    f.added = now.addSecs(-(30 * 86400 + 43200)); // thirty and a half days
    EXPECT_TRUE(holds(Field::age, Op::greaterThan, QStringLiteral("30"), f));
    EXPECT_TRUE(holds(Field::age, Op::lessThan, QStringLiteral("30.6"), f));
    EXPECT_FALSE(holds(Field::age, Op::greaterThan, QStringLiteral("30.5"), f));
    EXPECT_FALSE(holds(Field::age, Op::lessThan, QStringLiteral("30.5"), f));
    EXPECT_TRUE(holds(Field::age, Op::greaterThan, QStringLiteral("+3e1"), f));
    // Every operator but "greaterThan" reads as "lessThan".
    EXPECT_TRUE(holds(Field::age, Op::is, QStringLiteral("31"), f));
    for (const QString &bad : {QStringLiteral("30 days"), QStringLiteral(" 30"), QStringLiteral("30,5"),
                               QStringLiteral("1,000"), QString(), QStringLiteral("nan"), QStringLiteral("++1")}) {
        EXPECT_FALSE(holds(Field::age, Op::greaterThan, bad, f)) << bad.toStdString();
        EXPECT_FALSE(holds(Field::age, Op::lessThan, bad, f)) << bad.toStdString();
    }
    f.added = now.addSecs(3600); // arrived after now: negative age
    EXPECT_TRUE(holds(Field::age, Op::lessThan, QStringLiteral("0"), f));
    EXPECT_TRUE(holds(Field::age, Op::lessThan, QStringLiteral("-0.04"), f));
    EXPECT_FALSE(holds(Field::age, Op::lessThan, QStringLiteral("-0.05"), f));
}

TEST(RuleMatching, SizeInMegabytesTakesACommaAsDecimalPoint)
{
    FileFacts f = facts();
    f.size = 1'500'000;
    EXPECT_FALSE(holds(Field::size, Op::greaterThan, QStringLiteral("1,5"), f));
    EXPECT_FALSE(holds(Field::size, Op::lessThan, QStringLiteral("1.5"), f));
    EXPECT_TRUE(holds(Field::size, Op::greaterThan, QStringLiteral("1,499"), f));
    EXPECT_TRUE(holds(Field::size, Op::lessThan, QStringLiteral("1.501"), f));
    // A thousands comma is a decimal point here: "1,000" is one megabyte.
    EXPECT_TRUE(holds(Field::size, Op::greaterThan, QStringLiteral("1,000"), f));
    EXPECT_FALSE(holds(Field::size, Op::greaterThan, QStringLiteral("1,000,000"), f));
    EXPECT_FALSE(holds(Field::size, Op::lessThan, QStringLiteral("2 MB"), f));
    EXPECT_TRUE(holds(Field::size, Op::after, QStringLiteral("2"), f));
    f.size = 0;
    EXPECT_FALSE(holds(Field::size, Op::lessThan, QStringLiteral("0"), f));
    EXPECT_TRUE(holds(Field::size, Op::lessThan, QStringLiteral("0,000001"), f));
}

TEST(RuleMatching, TextCountsAbsentTextAsEmpty)
{
    FileFacts f = facts();
    EXPECT_TRUE(holds(Field::text, Op::doesNotContain, QStringLiteral("Kundennummer"), f));
    EXPECT_FALSE(holds(Field::text, Op::contains, QStringLiteral("Kundennummer"), f));
    EXPECT_FALSE(holds(Field::text, Op::startsWith, QStringLiteral("K"), f));
    EXPECT_TRUE(holds(Field::text, Op::is, QString(), f));
    f.text = QStringLiteral("Ihre KUNDENNUMMER: 4711\nBetrag 12,50 EUR");
    EXPECT_TRUE(holds(Field::text, Op::contains, QStringLiteral("kundennummer: 4711"), f));
    EXPECT_TRUE(holds(Field::text, Op::endsWith, QStringLiteral("eur"), f));
    EXPECT_TRUE(holds(Field::text, Op::contains, QStringLiteral("12,50 EUR"), f));
    EXPECT_FALSE(holds(Field::text, Op::isNot, QStringLiteral("x"), f));
}

TEST(RuleMatching, OperatorsOfferedPerField)
{
    EXPECT_EQ(Condition::operators(Field::kind), (QList<Op>{Op::is, Op::isNot}));
    EXPECT_EQ(Condition::operators(Field::sender),
              (QList<Op>{Op::contains, Op::doesNotContain, Op::is, Op::startsWith, Op::endsWith}));
    EXPECT_EQ(Condition::operators(Field::date), (QList<Op>{Op::after, Op::before}));
    EXPECT_EQ(Condition::operators(Field::amount), (QList<Op>{Op::greaterThan, Op::lessThan, Op::is}));
    EXPECT_EQ(Condition::operators(Field::fileType), (QList<Op>{Op::is, Op::isNot}));
    EXPECT_EQ(Condition::operators(Field::age), (QList<Op>{Op::greaterThan, Op::lessThan}));
    EXPECT_EQ(Condition::operators(Field::text), Condition::operators(Field::name));
    QList<Field> reading;
    for (const Field field : Condition::allFields) {
        if (Condition::needsRecognition(field))
            reading.append(field);
    }
    EXPECT_EQ(reading, (QList<Field>{Field::kind, Field::sender, Field::date, Field::amount}));
}

TEST(RuleMatching, UsesRecognitionForReadFieldsAndPlaceholders)
{
    const auto rule = [](Field field, RuleAction::Kind kind, const QString &value) {
        return Rule{QUuid::createUuid(), QStringLiteral("r"),
                    {Condition{QUuid::createUuid(), field, Op::is, QStringLiteral("pdf")}},
                    {RuleAction{QUuid::createUuid(), RuleAction::Kind::tag, QStringLiteral("{sender}")},
                     RuleAction{QUuid::createUuid(), kind, value}},
                    true, std::nullopt};
    };
    EXPECT_TRUE(rule(Field::sender, RuleAction::Kind::move, QStringLiteral("~/Documents")).usesRecognition());
    EXPECT_TRUE(rule(Field::amount, RuleAction::Kind::move, QStringLiteral("~/Documents")).usesRecognition());
    EXPECT_FALSE(rule(Field::text, RuleAction::Kind::move, QStringLiteral("~/Documents")).usesRecognition());
    EXPECT_TRUE(rule(Field::fileType, RuleAction::Kind::move, QStringLiteral("~/Belege/{absender}")).usesRecognition());
    EXPECT_TRUE(rule(Field::fileType, RuleAction::Kind::rename, QStringLiteral("{datum} {titel}")).usesRecognition());
    EXPECT_TRUE(rule(Field::fileType, RuleAction::Kind::copy, QStringLiteral("~/Backup/{currency}")).usesRecognition());
    EXPECT_FALSE(rule(Field::fileType, RuleAction::Kind::rename,
                      QStringLiteral("{jahr}-{monat} {zaehler} {name} {year} {month}")).usesRecognition());
    EXPECT_FALSE(rule(Field::fileType, RuleAction::Kind::move, QStringLiteral("~/{Absender}/{ sender}")).usesRecognition());
    EXPECT_FALSE(rule(Field::fileType, RuleAction::Kind::openWith, QStringLiteral("{kind}")).usesRecognition());
    EXPECT_FALSE(rule(Field::fileType, RuleAction::Kind::trashAfter, QStringLiteral("{date}")).usesRecognition());
}
