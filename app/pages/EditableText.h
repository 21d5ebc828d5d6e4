// A table cell edited in place whose text is written only when Return is
// pressed: leaving the field, Tab or Escape drop what was typed. The model
// gets the text as typed (it trims it itself).
#pragma once

#include <QStyledItemDelegate>

class EditableText : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *editor, QEvent *event) override;
};
