// Keeps text fields from taking the keyboard focus by themselves: when the
// window first shows, and when it shows again after it was closed, no field
// holds the focus. A window that is merely activated again (the user came
// back from another application) keeps the field the user chose.
#pragma once

#include <QObject>

class QWidget;

class WindowHook : public QObject
{
    Q_OBJECT

public:
    // Hooks the window; the hook lives as the window's child.
    static WindowHook *install(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WindowHook(QWidget *window);
    void clear();

    QWidget *m_window;
    bool m_pending = true; // joined, or closed since the last clearing
};
