// A table cell edited in place whose text is written only when Return is
// pressed. Text typed and left without Return (the focus moves away, or Tab)
// is handed to the model as a draft under draftRole: a model that keeps
// drafts shows it in the cell, unwritten, until the cell's value changes.
// Tab and Shift+Tab close the field and go on from the view as they would
// from the view itself.
// Escape drops what was typed in the field. The model gets the text as
// typed (it trims it itself).
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QLineEdit;

class EditableText : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The text typed and left without Return; an invalid value drops it.
    static constexpr int draftRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

    // Closes the field of this delegate that is open, as leaving it does:
    // its text goes to the model as the cell's draft. To be called before
    // the view loses the field's row, which would otherwise tear the field
    // down while it still reports to the view.
    void leaveOpenField();

protected:
    bool eventFilter(QObject *editor, QEvent *event) override;

private:
    // Closes the field, keeping its text as the cell's draft.
    void leave(QLineEdit *field);

    QPointer<QLineEdit> m_leaving; // the field whose text goes in as a draft
    mutable QPointer<QLineEdit> m_open; // the field open now, until the view lets it go
};
