// Trying a rule on a folder's newest files: the rows and their updates, the
// points where a cancelled run stops, and that nothing on disk changes.
#include "DryRun.h"

#include "AutopilotFixture.h"
#include "SampleDocumentFiles.h"
#include "SampleDocuments.h"
#include "FolderWatcher.h"
#include "Prefs.h"
#include "RealHome.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

Condition condition(Condition::Field field, Condition::Operator op, const QString &value)
{
    return Condition{QUuid::createUuid(), field, op, value};
}

RuleAction action(RuleAction::Kind kind, const QString &value)
{
    return RuleAction{QUuid::createUuid(), kind, value};
}

Rule makeRule(const QList<Condition> &conditions, const QList<RuleAction> &actions)
{
    return Rule{QUuid::createUuid(), QStringLiteral("Try"), conditions, actions, true, std::nullopt};
}

// Invoices renamed after their sender, moved into a folder of the home.
Rule invoiceRule()
{
    return makeRule({condition(Condition::Field::kind, Condition::Operator::is, QStringLiteral("invoice"))},
                    {action(RuleAction::Kind::move, QStringLiteral("~/Belege")),
                     action(RuleAction::Kind::rename, QStringLiteral("{absender}"))});
}

// Every file of the folder with its size and modification time.
QMap<QString, QPair<qint64, QDateTime>> snapshot(const QString &folder)
{
    QMap<QString, QPair<qint64, QDateTime>> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files.insert(info.filePath(), {info.size(), info.lastModified()});
    }
    return files;
}

// Reads every file as an invoice of the sender named by its file, later on
// the event loop, as the real cache does on a miss.
struct FakeReader
{
    QStringList asked;
    double confidence = 0.9;
    std::function<void(const QString &path)> onAsk;

    DryRun::Recognize recognize()
    {
        return [this](const QString &path, QObject *context, std::function<void(const Recognition &)> done) {
            asked.append(path);
            if (onAsk)
                onAsk(path);
            Recognition recognition;
            recognition.kind = DocumentKind::invoice;
            recognition.sender = QFileInfo(path).completeBaseName();
            recognition.confidence = confidence;
            QTimer::singleShot(0, context, [done, recognition] { done(recognition); });
        };
    }
};

class DryRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("de"));
    }

    // count new files in the folder, named prefix000, prefix001, ...
    QStringList makeFiles(int count, const QString &prefix = QStringLiteral("doc"))
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString path = dir.filePath(QStringLiteral("%1%2.pdf").arg(prefix).arg(i, 3, 10, QLatin1Char('0')));
            EXPECT_TRUE(TestSupport::writeFile(path, "%PDF-1.4 " + QByteArray::number(i)));
            paths.append(path);
        }
        return paths;
    }

    // Runs to the end (or to a cancel) and returns every update.
    QList<QList<DryRunRow>> run(DryRun &dryRun, const std::optional<QString> &folder)
    {
        dryRun.start(folder);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dryRun.isFinished(); }, 10000));
        QTest::qWait(20); // nothing may come after the end
        return updates;
    }

    DryRun::Update collect()
    {
        return [this](const QList<DryRunRow> &rows) { updates.append(rows); };
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/dryrun-XXXXXX")};
    QList<QList<DryRunRow>> updates;
};

} // namespace

TEST_F(DryRunTest, handsOverEveryRowReadingThenOneUpdatePerFileAndChangesNothing)
{
    // Three older files, then fifty newer ones (file times tick coarsely,
    // so the two groups are kept apart by a short pause).
    const QStringList older = makeFiles(3, QStringLiteral("old"));
    QTest::qWait(30);
    const QStringList newer = makeFiles(50);
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    TestSupport::writeFile(dir.filePath(QStringLiteral("sub/inner.pdf")), "%PDF inner");
    TestSupport::writeFile(dir.filePath(QStringLiteral(".hidden.pdf")), "%PDF hidden");
    const auto before = snapshot(dir.path());
    const auto homeBefore = snapshot(RealHome::path());

    FakeReader reader;
    DryRun dryRun(invoiceRule(), reader.recognize(), collect());
    const auto updates = run(dryRun, dir.path());

    // The 50 newest, newest first; neither the subfolder's file nor the hidden one.
    ASSERT_EQ(updates.size(), 51);
    const QList<DryRunRow> &first = updates.constFirst();
    ASSERT_EQ(first.size(), 50);
    QStringList listed;
    for (int i = 0; i < 50; ++i) {
        listed.append(first.at(i).file);
        EXPECT_TRUE(first.at(i).reading);
        EXPECT_FALSE(first.at(i).recognition);
        EXPECT_FALSE(first.at(i).plan);
    }
    for (const QString &old : older)
        EXPECT_FALSE(listed.contains(old));
    EXPECT_EQ(listed, FolderWatcher::recentFiles(dir.path(), 50)); // newest first
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), QSet<QString>(newer.begin(), newer.end()));
    // Each later update fills in one more row, in order, and keeps the ids.
    for (int n = 1; n <= 50; ++n) {
        const QList<DryRunRow> &rows = updates.at(n);
        ASSERT_EQ(rows.size(), 50);
        for (int i = 0; i < 50; ++i) {
            EXPECT_EQ(rows.at(i).id, first.at(i).id);
            EXPECT_EQ(rows.at(i).reading, i >= n) << n << " " << i;
        }
    }
    const QList<DryRunRow> &last = updates.constLast();
    EXPECT_EQ(reader.asked.size(), 50);
    const DryRunRow &newest = last.constFirst();
    ASSERT_TRUE(newest.recognition && newest.plan);
    EXPECT_EQ(newest.plan->destination,
              RealHome::path() + QStringLiteral("/Belege/") + QFileInfo(newest.file).fileName());
    EXPECT_FALSE(newest.waitsForReview());

    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_EQ(snapshot(RealHome::path()), homeBefore);
    EXPECT_FALSE(QFileInfo::exists(RealHome::path() + QStringLiteral("/Belege")));

    // A new run starts from new rows.
    std::optional<QUuid> firstId = first.constFirst().id;
    this->updates.clear();
    DryRun again(invoiceRule(), reader.recognize(), collect());
    const auto second = run(again, dir.path());
    EXPECT_NE(second.constFirst().constFirst().id, *firstId);
}

TEST_F(DryRunTest, stopsAtTheCancelPointsAndHandsOverTheFileUnderWay)
{
    makeFiles(6);

    // Cancelled while the third file is being read: that row still comes
    // filled in, the later ones stay reading, and nothing comes after it.
    {
        FakeReader reader;
        DryRun *current = nullptr;
        reader.onAsk = [&](const QString &) {
            if (reader.asked.size() == 3)
                current->cancel();
        };
        DryRun dryRun(invoiceRule(), reader.recognize(), collect());
        current = &dryRun;
        const auto updates = run(dryRun, dir.path());
        ASSERT_EQ(updates.size(), 4);
        const QList<DryRunRow> &last = updates.constLast();
        EXPECT_FALSE(last.at(2).reading);
        EXPECT_TRUE(last.at(2).plan);
        EXPECT_TRUE(last.at(3).reading);
        EXPECT_TRUE(last.at(5).reading);
        EXPECT_EQ(reader.asked.size(), 3);
    }

    // Cancelled at the first delivery: no file is read.
    {
        updates.clear();
        FakeReader reader;
        DryRun *current = nullptr;
        DryRun dryRun(invoiceRule(), reader.recognize(), [&](const QList<DryRunRow> &rows) {
            updates.append(rows);
            current->cancel();
        });
        current = &dryRun;
        const auto updates = run(dryRun, dir.path());
        EXPECT_EQ(updates.size(), 1);
        EXPECT_TRUE(reader.asked.isEmpty());
    }

    // Ended by the caller from inside an update: nothing more happens.
    {
        updates.clear();
        FakeReader reader;
        std::unique_ptr<DryRun> dryRun;
        dryRun = std::make_unique<DryRun>(invoiceRule(), reader.recognize(), [&](const QList<DryRunRow> &rows) {
            updates.append(rows);
            if (updates.size() == 2)
                dryRun.reset();
        });
        dryRun->start(dir.path());
        QTest::qWait(50);
        EXPECT_EQ(updates.size(), 2);
        EXPECT_EQ(reader.asked.size(), 1);
    }

    // Destroyed while a file is being read: no update comes any more.
    {
        updates.clear();
        FakeReader reader;
        auto dryRun = std::make_unique<DryRun>(invoiceRule(), reader.recognize(), collect());
        dryRun->start(dir.path());
        EXPECT_EQ(updates.size(), 1);
        dryRun.reset();
        QTest::qWait(20);
        EXPECT_EQ(updates.size(), 1);
    }
}

TEST_F(DryRunTest, unreachableOrEmptyFoldersAndRulesThatNeedNoReading)
{
    FakeReader reader;

    // No access: no update at all.
    DryRun unreachable(invoiceRule(), reader.recognize(), collect());
    EXPECT_TRUE(run(unreachable, std::nullopt).isEmpty());

    // Only hidden files: one update with no rows.
    TestSupport::writeFile(dir.filePath(QStringLiteral(".only-hidden")), "x");
    DryRun empty(invoiceRule(), reader.recognize(), collect());
    const auto emptyUpdates = run(empty, dir.path());
    ASSERT_EQ(emptyUpdates.size(), 1);
    EXPECT_TRUE(emptyUpdates.constFirst().isEmpty());

    // A rule on names alone reads no file; a rule without conditions matches
    // nothing; a matching rule that plans nothing still shows its empty plan.
    makeFiles(3);
    TestSupport::writeFile(dir.filePath(QStringLiteral("note.txt")), "x");
    const Rule byName = makeRule({condition(Condition::Field::name, Condition::Operator::endsWith, QStringLiteral(".pdf"))},
                                 {action(RuleAction::Kind::tag, QStringLiteral("Belege"))});
    updates.clear();
    DryRun named(byName, reader.recognize(), collect());
    const auto namedUpdates = run(named, dir.path());
    ASSERT_EQ(namedUpdates.size(), 5);
    EXPECT_TRUE(reader.asked.isEmpty());
    int planned = 0;
    for (const DryRunRow &row : namedUpdates.constLast()) {
        EXPECT_FALSE(row.recognition);
        EXPECT_FALSE(row.reading);
        planned += row.plan ? 1 : 0;
        EXPECT_FALSE(row.waitsForReview());
    }
    EXPECT_EQ(planned, 3);

    updates.clear();
    DryRun none(makeRule({}, {action(RuleAction::Kind::tag, QStringLiteral("x"))}), reader.recognize(), collect());
    for (const DryRunRow &row : run(none, dir.path()).constLast())
        EXPECT_FALSE(row.plan);

    updates.clear();
    const Rule nothingToDo =
        makeRule({condition(Condition::Field::name, Condition::Operator::endsWith, QStringLiteral(".txt"))}, {});
    DryRun idle(nothingToDo, reader.recognize(), collect());
    const QList<DryRunRow> idleRows = run(idle, dir.path()).constLast();
    const auto note = std::find_if(idleRows.begin(), idleRows.end(),
                                   [](const DryRunRow &row) { return row.file.endsWith(QLatin1String("note.txt")); });
    ASSERT_NE(note, idleRows.end());
    ASSERT_TRUE(note->plan);
    EXPECT_TRUE(note->plan->isEmpty());
}

TEST(DryRunRowTest, waitsForReviewOnlyWithAPlanAndAnUnsureReadingOrMissingValues)
{
    DryRunRow row;
    Recognition recognition;
    recognition.confidence = 0.59;
    row.recognition = recognition;
    EXPECT_FALSE(row.waitsForReview()); // no plan, however unsure

    row.plan = Plan{};
    EXPECT_TRUE(row.waitsForReview());
    row.recognition->confidence = Recognition::reviewThreshold;
    EXPECT_FALSE(row.waitsForReview());
    row.plan->missing = QStringList{QStringLiteral("absender")};
    EXPECT_TRUE(row.waitsForReview());
    row.recognition.reset();
    EXPECT_TRUE(row.waitsForReview());
}

class AutopilotDryRunTest : public AutopilotFixture
{
};

TEST_F(AutopilotDryRunTest, ReadsThroughTheCacheWritesNoJournalAndNeedsAFolderItCanReach)
{
    makeAutopilot(); // the model is off: a dry run tries the rule anyway
    WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    const QString folder = home + QStringLiteral("/Inbox");
    QList<SampleDocuments::Sample> invoices;
    for (const SampleDocuments::Sample &sample : SampleDocuments::all()) {
        if (sample.style == SampleDocuments::Style::text && sample.expected.kind == DocumentKind::invoice)
            invoices.append(sample);
    }
    ASSERT_FALSE(invoices.isEmpty());
    SampleDocuments::write(folder, invoices.mid(0, 2));

    const auto runToEnd = [&](WatchedFolder &target) {
        QList<QList<DryRunRow>> updates;
        std::unique_ptr<DryRun> run =
            autopilot->dryRun(invoiceRule(), target, [&updates](const QList<DryRunRow> &rows) { updates.append(rows); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return run->isFinished(); }, patienceMs));
        return updates;
    };

    const auto first = runToEnd(inbox);
    ASSERT_EQ(first.size(), 3);
    for (const DryRunRow &row : first.constLast()) {
        ASSERT_TRUE(row.recognition);
        EXPECT_EQ(row.recognition->kind, DocumentKind::invoice);
        EXPECT_TRUE(row.plan);
    }
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 2);

    // Again: the readings come from the cache, nothing is added.
    const auto second = runToEnd(inbox);
    EXPECT_EQ(second.constLast().size(), 2);
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 2);
    EXPECT_EQ(store->count(Store::Model::journalEntry), 0);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);

    // A folder that is gone: not a single update, and it is to be chosen again.
    WatchedFolder gone = watch(QStringLiteral("Elsewhere"));
    ASSERT_TRUE(QDir(home + QStringLiteral("/Elsewhere")).removeRecursively());
    EXPECT_TRUE(runToEnd(gone).isEmpty());
    EXPECT_TRUE(store->folder(gone.uuid)->needsReselect);
}
