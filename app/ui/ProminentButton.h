// The one button of a sheet or page that carries the main action: filled
// with the accent theme's colour, its text in the on-accent colour.
#pragma once

#include <QPushButton>

class ProminentButton : public QPushButton
{
    Q_OBJECT

public:
    explicit ProminentButton(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
