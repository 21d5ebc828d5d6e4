// The command palette over a store of the test's own: its entries per
// source, the search, the keys, and what each kind of entry does once the
// palette has closed.
#include "CommandPalette.h"
#include "Diagnostics.h"
#include "Roles.h"
#include "RuleEditorFixture.h"
#include "ThemeStore.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QtTest/QTest>

class CommandPaletteTest : public RuleEditorFixture
{
protected:
    QStringList ids(const CommandPalette &palette) const
    {
        QStringList result;
        for (const int index : palette.matches())
            result.append(palette.commands().at(index).id);
        return result;
    }

    static QString text(const QUuid &uuid) { return uuid.toString(QUuid::WithoutBraces).toUpper(); }

    void type(CommandPalette &palette, const QString &query) { palette.searchField()->setText(query); }
    void key(CommandPalette &palette, Qt::Key key) { QTest::keyClick(palette.searchField(), key); }
};

TEST_F(CommandPaletteTest, EntriesPerSourceAndTheSearch)
{
    {
        CommandPalette empty(*model, {});
        EXPECT_EQ(ids(empty), (QStringList{"page-rules", "page-journal", "page-folders", "page-receipts", "new",
                                            "describe", "review", "folder", "settings", "diagnostics"}));
    }
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Archive"), false);
    const Rule invoices = rule(QStringLiteral("Invoices"), {}, {});
    StoredRule stored(invoices, std::nullopt, 0);
    model->store().insert(stored);

    CommandPalette palette(*model, {});
    const QStringList all = ids(palette);
    ASSERT_EQ(all.size(), 12);
    EXPECT_EQ(all.mid(7, 2), (QStringList{"clean-" + text(downloads.uuid), "rule-" + text(invoices.id)}));
    const CommandPalette::Command &clean = palette.commands().at(7);
    EXPECT_EQ(clean.title, QStringLiteral("Clean Up Downloads Now"));
    EXPECT_EQ(clean.detail, QStringLiteral("~/Downloads"));
    const CommandPalette::Command &edit = palette.commands().at(8);
    EXPECT_EQ(edit.title, QStringLiteral("Edit Rule “Invoices”"));
    EXPECT_EQ(edit.detail, model->sentence(invoices, std::nullopt));
    EXPECT_TRUE(edit.detail.contains(QStringLiteral("a folder")));

    type(palette, QStringLiteral("  go   rec "));
    EXPECT_EQ(ids(palette), QStringList{"page-receipts"});
    type(palette, QStringLiteral("NEW"));
    EXPECT_TRUE(ids(palette).contains("new"));
    type(palette, QStringLiteral("rule"));
    for (const char *id : {"page-rules", "new", "describe"})
        EXPECT_TRUE(ids(palette).contains(QLatin1String(id))) << id;
    EXPECT_TRUE(ids(palette).contains("rule-" + text(invoices.id)));
    type(palette, QStringLiteral("folder invoices")); // the sentence's "a folder", the title's name
    EXPECT_EQ(ids(palette), QStringList{"rule-" + text(invoices.id)});
    type(palette, QStringLiteral("~/down"));
    EXPECT_EQ(ids(palette), QStringList{"clean-" + text(downloads.uuid)});
    type(palette, QStringLiteral("go\trec")); // only spaces part words
    EXPECT_TRUE(ids(palette).isEmpty());
    EXPECT_TRUE(palette.showsNoMatches());

    // The list follows the store while the palette is open.
    model->store().remove(stored);
    type(palette, QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(ids(palette).size(), 11);
}

TEST_F(CommandPaletteTest, ArrowsMoveTheHighlightWithinTheMatches)
{
    CommandPalette palette(*model, {});
    EXPECT_EQ(palette.selected(), 0);
    key(palette, Qt::Key_Up);
    EXPECT_EQ(palette.selected(), 0);
    for (int i = 0; i < 12; ++i)
        key(palette, Qt::Key_Down);
    EXPECT_EQ(palette.selected(), 9);
    type(palette, QStringLiteral("go"));
    EXPECT_EQ(palette.selected(), 0);

    palette.open();
    type(palette, QStringLiteral("nothing like this"));
    key(palette, Qt::Key_Down);
    EXPECT_EQ(palette.selected(), -1);
    key(palette, Qt::Key_Return);
    EXPECT_TRUE(palette.isVisible());
    key(palette, Qt::Key_Up);
    EXPECT_EQ(palette.selected(), 0);
    key(palette, Qt::Key_Escape);
    EXPECT_FALSE(palette.isVisible());
    QTest::qWait(CommandPalette::runDelayMs + 50);
    EXPECT_FALSE(model->editing());
}

TEST_F(CommandPaletteTest, EachEntryRunsAfterThePaletteClosed)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    StoredRule stored(rule(QStringLiteral("Invoices"), {}, {}), downloads.uuid, 0);
    model->store().insert(stored);
    int settingsOpened = 0;
    // The entry runs once the palette has gone, on a timer that a busy
    // machine fires late: the test waits for what the entry does.
    const auto run = [&](const QString &query, const std::function<bool()> &done) {
        CommandPalette palette(*model, [&settingsOpened] { ++settingsOpened; });
        palette.open();
        type(palette, query);
        key(palette, Qt::Key_Return);
        EXPECT_FALSE(palette.isVisible()) << query.toStdString();
        EXPECT_TRUE(QTest::qWaitFor(done, 10000)) << query.toStdString();
    };

    run(QStringLiteral("go journal"), [&] { return model->sidebar() == SidebarItem::journal; });
    run(QStringLiteral("describe"), [&] { return model->describeFocus() == 1; });
    EXPECT_EQ(model->sidebar(), SidebarItem::rules);
    run(QStringLiteral("items to check"), [&] { return model->journalFilter() == AppModel::JournalFilter::review; });
    run(QStringLiteral("edit invoices"), [&] { return model->editing().has_value(); });
    ASSERT_TRUE(model->editing());
    EXPECT_EQ(model->editing()->rule.id, stored.uuid);
    EXPECT_EQ(model->sidebar(), SidebarItem::rules);
    run(QStringLiteral("settings"), [&] { return settingsOpened == 1; });
    run(QStringLiteral("clean up downloads"), [&] { return model->cleanUpResult().has_value(); });
    EXPECT_EQ(model->sidebar(), SidebarItem::journal);
    EXPECT_TRUE(model->cleanUpResult());

    // A click highlights the row and runs it.
    QApplication::clipboard()->setText(QStringLiteral("something else"));
    CommandPalette palette(*model, {});
    palette.open();
    type(palette, QStringLiteral("diagnostics"));
    QListView *list = palette.list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    EXPECT_FALSE(palette.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::clipboard()->text() == Diagnostics::text(*model); }));
    EXPECT_EQ(QApplication::clipboard()->text(), Diagnostics::text(*model));
}

TEST_F(CommandPaletteTest, EverySymbolIsDrawnInItsRowsColourWhateverTheAccent)
{
    folder(QStringLiteral("Downloads"));
    StoredRule stored(rule(QStringLiteral("Invoices"), {}, {}), std::nullopt, 0);
    model->store().insert(stored);
    // Whether every pixel that differs from the background lies between the
    // background and the colour (edges are blended), and enough of them are
    // the colour itself.
    const auto drawnIn = [](const QImage &image, const QRect &area, const QColor &background, const QColor &colour) {
        int solid = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const int channels[3][3] = {{background.red(), colour.red(), pixel.red()},
                                            {background.green(), colour.green(), pixel.green()},
                                            {background.blue(), colour.blue(), pixel.blue()}};
                int widest = 0;
                for (int c = 1; c < 3; ++c) {
                    if (std::abs(channels[c][1] - channels[c][0]) > std::abs(channels[widest][1] - channels[widest][0]))
                        widest = c;
                }
                const int span = channels[widest][1] - channels[widest][0];
                if (span == 0)
                    return false;
                const double share = double(channels[widest][2] - channels[widest][0]) / span;
                for (const auto &channel : channels) {
                    if (std::abs(channel[0] + share * (channel[1] - channel[0]) - channel[2]) > 14)
                        return false;
                }
                if (share > 0.9)
                    ++solid;
            }
        }
        return solid >= 6;
    };

    for (const QString &accent : {QStringLiteral("red"), QStringLiteral("yellow"), QStringLiteral("system")}) {
        ThemeStore::instance().setThemeID(accent);
        CommandPalette palette(*model, {});
        palette.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
        key(palette, Qt::Key_Down);
        ASSERT_EQ(palette.selected(), 1);
        QCoreApplication::processEvents();
        const Theme theme = ThemeStore::instance().theme();
        QListView *list = palette.list();
        const QImage image = list->viewport()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        ASSERT_EQ(list->model()->rowCount(), 12);
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QRect rect = list->visualRect(list->model()->index(row, 0));
            if (!list->viewport()->rect().contains(rect))
                continue; // rows scrolled out of view
            const QRect symbol(QRect(rect.left() + 16, rect.top() + 2, 20, rect.height() - 4).topLeft() * ratio,
                               QSize(20, rect.height() - 4) * ratio);
            const QColor background = image.pixelColor(QPoint(rect.left() + 12, rect.center().y()) * ratio);
            const QColor colour = row == 1 ? theme.onAccent() : theme.accentText(list->palette());
            EXPECT_TRUE(drawnIn(image, symbol, background, colour))
                << accent.toStdString() << " row " << row << " " << palette.commands().at(palette.matches().at(row)).symbol.toStdString();
        }
        const auto *glass = palette.findChild<QLabel *>(QStringLiteral("glass"));
        ASSERT_NE(glass, nullptr);
        const QImage drawn = glass->pixmap().toImage();
        ASSERT_FALSE(drawn.isNull());
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                const QColor secondary = Roles::secondary(glass->palette());
                if (pixel.alpha() > 128) {
                    ASSERT_LE(std::abs(pixel.red() - secondary.red()) + std::abs(pixel.green() - secondary.green())
                                  + std::abs(pixel.blue() - secondary.blue()),
                              6);
                }
            }
        }
    }
    ThemeStore::instance().setThemeID(QStringLiteral("system"));
}
