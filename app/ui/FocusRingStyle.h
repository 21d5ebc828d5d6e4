// The application's style: Fusion, or the style the desktop chose, with the
// focus ring round each control it draws that takes the keyboard focus
// (push, tool and check buttons, combo, spin and date boxes, sliders,
// framed text fields). One focus frame follows the focus from control to
// control and wears the ring outside the control, apart from it by a gap,
// above whatever lies beside it: the style draws the controls to the edge
// of their rectangles, where a ring inside would cover their frame or text.
// Controls that draw their ring themselves (FocusRing::drawnByItself) get
// none from here. Focus rectangles the style draws inside a control (the
// current tab, a list's current item) are rings of the same colour.
// Over Fusion, also inside a desktop's own proxy style, the controls that
// their edge alone shows (check and radio boxes, framed text fields,
// drop-downs) wear the edge of ControlEdge while enabled and without the
// focus, in place of Fusion's faint outline, which on a card of the boxes'
// own fill is all that shows of them; and so does a menu's frame, which
// would otherwise barely part it from the window it opens over. The chosen segment of a switch (ChosenSegment) is filled.
#pragma once

#include <QPointer>
#include <QProxyStyle>

class QFocusFrame;
class QStyleOptionToolButton;

class FocusRingStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Takes base, as a proxy style does.
    explicit FocusRingStyle(QStyle *base);
    ~FocusRingStyle() override;

    // Gives the application this style over the style of that name, or
    // over the style it has, unless it wears it already.
    static void install(const QString &baseName = {});

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override;
    using QProxyStyle::polish;
    void polish(QPalette &palette) override;

protected:
    // The application tells its style of each focus change.
    bool event(QEvent *event) override;

private:
    static bool wearsRing(const QWidget *widget);
    bool isOverFusion() const;
    // Whether this control's edge is drawn here: over Fusion, whose
    // outlines it knows, on an enabled control the ring does not mark.
    bool drawsEdge(const QStyleOption *option) const;
    void drawFocusRect(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
    void drawChosenSegment(const QStyleOptionToolButton &option, QPainter *painter, const QWidget *widget) const;
    void follow(QWidget *focused);

    QPointer<QFocusFrame> m_frame;
};
