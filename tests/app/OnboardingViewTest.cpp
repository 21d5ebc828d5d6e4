#include "AppModel.h"
#include "OnboardingView.h"
#include "Prefs.h"
#include "RealHome.h"
#include "RuleTemplates.h"
#include "Roles.h"
#include "Store.h"
#include "SymbolLabel.h"
#include "TestSupport.h"
#include "ThemeStore.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class OnboardingViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("onboarding.store"))));
        model->setFolderChooser([this](bool, const QString &) { return answer; });
        Prefs::setValue(QStringLiteral("onboarded"), false);
    }

    // Stores a folder the way the folder dialog would.
    WatchedFolder addFolder(const QString &relative, bool watched = true)
    {
        answer = dir.filePath(relative);
        QDir().mkpath(answer);
        return *model->chooseFolder(watched);
    }

    QPushButton *button(const QString &name) const { return view->findChild<QPushButton *>(name); }
    QPushButton *rowButton(const char *row) const
    {
        return view->findChild<QWidget *>(QString::fromLatin1(row))->findChild<QPushButton *>(QStringLiteral("choose"));
    }
    QCheckBox *toggle(const char *id) const { return view->findChild<QCheckBox *>(QString::fromLatin1(id)); }

    void open()
    {
        view = std::make_unique<OnboardingView>(*model);
        view->show();
    }

    // The stored rules as (name, folder path or "every folder").
    QStringList storedRules() const
    {
        QStringList result;
        for (const StoredRule &stored : model->store().rules()) {
            const std::optional<WatchedFolder> folder =
                stored.folderID ? model->store().folder(*stored.folderID) : std::nullopt;
            result.append(stored.rule().name + QStringLiteral(" @ ")
                          + (folder ? folder->displayPath : QStringLiteral("every folder")));
        }
        return result;
    }

    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<OnboardingView> view;
    QString answer;
};

// Whether every visible pixel of the symbol is drawn in the colour.
bool drawnIn(const SymbolLabel *label, const QColor &colour)
{
    const QImage image = label->pixmap().toImage();
    int seen = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < colour.alpha() * 6 / 10)
                continue;
            ++seen;
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green())
                    + std::abs(pixel.blue() - colour.blue()) > 9)
                return false;
        }
    }
    return seen > 0;
}

} // namespace

TEST_F(OnboardingViewTest, SymbolsWearTheAccentOrTheSecondaryColour)
{
    addFolder(QStringLiteral("a/Desktop"));
    ThemeStore::instance().setThemeID(QStringLiteral("red"));
    open();
    const auto *welcome = view->findChild<SymbolLabel *>(QStringLiteral("welcomeSymbol"));
    ASSERT_NE(welcome, nullptr);
    const QColor red = ThemeStore::instance().theme().accentText(welcome->palette());
    EXPECT_TRUE(drawnIn(welcome, red));
    const auto symbolOf = [this](const char *row) {
        return view->findChild<QWidget *>(QString::fromLatin1(row))->findChild<SymbolLabel *>(QStringLiteral("folderSymbol"));
    };
    EXPECT_EQ(symbolOf("desktopRow")->symbol(), QStringLiteral("checkmark.circle.fill"));
    EXPECT_TRUE(drawnIn(symbolOf("desktopRow"), red));
    EXPECT_EQ(symbolOf("downloadsRow")->symbol(), QStringLiteral("folder"));
    EXPECT_TRUE(drawnIn(symbolOf("downloadsRow"), Roles::secondary(symbolOf("downloadsRow")->palette())));

    // Another accent turns them at once.
    ThemeStore::instance().setThemeID(QStringLiteral("blue"));
    const QColor blue = ThemeStore::instance().theme().accentText(welcome->palette());
    ASSERT_NE(blue, red);
    EXPECT_TRUE(drawnIn(welcome, blue));
    EXPECT_TRUE(drawnIn(symbolOf("desktopRow"), blue));
    ThemeStore::instance().setThemeID(QStringLiteral("system"));
}

TEST_F(OnboardingViewTest, PagesGoInOrderWithTheirFooter)
{
    open();
    QLabel *stepText = view->findChild<QLabel *>(QStringLiteral("stepText"));
    EXPECT_EQ(stepText->text(), QStringLiteral("Step 1 of 4"));
    EXPECT_FALSE(button(QStringLiteral("back"))->isVisible());
    EXPECT_EQ(button(QStringLiteral("forward"))->text(), QStringLiteral("Continue"));
    EXPECT_TRUE(button(QStringLiteral("forward"))->isDefault());
    for (int i = 0; i < 3; ++i)
        button(QStringLiteral("forward"))->click();
    EXPECT_EQ(view->step(), 3);
    EXPECT_EQ(stepText->text(), QStringLiteral("Step 4 of 4"));
    EXPECT_EQ(button(QStringLiteral("forward"))->text(), QStringLiteral("Start"));
    button(QStringLiteral("back"))->click();
    EXPECT_EQ(view->step(), 2);

    QPushButton *ask = button(QStringLiteral("allowNotifications"));
    ask->click();
    EXPECT_EQ(ask->text(), QStringLiteral("Asked"));
    EXPECT_FALSE(ask->isEnabled());
    // Closing the sheet any other way stores nothing.
    view->reject();
    EXPECT_TRUE(model->store().rules().isEmpty());
    EXPECT_FALSE(Prefs::boolValue(QStringLiteral("onboarded")));
}

TEST_F(OnboardingViewTest, FindsFoldersByExactNameAndTheOlderOfTwo)
{
    addFolder(QStringLiteral("lower/downloads"));
    addFolder(QStringLiteral("place/Downloads"), false);
    const WatchedFolder older = addFolder(QStringLiteral("a/Desktop"));
    addFolder(QStringLiteral("b/Desktop"));
    open();
    EXPECT_FALSE(view->downloads());
    ASSERT_TRUE(view->desktop());
    EXPECT_EQ(view->desktop()->uuid, older.uuid);
    EXPECT_EQ(rowButton("downloadsRow")->text(), QStringLiteral("Choose…"));
    EXPECT_EQ(rowButton("desktopRow")->text(), QStringLiteral("Change…"));
    // The Downloads rules stay switched on, but cannot be changed without their folder.
    EXPECT_TRUE(toggle("receipts")->isChecked());
    EXPECT_FALSE(toggle("receipts")->isEnabled());
    EXPECT_TRUE(toggle("screenshots")->isEnabled());
}

TEST_F(OnboardingViewTest, StartStoresOnlyRulesWhoseFolderWasChosen)
{
    open();
    answer = dir.filePath(QStringLiteral("Downloads"));
    QDir().mkpath(answer);
    rowButton("downloadsRow")->click();
    ASSERT_TRUE(view->downloads());
    EXPECT_TRUE(toggle("receipts")->isEnabled());

    // Cancelling the dialog keeps the folder chosen before.
    answer.clear();
    rowButton("downloadsRow")->click();
    EXPECT_TRUE(view->downloads());
    EXPECT_EQ(rowButton("downloadsRow")->text(), QStringLiteral("Change…"));

    toggle("installers")->click(); // off
    toggle("finance")->click(); // on
    for (int i = 0; i < 4; ++i)
        button(QStringLiteral("forward"))->click();

    // The screenshots rule belongs to the Desktop, which was never chosen: not stored.
    const QString downloads = view->downloads()->displayPath;
    const QStringList rules = storedRules();
    EXPECT_EQ(rules.size(), 2);
    for (const QString &rule : rules)
        EXPECT_TRUE(rule.endsWith(QStringLiteral(" @ ") + downloads)) << rule.toStdString();
    EXPECT_TRUE(Prefs::boolValue(QStringLiteral("onboarded")));
    EXPECT_EQ(view->result(), QDialog::Accepted);

    // A second run stores the chosen rules again beside the first ones.
    open();
    for (int i = 0; i < 4; ++i)
        button(QStringLiteral("forward"))->click();
    EXPECT_EQ(storedRules().size(), 4);
}

TEST_F(OnboardingViewTest, OnAGermanDesktopTheRowsAndRulesUseItsOwnFolders)
{
    const TestSupport::ScopedUserDirs german(TestSupport::ScopedUserDirs::german());
    addFolder(QStringLiteral("a/Desktop"));
    const WatchedFolder schreibtisch = addFolder(QStringLiteral("Schreibtisch"));
    open();
    ASSERT_TRUE(view->desktop());
    EXPECT_EQ(view->desktop()->uuid, schreibtisch.uuid);
    EXPECT_EQ(rowButton("desktopRow")->text(), QStringLiteral("Change…"));
    EXPECT_TRUE(toggle("screenshots")->isEnabled());

    // The rules' sentences name the folders the desktop has.
    QStringList sentences;
    for (const QLabel *label : view->findChildren<QLabel *>())
        sentences.append(label->text());
    EXPECT_TRUE(sentences.contains(QStringLiteral(
        "When a new file arrives in Schreibtisch and the type is screenshot, then move it to ~/Bilder/Screenshots/{jahr}-{monat}.")))
        << sentences.join(u'\n').toStdString();
    EXPECT_EQ(sentences.filter(QStringLiteral("~/Dokumente/")).size(), 3); // receipts, letters, finance
    EXPECT_TRUE(sentences.filter(QStringLiteral("~/Documents")).isEmpty());

    // Choosing the Desktop row starts in the desktop's own folder.
    QString suggested;
    model->setFolderChooser([&](bool, const QString &start) {
        suggested = start;
        return QString();
    });
    rowButton("desktopRow")->click();
    EXPECT_EQ(suggested, RealHome::path() + QStringLiteral("/Schreibtisch"));
}

TEST_F(OnboardingViewTest, AClickOnAStarterRulesTextSwitchesItAndItsNameIsTheRulesName)
{
    addFolder(QStringLiteral("a/Downloads"));
    open();
    button(QStringLiteral("forward"))->click();
    button(QStringLiteral("forward"))->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    // The Desktop was not chosen: its rule's text takes no click.
    const struct
    {
        const char *id;
        const char *text;
        bool switches;
    } cases[] = {{"receipts", "name", true}, {"installers", "sentence", true}, {"screenshots", "name", false}};
    for (const auto &c : cases) {
        QCheckBox *box = toggle(c.id);
        ASSERT_NE(box, nullptr) << c.id;
        const bool before = box->isChecked();
        QLabel *text = box->findChild<QLabel *>(QString::fromLatin1(c.text));
        ASSERT_TRUE(text && text->isVisible()) << c.id;
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(4, text->height() / 2));
        EXPECT_EQ(box->isChecked(), before != c.switches) << c.id;
        EXPECT_EQ(view->templates().contains(QString::fromLatin1(c.id)), box->isChecked()) << c.id;

        QAccessibleInterface *readable = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(readable, nullptr) << c.id;
        EXPECT_EQ(readable->role(), QAccessible::CheckBox) << c.id;
        const auto templates = RuleTemplates::all(Prefs::nameTemplate().language);
        const auto entry = std::find_if(templates.begin(), templates.end(),
                                        [&c](const RuleTemplates::Template &t) { return t.id == QLatin1String(c.id); });
        ASSERT_NE(entry, templates.end()) << c.id;
        EXPECT_EQ(readable->text(QAccessible::Name), entry->rule.name) << c.id;
        EXPECT_EQ(readable->text(QAccessible::Description), box->findChild<QLabel *>(QStringLiteral("sentence"))->text())
            << c.id;
        EXPECT_FALSE(readable->text(QAccessible::Description).isEmpty()) << c.id;
    }
}
