#include "ScreenRoom.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ScreenRoom {

QSize inside(const QScreen &screen, const QMargins &frame)
{
    const QSize area = screen.availableGeometry().size();
    return QSize(std::max(area.width() - frame.left() - frame.right(), 0),
                 std::max(area.height() - frame.top() - frame.bottom(), 0));
}

QSize forWindow(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    const QScreen *screen = handle ? handle->screen() : window.screen();
    if (!screen)
        return QSize();
    QMargins frame = handle ? handle->frameMargins() : QMargins();
    frame.setTop(std::max(frame.top(), titleBarAllowance));
    return inside(*screen, frame);
}

} // namespace ScreenRoom
