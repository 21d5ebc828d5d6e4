// The one button of a sheet or page that carries the main action: filled
// with the accent theme's colour, its text in the on-accent colour. While it
// has the keyboard focus it wears the focus ring around the fill, apart from
// it by a gap: a ring touching a fill of the same colour would vanish.
#pragma once

#include <QPushButton>

class ProminentButton : public QPushButton
{
    Q_OBJECT

public:
    explicit ProminentButton(const QString &text, QWidget *parent = nullptr);

    // A push button's size, grown by the room the ring takes round the fill
    // (the least size follows it).
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
