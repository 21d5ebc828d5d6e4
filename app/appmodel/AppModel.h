// The state every window shares: the store, the automation driver, the page
// shown, the journal filter, the rule being edited, the sheet flags, the
// clean-up status and the settings tab; and the operations on folders and
// rules that menus, pages and the palette call. One per process, main thread.
#pragma once

#include "Models.h"
#include "Rule.h"
#include "SettingsTab.h"
#include "SidebarItem.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class Autopilot;
class Store;

class AppModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool showOnboarding READ showOnboarding WRITE setShowOnboarding NOTIFY showOnboardingChanged)
    Q_PROPERTY(bool showPalette READ showPalette WRITE setShowPalette NOTIFY showPaletteChanged)
    Q_PROPERTY(int describeFocus READ describeFocus NOTIFY describeFocusChanged)

public:
    enum class JournalFilter { all, review };

    // The rule shown in the rule editor.
    struct Editing
    {
        QUuid id; // this edit's identity, not the rule's
        Rule rule;
        std::optional<QUuid> folderID; // none: every folder
        bool isNew = false;
    };

    // Asks the user for a folder: (watched, start folder) → chosen path, or
    // empty when cancelled. The application shows a folder dialog; tests
    // answer themselves.
    using FolderChooser = std::function<QString(bool watched, const QString &startFolder)>;

    // Takes the opened store. Registers the defaults and creates the driver;
    // unless a test store is in use, asks for onboarding when it has not been
    // done and starts the driver.
    explicit AppModel(std::unique_ptr<Store> store, QObject *parent = nullptr);
    ~AppModel() override;

    Store &store() const { return *m_store; }
    Autopilot &autopilot() const { return *m_autopilot; }

    std::optional<SidebarItem> sidebar() const { return m_sidebar; }
    void setSidebar(std::optional<SidebarItem> item);
    JournalFilter journalFilter() const { return m_journalFilter; }
    void setJournalFilter(JournalFilter filter);
    const std::optional<Editing> &editing() const { return m_editing; }
    void setEditing(std::optional<Editing> editing);
    bool showOnboarding() const { return m_showOnboarding; }
    void setShowOnboarding(bool show);
    bool showPalette() const { return m_showPalette; }
    void setShowPalette(bool show);
    std::optional<QString> cleanUpResult() const { return m_cleanUpResult; }
    void setCleanUpResult(const std::optional<QString> &text);
    int describeFocus() const { return m_describeFocus; }
    // Shows the rules page and asks the describe field for the focus.
    void focusDescribeField();
    SettingsTab settingsTab() const { return m_settingsTab; }
    void setSettingsTab(SettingsTab tab);

    // Every stored folder and place, oldest first; the watched ones.
    QList<WatchedFolder> folders() const;
    QList<WatchedFolder> watchedFolders() const;

    // Switches watching and subfolders of a stored folder and watches anew.
    void setWatching(const WatchedFolder &folder, bool enabled, bool includeSubfolders);
    // Forgets a folder or place and watches anew; nothing on disk changes and
    // rules that name the folder stay.
    void removeFolder(const WatchedFolder &folder);
    // Keeps the user's correction of a reading and marks the record edited.
    void correct(const RecognitionRecord &record, const Recognition &reading);

    void newRule();
    std::optional<WatchedFolder> chooseFolder(bool watched, const QString &suggested = {});
    void setFolderChooser(FolderChooser chooser) { m_chooser = std::move(chooser); }
    void edit(const StoredRule &stored);
    void save(const Editing &editing);
    void setEnabled(const StoredRule &stored, bool enabled);
    void move(const StoredRule &stored, int delta);
    // The rule as one sentence, naming its folder ("a folder" when it has none).
    QString sentence(const Rule &rule, const std::optional<QUuid> &folderID) const;
    // Target folders of the rule's moves and copies that lie in no stored folder or place.
    QStringList missingAccess(const Rule &rule) const;
    // Invoices and receipts dated in that month of the UTC calendar, oldest first.
    QList<RecognitionRecord> receipts(int year, int month) const;
    void cleanUp(const WatchedFolder &folder);
    // Stores the chosen starter rules for the Downloads and Desktop folders
    // (a rule for every folder where the folder is absent).
    void addTemplates(const QSet<QString> &ids, const std::optional<WatchedFolder> &downloads,
                      const std::optional<WatchedFolder> &desktop);

    // The path itself or its nearest ancestor that exists.
    static QString nearestExisting(const QString &path);

Q_SIGNALS:
    void sidebarChanged();
    void journalFilterChanged();
    void editingChanged();
    void showOnboardingChanged();
    void showPaletteChanged();
    void cleanUpResultChanged();
    void describeFocusChanged();
    void settingsTabChanged();

private:
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Autopilot> m_autopilot;
    std::optional<SidebarItem> m_sidebar = SidebarItem::rules;
    JournalFilter m_journalFilter = JournalFilter::all;
    std::optional<Editing> m_editing;
    bool m_showOnboarding = false;
    bool m_showPalette = false;
    std::optional<QString> m_cleanUpResult;
    int m_describeFocus = 0;
    SettingsTab m_settingsTab = SettingsTab::general;
    FolderChooser m_chooser;
};
