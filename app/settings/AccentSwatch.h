// One accent theme as a small round button: the theme's colour (a colour
// wheel for "system"), a dot in the on-accent colour while it is the chosen
// one, and a faint ring; a focus ring around it while it has the keyboard
// focus. Only the circle takes clicks.
#pragma once

#include "Theme.h"

#include <QAbstractButton>

class AccentSwatch : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int diameter = 16;
    // Room on every side of the circle for the focus ring.
    static constexpr int ringRoom = 3;

    AccentSwatch(const Theme &theme, QWidget *parent = nullptr);

    const Theme &theme() const { return m_theme; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    QSize sizeHint() const override { return {diameter + 2 * ringRoom, diameter + 2 * ringRoom}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &position) const override;

private:
    Theme m_theme;
    bool m_selected = false;
};
