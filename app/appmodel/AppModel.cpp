#include "AppModel.h"

#include "Autopilot.h"
#include "FileDialogMessage.h"
#include "NameTemplate.h"
#include "Prefs.h"
#include "RealHome.h"
#include "RuleSentence.h"
#include "RuleTemplates.h"
#include "StandardFolders.h"
#include "Store.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QTimer>

namespace {
constexpr auto settingsTabKey = "settings.tab";
constexpr auto onboardedKey = "onboarded";
constexpr int cleanUpResultSeconds = 6;

QString askForFolder(bool watched, const QString &startFolder)
{
    // The message says what the choice is for, whole under the file list;
    // the button says what it does.
    const QString message = watched ? AppModel::tr("Filewright looks at new files in this folder and runs your rules on them.")
                                    : AppModel::tr("Rules may file into this folder and its subfolders.");
    QFileDialog dialog(nullptr, QString(), startFolder);
    dialog.setObjectName(QStringLiteral("folderChooser"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    FileDialogMessage::add(dialog, message);
    dialog.setLabelText(QFileDialog::Accept, watched ? AppModel::tr("Watch Folder") : AppModel::tr("Allow Access"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

AppModel::AppModel(std::unique_ptr<Store> store, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_chooser(askForFolder)
{
    const auto settings = Prefs::settings();
    m_settingsTab = SettingsTabs::fromRawValue(settings->value(QLatin1String(settingsTabKey)).toString())
                        .value_or(SettingsTab::general);
    Prefs::registerDefaults();
    m_autopilot = std::make_unique<Autopilot>(*m_store);
    if (!Store::isOverridden()) {
        m_showOnboarding = !settings->value(QLatin1String(onboardedKey), false).toBool();
        m_autopilot->start();
    }
}

AppModel::~AppModel() = default;

void AppModel::setSidebar(std::optional<SidebarItem> item)
{
    if (item == m_sidebar)
        return;
    m_sidebar = item;
    Q_EMIT sidebarChanged();
}

void AppModel::setJournalFilter(JournalFilter filter)
{
    if (filter == m_journalFilter)
        return;
    m_journalFilter = filter;
    Q_EMIT journalFilterChanged();
}

void AppModel::setEditing(std::optional<Editing> editing)
{
    m_editing = std::move(editing);
    Q_EMIT editingChanged();
}

void AppModel::setShowOnboarding(bool show)
{
    if (show == m_showOnboarding)
        return;
    m_showOnboarding = show;
    Q_EMIT showOnboardingChanged();
}

void AppModel::setShowPalette(bool show)
{
    if (show == m_showPalette)
        return;
    m_showPalette = show;
    Q_EMIT showPaletteChanged();
}

void AppModel::setCleanUpResult(const std::optional<QString> &text)
{
    if (text == m_cleanUpResult)
        return;
    m_cleanUpResult = text;
    Q_EMIT cleanUpResultChanged();
}

void AppModel::focusDescribeField()
{
    setSidebar(SidebarItem::rules);
    ++m_describeFocus;
    Q_EMIT describeFocusChanged();
}

void AppModel::setSettingsTab(SettingsTab tab)
{
    if (!Store::isOverridden())
        Prefs::settings()->setValue(QLatin1String(settingsTabKey), SettingsTabs::rawValue(tab));
    if (tab == m_settingsTab)
        return;
    m_settingsTab = tab;
    Q_EMIT settingsTabChanged();
}

QList<WatchedFolder> AppModel::folders() const
{
    return m_store->folders();
}

QList<WatchedFolder> AppModel::watchedFolders() const
{
    QList<WatchedFolder> watched = folders();
    watched.removeIf([](const WatchedFolder &folder) { return !folder.isWatched; });
    return watched;
}

void AppModel::newRule()
{
    setSidebar(SidebarItem::rules);
    const QList<WatchedFolder> watched = watchedFolders();
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = tr("New Rule");
    rule.conditions = {Condition{QUuid::createUuid(), Condition::Field::fileType, Condition::Operator::is, QStringLiteral("pdf")}};
    rule.actions = {RuleAction{QUuid::createUuid(), RuleAction::Kind::move,
                                 StandardFolders::tilde(StandardFolders::Folder::documents) + QStringLiteral("/{jahr}")}};
    rule.isEnabled = true;
    std::optional<QUuid> folderID;
    if (!watched.isEmpty())
        folderID = watched.constFirst().uuid;
    setEditing(Editing{QUuid::createUuid(), rule, folderID, true});
}

std::optional<WatchedFolder> AppModel::chooseFolder(bool watched, const QString &suggested)
{
    const QString start =
        suggested.isEmpty() ? StandardFolders::path(StandardFolders::Folder::downloads, RealHome::path()) : suggested;
    const QString chosen = m_chooser ? m_chooser(watched, start) : QString();
    if (chosen.isEmpty())
        return std::nullopt;
    return m_autopilot->addFolder(QDir::cleanPath(chosen), watched);
}

void AppModel::setWatching(const WatchedFolder &folder, bool enabled, bool includeSubfolders)
{
    std::optional<WatchedFolder> stored = m_store->folder(folder.uuid);
    if (!stored)
        return;
    stored->isEnabled = enabled;
    stored->includeSubfolders = includeSubfolders;
    m_store->update(*stored);
    m_autopilot->restart();
}

void AppModel::removeFolder(const WatchedFolder &folder)
{
    m_store->remove(folder);
    m_autopilot->restart();
}

void AppModel::correct(const RecognitionRecord &record, const Recognition &reading)
{
    RecognitionRecord changed = record;
    changed.setRecognition(reading);
    changed.edited = true;
    m_store->update(changed);
}

void AppModel::edit(const StoredRule &stored)
{
    setEditing(Editing{QUuid::createUuid(), stored.rule(), stored.folderID, false});
}

void AppModel::save(const Editing &editing)
{
    const QList<StoredRule> rules = m_store->rules();
    for (StoredRule stored : rules) {
        if (stored.uuid != editing.rule.id)
            continue;
        stored.setRule(editing.rule);
        stored.folderID = editing.folderID;
        m_store->update(stored);
        return;
    }
    const qint64 order = rules.isEmpty() ? 1 : rules.constLast().order + 1;
    StoredRule stored(editing.rule, editing.folderID, order);
    m_store->insert(stored);
}

void AppModel::setEnabled(const StoredRule &stored, bool enabled)
{
    StoredRule changed = stored;
    Rule rule = changed.rule();
    rule.isEnabled = enabled;
    changed.setRule(rule);
    m_store->update(changed);
}

void AppModel::move(const StoredRule &stored, int delta)
{
    QList<StoredRule> rules = m_store->rules();
    const auto it = std::find_if(rules.begin(), rules.end(), [&](const StoredRule &rule) { return rule.id == stored.id; });
    if (it == rules.end())
        return;
    const qsizetype from = it - rules.begin();
    const qsizetype to = std::clamp<qsizetype>(from + delta, 0, rules.size() - 1);
    rules.move(from, to);
    m_store->batch([&] {
        for (qsizetype i = 0; i < rules.size(); ++i) {
            if (rules[i].order == i)
                continue;
            rules[i].order = i;
            m_store->update(rules[i]);
        }
    });
}

QString AppModel::sentence(const Rule &rule, const std::optional<QUuid> &folderID) const
{
    const std::optional<WatchedFolder> folder = m_autopilot->folder(folderID);
    const QString folderName = folder ? folder->name() : tr("a folder");
    return RuleSentence::make(rule, folderName, Prefs::sentenceLanguage());
}

QStringList AppModel::missingAccess(const Rule &rule) const
{
    const NameTemplate names{NameLanguage::de, QStringLiteral("yyyy-MM-dd")};
    QStringList missing;
    for (const RuleAction &action : rule.actions) {
        if (action.kind != RuleAction::Kind::move && action.kind != RuleAction::Kind::copy)
            continue;
        QString base = action.value.left(action.value.indexOf(u'{'));
        if (base.endsWith(u'/'))
            base.chop(1);
        const QString folder = names.folder(base, {}, RealHome::path());
        if (!m_autopilot->canWrite(folder) && !missing.contains(folder))
            missing.append(folder);
    }
    return missing;
}

QList<RecognitionRecord> AppModel::receipts(int year, int month) const
{
    return m_store->receipts(year, month);
}

void AppModel::cleanUp(const WatchedFolder &folder)
{
    setSidebar(SidebarItem::journal);
    const QString name = folder.name();
    setCleanUpResult(tr("Cleaning up %1…").arg(name));
    QPointer<AppModel> self(this);
    m_autopilot->cleanUp(folder, [self, name](int count) {
        if (!self)
            return;
        self->setCleanUpResult(tr("%1: %n file(s) handled", nullptr, count).arg(name));
        QTimer::singleShot(cleanUpResultSeconds * 1000, self, [self] {
            if (self)
                self->setCleanUpResult(std::nullopt);
        });
    });
}

void AppModel::addTemplates(const QSet<QString> &ids, const std::optional<WatchedFolder> &downloads,
                            const std::optional<WatchedFolder> &desktop)
{
    const QList<RuleTemplates::Template> templates = RuleTemplates::all(Prefs::nameTemplate().language);
    m_store->batch([&] {
        for (const RuleTemplates::Template &entry : templates) {
            if (!ids.contains(entry.id))
                continue;
            const std::optional<WatchedFolder> &folder =
                entry.folder == RuleTemplates::Folder::desktop ? desktop : downloads;
            std::optional<QUuid> folderID;
            if (folder)
                folderID = folder->uuid;
            StoredRule stored(entry.rule, folderID, m_store->count(Store::Model::storedRule));
            m_store->insert(stored);
        }
    });
}

QString AppModel::nearestExisting(const QString &path)
{
    QString current = QDir::cleanPath(path);
    while (true) {
        if (QFileInfo::exists(current))
            return current;
        if (current == QLatin1String("/") || current.isEmpty() || !current.contains(u'/'))
            return current.isEmpty() ? QStringLiteral("/") : current;
        const qsizetype slash = current.lastIndexOf(u'/');
        current = slash == 0 ? QStringLiteral("/") : current.left(slash);
    }
}
