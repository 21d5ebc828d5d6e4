#include "ActionRow.h"
#include "AppModel.h"
#include "Autopilot.h"
#include "Prefs.h"
#include "RealHome.h"
#include "RuleTemplates.h"
#include "Store.h"
#include "TestSupport.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AppModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("app.store"))));
    }

    QString folderPath(const QString &name) const
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    StoredRule storeRule(const QString &name)
    {
        Rule rule;
        rule.id = QUuid::createUuid();
        rule.name = name;
        model->save(AppModel::Editing{QUuid::createUuid(), rule, std::nullopt, true});
        return *model->store().rule(rule.id);
    }

    QStringList ruleNames() const
    {
        QStringList names;
        for (const StoredRule &stored : model->store().rules())
            names.append(stored.rule().name);
        return names;
    }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

} // namespace

TEST_F(AppModelTest, ATestStoreStartsNothingAndRemembersNoSettingsTab)
{
    EXPECT_TRUE(Store::isOverridden());
    EXPECT_FALSE(model->autopilot().isStarted());
    EXPECT_FALSE(model->showOnboarding());
    EXPECT_EQ(model->sidebar(), SidebarItem::rules);
    model->setSettingsTab(SettingsTab::appearance);
    EXPECT_EQ(model->settingsTab(), SettingsTab::appearance);
    QSettings settings;
    EXPECT_FALSE(settings.contains(QStringLiteral("settings.tab")));
}

TEST_F(AppModelTest, FlagsNotifyOnlyWhenTheyChange)
{
    QSignalSpy palette(model.get(), &AppModel::showPaletteChanged);
    QSignalSpy sidebar(model.get(), &AppModel::sidebarChanged);
    QSignalSpy focus(model.get(), &AppModel::describeFocusChanged);
    model->setShowPalette(true);
    model->setShowPalette(true);
    EXPECT_EQ(palette.count(), 1);
    model->setSidebar(SidebarItem::rules);
    EXPECT_EQ(sidebar.count(), 0);
    model->focusDescribeField();
    model->focusDescribeField();
    EXPECT_EQ(focus.count(), 2);
    EXPECT_EQ(model->describeFocus(), 2);
    model->setSidebar(std::nullopt);
    EXPECT_EQ(sidebar.count(), 1);
}

TEST_F(AppModelTest, NewRuleFilesPdfsOfTheOldestWatchedFolder)
{
    model->newRule();
    ASSERT_TRUE(model->editing().has_value());
    EXPECT_TRUE(model->editing()->isNew);
    EXPECT_FALSE(model->editing()->folderID.has_value());
    const Rule &rule = model->editing()->rule;
    ASSERT_EQ(rule.conditions.size(), 1);
    EXPECT_EQ(rule.conditions[0].field, Condition::Field::fileType);
    EXPECT_EQ(rule.conditions[0].value, QStringLiteral("pdf"));
    ASSERT_EQ(rule.actions.size(), 1);
    EXPECT_EQ(rule.actions[0].value, QStringLiteral("~/Documents/{jahr}"));

    const auto place = model->autopilot().addFolder(folderPath(QStringLiteral("place")), false);
    const auto first = model->autopilot().addFolder(folderPath(QStringLiteral("first")), true);
    model->autopilot().addFolder(folderPath(QStringLiteral("second")), true);
    ASSERT_TRUE(place && first);
    model->newRule();
    EXPECT_EQ(model->editing()->folderID, first->uuid);

    // A German desktop's documents folder, for the new rule and a new move or copy.
    const TestSupport::ScopedUserDirs german(TestSupport::ScopedUserDirs::german());
    model->newRule();
    EXPECT_EQ(model->editing()->rule.actions.at(0).value, QStringLiteral("~/Dokumente/{jahr}"));
    EXPECT_EQ(ActionRow::sample(RuleAction::Kind::copy), QStringLiteral("~/Dokumente/{jahr}"));
}

TEST_F(AppModelTest, TheFolderChooserStartsInTheDesktopsDownloadsFolder)
{
    QStringList starts;
    model->setFolderChooser([&](bool, const QString &start) {
        starts.append(start);
        return QString();
    });
    EXPECT_FALSE(model->chooseFolder(true));
    {
        const TestSupport::ScopedUserDirs own("XDG_DOWNLOAD_DIR=\"$HOME/Herunterladen\"\n");
        EXPECT_FALSE(model->chooseFolder(true));
    }
    EXPECT_EQ(starts, (QStringList{RealHome::path() + QStringLiteral("/Downloads"),
                                   RealHome::path() + QStringLiteral("/Herunterladen")}));
}

TEST_F(AppModelTest, SavingInsertsOnceThenUpdatesAndMovingRenumbers)
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("A");
    AppModel::Editing editing{QUuid::createUuid(), rule, std::nullopt, true};
    model->save(editing);
    ASSERT_EQ(model->store().rules().size(), 1);
    EXPECT_EQ(model->store().rules()[0].order, 1);
    editing.rule.name = QStringLiteral("A2");
    model->save(editing);
    ASSERT_EQ(model->store().rules().size(), 1);
    EXPECT_EQ(model->store().rules()[0].rule().name, QStringLiteral("A2"));

    storeRule(QStringLiteral("B"));
    const StoredRule c = storeRule(QStringLiteral("C"));
    EXPECT_EQ(ruleNames(), (QStringList{"A2", "B", "C"}));
    model->move(c, -1);
    EXPECT_EQ(ruleNames(), (QStringList{"A2", "C", "B"}));
    QList<qint64> orders;
    for (const StoredRule &stored : model->store().rules())
        orders.append(stored.order);
    EXPECT_EQ(orders, (QList<qint64>{0, 1, 2}));
    model->move(model->store().rules()[0], -1);
    EXPECT_EQ(ruleNames(), (QStringList{"A2", "C", "B"}));
    model->move(model->store().rules()[0], 5);
    EXPECT_EQ(ruleNames(), (QStringList{"C", "B", "A2"}));
    // A rule saved after a move continues after the highest order.
    storeRule(QStringLiteral("D"));
    EXPECT_EQ(model->store().rules().constLast().order, 3);

    model->setEnabled(model->store().rules()[0], false);
    EXPECT_FALSE(model->store().rules()[0].rule().isEnabled);
}

TEST_F(AppModelTest, MissingAccessListsEachUnreachableTargetOnce)
{
    Rule rule;
    rule.actions = {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Documents/{jahr}")},
                    RuleAction{QUuid::createUuid(), RuleAction::Kind::copy, QStringLiteral("~/Documents/")},
                    RuleAction{QUuid::createUuid(), RuleAction::Kind::rename, QStringLiteral("/elsewhere/{titel}")}};
    const QString documents = RealHome::path() + QStringLiteral("/Documents");
    EXPECT_EQ(model->missingAccess(rule), QStringList{documents});

    QDir().mkpath(documents);
    ASSERT_TRUE(model->autopilot().addFolder(documents, false));
    EXPECT_TRUE(model->missingAccess(rule).isEmpty());

    Rule tagsOnly;
    tagsOnly.actions = {RuleAction{QUuid::createUuid(), RuleAction::Kind::tag, QStringLiteral("x")}};
    EXPECT_TRUE(model->missingAccess(tagsOnly).isEmpty());
}

TEST_F(AppModelTest, CanWriteOnlyInsideStoredFolders)
{
    const QString docs = folderPath(QStringLiteral("Docs"));
    folderPath(QStringLiteral("DocsOld"));
    ASSERT_TRUE(model->autopilot().addFolder(docs, true));
    Autopilot &autopilot = model->autopilot();
    EXPECT_TRUE(autopilot.canWrite(docs));
    EXPECT_TRUE(autopilot.canWrite(docs + QStringLiteral("/2025/x.pdf")));
    EXPECT_TRUE(autopilot.canWrite(docs + QStringLiteral("/../Docs/x.pdf")));
    EXPECT_FALSE(autopilot.canWrite(dir.filePath(QStringLiteral("DocsOld/x.pdf"))));

    // A folder that has to be chosen again no longer counts.
    WatchedFolder folder = model->folders().constFirst();
    folder.needsReselect = true;
    model->store().update(folder);
    EXPECT_FALSE(autopilot.canWrite(docs + QStringLiteral("/x.pdf")));
    // Choosing it again clears the mark and keeps one record.
    ASSERT_TRUE(autopilot.addFolder(docs, false));
    EXPECT_EQ(model->folders().size(), 1);
    EXPECT_TRUE(model->folders()[0].isWatched);
    EXPECT_TRUE(autopilot.canWrite(docs + QStringLiteral("/x.pdf")));
}

TEST_F(AppModelTest, AFolderThatCannotBeKeptSetsTheErrorAndStoresNothing)
{
    const QString missing = dir.filePath(QStringLiteral("nowhere"));
    EXPECT_FALSE(model->autopilot().addFolder(missing, true));
    EXPECT_EQ(model->autopilot().lastError(), QStringLiteral("Filewright could not keep access to %1.").arg(missing));
    EXPECT_TRUE(model->folders().isEmpty());

    model->setFolderChooser([](bool, const QString &) { return QString(); });
    EXPECT_FALSE(model->chooseFolder(true));
    const QString chosen = folderPath(QStringLiteral("chosen"));
    QString start;
    model->setFolderChooser([&](bool watched, const QString &from) {
        start = from;
        return watched ? chosen : QString();
    });
    ASSERT_TRUE(model->chooseFolder(true));
    EXPECT_EQ(start, RealHome::path() + QStringLiteral("/Downloads"));
    EXPECT_EQ(model->watchedFolders().size(), 1);
}

TEST_F(AppModelTest, NearestExistingClimbsToTheDeepestExistingFolder)
{
    EXPECT_EQ(AppModel::nearestExisting(dir.path()), dir.path());
    EXPECT_EQ(AppModel::nearestExisting(dir.filePath(QStringLiteral("a/b/c.pdf"))), dir.path());
    EXPECT_EQ(AppModel::nearestExisting(QStringLiteral("/no-such-root-folder/x/y")), QStringLiteral("/"));
}

TEST_F(AppModelTest, StarterRulesGoToTheirFoldersInOrder)
{
    const auto downloads = model->autopilot().addFolder(folderPath(QStringLiteral("Downloads")), true);
    ASSERT_TRUE(downloads);
    const QList<RuleTemplates::Template> templates = RuleTemplates::all(Prefs::nameTemplate().language);
    QSet<QString> ids{QStringLiteral("no-such-template")};
    for (const RuleTemplates::Template &entry : templates)
        ids.insert(entry.id);
    model->addTemplates(ids, downloads, std::nullopt);
    const QList<StoredRule> rules = model->store().rules();
    ASSERT_EQ(rules.size(), templates.size());
    for (qsizetype i = 0; i < rules.size(); ++i) {
        EXPECT_EQ(rules[i].order, i);
        EXPECT_EQ(rules[i].rule().name, templates[i].rule.name);
        // Desktop rules without a Desktop folder become rules for every folder.
        if (templates[i].folder == RuleTemplates::Folder::desktop)
            EXPECT_FALSE(rules[i].folderID.has_value());
        else
            EXPECT_EQ(rules[i].folderID, downloads->uuid);
    }
}

TEST_F(AppModelTest, SentencesNameTheRulesFolder)
{
    Rule rule;
    rule.conditions = {Condition{QUuid::createUuid(), Condition::Field::fileType, Condition::Operator::is, QStringLiteral("pdf")}};
    const auto folder = model->autopilot().addFolder(folderPath(QStringLiteral("Inbox")), true);
    ASSERT_TRUE(folder);
    EXPECT_TRUE(model->sentence(rule, folder->uuid).contains(QStringLiteral("Inbox")));
    EXPECT_TRUE(model->sentence(rule, std::nullopt).contains(QStringLiteral("a folder")) ||
                model->sentence(rule, std::nullopt).contains(QStringLiteral("einem Ordner")));
}
