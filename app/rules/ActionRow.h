// One action of the rule in the editor: what is done to a matching file and
// with which value. Every kind is typed into the same field; "Open with" also
// offers the installed applications and one chosen by its path.
#pragma once

#include "Rule.h"
#include "RuleRow.h"

#include <QPointer>

class ApplicationCatalog;
class QComboBox;
class QLineEdit;
class QMenu;
class QToolButton;

class ActionRow : public RuleRow
{
    Q_OBJECT

public:
    // applications may be null: then only an application chosen by path is offered.
    ActionRow(const RuleAction &action, const ApplicationCatalog *applications, QWidget *parent = nullptr);

    const RuleAction &action() const { return m_action; }
    QUuid itemID() const override { return m_action.id; }

    static QString title(RuleAction::Kind kind);
    // The value set when the kind is chosen, and the prompt of the field.
    static QString sample(RuleAction::Kind kind);
    static QString symbol(RuleAction::Kind kind);

    // Asks for an executable or desktop entry; empty when cancelled. Tests
    // answer themselves.
    using PathChooser = std::function<QString(QWidget *parent)>;
    void setPathChooser(PathChooser chooser) { m_chooser = std::move(chooser); }
    // The menu of applications; filled each time it opens.
    QMenu *applicationMenu() const { return m_applicationMenu; }

Q_SIGNALS:
    void actionChanged(const RuleAction &action);

private:
    void chooseKind(int index);
    void setValue(const QString &value);
    void fillApplicationMenu();
    void refresh();

    RuleAction m_action;
    QPointer<const ApplicationCatalog> m_applications;
    PathChooser m_chooser;
    QComboBox *m_kind = nullptr;
    QLineEdit *m_value = nullptr;
    QToolButton *m_application = nullptr;
    QMenu *m_applicationMenu = nullptr;
};
