// What the program draws dimmed, and the check boxes on its cards, as
// pictures of its windows show them under desktops' colour schemes: every
// dimmed text and chip reads 4.5:1 on its ground, or as well as the
// desktop's own text reads there; a check box on a card shows its box as
// clearly as the style shows it on the window.
#include "AppModel.h"
#include "Appearance.h"
#include "Chip.h"
#include "DesktopPalettes.h"
#include "FocusRing.h"
#include "FocusRingStyle.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "PictureColours.h"
#include "Prefs.h"
#include "ReceiptsModel.h"
#include "RealHome.h"
#include "RuleCard.h"
#include "SchemeForClasses.h"
#include "Store.h"
#include "TestSupport.h"
#include "ThemeStore.h"
#include "Autopilot.h"
#include "SettingsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

struct Look
{
    std::string name;
    std::function<bool()> set; // false where the style is not installed here
};

bool hasStyle(const char *style)
{
    return QStyleFactory::keys().contains(QLatin1String(style), Qt::CaseInsensitive);
}

// The desktop's scheme under Fusion: every widget wears it.
Look fusionWith(const DesktopPalette &scheme)
{
    return {std::string("Fusion, ") + scheme.name, [palette = scheme.palette] {
                FocusRingStyle::install(QStringLiteral("Fusion"));
                QApplication::setPalette(palette);
                return true;
            }};
}

// A style with colours of its own: the application wears the style's, the
// labels, fields and lists the scheme's, where one is given.
Look styleWith(const char *style, const DesktopPalette *scheme = nullptr)
{
    return {scheme ? std::string(style) + ", " + scheme->name : std::string(style),
            [style, palette = scheme ? std::optional<QPalette>(scheme->palette) : std::nullopt] {
                if (!hasStyle(style))
                    return false;
                FocusRingStyle::install(QLatin1String(style));
                QApplication::setPalette(QApplication::style()->standardPalette());
                if (palette)
                    schemeArrivesForClasses(*palette);
                return true;
            }};
}

Look own(Appearance::Mode mode)
{
    return {mode == Appearance::Mode::light ? "own light" : "own dark", [mode] {
                Appearance::apply(mode);
                return true;
            }};
}

// A widget's place in a picture of its window.
QRect placeIn(const QWidget *widget, const QImage &picture)
{
    const qreal ratio = picture.devicePixelRatio();
    const QRect place(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
    return QRect(place.topLeft() * ratio, place.size() * ratio);
}

// The contrast a text in the desktop's text colour shows on a ground, drawn
// in that font: small text's anti-aliased strokes never reach their colour.
double desktopsTextAsDrawn(const QString &text, const QFont &font, const QColor &colour, const QColor &ground)
{
    QImage picture(QFontMetrics(font).boundingRect(text).size() + QSize(8, 8), QImage::Format_RGB32);
    picture.fill(ground);
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(picture.rect(), Qt::AlignCenter, text);
    painter.end();
    return strongest(picture, picture.rect(), ground);
}

// A text as drawn against the ground most of its place shows: it must read
// 4.5:1, or as well as the desktop's text reads there, drawn alike.
void expectReads(const QImage &picture, const QRect &place, const QString &text, const QFont &font,
                 const QColor &colour, const QColor &ground, const std::string &where)
{
    const double drawn = strongest(picture, place, ground);
    const double desktops = desktopsTextAsDrawn(text, font, colour, ground);
    // Drawn elsewhere, strokes cover their pixels a little differently.
    EXPECT_GE(drawn, std::min(4.5, desktops) * 0.97)
        << where << ": " << drawn << ":1 on " << ground.name().toStdString() << ", the desktop's text "
        << desktops << ":1";
}

// Every dimmed label a window shows, each on its ground.
int expectDimmedLabelsRead(QWidget &window, const std::string &where)
{
    const QImage picture = window.grab().toImage();
    int labels = 0;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&window) || label->foregroundRole() != QPalette::PlaceholderText
            || label->text().isEmpty() || label->width() < 4)
            continue;
        ++labels;
        const QRect place = placeIn(label, picture);
        expectReads(picture, place, label->text(), label->font(), label->palette().color(QPalette::WindowText),
                    mostOf(picture, place),
                    where + ", \"" + label->text().left(40).toStdString() + "\"");
    }
    return labels;
}

// A picture of the window once what the style animates (a check mark
// coming in) has come to rest: two pictures in a row alike.
QImage settled(QWidget &window)
{
    QImage picture = window.grab().toImage();
    for (int turn = 0; turn < 40; ++turn) {
        QTest::qWait(50);
        const QImage next = window.grab().toImage();
        if (next == picture)
            break;
        picture = next;
    }
    return picture;
}

bool activate(QWidget &window)
{
    window.show();
    window.activateWindow();
    const bool active = QTest::qWaitForWindowActive(&window);
    QCoreApplication::processEvents();
    return active;
}

// Puts back the program's light look and the system accent.
struct LookRestored
{
    ~LookRestored()
    {
        ThemeStore::instance().setThemeID(QStringLiteral("system"));
        Appearance::apply(Appearance::Mode::light);
    }
};

class DimmedTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), false);
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("dimmed.store"))));
    }

    const TestSupport::ScopedSettings settings;
    const LookRestored restored;
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

} // namespace

TEST_F(DimmedTextTest, EveryDimmedTextAndChipReadsOnItsGroundUnderEachScheme)
{
    // A rule on a watched folder and one switched off, a receipt on each
    // row ground, a filing in the journal.
    const QString downloads = RealHome::path() + QStringLiteral("/Downloads");
    QDir().mkpath(downloads);
    const WatchedFolder folder = *model->autopilot().addFolder(downloads, true);
    for (const bool on : {true, false}) {
        Rule rule{QUuid::createUuid(), on ? QStringLiteral("Invoices") : QStringLiteral("Old scans"), {}, {}, on,
                  std::nullopt};
        StoredRule stored(rule, folder.uuid, on ? 0 : 1);
        model->store().insert(stored);
    }
    for (const char *name : {"first.pdf", "second.pdf", "third.pdf"}) {
        Recognition reading;
        reading.kind = DocumentKind::receipt;
        reading.date = QDateTime(QDate::currentDate(), QTime(12, 0), Qt::UTC);
        reading.sender = QStringLiteral("Shop");
        RecognitionRecord record(QString(), QString(), dir.filePath(QString::fromLatin1(name)), reading);
        ASSERT_TRUE(model->store().insert(record));
    }
    JournalEntry filed(std::nullopt, QStringLiteral("Invoices"), dir.filePath(QStringLiteral("a.pdf")),
                       dir.filePath(QStringLiteral("Filed/a.pdf")), JournalEntry::Status::done);
    model->store().insert(filed);

    QList<Look> looks{own(Appearance::Mode::light), own(Appearance::Mode::dark)};
    for (const DesktopPalette &scheme : qt6ctSchemes()) {
        looks.append(fusionWith(scheme));
        looks.append(styleWith("Adwaita-Dark", &scheme));
    }
    for (const DesktopPalette &desktop : desktopPalettes()) {
        if (QByteArray(desktop.name) == "Breeze dark")
            looks.append(fusionWith(desktop));
    }
    for (const Look &look : looks) {
        if (!look.set())
            continue;
        QCoreApplication::processEvents();

        // The settings, tab by tab.
        SettingsWindow settingsWindow(*model);
        ASSERT_TRUE(activate(settingsWindow)) << look.name;
        int settingsLabels = 0;
        for (int tab = 0; tab < settingsWindow.tabs()->count(); ++tab) {
            settingsWindow.tabs()->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            settingsLabels += expectDimmedLabelsRead(
                settingsWindow, look.name + ", settings tab " + settingsWindow.tabs()->tabText(tab).toStdString());
        }
        EXPECT_GE(settingsLabels, 4) << look.name;
        settingsWindow.close();

        // The panel.
        MenuBarPanel panel(*model, [] {});
        ASSERT_TRUE(activate(panel)) << look.name;
        EXPECT_GE(expectDimmedLabelsRead(panel, look.name + ", panel"), 1) << look.name;
        panel.close();

        // The pages, the window in front and behind another.
        MainWindow window(*model);
        for (const SidebarItem item :
             {SidebarItem::rules, SidebarItem::folders, SidebarItem::receipts, SidebarItem::journal}) {
            model->setSidebar(item);
            for (const bool inFront : {true, false}) {
                QWidget other;
                other.resize(100, 100);
                ASSERT_TRUE(activate(window)) << look.name;
                if (!inFront) {
                    other.move(window.geometry().bottomRight());
                    ASSERT_TRUE(activate(other)) << look.name;
                }
                const QPalette::ColorGroup group = inFront ? QPalette::Active : QPalette::Inactive;
                const std::string where = look.name + ", page " + std::to_string(int(item))
                    + (inFront ? "" : ", behind another window");
                expectDimmedLabelsRead(window, where);
                const QImage picture = window.grab().toImage();
                // Each rule card's folder chip on its capsule.
                int chips = 0;
                for (const RuleCard *card : window.findChildren<RuleCard *>()) {
                    if (!card->isVisibleTo(&window))
                        continue;
                    for (const Chip *chip : card->findChildren<Chip *>()) {
                        ++chips;
                        const QRect place = placeIn(chip, picture);
                        expectReads(picture, place, chip->text(), chip->font(),
                                    card->palette().color(group, QPalette::WindowText), mostOf(picture, place),
                                    where + ", chip \"" + chip->text().toStdString() + "\"");
                    }
                }
                if (item == SidebarItem::rules) {
                    EXPECT_EQ(chips, 2) << where;
                }
                // The receipts' File column on both row grounds.
                if (auto *table = window.findChild<QTableView *>(QStringLiteral("receipts"));
                    table && item == SidebarItem::receipts) {
                    if (inFront) {
                        table->setFocus();
                        QCoreApplication::processEvents();
                    }
                    // A list draws in its window's inactive colours while it has not the focus.
                    const QPalette::ColorGroup drawnIn = inFront && table->hasFocus() ? group : QPalette::Inactive;
                    const QImage cells = table->viewport()->grab().toImage();
                    const qreal ratio = cells.devicePixelRatio();
                    ASSERT_EQ(table->model()->rowCount(), 3) << where;
                    for (int row = 0; row < table->model()->rowCount(); ++row) {
                        const QRect cell = table->visualRect(table->model()->index(row, ReceiptsModel::file));
                        const QRect place(cell.topLeft() * ratio, cell.size() * ratio);
                        const QModelIndex index = table->model()->index(row, ReceiptsModel::file);
                        expectReads(cells, place, index.data().toString(), table->font(),
                                    table->palette().color(drawnIn, QPalette::Text), mostOf(cells, place),
                                    where + ", File column, row " + std::to_string(row));
                    }
                }
            }
        }
    }
}
TEST_F(DimmedTextTest, ACheckBoxOnACardShowsItsBoxAsClearlyAsOnTheWindow)
{
    QList<Look> looks;
    for (const DesktopPalette &scheme : qt6ctSchemes()) {
        if (QByteArray(scheme.name) == "qt6ct darker")
            continue;
        looks.append(fusionWith(scheme));
        // Fusion as a desktop's own style gives it, inside a proxy style of its own.
        looks.append({std::string("Fusion in the desktop's proxy, ") + scheme.name, [palette = scheme.palette] {
                          QApplication::setStyle(new FocusRingStyle(new QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))));
                          QApplication::setPalette(palette);
                          return true;
                      }});
    }
    looks.append(styleWith("Adwaita"));
    looks.append(styleWith("Adwaita-Dark"));
    // The strongest pixel of a check box's indicator against the ground
    // most of the picture shows.
    const auto indicatorAgainst = [](const QCheckBox &box, const QImage &picture, const QColor &ground) {
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect indicator = box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
        const qreal ratio = picture.devicePixelRatio();
        const QRect place(box.mapTo(box.window(), indicator.topLeft()) * ratio, indicator.size() * ratio);
        return strongest(picture, place, ground);
    };
    for (const Look &look : looks) {
        if (!look.set())
            continue;
        QCoreApplication::processEvents();
        // The style's box, unchecked, on the window's own ground.
        QWidget plain;
        QCheckBox alone(QStringLiteral("Alone"), &plain);
        alone.setFocusPolicy(Qt::NoFocus);
        alone.move(20, 20);
        plain.resize(200, 80);
        ASSERT_TRUE(activate(plain)) << look.name;
        const QImage plainPicture = settled(plain);
        const double onWindow = indicatorAgainst(alone, plainPicture, mostOf(plainPicture, plainPicture.rect()));
        plain.close();

        SettingsWindow settingsWindow(*model);
        model->setSettingsTab(SettingsTab::general);
        ASSERT_TRUE(activate(settingsWindow)) << look.name;
        const auto boxes = settingsWindow.findChildren<QCheckBox *>();
        ASSERT_GE(boxes.size(), 3) << look.name;
        for (QCheckBox *box : boxes) {
            ASSERT_TRUE(box->isVisibleTo(&settingsWindow)) << look.name;
            const bool was = box->isChecked();
            for (const bool checked : {false, true}) {
                {
                    const QSignalBlocker quiet(box);
                    box->setChecked(checked);
                }
                const QImage picture = settled(settingsWindow);
                const QColor card = mostOf(picture, placeIn(box->parentWidget(), picture));
                EXPECT_GE(indicatorAgainst(*box, picture, card), std::min(3.0, onWindow))
                    << look.name << ", \"" << box->text().toStdString() << "\" " << (checked ? "checked" : "unchecked")
                    << " on " << card.name().toStdString() << ", the box on the window " << onWindow << ":1";
            }
            const QSignalBlocker quiet(box);
            box->setChecked(was);
        }
    }
}
