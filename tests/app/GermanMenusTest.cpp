// Run by CTest with LANGUAGE=de (FilewrightAppTests.german); skipped otherwise.
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "Store.h"
#include "Translation.h"

#include <QAction>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    EXPECT_EQ(titles.join(u','), QStringLiteral("&Datei,&Darstellung,&Gehe zu,&Hilfe"));
}
