#include "Appearance.h"
#include "Chip.h"
#include "DesktopIcons.h"
#include "DesktopPalettes.h"
#include "FileIcon.h"
#include "FitsContentArea.h"
#include "FocusRing.h"
#include "FollowsFocusArea.h"
#include "Prefs.h"
#include "RecognitionLine.h"
#include "Roles.h"
#include "ScopedEnv.h"
#include "Sheet.h"
#include "Symbols.h"
#include "TestSupport.h"
#include "ThemeStore.h"
#include "ToggleSwitch.h"
#include "WindowHook.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QString accentKey = QStringLiteral("appearance.accent");

QColor rgb(quint32 shade)
{
    return QColor::fromRgb(QRgb(0xFF000000u | shade));
}

QColor highlight()
{
    return QApplication::palette().color(QPalette::Highlight);
}

// The colour a share of the way from one colour to another.
QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto mix = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())), float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())));
}

// How far along the way from one colour to another a colour lies, by the
// channel that changes most on it.
double shareOfTheWay(const QColor &from, const QColor &to, const QColor &colour)
{
    const int changes[] = {to.red() - from.red(), to.green() - from.green(), to.blue() - from.blue()};
    const int moved[] = {colour.red() - from.red(), colour.green() - from.green(), colour.blue() - from.blue()};
    int most = 0;
    for (int channel = 1; channel < 3; ++channel) {
        if (std::abs(changes[channel]) > std::abs(changes[most]))
            most = channel;
    }
    return changes[most] == 0 ? 0.0 : double(moved[most]) / changes[most];
}

// The capsule of a chip in that tint as it is drawn over a ground: a
// pixel of it beside the text.
QColor capsuleDrawn(const QColor &tint, const QColor &ground)
{
    Chip chip(QStringLiteral("Please check"));
    chip.setTint(tint);
    chip.resize(chip.sizeHint());
    QImage picture(chip.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(ground);
    chip.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture.pixelColor(picture.width() - 4, picture.height() / 2);
}

// The largest difference of two colours in any channel, of 255.
int distance(const QColor &a, const QColor &b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

class ThemeStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { Prefs::settings()->remove(accentKey); }
    void TearDown() override { QApplication::setPalette(original); }
    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    const QPalette original = QApplication::palette();
};

} // namespace

TEST_F(ThemeStoreTest, TableAndColoursPerAppearance)
{
    QStringList ids;
    for (const Theme &theme : Theme::all())
        ids.append(theme.id);
    EXPECT_EQ(ids.join(u','), QStringLiteral("system,blue,indigo,violet,pink,red,orange,yellow,mint,teal,graphite"));
    for (const char *unknown : {"", "purple", "Blue"})
        EXPECT_EQ(Theme::byID(QString::fromLatin1(unknown)).id, QStringLiteral("system")) << unknown;

    const Theme blue = Theme::byID(QStringLiteral("blue"));
    EXPECT_EQ(blue.tint(), rgb(0x0A84FF));
    EXPECT_EQ(blue.accent(), rgb(0x0A84FF));
    EXPECT_EQ(blue.accentText(Appearance::palette(Appearance::Mode::light)), rgb(0x0064D2));
    EXPECT_EQ(blue.accentText(Appearance::palette(Appearance::Mode::dark)), rgb(0x7CC0FF));
    EXPECT_EQ(blue.onAccent(), QColor(Qt::white));
    EXPECT_EQ(Theme::byID(QStringLiteral("teal")).onAccent(), rgb(0x16161C));
    EXPECT_FALSE(Theme::byID(QStringLiteral("system")).tint().has_value());
}

TEST_F(ThemeStoreTest, StartChoiceFromAppAccentThenStoredThenSystem)
{
    Prefs::setValue(accentKey, QStringLiteral("red"));
    {
        const ScopedEnv accent("APP_ACCENT", QByteArray("teal"));
        const ThemeStore store;
        EXPECT_EQ(store.themeID(), QStringLiteral("teal"));
        EXPECT_EQ(highlight(), rgb(0x06B6D4));
    }
    EXPECT_EQ(Prefs::stringValue(accentKey), QStringLiteral("red"));
    {
        const ScopedEnv accent("APP_ACCENT", QByteArray(""));
        const ThemeStore store;
        EXPECT_EQ(store.theme().id, QStringLiteral("system"));
    }
    const ScopedEnv accent("APP_ACCENT", std::nullopt);
    EXPECT_EQ(ThemeStore().themeID(), QStringLiteral("red"));
    Prefs::settings()->remove(accentKey);
    EXPECT_EQ(ThemeStore().themeID(), QStringLiteral("system"));
}

TEST_F(ThemeStoreTest, ChoosingStoresAlwaysAndTellsOnlyChanges)
{
    const ScopedEnv accent("APP_ACCENT", std::nullopt);
    const QColor desktop = highlight();
    ThemeStore store;
    QSignalSpy changed(&store, &ThemeStore::changed);
    store.setThemeID(QStringLiteral("blue"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(highlight(), rgb(0x0A84FF));
    Prefs::settings()->remove(accentKey);
    store.setThemeID(QStringLiteral("blue"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(Prefs::stringValue(accentKey), QStringLiteral("blue"));

    // "system" gives back the desktop's own colour, not the last theme's;
    // a new palette (dark) brings a new desktop colour under the same theme.
    store.setThemeID(QStringLiteral("system"));
    EXPECT_EQ(highlight(), desktop);
    store.setThemeID(QStringLiteral("mint"));
    Appearance::apply(Appearance::Mode::dark);
    EXPECT_TRUE(Appearance::isDark());
    EXPECT_EQ(highlight(), rgb(0x2BC48A));
    store.setThemeID(QStringLiteral("system"));
    EXPECT_EQ(highlight(), Appearance::palette(Appearance::Mode::dark).color(QPalette::Highlight));
}

TEST_F(ThemeStoreTest, SystemAccentTextReadsOnEveryDesktopPalette)
{
    // The shared store: the one whose colours chips draw with.
    ThemeStore &store = ThemeStore::instance();
    for (const auto &[name, palette] : desktopPalettes()) {
        QApplication::setPalette(palette);
        const QColor highlight = palette.color(QPalette::Highlight).toRgb();
        const QColor towards = palette.color(QPalette::WindowText).toRgb();
        store.setThemeID(QStringLiteral("system"));
        // What a chip in the accent, and so the "Please check" chip, draws with.
        Chip chip(QStringLiteral("Please check"));
        chip.setAccentTint();
        const QColor text = chip.tint().toRgb();
        const QList<QColor> grounds{palette.color(QPalette::Window), palette.color(QPalette::Base),
                                    Roles::secondaryBackground(palette)};
        // A chip's text stands on its capsule as drawn over each of them too.
        const auto weakest = [&grounds](const QColor &colour) {
            double found = 21;
            for (const QColor &ground : grounds) {
                found = std::min(found, FocusRing::contrast(colour, ground));
                found = std::min(found, FocusRing::contrast(colour, capsuleDrawn(colour, ground)));
            }
            return found;
        };
        EXPECT_GE(weakest(text), 4.5) << name;

        // On the way from the desktop's highlight to the text colour, and
        // the first on it that reads: a fortieth of the way back does not.
        const double share = shareOfTheWay(highlight, towards, text);
        EXPECT_LE(distance(text, mixed(highlight, towards, share)), 1) << name << ": " << text.name().toStdString();
        if (share < 1.0 / 40)
            EXPECT_EQ(text, highlight) << name;
        else
            EXPECT_LT(weakest(mixed(highlight, towards, share - 1.0 / 40)), 4.5)
                << name << ": " << text.name().toStdString() << " is moved further than it needs";

        // The named themes keep their shades.
        store.setThemeID(QStringLiteral("blue"));
        EXPECT_EQ(chip.tint(), rgb(Appearance::isDark(palette) ? 0x7CC0FF : 0x0064D2)) << name;
    }
    store.setThemeID(QStringLiteral("system"));
}

TEST(RecognitionLineTest, SummaryLeavesOutWhatIsUnknown)
{
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    EXPECT_EQ(RecognitionLine::summary(recognition, NameLanguage::en), QStringLiteral("Invoice"));

    recognition.amount = Decimal::fromString(u"120.5");
    EXPECT_EQ(RecognitionLine::summary(recognition, NameLanguage::en), QStringLiteral("Invoice · 120.50"));
    EXPECT_EQ(RecognitionLine::summary(recognition, NameLanguage::de), QStringLiteral("Rechnung · 120,50"));

    recognition.currency = QStringLiteral("CHF");
    recognition.sender = QStringLiteral("Stadtwerke Bern AG");
    recognition.date = QDateTime(QDate(2024, 12, 31), QTime(12, 0), Qt::UTC);
    // The document day stays the same day in every time zone.
    for (const char *zone : {"Pacific/Kiritimati", "Pacific/Pago_Pago"}) {
        const ScopedEnv tz("TZ", QByteArray(zone));
        EXPECT_EQ(RecognitionLine::summary(recognition, NameLanguage::en, QLocale(QStringLiteral("en_GB"))),
                  QStringLiteral("Invoice · Stadtwerke Bern · 120.50 CHF · 31 Dec 2024"));
    }
    EXPECT_EQ(RecognitionLine::summary(recognition, NameLanguage::de, QLocale(QStringLiteral("de_DE"))),
              QStringLiteral("Rechnung · Stadtwerke Bern · 120,50 CHF · 31. Dez. 2024"));

    EXPECT_EQ(RecognitionLine::symbol(Recognition::Source::rules), QStringLiteral("text.magnifyingglass"));
    EXPECT_EQ(RecognitionLine::symbol(Recognition::Source::model), QStringLiteral("apple.intelligence"));
}

TEST(FileIconTest, AFileShowsItsTypeThereAndGoneAndAFolderTheFolder)
{
    const DesktopIcons icons;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage photo(8, 8, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    ASSERT_TRUE(photo.save(dir.filePath(QStringLiteral("photo.jpg")), "JPEG"));
    ASSERT_TRUE(QFile::copy(TestSupport::dataPath(QStringLiteral("invoices/sample-invoice-2014.pdf")),
                            dir.filePath(QStringLiteral("invoice.pdf"))));
    ASSERT_TRUE(QFile::copy(dir.filePath(QStringLiteral("invoice.pdf")), dir.filePath(QStringLiteral("scan"))));

    struct Case
    {
        const char *file;
        const char *typeThere; // what a file manager tells by name, else by content
        const char *typeGone;  // what the name alone tells
    };
    const Case cases[] = {
        {"invoice.pdf", "application/pdf", "application/pdf"},
        {"photo.jpg", "image/jpeg", "image/jpeg"},
        {"scan", "application/pdf", "application/octet-stream"},
    };
    const QMimeDatabase types;
    const auto iconOf = [&](const char *type) {
        const QMimeType mime = types.mimeTypeForName(QLatin1String(type));
        return QStringList{mime.iconName(), mime.genericIconName()};
    };
    for (const Case &entry : cases) {
        SCOPED_TRACE(entry.file);
        const QString path = dir.filePath(QLatin1String(entry.file));
        const QString there = FileIcon::icon(path).name();
        EXPECT_TRUE(iconOf(entry.typeThere).contains(there)) << there.toStdString();
        ASSERT_TRUE(QFile::remove(path));
        const QString gone = FileIcon::icon(path).name();
        EXPECT_TRUE(iconOf(entry.typeGone).contains(gone)) << gone.toStdString();
        if (qstrcmp(entry.typeThere, entry.typeGone) == 0) {
            EXPECT_EQ(gone.toStdString(), there.toStdString());
        }
    }
    EXPECT_EQ(FileIcon::icon(dir.path()).name(), QStringLiteral("folder"));
}

TEST(FitsContentAreaTest, HeightFollowsContentUpToTheMaximum)
{
    Sheet sheet(nullptr);
    auto *layout = new QVBoxLayout(&sheet);
    auto *area = new FitsContentArea(640, &sheet);
    layout->addWidget(area);
    auto *content = new QWidget;
    content->setFixedHeight(0);
    area->setContent(content);
    EXPECT_FALSE(area->measuredHeight().has_value());

    content->setFixedHeight(300);
    sheet.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return area->height() == 300; }, 2000)) << area->height();
    const int sheetHeight = sheet.height();
    content->setFixedHeight(420);
    EXPECT_TRUE(QTest::qWaitFor([&] { return area->height() == 420; }, 2000)) << area->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheet.height() == sheetHeight + 120; }, 2000)) << sheet.height();

    content->setFixedHeight(900);
    EXPECT_TRUE(QTest::qWaitFor([&] { return area->height() == 640; }, 2000)) << area->height();
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
}

// A control taller than the view shows its top; one half in view shows
// whole when clicked, and the click lands.
TEST(FollowsFocusAreaTest, ATallControlShowsItsTopAndAClickedOneShowsWhole)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *before = new QLineEdit(&window);
    layout->addWidget(before);
    auto *area = new FollowsFocusArea(&window);
    area->setFixedSize(200, 100);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(area);
    auto *content = new QWidget;
    content->setFixedSize(150, 600);
    auto *tall = new QPushButton(QStringLiteral("Tall"), content);
    tall->setGeometry(0, 300, 150, 250);
    auto *below = new QPushButton(QStringLiteral("Below"), content);
    below->setGeometry(0, 560, 150, 30);
    area->setWidget(content);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QScrollBar *bar = area->verticalScrollBar();

    before->setFocus(Qt::TabFocusReason);
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), tall);
    EXPECT_EQ(bar->value(), 300);

    // 15 pixels of the button show at the view's bottom; the pointer stays
    // where it pressed.
    const int viewHeight = area->viewport()->height();
    bar->setValue(560 + 15 - viewHeight);
    QSignalSpy clicked(below, &QPushButton::clicked);
    const QPoint pointer = below->mapTo(&window, QPoint(50, 5));
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, pointer);
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, pointer);
    EXPECT_EQ(QApplication::focusWidget(), below);
    // With the room its ring takes below it.
    EXPECT_EQ(bar->value(), 560 + 30 + FocusRing::room - viewHeight);
    EXPECT_EQ(clicked.count(), 1);

    // Back by Shift+Tab inside the area, the tall one shows its top again.
    QTest::keyClick(below, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), tall);
    EXPECT_EQ(bar->value(), 300);
}

// A column of buttons, the focused one at the view's bottom, changed round
// it: the area keeps it whole, with its ring's room, unless the user
// scrolled it out of view first.
TEST(FollowsFocusAreaTest, TheFocusedControlStaysInViewWhenItMovesUnlessScrolledAway)
{
    constexpr int rowHeight = 30;
    struct Column
    {
        QWidget window;
        FollowsFocusArea *area = nullptr;
        QVBoxLayout *rows = nullptr;
        QPushButton *focused = nullptr;

        QPushButton *row(const QString &name)
        {
            auto *button = new QPushButton(name);
            button->setFixedHeight(rowHeight);
            return button;
        }
        void insert(int at, int count)
        {
            for (int i = 0; i < count; ++i)
                rows->insertWidget(at, row(QStringLiteral("New %1").arg(i)));
        }
        int indexOfFocused() const { return rows->indexOf(focused); }
        QScrollBar *bar() const { return area->verticalScrollBar(); }
        bool ringInView() const
        {
            const int room = FocusRing::room;
            const QRect place = QRect(focused->mapTo(area->viewport(), QPoint(0, 0)), focused->size())
                                    .marginsAdded(QMargins(room, room, room, room));
            return area->viewport()->rect().contains(place);
        }
    };
    const auto wheelDown = [](Column &column) {
        QWidget *viewport = column.area->viewport();
        const QPoint at = viewport->rect().center();
        QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120 * 10), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
    };
    const struct
    {
        const char *change;
        std::function<void(Column &)> before; // what the user does first
        std::function<void(Column &)> apply;
        bool follows;
    } cases[] = {
        {"rows added above", {}, [](Column &c) { c.insert(0, 8); }, true},
        // At the view's top, still whole: the rows above go, and the range
        // shortens under the value.
        {"rows removed above", [](Column &c) { c.bar()->setValue(c.focused->y() - FocusRing::room); },
         [](Column &c) {
             for (int i = 0; i < 4; ++i)
                 delete c.rows->itemAt(0)->widget();
         },
         true},
        {"a row above grows", {}, [](Column &c) { c.rows->itemAt(2)->widget()->setFixedHeight(400); }, true},
        {"the control moved down", {}, [](Column &c) {
             const int from = c.indexOfFocused();
             c.rows->removeWidget(c.focused);
             c.rows->insertWidget(from + 5, c.focused);
         }, true},
        {"the control grows", {}, [](Column &c) { c.focused->setFixedHeight(3 * rowHeight); }, true},
        {"the view shrinks", {}, [](Column &c) { c.area->setFixedHeight(c.area->height() - 2 * rowHeight); }, true},
        // The rows below go, the range shortens and cuts the value back: no
        // scrolling of the user's.
        {"rows below removed, then rows added above", {}, [](Column &c) {
             while (c.rows->count() > c.indexOfFocused() + 1)
                 delete c.rows->itemAt(c.rows->count() - 1)->widget();
             QCoreApplication::processEvents();
             c.insert(0, 8);
         }, true},
        {"scrolled a little, still whole", [](Column &c) { c.bar()->setValue(c.bar()->value() + 2); },
         [](Column &c) { c.insert(0, 8); }, true},
        {"scrolled away by the bar", [](Column &c) { c.bar()->setValue(0); }, [](Column &c) { c.insert(0, 8); }, false},
        {"scrolled away by the wheel", wheelDown, [](Column &c) { c.insert(0, 8); }, false},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.change);
        Column column;
        auto *layout = new QVBoxLayout(&column.window);
        auto *before = new QLineEdit(&column.window);
        layout->addWidget(before);
        column.area = new FollowsFocusArea(&column.window);
        column.area->setWidgetResizable(true);
        column.area->setFixedSize(240, 200);
        layout->addWidget(column.area);
        auto *content = new QWidget;
        column.rows = new QVBoxLayout(content);
        column.rows->setContentsMargins(10, 10, 10, 10);
        for (int i = 0; i < 14; ++i)
            column.rows->addWidget(column.row(QStringLiteral("Row %1").arg(i)));
        column.focused = qobject_cast<QPushButton *>(column.rows->itemAt(6)->widget());
        column.area->setWidget(content);
        column.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&column.window));

        // Reached by Tab: at the view's bottom, ring and all.
        before->setFocus(Qt::TabFocusReason);
        for (int row = 0; row <= column.indexOfFocused(); ++row)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), column.focused);
        ASSERT_GT(column.bar()->value(), 0);
        ASSERT_TRUE(column.ringInView());

        if (each.before)
            each.before(column);
        QCoreApplication::processEvents();
        const bool shownBefore = column.ringInView();
        ASSERT_EQ(shownBefore, each.follows);
        const int scrolled = column.bar()->value();
        const QRect place = column.focused->geometry();
        const QSize view = column.area->viewport()->size();
        each.apply(column);
        // Laid out anew.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return column.focused->geometry() != place || column.area->viewport()->size() != view; }));
        if (each.follows) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return column.ringInView(); })) << column.bar()->value();
            EXPECT_NE(column.bar()->value(), scrolled); // it had left the view
        } else {
            // The turns after it, in which the area would follow.
            for (int turn = 0; turn < 3; ++turn)
                QCoreApplication::processEvents();
            EXPECT_EQ(column.bar()->value(), scrolled);
            EXPECT_FALSE(column.ringInView());
        }
        EXPECT_EQ(QApplication::focusWidget(), column.focused);
    }
}

TEST(SheetTest, OpensWithoutAFocusedFieldAndKeepsTheUsersField)
{
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Sheet sheet(&window);
    auto *layout = new QVBoxLayout(&sheet);
    auto *first = new QLineEdit(&sheet);
    auto *second = new QLineEdit(&sheet);
    layout->addWidget(first);
    layout->addWidget(second);
    const auto fieldFocused = [] { return qobject_cast<QLineEdit *>(QApplication::focusWidget()) != nullptr; };

    for (const bool reopened : {false, true}) {
        if (reopened)
            sheet.reject();
        sheet.open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
        QTest::qWait(20);
        EXPECT_FALSE(fieldFocused()) << reopened;
    }

    // Another window comes to the front and goes: the user's field stays.
    second->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    other.hide();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::qWait(20);
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST(WindowHookTest, HidingAWindowKeepsTheFocusedFieldOnlyClosingClearsIt)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *first = new QLineEdit(&window);
    auto *second = new QLineEdit(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    WindowHook::install(&window);
    // Another window is active in between, as on a desktop.
    QWidget other;
    const auto showAgain = [&window, &other] {
        other.show();
        other.activateWindow();
        if (!QTest::qWaitFor([&other] { return QApplication::activeWindow() == &other; }))
            return false;
        other.hide();
        window.show();
        window.activateWindow();
        const bool active = QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; });
        QTest::qWait(20);
        return active;
    };
    ASSERT_TRUE(showAgain());
    second->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), second);

    window.hide();
    ASSERT_TRUE(showAgain());
    EXPECT_EQ(QApplication::focusWidget(), second);

    window.close();
    ASSERT_TRUE(showAgain());
    EXPECT_EQ(qobject_cast<QLineEdit *>(QApplication::focusWidget()), nullptr);
}

TEST(ToggleSwitchTest, AFocusedSwitchWearsARingApartFromItsFill)
{
    // On a switch that is on, the ring and the fill share the accent: a gap
    // of the background between them keeps the ring visible.
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *toggle = new ToggleSwitch(&window);
    toggle->move(0, 40);
    toggle->setChecked(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    const int y = toggle->height() / 2;
    const auto pixel = [&](int x) { return toggle->grab().toImage().pixelColor(x, y); };
    const QColor accent = ThemeStore::instance().theme().accent();
    const QColor ring = FocusRing::colour(toggle->palette());
    const auto near = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 40;
    };
    EXPECT_FALSE(near(pixel(1), ring));
    EXPECT_TRUE(near(pixel(6), accent));

    toggle->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(toggle->hasFocus());
    EXPECT_TRUE(near(pixel(1), ring));
    EXPECT_FALSE(near(pixel(2), ring));
    EXPECT_TRUE(near(pixel(6), accent));
}
