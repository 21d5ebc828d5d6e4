// An on/off switch: a small capsule with a round knob, filled with the
// accent colour while on, pale with an edge that shows it on its ground
// while off. Checkable like a check box, without a label of its own (give
// it an accessible name).
#pragma once

#include <QAbstractButton>

class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
