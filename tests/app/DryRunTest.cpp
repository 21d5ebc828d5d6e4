// Trying a rule on a folder's newest files: the rows and their updates, the
// points where a cancelled run stops, and that nothing on disk changes.
#include "DryRun.h"
#include "DryRunRowView.h"
#include "DryRunView.h"
#include "LineLimitedLabel.h"

#include "AutopilotFixture.h"
#include "FolderWatcher.h"
#include "SampleDocumentFiles.h"
#include "SampleDocuments.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QFontMetrics>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

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
            recognition.confidence = 0.9;
            QTimer::singleShot(0, context, [done, recognition] { done(recognition); });
        };
    }

    // The rules of these tests test no text.
    static DryRun::ReadText noText()
    {
        return [](const QString &path, QObject *, const DryRun::TextRead &) {
            ADD_FAILURE() << "text asked of " << path.toStdString();
        };
    }
};

} // namespace

class DryRunTest : public AutopilotFixture
{
protected:
    // Invoices renamed after their sender, moved into a folder of the home.
    static Rule invoiceRule()
    {
        return rule(QStringLiteral("Try"), {condition(Field::kind, Op::is, QStringLiteral("invoice"))},
                    {action(Kind::move, QStringLiteral("~/Belege")), action(Kind::rename, QStringLiteral("{absender}"))});
    }

    // count new files in the folder, named prefix000, prefix001, ...
    QStringList makeFiles(int count, const QString &prefix = QStringLiteral("doc"))
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            paths.append(dir.filePath(QStringLiteral("%1%2.pdf").arg(prefix).arg(i, 3, 10, QLatin1Char('0'))));
            EXPECT_TRUE(TestSupport::writeFile(paths.last(), "%PDF-1.4 " + QByteArray::number(i)));
        }
        return paths;
    }

    // Runs a fresh dry run to the end (or to a cancel) and returns every update.
    QList<QList<DryRunRow>> run(const Rule &rule, FakeReader &reader, const std::optional<QString> &folder,
                                DryRun::Update update = {})
    {
        updates.clear();
        DryRun dryRun(rule, reader.recognize(), FakeReader::noText(), update ? update : collect());
        current = &dryRun;
        dryRun.start(folder);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dryRun.isFinished(); }, 10000));
        QTest::qWait(20); // nothing may come after the end
        current = nullptr;
        return updates;
    }

    DryRun::Update collect()
    {
        return [this](const QList<DryRunRow> &rows) { updates.append(rows); };
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/dryrun-XXXXXX")};
    QList<QList<DryRunRow>> updates;
    DryRun *current = nullptr;
};

TEST_F(DryRunTest, handsOverEveryRowReadingThenOneUpdatePerFileAndChangesNothing)
{
    // Three older files, then fifty newer ones (file times tick coarsely,
    // so the two groups are kept apart by a short pause).
    makeFiles(3, QStringLiteral("old"));
    QTest::qWait(30);
    const QStringList newer = makeFiles(50);
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    TestSupport::writeFile(dir.filePath(QStringLiteral("sub/inner.pdf")), "%PDF inner");
    TestSupport::writeFile(dir.filePath(QStringLiteral(".hidden.pdf")), "%PDF hidden");
    const auto before = snapshot(dir.path());
    const auto homeBefore = snapshot(home);

    FakeReader reader;
    const auto updates = run(invoiceRule(), reader, dir.path());

    // The 50 newest, newest first; neither the subfolder's file nor the hidden one.
    ASSERT_EQ(updates.size(), 51);
    const QList<DryRunRow> &first = updates.constFirst();
    ASSERT_EQ(first.size(), 50);
    QStringList listed;
    for (const DryRunRow &row : first) {
        listed.append(row.file);
        EXPECT_TRUE(row.reading && !row.recognition && !row.plan);
    }
    EXPECT_EQ(listed, FolderWatcher::recentFiles(dir.path(), 50));
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), QSet<QString>(newer.begin(), newer.end()));
    // Each later update fills in one more row, in order, and keeps the ids.
    for (int n = 1; n <= 50; ++n) {
        ASSERT_EQ(updates.at(n).size(), 50);
        for (int i = 0; i < 50; ++i) {
            EXPECT_EQ(updates.at(n).at(i).id, first.at(i).id);
            EXPECT_EQ(updates.at(n).at(i).reading, i >= n) << n << " " << i;
        }
    }
    EXPECT_EQ(reader.asked.size(), 50);
    const DryRunRow &newest = updates.constLast().constFirst();
    ASSERT_TRUE(newest.recognition && newest.plan);
    EXPECT_EQ(newest.plan->destination, home + QStringLiteral("/Belege/") + QFileInfo(newest.file).fileName());
    EXPECT_FALSE(newest.waitsForReview());

    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_EQ(snapshot(home), homeBefore);

    // A new run starts from new rows.
    EXPECT_NE(run(invoiceRule(), reader, dir.path()).constFirst().constFirst().id, first.constFirst().id);
}

TEST_F(DryRunTest, stopsAtTheCancelPointsAndHandsOverTheFileUnderWay)
{
    makeFiles(6);

    // Cancelled while the third file is being read: that row still comes
    // filled in, the later ones stay reading, and nothing comes after it.
    FakeReader third;
    third.onAsk = [&](const QString &) {
        if (third.asked.size() == 3)
            current->cancel();
    };
    const auto got = run(invoiceRule(), third, dir.path());
    ASSERT_EQ(got.size(), 4);
    const QList<DryRunRow> &last = got.constLast();
    EXPECT_TRUE(!last.at(2).reading && last.at(2).plan && last.at(3).reading && last.at(5).reading);
    EXPECT_EQ(third.asked.size(), 3);

    // Cancelled at the first delivery: no file is read.
    FakeReader none;
    EXPECT_EQ(run(invoiceRule(), none, dir.path(), [&](const QList<DryRunRow> &rows) {
                  updates.append(rows);
                  current->cancel();
              }).size(), 1);
    EXPECT_TRUE(none.asked.isEmpty());

    // Ended by the caller from inside an update: nothing more happens.
    FakeReader ended;
    updates.clear();
    std::unique_ptr<DryRun> dryRun;
    dryRun = std::make_unique<DryRun>(invoiceRule(), ended.recognize(), FakeReader::noText(), [&](const QList<DryRunRow> &rows) {
        updates.append(rows);
        if (updates.size() == 2)
            dryRun.reset();
    });
    dryRun->start(dir.path());
    QTest::qWait(50);
    EXPECT_EQ(updates.size(), 2);
    EXPECT_EQ(ended.asked.size(), 1);

    // Destroyed while a file is being read: no update comes any more.
    updates.clear();
    dryRun = std::make_unique<DryRun>(invoiceRule(), ended.recognize(), FakeReader::noText(), collect());
    dryRun->start(dir.path());
    EXPECT_EQ(updates.size(), 1);
    dryRun.reset();
    QTest::qWait(20);
    EXPECT_EQ(updates.size(), 1);
}

TEST_F(DryRunTest, unreachableOrEmptyFoldersAndRulesThatNeedNoReading)
{
    FakeReader reader;
    // No access: no update at all. Only hidden files: one update with no rows.
    EXPECT_TRUE(run(invoiceRule(), reader, std::nullopt).isEmpty());
    TestSupport::writeFile(dir.filePath(QStringLiteral(".only-hidden")), "x");
    const auto hidden = run(invoiceRule(), reader, dir.path());
    ASSERT_EQ(hidden.size(), 1);
    EXPECT_TRUE(hidden.constFirst().isEmpty());

    // A rule on names alone reads no file; a rule without conditions matches
    // nothing; a matching rule that plans nothing still shows its empty plan.
    makeFiles(3);
    TestSupport::writeFile(dir.filePath(QStringLiteral("note.txt")), "x");
    const auto named = run(byEnding(QStringLiteral("Try"), QStringLiteral(".pdf"), Kind::tag, QStringLiteral("Belege")),
                           reader, dir.path());
    ASSERT_EQ(named.size(), 5);
    EXPECT_TRUE(reader.asked.isEmpty());
    int planned = 0;
    for (const DryRunRow &row : named.constLast()) {
        EXPECT_TRUE(!row.recognition && !row.reading && !row.waitsForReview());
        planned += row.plan ? 1 : 0;
    }
    EXPECT_EQ(planned, 3);

    for (const DryRunRow &row :
         run(rule(QStringLiteral("Try"), {}, {action(Kind::tag, QStringLiteral("x"))}), reader, dir.path()).constLast())
        EXPECT_FALSE(row.plan);

    const QList<DryRunRow> idle =
        run(rule(QStringLiteral("Try"), {condition(Field::name, Op::endsWith, QStringLiteral(".txt"))}, {}), reader,
            dir.path()).constLast();
    const auto note = std::find_if(idle.begin(), idle.end(),
                                   [](const DryRunRow &row) { return row.file.endsWith(QLatin1String("note.txt")); });
    ASSERT_NE(note, idle.end());
    ASSERT_TRUE(note->plan);
    EXPECT_TRUE(note->plan->isEmpty());
}

TEST(DryRunRowTest, waitsForReviewOnlyWithAPlanAndAnUnsureReadingOrMissingValues)
{
    DryRunRow row;
    row.recognition = Recognition();
    row.recognition->confidence = 0.59;
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

TEST_F(DryRunTest, throughTheAutopilotReadsViaTheCacheWritesNoJournalAndNeedsAFolderItCanReach)
{
    makeAutopilot(); // the model is off: a dry run tries the rule anyway
    WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    QList<SampleDocuments::Sample> invoices;
    for (const SampleDocuments::Sample &sample : SampleDocuments::all()) {
        if (sample.style == SampleDocuments::Style::text && sample.expected.kind == DocumentKind::invoice)
            invoices.append(sample);
    }
    ASSERT_GE(invoices.size(), 2);
    SampleDocuments::write(inbox.displayPath, invoices.mid(0, 2));

    const auto runToEnd = [&](WatchedFolder &target) {
        QList<QList<DryRunRow>> got;
        std::unique_ptr<DryRun> run =
            autopilot->dryRun(invoiceRule(), target, [&got](const QList<DryRunRow> &rows) { got.append(rows); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return run->isFinished(); }, patienceMs));
        return got;
    };

    const auto first = runToEnd(inbox);
    ASSERT_EQ(first.size(), 3);
    for (const DryRunRow &row : first.constLast()) {
        ASSERT_TRUE(row.recognition);
        EXPECT_EQ(row.recognition->kind, DocumentKind::invoice);
        EXPECT_TRUE(row.plan);
    }
    // Again: the readings come from the cache, nothing is added.
    EXPECT_EQ(runToEnd(inbox).constLast().size(), 2);
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 2);
    EXPECT_EQ(store->count(Store::Model::journalEntry), 0);
    EXPECT_EQ(QDir(inbox.displayPath).entryList(QDir::Files).size(), 2);

    // A folder that is gone: not a single update, and it is to be chosen again.
    WatchedFolder gone = watch(QStringLiteral("Elsewhere"));
    ASSERT_TRUE(QDir(gone.displayPath).removeRecursively());
    EXPECT_TRUE(runToEnd(gone).isEmpty());
    EXPECT_TRUE(store->folder(gone.uuid)->needsReselect);
}

TEST_F(DryRunTest, aValidNameHoldingTheReplacementCharacterIsPlannedBesideAnUndecodableOne)
{
    // A real U+FFFD (valid UTF-8), the byte 0xff that decodes to the same
    // text, and an undecodable name with no valid twin.
    const QByteArray folder = QFile::encodeName(dir.path());
    const QList<QByteArray> names{"Rechnung \xEF\xBF\xBD.pdf", "Rechnung \xFF.pdf", "Beleg \xFF\xFE.pdf"};
    for (const QByteArray &name : names) {
        const int fd = ::open((folder + '/' + name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << name.toStdString();
        ::close(fd);
    }
    FakeReader reader;
    const QList<DryRunRow> rows =
        run(byEnding(QStringLiteral("Try"), QStringLiteral(".pdf"), Kind::tag, QStringLiteral("Belege")), reader, dir.path())
            .constLast();
    for (const QByteArray &name : names)
        ::unlink((folder + '/' + name).constData());

    const QString valid = dir.filePath(QStringLiteral("Rechnung \uFFFD.pdf"));
    const auto first = std::find_if(rows.begin(), rows.end(), [&](const DryRunRow &row) { return row.file == valid; });
    ASSERT_NE(first, rows.end());
    ASSERT_TRUE(first->plan);
    EXPECT_EQ(first->plan->tags, QStringList{QStringLiteral("Belege")});
    const auto alone = std::find_if(rows.begin(), rows.end(), [&](const DryRunRow &row) {
        return row.file == dir.filePath(QStringLiteral("Beleg \uFFFD\uFFFD.pdf"));
    });
    ASSERT_NE(alone, rows.end());
    EXPECT_FALSE(alone->plan);
}

TEST_F(DryRunTest, aNameThatIsNotUtf8ShowsTheJournalsRefusalWhetherOrNotTheRuleWouldMatch)
{
    makeAutopilot();
    WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    place(QStringLiteral("Sorted"));
    const QByteArray path = QFile::encodeName(inbox.displayPath) + "/Rechnung_\xff\xfe.pdf";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, "%PDF-1.4", 8), 8);
    ::close(fd);
    // Qt's listings cannot see the file, so the home's clean-up could not remove it.
    const std::unique_ptr<const char, void (*)(const char *)> removal(path.constData(),
                                                                      [](const char *name) { ::unlink(name); });

    // What the journal says when the filing refuses the file.
    const Rule matching = byEnding(QStringLiteral("PDFs"), QStringLiteral(".pdf"), Kind::move, QStringLiteral("~/Sorted"));
    addRule(matching, inbox.uuid);
    std::optional<int> count;
    autopilot->cleanUp(inbox, [&count](int n) { count = n; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return count.has_value(); }, patienceMs));
    ASSERT_EQ(store->journal().size(), 1);
    const QString refusal = store->journal().constFirst().message;
    EXPECT_TRUE(refusal.contains(QLatin1String("not valid UTF-8"))) << refusal.toStdString();

    for (const Rule &rule : {matching, byEnding(QStringLiteral("Texts"), QStringLiteral(".txt"), Kind::tag,
                                                QStringLiteral("Texte")),
                             invoiceRule()}) {
        SCOPED_TRACE(rule.name.toStdString());
        DryRunView view(*autopilot, DryRunRequest{QUuid::createUuid(), rule, inbox.uuid});
        view.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isRunning() && !view.rows().isEmpty(); }, patienceMs));
        const auto *row = view.findChild<DryRunRowView *>();
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->stateText(), refusal);
        EXPECT_EQ(row->findChild<LineLimitedLabel *>(QStringLiteral("state"))->text(), refusal);
        EXPECT_FALSE(row->row().plan || row->row().recognition);
        EXPECT_FALSE(row->findChild<QWidget *>(QStringLiteral("review"))->isVisible());
    }
}

TEST(DryRunRowTest, aLongPlanIsToldInTwoLinesAtMostAndAShortOneInOne)
{
    DryRunRow row;
    row.file = QStringLiteral("/tmp/Inbox/scan.pdf");
    row.reading = false;
    Plan plan;
    plan.original = row.file;
    plan.destination = QStringLiteral("/tmp/Archive/Invoices/2026/Electricity and gas/Quarterly statements/scan.pdf");
    plan.tags = QStringList{QStringLiteral("Invoices"), QStringLiteral("Household"), QStringLiteral("Tax 2026")};
    plan.trashAfterDays = 30;
    plan.openWith = QStringLiteral("Document Viewer");
    row.plan = plan;

    DryRunRowView view(row);
    view.resize(260, 400);
    view.show();
    QCoreApplication::processEvents();
    const auto *state = view.findChild<LineLimitedLabel *>(QStringLiteral("state"));
    ASSERT_NE(state, nullptr);
    const QStringList lines = state->shownLines();
    ASSERT_EQ(lines.size(), 2) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines.constLast().endsWith(QChar(0x2026)));
    EXPECT_EQ(state->heightForWidth(state->width()), 2 * state->fontMetrics().lineSpacing());
    EXPECT_LE(state->fontMetrics().horizontalAdvance(lines.constLast()), state->contentsRect().width());
    EXPECT_EQ(state->toolTip(), view.stateText());

    // A plan that fits takes one line, unchanged.
    plan.tags.clear();
    plan.trashAfterDays.reset();
    plan.openWith.reset();
    plan.destination = QStringLiteral("/tmp/A/scan.pdf");
    row.plan = plan;
    view.setRow(row);
    QCoreApplication::processEvents();
    EXPECT_EQ(state->shownLines(), QStringList{view.stateText()});
}
