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

bool EditableText::eventFilter(QObject *object, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(object);
    if (!field)
        return QStyledItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::FocusOut) {
        // Leaving the field drops what was typed.
        Q_EMIT closeEditor(field, QAbstractItemDelegate::RevertModelCache);
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            Q_EMIT closeEditor(field, QAbstractItemDelegate::RevertModelCache);
            return true;
        }
    }
    // Return commits and closes the field; Escape drops the text.
    return QStyledItemDelegate::eventFilter(object, event);
}
