// Where the keyboard focus waits while the program itself takes away the
// control that holds it: disables it (the language model went away), hides it
// (a draft ended, a step ended, a list was refreshed). Qt would hand the focus
// on to the next control in the chain, where the user's next Space or Return
// acts unseen: a rule switched, a condition removed. Here the focus stays in
// the control's place instead: on this widget, which takes the focus no other
// way, wears the ring round the control it stands for (or round what the
// caller names) and takes the keys typed there, but for those that move the
// focus (Tab) or are the window's (Return and Escape for a dialog's buttons,
// the Menu key). Tab goes on from the control's place in the chain. When the
// control can take the focus again while it still waits here, it gets it back,
// unless the user has acted from here since: a window's key that acted
// (Return that pressed a dialog's button) leaves the focus here.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class QFocusFrame;

class FocusPlace : public QWidget
{
    Q_OBJECT

public:
    // The place lives in container, which stays shown and enabled while the
    // controls it keeps come and go.
    explicit FocusPlace(QWidget *container);
    ~FocusPlace() override;

    // Keeps the focus of control, or of anything inside it, when the
    // program hides it, or disables it through enable(). While the focus
    // waits, the ring goes round ringed (the control itself by default);
    // one that draws its ring itself (FocusRing::drawnByItself) is told
    // through this widget's focus events.
    void keep(QWidget *control, QWidget *ringed = nullptr);
    // Enables or disables control; a kept control that holds the focus
    // hands it to this place before it goes off.
    void enable(QWidget *control, bool enabled);
    // Where the focus goes back to in place of the control that lost it,
    // and what follows then (the caret to the end of a field).
    void returnTo(QWidget *home, std::function<void()> then = {});
    // Takes the focus now, for a control that is gone for good (a list's
    // row made anew without it): the ring goes round ringed, Tab goes on
    // after `after` (when given), and nothing takes the focus back.
    void hold(QWidget *ringed, QWidget *after);
    // Whether the focus waits here.
    bool holdsFocus() const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Tab goes on from where the lost control stands in the chain.
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Kept
    {
        QPointer<QWidget> control;
        QPointer<QWidget> ringed;
    };

    // The kept control that holds its window's focus, if one does.
    const Kept *holding() const;
    void take(const Kept &kept);
    void wait(QWidget *ringed, QWidget *after);
    void giveBack();
    // Puts this place in the Tab chain right after the anchor.
    void followAnchor();

    QList<Kept> m_kept;
    QPointer<QWidget> m_lost;
    QPointer<QWidget> m_ringed;
    // What Tab goes on from.
    QPointer<QWidget> m_anchor;
    QPointer<QWidget> m_home;
    std::function<void()> m_then;
    QPointer<QFocusFrame> m_frame;
    // A window's key typed here acted since the focus came here, or is
    // acting now.
    bool m_acted = false;
    bool m_passing = false;
    // How often the focus came to wait here.
    quint64 m_waits = 0;
};
