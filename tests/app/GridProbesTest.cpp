// Layout probes: the file they are written to, who may withdraw a probe, and
// widgets that report their frames in window coordinates.
#include "GridOverlay.h"
#include "GridProbeFilter.h"

#include <QVBoxLayout>
#include <gtest/gtest.h>

using Probe = GridProbes::Probe;
using Kind = GridProbes::Kind;

TEST(GridProbesTest, WritesSortedProbesWithSortedKeysAndReadsThemBack)
{
    GridProbes store;
    const QUuid owner = QUuid::createUuid();
    store.update(Probe{Kind::probe, QStringLiteral("late"), QStringLiteral("b"), QStringLiteral("lead"), 0, 0, 5, 10, 10}, owner);
    store.update(Probe{Kind::probe, QStringLiteral("right"), QStringLiteral("a"), std::nullopt, 0, 30, 10, 4, 4}, owner);
    store.update(Probe{Kind::probe, QStringLiteral("left"), QStringLiteral("a"), std::nullopt, 0, 10, 10, 4, 4}, owner);
    store.update(Probe{Kind::area, QStringLiteral("a"), QStringLiteral("a"), std::nullopt, 20, 99, 2.5, 4, 4}, owner);
    const QStringList order{QStringLiteral("a"), QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("late")};
    QStringList names;
    for (const Probe &probe : store.probes())
        names.append(probe.name);
    EXPECT_EQ(names, order);

    const GridProbes::File file{QSizeF(800, 600), store.probes()};
    const QByteArray json = GridProbes::encode(file);
    // Keys sorted at every level, whole numbers without a fraction, no edge where there is none.
    EXPECT_LT(json.indexOf("\"probes\""), json.indexOf("\"window\""));
    EXPECT_LT(json.indexOf("\"height\": 600"), json.indexOf("\"width\": 800"));
    EXPECT_TRUE(json.contains("\"inset\": 20,")) << json.toStdString();
    EXPECT_TRUE(json.contains("\"y\": 2.5")) << json.toStdString();
    EXPECT_EQ(json.count("\"edge\""), 1);
    EXPECT_EQ(GridProbes::decode(json), file);
    EXPECT_EQ(GridProbes::decode(GridProbes::encode({QSizeF(3, 4), {}})), (GridProbes::File{QSizeF(3, 4), {}}));

    EXPECT_FALSE(GridProbes::decode(QByteArray(json).replace("\"kind\": \"area\"", "\"kind\": \"box\"")));
    EXPECT_FALSE(GridProbes::decode(QByteArray(json).replace("\"inset\"", "\"margin\"")));
}

TEST(GridProbesTest, WidgetsReportTheirFramesInTheirWindowWhileShown)
{
    GridProbes store;
    QWidget window;
    window.resize(400, 300);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(16, 24, 16, 24);
    auto *column = new QWidget(&window);
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(8, 8, 8, 8);
    auto *card = new QWidget(column);
    card->setMinimumHeight(40);
    columnLayout->addWidget(card);
    layout->addWidget(column);
    new GridProbeFilter(column, Probe{Kind::area, QStringLiteral("rules"), QStringLiteral("rules"), {}, 20}, store);
    // A probe of the same name as an area keeps apart from it.
    new GridProbeFilter(card, Probe{Kind::probe, QStringLiteral("rules"), QStringLiteral("rules")}, store);
    auto *cardFilter = new GridProbeFilter(card, Probe{Kind::probe, QStringLiteral("card"), QStringLiteral("rules"),
                                                        QStringLiteral("lead")}, store);
    EXPECT_TRUE(store.probes().isEmpty()); // nothing shown yet

    window.show();
    const QList<Probe> shown = store.probes(&window);
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], (Probe{Kind::area, QStringLiteral("rules"), QStringLiteral("rules"), {}, 20, 16, 24, 368, 252}));
    EXPECT_EQ(shown[1].x, 24);
    EXPECT_EQ(shown[1].y, 32);
    EXPECT_TRUE(store.probes(nullptr).isEmpty());

    // Moving a parent moves the probe within the window.
    layout->setContentsMargins(40, 24, 16, 24);
    layout->activate();
    EXPECT_EQ(store.probes(&window)[1].x, 48);

    // A second card takes the key; the first one going does not withdraw it.
    auto *other = new QWidget(column);
    columnLayout->addWidget(other);
    new GridProbeFilter(other, Probe{Kind::probe, QStringLiteral("card"), QStringLiteral("rules")}, store);
    other->show();
    delete cardFilter;
    EXPECT_EQ(store.probes(&window).size(), 3);
    column->hide();
    EXPECT_TRUE(store.probes().isEmpty());
}

// Several widgets report under one name, as every card of the rules page
// does: the probe is the topmost of them whatever order they reported in
// (a page that made its last card in a later turn reports it last), and the
// next one takes its place when it goes.
TEST(GridProbesTest, OfOneNameTheTopmostCountsWhateverTheOrderOfReports)
{
    const auto card = [](double y) {
        return Probe{Kind::probe, QStringLiteral("card"), QStringLiteral("rules"), QStringLiteral("lead"), 0, 75, y, 720, 155};
    };
    const QUuid owners[] = {QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid()};
    const double tops[] = {199, 370, 817};
    const QList<QList<int>> orders{{0, 1, 2}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
    for (const QList<int> &order : orders) {
        SCOPED_TRACE(::testing::PrintToString(order));
        GridProbes store;
        QWidget window;
        for (const int index : order)
            store.update(card(tops[index]), owners[index], &window);
        EXPECT_EQ(store.probes(), QList<Probe>{card(199)});
        EXPECT_EQ(store.probes(&window), QList<Probe>{card(199)});
        store.remove(Kind::probe, QStringLiteral("card"), owners[0]);
        EXPECT_EQ(store.probes(), QList<Probe>{card(370)});
        // A card that moves up takes the probe.
        store.update(card(100), owners[2], &window);
        EXPECT_EQ(store.probes(), QList<Probe>{card(100)});
    }
}

TEST(GridProbesTest, SwitchesAndGuides)
{
    const auto environment = [](std::initializer_list<std::pair<const char *, const char *>> variables) {
        QProcessEnvironment result;
        for (const auto &[name, value] : variables)
            result.insert(QLatin1String(name), QLatin1String(value));
        return result;
    };
    EXPECT_TRUE(GridProbes::enabledBy(environment({{"APP_SNAPSHOT", ""}})));
    EXPECT_FALSE(GridOverlay::enabledBy(environment({{"APP_SNAPSHOT", ""}})));
    EXPECT_FALSE(GridProbes::enabledBy(environment({{"APP_GRID", "true"}})));
    EXPECT_FALSE(GridOverlay::enabledBy(environment({{"APP_GRID", "01"}})));
    EXPECT_TRUE(GridProbes::enabledBy(environment({{"APP_GRID", "1"}})));
    EXPECT_TRUE(GridOverlay::enabledBy(environment({{"APP_GRID", "1"}})));

    EXPECT_EQ(GridOverlay::guides(800).size(), 101);
    EXPECT_EQ(GridOverlay::guides(803), GridOverlay::guides(800));
}
