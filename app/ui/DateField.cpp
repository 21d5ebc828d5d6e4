#include "DateField.h"

DateField::DateField(QWidget *parent)
    : QDateEdit(parent)
{
}

bool DateField::focusNextPrevChild(bool next)
{
    // Not the next section: the next control.
    return QWidget::focusNextPrevChild(next);
}
