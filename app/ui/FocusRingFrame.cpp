#include "FocusRingFrame.h"

#include <QEvent>

bool FocusRingFrame::eventFilter(QObject *watched, QEvent *event)
{
    const bool filtered = QFocusFrame::eventFilter(watched, event);
    const QWidget *control = widget();
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isHidden() && control
        && control->isVisible() && parentWidget() && parentWidget()->rect().intersects(geometry())) {
        // Above whatever lies beside the control, as it is put on it.
        raise();
        show();
    }
    return filtered;
}
