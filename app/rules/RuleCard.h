// One stored rule on the rules page: its name, its folder, the switch that
// turns it on and off, the rule as a sentence, what keeps it from running
// (the language model, or folders it may not write into) and its actions.
// The card holds a copy of the stored record only to show it; every change
// goes through the AppModel or the store and comes back through the page.
#pragma once

#include "ContextMenuKeys.h"
#include "Models.h"

#include <QFrame>

class AppModel;
class Chip;
class FocusPlace;
class QMenu;
class QPushButton;
class ToggleSwitch;
class WrappedLabel;

class RuleCard : public QFrame
{
    Q_OBJECT

public:
    RuleCard(AppModel &model, const StoredRule &stored, QWidget *parent = nullptr);

    const StoredRule &stored() const { return m_stored; }
    // Shows the record (or the same one again after its folder, the
    // folders allowed or the model's state changed).
    void setStored(const StoredRule &stored);

    // The card's menu: Edit, Dry Run, Move Up, Move Down, Delete Rule.
    QMenu *makeMenu(QWidget *parent);
    // Deletes the stored rule at once.
    void deleteRule();

    // What Tab reaches in the card, in screen order.
    QList<QWidget *> tabStops() const;

    ToggleSwitch *enabledSwitch() const { return m_switch; }
    QPushButton *editButton() const { return m_edit; }
    QPushButton *dryRunButton() const { return m_dryRun; }
    QString sentence() const;
    // The notes shown under the sentence (paused, needs access), in order.
    QStringList notes() const;

Q_SIGNALS:
    void dryRunRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // The Menu key and Shift+F10 on the card or any of its controls, or a
    // click with the secondary button, open the card's menu.
    bool event(QEvent *event) override;

private:
    // The card's menu at globalPosition; from the keyboard (a null
    // position) under the focused control or at the card's top.
    void showContextMenu(QPoint globalPosition);
    // A note row: a symbol and a secondary text; hidden until needed.
    QWidget *addNote(const QString &symbol, WrappedLabel *&text);
    void edit();
    void move(int delta);
    // The record as stored now (it may have moved since it was shown).
    StoredRule current() const;

    AppModel &m_model;
    StoredRule m_stored;
    QStringList m_missing;
    WrappedLabel *m_name = nullptr;
    Chip *m_folder = nullptr;
    ToggleSwitch *m_switch = nullptr;
    WrappedLabel *m_sentence = nullptr;
    QWidget *m_paused = nullptr;
    WrappedLabel *m_pausedText = nullptr;
    QWidget *m_access = nullptr;
    WrappedLabel *m_accessText = nullptr;
    QPushButton *m_allow = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_dryRun = nullptr;
    FocusPlace *m_place = nullptr;
    ContextMenuKeys m_menuKeys;
};
