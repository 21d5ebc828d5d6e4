// Approving, skipping and undoing journal entries on real files, through the
// automation's own filing step.
#include "AutopilotFixture.h"

#include "FileOperations.h"
#include "FileReadiness.h"
#include "Planner.h"
#include "TestSupport.h"

namespace {

Recognition invoiceFrom(const QString &sender, double confidence)
{
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    recognition.sender = sender;
    recognition.confidence = confidence;
    recognition.source = Recognition::Source::rules;
    recognition.readAt = QDateTime(QDate(2026, 10, 1), QTime(8, 0), Qt::UTC);
    return recognition;
}

} // namespace

class ReviewDecisionsTest : public AutopilotFixture
{
protected:
    void SetUp() override
    {
        AutopilotFixture::SetUp();
        inbox = inboxAndSorted();
    }

    // An invoice rule of the inbox that names the filed file after its sender.
    StoredRule senderRule()
    {
        return addRule(rule(QStringLiteral("Invoices"), {condition(Field::kind, Op::is, QStringLiteral("invoice"))},
                            {action(Kind::move, QStringLiteral("~/Sorted")),
                             action(Kind::rename, QStringLiteral("{absender}"))}),
                       inbox.uuid);
    }

    // A file waiting for review as the automation leaves it: its plan kept,
    // nothing moved.
    JournalEntry waiting(const StoredRule &stored, const QString &name, const Recognition &recognition)
    {
        const QString file = oldFile(home + QStringLiteral("/Inbox/") + name, "%PDF " + name.toUtf8());
        const Plan plan = Planner::plan(stored.rule(), FileFacts::read(file, recognition, std::nullopt, autopilot->now()),
                                        Prefs::nameTemplate(), home);
        JournalEntry entry(stored.uuid, stored.rule().name, file, plan.destination, JournalEntry::Status::review);
        entry.setRecognition(recognition);
        entry.setPlan(plan);
        entry.fileID = FileReadiness::identifier(file);
        EXPECT_TRUE(store->insert(entry));
        return entry;
    }

    // Files one file of the inbox through the pipeline, at a fixed time, and
    // returns its entry; arrived (optional) learns when the file came into
    // the inbox, as its times said before the filing.
    JournalEntry fileThroughPipeline(const QString &name, QDateTime *arrived = nullptr)
    {
        autopilot->setClock([this] { return filingTime; });
        const QString file = oldFile(home + QStringLiteral("/Inbox/") + name, "contents of " + name.toUtf8());
        if (arrived)
            *arrived = FileFacts::read(file, std::nullopt, std::nullopt, QDateTime()).added;
        EXPECT_EQ(handleNow(file, inbox), std::optional<bool>(true));
        for (const JournalEntry &entry : store->journal()) {
            if (entry.originalPath == file)
                return entry;
        }
        ADD_FAILURE() << "no entry for " << name.toStdString();
        return JournalEntry();
    }

    JournalEntry stored(const JournalEntry &entry) const { return *store->journalEntry(entry.id); }

    WatchedFolder inbox;
    const QDateTime filingTime{QDate(2026, 3, 1), QTime(12, 0), Qt::UTC};
};

TEST_F(ReviewDecisionsTest, ApprovingFilesUnderTheCorrectedValuesWhileTheRuleExistsElseByTheKeptPlan)
{
    const StoredRule invoices = senderRule();
    JournalEntry corrected = waiting(invoices, QStringLiteral("scan1.pdf"), invoiceFrom(QStringLiteral("Wrong"), 0.4));
    JournalEntry kept = waiting(invoices, QStringLiteral("scan2.pdf"), invoiceFrom(QStringLiteral("Misread"), 0.4));
    EXPECT_EQ(corrected.newPath, home + QStringLiteral("/Sorted/Wrong.pdf"));

    autopilot->approve(corrected, invoiceFrom(QStringLiteral("Right"), 1.0));
    EXPECT_EQ(corrected.statusRaw, QStringLiteral("done"));
    EXPECT_EQ(corrected.newPath, home + QStringLiteral("/Sorted/Right.pdf"));
    EXPECT_TRUE(QFileInfo::exists(corrected.newPath) && !QFileInfo::exists(corrected.originalPath));
    EXPECT_EQ(corrected.recognition()->sender, QStringLiteral("Right"));
    EXPECT_TRUE(!corrected.plan() && corrected.performed());
    EXPECT_EQ(stored(corrected), corrected);

    // The rule is gone: the kept plan files the file, the correction is dropped.
    store->remove(invoices);
    autopilot->approve(kept, invoiceFrom(QStringLiteral("Right"), 1.0));
    EXPECT_EQ(kept.statusRaw, QStringLiteral("done"));
    EXPECT_EQ(kept.newPath, home + QStringLiteral("/Sorted/Misread.pdf"));
    EXPECT_TRUE(QFileInfo::exists(kept.newPath));
    EXPECT_EQ(kept.recognition()->sender, QStringLiteral("Misread"));
    EXPECT_EQ(stored(kept), kept);
}

TEST_F(ReviewDecisionsTest, AFilingStoredWithAnyTrashDelayIsApprovedAndUndone)
{
    // Older builds stored the days as typed: forty million of them.
    autopilot->setClock([this] { return filingTime; });
    const StoredRule invoices = senderRule();
    JournalEntry entry = waiting(invoices, QStringLiteral("old.pdf"), invoiceFrom(QStringLiteral("Alt"), 0.4));
    Plan plan = *entry.plan();
    plan.trashAfterDays = 40'000'000;
    entry.setPlan(plan);
    ASSERT_TRUE(store->update(entry));

    JournalEntry read = stored(entry);
    ASSERT_EQ(read.plan()->trashAfterDays, 40'000'000);
    autopilot->approve(read, std::nullopt);
    EXPECT_EQ(read.statusRaw, QStringLiteral("done"));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/Alt.pdf")));
    // The filing keeps the count; its date stops a hundred thousand years on.
    EXPECT_EQ(stored(read).performed()->trashAfterDays, 40'000'000);
    EXPECT_EQ(stored(read).trashDue, filingTime.addDays(Plan::maxTrashAfterDays));

    JournalEntry filed = stored(read);
    autopilot->undo(filed);
    EXPECT_EQ(filed.statusRaw, QStringLiteral("undone"));
    EXPECT_TRUE(filed.message.isEmpty() && !filed.trashDue);
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Inbox/old.pdf")));
    EXPECT_EQ(stored(filed), filed);
}

TEST_F(ReviewDecisionsTest, AnApprovedCorrectionReachesTheStoredReadingAndSoTheReceipts)
{
    const StoredRule invoices = senderRule();
    Recognition misread = invoiceFrom(QStringLiteral("Wrong"), 0.4);
    misread.date = CalendarUtc::noon(QDate(2026, 9, 30));
    misread.amount = Decimal::fromString(u"18310.63");
    misread.currency = QStringLiteral("EUR");
    misread.title = QStringLiteral("RE-1");
    JournalEntry entry = waiting(invoices, QStringLiteral("scan.pdf"), misread);
    RecognitionRecord read(QStringLiteral("7"), Autopilot::hash(entry.originalPath), entry.originalPath, misread);
    ASSERT_TRUE(store->insert(read));
    // Another content, read alike, keeps its reading.
    const QString other = oldFile(home + QStringLiteral("/Inbox/other.pdf"), "%PDF other");
    RecognitionRecord otherRead(QString(), Autopilot::hash(other), other, misread);
    ASSERT_TRUE(store->insert(otherRead));

    Recognition corrected = misread;
    corrected.kind = DocumentKind::receipt;
    corrected.sender = QStringLiteral("Right");
    corrected.date = CalendarUtc::noon(QDate(2026, 10, 1));
    corrected.amount = Decimal::fromString(u"502.63");
    corrected.currency = QStringLiteral("CHF");
    corrected.confidence = 1.0;
    autopilot->approve(entry, corrected);
    ASSERT_EQ(entry.statusRaw, QStringLiteral("done"));

    // The record follows the file, holds the approved values and is marked
    // as the user's; what the user did not correct stays as read.
    const QList<RecognitionRecord> records = store->recognitionRecords(read.contentHash);
    ASSERT_EQ(records.size(), 1);
    const RecognitionRecord &kept = records.constFirst();
    EXPECT_EQ(kept.path, entry.newPath);
    EXPECT_TRUE(kept.edited);
    const Recognition stored = kept.recognition();
    EXPECT_EQ(std::tuple(stored.kind, stored.sender, stored.date, stored.amount, stored.currency),
              std::tuple(corrected.kind, corrected.sender, corrected.date, corrected.amount, corrected.currency));
    EXPECT_EQ(std::tuple(stored.title, stored.confidence), std::tuple(misread.title, misread.confidence));
    EXPECT_FALSE(store->recognitionRecords(otherRead.contentHash).constFirst().edited);

    // The receipts of the corrected month show it; September's no longer do.
    const QList<RecognitionRecord> october = store->receipts(2026, 10);
    ASSERT_EQ(october.size(), 1);
    EXPECT_EQ(october.constFirst().recognition().amount, Decimal::fromString(u"502.63"));
    EXPECT_EQ(store->receipts(2026, 9).size(), 1); // only the other content

    // A content never read before is kept with the approved reading; a
    // correction without the rule stays off the stored readings.
    JournalEntry unread = waiting(invoices, QStringLiteral("unread.pdf"), misread);
    JournalEntry ruleless = waiting(invoices, QStringLiteral("ruleless.pdf"), misread);
    autopilot->approve(unread, corrected);
    const QList<RecognitionRecord> made = store->recognitionRecords(Autopilot::hash(unread.newPath));
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made.constFirst().edited);
    EXPECT_EQ(made.constFirst().path, unread.newPath);
    EXPECT_EQ(made.constFirst().recognition().amount, Decimal::fromString(u"502.63"));
    store->remove(invoices);
    autopilot->approve(ruleless, corrected);
    ASSERT_EQ(ruleless.statusRaw, QStringLiteral("done"));
    EXPECT_TRUE(store->recognitionRecords(Autopilot::hash(ruleless.newPath)).isEmpty());
}

TEST_F(ReviewDecisionsTest, SkippingLeavesTheFileAloneAndALaterApproveDoesNothing)
{
    const StoredRule invoices = senderRule();
    JournalEntry entry = waiting(invoices, QStringLiteral("scan.pdf"), invoiceFrom(QStringLiteral("Someone"), 0.3));
    entry.message = QStringLiteral("amount: model 1, patterns 2");
    store->update(entry);

    autopilot->skip(entry);
    EXPECT_EQ(entry.statusRaw, QStringLiteral("skipped"));
    EXPECT_FALSE(entry.plan());
    EXPECT_EQ(entry.message, QStringLiteral("amount: model 1, patterns 2"));
    EXPECT_EQ(stored(entry), entry);

    const JournalEntry before = entry;
    autopilot->approve(entry, invoiceFrom(QStringLiteral("Someone"), 1.0));
    EXPECT_EQ(entry, before);
    EXPECT_EQ(stored(entry), before);
    EXPECT_TRUE(QFileInfo::exists(entry.originalPath));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Sorted/Someone.pdf")));
}

TEST_F(ReviewDecisionsTest, UndoingAMovePutsTheFileBackOnceAndClearsTheTrashDate)
{
    addRule(rule(QStringLiteral("Text"), {condition(Field::name, Op::endsWith, QStringLiteral(".txt"))},
                 {action(Kind::move, QStringLiteral("~/Sorted")), action(Kind::trashAfter, QStringLiteral("30"))}),
            inbox.uuid);
    JournalEntry entry = fileThroughPipeline(QStringLiteral("notes.txt"));
    ASSERT_EQ(entry.statusRaw, QStringLiteral("done"));
    ASSERT_EQ(entry.newPath, home + QStringLiteral("/Sorted/notes.txt"));
    // A moved file arrived in its new folder with the filing: the Trash date
    // counts from then, whatever the file's own times say.
    EXPECT_EQ(entry.trashDue, filingTime.addSecs(30 * 86'400));

    autopilot->undo(entry);
    EXPECT_EQ(entry.statusRaw, QStringLiteral("undone"));
    EXPECT_TRUE(entry.message.isEmpty() && !entry.trashDue && entry.performed());
    EXPECT_EQ(stored(entry), entry);
    const QString back = home + QStringLiteral("/Inbox/notes.txt");
    EXPECT_EQ(TestSupport::readFile(back), QByteArray("contents of notes.txt"));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Sorted/notes.txt")));
    // Back in the watched folder, the file is left alone for a while.
    EXPECT_FALSE(autopilot->loopGuard().isQuiet(*FileReadiness::identifier(back), filingTime.addSecs(10)));

    // A second undo changes nothing, on disk or in the journal; nor does an
    // undo of an entry that is no longer done.
    const JournalEntry undone = entry;
    autopilot->undo(entry);
    EXPECT_EQ(entry, undone);
    EXPECT_EQ(stored(entry), undone);
    EXPECT_TRUE(QFileInfo::exists(back));

    JournalEntry trashed = undone;
    trashed.statusRaw = QStringLiteral("trashed");
    const JournalEntry trashedBefore = trashed;
    autopilot->undo(trashed);
    EXPECT_EQ(trashed, trashedBefore);
}

TEST_F(ReviewDecisionsTest, UndoLeavesTheUsersOwnEmptyFolderAndRemovesTheOneTheFilingMade)
{
    const QString invoices = folderPath(QStringLiteral("Sorted/Invoices"));
    addRule(rule(QStringLiteral("Text"), {condition(Field::name, Op::endsWith, QStringLiteral(".txt"))},
                 {action(Kind::move, QStringLiteral("~/Sorted/Invoices/2026"))}),
            inbox.uuid);
    JournalEntry entry = fileThroughPipeline(QStringLiteral("bill.txt"));
    ASSERT_EQ(entry.newPath, invoices + QStringLiteral("/2026/bill.txt"));
    autopilot->undo(entry);
    EXPECT_EQ(entry.statusRaw, QStringLiteral("undone"));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Inbox/bill.txt")));
    EXPECT_FALSE(QFileInfo::exists(invoices + QStringLiteral("/2026")));
    EXPECT_TRUE(QFileInfo::exists(invoices));
}

TEST_F(ReviewDecisionsTest, UndoingATagOnlyFilingRemovesItsTagsAndTheTrashDateCountsFromTheFilesArrival)
{
    addRule(rule(QStringLiteral("Tag"), {condition(Field::name, Op::endsWith, QStringLiteral(".md"))},
                 {action(Kind::tag, QStringLiteral("Read later")), action(Kind::trashAfter, QStringLiteral("7"))}),
            inbox.uuid);
    QDateTime arrived;
    JournalEntry tagged = fileThroughPipeline(QStringLiteral("todo.md"), &arrived);
    const QString file = home + QStringLiteral("/Inbox/todo.md");
    ASSERT_EQ(tagged.newPath, file);
    ASSERT_EQ(FileOperations::tags(file), QStringList{QStringLiteral("Read later")});
    // The file stayed: its date counts from its arrival in the inbox, not
    // from the filing, nor from the tag written, which moved its
    // status-change time.
    ASSERT_TRUE(arrived.isValid() && arrived != filingTime);
    EXPECT_EQ(tagged.trashDue, arrived.addSecs(7 * 86'400));
    autopilot->undo(tagged);
    EXPECT_EQ(tagged.statusRaw, QStringLiteral("undone"));
    EXPECT_TRUE(FileOperations::tags(file).isEmpty() && QFileInfo::exists(file) && !tagged.trashDue);
}

TEST_F(ReviewDecisionsTest, UndoRefusesWhenAnotherFileLiesAtTheFiledPlace)
{
    addRule(rule(QStringLiteral("Text"), {condition(Field::name, Op::endsWith, QStringLiteral(".txt"))},
                 {action(Kind::move, QStringLiteral("~/Sorted")), action(Kind::tag, QStringLiteral("Filed"))}),
            inbox.uuid);
    JournalEntry entry = fileThroughPipeline(QStringLiteral("letter.txt"));
    const QString filed = home + QStringLiteral("/Sorted/letter.txt");
    ASSERT_EQ(entry.newPath, filed);

    // The user put a file of their own under the same name, tagged alike.
    const QString own = home + QStringLiteral("/Sorted/own.txt");
    ASSERT_TRUE(TestSupport::writeFile(own, "the user's own letter"));
    FileOperations::setTags({QStringLiteral("Filed")}, own);
    ASSERT_TRUE(QFile::remove(filed));
    ASSERT_TRUE(QFile::rename(own, filed));

    const JournalEntry before = entry;
    autopilot->undo(entry);
    EXPECT_EQ(entry.statusRaw, QStringLiteral("done"));
    EXPECT_EQ(entry.message, QStringLiteral("The file is no longer at ~/Sorted/letter.txt. It was moved or renamed "
                                            "after Filewright filed it."));
    EXPECT_EQ(entry.trashDue, before.trashDue);
    EXPECT_EQ(stored(entry), entry);
    EXPECT_EQ(TestSupport::readFile(filed), QByteArray("the user's own letter"));
    EXPECT_EQ(FileOperations::tags(filed), QStringList{QStringLiteral("Filed")});
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Inbox/letter.txt")));
}

TEST_F(ReviewDecisionsTest, TheReadingFollowsTheFileBackOnUndo)
{
    autopilot.reset();
    makeAutopilot(true);
    const StoredRule invoices = senderRule();
    const QString file = oldFile(home + QStringLiteral("/Inbox/invoice.pdf"), "%PDF invoice");
    RecognitionRecord record(QString(), Autopilot::hash(file), file, invoiceFrom(QStringLiteral("Acme"), 0.9));
    ASSERT_TRUE(store->insert(record));

    ASSERT_EQ(handleNow(file, inbox), std::optional<bool>(true));
    JournalEntry entry = store->journal().constFirst();
    ASSERT_EQ(entry.newPath, home + QStringLiteral("/Sorted/Acme.pdf"));
    ASSERT_EQ(store->recognitionRecords().constFirst().path, entry.newPath);

    autopilot->undo(entry);
    ASSERT_EQ(entry.statusRaw, QStringLiteral("undone"));
    ASSERT_EQ(store->recognitionRecords().size(), 1);
    EXPECT_EQ(store->recognitionRecords().constFirst().path, file);
}
