#include "Recognizer.h"
#include "Rule.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
using Field = Condition::Field;
using Op = Condition::Operator;

const QDateTime now = QDateTime(QDate(2025, 3, 10), QTime(9, 0), Qt::UTC);

FileFacts facts(const QString &path = u"/home/me/Downloads/Rechnung.pdf"_s)
{
    FileFacts f;
    f.url = path;
    f.size = 2'000'000;
    f.added = now.addDays(-2);
    f.now = now;
    return f;
}

// An invoice from "Stadtwerke München" dated 2025-02-14 over 12.5.
FileFacts recognized(DocumentKind kind = DocumentKind::invoice, const std::function<void(Recognition &)> &change = {})
{
    FileFacts f = facts();
    Recognition r;
    r.kind = kind;
    r.sender = u"Stadtwerke München"_s;
    r.date = CalendarUtc::noon(QDate(2025, 2, 14));
    r.amount = *Decimal::fromString(u"12.5");
    if (change)
        change(r);
    f.recognition = r;
    return f;
}

struct Case
{
    Op op;
    QString value;
    bool expected;
};

// Checks one field against one file's facts for every case.
void expectCases(Field field, const FileFacts &f, std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        EXPECT_EQ((Condition{QUuid::createUuid(), field, c.op, c.value}.matches(f)), c.expected)
            << Condition::fieldRawValue(field).toStdString() << ' ' << Condition::operatorRawValue(c.op).toStdString()
            << " \"" << c.value.toStdString() << '"';
    }
}
} // namespace

TEST(RuleMatching, RuleNeedsEveryConditionAndAtLeastOne)
{
    Rule rule{QUuid::createUuid(), u"r"_s, {}, {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, u"~/Documents"_s}},
              true, std::nullopt};
    EXPECT_FALSE(rule.matches(recognized()));
    rule.conditions.append(Condition{QUuid::createUuid(), Field::fileType, Op::is, u"pdf"_s});
    rule.conditions.append(Condition{QUuid::createUuid(), Field::name, Op::startsWith, u"rech"_s});
    EXPECT_TRUE(rule.matches(recognized()));
    rule.conditions.append(Condition{QUuid::createUuid(), Field::kind, Op::is, u"receipt"_s});
    EXPECT_FALSE(rule.matches(recognized()));
    // Whether the rule is switched on is not matching's business.
    rule.conditions.removeLast();
    rule.isEnabled = false;
    EXPECT_TRUE(rule.matches(recognized()));
}

TEST(RuleMatching, FieldsThatNeedRecognitionNeverMatchWithoutIt)
{
    const FileFacts unread = facts();
    expectCases(Field::kind, unread, {{Op::is, u"invoice"_s, false}, {Op::isNot, u"invoice"_s, false}});
    expectCases(Field::sender, unread, {{Op::doesNotContain, u"Stadtwerke"_s, true}, {Op::contains, u"Stadtwerke"_s, false},
                                        {Op::is, QString(), false}});
    expectCases(Field::date, unread, {{Op::before, u"2030-01-01"_s, false}});
    expectCases(Field::amount, unread, {{Op::is, u"12.5"_s, false}});
    // Recognised, but without this one field.
    expectCases(Field::sender, recognized(DocumentKind::invoice, [](Recognition &r) { r.sender.reset(); }),
                {{Op::doesNotContain, u"x"_s, true}, {Op::startsWith, QString(), false}});
    expectCases(Field::date, recognized(DocumentKind::invoice, [](Recognition &r) { r.date.reset(); }),
                {{Op::before, u"2030-01-01"_s, false}});
    expectCases(Field::amount, recognized(DocumentKind::invoice, [](Recognition &r) { r.amount.reset(); }),
                {{Op::lessThan, u"100"_s, false}});
}

TEST(RuleMatching, KindAndSender)
{
    expectCases(Field::kind, recognized(DocumentKind::letter),
                {{Op::isNot, u"invoice, receipt"_s, true}, {Op::is, u"invoice, receipt"_s, false}});
    expectCases(Field::kind, recognized(DocumentKind::bankStatement), {{Op::is, u"bankStatement"_s, true}});
    expectCases(Field::kind, recognized(),
                {{Op::is, u"receipt ,invoice"_s, true}, {Op::isNot, u"receipt,invoice"_s, false},
                 {Op::is, u"Invoice"_s, false}, {Op::isNot, u"Invoice"_s, true},
                 // Operators the editor does not offer read as "is".
                 {Op::contains, u"invoice"_s, true}, {Op::contains, u"invo"_s, false}});

    // The sender is compared whole, ignoring case, not split at commas.
    expectCases(Field::sender, recognized(),
                {{Op::contains, u"MÜNCHEN"_s, true}, {Op::is, u"stadtwerke münchen"_s, true},
                 {Op::is, u"stadtwerke"_s, false}, {Op::startsWith, u"STADT"_s, true}, {Op::endsWith, u"chen"_s, true},
                 {Op::doesNotContain, u"werke"_s, false}, {Op::contains, u"Stadtwerke, Telekom"_s, false},
                 {Op::isNot, u"Telekom"_s, false}, {Op::greaterThan, u"Telekom"_s, false},
                 {Op::lessThan, u"Telekom"_s, false}, {Op::before, u"Telekom"_s, false}, {Op::after, u"Telekom"_s, false}});
}

TEST(RuleMatching, DateIsStrictAndNeedsAnIsoDay)
{
    const FileFacts f = recognized(); // dated 2025-02-14
    expectCases(Field::date, f,
                {{Op::before, u"2025-02-14"_s, false}, {Op::after, u"2025-02-14"_s, false},
                 {Op::before, u"2025-02-15"_s, true}, {Op::after, u"2025-02-13"_s, true},
                 {Op::after, u"2025-02-15"_s, false},
                 // Every operator but "before" reads as "after".
                 {Op::is, u"2024-12-31"_s, true}});
    for (const QString &bad : {u"14.02.2025"_s, u"2025-02-30"_s, u"yesterday"_s, QString(), u"2025-13-01"_s})
        expectCases(Field::date, f, {{Op::before, bad, false}, {Op::after, bad, false}});
    EXPECT_EQ(PatternReader::parseISODate(u"2025-02-14"_s), CalendarUtc::noon(QDate(2025, 2, 14)));
    EXPECT_EQ(PatternReader::parseISODate(u"2025-2-30"_s), Recognizer::parseISO(u"2025-2-30"_s));
}

TEST(RuleMatching, AmountComparesDecimals)
{
    const auto holding = [](const char16_t *amount) {
        return recognized(DocumentKind::invoice, [amount](Recognition &r) { r.amount = Decimal::fromString(amount); });
    };
    expectCases(Field::amount, holding(u"12500"), {{Op::is, u"12.500,00"_s, true}});
    // A currency typed before or after the number is no part of it.
    expectCases(Field::amount, holding(u"100"),
                {{Op::is, u"100 €"_s, true}, {Op::is, u"100 EUR"_s, true}, {Op::is, u"EUR 100"_s, true},
                 {Op::greaterThan, u"99,50 usd"_s, true}, {Op::is, u"US$100"_s, true}, {Op::is, u"Fr. 100.00"_s, true},
                 {Op::is, u"€"_s, false}, {Op::is, u"100 € EUR"_s, false}});
    // The shared amount reader takes one digit after the only separator as a decimal.
    expectCases(Field::amount, holding(u"125"), {{Op::is, u"12.5"_s, false}, {Op::is, u"12,5 €"_s, false}});
    expectCases(Field::amount, recognized(), // 12.5
                {{Op::is, u"12.50"_s, true}, {Op::is, u"12,50"_s, true}, {Op::is, u"12.5"_s, true},
                 {Op::is, u"12,5"_s, true}, {Op::is, u"EUR 12,5"_s, true}, {Op::greaterThan, u"12,4"_s, true},
                 {Op::greaterThan, u"12,50"_s, false}, {Op::lessThan, u"1.234,56"_s, true},
                 {Op::greaterThan, u"-8,79"_s, true}, {Op::is, u"12.51"_s, false}, {Op::greaterThan, u"12.50"_s, false},
                 {Op::lessThan, u"12.50"_s, false}, {Op::greaterThan, u"12.49"_s, true}, {Op::lessThan, u"100"_s, true},
                 {Op::lessThan, u"twelve"_s, false}, {Op::is, QString(), false},
                 // Operators other than greater and less read as equality.
                 {Op::contains, u"12.50"_s, true}});
}

TEST(RuleMatching, FileTypeByContentTypeAndBareExtension)
{
    const auto types = [](const QString &name, bool screenshot = false) {
        FileFacts f = facts(u"/tmp/"_s + name);
        f.isScreenshot = screenshot;
        QStringList sorted = f.categories().values();
        sorted.sort();
        return sorted.join(u',');
    };
    EXPECT_EQ(types(u"Screenshot 1.png"_s, true), u"image,png,screenshot"_s);
    EXPECT_EQ(facts(u"/tmp/Makefile"_s).categories(), QSet<QString>{QString()}); // no extension: one empty type
    for (const auto &[name, expected] : std::initializer_list<std::pair<QString, QString>>{
             {u"Scan.PDF"_s, u"document,pdf"_s}, {u"photo.jpeg"_s, u"image,jpeg"_s}, {u"tool.deb"_s, u"deb,installer"_s},
             {u"song.mp3"_s, u"audio,mp3"_s}, {u"clip.mov"_s, u"mov,video"_s}, {u"notes.md"_s, u"document,md"_s},
             {u"letter.rtf"_s, u"document,rtf"_s}, {u"data.xyzzy"_s, u"xyzzy"_s}})
        EXPECT_EQ(types(name), expected) << name.toStdString();
    for (const auto &[name, category] : std::initializer_list<std::pair<QString, QString>>{
             {u"Tool.AppImage"_s, u"installer"_s}, {u"setup.dmg"_s, u"installer"_s}, {u"backup.tgz"_s, u"archive"_s},
             {u"backup.7z"_s, u"archive"_s}, {u"talk.key"_s, u"document"_s}})
        EXPECT_TRUE(types(name).split(u',').contains(category)) << name.toStdString();

    expectCases(Field::fileType, facts(u"/tmp/Scan.PDF"_s),
                {{Op::is, u"pdf"_s, true}, {Op::is, u"document"_s, true}, {Op::is, u"image, PDF"_s, true},
                 {Op::isNot, u"image, PDF"_s, false}, {Op::isNot, u"image,video"_s, true}});
    expectCases(Field::fileType, facts(u"/tmp/IMG_1.JPG"_s),
                {{Op::is, u"jpg"_s, true}, {Op::is, u"image"_s, true}, {Op::is, u"screenshot"_s, false},
                 {Op::is, u" , "_s, false}, {Op::isNot, QString(), true}});
}

TEST(RuleMatching, NameAndTextIgnoreCase)
{
    // The name includes the extension, but not the folder.
    expectCases(Field::name, facts(u"/home/me/Downloads/Rechnung-März.PDF"_s),
                {{Op::is, u"rechnung-MÄRZ.pdf"_s, true}, {Op::is, u"Rechnung-März"_s, false},
                 {Op::endsWith, u".pdf"_s, true}, {Op::contains, u"-mär"_s, true}, {Op::contains, u"Downloads"_s, false},
                 {Op::doesNotContain, u"Downloads"_s, true}, {Op::isNot, u"other.pdf"_s, false},
                 {Op::greaterThan, u"a"_s, false}});

    // Absent text counts as empty.
    FileFacts f = facts();
    expectCases(Field::text, f,
                {{Op::doesNotContain, u"Kundennummer"_s, true}, {Op::contains, u"Kundennummer"_s, false},
                 {Op::startsWith, u"K"_s, false}, {Op::is, QString(), true}});
    f.text = u"Ihre KUNDENNUMMER: 4711\nBetrag 12,50 EUR"_s;
    expectCases(Field::text, f,
                {{Op::contains, u"kundennummer: 4711"_s, true}, {Op::endsWith, u"eur"_s, true},
                 {Op::contains, u"12,50 EUR"_s, true}, {Op::isNot, u"x"_s, false}});
}

TEST(RuleMatching, AgeInDaysAndSizeInMegabytesAreStrict)
{
    FileFacts f = facts();
    f.added = now.addSecs(-(30 * 86400 + 43200)); // thirty and a half days
    expectCases(Field::age, f,
                {{Op::greaterThan, u"30"_s, true}, {Op::lessThan, u"30.6"_s, true}, {Op::greaterThan, u"30.5"_s, false},
                 {Op::lessThan, u"30.5"_s, false}, {Op::greaterThan, u"+3e1"_s, true},
                 // Every operator but "greaterThan" reads as "lessThan".
                 {Op::is, u"31"_s, true}});
    for (const QString &bad : {u"30 days"_s, u" 30"_s, u"30,5"_s, u"1,000"_s, QString(), u"nan"_s, u"++1"_s})
        expectCases(Field::age, f, {{Op::greaterThan, bad, false}, {Op::lessThan, bad, false}});
    f.added = now.addSecs(3600); // arrived after now: negative age
    expectCases(Field::age, f,
                {{Op::lessThan, u"0"_s, true}, {Op::lessThan, u"-0.04"_s, true}, {Op::lessThan, u"-0.05"_s, false}});

    f.size = 1'500'000;
    expectCases(Field::size, f,
                {{Op::greaterThan, u"1,5"_s, false}, {Op::lessThan, u"1.5"_s, false}, {Op::greaterThan, u"1,499"_s, true},
                 {Op::lessThan, u"1.501"_s, true},
                 // A comma is a decimal point here: "1,000" is one megabyte.
                 {Op::greaterThan, u"1,000"_s, true}, {Op::greaterThan, u"1,000,000"_s, false},
                 {Op::lessThan, u"2 MB"_s, false}, {Op::after, u"2"_s, true}});
    f.size = 0;
    expectCases(Field::size, f, {{Op::lessThan, u"0"_s, false}, {Op::lessThan, u"0,000001"_s, true}});
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
    using Kind = RuleAction::Kind;
    const auto uses = [](Field field, Kind kind, const QString &value) {
        return Rule{QUuid::createUuid(), u"r"_s, {Condition{QUuid::createUuid(), field, Op::is, u"pdf"_s}},
                    {RuleAction{QUuid::createUuid(), Kind::tag, u"{sender}"_s}, RuleAction{QUuid::createUuid(), kind, value}},
                    true, std::nullopt}
            .usesRecognition();
    };
    EXPECT_TRUE(uses(Field::sender, Kind::move, u"~/Documents"_s));
    EXPECT_TRUE(uses(Field::amount, Kind::move, u"~/Documents"_s));
    EXPECT_FALSE(uses(Field::text, Kind::move, u"~/Documents"_s));
    EXPECT_TRUE(uses(Field::fileType, Kind::move, u"~/Belege/{absender}"_s));
    EXPECT_TRUE(uses(Field::fileType, Kind::rename, u"{datum} {titel}"_s));
    EXPECT_TRUE(uses(Field::fileType, Kind::copy, u"~/Backup/{currency}"_s));
    EXPECT_FALSE(uses(Field::fileType, Kind::rename, u"{jahr}-{monat} {zaehler} {name} {year} {month}"_s));
    EXPECT_FALSE(uses(Field::fileType, Kind::move, u"~/{Absender}/{ sender}"_s));
    EXPECT_FALSE(uses(Field::fileType, Kind::openWith, u"{kind}"_s));
    EXPECT_FALSE(uses(Field::fileType, Kind::trashAfter, u"{date}"_s));
}
