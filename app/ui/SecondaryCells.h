// Cells drawn in the secondary colour: the desktop's placeholder colour where
// it reads on the row's ground (the list's, and an alternate row's), else
// that colour moved towards the text colour as far as it takes to read
// there (Roles::readableOn). A selected cell keeps the selection's colours.
#pragma once

#include <QStyledItemDelegate>

class SecondaryCells : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
