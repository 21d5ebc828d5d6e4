#include "AppModel.h"
#include "Autopilot.h"
#include "FolderRow.h"
#include "FoldersPage.h"
#include "ModelStatusText.h"
#include "Store.h"
#include "ToggleSwitch.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDesktopServices>
#include <QTest>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// Takes the file URLs the desktop is asked to open.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

class FoldersPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("app.store"))));
        model->setFolderChooser([this](bool watched, const QString &start) {
            chosen.append({watched, start});
            return QString();
        });
    }

    WatchedFolder add(const QString &name, bool watched)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        return *model->autopilot().addFolder(path, watched);
    }

    // The rows of a section: (name, controls shown).
    QList<QPair<QString, QStringList>> rows(const QString &section) const
    {
        QList<QPair<QString, QStringList>> result;
        for (const FolderRow *row : page->findChild<QWidget *>(section)->findChildren<FolderRow *>()) {
            QStringList controls;
            for (const QWidget *control : row->findChildren<QWidget *>()) {
                if (qobject_cast<const QCheckBox *>(control) || qobject_cast<const QPushButton *>(control) ||
                    qobject_cast<const ToggleSwitch *>(control))
                    controls.append(control->objectName());
            }
            result.append({row->findChild<QLabel *>(QStringLiteral("name"))->text(), controls});
        }
        return result;
    }

    FolderRow *row(const QString &name) const
    {
        for (FolderRow *row : page->findChildren<FolderRow *>()) {
            if (row->findChild<QLabel *>(QStringLiteral("name"))->text() == name)
                return row;
        }
        return nullptr;
    }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<FoldersPage> page;
    QList<QPair<bool, QString>> chosen;
};

using Rows = QList<QPair<QString, QStringList>>;
const QStringList toggles{QStringLiteral("subfolders"), QStringLiteral("watch")};
const QStringList chooseAgain{QStringLiteral("chooseAgain")};

} // namespace

TEST_F(FoldersPageTest, FoldersOldestFirstWithTheControlsOfTheirState)
{
    add(QStringLiteral("Older"), true);
    const WatchedFolder place = add(QStringLiteral("Archive"), false);
    WatchedFolder lost = add(QStringLiteral("Lost"), true);
    WatchedFolder paused = add(QStringLiteral("Paused"), true);
    WatchedFolder lostPlace = add(QStringLiteral("Gone Place"), false);
    lost.needsReselect = true;
    lostPlace.needsReselect = true;
    paused.isEnabled = false;
    for (const WatchedFolder &folder : {lost, paused, lostPlace})
        ASSERT_TRUE(model->store().update(folder));

    page = std::make_unique<FoldersPage>(*model);
    EXPECT_EQ(rows(QStringLiteral("watchedFolders")),
              (Rows{{QStringLiteral("Older"), toggles}, {QStringLiteral("Lost"), chooseAgain},
                    {QStringLiteral("Paused"), toggles}}));
    EXPECT_EQ(rows(QStringLiteral("places")),
              (Rows{{QStringLiteral("Archive"), {}}, {QStringLiteral("Gone Place"), chooseAgain}}));
    // The watch control is the shared switch, named for screen readers.
    ToggleSwitch *watch = row(QStringLiteral("Paused"))->findChild<ToggleSwitch *>(QStringLiteral("watch"));
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->isChecked());
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(watch);
    ASSERT_NE(spoken, nullptr);
    EXPECT_EQ(spoken->text(QAccessible::Name), QStringLiteral("Watch"));
    EXPECT_TRUE(spoken->state().checkable);
    EXPECT_FALSE(spoken->state().checked);

    // Choosing again starts in the folder, for its own section.
    row(QStringLiteral("Gone Place"))->findChild<QPushButton *>(QStringLiteral("chooseAgain"))->click();
    row(QStringLiteral("Lost"))->findChild<QPushButton *>(QStringLiteral("chooseAgain"))->click();
    EXPECT_EQ(chosen, (QList<QPair<bool, QString>>{{false, lostPlace.displayPath}, {true, lost.displayPath}}));

    // A paused folder switched back on, with subfolders; removing forgets the
    // place and nothing else.
    watch->click();
    row(QStringLiteral("Paused"))->findChild<QCheckBox *>(QStringLiteral("subfolders"))->click();
    const WatchedFolder stored = *model->store().folder(paused.uuid);
    EXPECT_TRUE(stored.isEnabled);
    EXPECT_TRUE(stored.includeSubfolders);
    row(QStringLiteral("Archive"))->findChild<QAction *>(QStringLiteral("remove"))->trigger();
    EXPECT_FALSE(model->store().folder(place.uuid));
    EXPECT_TRUE(QFileInfo(place.displayPath).isDir());
    EXPECT_EQ(rows(QStringLiteral("places")), (Rows{{QStringLiteral("Gone Place"), chooseAgain}}));

    EXPECT_EQ(page->findChild<QLabel *>(QStringLiteral("modelStatus"))->text(),
              ModelStatusText::text(model->autopilot().modelStatus()));
}

TEST_F(FoldersPageTest, AFolderDeletedWhileShownIsToBeChosenAgain)
{
    const WatchedFolder folder = add(QStringLiteral("Scans"), true);
    model->autopilot().start();
    page = std::make_unique<FoldersPage>(*model);
    ASSERT_TRUE(QDir(folder.displayPath).removeRecursively());

    // The driver's regular look at the folders finds it gone, and the row
    // asks for it again.
    model->autopilot().checkFolders();
    EXPECT_EQ(rows(QStringLiteral("watchedFolders")), (Rows{{QStringLiteral("Scans"), chooseAgain}}));
    EXPECT_TRUE(model->store().folder(folder.uuid)->needsReselect);

    // Without a file manager that shows items, the nearest folder opens.
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    row(QStringLiteral("Scans"))->findChild<QAction *>(QStringLiteral("showInFileManager"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.urls.isEmpty(); }, 10000));
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile(dir.path())});
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

#include "FoldersPageTest.moc"
