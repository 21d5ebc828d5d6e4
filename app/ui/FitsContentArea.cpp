#include "FitsContentArea.h"

#include <QDialog>
#include <QEvent>
#include <QScrollBar>
#include <QTimer>

#include <cstdlib>

FitsContentArea::FitsContentArea(int maximumHeight, QWidget *parent)
    : FollowsFocusArea(parent)
    , m_maximum(maximumHeight)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void FitsContentArea::setContent(QWidget *content)
{
    setWidget(content);
    // The content's own layout changed, or its size hints (told to the viewport).
    content->installEventFilter(this);
    viewport()->installEventFilter(this);
    measure();
}

bool FitsContentArea::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == widget() || watched == viewport()) && event->type() == QEvent::LayoutRequest)
        QTimer::singleShot(0, this, &FitsContentArea::measure);
    return FollowsFocusArea::eventFilter(watched, event);
}

void FitsContentArea::showEvent(QShowEvent *event)
{
    FollowsFocusArea::showEvent(event);
    measure();
}

void FitsContentArea::resizeEvent(QResizeEvent *event)
{
    FollowsFocusArea::resizeEvent(event);
    // Wrapped text is higher in a narrower area.
    if (widget() && widget()->hasHeightForWidth())
        measure();
}

void FitsContentArea::measure()
{
    QWidget *content = widget();
    if (!content)
        return;
    const int width = viewport()->width() > 0 ? viewport()->width() : content->sizeHint().width();
    const int measured = content->hasHeightForWidth() ? content->heightForWidth(width)
                                                      : std::max(content->sizeHint().height(), content->minimumHeight());
    // Changes under one pixel (and a first measurement of nothing) keep the height.
    if (std::abs(measured - m_height.value_or(0)) < 1)
        return;
    m_height = measured;
    const int height = std::min(m_maximum, measured) + 2 * frameWidth();
    if (height == this->height() && minimumHeight() == maximumHeight())
        return;
    setFixedHeight(height);
    if (auto *dialog = qobject_cast<QDialog *>(window()); dialog && dialog->isVisible())
        dialog->adjustSize();
}
