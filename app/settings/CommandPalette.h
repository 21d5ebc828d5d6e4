// The command palette (Ctrl+K): a search field over a list of everything one
// can jump to or start: the pages, a new or described rule, the items to
// check, cleaning up each watched folder, editing each stored rule, adding
// a folder, the settings and copying the diagnostics. Words typed narrow the
// list; the arrows move the highlight, Return or a click runs it, Escape
// or Ctrl+W closes it as any sheet. The palette closes first and the command runs a quarter of a
// second later, so sheets and dialogs it opens find the window free.
#pragma once

#include "Sheet.h"

#include <QList>
#include <QString>

#include <functional>

class AppModel;
class QLabel;
class QLineEdit;
class QListView;
class PaletteListModel;

class CommandPalette : public Sheet
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{560, 380};
    static constexpr int runDelayMs = 250;

    struct Command
    {
        QString id;     // unique within one list
        QString title;  // shown, already translated
        QString detail; // a second line; empty for most
        QString symbol;
        std::function<void()> run;
    };

    CommandPalette(AppModel &model, std::function<void()> openSettings, QWidget *parent = nullptr);
    ~CommandPalette() override;

    // Every command, built from the store (again whenever it changes).
    const QList<Command> &commands() const { return m_commands; }
    // The indexes of the commands that fit the query now, in list order.
    const QList<int> &matches() const { return m_matches; }
    // The highlighted match; may lie outside the matches (then nothing is).
    int selected() const { return m_selected; }
    QLineEdit *searchField() const { return m_search; }
    QListView *list() const { return m_list; }
    bool showsNoMatches() const;

    // The texts that fit a query: every word of it (split at spaces, case
    // ignored) occurs in the text. searchTexts are already in lower case.
    static QList<int> match(const QStringList &searchTexts, const QString &query);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void rebuild();
    void rematch();
    void setSelected(int selected);
    // Closes the palette and runs the highlighted match after a moment.
    void runSelected();

    AppModel &m_model;
    std::function<void()> m_openSettings;
    QList<Command> m_commands;
    QStringList m_searchTexts;
    QList<int> m_matches;
    int m_selected = 0;
    bool m_rebuildScheduled = false;
    QLineEdit *m_search = nullptr;
    QListView *m_list = nullptr;
    PaletteListModel *m_listModel = nullptr;
    QLabel *m_noMatches = nullptr;
};
