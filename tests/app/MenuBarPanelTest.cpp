#include "AppModel.h"
#include "Autopilot.h"
#include "FileOperations.h"
#include "MenuBarPanel.h"
#include "RealHome.h"
#include "Store.h"
#include "TestSupport.h"
#include "WindowPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MenuBarPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("panel.store"))));
        panel = std::make_unique<MenuBarPanel>(*model, [this] { ++opened; });
        panel->show();
    }

    JournalEntry add(const QString &name, JournalEntry::Status status, int minutesAgo)
    {
        JournalEntry entry(std::nullopt, QStringLiteral("Rule"), dir.filePath(name),
                           dir.filePath(QStringLiteral("Filed/") + name), status);
        entry.date = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
        model->store().insert(entry);
        return entry;
    }

    QStringList texts(const char *objectName) const
    {
        QStringList result;
        for (const QWidget *row : panel->findChildren<QWidget *>(QStringLiteral("entryRow")))
            result.append(row->findChild<QLabel *>(QString::fromLatin1(objectName))->toolTip());
        return result;
    }

    QPushButton *button(const char *name) const { return panel->findChild<QPushButton *>(QString::fromLatin1(name)); }

    void settle() { QCoreApplication::processEvents(); }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<MenuBarPanel> panel;
    int opened = 0;
};

} // namespace

TEST_F(MenuBarPanelTest, AnEmptyJournalShowsTheHintAndOnlyTheOpenButton)
{
    EXPECT_TRUE(panel->findChild<QLabel *>(QStringLiteral("emptyText"))->isVisible());
    EXPECT_TRUE(texts("name").isEmpty());
    EXPECT_FALSE(button("toCheck")->isVisible());
    EXPECT_TRUE(button("openMainWindow")->isVisible());
}

TEST_F(MenuBarPanelTest, ListsTheFiveNewestAndCountsEveryEntryInReview)
{
    add(QStringLiteral("old-review-1.pdf"), JournalEntry::Status::review, 70);
    add(QStringLiteral("old-review-2.pdf"), JournalEntry::Status::review, 60);
    add(QStringLiteral("skipped.pdf"), JournalEntry::Status::skipped, 50);
    add(QStringLiteral("failed.pdf"), JournalEntry::Status::failed, 40);
    add(QStringLiteral("review.pdf"), JournalEntry::Status::review, 30);
    add(QStringLiteral("trashed.pdf"), JournalEntry::Status::trashed, 20);
    // Filed under the home folder, without a reading and without undo data.
    JournalEntry done(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("done.pdf")),
                      RealHome::path() + QStringLiteral("/Filed/Invoice 2026.pdf"), JournalEntry::Status::done);
    model->store().insert(done);
    settle();

    EXPECT_EQ(texts("name"), (QStringList{QStringLiteral("Invoice 2026.pdf"), QStringLiteral("trashed.pdf"),
                                          QStringLiteral("review.pdf"), QStringLiteral("failed.pdf"),
                                          QStringLiteral("skipped.pdf")}));
    EXPECT_EQ(texts("detail"),
              (QStringList{QStringLiteral("~/Filed"), QStringLiteral("In the Trash"), QStringLiteral("Please check"),
                           QStringLiteral("Not done"), QStringLiteral("Skipped")}));
    // No row has undo data, so no row offers Undo.
    EXPECT_TRUE(panel->findChildren<QPushButton *>(QStringLiteral("undo")).isEmpty());
    EXPECT_TRUE(button("toCheck")->isVisible());
    EXPECT_EQ(button("toCheck")->text(), QStringLiteral("3 to Check"));
}

TEST_F(MenuBarPanelTest, ButtonsOpenTheJournalWithTheirFilter)
{
    add(QStringLiteral("review.pdf"), JournalEntry::Status::review, 1);
    settle();
    button("toCheck")->click();
    EXPECT_EQ(model->sidebar(), SidebarItem::journal);
    EXPECT_EQ(model->journalFilter(), AppModel::JournalFilter::review);
    EXPECT_EQ(opened, 1);

    // Open Filewright always comes back to every entry.
    button("openMainWindow")->click();
    EXPECT_EQ(model->journalFilter(), AppModel::JournalFilter::all);
    EXPECT_EQ(opened, 2);
}

TEST_F(MenuBarPanelTest, UndoPutsTheRealFileBackAndTheRowFollows)
{
    const QString original = dir.filePath(QStringLiteral("receipt.pdf"));
    const QString filed = dir.filePath(QStringLiteral("Receipts/receipt.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(filed, "receipt"));
    JournalEntry entry(std::nullopt, QStringLiteral("Receipts"), original, filed, JournalEntry::Status::done);
    entry.setPerformed(Performed{original, filed, {}, {}, std::nullopt});
    model->store().insert(entry);
    settle();

    QPushButton *undo = panel->findChild<QPushButton *>(QStringLiteral("undo"));
    ASSERT_NE(undo, nullptr);
    undo->click();
    // The file moves back off the main thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model->autopilot().isDeciding(entry.id); }));
    settle();
    EXPECT_TRUE(QFileInfo::exists(original));
    EXPECT_FALSE(QFileInfo::exists(filed));
    EXPECT_EQ(texts("detail"), QStringList{QStringLiteral("Undone")});
    EXPECT_EQ(texts("name"), QStringList{QStringLiteral("receipt.pdf")});
    EXPECT_TRUE(panel->findChildren<QPushButton *>(QStringLiteral("undo")).isEmpty());
}

TEST_F(MenuBarPanelTest, ItsPictureShowsThePanelInLightAndDark)
{
    add(QStringLiteral("Invoice 2026-10.pdf"), JournalEntry::Status::done, 5);
    add(QStringLiteral("scan.pdf"), JournalEntry::Status::review, 2);
    panel->popUp(QPoint(400, 300));
    settle();
    WindowPictures::expectLightAndDark(*panel, QStringLiteral("panel"));
}
