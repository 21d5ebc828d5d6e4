#include "SheetSlot.h"

#include <QDialog>

SheetSlot::SheetSlot(std::function<void()> clearField, QObject *parent)
    : QObject(parent)
    , m_clearField(std::move(clearField))
{
}

void SheetSlot::present(QDialog *sheet)
{
    dismiss();
    m_sheet = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (m_sheet != sheet)
            return;
        m_sheet = nullptr;
        sheet->deleteLater();
        m_clearField();
    });
    sheet->open();
}

void SheetSlot::dismiss()
{
    QDialog *open = m_sheet;
    if (!open)
        return;
    m_sheet = nullptr;
    open->disconnect(this);
    open->close();
    open->deleteLater();
}
