// The desktop's colours under a chosen accent, from the program's start on.
// The theme store is made once per process, as the program starts, so this
// runs by CTest in a process of its own (FilewrightAppTests.desktopPalette)
// and is skipped otherwise.
#include "DescribeRuleField.h"
#include "FilewrightApp.h"
#include "FocusRingStyle.h"
#include "MainWindow.h"
#include "Prefs.h"
#include "ScopedEnv.h"
#include "Store.h"
#include "TestSupport.h"
#include "ThemeStore.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformtheme.h>

namespace {

const QColor translucent(0xFF, 0xFF, 0xFF, 0x80);
const QColor desktopHighlight(0x15, 0x53, 0x9E);

QPalette paletteOf(const QColor &window, const QColor &base, const QColor &text, const QColor &highlight,
                   const QColor &placeholder)
{
    QPalette palette(text, window, window.lighter(130), window.darker(150), window.darker(120), text,
                     Qt::white, base, window);
    palette.setColor(QPalette::Button, window.lighter(115));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    return palette;
}

// A desktop whose colour scheme and style differ, as a colour scheme chosen
// under a style with colours of its own gives: the application's palette is
// the style's, whose placeholder is its text colour, while labels, text
// fields and lists wear the scheme's, whose placeholder is translucent.
class DesktopTheme : public QPlatformTheme
{
public:
    const QPalette *palette(Palette type) const override
    {
        switch (type) {
        case SystemPalette:
            return &m_application;
        case LabelPalette:
        case TextLineEditPalette:
        case TextEditPalette:
        case ItemViewPalette:
            return &m_kinds;
        default:
            return nullptr;
        }
    }

private:
    const QPalette m_application = paletteOf(QColor(0x35, 0x35, 0x35), QColor(0x2D, 0x2D, 0x2D),
                                             QColor(0xEE, 0xEE, 0xEC), desktopHighlight, QColor(0xEE, 0xEE, 0xEC));
    const QPalette m_kinds = paletteOf(QColor(0x22, 0x20, 0x20), QColor(0x3D, 0x3D, 0x3D), Qt::white,
                                       QColor(0x12, 0x60, 0x8A), translucent);
};

// The desktop's theme for one scope; Qt reads its palettes when a style arrives.
struct DesktopThemeInstalled
{
    DesktopThemeInstalled() { QGuiApplicationPrivate::platform_theme = &theme; }
    ~DesktopThemeInstalled() { QGuiApplicationPrivate::platform_theme = before; }
    QPlatformTheme *const before = QGuiApplicationPrivate::platform_theme;
    DesktopTheme theme;
};

// What the main window shows in the desktop's grey, and in the accent.
void expectDesktopGreyAndAccent(const MainWindow &window, const QColor &listHighlight, const std::string &when)
{
    const auto *describe = window.findChild<DescribeRuleField *>();
    ASSERT_NE(describe, nullptr) << when;
    EXPECT_EQ(describe->lineEdit()->palette().color(QPalette::PlaceholderText), translucent) << when;
    int secondary = 0;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&window) || label->foregroundRole() != QPalette::PlaceholderText)
            continue;
        ++secondary;
        EXPECT_EQ(label->palette().color(QPalette::PlaceholderText), translucent)
            << when << ": " << label->text().toStdString();
    }
    EXPECT_GT(secondary, 0) << when;
    const auto lists = window.findChildren<QAbstractItemView *>();
    ASSERT_FALSE(lists.isEmpty()) << when;
    for (const QAbstractItemView *list : lists)
        EXPECT_EQ(list->palette().color(QPalette::Highlight), listHighlight)
            << when << ": " << list->objectName().toStdString();
}

} // namespace

TEST(DesktopPaletteTest, PlaceholderAndSecondaryTextStayTheDesktopsUnderAChosenAccent)
{
    if (!qEnvironmentVariableIsSet("FILEWRIGHT_DESKTOP_PALETTE"))
        GTEST_SKIP() << "runs in a process of its own, with FILEWRIGHT_DESKTOP_PALETTE set";
    const DesktopThemeInstalled desktop;
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_EQ(QApplication::palette("QLabel").color(QPalette::PlaceholderText), translucent);
    ASSERT_NE(QApplication::palette().color(QPalette::PlaceholderText), translucent);

    // Blue chosen before, the program started as it starts.
    const TestSupport::ScopedSettings settings;
    const ScopedEnv accent("APP_ACCENT", std::nullopt);
    Prefs::setValue(QStringLiteral("appearance.accent"), QStringLiteral("blue"));
    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("desktop.store"))));
    app.showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.mainWindow()));
    QCoreApplication::processEvents();
    const QColor blue(0x0A, 0x84, 0xFF);
    expectDesktopGreyAndAccent(app.mainWindow(), blue, "at the start");

    // A style arriving after the store.
    FocusRingStyle::install(QStringLiteral("Windows"));
    QCoreApplication::processEvents();
    expectDesktopGreyAndAccent(app.mainWindow(), blue, "after another style");

    // Another accent, and the desktop's own again.
    ThemeStore::instance().setThemeID(QStringLiteral("teal"));
    QCoreApplication::processEvents();
    expectDesktopGreyAndAccent(app.mainWindow(), QColor(0x06, 0xB6, 0xD4), "under Teal");
    ThemeStore::instance().setThemeID(QStringLiteral("system"));
    QCoreApplication::processEvents();
    expectDesktopGreyAndAccent(app.mainWindow(), desktopHighlight, "under System");
}
