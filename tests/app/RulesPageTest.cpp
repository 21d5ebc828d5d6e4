// The rules page and its cards over a store of the test's own: cards follow
// the stored order and state, and every card action reaches the store or
// the AppModel.
#include "DescribeRuleField.h"
#include "DesktopLook.h"
#include "DryRunView.h"
#include "EmptyStateView.h"
#include "FocusRing.h"
#include "RuleCard.h"
#include "RuleEditorFixture.h"
#include "Roles.h"
#include "RulesPage.h"
#include "Chip.h"
#include "MainWindow.h"
#include "ToggleSwitch.h"
#include "WrappedLabel.h"
#include "WindowPictures.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSemaphore>
#include <QtTest/QTest>

using namespace Qt::StringLiterals;

class RulesPageTest : public RuleEditorFixture
{
protected:
    StoredRule store(const Rule &rule, std::optional<QUuid> folderID, qint64 order)
    {
        StoredRule stored(rule, folderID, order);
        model->store().insert(stored);
        return stored;
    }

    static QStringList names(const RulesPage &page)
    {
        QStringList result;
        for (const RuleCard *card : page.cards())
            result.append(card->stored().rule().name);
        return result;
    }

    static void trigger(RuleCard *card, const QString &item)
    {
        std::unique_ptr<QMenu> menu(card->makeMenu(nullptr));
        for (QAction *action : menu->actions()) {
            if (action->text() == item)
                return action->trigger();
        }
        ADD_FAILURE() << "no menu item " << item.toStdString();
    }

    static Condition kindIs(const QString &kind)
    {
        return {QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is, kind};
    }
    static RuleAction moveTo(const QString &value)
    {
        return {QUuid::createUuid(), RuleAction::Kind::move, value};
    }

    // The card in a window, as the page's column shows it: as wide as
    // given and as tall as it needs at that width.
    static void show(QWidget &window, RuleCard &card, int width)
    {
        window.resize(width, 800);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        DesktopLook::settle();
        card.setGeometry(0, 0, width, card.heightForWidth(width));
        DesktopLook::settle();
    }

    // The room round a card's content.
    static constexpr int padding = 16;

    // A pixel of drawn text, or of its edge, on a ground.
    static bool differs(const QColor &pixel, const QColor &ground) { return FocusRing::contrast(pixel, ground) >= 1.3; }

    // The size of a label's text as the label draws it in its contents.
    static QSize drawnSize(const QLabel &label)
    {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs | (label.wordWrap() ? Qt::TextWordWrap : 0);
        const QRect room(0, 0, label.contentsRect().width(), QWIDGETSIZE_MAX);
        return label.fontMetrics().boundingRect(room, flags, label.text()).size();
    }
};

TEST_F(RulesPageTest, CardsFollowTheStoredOrderAndShowEachRulesState)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Documents"), false);
    Rule invoices = rule(QStringLiteral("Invoices"), {kindIs(QStringLiteral("invoice"))},
                         {moveTo(QStringLiteral("~/Documents/{jahr}"))});
    invoices.isEnabled = true;
    const Rule lost = rule(QStringLiteral("Lost"), {},
                           {moveTo(QStringLiteral("~/Archive/{jahr}")), moveTo(QStringLiteral("~/Mail/{jahr}")),
                            moveTo(QStringLiteral("~/Archive/{monat}"))});
    const Rule pdfs = rule(QStringLiteral("PDFs"), {}, {});
    store(lost, std::nullopt, 2);
    store(invoices, downloads.uuid, 0);
    store(pdfs, downloads.uuid, 1);

    RulesPage page(*model);
    EXPECT_TRUE(page.emptyState()->isHidden());
    ASSERT_EQ(names(page), (QStringList{QStringLiteral("Invoices"), QStringLiteral("PDFs"), QStringLiteral("Lost")}));
    RuleCard *first = page.cards().at(0);
    RuleCard *last = page.cards().at(2);
    EXPECT_EQ(first->sentence(), model->sentence(invoices, downloads.uuid));
    EXPECT_EQ(first->findChild<Chip *>()->text(), QStringLiteral("Downloads"));
    EXPECT_TRUE(first->enabledSwitch()->isChecked());
    EXPECT_EQ(first->enabledSwitch()->toolTip(), QStringLiteral("Turn this rule off"));
    EXPECT_EQ(first->notes(),
              QStringList{QStringLiteral("Paused: this rule reads file content and needs the local language model.")});
    EXPECT_TRUE(first->dryRunButton()->isEnabled());

    EXPECT_EQ(last->findChild<Chip *>()->text(), QStringLiteral("No folder"));
    EXPECT_FALSE(last->dryRunButton()->isEnabled());
    EXPECT_EQ(last->enabledSwitch()->toolTip(), QStringLiteral("Turn this rule on"));
    EXPECT_EQ(last->sentence(), model->sentence(lost, std::nullopt));
    EXPECT_EQ(last->notes(), QStringList{QStringLiteral("Needs access to ~/Archive, ~/Mail.")});
    // Tab reaches the note's button before the card's own buttons, as they stand.
    QStringList order;
    for (QWidget *at = page.nextInFocusChain(); at != &page; at = at->nextInFocusChain()) {
        if (last->isAncestorOf(at) && (at->focusPolicy() & Qt::TabFocus) && at->isVisibleTo(last))
            order.append(at->objectName());
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("enabled"), QStringLiteral("allow"), QStringLiteral("edit"),
                                  QStringLiteral("dryRun")}));

    // The switch writes at once; the card shows what the store holds.
    first->enabledSwitch()->click();
    EXPECT_FALSE(model->store().rule(invoices.id)->rule().isEnabled);
    QCoreApplication::processEvents();
    EXPECT_FALSE(first->enabledSwitch()->isChecked());
    EXPECT_EQ(first->enabledSwitch()->toolTip(), QStringLiteral("Turn this rule on"));

    // Moving past either end changes nothing; a move reorders the same cards.
    trigger(first, QStringLiteral("Move Up"));
    trigger(last, QStringLiteral("Move Down"));
    QCoreApplication::processEvents();
    EXPECT_EQ(page.cards(), (QList<RuleCard *>{first, page.cards().at(1), last}));
    trigger(last, QStringLiteral("Move Up"));
    QCoreApplication::processEvents();
    EXPECT_EQ(names(page), (QStringList{QStringLiteral("Invoices"), QStringLiteral("Lost"), QStringLiteral("PDFs")}));
    EXPECT_EQ(page.cards().at(1), last);
}

// The note that a rule needs access takes the width of its text, with
// "Allow…" 8 after it, not at the card's far edge; on a narrow card the note
// wraps, and the button stands 8 after its widest line as drawn.
TEST_F(RulesPageTest, AllowStandsRightAfterTheNoteOfMissingAccess)
{
    const StoredRule lost = store(rule(QStringLiteral("Lost"), {},
                                       {moveTo(QStringLiteral("~/Archive/{jahr}")),
                                        moveTo(QStringLiteral("~/Steuerunterlagen/Versicherungen"))}),
                                  std::nullopt, 0);
    for (const auto &[style, points, width] :
         {std::tuple{u"Fusion"_s, 11.0, 880}, {u"Fusion"_s, 11.0, 310}, {u"Adwaita-Dark"_s, 13.0, 880},
          {u"Adwaita-Dark"_s, 13.0, 360}}) {
        SCOPED_TRACE(style.toStdString() + " " + std::to_string(points) + " pt, " + std::to_string(width) + " px");
        const DesktopLook look(style, points);
        ASSERT_TRUE(look.isAvailable());
        QWidget window;
        auto *card = new RuleCard(*model, lost, &window);
        ASSERT_NO_FATAL_FAILURE(show(window, *card, width));
        ASSERT_EQ(card->notes(),
                  QStringList{QStringLiteral("Needs access to ~/Archive, ~/Steuerunterlagen/Versicherungen.")});
        const auto *allow = card->findChild<QPushButton *>(QStringLiteral("allow"));
        ASSERT_NE(allow, nullptr);
        const QWidget *row = allow->parentWidget();
        const QLabel *note = nullptr;
        for (const QLabel *label : row->findChildren<QLabel *>()) {
            if (label->text() == card->notes().constFirst())
                note = label;
        }
        ASSERT_NE(note, nullptr);

        // The note's text as drawn: the rightmost column of its lines that
        // differs from the card.
        const QImage picture = card->grab().toImage();
        const QColor ground = picture.pixelColor(padding / 2, padding / 2);
        const QRect text(note->mapTo(card, QPoint(0, 0)), note->size());
        const int button = allow->mapTo(card, QPoint(0, 0)).x();
        int drawn = -1;
        for (int x = button - 1; x >= text.left() && drawn < 0; --x) {
            for (int y = text.top(); y <= text.bottom(); ++y) {
                if (differs(picture.pixelColor(x, y), ground))
                    drawn = x;
            }
        }
        ASSERT_GE(drawn, text.left());
        // The last glyph's ink ends a little before its advance.
        EXPECT_GE(button - drawn - 1, 8);
        EXPECT_LE(button - drawn - 1, 8 + 3);
        EXPECT_LE(allow->geometry().right(), row->width() - 1);
        const int oneLine = note->heightForWidth(QWIDGETSIZE_MAX);
        if (width > 500) {
            EXPECT_EQ(note->heightForWidth(note->width()), oneLine);
        } else {
            EXPECT_GT(note->heightForWidth(note->width()), oneLine);
        }
    }
}

// A rule's name is shown whole on its card: a long one wraps over further
// lines inside the card, the folder chip stands 8 after its widest line and
// the switch at the card's end, both level with its first line.
TEST_F(RulesPageTest, ARulesNameIsShownWholeOnItsCard)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const QString longName = u"Rechnungen der Stadtwerke mit allen Belegen, Bedingungen und Anlagen"_s;
    ASSERT_GE(longName.size(), 68);
    for (const auto &[style, name] : {std::pair{u"Fusion"_s, longName}, {u"Adwaita-Dark"_s, longName},
                                      {u"Fusion"_s, u"Receipts"_s}}) {
        SCOPED_TRACE(style.toStdString() + ", " + name.toStdString());
        const DesktopLook look(style, 13);
        ASSERT_TRUE(look.isAvailable());
        const StoredRule stored = store(rule(name, {}, {}), downloads.uuid, 0);
        QWidget window;
        auto *card = new RuleCard(*model, stored, &window);
        ASSERT_NO_FATAL_FAILURE(show(window, *card, 640));

        const auto *label = card->findChild<QLabel *>(QStringLiteral("name"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), name);
        const QSize drawn = drawnSize(*label);
        EXPECT_LE(drawn.width(), label->contentsRect().width());
        EXPECT_LE(drawn.height(), label->contentsRect().height());
        // The label centres its lines in its height.
        const QRect contents = label->contentsRect();
        const QPoint topLeft(contents.left(), contents.top() + (contents.height() - drawn.height()) / 2);
        const QRect text(label->mapTo(card, topLeft), drawn);
        EXPECT_TRUE(card->rect().marginsRemoved(QMargins(padding, padding, padding, padding)).contains(text));
        if (name == longName) {
            EXPECT_GT(drawn.height(), label->fontMetrics().height());
        }

        const QWidget *chip = card->findChild<Chip *>();
        const QWidget *toggle = card->enabledSwitch();
        EXPECT_EQ(chip->x() - text.right() - 1, 8);
        EXPECT_EQ(toggle->geometry().right(), card->width() - padding - 1);
        const int firstLine = text.top() + label->fontMetrics().height() / 2;
        EXPECT_NEAR(chip->geometry().center().y(), firstLine, 1);
        EXPECT_NEAR(toggle->geometry().center().y(), firstLine, 1);
        model->store().remove(stored);
    }
}

// A card made in one look and shown in another: the symbol beside each note
// (paused, missing access) is drawn in the dimmed colour of the look shown,
// as the note's text is, not in the one of the moment the card was made.
TEST_F(RulesPageTest, ANotesSymbolTakesTheLookChosenAfterTheCardWasMade)
{
    const Rule paused = rule(QStringLiteral("Invoices"), {kindIs(QStringLiteral("invoice"))},
                             {moveTo(QStringLiteral("~/Nowhere/{jahr}"))});
    store(paused, std::nullopt, 0);
    struct Restore
    {
        const QPalette palette = QApplication::palette();
        ~Restore() { QApplication::setPalette(palette); }
    } restore;
    const struct
    {
        const char *name;
        Appearance::Mode made, shown;
    } cases[] = {{"light, then dark", Appearance::Mode::light, Appearance::Mode::dark},
                 {"dark, then light", Appearance::Mode::dark, Appearance::Mode::light}};
    for (const auto &[name, made, shown] : cases) {
        SCOPED_TRACE(name);
        QApplication::setPalette(Appearance::palette(made));
        RulesPage page(*model);
        ASSERT_EQ(page.cards().size(), 1);
        RuleCard *card = page.cards().constFirst();
        ASSERT_EQ(card->notes().size(), 2);
        QApplication::setPalette(Appearance::palette(shown));
        QCoreApplication::processEvents();
        const QColor wanted = Roles::secondary(card->palette());
        int symbols = 0;
        for (const WrappedLabel *text : card->findChildren<WrappedLabel *>()) {
            // The symbol stands before the note's text in the note's row.
            const auto beside = text->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
            for (const QLabel *symbol : beside) {
                const QImage picture = symbol->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
                if (symbol == text || picture.isNull())
                    continue;
                ++symbols;
                // Its most opaque pixel carries the colour it was tinted with.
                QColor ink = Qt::transparent;
                for (int y = 0; y < picture.height(); ++y) {
                    for (int x = 0; x < picture.width(); ++x) {
                        const QColor pixel = picture.pixelColor(x, y);
                        if (pixel.alpha() > ink.alpha())
                            ink = pixel;
                    }
                }
                EXPECT_LE(std::abs(ink.red() - wanted.red()) + std::abs(ink.green() - wanted.green())
                              + std::abs(ink.blue() - wanted.blue()),
                          6)
                    << text->text().toStdString() << ": " << ink.name().toStdString() << " where "
                    << wanted.name().toStdString() << " was wanted";
            }
        }
        EXPECT_EQ(symbols, 2);
    }
}

TEST_F(RulesPageTest, EditDryRunAndDeleteFromTheCard)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const StoredRule kept = store(rule(QStringLiteral("Kept"), {}, {}), downloads.uuid, 0);
    const StoredRule loose = store(rule(QStringLiteral("Loose"), {}, {}), std::nullopt, 1);
    RulesPage page(*model);
    RuleCard *card = page.cards().at(0);

    QTest::mouseClick(card, Qt::LeftButton);
    EXPECT_FALSE(model->editing());
    QTest::mouseDClick(card, Qt::LeftButton);
    ASSERT_TRUE(model->editing());
    EXPECT_EQ(model->editing()->rule.id, kept.uuid);
    EXPECT_FALSE(model->editing()->isNew);
    const QUuid firstEdit = model->editing()->id;
    card->editButton()->click();
    EXPECT_NE(model->editing()->id, firstEdit);

    // Each dry run is a fresh sheet; a rule without a folder still gets one.
    card->dryRunButton()->click();
    ASSERT_NE(page.dryRun(), nullptr);
    EXPECT_EQ(page.dryRun()->request().folderID, downloads.uuid);
    const QUuid firstRun = page.dryRun()->request().id;
    trigger(page.cards().at(1), QStringLiteral("Dry Run…"));
    ASSERT_NE(page.dryRun(), nullptr);
    EXPECT_NE(page.dryRun()->request().id, firstRun);
    EXPECT_EQ(page.dryRun()->request().rule.id, loose.uuid);
    EXPECT_FALSE(page.dryRun()->request().folderID);
    page.dryRun()->reject();

    // Deleting asks nothing: the rule is gone from the store at once.
    trigger(card, QStringLiteral("Delete Rule"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(model->store().rule(kept.uuid));
    EXPECT_TRUE(model->store().rule(loose.uuid));
    QCoreApplication::processEvents();
    EXPECT_EQ(names(page), QStringList{QStringLiteral("Loose")});
}

TEST_F(RulesPageTest, ALongListJoinsInOrderAndTheEmptyStateShowsWithoutRules)
{
    {
        for (int i = 0; i < 30; ++i)
            store(rule(QStringLiteral("Rule %1").arg(i), {}, {}), std::nullopt, 29 - i);
        RulesPage page(*model);
        EXPECT_FALSE(page.cards().isEmpty());
        EXPECT_TRUE(QTest::qWaitFor([&] { return page.cards().size() == 30; }));
        ASSERT_EQ(page.cards().size(), 30);
        EXPECT_EQ(names(page).constFirst(), QStringLiteral("Rule 29"));
        EXPECT_EQ(names(page).constLast(), QStringLiteral("Rule 0"));
        for (const StoredRule &stored : model->store().rules())
            model->store().remove(stored);
    }
    RulesPage page(*model);
    EXPECT_TRUE(page.cards().isEmpty());
    EXPECT_FALSE(page.emptyState()->isHidden());
    EXPECT_EQ(page.emptyState()->title(), QStringLiteral("No Rules"));
    ASSERT_EQ(page.actions().size(), 1);
    page.actions().constFirst()->trigger();
    ASSERT_TRUE(model->editing());
    EXPECT_TRUE(model->editing()->isNew);
}

TEST_F(RulesPageTest, ALongListShowsTheCardsInViewStackedFollowsScrollingAndKeepsTheFocusedCard)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    for (int i = 0; i < 60; ++i)
        store(rule(QStringLiteral("Rule %1").arg(i), {}, {}), downloads.uuid, i);
    RulesPage page(*model);
    page.resize(700, 500);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.cards().size() == 60; }));
    ASSERT_EQ(page.cards().size(), 60);
    QCoreApplication::processEvents();
    const QList<RuleCard *> cards = page.cards();
    const auto stacked = [&cards] {
        for (qsizetype i = 0; i < cards.size(); ++i) {
            const RuleCard *card = cards.at(i);
            // A card in view is as tall as its content.
            if (card->isVisible() && card->height() != card->heightForWidth(card->width()))
                return false;
            if (i > 0 && card->y() <= cards.at(i - 1)->geometry().bottom())
                return false;
        }
        return true;
    };
    // (Cards below the view may still be measured in the next turns.)
    EXPECT_TRUE(QTest::qWaitFor(stacked));
    // Only the cards in and near the view are shown.
    EXPECT_TRUE(cards.constFirst()->isVisible());
    EXPECT_TRUE(cards.constLast()->isHidden());

    // The first card keeps the focus while the view moves to the end.
    cards.constFirst()->editButton()->setFocus();
    QScrollBar *bar = page.findChild<QScrollArea *>()->verticalScrollBar();
    // (The range may still grow while the last measurements come in.)
    EXPECT_TRUE(QTest::qWaitFor([&] {
        bar->setValue(bar->maximum());
        return cards.constLast()->isVisible();
    }));
    EXPECT_TRUE(cards.at(1)->isHidden());
    EXPECT_TRUE(cards.constFirst()->isVisible());
    EXPECT_TRUE(cards.constFirst()->editButton()->hasFocus());
    EXPECT_EQ(bar->value(), bar->maximum());

    // A card that grows pushes the ones below it down, also while hidden;
    // the view stays where the user scrolled it, away from the focus.
    EXPECT_TRUE(cards.at(30)->isHidden());
    const int scrolledTo = bar->value();
    for (int changed : {0, 30, 58}) {
        StoredRule stored = model->store().rules().at(changed);
        Rule longer = stored.rule();
        longer.conditions = {kindIs(QStringLiteral("invoice")), kindIs(QStringLiteral("receipt"))};
        longer.actions = {moveTo(QStringLiteral("~/Documents/Invoices/{jahr}/{monat}")),
                          moveTo(QStringLiteral("~/Archive/Invoices/{jahr}"))};
        stored.setRule(longer);
        ASSERT_TRUE(model->store().update(stored));
    }
    const int before = cards.at(58)->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return cards.at(58)->height() > before && stacked(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), scrolledTo);
    bar->setValue(cards.at(30)->y());
    QCoreApplication::processEvents();
    EXPECT_TRUE(cards.at(30)->isVisible());
    EXPECT_TRUE(QTest::qWaitFor(stacked));
}

TEST_F(RulesPageTest, TheRulesPageIsKeptAndARuleBeingDraftedGoesOnWhenThePageIsLeft)
{
    useModel();
    store(rule(QStringLiteral("Kept"), {}, {}), std::nullopt, 0);
    MainWindow window(*model);
    model->setSidebar(SidebarItem::rules);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *page = qobject_cast<RulesPage *>(window.currentPage());
    ASSERT_NE(page, nullptr);
    RuleCard *card = page->cards().constFirst();

    // The model answers only when the test lets it.
    QSemaphore answer;
    page->describeField()->setDrafter([&answer](const QString &sentence, std::stop_token) {
        answer.acquire();
        return rule(sentence, {}, {moveTo(QStringLiteral("~/Documents"))});
    });
    const auto draftAndLeave = [&](const QString &sentence) {
        page->describeField()->lineEdit()->setText(sentence);
        page->describeField()->draft();
        EXPECT_TRUE(page->describeField()->isWorking());
        model->setSidebar(SidebarItem::journal);
        EXPECT_EQ(window.currentPage()->objectName(), QStringLiteral("journalPage"));
        QCoreApplication::processEvents();
        EXPECT_TRUE(page->describeField()->isWorking());
    };

    // Its result opens the editor over the page the user went to.
    draftAndLeave(QStringLiteral("Scans"));
    answer.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->editing().has_value(); }, 20000));
    EXPECT_EQ(model->editing()->rule.name, QStringLiteral("Scans"));
    EXPECT_TRUE(model->editing()->isNew);
    ASSERT_NE(window.ruleEditor(), nullptr);
    EXPECT_TRUE(window.ruleEditor()->isVisible());
    EXPECT_TRUE(page->describeField()->text().isEmpty());
    window.ruleEditor()->reject();

    // Back on the page: the same page and cards, not built again.
    model->setSidebar(SidebarItem::rules);
    EXPECT_EQ(window.currentPage(), page);
    EXPECT_EQ(page->cards().constFirst(), card);
    EXPECT_TRUE(page->isVisible());

    // With another editor open the draft waits for it to close.
    draftAndLeave(QStringLiteral("Letters"));
    model->newRule();
    const QUuid open = model->editing()->id;
    answer.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->describeField()->isWorking(); }, 20000));
    EXPECT_EQ(model->editing()->id, open);
    window.ruleEditor()->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->editing().has_value(); }, 5000));
    EXPECT_EQ(model->editing()->rule.name, QStringLiteral("Letters"));
}

TEST_F(RulesPageTest, TheDryRunSheetShowsTheRealFilesOfTheRulesFolderInLightAndDark)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    for (const QString &name : {QStringLiteral("a.pdf"), QStringLiteral("b.txt"), QStringLiteral("c.dmg")}) {
        QFile file(downloads.displayPath + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("demo");
    }
    Rule pdfs = rule(QStringLiteral("PDFs"), {condition(Field::fileType, Op::is, QStringLiteral("pdf"))},
                     {moveTo(QStringLiteral("~/Documents"))});
    pdfs.isEnabled = true;
    const StoredRule stored = store(pdfs, downloads.uuid, 0);
    RulesPage page(*model);
    page.show();

    page.cards().constFirst()->dryRunButton()->click();
    ASSERT_NE(page.dryRun(), nullptr);
    EXPECT_TRUE(page.dryRun()->isVisible());
    EXPECT_EQ(page.dryRun()->request().rule.id, stored.uuid);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.dryRun() && !page.dryRun()->isRunning(); }, 10000));
    QStringList files;
    int matched = 0;
    for (const DryRunRow &row : page.dryRun()->rows()) {
        files.append(QFileInfo(row.file).fileName());
        matched += row.plan ? 1 : 0;
    }
    files.sort();
    EXPECT_EQ(files, (QStringList{QStringLiteral("a.pdf"), QStringLiteral("b.txt"), QStringLiteral("c.dmg")}));
    EXPECT_EQ(matched, 1);

    WindowPictures::expectLightAndDark(*page.dryRun(), QStringLiteral("sheet-dry-run"));

    page.dryRun()->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.dryRun() == nullptr; }, 2000));
}
