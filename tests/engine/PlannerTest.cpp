#include "Planner.h"
#include "FileOperations.h"
#include "JsonCoding.h"
#include "TestSupport.h"

#include <limits>

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using Kind = RuleAction::Kind;

namespace {

const NameTemplate german{NameLanguage::de, u"yyyy-MM-dd"_s};
const QString home = u"/home/anna"_s;

Rule ruleWith(const QList<std::pair<Kind, QString>> &actions)
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = u"Rechnungen"_s;
    for (const auto &[kind, value] : actions)
        rule.actions.append(RuleAction{QUuid::createUuid(), kind, value});
    return rule;
}

FileFacts factsFor(const QString &path, bool withSender = true)
{
    FileFacts facts;
    facts.url = path;
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    if (withSender)
        recognition.sender = u"ACME Inc."_s;
    recognition.date = QDateTime(QDate(2024, 3, 5), QTime(12, 0), Qt::UTC);
    facts.recognition = recognition;
    return facts;
}

Plan planOf(const Rule &rule, const QString &path = u"/in/a.pdf"_s, const NameTemplate::ExistsTest &exists = {})
{
    return Planner::plan(rule, factsFor(path), german, home, exists ? exists : [](const QString &) { return false; });
}

} // namespace

TEST(Planner, LastMoveAndLastRenameWinAndCombine)
{
    const Rule rule = ruleWith({{Kind::move, u"~/Erst"_s}, {Kind::rename, u"Erst"_s}, {Kind::move, u"~/Belege/{jahr}/{monat}"_s},
                                {Kind::rename, u"{datum} {absender} {art}.pdf"_s}});
    const Plan plan = planOf(rule, u"/in/Scan.PDF"_s);
    EXPECT_EQ(std::tuple(plan.ruleID, plan.original, plan.destination),
              std::tuple(rule.id, u"/in/Scan.PDF"_s, u"/home/anna/Belege/2024/03/2024-03-05 ACME Rechnung.PDF"_s));
    EXPECT_TRUE(plan.changesLocation() && !plan.isEmpty());

    // Taken names give way to the next free one; copies take the final name.
    const QSet<QString> taken{u"/in/Neu.pdf"_s, u"/in/Neu 2.pdf"_s, u"/copies/Neu.pdf"_s};
    const Plan renamed = planOf(ruleWith({{Kind::copy, u"/copies"_s}, {Kind::rename, u"Neu"_s}, {Kind::copy, u"/copies"_s},
                                          {Kind::copy, u"/other/{jahr}"_s}}),
                                u"/in/Scan.pdf"_s, [&taken](const QString &path) { return taken.contains(path); });
    EXPECT_EQ(renamed.destination, u"/in/Neu 3.pdf"_s);
    EXPECT_EQ(renamed.copies, (QStringList{u"/copies/Neu 2.pdf"_s, u"/copies/Neu 2.pdf"_s, u"/other/2024/Neu.pdf"_s}));
}

TEST(Planner, TagsTrashDaysAndApplication)
{
    // A tag from an earlier action is not added again; one written twice
    // within one action stays twice, the first action's included.
    const Plan plan = planOf(ruleWith({{Kind::tag, u"Steuer, Bank, Steuer"_s}, {Kind::tag, u"Bank,Privat,Privat,Steuer"_s},
                                       {Kind::trashAfter, u" 30 "_s}, {Kind::openWith, u"{absender}"_s}}));
    EXPECT_EQ(plan.destination, plan.original);
    EXPECT_FALSE(plan.changesLocation());
    EXPECT_EQ(std::tuple(plan.tags, plan.trashAfterDays, plan.openWith, plan.missing),
              std::tuple(QStringList{u"Steuer"_s, u"Bank"_s, u"Steuer"_s, u"Privat"_s, u"Privat"_s},
                         std::optional<qint64>(30),
                         std::optional(u"{absender}"_s), QStringList()));

    // A later unreadable count clears the days; so does a negative one,
    // which would otherwise send the file to the Trash at the next sweep.
    for (const QString &days : {u"30 Tage"_s, u"-5"_s, QString()}) {
        const Plan cleared = planOf(ruleWith({{Kind::trashAfter, u"30"_s}, {Kind::trashAfter, days}}));
        EXPECT_FALSE(cleared.trashAfterDays.has_value()) << days.toStdString();
        EXPECT_TRUE(cleared.isEmpty());
    }
    // An empty application still counts.
    EXPECT_FALSE(planOf(ruleWith({{Kind::openWith, QString()}})).isEmpty());
    // A count of days beyond any date is kept as the longest there is, so
    // that the Trash date counted from it stays a date.
    EXPECT_EQ(planOf(ruleWith({{Kind::trashAfter, u"999999999999999999"_s}})).trashAfterDays, Plan::maxTrashAfterDays);
}

TEST(Planner, MissingPlaceholdersOnceEachSortedByCodePoint)
{
    const Rule rule = ruleWith({{Kind::move, u"~/{absender}/{titel}"_s}, {Kind::rename, u"{Absender} {absender} {betrag}"_s},
                                {Kind::copy, u"/c/{titel}"_s}, {Kind::tag, u"{x}"_s}, {Kind::openWith, u"{y}"_s}});
    const Plan plan = Planner::plan(rule, factsFor(u"/in/a.pdf"_s, false), german, home, [](const QString &) { return false; });
    EXPECT_EQ(plan.missing, (QStringList{u"Absender"_s, u"absender"_s, u"betrag"_s, u"titel"_s}));
    EXPECT_EQ(plan.destination, u"/home/anna/Unbekannt/Unbekannt/a.pdf"_s);
}

TEST(Planner, StayingPutIsAnEmptyPlan)
{
    EXPECT_TRUE(planOf(ruleWith({})).isEmpty());
    // Moving into its own folder under its own name keeps the original, even though it exists.
    const Plan same = planOf(ruleWith({{Kind::move, u"~/in"_s}, {Kind::rename, u"{original}"_s}}), u"/home/anna/in/a.pdf"_s,
                             [](const QString &) { return true; });
    EXPECT_EQ(same.destination, u"/home/anna/in/a.pdf"_s);
    EXPECT_TRUE(same.isEmpty());
}

// A file that already carries the free name its target gave it stays where
// it is, though its own name is taken (by itself); any other file takes the
// first free name, as do copies, for which the file's own place is never free.
TEST(Planner, AFileKeepsTheFreeNameItWasGiven)
{
    const struct
    {
        QString original;
        QSet<QString> taken;
        QString destination;
        QStringList copies;
    } cases[] = {
        {u"/in/Neu 2.pdf"_s, {u"/in/Neu.pdf"_s}, u"/in/Neu 2.pdf"_s, {u"/in/Neu 3.pdf"_s}},
        {u"/in/Neu 3.pdf"_s, {u"/in/Neu.pdf"_s, u"/in/Neu 2.pdf"_s}, u"/in/Neu 3.pdf"_s, {u"/in/Neu 4.pdf"_s}},
        // The name it had is free again: the file takes it back.
        {u"/in/Neu 2.pdf"_s, {}, u"/in/Neu.pdf"_s, {u"/in/Neu.pdf"_s}},
        // Free names before its own come first.
        {u"/in/Neu 3.pdf"_s, {u"/in/Neu.pdf"_s}, u"/in/Neu 2.pdf"_s, {u"/in/Neu 2.pdf"_s}},
        // Not a free name of its target: it moves as before.
        {u"/in/Scan.pdf"_s, {u"/in/Neu.pdf"_s}, u"/in/Neu 2.pdf"_s, {u"/in/Neu 2.pdf"_s}},
        {u"/in/Neu 2 alt.pdf"_s, {u"/in/Neu.pdf"_s, u"/in/Neu 2.pdf"_s}, u"/in/Neu 3.pdf"_s, {u"/in/Neu 3.pdf"_s}},
    };
    const Rule rule = ruleWith({{Kind::rename, u"Neu"_s}, {Kind::copy, u"/in"_s}});
    for (const auto &[original, taken, destination, copies] : cases) {
        const auto exists = [&](const QString &path) { return path == original || taken.contains(path); };
        const Plan plan = planOf(rule, original, exists);
        EXPECT_EQ(plan.destination, destination) << original.toStdString();
        EXPECT_EQ(plan.copies, copies) << original.toStdString();
    }
}

// A rename whose template fills to nothing keeps the file's own name, even
// one that begins with a blank and a dot, or a hidden one.
TEST(Planner, RenamesToNothingKeepTheOriginalName)
{
    for (const QString &original : {u"/in/ .Rechnung vom Mai"_s, u"/in/.  "_s}) {
        EXPECT_EQ(planOf(ruleWith({{Kind::rename, u"{titel}"_s}}), original).destination, original);
        EXPECT_EQ(planOf(ruleWith({{Kind::move, u"~/Belege"_s}, {Kind::rename, u"{titel}"_s}}), original).destination,
                  u"/home/anna/Belege/"_s + original.mid(4));
    }
}

TEST(Planner, FilesWithoutARecognisedDateUseTheirOwnDate)
{
    QTemporaryDir folder;
    const QString path = folder.path() + u"/Scan.pdf"_s;
    ASSERT_TRUE(TestSupport::writeFile(path, "x"));
    FileFacts facts;
    facts.url = path;
    const Plan plan = Planner::plan(ruleWith({{Kind::rename, u"{jahr} {original}"_s}}), facts, german, home,
                                    [](const QString &) { return false; });
    EXPECT_EQ(plan.destination, folder.path() + u'/' + QString::number(QDate::currentDate().year()) + u" Scan.pdf"_s);
}

TEST(Plan, JsonRoundTripAndRequiredKeys)
{
    Plan plan;
    plan.ruleID = QUuid::createUuid();
    plan.original = u"/in/Scan #1.pdf"_s;
    plan.destination = u"/home/a/Belege/2024 100%.pdf"_s;
    plan.copies = {u"/c/x.pdf"_s};
    plan.tags = {u"Steuer"_s};
    plan.missing = {u"titel"_s};
    QJsonObject json = plan.toJson();
    EXPECT_FALSE(json.contains(u"trashAfterDays"_s) || json.contains(u"openWith"_s));
    EXPECT_EQ(json.value(u"ruleID"_s).toString(), plan.ruleID.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(Plan::fromJson(json), plan);
    plan.trashAfterDays = 14;
    plan.openWith = QString();
    EXPECT_EQ(Plan::fromJsonData(plan.toJsonData()), plan);

    json.remove(u"missing"_s);
    EXPECT_THROW(Plan::fromJson(json), JsonCoding::DecodeError);
    // Any whole count of days reads back as stored, however large or
    // negative; one beyond 64 bits as the nearest 64-bit count. A fraction
    // makes a damaged row.
    json = plan.toJson();
    QJsonObject performed = Performed{plan.original, plan.destination, {}, {}, 14}.toJson();
    EXPECT_EQ(Performed::fromJson(performed).trashAfterDays, 14);
    for (const auto &[days, read] : {std::pair{40'000'000.0, qint64(40'000'000)}, {-7.0, qint64(-7)},
                                     {0.0, qint64(0)}, {1e19, std::numeric_limits<qint64>::max()},
                                     {-1e19, std::numeric_limits<qint64>::min()}}) {
        json.insert(u"trashAfterDays"_s, days);
        performed.insert(u"trashAfterDays"_s, days);
        EXPECT_EQ(Plan::fromJson(json).trashAfterDays, read) << days;
        EXPECT_EQ(Performed::fromJson(performed).trashAfterDays, read) << days;
    }
    json.insert(u"trashAfterDays"_s, 1.5);
    performed.insert(u"trashAfterDays"_s, 1.5);
    EXPECT_THROW(Plan::fromJson(json), JsonCoding::DecodeError);
    EXPECT_THROW(Performed::fromJson(performed), JsonCoding::DecodeError);
}

TEST(Plan, TrashDateOfAnyDelayStaysADate)
{
    const QDateTime start(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(Plan::trashDue(start, 7), QDateTime(QDate(2026, 3, 8), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(Plan::trashDue(start, -2), QDateTime(QDate(2026, 2, 27), QTime(12, 0), Qt::UTC));
    // Counts beyond a hundred thousand years, up to the largest a store can
    // hold, give the date a hundred thousand years away, which milliseconds
    // since 1970 still hold.
    for (const qint64 days : {Plan::maxTrashAfterDays + 1, qint64(40'000'000), std::numeric_limits<qint64>::max(),
                              std::numeric_limits<qint64>::min()}) {
        const QDateTime due = Plan::trashDue(start, days);
        const QDateTime bound = start.addDays(days > 0 ? Plan::maxTrashAfterDays : -Plan::maxTrashAfterDays);
        EXPECT_TRUE(due.isValid()) << days;
        EXPECT_EQ(due, bound) << days;
        EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(due.toMSecsSinceEpoch(), Qt::UTC), due) << days;
    }
}
