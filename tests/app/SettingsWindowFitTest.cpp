// Every tab of the settings window shows its content whole within the
// window's width at the font sizes and styles of common desktops: texts wrap,
// fields go below their labels, nothing runs past the page's edge. In
// English, and in German in the run with LANGUAGE=de.
#include "AppModel.h"
#include "DesktopLook.h"
#include "SettingsTab.h"
#include "SettingsWindow.h"
#include "SettingsWindowFit.h"
#include "Store.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(SettingsWindowFitTest, EveryTabFitsThePageAtTheDesktopsStyleAndFont)
{
    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppModel model(Store::open(dir.filePath(QStringLiteral("settings.store"))));
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        for (const qreal points : {11.0, 13.0}) {
            const DesktopLook look(style, points);
            ASSERT_TRUE(look.isAvailable()) << style.toStdString();
            model.setSettingsTab(SettingsTab::general);
            SettingsWindow window(model);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            DesktopLook::settle();
            EXPECT_EQ(SettingsWindowFit::faults(window).join(u'\n').toStdString(), "")
                << style.toStdString() << ", " << points << " pt";
        }
    }
}
