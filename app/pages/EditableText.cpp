#include "EditableText.h"

#include <QKeyEvent>
#include <QLineEdit>

QWidget *EditableText::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *field = new QLineEdit(parent);
    field->setFrame(false);
    field->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) | Qt::AlignVCenter);
    return field;
}

void EditableText::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *field = qobject_cast<QLineEdit *>(editor);
    if (field && field == m_leaving) {
        model->setData(index, field->text(), draftRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void EditableText::leave(QLineEdit *field)
{
    // The view hands the field back to setModelData with its index.
    m_leaving = field;
    Q_EMIT commitData(field);
    m_leaving = nullptr;
    Q_EMIT closeEditor(field, QAbstractItemDelegate::NoHint);
}

bool EditableText::eventFilter(QObject *object, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(object);
    if (!field)
        return QStyledItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::FocusOut) {
        leave(field);
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            leave(field);
            return true;
        }
    }
    // Return commits and closes the field; Escape drops the text.
    return QStyledItemDelegate::eventFilter(object, event);
}
