#include "SecondaryCells.h"

#include "Roles.h"

void SecondaryCells::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    QPalette &palette = option->palette;
    const QPalette::ColorRole ground =
        option->features.testFlag(QStyleOptionViewItem::Alternate) ? QPalette::AlternateBase : QPalette::Base;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text,
                         Roles::readableOn(palette.color(group, QPalette::PlaceholderText),
                                           palette.color(group, QPalette::Text), palette.color(group, ground)));
    }
}
