#include "SecondaryCells.h"

#include "Roles.h"

void SecondaryCells::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // An alternate row reads on its own ground and on the list's: not every
    // style paints the alternate colour behind it.
    const bool alternate = option->features.testFlag(QStyleOptionViewItem::Alternate);
    QPalette &palette = option->palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = palette.color(group, QPalette::Text);
        QColor colour = Roles::readableOn(palette.color(group, QPalette::PlaceholderText), text,
                                          palette.color(group, QPalette::Base));
        if (alternate)
            colour = Roles::readableOn(colour, text, palette.color(group, QPalette::AlternateBase));
        palette.setColor(group, QPalette::Text, colour);
    }
}
