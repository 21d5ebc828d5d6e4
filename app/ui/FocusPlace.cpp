#include "FocusPlace.h"

#include "ContextMenuKeys.h"
#include "FocusRing.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusFrame>
#include <QKeyEvent>

namespace {

bool isInside(const QWidget *widget, const QWidget *control)
{
    return widget && (widget == control || control->isAncestorOf(widget));
}

// Keys the place leaves to the window: a dialog's default and cancel
// buttons, which are in plain view, and the context menu.
bool isWindowsKey(const QKeyEvent &key)
{
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return ContextMenuKeys::asksForMenu(key);
    }
}

} // namespace

FocusPlace::FocusPlace(QWidget *container)
    : QWidget(container)
{
    setObjectName(QStringLiteral("focusPlace"));
    // Only the program gives it the focus: Tab passes it by, and it has no
    // room a click could hit.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    show();
}

FocusPlace::~FocusPlace()
{
    // The frame lives beside the ringed control, not in this widget.
    delete m_frame.data();
}

void FocusPlace::keep(QWidget *control, QWidget *ringed)
{
    m_kept.removeIf([](const Kept &kept) { return !kept.control; });
    m_kept.append(Kept{control, ringed ? ringed : control});
    control->installEventFilter(this);
}

void FocusPlace::enable(QWidget *control, bool enabled)
{
    if (!enabled && control->isEnabled() && isInside(window()->focusWidget(), control)) {
        if (const Kept *kept = holding())
            take(*kept);
    }
    control->setEnabled(enabled);
}

void FocusPlace::returnTo(QWidget *home, std::function<void()> then)
{
    m_home = home;
    m_then = std::move(then);
    home->installEventFilter(this);
}

bool FocusPlace::holdsFocus() const
{
    return window()->focusWidget() == this;
}

const FocusPlace::Kept *FocusPlace::holding() const
{
    const QWidget *focus = window()->focusWidget();
    for (const Kept &kept : m_kept) {
        if (kept.control && isInside(focus, kept.control))
            return &kept;
    }
    return nullptr;
}

void FocusPlace::take(const Kept &kept)
{
    // A place the user cannot see (its page went) keeps nothing.
    if (!isVisible())
        return;
    m_lost = kept.control;
    wait(kept.ringed, kept.control);
}

void FocusPlace::hold(QWidget *ringed, QWidget *after)
{
    if (!isVisible())
        return;
    m_lost = nullptr;
    wait(ringed, after);
}

void FocusPlace::wait(QWidget *ringed, QWidget *after)
{
    ++m_waits;
    m_acted = false;
    m_ringed = ringed;
    m_anchor = after;
    FocusRing::wornBy(this, m_ringed);
    followAnchor();
    setFocus(Qt::OtherFocusReason);
}

void FocusPlace::followAnchor()
{
    if (!m_anchor)
        return;
    // The last stop inside the anchor: Tab from here goes where Tab from it
    // would, Shift+Tab to what stands before it.
    QWidget *last = m_anchor;
    for (QWidget *next = m_anchor->nextInFocusChain(); next != m_anchor && m_anchor->isAncestorOf(next);
         next = next->nextInFocusChain()) {
        if (next->focusPolicy() != Qt::NoFocus)
            last = next;
    }
    if (last != this)
        QWidget::setTabOrder(last, this);
}

void FocusPlace::giveBack()
{
    // Once the user acted from here, the focus stays where it went on from.
    if (!holdsFocus() || m_acted || m_passing)
        return;
    QWidget *target = m_home ? m_home.data() : m_lost.data();
    if (!target || !target->isEnabled() || !target->isVisible())
        return;
    target->setFocus(Qt::OtherFocusReason);
    if (target == m_home && m_then)
        m_then();
}

bool FocusPlace::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Hide:
        // Told before Qt moves the focus on from the hidden control.
        for (const Kept &kept : std::as_const(m_kept)) {
            if (kept.control == watched && isInside(window()->focusWidget(), kept.control)) {
                take(kept);
                break;
            }
        }
        break;
    case QEvent::EnabledChange:
    case QEvent::Show:
        if (watched == m_home || watched == m_lost)
            giveBack();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool FocusPlace::event(QEvent *event)
{
    // Typed keys are the place's, before any shortcut of one key.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && !isWindowsKey(*key)
            && (!key->text().isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void FocusPlace::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    QWidget *const parent = parentWidget();
    if (!isWindowsKey(*event) || !parent)
        return;
    // The window's key goes on up from here as Qt would send it on, so that
    // the place learns whether it acted there (Return pressed a dialog's
    // button): what the key brings back, and what comes back after it, finds
    // the user gone on from here and does not take the focus back.
    const QPointer<FocusPlace> self(this);
    const quint64 waiting = m_waits;
    m_passing = true;
    QCoreApplication::instance()->notify(parent, event);
    if (!self)
        return;
    m_passing = false;
    // Unless the key ended that wait and began another.
    if (event->isAccepted() && m_waits == waiting)
        m_acted = true;
    // Not handed on again, whatever the window did with it.
    event->accept();
}

void FocusPlace::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (!m_ringed || FocusRing::isDrawnByItself(m_ringed))
        return;
    if (!m_frame)
        m_frame = new QFocusFrame(m_ringed);
    m_frame->setWidget(m_ringed);
}

void FocusPlace::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (m_frame)
        m_frame->setWidget(nullptr);
}

bool FocusPlace::focusNextPrevChild(bool next)
{
    followAnchor();
    return QWidget::focusNextPrevChild(next);
}
