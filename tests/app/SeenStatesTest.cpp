// What the eye must be able to tell, measured in pictures of the windows as
// they are drawn: the journal filter's chosen segment from itself unchosen,
// a context menu from the window it opens over, every weekday name in the
// date field's calendar whole and readable, and the rules page unchanged by
// an accent and System chosen while the settings are in front. Light and
// dark, the program's own and desktops' palettes, in every accent theme.
#include "Appearance.h"
#include "DescribeRuleField.h"
#include "DesktopPalettes.h"
#include "FocusRingStyle.h"
#include "FocusRing.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "PictureColours.h"
#include "ReviewSheet.h"
#include "RuleCard.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"
#include "SettingsWindow.h"
#include "ThemeStore.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyleFactory>
#include <QTableView>
#include <QToolButton>
#include <QtTest/QTest>

#include <functional>

namespace {

// A dark palette as a desktop's dark theme gives it, darker and flatter
// than the program's own: a window of #242424, controls barely lighter.
QPalette desktopDark()
{
    QPalette dark(QColor(0x30, 0x30, 0x30), QColor(0x24, 0x24, 0x24));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(0xDE, 0xDE, 0xDE));
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    dark.setColor(QPalette::AlternateBase, QColor(0x27, 0x27, 0x27));
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xE4));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// The appearances every picture is taken in: each makes the application
// wear the program's style over Fusion with its palette.
struct Look
{
    const char *name;
    std::function<void()> set;

    // Sets the look; the widgets take the new palette as the events that
    // tell them arrive.
    void apply() const
    {
        set();
        QCoreApplication::processEvents();
    }
};

const Look looks[] = {
    {"light", [] { Appearance::apply(Appearance::Mode::light); }},
    {"dark", [] { Appearance::apply(Appearance::Mode::dark); }},
    {"desktop dark",
     [] {
         Appearance::apply(Appearance::Mode::light);
         QApplication::setPalette(desktopDark());
     }},
};

// The program's style with a desktop's palette.
Look desktopLook(const DesktopPalette &desktop)
{
    return {desktop.name, [palette = desktop.palette] {
                Appearance::apply(Appearance::Mode::light);
                QApplication::setPalette(palette);
            }};
}

// A colour as it shows over a ground.
QColor over(const QColor &colour, const QColor &ground)
{
    const auto mix = [alpha = colour.alphaF()](float a, float b) { return a * alpha + b * (1 - alpha); };
    return QColor::fromRgbF(mix(colour.redF(), ground.redF()), mix(colour.greenF(), ground.greenF()),
                            mix(colour.blueF(), ground.blueF()));
}

// The strongest contrast between two pictures of one place, pixel by pixel.
double strongestChange(const QImage &a, const QImage &b)
{
    double found = 1;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            found = std::max(found, FocusRing::contrast(a.pixelColor(x, y), b.pixelColor(x, y)));
    }
    return found;
}

// The weakest contrast of a picture's outermost pixels against a colour.
double weakestBorder(const QImage &picture, const QColor &ground)
{
    double found = 21;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (x == 0 || y == 0 || x == picture.width() - 1 || y == picture.height() - 1)
                found = std::min(found, FocusRing::contrast(picture.pixelColor(x, y), ground));
        }
    }
    return found;
}

void savePicture(const QImage &picture, const QString &name)
{
    const QString folder = qEnvironmentVariable("FILEWRIGHT_TEST_PICTURES");
    if (!folder.isEmpty())
        picture.save(QDir(folder).filePath(QString(name).replace(QLatin1Char(' '), QLatin1Char('-'))));
}

// Puts back the light appearance, the "system" theme and the font.
struct LookRestored
{
    const QFont font = QApplication::font();
    ~LookRestored()
    {
        QApplication::setFont(font);
        ThemeStore::instance().setThemeID(QStringLiteral("system"));
        Appearance::apply(Appearance::Mode::light);
    }
};

class SeenStatesTest : public RuleEditorFixture
{
protected:
    static bool activate(QWidget *window)
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    const LookRestored restored;
};

} // namespace

TEST_F(SeenStatesTest, theJournalFiltersChosenSegmentStandsApartFromItselfUnchosen)
{
    MainWindow window(*model);
    model->setSidebar(SidebarItem::journal);
    ASSERT_TRUE(activate(&window));
    // Each segment pictured where the window's tool bar shows it, with the
    // focus elsewhere, so that no ring is part of either picture.
    const struct
    {
        const char *segment;
        AppModel::JournalFilter chosen;
        AppModel::JournalFilter other;
    } segments[] = {
        {"all", AppModel::JournalFilter::all, AppModel::JournalFilter::review},
        {"review", AppModel::JournalFilter::review, AppModel::JournalFilter::all},
    };
    const auto picture = [&window](const char *name) {
        auto *segment = window.findChild<QToolButton *>(QString::fromLatin1(name));
        return segment ? window.grab(QRect(segment->mapTo(&window, QPoint(0, 0)), segment->size())).toImage() : QImage();
    };
    for (const Look &look : looks) {
        look.apply();
        for (const Theme &theme : Theme::all()) {
            ThemeStore::instance().setThemeID(theme.id);
            for (const auto &[segment, chosen, other] : segments) {
                const std::string where = std::string(segment) + ", " + theme.id.toStdString() + ", " + look.name;
                if (QWidget *focused = window.focusWidget())
                    focused->clearFocus();
                model->setJournalFilter(chosen);
                const QImage on = picture(segment);
                model->setJournalFilter(other);
                const QImage off = picture(segment);
                ASSERT_FALSE(on.isNull()) << where;
                ASSERT_EQ(on.size(), off.size()) << where;
                EXPECT_GE(strongestChange(on, off), 3.0) << where;
                const QString name = QStringLiteral("segment-%1-%2-%3-%4.png")
                                         .arg(QString::fromLatin1(segment), theme.id, QString::fromLatin1(look.name));
                savePicture(on, name.arg(QStringLiteral("chosen")));
                savePicture(off, name.arg(QStringLiteral("unchosen")));
            }
        }
    }
    model->setJournalFilter(AppModel::JournalFilter::all);
}

TEST_F(SeenStatesTest, theChosenSegmentsFillStandsApartFromTheOtherSegmentsFaceAsDrawn)
{
    MainWindow window(*model);
    model->setSidebar(SidebarItem::journal);
    ASSERT_TRUE(activate(&window));
    auto *all = window.findChild<QToolButton *>(QStringLiteral("all"));
    auto *review = window.findChild<QToolButton *>(QStringLiteral("review"));
    ASSERT_TRUE(all && review);
    // A column of each segment just inside its left edge, clear of the
    // style's outline and of the label: the chosen one's fill, the other's
    // face with its shading from top to bottom.
    const auto column = [&window](const QToolButton *segment) {
        const QImage picture =
            window.grab(QRect(segment->mapTo(&window, QPoint(0, 0)), segment->size())).toImage();
        QList<QColor> found;
        for (int y = 3; y < picture.height() - 3; ++y)
            found.append(picture.pixelColor(3, y));
        return found;
    };
    for (const DesktopPalette &desktop : desktopPalettes()) {
        desktopLook(desktop).apply();
        for (const Theme &theme : Theme::all()) {
            ThemeStore::instance().setThemeID(theme.id);
            const std::string where = theme.id.toStdString() + ", " + desktop.name;
            if (QWidget *focused = window.focusWidget())
                focused->clearFocus();
            model->setJournalFilter(AppModel::JournalFilter::all);
            const QList<QColor> fill = column(all);
            const QList<QColor> face = column(review);
            ASSERT_FALSE(fill.isEmpty()) << where;
            double weakest = 21;
            for (const QColor &chosen : fill) {
                for (const QColor &other : face)
                    weakest = std::min(weakest, FocusRing::contrast(chosen, other));
                weakest = std::min(weakest, FocusRing::contrast(chosen, window.palette().color(QPalette::Window)));
            }
            EXPECT_GE(weakest, 3.0) << where;
        }
    }
}

TEST_F(SeenStatesTest, aContextMenusEdgeStandsApartFromTheWindowItOpensOver)
{
    const QString path = dir.filePath(QStringLiteral("letter.pdf"));
    JournalEntry entry(std::nullopt, QStringLiteral("Rule"), path, dir.filePath(QStringLiteral("Filed/letter.pdf")),
                       JournalEntry::Status::done);
    entry.setPerformed(Performed{path, entry.newPath, {}, {}, std::nullopt});
    ASSERT_TRUE(model->store().insert(entry));
    const qint64 entryId = entry.id;
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    StoredRule stored(rule(QStringLiteral("Receipts"), {condition(Field::name, Op::contains, QStringLiteral("a"))},
                                 {action(Kind::move, QStringLiteral("~/Receipts"))}),
                            downloads.uuid, 1);
    ASSERT_TRUE(model->store().insert(stored));

    MainWindow window(*model);
    model->setSidebar(SidebarItem::journal);
    ASSERT_TRUE(activate(&window));
    JournalPage *journal = window.findChild<JournalPage *>();
    ASSERT_NE(journal, nullptr);
    RuleCard card(*model, stored, &window);
    // The menus of a journal row and of a rule card, shown over the window.
    const struct
    {
        const char *kind;
        std::function<QMenu *()> make;
    } menus[] = {
        {"journal row", [&] { return journal->contextMenu(entryId); }},
        {"rule card", [&] { return card.makeMenu(&window); }},
    };
    for (const Look &look : looks) {
        look.apply();
        for (const Theme &theme : Theme::all()) {
            ThemeStore::instance().setThemeID(theme.id);
            const QColor ground = window.palette().color(QPalette::Window);
            for (const auto &[kind, make] : menus) {
                const std::string where = std::string(kind) + ", " + theme.id.toStdString() + ", " + look.name;
                const std::unique_ptr<QMenu> menu(make());
                ASSERT_NE(menu, nullptr) << where;
                menu->popup(window.mapToGlobal(QPoint(40, 40)));
                ASSERT_TRUE(QTest::qWaitForWindowExposed(menu.get())) << where;
                const QImage picture = menu->grab().toImage();
                menu->close();
                EXPECT_GE(weakestBorder(picture, ground), 3.0) << where;
                savePicture(picture, QStringLiteral("menu-%1-%2-%3.png")
                                         .arg(QString::fromLatin1(kind), theme.id, QString::fromLatin1(look.name)));
            }
        }
    }
}

// An accent and then System chosen in the settings, whose window is in
// front: the main window behind it shows the describe field's symbol as it
// did at the start, and once it is in front again every pixel is as it was.
TEST_F(SeenStatesTest, theRulesPageIsAsAtTheStartAfterAnAccentAndSystemChosenInTheSettings)
{
    QList<Look> all(std::begin(looks), std::end(looks));
    // A desktop whose colours dim in a window behind another.
    all.append(desktopLook({"qt6ct airy", qt6ctAiryScheme()}));
    // The colour of a symbol's most opaque pixel.
    const auto ink = [](const QImage &symbol) {
        QColor found(Qt::transparent);
        for (int y = 0; y < symbol.height(); ++y) {
            for (int x = 0; x < symbol.width(); ++x) {
                if (symbol.pixelColor(x, y).alpha() > found.alpha())
                    found = symbol.pixelColor(x, y);
            }
        }
        return found.name(QColor::HexArgb).toStdString();
    };
    for (const Look &look : all) {
        look.apply();
        MainWindow window(*model);
        model->setSidebar(SidebarItem::rules);
        ASSERT_TRUE(activate(&window)) << look.name;
        auto *page = qobject_cast<RulesPage *>(window.currentPage());
        ASSERT_NE(page, nullptr) << look.name;
        const QWidget *box = page->describeField()->findChild<QWidget *>(QStringLiteral("describeBox"));
        ASSERT_NE(box, nullptr) << look.name;
        const QLabel *symbol = box->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(symbol, nullptr) << look.name;
        const QImage symbolAtStart = symbol->pixmap().toImage();
        ASSERT_FALSE(symbolAtStart.isNull()) << look.name;
        const QImage windowAtStart = window.grab().toImage();

        SettingsWindow settings(*model);
        ASSERT_TRUE(activate(&settings)) << look.name;
        for (const char *theme : {"mint", "system"}) {
            ThemeStore::instance().setThemeID(QString::fromLatin1(theme));
            QCoreApplication::processEvents();
        }
        const QImage symbolBehind = symbol->pixmap().toImage();
        EXPECT_TRUE(symbolBehind == symbolAtStart)
            << look.name << ": " << ink(symbolBehind) << " where it was " << ink(symbolAtStart);
        settings.close();
        ASSERT_TRUE(activate(&window)) << look.name;
        EXPECT_EQ(strongestChange(window.grab().toImage(), windowAtStart), 1.0) << look.name;
    }
}

TEST_F(SeenStatesTest, theCalendarShowsEveryWeekdayNameWhole)
{
    JournalEntry waiting(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("scan.pdf")), QString(),
                         JournalEntry::Status::review);
    const struct
    {
        QLocale::Language language;
        int points;
    } cases[] = {
        {QLocale::English, 9}, {QLocale::English, 11}, {QLocale::English, 13},
        {QLocale::German, 9},  {QLocale::German, 11},  {QLocale::German, 13},
    };
    for (const Look &look : looks) {
        look.apply();
        for (const auto &[language, points] : cases) {
            const std::string where = QLocale::languageToString(language).toStdString() + ", "
                + std::to_string(points) + " points, " + look.name;
            QFont font = restored.font;
            font.setPointSize(points);
            QApplication::setFont(font);
            ReviewSheet sheet(waiting, [](const JournalEntry &, const Recognition &) {}, [](const JournalEntry &) {});
            QDateEdit *field = sheet.dateField();
            field->setLocale(QLocale(language));
            ASSERT_TRUE(activate(&sheet)) << where;
            field->setFocus(Qt::TabFocusReason);
            // Opened as a user opens it, by the keys of a drop-down.
            QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
            QCalendarWidget *calendar = field->calendarWidget();
            ASSERT_NE(calendar, nullptr) << where;
            ASSERT_TRUE(QTest::qWaitFor([calendar] { return calendar->isVisible(); })) << where;
            auto *days = calendar->findChild<QTableView *>();
            ASSERT_NE(days, nullptr) << where;
            ASSERT_EQ(days->locale().language(), language) << where;
            // The room a cell leaves its text: its width less the margin the
            // cell keeps on either side.
            const int margin = days->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, days) + 1;
            const QAbstractItemModel &model = *days->model();
            int names = 0;
            for (int column = 0; column < model.columnCount(); ++column) {
                const QModelIndex header = model.index(0, column);
                const QString name = header.data(Qt::DisplayRole).toString();
                if (name.isEmpty())
                    continue; // over the week numbers
                ++names;
                const QFont drawn = qvariant_cast<QFont>(header.data(Qt::FontRole)).resolve(days->font());
                const qreal needs = QFontMetricsF(drawn).horizontalAdvance(name);
                const int room = days->columnWidth(column) - 2 * margin;
                EXPECT_LE(needs, room) << where << ": " << name.toStdString();
            }
            EXPECT_EQ(names, 7) << where;
            savePicture(calendar->window()->grab().toImage(),
                        QStringLiteral("calendar-%1-%2-%3.png")
                            .arg(QLocale(language).name(), QString::number(points), QString::fromLatin1(look.name)));
            QTest::keyClick(calendar, Qt::Key_Escape);
            ASSERT_TRUE(QTest::qWaitFor([calendar] { return !calendar->isVisible(); })) << where;
        }
    }
}


TEST_F(SeenStatesTest, theCalendarsDaysAndWeekdayNamesReadAndItsPopupStandsApartFromTheSheet)
{
    JournalEntry waiting(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("scan.pdf")), QString(),
                         JournalEntry::Status::review);
    QList<Look> all(std::begin(looks), std::end(looks));
    for (const DesktopPalette &desktop : desktopPalettes())
        all.append(desktopLook(desktop));
    // A light window whose calendar's names row is dark grey.
    all.append(desktopLook({"qt6ct airy", qt6ctAiryScheme()}));
    // A desktop that gives lists a palette of their own, lighter than the
    // window's, as a colour scheme under a style with colours of its own does.
    all.append({"lists apart", [] {
                    Appearance::apply(Appearance::Mode::dark);
                    QPalette lists = desktopPalette(0x222020, 0x3D3D3D, 0xFFFFFF, 0x424245, 0x3DAEE9);
                    lists.setColor(QPalette::AlternateBase, QColor(0x5C, 0x5B, 0x5A));
                    QApplication::setPalette(lists, "QAbstractItemView");
                }});
    // Styles that draw the calendar's grounds in shades of their own.
    for (const char *style : {"Adwaita-Dark", "Adwaita"}) {
        if (!QStyleFactory::keys().contains(QLatin1String(style), Qt::CaseInsensitive))
            continue;
        all.append({style, [style] {
                        FocusRingStyle::install(QLatin1String(style));
                        QApplication::setPalette(QApplication::style()->standardPalette());
                    }});
    }
    const auto colour = [](const QVariant &value) {
        return value.canConvert<QBrush>() ? value.value<QBrush>().color() : value.value<QColor>();
    };
    for (const Look &look : all) {
        look.apply();
        ReviewSheet sheet(waiting, [](const JournalEntry &, const Recognition &) {}, [](const JournalEntry &) {});
        QDateEdit *field = sheet.dateField();
        // A month whose weekend and days of the months around it show.
        field->setDate(QDate(2024, 3, 13));
        ASSERT_TRUE(activate(&sheet)) << look.name;
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
        QCalendarWidget *calendar = field->calendarWidget();
        ASSERT_NE(calendar, nullptr) << look.name;
        ASSERT_TRUE(QTest::qWaitFor([calendar] { return calendar->isVisible(); })) << look.name;
        auto *days = calendar->findChild<QTableView *>();
        ASSERT_NE(days, nullptr) << look.name;
        // Every day number and weekday name on the ground it is drawn on, as
        // the picture shows it, in its colour as the picture holds it (eight
        // bits a channel); the chosen day is drawn in the highlight's
        // colours. In the month shown first and in the next one.
        for (const char *month : {"March", "April"}) {
            const QImage picture = days->viewport()->grab().toImage();
            const qreal ratio = picture.devicePixelRatio();
            const QAbstractItemModel &model = *days->model();
            int cells = 0;
            for (int row = 0; row < model.rowCount(); ++row) {
                for (int column = 0; column < model.columnCount(); ++column) {
                    const QModelIndex cell = model.index(row, column);
                    const QString text = cell.data(Qt::DisplayRole).toString();
                    if (text.isEmpty() || days->selectionModel()->isSelected(cell))
                        continue;
                    ++cells;
                    const QRect place = days->visualRect(cell);
                    const QColor ground = mostOf(picture, QRect((place.topLeft() * ratio), place.size() * ratio));
                    const QColor ink = QColor::fromRgb(over(colour(cell.data(Qt::ForegroundRole)), ground).rgb());
                    EXPECT_GE(FocusRing::contrast(ink, ground), 4.5)
                        << look.name << ", " << month << ": \"" << text.toStdString() << "\" in row " << row << ", "
                        << ink.name().toStdString() << " on " << ground.name().toStdString();
                }
            }
            EXPECT_GE(cells, 7 + 6 * 7 - 1) << look.name << ", " << month;
            if (calendar->monthShown() == 3)
                QTest::keyClick(days, Qt::Key_PageDown);
        }
        EXPECT_EQ(calendar->monthShown(), 4) << look.name;
        const QImage popup = calendar->window()->grab().toImage();
        EXPECT_GE(weakestBorder(popup, sheet.palette().color(QPalette::Window)), 3.0) << look.name;
        savePicture(popup, QStringLiteral("calendar-colours-%1.png").arg(QString::fromLatin1(look.name)));
        QTest::keyClick(calendar, Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([calendar] { return !calendar->isVisible(); })) << look.name;
    }
}
