// The journal page and its review sheet over a real store and real files:
// what each row says, the filter against the sidebar badge, and checking,
// filing, skipping and undoing from the page.
#include "Autopilot.h"
#include "FileReadiness.h"
#include "JournalDelegate.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "Planner.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>


namespace {

using Status = JournalEntry::Status;

class JournalPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("en"));
        home = RealHome::path();
        for (const char *name : {"Inbox", "Sorted"})
            QDir(home + QLatin1Char('/') + QLatin1String(name)).removeRecursively();
        QDir(home).mkpath(QStringLiteral("Inbox"));
        QDir(home).mkpath(QStringLiteral("Sorted"));
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("journal.store"))));
        inbox = *model->autopilot().addFolder(home + QStringLiteral("/Inbox"), true);
        model->autopilot().addFolder(home + QStringLiteral("/Sorted"), false);
        model->setSidebar(SidebarItem::journal);
        window = std::make_unique<MainWindow>(*model);
        window->show();
        page = qobject_cast<JournalPage *>(window->currentPage());
        ASSERT_NE(page, nullptr);
    }

    Store &store() const { return model->store(); }

    JournalEntry add(Status status, const QString &original, const QString &filed, const QString &raw = {})
    {
        JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), original, filed, status);
        if (!raw.isEmpty())
            entry.statusRaw = raw;
        EXPECT_TRUE(store().insert(entry));
        return entry;
    }

    // A file of the inbox waiting for review under an invoice rule that
    // names the filed file after its sender, as the automation leaves it.
    JournalEntry waiting(const QString &name, const QString &sender)
    {
        Rule rule{QUuid::createUuid(), QStringLiteral("Invoices"),
                  {Condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is, QStringLiteral("invoice")}},
                  {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Sorted")},
                   RuleAction{QUuid::createUuid(), RuleAction::Kind::rename, QStringLiteral("{absender}")}},
                  true, std::nullopt};
        StoredRule stored(rule, inbox.uuid, 1);
        store().insert(stored);
        const QString file = home + QStringLiteral("/Inbox/") + name;
        EXPECT_TRUE(TestSupport::writeFile(file, "%PDF " + name.toUtf8()));
        Recognition read;
        read.kind = DocumentKind::invoice;
        read.sender = sender;
        read.confidence = 0.4;
        read.readAt = QDateTime::currentDateTimeUtc();
        const Plan plan = Planner::plan(rule, FileFacts::read(file, read, std::nullopt, QDateTime::currentDateTimeUtc()),
                                        Prefs::nameTemplate(), home);
        JournalEntry entry(stored.uuid, rule.name, file, plan.destination, Status::review);
        entry.setRecognition(read);
        entry.setPlan(plan);
        entry.fileID = FileReadiness::identifier(file);
        EXPECT_TRUE(store().insert(entry));
        return entry;
    }

    const JournalRow *shown(qint64 id) const { return page->journal().entry(page->journal().rowOf(id)); }

    // Clicks the button painted in the entry's row.
    void clickAction(qint64 id)
    {
        QTableView *list = page->list();
        const QModelIndex index = page->journal().index(page->journal().rowOf(id));
        list->scrollTo(index);
        const QRect button = JournalDelegate().actionRect(*shown(id), list->visualRect(index), list->font());
        ASSERT_FALSE(button.isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, button.center());
    }

    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    QString home;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<MainWindow> window;
    JournalPage *page = nullptr;
    WatchedFolder inbox;
};

} // namespace

TEST_F(JournalPageTest, EachStatusHasItsOwnRow)
{
    const QString found = home + QStringLiteral("/Inbox/scan.pdf");
    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");
    struct Case
    {
        Status status;
        QString raw, filedPath, title, detail, chip;
        bool undo;
    };
    const QList<Case> cases{
        {Status::done, {}, filed, "ACME.pdf", "Invoices: was scan.pdf, now in ~/Sorted", {}, true},
        {Status::done, {}, found, "scan.pdf", "Invoices: tagged, stays in ~/Inbox", {}, true},
        {Status::done, "shredded", filed, "ACME.pdf", "Invoices: was scan.pdf, now in ~/Sorted", {}, true},
        {Status::review, {}, filed, "scan.pdf", "Invoices would file it as ACME.pdf", "Please check", false},
        {Status::undone, {}, filed, "scan.pdf", "Invoices: undone, back in ~/Inbox", "Undone", false},
        // A failed or skipped entry holds the planned place; the file never left the inbox.
        {Status::failed, {}, filed, "scan.pdf", "Invoices: not filed, still in ~/Inbox", "Not done", false},
        {Status::skipped, {}, filed, "scan.pdf", "Invoices: skipped, stays in ~/Inbox", "Skipped", false},
        {Status::trashed, {}, filed, "ACME.pdf", "Invoices: moved to the Trash", "In the Trash", false},
    };
    for (const Case &c : cases) {
        JournalEntry entry = add(c.status, found, c.filedPath, c.raw);
        entry.message = QStringLiteral("note");
        entry.setPerformed(Performed{found, c.filedPath, {}, {}, std::nullopt});
        store().update(entry);
        const JournalRow *row = shown(entry.id);
        ASSERT_NE(row, nullptr) << c.detail.toStdString();
        EXPECT_EQ(row->title, c.title);
        EXPECT_EQ(row->iconPath, c.title == "scan.pdf" ? found : c.filedPath);
        EXPECT_EQ(row->detail, c.detail);
        EXPECT_EQ(row->chip().value_or(JournalRow::Chip{}).text, c.chip);
        EXPECT_EQ(row->canUndo(), c.undo);
        EXPECT_EQ(row->message.isEmpty(), c.status == Status::review);
    }
}

TEST_F(JournalPageTest, FilterAndBadgeAgreeAsEntriesChange)
{
    EXPECT_EQ(page->emptyTitle(), "Nothing Yet");
    model->setJournalFilter(AppModel::JournalFilter::review);
    EXPECT_EQ(page->emptyTitle(), "Nothing to Check");

    const QString file = home + QStringLiteral("/Inbox/a.pdf");
    add(Status::done, file, file);
    JournalEntry first = add(Status::review, file, file);
    add(Status::review, file, file);
    EXPECT_EQ(page->journal().entryCount(), 2);
    EXPECT_EQ(window->reviewBadge(), 2);
    EXPECT_TRUE(page->emptyTitle().isEmpty());

    model->autopilot().skip(first);
    EXPECT_EQ(page->journal().entryCount(), 1);
    EXPECT_EQ(window->reviewBadge(), 1);
    model->setJournalFilter(AppModel::JournalFilter::all);
    EXPECT_EQ(page->journal().entryCount(), 3);
}

TEST_F(JournalPageTest, CheckFileWithCorrectedSenderThenUndo)
{
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("Wrong Name"));
    clickAction(entry.id);
    ReviewSheet *sheet = page->reviewSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->senderField()->clear();
    QTest::keyClicks(sheet->senderField(), QStringLiteral("ACME"));
    sheet->fileButton()->click();

    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");
    EXPECT_TRUE(QFileInfo::exists(filed));
    EXPECT_FALSE(QFileInfo::exists(entry.originalPath));
    EXPECT_EQ(shown(entry.id)->detail, "Invoices: was scan.pdf, now in ~/Sorted");
    EXPECT_EQ(store().journalEntry(entry.id)->recognition()->sender, "ACME");

    clickAction(entry.id);
    EXPECT_TRUE(QFileInfo::exists(entry.originalPath));
    EXPECT_FALSE(QFileInfo::exists(filed));
    EXPECT_EQ(shown(entry.id)->status, Status::undone);
    EXPECT_FALSE(shown(entry.id)->action());
}

TEST_F(JournalPageTest, SkipLeavesTheFileAndDropsCorrections)
{
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("Wrong Name"));
    page->review(entry.id);
    QTest::keyClicks(page->reviewSheet()->senderField(), QStringLiteral(" more"));
    page->reviewSheet()->skipButton()->click();
    const JournalEntry stored = *store().journalEntry(entry.id);
    EXPECT_EQ(stored.status(), Status::skipped);
    EXPECT_EQ(stored.recognition()->sender, "Wrong Name");
    EXPECT_TRUE(QFileInfo::exists(entry.originalPath));
    EXPECT_EQ(shown(entry.id)->title, "scan.pdf");
}

TEST_F(JournalPageTest, SheetReadsWhatTheUserTyped)
{
    // Far east of UTC a document day held at 12:00 UTC is the next day in local time.
    const ScopedEnv zone("TZ", QByteArray("Pacific/Kiritimati"));
    ::tzset();
    JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral(" ACME "));
    Recognition read = *entry.recognition();
    read.date = PatternReader::makeDate(2026, 3, 3);
    read.amount = Decimal::fromString(u"12.346");
    read.source = Recognition::Source::model;
    entry.setRecognition(read);
    store().update(entry);
    page->review(entry.id);
    ReviewSheet &sheet = *page->reviewSheet();
    EXPECT_EQ(sheet.dateField()->date(), QDate(2026, 3, 3));
    EXPECT_EQ(sheet.amountField()->text(), "12.35");
    EXPECT_TRUE(sheet.footer().startsWith("Recognized by the local language model"));
    EXPECT_EQ(sheet.corrected().sender, " ACME ");
    EXPECT_EQ(sheet.corrected().amount, Decimal::fromString(u"12.35"));

    // One decimal is a decimal; a currency typed with the number is no part of it.
    for (const QString &typed : {QStringLiteral("12,50"), QStringLiteral("12.50"), QStringLiteral("12,5"),
                                 QStringLiteral("12.5"), QStringLiteral("€ 12,5"), QStringLiteral("12.50 EUR")}) {
        sheet.amountField()->setText(typed);
        EXPECT_EQ(sheet.corrected().amount, Decimal::fromString(u"12.5")) << typed.toStdString();
    }
    sheet.amountField()->setText(QStringLiteral("twelve"));
    EXPECT_FALSE(sheet.corrected().amount);
    sheet.senderField()->selectAll();
    QTest::keyClick(sheet.senderField(), Qt::Key_Delete);
    EXPECT_FALSE(sheet.corrected().sender);
    QTest::keyClicks(sheet.currencyField(), QStringLiteral(" eur "));
    EXPECT_EQ(sheet.corrected().currency, "EUR");
    sheet.kindBox()->setCurrentIndex(1);
    EXPECT_EQ(sheet.corrected().kind, DocumentKind::receipt);

    // A picked day is stored at 12:00 UTC; the picker keeps to the years a document date may hold.
    sheet.dateField()->setDate(QDate(2026, 4, 9));
    EXPECT_EQ(sheet.corrected().date, QDateTime(QDate(2026, 4, 9), QTime(12, 0), Qt::UTC));
    sheet.dateField()->setDate(QDate(1850, 6, 1));
    EXPECT_EQ(sheet.corrected().date, QDateTime(QDate(1990, 1, 1), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(sheet.corrected().confidence, 1.0);
    sheet.reject();
    EXPECT_EQ(store().journalEntry(entry.id)->status(), Status::review);
}
