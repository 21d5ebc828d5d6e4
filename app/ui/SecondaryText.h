// Keeps a secondary widget's colour readable where it is drawn: in each
// colour group, the desktop's placeholder colour where it reads on the
// widget's ground, else that colour moved towards the text colour just as
// far as it takes (Roles::readableOn). It looks again whenever the palette,
// the style, the parent or the widget's showing may have changed the colour
// or the ground. Lives as long as the widget, as its child.
#pragma once

#include <QObject>
#include <QPalette>

class QWidget;

class SecondaryText : public QObject
{
    Q_OBJECT

public:
    // Makes widget follow; once is enough, a second call does nothing.
    static void follow(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit SecondaryText(QWidget *widget);
    void update();

    QWidget *const m_widget;
    bool m_updating = false;
};
