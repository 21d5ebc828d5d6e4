// The one sheet the main window shows for an AppModel field: the sheet opens
// while the field asks for it, and when the user closes it the field is
// cleared, so whoever set the field sees the sheet go.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QDialog;

class SheetSlot : public QObject
{
    Q_OBJECT

public:
    SheetSlot(std::function<void()> clearField, QObject *parent);

    // Opens the sheet (window-modal), closing the one open before without
    // touching the field.
    void present(QDialog *sheet);
    // Closes the open sheet without touching the field (it was cleared).
    void dismiss();
    QDialog *sheet() const { return m_sheet; }

private:
    std::function<void()> m_clearField;
    QPointer<QDialog> m_sheet;
};
