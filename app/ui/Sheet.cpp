#include "Sheet.h"

#include "WindowHook.h"

Sheet::Sheet(QWidget *parent)
    : QDialog(parent)
{
    setWindowModality(Qt::WindowModal);
    WindowHook::install(this);
}

void Sheet::showEvent(QShowEvent *event)
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner && owner->isVisible()) {
        setMaximumWidth(owner->width());
        if (width() > owner->width())
            resize(owner->width(), height());
    }
    QDialog::showEvent(event);
}
