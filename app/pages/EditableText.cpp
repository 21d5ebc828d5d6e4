#include "EditableText.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

QWidget *EditableText::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *field = new QLineEdit(parent);
    field->setFrame(false);
    field->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) | Qt::AlignVCenter);
    m_open = field;
    return field;
}

void EditableText::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor == m_open)
        m_open = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void EditableText::leaveOpenField()
{
    if (m_open)
        leave(m_open);
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
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            // The view has the focus back once the field is closed; the same
            // key then takes it on from the view, as Tab on the view does.
            QPointer<QWidget> view = field->parentWidget() ? field->parentWidget()->parentWidget() : nullptr;
            leave(field);
            if (view && view->hasFocus()) {
                QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
                QCoreApplication::sendEvent(view, &again);
            }
            return true;
        }
    }
    // Return commits and closes the field; Escape drops the text.
    return QStyledItemDelegate::eventFilter(object, event);
}
