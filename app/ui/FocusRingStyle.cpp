#include "FocusRingStyle.h"

#include "ChosenSegment.h"
#include "ControlEdge.h"
#include "FocusRing.h"
#include "FocusRingFrame.h"
#include "ThemeStore.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFocusFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QStyleOptionToolButton>

namespace {

// The corners of the style's frames; the ring's follow them at its distance.
constexpr qreal frameRadius = 2;

// Fusion's circle of a radio button, which its edge goes over.
void paintRadioEdge(QPainter &painter, const QRect &box, const QColor &colour)
{
    const QPointF centre = box.center() + QPoint(1, 1);
    const qreal radius = (box.width() + (box.width() + 1) % 2) / 2.0 - 1;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

} // namespace

FocusRingStyle::FocusRingStyle(QStyle *base)
    : QProxyStyle(base)
{
}

FocusRingStyle::~FocusRingStyle()
{
    // A frame left behind would still watch its control.
    delete m_frame.data();
}

void FocusRingStyle::install(const QString &baseName)
{
    const auto *current = qobject_cast<FocusRingStyle *>(QApplication::style());
    if (current && (baseName.isEmpty() || current->baseStyle()->name().compare(baseName, Qt::CaseInsensitive) == 0))
        return;
    QStyle *base = QStyleFactory::create(baseName.isEmpty() ? QApplication::style()->name() : baseName);
    QApplication::setStyle(new FocusRingStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion"))));
}

bool FocusRingStyle::wearsRing(const QWidget *widget)
{
    if (!widget || widget->isWindow() || FocusRing::isDrawnByItself(widget))
        return false;
    if (const auto *field = qobject_cast<const QLineEdit *>(widget))
        return field->hasFrame();
    // A text the keyboard selects in, round the whole text.
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard);
    return qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QComboBox *>(widget)
        || qobject_cast<const QAbstractSpinBox *>(widget) || qobject_cast<const QSlider *>(widget);
}

void FocusRingStyle::follow(QWidget *focused)
{
    if (!wearsRing(focused)) {
        if (m_frame)
            m_frame->setWidget(nullptr);
        return;
    }
    // The frame goes where it is not cut off: into the window, the tool
    // bar or the scrolled area that holds the control.
    if (!m_frame)
        m_frame = new FocusRingFrame(focused);
    m_frame->setWidget(focused);
}

bool FocusRingStyle::event(QEvent *event)
{
    // The focus has moved on by the time either is told.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        follow(QApplication::focusWidget());
    return QProxyStyle::event(event);
}

void FocusRingStyle::polish(QPalette &palette)
{
    // A class's palette the theme store gives back is the desktop's as the
    // desktop gave it: a style with colours of its own would make it its own.
    if (ThemeStore::isGivingBackClassPalette())
        return;
    QProxyStyle::polish(palette);
}

int FocusRingStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    // Room in a tool bar for the ring round a focused button, clear of the
    // bar's edge.
    if (metric == PM_ToolBarItemMargin)
        return QProxyStyle::pixelMetric(metric, option, widget) + 1;
    // A frame asks with an option made from itself (this style's, or one a
    // focus place keeps round a control taken away); item views ask the
    // same for their text margins, and keep the style's.
    if ((metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin) && option
        && qobject_cast<const QFocusFrame *>(option->styleObject))
        return FocusRing::room;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int FocusRingStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                              QStyleHintReturn *returned) const
{
    switch (hint) {
    case SH_FocusFrame_AboveWidget:
        return 1;
    case SH_FocusFrame_Mask:
        // The frame covers the ring only, never the control.
        if (auto *mask = qstyleoption_cast<QStyleHintReturnMask *>(returned); mask && option) {
            const int ring = int(FocusRing::width);
            mask->region = QRegion(option->rect) - QRegion(option->rect.adjusted(ring, ring, -ring, -ring));
        }
        return 1;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
}

void FocusRingStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                 const QWidget *widget) const
{
    if (element == CE_FocusFrame) {
        // Round the control's frame, at the distance of the gap.
        FocusRing::paint(*painter, option->rect, FocusRing::colour(option->palette),
                 frameRadius + FocusRing::room - FocusRing::width / 2);
        return;
    }
    const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
    if (element == CE_TabBarTabLabel && tab && (tab->state & State_HasFocus)) {
        // The base style draws the current tab's focus rectangle itself,
        // past this style: the label without it, then a ring inside the
        // tab's frame, a pixel wider than a ring round a control, so that
        // it covers no less than a ring along the edge would.
        QStyleOptionTab label = *tab;
        label.state &= ~State_HasFocus;
        QProxyStyle::drawControl(element, &label, painter, widget);
        const int frame = pixelMetric(PM_DefaultFrameWidth, option, widget);
        const qreal width = FocusRing::width + 1;
        FocusRing::paint(*painter, QRectF(option->rect).adjusted(frame, frame, -frame, -frame),
                 FocusRing::colour(option->palette), frameRadius, width);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

bool FocusRingStyle::isOverFusion() const
{
    // A desktop may give Fusion inside a proxy style of its own, which
    // draws what Fusion draws.
    const QStyle *base = baseStyle();
    while (const auto *proxy = qobject_cast<const QProxyStyle *>(base))
        base = proxy->baseStyle();
    return base->name().compare(QStringLiteral("Fusion"), Qt::CaseInsensitive) == 0;
}

bool FocusRingStyle::drawsEdge(const QStyleOption *option) const
{
    return (option->state & State_Enabled) && !(option->state & State_HasFocus) && isOverFusion();
}

void FocusRingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    switch (element) {
    case PE_FrameFocusRect:
        drawFocusRect(option, painter, widget);
        return;
    case PE_PanelMenu:
        // Fusion edges a menu with its panel; the edge stands apart from the
        // window the menu opens over.
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (isOverFusion()) {
            // Square and whole to its corners, as the menu is.
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, false);
            painter->setPen(ControlEdge::colour(option->palette));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
        return;
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
    case PE_FrameLineEdit:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (drawsEdge(option)) {
            const QColor edge = ControlEdge::colour(option->palette);
            if (element == PE_IndicatorRadioButton)
                paintRadioEdge(*painter, option->rect, edge);
            else
                ControlEdge::paint(*painter, option->rect, edge, element == PE_FrameLineEdit ? frameRadius : 0);
        }
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
}

void FocusRingStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                        QPainter *painter, const QWidget *widget) const
{
    if (const auto *segment = qstyleoption_cast<const QStyleOptionToolButton *>(option);
        control == CC_ToolButton && segment && ChosenSegment::isMarked(widget) && (option->state & State_On)
        && (option->state & State_Enabled)) {
        drawChosenSegment(*segment, painter, widget);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    // Fusion draws a drop-down as a button, or as a text field with one;
    // either way its outer edge is the control's.
    const auto *comboBox = qstyleoption_cast<const QStyleOptionComboBox *>(option);
    if (control == CC_ComboBox && comboBox && comboBox->frame && drawsEdge(option))
        ControlEdge::paint(*painter, option->rect, ControlEdge::colour(option->palette), frameRadius);
}

void FocusRingStyle::drawFocusRect(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    // Round a control the frame marks, the style's own rectangle would be a second ring.
    if (wearsRing(widget))
        return;
    // Inside a list's current item, on its selection where it has one.
    const auto *focusRect = qstyleoption_cast<const QStyleOptionFocusRect *>(option);
    const QColor ground = focusRect && focusRect->backgroundColor.isValid()
        ? focusRect->backgroundColor
        : option->palette.color(QPalette::Window);
    FocusRing::paint(*painter, option->rect,
             FocusRing::colourOn(option->palette, ground, option->palette.color(QPalette::HighlightedText)),
             frameRadius);
}

void FocusRingStyle::drawChosenSegment(const QStyleOptionToolButton &option, QPainter *painter,
                                       const QWidget *widget) const
{
    const QColor fill = ChosenSegment::fill(option.palette, *baseStyle());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(QRectF(option.rect), frameRadius, frameRadius);
    painter->restore();
    // The label where it stands in the segment unchosen, in the colour that
    // reads on the fill; the ring outside marks the focus.
    QStyleOptionToolButton label = option;
    label.state &= ~(State_On | State_Sunken | State_MouseOver | State_HasFocus);
    label.palette.setColor(QPalette::ButtonText, ChosenSegment::textOn(fill));
    const int frame = proxy()->pixelMetric(PM_DefaultFrameWidth, &option, widget);
    label.rect = proxy()->subControlRect(CC_ToolButton, &option, SC_ToolButton, widget)
                     .adjusted(frame, frame, -frame, -frame);
    proxy()->drawControl(CE_ToolButtonLabel, &label, painter, widget);
}
