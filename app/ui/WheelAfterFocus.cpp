#include "WheelAfterFocus.h"

#include <QEvent>
#include <QWidget>

namespace {

class Filter : public QObject
{
public:
    explicit Filter(QWidget *control)
        : QObject(control)
        , m_control(control)
    {
        control->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_control || event->type() != QEvent::Wheel || m_control->hasFocus())
            return false;
        // Not taken: the application hands the wheel on to the parents.
        event->ignore();
        return true;
    }

private:
    QWidget *m_control;
};

} // namespace

namespace WheelAfterFocus {

void keep(QWidget *control)
{
    // Qt::WheelFocus would give the control the focus on the first turn.
    if ((control->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
        control->setFocusPolicy(Qt::StrongFocus);
    new Filter(control);
}

} // namespace WheelAfterFocus
