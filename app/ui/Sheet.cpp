#include "Sheet.h"

#include "WindowHook.h"

Sheet::Sheet(QWidget *parent)
    : QDialog(parent)
{
    setWindowModality(Qt::WindowModal);
    WindowHook::install(this);
}
