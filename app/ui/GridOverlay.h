// A see-through drawing over the main window for checking its layout by eye:
// guide lines every 8 pixels, every area probe outlined with its inner
// margin dashed, every single probe outlined and named. Shown only when
// APP_GRID is "1"; it takes no input and changes nothing beneath it.
#pragma once

#include <QProcessEnvironment>
#include <QWidget>

class GridProbes;

class GridOverlay : public QWidget
{
    Q_OBJECT

public:
    static constexpr int spacing = 8;

    // Decided once per process, from enabledBy() of the process environment.
    static bool enabled();
    // True exactly when APP_GRID is "1".
    static bool enabledBy(const QProcessEnvironment &environment);

    // Lays an overlay over window when enabled(); nothing otherwise.
    static void attachIfEnabled(QWidget &window);

    GridOverlay(QWidget &window, GridProbes &store);

    // The left edges of the vertical guide strips across width (the top
    // edges of the horizontal ones across a height): 0, 8, … up to width.
    static QList<int> guides(int width);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    GridProbes &m_store;
};
