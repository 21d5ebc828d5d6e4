#include "AppModel.h"
#include "Autopilot.h"
#include "MainWindow.h"
#include "Store.h"
#include "TestSupport.h"

#include <QDialog>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("window.store"))));
        window = std::make_unique<MainWindow>(*model);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    JournalEntry add(JournalEntry::Status status)
    {
        JournalEntry entry(std::nullopt, QStringLiteral("Rule"), QStringLiteral("/tmp/a.pdf"), QString(), status);
        model->store().insert(entry);
        return entry;
    }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, BadgeCountsOnlyEntriesWaitingForReviewAndFollowsTheStore)
{
    EXPECT_EQ(window->reviewBadge(), 0);
    for (const auto status : {JournalEntry::Status::done, JournalEntry::Status::undone, JournalEntry::Status::failed,
                              JournalEntry::Status::trashed, JournalEntry::Status::skipped})
        add(status);
    JournalEntry waiting = add(JournalEntry::Status::review);
    add(JournalEntry::Status::review);
    add(JournalEntry::Status::review);
    EXPECT_EQ(window->reviewBadge(), 3);
    waiting.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::skipped);
    model->store().update(waiting);
    EXPECT_EQ(window->reviewBadge(), 2);
}

TEST_F(MainWindowTest, CleanUpTextGivesWayToTheReadingIndicatorAndComesBack)
{
    const QString cleaning = QStringLiteral("Cleaning up Downloads…");
    model->setCleanUpResult(cleaning);
    EXPECT_EQ(window->statusText(), cleaning);
    EXPECT_FALSE(window->isReading());

    QObject context;
    int read = 0;
    // What the status says each time the files being read change; the window
    // hears of the change first. A line break in a name stays out of the line.
    QStringList shown;
    QObject::connect(&model->autopilot(), &Autopilot::busyFilesChanged, &context, [&] {
        if (window->isReading())
            shown.append(window->statusText());
    });
    for (const char *name : {"first\nline.txt", "second.txt"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(TestSupport::writeFile(path, QByteArray("Rechnung Nr. 12\nBetrag 12,50 EUR\n").append(name)));
        model->autopilot().recognize(path, std::nullopt, false, &context, [&](const Recognition &) { ++read; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return read == 2 && !window->isReading(); }, 60000));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.constFirst(), QStringLiteral("Reading first\uFFFDline.txt")); // only the first file read is named
    for (const QString &text : std::as_const(shown))
        EXPECT_FALSE(text.contains(u'\n')) << text.toStdString();
    EXPECT_EQ(window->statusText(), cleaning);
    model->setCleanUpResult(std::nullopt);
    EXPECT_EQ(window->statusText(), QString());
}

TEST_F(MainWindowTest, SheetsFollowTheModelsFieldsAndClearThemOnClose)
{
    model->newRule();
    ASSERT_NE(window->ruleEditor(), nullptr);
    QDialog *first = window->ruleEditor();
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowModality(), Qt::WindowModal);
    // A new request opens a fresh sheet.
    model->newRule();
    EXPECT_NE(window->ruleEditor(), first);
    window->ruleEditor()->reject();
    EXPECT_FALSE(model->editing().has_value());
    EXPECT_EQ(window->ruleEditor(), nullptr);

    model->setShowPalette(true);
    ASSERT_NE(window->commandPalette(), nullptr);
    window->commandPalette()->reject();
    EXPECT_FALSE(model->showPalette());

    // Cleared elsewhere: the sheet goes.
    model->setShowOnboarding(true);
    ASSERT_NE(window->onboarding(), nullptr);
    model->setShowOnboarding(false);
    EXPECT_EQ(window->onboarding(), nullptr);

    // With no page chosen the rules page shows.
    model->setSidebar(SidebarItem::folders);
    model->setSidebar(std::nullopt);
    EXPECT_EQ(window->currentPage()->objectName(), QStringLiteral("rulesPage"));
}
