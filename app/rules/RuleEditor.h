// The sheet in which one rule is built or changed: its name, its folder, its
// conditions and actions row by row, the rule told back as a sentence, and a
// dry run of the unsaved rule. Every control changes only the editor's own
// copy; Save (Accept Rule for a draft) hands it to the AppModel, Cancel
// drops it.
#pragma once

#include "AppModel.h"
#include "DryRunRequest.h"
#include "Sheet.h"

#include <QPointer>

class ActionRow;
class ApplicationCatalog;
class ConditionRow;
class DryRunView;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class RuleRow;

class RuleEditor : public Sheet
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{640, 620};

    RuleEditor(AppModel &model, AppModel::Editing editing, QWidget *parent = nullptr);
    ~RuleEditor() override;

    const AppModel::Editing &editing() const { return m_editing; }
    // A rule drafted from a sentence that has not been accepted yet.
    bool isDrafted() const;
    bool canSave() const;
    bool canDryRun() const;
    QString sentence() const;
    // The open dry-run sheet, if any.
    DryRunView *dryRunView() const;

    // The menus' entries, in field and kind order.
    QMenu *addConditionMenu() const { return m_addCondition; }
    QMenu *addActionMenu() const { return m_addAction; }
    QList<ConditionRow *> conditionRows() const;
    QList<ActionRow *> actionRows() const;

    void addCondition(Condition::Field field);
    void addAction(RuleAction::Kind kind);
    void removeItem(const QUuid &id);
    // Moves a condition or action one place up (−1) or down (1) within its list.
    void moveItem(const QUuid &id, int delta);
    void chooseFolder(const std::optional<QUuid> &folderID);
    void openDryRun();
    void save();

protected:
    void changeEvent(QEvent *event) override;

private:
    static constexpr int bannerIconSize = 20;

    QWidget *buildForm();
    QWidget *buildBottomBar();
    void fillFolders();
    void insertConditionRow(const Condition &condition, int index);
    void insertActionRow(const RuleAction &action, int index);
    void connectRow(RuleRow *row);
    // Tab goes through the controls as they stand on screen, top to bottom;
    // after every change of the rows.
    void orderTabs();
    void refreshModelStatus();
    void refreshTint();
    // Sentence and button states, after every change.
    void refresh();

    AppModel &m_model;
    AppModel::Editing m_editing;
    ApplicationCatalog *m_applications = nullptr;
    QPointer<DryRunView> m_dryRun;
    QLineEdit *m_name = nullptr;
    QComboBox *m_folder = nullptr;
    QVBoxLayout *m_conditions = nullptr;
    QVBoxLayout *m_actions = nullptr;
    QMenu *m_addCondition = nullptr;
    QMenu *m_addAction = nullptr;
    QToolButton *m_addConditionButton = nullptr;
    QToolButton *m_addActionButton = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_bannerIcon = nullptr;
    QLabel *m_sentence = nullptr;
    QPushButton *m_dryRunButton = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_primary = nullptr;
};
