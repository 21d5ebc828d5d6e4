// The German case runs by CTest with LANGUAGE=de (FilewrightAppTests.german);
// skipped otherwise. The accelerators are checked in whichever language runs.
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "Store.h"
#include "Translation.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The letter that Alt and the underlined "&x" choose, or nothing.
std::optional<QChar> accelerator(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toLower();
        ++i; // "&&" is a plain "&"
    }
    return std::nullopt;
}

// "Menu: &Datei and &Darstellung take D" for every key that two entries of
// one menu (or of the menu bar) take.
QStringList sharedAccelerators(const QString &menu, const QList<QAction *> &actions)
{
    QStringList shared;
    QHash<QChar, QString> taken;
    for (const QAction *action : actions) {
        if (action->isSeparator())
            continue;
        if (const std::optional<QChar> key = accelerator(action->text())) {
            if (taken.contains(*key))
                shared.append(menu + QStringLiteral(": ") + taken.value(*key) + QStringLiteral(" and ") + action->text());
            else
                taken.insert(*key, action->text());
        }
        if (action->menu())
            shared += sharedAccelerators(action->text(), action->menu()->actions());
    }
    return shared;
}

} // namespace

TEST(GermanMenusTest, AGermanDesktopGetsGermanMenus)
{
    if (!qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de")))
        GTEST_SKIP() << "runs with LANGUAGE=de";
    ASSERT_EQ(Translation::install(), NameLanguage::de);
    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("german.store"))));
    QStringList titles;
    for (const QAction *menu : app.mainWindow().menuBar()->actions())
        titles.append(menu->text());
    EXPECT_EQ(titles.join(u','), QStringLiteral("&Datei,&Ansicht,&Gehe zu,&Hilfe"));
    EXPECT_EQ(sharedAccelerators(QStringLiteral("menu bar"), app.mainWindow().menuBar()->actions()), QStringList());
}

TEST(MenuAcceleratorsTest, NoMenuGivesOneKeyToTwoEntries)
{
    EXPECT_EQ(accelerator(QStringLiteral("&Datei")), QChar(u'd'));
    EXPECT_EQ(accelerator(QStringLiteral("Save && &Quit")), QChar(u'q'));
    EXPECT_EQ(accelerator(QStringLiteral("Tom && Jerry")), std::nullopt);
    QMenuBar probe;
    probe.addMenu(QStringLiteral("&Datei"));
    probe.addMenu(QStringLiteral("&Darstellung"))->addAction(QStringLiteral("&Neu"));
    EXPECT_EQ(sharedAccelerators(QStringLiteral("menu bar"), probe.actions()),
              QStringList{QStringLiteral("menu bar: &Datei and &Darstellung")});

    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("keys.store"))));
    EXPECT_EQ(sharedAccelerators(QStringLiteral("menu bar"), app.mainWindow().menuBar()->actions()), QStringList());
}
