#include "RowMenuKeys.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMenu>

RowMenuKeys::RowMenuKeys(QAbstractItemView *view)
    : QObject(view)
    , m_view(view)
{
    view->installEventFilter(this);
}

bool RowMenuKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Key presses an open cell leaves come here too.
    if (watched == m_view && m_keys.take(event, [this](QPoint globalPosition) { showMenu(globalPosition); }))
        return true;
    return QObject::eventFilter(watched, event);
}

void RowMenuKeys::showMenu(QPoint globalPosition)
{
    if (globalPosition.isNull()) {
        const QItemSelectionModel *selection = m_view->selectionModel();
        QModelIndex at = m_view->currentIndex();
        if (!at.isValid() || !selection->isRowSelected(at.row(), at.parent())) {
            const QModelIndexList selected = selection->selectedIndexes();
            if (selected.isEmpty())
                return;
            at = selected.constFirst();
        }
        const QRect cell = m_view->visualRect(at);
        globalPosition = ContextMenuKeys::shownPosition(m_view->viewport(), QPoint(cell.left(), cell.center().y()));
    }
    QMenu::exec(m_view->actions(), globalPosition, nullptr, m_view);
}
