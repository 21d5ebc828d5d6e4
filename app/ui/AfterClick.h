// Holds a change of a window's layout back while a mouse button is down: a
// press that ends a typing can make a line under a field appear or go, and
// the window would grow or close up under the pointer, so that the button
// the press found moves away before the release and the click is lost. The
// change waits for the release of the last button; the widgets it moves take
// their new places after the release has reached the button.
#pragma once

#include <QObject>

#include <functional>

class AfterClick : public QObject
{
    Q_OBJECT

public:
    explicit AfterClick(QObject *parent = nullptr);
    // Stops watching the application's mouse releases.
    ~AfterClick() override;

    // Runs the change now when no mouse button is down, otherwise after the
    // last one has been released. A change still waiting is replaced.
    void run(std::function<void()> change);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stopWatching();

    std::function<void()> m_waiting;
    bool m_watching = false;
};
