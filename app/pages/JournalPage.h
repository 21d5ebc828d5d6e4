// The journal page: every step the automation took, in sections per day,
// newest first, narrowed to the files waiting for a check when the filter
// says so. From a row the user checks a waiting file in the review sheet,
// undoes a filing or shows the file in the file manager. The page holds view
// state only: it reads the store as it changes and acts through the Autopilot.
#pragma once

#include "JournalRow.h"
#include "ReviewSheet.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class AppModel;
class EmptyStateView;
class JournalDelegate;
class JournalModel;
class QAbstractButton;
class QTableView;

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

    // Carries out a row's action on the entry stored under id.
    void trigger(qint64 entryId, JournalRow::Action action);
    // Shows the entry's file in the file manager: where it was filed, else
    // where it was found; nothing when neither exists.
    void reveal(qint64 entryId);

    QTableView *list() const { return m_list; }
    JournalModel &journal() const { return *m_journal; }
    // The text over the list while it is empty (its title), else empty.
    QString emptyTitle() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showFilter();
    void showEmptyState();
    void fitRows(int first, int last);
    void showContextMenu(const QPoint &position);

    AppModel &m_model;
    JournalModel *m_journal = nullptr;
    JournalDelegate *m_delegate = nullptr;
    QTableView *m_list = nullptr;
    QAbstractButton *m_all = nullptr;
    QAbstractButton *m_waiting = nullptr;
    EmptyStateView *m_empty = nullptr;
    QPointer<ReviewSheet> m_sheet;
    int m_fittedWidth = -1;
};
