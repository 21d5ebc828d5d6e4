// The first-run sheet: what Filewright does, the Downloads and Desktop
// folders to watch, the starter rules and notifications, over four pages.
// "Start" stores the chosen starter rules for the chosen folders, marks the
// onboarding as done and restarts the automation. Every showing starts
// afresh. It has no cancel: Escape and Ctrl+W leave it open, and closing its
// window from outside stores nothing.
#pragma once

#include "Models.h"

#include "Sheet.h"

#include <QHash>
#include <QSet>

#include <optional>

class AppModel;
class Notifier;
class QLabel;
class ModelStatusLine;
class SymbolLabel;
class FocusPlace;
class QPushButton;
class QStackedWidget;
class StarterRuleToggle;

class OnboardingView : public Sheet
{
    Q_OBJECT

public:
    static constexpr int steps = 4;

    OnboardingView(AppModel &model, QWidget *parent = nullptr);

    int step() const { return m_step; }
    const std::optional<WatchedFolder> &downloads() const { return m_downloads; }
    const std::optional<WatchedFolder> &desktop() const { return m_desktop; }
    const QSet<QString> &templates() const { return m_templates; }

    // Where "Allow Notifications…" sends its one test notification
    // (the session bus unless another is set).
    void setNotifier(const Notifier *notifier) { m_notifier = notifier; }

    // Finds the Downloads and Desktop folders among the watched folders.
    void discoverFolders();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    enum class Row { downloads, desktop };

    QWidget *welcomePage();
    QWidget *foldersPage();
    QWidget *rulesPage();
    QWidget *notificationsPage();
    QWidget *folderChoice(Row row, const QString &title, const QString &detail);
    void choose(Row row);
    void goTo(int step);
    void forward();
    void finish();
    void askNotifications();
    void refreshFolders();
    void refreshModelStatus();

    AppModel &m_model;
    const Notifier *m_notifier = nullptr;
    int m_step = 0;
    std::optional<WatchedFolder> m_downloads;
    std::optional<WatchedFolder> m_desktop;
    QSet<QString> m_templates;
    bool m_notificationsAsked = false;

    QStackedWidget *m_pages = nullptr;
    QLabel *m_stepText = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
    struct FolderRow
    {
        SymbolLabel *symbol = nullptr;
        QPushButton *button = nullptr;
    };
    QHash<Row, FolderRow> m_rows;
    ModelStatusLine *m_status = nullptr;
    QHash<QString, StarterRuleToggle *> m_toggles;
    QPushButton *m_askButton = nullptr;
    FocusPlace *m_place = nullptr;
};
