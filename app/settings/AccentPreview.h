// A small still picture of an application window (a to-do list with a
// sidebar) in the current accent theme: a selected sidebar row, accent text,
// a tinted chip, a finished task's check mark, a pill and a switch. It takes
// no input and redraws when the theme or the palette changes.
#pragma once

#include <QWidget>

class AccentPreview : public QWidget
{
    Q_OBJECT

public:
    static constexpr int previewHeight = 152;
    static constexpr int sidebarWidth = 128;

    explicit AccentPreview(QWidget *parent = nullptr);

    QSize sizeHint() const override { return {440, previewHeight}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};
