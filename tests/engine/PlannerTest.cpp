#include "Planner.h"
#include "JsonCoding.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

namespace {

const NameTemplate german{NameLanguage::de, QStringLiteral("yyyy-MM-dd")};
const QString home = QStringLiteral("/home/anna");

RuleAction action(RuleAction::Kind kind, const QString &value)
{
    return RuleAction{QUuid::createUuid(), kind, value};
}

Rule ruleWith(const QList<RuleAction> &actions)
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("Rechnungen");
    rule.actions = actions;
    return rule;
}

FileFacts factsFor(const QString &path, bool withSender = true)
{
    FileFacts facts;
    facts.url = path;
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    if (withSender)
        recognition.sender = QStringLiteral("ACME Inc.");
    recognition.date = QDateTime(QDate(2024, 3, 5), QTime(12, 0), Qt::UTC);
    facts.recognition = recognition;
    return facts;
}

bool nothingExists(const QString &)
{
    return false;
}

} // namespace

using Kind = RuleAction::Kind;

TEST(Planner, LastMoveAndLastRenameWinAndCombine)
{
    const Rule rule = ruleWith({action(Kind::move, QStringLiteral("~/Erst")), action(Kind::rename, QStringLiteral("Erst")),
                                action(Kind::move, QStringLiteral("~/Belege/{jahr}/{monat}")),
                                action(Kind::rename, QStringLiteral("{datum} {absender} {art}.pdf"))});
    const Plan plan = Planner::plan(rule, factsFor(QStringLiteral("/in/Scan.PDF")), german, home, nothingExists);
    EXPECT_EQ(plan.ruleID, rule.id);
    EXPECT_EQ(plan.original, QStringLiteral("/in/Scan.PDF"));
    EXPECT_EQ(plan.destination, QStringLiteral("/home/anna/Belege/2024/03/2024-03-05 ACME Rechnung.PDF"));
    EXPECT_TRUE(plan.changesLocation());
    EXPECT_FALSE(plan.isEmpty());

    // Taken names give way to the next free one; copies take the final name.
    const QSet<QString> taken{QStringLiteral("/in/Neu.pdf"), QStringLiteral("/in/Neu 2.pdf"),
                              QStringLiteral("/copies/Neu.pdf")};
    const auto exists = [&taken](const QString &path) { return taken.contains(path); };
    const Plan renamed = Planner::plan(
        ruleWith({action(Kind::copy, QStringLiteral("/copies")), action(Kind::rename, QStringLiteral("Neu")),
                  action(Kind::copy, QStringLiteral("/copies")), action(Kind::copy, QStringLiteral("/other/{jahr}"))}),
        factsFor(QStringLiteral("/in/Scan.pdf")), german, home, exists);
    EXPECT_EQ(renamed.destination, QStringLiteral("/in/Neu 3.pdf"));
    EXPECT_EQ(renamed.copies, (QStringList{QStringLiteral("/copies/Neu 2.pdf"), QStringLiteral("/copies/Neu 2.pdf"),
                                           QStringLiteral("/other/2024/Neu.pdf")}));
}

TEST(Planner, TagsTrashDaysAndApplication)
{
    const Rule rule = ruleWith({action(Kind::tag, QStringLiteral("Steuer, Bank")),
                                action(Kind::tag, QStringLiteral("Bank,Privat,Privat")),
                                action(Kind::trashAfter, QStringLiteral(" 30 ")),
                                action(Kind::openWith, QStringLiteral("{absender}"))});
    const Plan plan = Planner::plan(rule, factsFor(QStringLiteral("/in/a.pdf")), german, home, nothingExists);
    EXPECT_EQ(plan.destination, plan.original);
    EXPECT_FALSE(plan.changesLocation());
    EXPECT_EQ(plan.tags, (QStringList{QStringLiteral("Steuer"), QStringLiteral("Bank"), QStringLiteral("Privat")}));
    EXPECT_EQ(plan.trashAfterDays, 30);
    EXPECT_EQ(plan.openWith, QStringLiteral("{absender}"));
    EXPECT_TRUE(plan.missing.isEmpty());

    // A later unreadable count clears the days; so does a negative one,
    // which would otherwise send the file to the Trash at the next sweep.
    for (const QString &days : {QStringLiteral("30 Tage"), QStringLiteral("-5"), QString()}) {
        const Plan cleared = Planner::plan(
            ruleWith({action(Kind::trashAfter, QStringLiteral("30")), action(Kind::trashAfter, days)}),
            factsFor(QStringLiteral("/in/a.pdf")), german, home, nothingExists);
        EXPECT_FALSE(cleared.trashAfterDays.has_value()) << days.toStdString();
        EXPECT_TRUE(cleared.isEmpty());
    }
    // An empty application still counts.
    EXPECT_FALSE(Planner::plan(ruleWith({action(Kind::openWith, QString())}), factsFor(QStringLiteral("/in/a.pdf")),
                               german, home, nothingExists)
                     .isEmpty());
}

TEST(Planner, MissingPlaceholdersOnceEachSortedByCodePoint)
{
    const Rule rule = ruleWith({action(Kind::move, QStringLiteral("~/{absender}/{titel}")),
                                action(Kind::rename, QStringLiteral("{Absender} {absender} {betrag}")),
                                action(Kind::copy, QStringLiteral("/c/{titel}")), action(Kind::tag, QStringLiteral("{x}")),
                                action(Kind::openWith, QStringLiteral("{y}"))});
    const Plan plan = Planner::plan(rule, factsFor(QStringLiteral("/in/a.pdf"), false), german, home, nothingExists);
    EXPECT_EQ(plan.missing, (QStringList{QStringLiteral("Absender"), QStringLiteral("absender"),
                                         QStringLiteral("betrag"), QStringLiteral("titel")}));
    EXPECT_EQ(plan.destination, QStringLiteral("/home/anna/Unbekannt/Unbekannt/a.pdf"));
}

TEST(Planner, StayingPutIsAnEmptyPlan)
{
    EXPECT_TRUE(Planner::plan(ruleWith({}), factsFor(QStringLiteral("/in/a.pdf")), german, home, nothingExists).isEmpty());
    // Moving into its own folder under its own name keeps the original, even though it exists.
    const Plan same = Planner::plan(ruleWith({action(Kind::move, QStringLiteral("~/in")),
                                              action(Kind::rename, QStringLiteral("{original}"))}),
                                    factsFor(QStringLiteral("/home/anna/in/a.pdf")), german, home,
                                    [](const QString &) { return true; });
    EXPECT_EQ(same.destination, QStringLiteral("/home/anna/in/a.pdf"));
    EXPECT_TRUE(same.isEmpty());
}

TEST(Planner, FilesWithoutARecognisedDateUseTheirOwnDate)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/Scan.pdf");
    ASSERT_TRUE(TestSupport::writeFile(path, "x"));
    FileFacts facts;
    facts.url = path;
    const Plan plan = Planner::plan(ruleWith({action(Kind::rename, QStringLiteral("{jahr} {original}"))}), facts,
                                    german, home, nothingExists);
    EXPECT_EQ(plan.destination, folder.path() + QLatin1Char('/') + QString::number(QDate::currentDate().year())
                                    + QStringLiteral(" Scan.pdf"));
}

TEST(Plan, JsonRoundTripAndRequiredKeys)
{
    Plan plan;
    plan.ruleID = QUuid::createUuid();
    plan.original = QStringLiteral("/in/Scan #1.pdf");
    plan.destination = QStringLiteral("/home/a/Belege/2024 100%.pdf");
    plan.copies = {QStringLiteral("/c/x.pdf")};
    plan.tags = {QStringLiteral("Steuer")};
    plan.missing = {QStringLiteral("titel")};
    QJsonObject json = plan.toJson();
    EXPECT_FALSE(json.contains(QStringLiteral("trashAfterDays")));
    EXPECT_FALSE(json.contains(QStringLiteral("openWith")));
    EXPECT_EQ(json.value(QStringLiteral("ruleID")).toString(), plan.ruleID.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(Plan::fromJson(json), plan);
    plan.trashAfterDays = 14;
    plan.openWith = QString();
    EXPECT_EQ(Plan::fromJsonData(plan.toJsonData()), plan);

    json.remove(QStringLiteral("missing"));
    EXPECT_THROW(Plan::fromJson(json), JsonCoding::DecodeError);
    json = plan.toJson();
    json.insert(QStringLiteral("trashAfterDays"), 1.5);
    EXPECT_THROW(Plan::fromJson(json), JsonCoding::DecodeError);
}
