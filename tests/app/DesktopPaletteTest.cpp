// The desktop's colours under a chosen accent, from the program's start on.
// The theme store is made once per process, as the program starts, so each
// test here runs by CTest in a process of its own
// (FilewrightAppTests.desktopPalette, FilewrightAppTests.desktopAccent) and
// is skipped otherwise.
#include "DescribeRuleField.h"
#include "FilewrightApp.h"
#include "FocusRingStyle.h"
#include "MainWindow.h"
#include "Prefs.h"
#include "Roles.h"
#include "SchemeForClasses.h"
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
#include <private/qapplication_p.h>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformtheme.h>
#include <qpa/qwindowsysteminterface.h>

namespace {

const QColor translucent(0xFF, 0xFF, 0xFF, 0x80);
const QColor desktopHighlight(0x15, 0x53, 0x9E);
const QColor desktopListHighlight(0x12, 0x60, 0x8A);

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
                                       desktopListHighlight, translucent);
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
        // The desktop's grey where it reads on the label's ground; else moved
        // towards the text just as far as it takes.
        EXPECT_EQ(label->palette().color(QPalette::PlaceholderText),
                  Roles::readableOn(translucent, label->palette().color(QPalette::WindowText),
                                    Roles::groundOf(label, QPalette::Active)))
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
    expectDesktopGreyAndAccent(app.mainWindow(), desktopListHighlight, "under System");
}

namespace {

// Every palette the main window's widgets are drawn with, by name: the
// application's, each class's, and the window's, its lists', fields' and
// labels' own.
QList<std::pair<std::string, QPalette>> palettesOf(const MainWindow &window)
{
    QList<std::pair<std::string, QPalette>> palettes{{"application", QGuiApplication::palette()},
                                                     {"window", window.palette()}};
    for (const char *className : themedClasses)
        palettes.append({className, QApplication::palette(className)});
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        // A dimmed label's grey is the program's, kept readable on its ground.
        const bool dimmed = qobject_cast<const QLabel *>(widget) && widget->foregroundRole() == QPalette::PlaceholderText;
        if (!dimmed && (qobject_cast<const QAbstractItemView *>(widget) || qobject_cast<const QLineEdit *>(widget)
            || qobject_cast<const QLabel *>(widget)))
            palettes.append({widget->metaObject()->className() + std::string(" ") + widget->objectName().toStdString(),
                             widget->palette()});
    }
    return palettes;
}

bool isAccentRole(QPalette::ColorGroup group, QPalette::ColorRole role)
{
    return group != QPalette::Disabled && (role == QPalette::Highlight || role == QPalette::HighlightedText);
}

// Where two palettes differ, leaving out the accent's colours when asked.
std::string differences(const QPalette &a, const QPalette &b, bool butTheAccent)
{
    std::string found;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colourRole = QPalette::ColorRole(role);
            if (butTheAccent && isAccentRole(group, colourRole))
                continue;
            if (a.color(group, colourRole) != b.color(group, colourRole))
                found += " group " + std::to_string(group) + " role " + std::to_string(role) + ": "
                    + a.color(group, colourRole).name(QColor::HexArgb).toStdString() + " to "
                    + b.color(group, colourRole).name(QColor::HexArgb).toStdString() + ";";
        }
    }
    return found;
}

} // namespace

TEST(DesktopAccentTest, TheAccentChangesOnlyTheAccentAndSystemIsTheHighlightTheDesktopShows)
{
    if (!qEnvironmentVariableIsSet("FILEWRIGHT_DESKTOP_ACCENT"))
        GTEST_SKIP() << "runs in a process of its own, with FILEWRIGHT_DESKTOP_ACCENT set";
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const TestSupport::ScopedSettings settings;
    const ScopedEnv accent("APP_ACCENT", std::nullopt);
    Prefs::setValue(QStringLiteral("appearance.accent"), QStringLiteral("system"));
    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("desktop.store"))));
    app.showMainWindow();
    MainWindow &window = app.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ThemeStore &store = ThemeStore::instance();
    const auto *sidebar = window.findChild<QAbstractItemView *>();
    ASSERT_NE(sidebar, nullptr);

    // The desktop's theme and its palettes arrive after the program started.
    const DesktopThemeInstalled desktop;
    QWindowSystemInterface::handleThemeChange<QWindowSystemInterface::SynchronousDelivery>();
    QCoreApplication::processEvents();
    ASSERT_EQ(sidebar->palette().color(QPalette::Highlight), desktopListHighlight);

    const struct
    {
        const char *name;
        std::function<bool()> set; // false where the look is not installed here
    } looks[] = {
        {"the desktop's scheme", [] { return true; }},
        {"Adwaita-Dark, the scheme given to classes", [&desktop] {
             if (!QStyleFactory::keys().contains(QStringLiteral("Adwaita-Dark"), Qt::CaseInsensitive))
                 return false;
             FocusRingStyle::install(QStringLiteral("Adwaita-Dark"));
             QCoreApplication::processEvents();
             schemeArrivesForClasses(*desktop.theme.palette(QPlatformTheme::ItemViewPalette));
             return true;
         }},
    };
    const QColor mint(0x2B, 0xC4, 0x8A);
    const QColor onMint(0x16, 0x16, 0x1C);
    for (const auto &look : looks) {
        SCOPED_TRACE(look.name);
        if (!look.set())
            continue;
        QCoreApplication::processEvents();
        const auto system = palettesOf(window);
        // The accent the program draws with is the selection the sidebar shows.
        EXPECT_EQ(sidebar->palette().color(QPalette::Base), QColor(0x3D, 0x3D, 0x3D));
        EXPECT_EQ(store.desktopHighlight(), sidebar->palette().color(QPalette::Highlight));
        EXPECT_EQ(Theme::byID(QStringLiteral("system")).accent(), desktopListHighlight);

        // Mint changes the accent's colours and nothing else.
        store.setThemeID(QStringLiteral("mint"));
        QCoreApplication::processEvents();
        const auto worn = palettesOf(window);
        ASSERT_EQ(worn.size(), system.size());
        for (int i = 0; i < worn.size(); ++i) {
            const auto &[name, palette] = worn.at(i);
            EXPECT_EQ(differences(system.at(i).second, palette, true), "") << name;
            for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                EXPECT_EQ(palette.color(group, QPalette::Highlight), mint) << name << ", group " << group;
                EXPECT_EQ(palette.color(group, QPalette::HighlightedText), onMint) << name << ", group " << group;
            }
        }

        // System gives back exactly what the desktop gave.
        store.setThemeID(QStringLiteral("system"));
        QCoreApplication::processEvents();
        const auto back = palettesOf(window);
        ASSERT_EQ(back.size(), system.size());
        for (int i = 0; i < back.size(); ++i)
            EXPECT_EQ(differences(system.at(i).second, back.at(i).second, false), "") << back.at(i).first;
    }
}
