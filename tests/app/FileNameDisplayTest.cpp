// File names that hold control characters, quotes and 255 bytes, as the
// windows show them: on one line, with a visible symbol for each control
// character, cut to the room there is, and never widening their window.
#include "Autopilot.h"
#include "Chip.h"
#include "CommandPalette.h"
#include "DryRunView.h"
#include "FileNameLabel.h"
#include "FileNameText.h"
#include "FileReadiness.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "Planner.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ReviewSheet.h"
#include "RuleCard.h"
#include "TestSupport.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// 255 bytes in UTF-8, the most a name may hold here: quotes, a newline, a
// tab and umlauts.
QString longestName()
{
    QString name = QStringLiteral("Rechnung \u201ENordlicht\u201C \"Hosting\"\nzweite Zeile\tÄÖÜ ");
    while (name.toUtf8().size() < 255 - 4)
        name.append(u'x');
    return name + QStringLiteral(".pdf");
}

bool oneVisibleLine(const QString &text)
{
    return !text.contains(u'\n') && !text.contains(u'\t') && !text.contains(u'\r');
}

} // namespace

TEST(FileNameTextTest, ControlCharactersShowAsOneSymbolAndLongNamesAreCutInTheMiddle)
{
    // Every character that breaks a line or turns the text around becomes U+FFFD.
    EXPECT_EQ(FileNameText::oneLine(QStringLiteral("a\nb\tc\rd\u007Fe\u0085f\u2028g\u202Eh\u2066i")),
              QStringLiteral("a\uFFFDb\uFFFDc\uFFFDd\uFFFDe\uFFFDf\uFFFDg\uFFFDh\uFFFDi"));
    // Letters, quotes, umlauts and pairs beyond the first plane stay.
    const QString plain = QStringLiteral("Ä \u201Eq\u201C \"r\" \U0001F4C4.pdf");
    EXPECT_EQ(FileNameText::oneLine(plain), plain);
    EXPECT_EQ(FileNameText::oneLine(QString(QChar(0xD800)) + u'x'), QStringLiteral("\uFFFDx"));

    const QString name = longestName();
    const QString cut = FileNameText::shortened(name);
    EXPECT_EQ(cut.size(), 64);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("Rechnung \u201ENordlicht\u201C \"Hosting\"\uFFFD\u2026x"))) << cut.toStdString();
    EXPECT_TRUE(cut.endsWith(QStringLiteral("\u2026xxxxxxxxxxxxxxxxxxxxxxxxxxxx.pdf"))) << cut.toStdString();
    EXPECT_EQ(FileNameText::shortened(QStringLiteral("short.pdf")), QStringLiteral("short.pdf"));
    // A cut never splits a pair: the symbol before or after it stays whole.
    const QString pictures = QString(40, u'a') + QStringLiteral("\U0001F4C4\U0001F4C4") + QString(40, u'b');
    for (int characters = 60; characters < 70; ++characters) {
        const QString shortened = FileNameText::shortened(pictures, characters);
        EXPECT_TRUE(shortened.isValidUtf16()) << characters;
        EXPECT_LE(shortened.size(), characters);
    }
    EXPECT_EQ(FileNameText::path(QStringLiteral("~/Belege/") + name),
              QStringLiteral("~/Belege/") + FileNameText::shortened(name, 48));

    // The label asks for no more room than a usual name and cuts to what it gets.
    FileNameLabel label(name);
    EXPECT_LT(label.sizeHint().width(), label.fontMetrics().averageCharWidth() * 41);
    label.resize(200, label.sizeHint().height());
    label.show();
    EXPECT_EQ(label.text(), FileNameText::oneLine(name));
    EXPECT_EQ(label.toolTip(), FileNameText::oneLine(name));
    EXPECT_TRUE(label.shownText().contains(QChar(0x2026)));
    EXPECT_TRUE(label.shownText().endsWith(QStringLiteral(".pdf")));
    EXPECT_LE(label.fontMetrics().horizontalAdvance(label.shownText()), 200);
}

class FileNameDisplayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("en"));
        home = RealHome::path();
        for (const char *folder : {"Inbox", "Sorted"}) {
            QDir(home + u'/' + QLatin1String(folder)).removeRecursively();
            QDir(home).mkpath(QLatin1String(folder));
        }
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("names.store"))));
        inbox = *model->autopilot().addFolder(home + QStringLiteral("/Inbox"), true);
        model->autopilot().addFolder(home + QStringLiteral("/Sorted"), false);
        file = home + QStringLiteral("/Inbox/") + longestName();
        ASSERT_TRUE(TestSupport::writeFile(file, "%PDF Rechnung"));
        rule = Rule{QUuid::createUuid(), QStringLiteral("Invoices"),
                    {Condition{QUuid::createUuid(), Condition::Field::name, Condition::Operator::endsWith,
                               QStringLiteral(".pdf")}},
                    {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Sorted")}},
                    true, std::nullopt};
    }

    // The file waits in the journal for review under the rule.
    JournalEntry waiting()
    {
        StoredRule stored(rule, inbox.uuid, 1);
        EXPECT_TRUE(model->store().insert(stored));
        Recognition read;
        read.kind = DocumentKind::invoice;
        read.sender = QStringLiteral("Nordlicht");
        read.confidence = 0.4;
        read.readAt = QDateTime::currentDateTimeUtc();
        const Plan plan = Planner::plan(rule, FileFacts::read(file, read, std::nullopt, QDateTime::currentDateTimeUtc()),
                                        Prefs::nameTemplate(), home);
        JournalEntry entry(stored.uuid, rule.name, file, plan.destination, JournalEntry::Status::review);
        entry.setRecognition(read);
        entry.setPlan(plan);
        entry.fileID = FileReadiness::identifier(file);
        EXPECT_TRUE(model->store().insert(entry));
        return entry;
    }

    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    QString home;
    QString file;
    Rule rule;
    std::unique_ptr<AppModel> model;
    WatchedFolder inbox;
};

TEST_F(FileNameDisplayTest, JournalReviewSheetAndPanelShowTheNameOnOneLineWithinTheirWindow)
{
    const JournalEntry entry = waiting();
    model->setSidebar(SidebarItem::journal);
    MainWindow window(*model);
    window.resize(900, 600);
    window.show();
    auto *page = qobject_cast<JournalPage *>(window.currentPage());
    ASSERT_NE(page, nullptr);
    const JournalRow *row = page->journal().entry(page->journal().rowOf(entry.id));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(oneVisibleLine(row->title));
    EXPECT_TRUE(row->title.contains(QChar(0xFFFD)));
    EXPECT_TRUE(oneVisibleLine(row->detail));
    EXPECT_LT(row->detail.size(), 120) << row->detail.toStdString();

    page->review(entry.id);
    ReviewSheet *sheet = page->reviewSheet();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    EXPECT_LE(sheet->QWidget::width(), window.width());
    EXPECT_TRUE(oneVisibleLine(sheet->windowTitle()));
    EXPECT_LE(sheet->windowTitle().size(), 64);
    const auto *name = sheet->findChild<FileNameLabel *>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->name(), longestName());
    EXPECT_TRUE(oneVisibleLine(name->shownText()));
    EXPECT_TRUE(name->shownText().contains(QChar(0x2026)));
    EXPECT_LE(name->mapTo(sheet, QPoint(name->QWidget::width(), 0)).x(), sheet->QWidget::width());
    sheet->reject();

    MenuBarPanel panel(*model, [] {});
    panel.show();
    const QWidget *entryRow = panel.findChild<QWidget *>(QStringLiteral("entryRow"));
    ASSERT_NE(entryRow, nullptr);
    const auto *panelName = entryRow->findChild<QLabel *>(QStringLiteral("name"));
    ASSERT_NE(panelName, nullptr);
    EXPECT_TRUE(oneVisibleLine(panelName->text()));
    EXPECT_TRUE(oneVisibleLine(panelName->toolTip()));
    EXPECT_LE(panelName->mapTo(&panel, QPoint(panelName->width(), 0)).x(), panel.width());
}

TEST_F(FileNameDisplayTest, TheDryRunShowsTheNameAndItsPlaceWithoutAHorizontalScrollBar)
{
    DryRunView view(model->autopilot(), DryRunRequest{QUuid::createUuid(), rule, inbox.uuid});
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isRunning(); }, 20000));
    QCoreApplication::processEvents();
    ASSERT_EQ(view.rows().size(), 1);
    ASSERT_TRUE(view.rows().first().plan);
    const auto *name = view.findChild<FileNameLabel *>(QStringLiteral("name"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(oneVisibleLine(name->shownText()));
    EXPECT_TRUE(name->shownText().contains(QChar(0x2026)));
    const auto *state = view.findChild<QLabel *>(QStringLiteral("state"));
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(oneVisibleLine(state->text()));
    EXPECT_TRUE(state->text().startsWith(QStringLiteral("~/Sorted/"))) << state->text().toStdString();
    const auto *scroll = view.findChild<QScrollArea *>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());
}

TEST_F(FileNameDisplayTest, AFolderNameWithANewlineStaysOnOneLineOnRuleCardsAndInThePalette)
{
    const QString name = QStringLiteral("Scans\nvom Drucker");
    QDir(home).mkpath(name);
    const WatchedFolder scans = *model->autopilot().addFolder(home + u'/' + name, true);
    StoredRule stored(rule, scans.uuid, 1);
    ASSERT_TRUE(model->store().insert(stored));

    RuleCard card(*model, stored);
    EXPECT_EQ(card.sentence(), FileNameText::oneLine(model->sentence(rule, scans.uuid)));
    EXPECT_TRUE(card.sentence().contains(QStringLiteral("Scans\uFFFDvom Drucker")));
    const auto *chip = card.findChild<Chip *>();
    ASSERT_NE(chip, nullptr);
    EXPECT_TRUE(oneVisibleLine(chip->text()));

    CommandPalette palette(*model, [] {});
    bool found = false;
    for (const CommandPalette::Command &command : palette.commands()) {
        if (!command.id.startsWith(QStringLiteral("clean-")) || !command.title.contains(QStringLiteral("Scans")))
            continue;
        found = true;
        EXPECT_TRUE(oneVisibleLine(command.title));
        EXPECT_TRUE(oneVisibleLine(command.detail));
    }
    EXPECT_TRUE(found);
}
