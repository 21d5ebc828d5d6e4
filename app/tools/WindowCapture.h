// Turns one window into a PNG file, with the layout-probe file beside it
// (the window's size and every probe there is at that moment), and reports
// the outcome as one line. The picture is the window's own rendering
// (QWidget::grab), which needs no display; when that writes no file after
// three tries, the window is drawn into an image directly. A capture that
// wrote no picture says so: it never passes for one that did.
#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>

class QWidget;

class WindowCapture
{
public:
    using Output = std::function<void(const QString &line)>;
    // Writes the picture of window to path; true when it did.
    using Tool = std::function<bool(QWidget &window, const QString &path)>;

    static constexpr int attempts = 3;
    static constexpr std::chrono::milliseconds pause{500};

    // timeScale shortens (below 1) the pauses between tries, for tests.
    explicit WindowCapture(Output output, double timeScale = 1.0, Tool tool = grab, Tool fallback = render);

    // Captures window, or the main window when none is given, to path. True
    // when a picture was written. The pauses between tries wait on the event
    // loop.
    QCoro::Task<bool> capture(QString path, QWidget *window);

    // The probe file beside a picture: its trailing ".png" becomes
    // "-layout.json" ("-layout.json" is appended to any other name).
    static QString probePath(const QString &imagePath);

    // The window as it paints itself, written atomically as PNG.
    static bool grab(QWidget &window, const QString &path);
    // The window drawn into an image by a painter of its own.
    static bool render(QWidget &window, const QString &path);

private:
    Output m_output;
    double m_timeScale;
    Tool m_tool;
    Tool m_fallback;
};
