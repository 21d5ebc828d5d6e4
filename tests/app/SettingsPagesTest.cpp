#include "AccentPreview.h"
#include "AccentSwatch.h"
#include "AppModel.h"
#include "AppearanceSettings.h"
#include "FakeModelServer.h"
#include "FocusRing.h"
#include "FoldersPage.h"
#include "Autopilot.h"
#include "GeneralSettings.h"
#include "LineLimitedLabel.h"
#include "LoginItem.h"
#include "ModelStatusText.h"
#include "NameSettings.h"
#include "OnboardingView.h"
#include "Prefs.h"
#include "Roles.h"
#include "ScopedEnv.h"
#include "SettingsWindow.h"
#include "SettingsWindowFit.h"
#include "Store.h"
#include "SymbolLabel.h"
#include "TestSupport.h"
#include "ThemeStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTabBar>
#include <QLabel>
#include <QTemporaryDir>
#include <QAccessible>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include <unistd.h>

namespace {

class SettingsPagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("settings.store"))));
        QFile::remove(LoginItem::path());
    }

    void TearDown() override { ThemeStore::instance().setThemeID(QStringLiteral("system")); }

    static void pick(QComboBox *picker, int index)
    {
        picker->setCurrentIndex(index);
        Q_EMIT picker->activated(index);
    }

    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

// Whether the symbol is drawn in the colour, its opacity included: every
// solid pixel in its shade, the most opaque as opaque as the colour.
bool drawnIn(const SymbolLabel *label, const QColor &colour)
{
    const QImage image = label->pixmap().toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            opaque = std::max(opaque, pixel.alpha());
            if (pixel.alpha() < colour.alpha() * 6 / 10)
                continue;
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green())
                    + std::abs(pixel.blue() - colour.blue()) > 9)
                return false;
        }
    }
    return opaque > 0 && std::abs(opaque - colour.alpha()) <= 16;
}

} // namespace

TEST_F(SettingsPagesTest, GeneralControlsWriteTheirPreferencesAndTheStatusFollowsAtOnce)
{
    GeneralSettings page(model->autopilot());
    page.findChild<QCheckBox *>(QStringLiteral("useModel"))->click();
    EXPECT_FALSE(Prefs::boolValue(QStringLiteral("useModel")));
    EXPECT_EQ(model->autopilot().modelStatus(), ModelStatus::switchedOff);
    EXPECT_EQ(page.findChild<QLabel *>(QStringLiteral("modelStatus"))->text(),
              QStringLiteral("Reading file content is off in Settings. Rules by name, type, age, size, and text still "
                             "work."));
    // The whole status line is dimmed, its symbol too.
    const auto *symbol = page.findChild<SymbolLabel *>(QStringLiteral("modelStatusSymbol"));
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->symbol(), QStringLiteral("info.circle"));
    const auto *status = page.findChild<QLabel *>(QStringLiteral("modelStatus"));
    EXPECT_TRUE(drawnIn(symbol, status->palette().color(QPalette::PlaceholderText)));

    auto *wait = page.findChild<QComboBox *>(QStringLiteral("minimumWait"));
    pick(wait, 2);
    EXPECT_EQ(Prefs::doubleValue(QStringLiteral("minimumWait")), 60.0);
    pick(wait, 0);
    EXPECT_EQ(Prefs::doubleValue(QStringLiteral("minimumWait")), 3.0);
    page.findChild<QCheckBox *>(QStringLiteral("notify"))->click();
    EXPECT_FALSE(Prefs::boolValue(QStringLiteral("notify")));
}

// The settings, the onboarding's folders page and the folders page show the
// model's status alike: the same symbol, drawn in the colour of the sentence
// beside it, which only the settings dim.
TEST_F(SettingsPagesTest, TheModelStatusShowsTheSameSymbolWhereverItIsShown)
{
    FakeModelServer withModel;
    FakeModelServer withoutModel;
    withoutModel.setModelsReply({200, R"({"object":"list","data":[]})"});
    struct Case
    {
        const char *name;
        bool useModel;
        QByteArray server;
        ModelStatus status;
        const char *symbol;
    };
    const Case cases[] = {
        {"switched off", false, withModel.baseUrl().toEncoded(), ModelStatus::switchedOff, "info.circle"},
        {"no server", true, "http://127.0.0.1:9/v1", ModelStatus::notEnabled, "info.circle"},
        {"no model", true, withoutModel.baseUrl().toEncoded(), ModelStatus::notReady, "arrow.down.circle"},
        {"available", true, withModel.baseUrl().toEncoded(), ModelStatus::available, "apple.intelligence"},
    };
    const ScopedEnv server("APP_MODEL_URL");
    const ScopedEnv chosenModel("APP_MODEL", std::nullopt);
    GeneralSettings general(model->autopilot());
    OnboardingView onboarding(*model);
    FoldersPage folders(*model);
    const std::pair<const char *, QWidget *> places[] = {
        {"settings", &general}, {"onboarding", &onboarding}, {"folders", &folders}};
    for (const Case &entry : cases) {
        SCOPED_TRACE(entry.name);
        qputenv("APP_MODEL_URL", entry.server);
        Prefs::setValue(QStringLiteral("useModel"), entry.useModel);
        model->autopilot().refreshModelStatus();
        ASSERT_EQ(model->autopilot().modelStatus(), entry.status);
        for (const auto &[place, page] : places) {
            SCOPED_TRACE(place);
            const auto *symbol = page->findChild<SymbolLabel *>(QStringLiteral("modelStatusSymbol"));
            const auto *text = page->findChild<QLabel *>(QStringLiteral("modelStatus"));
            ASSERT_NE(symbol, nullptr);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(symbol->symbol(), QLatin1String(entry.symbol));
            EXPECT_EQ(text->text(), ModelStatusText::text(entry.status));
            const QColor sentence = text->palette().color(text->foregroundRole());
            EXPECT_TRUE(drawnIn(symbol, sentence));
            EXPECT_EQ(sentence != text->palette().color(QPalette::WindowText), page == &general);
        }
    }
}

TEST_F(SettingsPagesTest, OpenAtLoginWritesTheAutostartEntryAndShowsWhatIsOnDisk)
{
    {
        GeneralSettings page(model->autopilot());
        auto *toggle = page.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"));
        EXPECT_FALSE(toggle->isChecked());
        toggle->click();
        ASSERT_TRUE(QFile::exists(LoginItem::path()));
        QFile entry(LoginItem::path());
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        const QByteArray contents = entry.readAll();
        EXPECT_TRUE(contents.startsWith("[Desktop Entry]"));
        EXPECT_TRUE(contents.contains("Exec="));
    }
    {
        GeneralSettings page(model->autopilot());
        auto *toggle = page.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"));
        EXPECT_TRUE(toggle->isChecked());
        toggle->click();
        EXPECT_FALSE(QFile::exists(LoginItem::path()));
    }
}

TEST_F(SettingsPagesTest, OpenAtLoginThatCannotBeWrittenSaysWhyUnderItsSwitch)
{
    const auto reason = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    const auto file = [](const QString &path) { return TestSupport::writeFile(path, "not a folder"); };
    const auto locked = [](const QString &path) {
        return QDir().mkpath(path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    };
    const QString entry = QStringLiteral("%1/autostart/filewright.desktop");
    const struct
    {
        const char *what;
        QString config; // the config folder, in the case's own folder
        bool on; // the switch is on before it is pressed
        bool asRoot; // fails for root too, who writes into read-only folders all the same
        std::function<bool(const QString &config, const QString &parent)> prepare;
        QString message; // %1: the config folder, %2: the folder above it
    } cases[] = {
        {"a file where the autostart folder belongs", "config", false, true,
         [&](const QString &config, const QString &) { return file(config + "/autostart"); },
         "Could not create the folder %1/autostart: " + reason(ENOTDIR)},
        {"a file where a folder above it belongs", "plain/config", false, true,
         [&](const QString &, const QString &parent) { return file(parent); },
         "Could not create the folder %2: " + reason(ENOTDIR)},
        {"a name the file system refuses", QString(300, u'n') + "/config", false, true,
         [](const QString &, const QString &) { return true; }, "Could not create the folder %2: " + reason(ENAMETOOLONG)},
        {"a read-only folder above it", "locked/config", false, false,
         [&](const QString &, const QString &parent) { return locked(parent); },
         "Could not create the folder %1: " + reason(EACCES)},
        {"a folder where the entry belongs", "config", false, true,
         [&](const QString &config, const QString &) { return QDir().mkpath(entry.arg(config)); },
         "Could not write " + entry + ": Filename refers to a directory"},
        {"a read-only autostart folder", "config", false, false,
         [&](const QString &config, const QString &) { return locked(config + "/autostart"); },
         "Could not write " + entry + ": " + reason(EACCES)},
        {"an entry in a read-only autostart folder", "config", true, false,
         [&](const QString &config, const QString &) { return file(entry.arg(config)) && locked(config + "/autostart"); },
         "Could not remove " + entry + ": " + reason(EACCES)},
    };
    const bool root = ::geteuid() == 0;
    for (const auto &each : cases) {
        SCOPED_TRACE(each.what);
        if (root && !each.asRoot)
            continue;
        QTemporaryDir folder;
        const QString config = folder.filePath(each.config);
        const QString parent = QFileInfo(config).path();
        ASSERT_TRUE(each.prepare(config, parent));
        const ScopedEnv home("XDG_CONFIG_HOME", QFile::encodeName(config));
        GeneralSettings page(model->autopilot());
        auto *toggle = page.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"));
        ASSERT_EQ(toggle->isChecked(), each.on);
        toggle->click();
        EXPECT_EQ(toggle->isChecked(), each.on); // what is on disk
        const auto *error = page.findChild<QLabel *>(QStringLiteral("loginError"));
        EXPECT_FALSE(error->isHidden());
        EXPECT_EQ(error->text().toStdString(), QString(each.message).replace("%1", config).replace("%2", parent).toStdString());
        // Writable again, so that they can be removed.
        for (const QString &made : {config + "/autostart", parent})
            QFile::setPermissions(made, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST_F(SettingsPagesTest, OpenAtLoginShowsWhetherTheDesktopWillStartTheEntry)
{
    const struct
    {
        const char *lines;
        bool starts;
    } cases[] = {
        {"Exec=filewright\n", true},
        {"Exec=filewright\nHidden=false\nX-GNOME-Autostart-enabled=true\n", true},
        {"Exec=filewright\nX-GNOME-Autostart-enabled=false\n", false},
        {"Exec=filewright\nX-GNOME-Autostart-enabled = false\n", false},
        {"Exec=filewright\nHidden=true\n", false},
        {"Exec=filewright\nHidden=true\nX-GNOME-Autostart-enabled=true\n", false},
        // Another group's keys are not the entry's.
        {"Exec=filewright\n[Desktop Action quit]\nHidden=true\nX-GNOME-Autostart-enabled=false\n", true},
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(LoginItem::path()).path()));
    for (const auto &entry : cases) {
        ASSERT_TRUE(TestSupport::writeFile(LoginItem::path(),
                                           QByteArray("[Desktop Entry]\nType=Application\nName=Filewright\n") + entry.lines));
        GeneralSettings page(model->autopilot());
        EXPECT_EQ(page.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"))->isChecked(), entry.starts) << entry.lines;
    }
    // Switched on from an entry GNOME skips, the entry is one it starts.
    ASSERT_TRUE(TestSupport::writeFile(LoginItem::path(), "[Desktop Entry]\nExec=filewright\nX-GNOME-Autostart-enabled=false\n"));
    {
        GeneralSettings page(model->autopilot());
        page.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"))->click();
    }
    GeneralSettings page(model->autopilot());
    EXPECT_TRUE(page.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"))->isChecked());
    EXPECT_TRUE(LoginItem::isEnabled());
    QFile::remove(LoginItem::path());
}

TEST_F(SettingsPagesTest, TheNameExampleFollowsLanguageAndDateFormat)
{
    NameSettings page;
    auto *language = page.findChild<QComboBox *>(QStringLiteral("nameLanguage"));
    auto *format = page.findChild<QComboBox *>(QStringLiteral("dateFormat"));
    auto *example = page.findChild<QLabel *>(QStringLiteral("example"));
    pick(language, 0);
    pick(format, 0);
    EXPECT_EQ(example->text(), QStringLiteral("2026-10-12 Nordlicht Hosting Rechnung 12,34 EUR.pdf"));
    pick(language, 1);
    pick(format, 1);
    EXPECT_EQ(example->text(), QStringLiteral("12.10.2026 Nordlicht Hosting Invoice 12.34 EUR.pdf"));
    pick(format, 2);
    EXPECT_EQ(example->text(), QStringLiteral("20261012 Nordlicht Hosting Invoice 12.34 EUR.pdf"));

    // Stored values that no choice names: German words, no choice selected, the pattern used as it is.
    Prefs::setValue(QStringLiteral("nameLanguage"), QStringLiteral("fr"));
    Prefs::setValue(QStringLiteral("dateFormat"), QStringLiteral("yyyy 'Q'Q"));
    NameSettings stored;
    EXPECT_EQ(stored.findChild<QComboBox *>(QStringLiteral("nameLanguage"))->currentIndex(), -1);
    EXPECT_EQ(stored.findChild<QComboBox *>(QStringLiteral("dateFormat"))->currentIndex(), -1);
    EXPECT_EQ(NameSettings::example(), QStringLiteral("2026 Q4 Nordlicht Hosting Rechnung 12,34 EUR.pdf"));
    // A pattern that is no pattern still gives a usable name.
    Prefs::setValue(QStringLiteral("dateFormat"), QStringLiteral("'unclosed"));
    EXPECT_TRUE(NameSettings::example().endsWith(QStringLiteral("Nordlicht Hosting Rechnung 12,34 EUR.pdf")));
}

TEST_F(SettingsPagesTest, SwatchesChooseAtOnceAndMarkOnlyTheStoredTheme)
{
    ThemeStore &store = ThemeStore::instance();
    store.setThemeID(QStringLiteral("purple-ish"));
    AppearanceSettings page(store);
    ASSERT_EQ(page.swatches().size(), 11);
    // What a screen reader is told of a swatch: its theme's name, and whether it is the chosen one.
    const auto heard = [](AccentSwatch *swatch) { return QAccessible::queryAccessibleInterface(swatch); };
    for (AccentSwatch *swatch : page.swatches()) {
        EXPECT_FALSE(swatch->isSelected()) << swatch->theme().id.toStdString();
        QAccessibleInterface *told = heard(swatch);
        ASSERT_NE(told, nullptr);
        EXPECT_EQ(told->role(), QAccessible::Button);
        EXPECT_EQ(told->text(QAccessible::Name), swatch->theme().name);
        EXPECT_FALSE(bool(told->state().selected));
    }
    EXPECT_EQ(page.findChild<QLabel *>(QStringLiteral("themeName"))->text(), QStringLiteral("System"));

    for (AccentSwatch *swatch : page.swatches()) {
        swatch->click();
        EXPECT_EQ(store.themeID(), swatch->theme().id);
        EXPECT_TRUE(swatch->isSelected());
        for (AccentSwatch *other : page.swatches())
            EXPECT_EQ(bool(heard(other)->state().selected), other == swatch) << other->theme().id.toStdString();
        // The mark on the fill: dark on the pale themes, white on the others.
        const QColor mark = swatch->grab().toImage().pixelColor(swatch->width() / 2, swatch->height() / 2);
        EXPECT_EQ(mark.rgb(), swatch->theme().onAccent().rgb()) << swatch->theme().id.toStdString();
    }
}

TEST_F(SettingsPagesTest, TheSystemWheelTurnsClockwiseFromRedAtThreeOClock)
{
    const QList<Theme> themes = Theme::all();
    const auto system = std::find_if(themes.begin(), themes.end(), [](const Theme &t) { return !t.tint(); });
    ASSERT_NE(system, themes.end());
    AccentSwatch swatch(*system);
    const QImage wheel = swatch.grab().toImage();
    // Halfway between the centre and the edge, at each hour of the clock.
    const QPoint centre(swatch.width() / 2, swatch.height() / 2);
    const int r = AccentSwatch::diameter / 4;
    const QColor three = wheel.pixelColor(centre + QPoint(r, 0));
    const QColor six = wheel.pixelColor(centre + QPoint(0, r));
    const QColor twelve = wheel.pixelColor(centre + QPoint(0, -r));
    const auto rgb = [](const QColor &c) { return c.name().toStdString(); };
    // Red where it starts and ends.
    EXPECT_GT(three.red(), 200) << rgb(three);
    EXPECT_LT(three.green(), 90) << rgb(three);
    EXPECT_LT(three.blue(), 90) << rgb(three);
    // A quarter round: between orange and yellow.
    EXPECT_GT(six.red(), 200) << rgb(six);
    EXPECT_GT(six.green(), 130) << rgb(six);
    EXPECT_LT(six.blue(), 60) << rgb(six);
    // Three quarters: between purple and pink.
    EXPECT_GT(twelve.red(), 150) << rgb(twelve);
    EXPECT_LT(twelve.green(), 100) << rgb(twelve);
    EXPECT_GT(twelve.blue(), 150) << rgb(twelve);
}

TEST_F(SettingsPagesTest, AFocusedSwatchShowsItsRingAndSpaceChoosesIt)
{
    ThemeStore &store = ThemeStore::instance();
    AppearanceSettings page(store);
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    AccentSwatch *first = page.swatches().at(0);
    AccentSwatch *second = page.swatches().at(1);
    // The ring stands around the circle, apart from it: above its top.
    const QPoint above(first->width() / 2, AccentSwatch::ringRoom - 2);
    const QColor ring = FocusRing::colour(page.palette());
    const auto ringShown = [&](AccentSwatch *swatch) {
        const QColor pixel = swatch->grab().toImage().pixelColor(above);
        return std::abs(pixel.red() - ring.red()) < 40 && std::abs(pixel.green() - ring.green()) < 40
            && std::abs(pixel.blue() - ring.blue()) < 40;
    };
    first->clearFocus();
    EXPECT_FALSE(ringShown(first));
    first->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(first->hasFocus());
    EXPECT_TRUE(ringShown(first));
    EXPECT_FALSE(ringShown(second));
    QTest::keyClick(first, Qt::Key_Tab);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_FALSE(ringShown(first));
    EXPECT_TRUE(ringShown(second));
    QTest::keyClick(second, Qt::Key_Space);
    EXPECT_EQ(store.themeID(), second->theme().id);
    // The circles still stand 8 apart.
    EXPECT_EQ(second->geometry().center().x() - first->geometry().center().x(), AccentSwatch::diameter + 8);
}

TEST_F(SettingsPagesTest, ThePreviewWearsTheChosenTheme)
{
    ThemeStore::instance().setThemeID(QStringLiteral("blue"));
    AccentPreview preview;
    preview.resize(440, AccentPreview::previewHeight);
    const QImage image = preview.grab().toImage();
    const QColor blue(0x0A84FF);
    // The selected sidebar row, right of its title, and the switch.
    EXPECT_EQ(image.pixelColor(AccentPreview::sidebarWidth - 12, 36).rgb(), blue.rgb());
    EXPECT_EQ(image.pixelColor(440 - 12 - 22, AccentPreview::previewHeight - 12 - 12).rgb(), blue.rgb());
    ThemeStore::instance().setThemeID(QStringLiteral("red"));
    EXPECT_NE(preview.grab().toImage().pixelColor(AccentPreview::sidebarWidth - 12, 36).rgb(), blue.rgb());
}

TEST_F(SettingsPagesTest, TheWindowIsExactlyAPageWideOnEveryTab)
{
    SettingsWindow window(*model);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const SettingsTab tab : SettingsTabs::allCases) {
        window.tabs()->setCurrentIndex(int(tab));
        QCoreApplication::processEvents();
        EXPECT_EQ(window.width(), 520) << SettingsTabs::rawValue(tab).toStdString();
        EXPECT_EQ(window.findChild<QWidget *>(SettingsTabs::rawValue(tab))->width(), 520);
    }
}

TEST_F(SettingsPagesTest, EveryPageFitsTheWindowWithALongDateFormat)
{
    Prefs::setValue(QStringLiteral("dateFormat"), QStringLiteral("EEEE d. MMMM yyyy"));
    model->setSettingsTab(SettingsTab::names);
    SettingsWindow window(*model);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // "Open at login" tells why it failed, naming a folder longer than a line.
    const QString plain = dir.filePath(QString(120, u'n'));
    ASSERT_TRUE(TestSupport::writeFile(plain, "not a folder"));
    const ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(plain + QStringLiteral("/config")));
    window.findChild<QCheckBox *>(QStringLiteral("launchAtLogin"))->click();
    ASSERT_FALSE(window.findChild<QLabel *>(QStringLiteral("loginError"))->isHidden());
    EXPECT_EQ(SettingsWindowFit::faults(window).join(u'\n').toStdString(), "");
    // The name is longer than a line.
    EXPECT_GT(window.findChild<LineLimitedLabel *>(QStringLiteral("example"))->shownLines().size(), 1);
}
