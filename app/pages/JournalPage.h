// The journal page: every step the automation took, in sections per day,
// newest first, narrowed to the files waiting for a check when the filter
// says so. From a row the user checks a waiting file in the review sheet,
// undoes a filing or shows the file in the file manager. The page holds view
// state only: it reads the store as it changes and acts through the Autopilot.
#pragma once

#include "ContextMenuKeys.h"
#include "JournalList.h"
#include "JournalRow.h"
#include "ReviewSheet.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

class AppModel;
class EmptyStateView;
class JournalDelegate;
class JournalModel;
class QAbstractButton;
class QMenu;

class JournalPage : public QWidget
{
    Q_OBJECT

public:
    explicit JournalPage(AppModel &model, QWidget *parent = nullptr);
    ~JournalPage() override;

    // Opens the review sheet on the entry stored under id, in place of any
    // sheet open; none closes it. The screenshot mode drives the sheet this way.
    void review(std::optional<qint64> entryId);
    ReviewSheet *reviewSheet() const { return m_sheet; }

    // Carries out a row's action on the entry stored under id; nothing while
    // a decision on the entry is under way.
    void trigger(qint64 entryId, JournalRow::Action action);
    // The context menu of the entry's row: Undo when it can be undone, then
    // Show in File Manager. The caller shows it.
    QMenu *contextMenu(qint64 entryId);
    // Shows the entry's file in the file manager: where it was filed, else
    // where it was found; nothing when neither exists.
    void reveal(qint64 entryId);

    JournalList *list() const { return m_list; }
    JournalModel &journal() const { return *m_journal; }
    // The text over the list while it is empty (its title), else empty.
    QString emptyTitle() const;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFilter();
    void showEmptyState();
    // Gives the rows in view their heights at the list's width. Rows out of
    // view are measured when they come into view, so that a resize costs
    // the same however many rows were read.
    void fitShown();
    // Measures the rows in view not yet measured in this round; whether a
    // row changed its height.
    bool measureRowsInView(int height);
    // Rows measured before a change of width or font are measured again.
    void refit();
    // Gives the focus of a list that stayed empty to the filter.
    void leaveEmptyList();
    // The entry of the row the keyboard is on, or 0.
    qint64 currentEntry() const;
    void showContextMenu(qint64 entryId, const QPoint &globalPosition);

    AppModel &m_model;
    JournalModel *m_journal = nullptr;
    JournalDelegate *m_delegate = nullptr;
    JournalList *m_list = nullptr;
    QAbstractButton *m_all = nullptr;
    QAbstractButton *m_waiting = nullptr;
    EmptyStateView *m_empty = nullptr;
    QPointer<ReviewSheet> m_sheet;
    int m_fittedWidth = -1;
    // For each row, the round of fitting its height belongs to; rows of an
    // earlier round are measured again when shown.
    std::vector<quint32> m_fitted;
    quint32 m_fitRound = 1;
    // The Menu key and Shift+F10 on the list.
    ContextMenuKeys m_menuKeys;
};
