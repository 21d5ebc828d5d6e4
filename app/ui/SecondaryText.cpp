#include "SecondaryText.h"

#include "Roles.h"

#include <QEvent>
#include <QWidget>

namespace {

constexpr QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};

// The bits of a palette's resolve mask that say its placeholder colour was set.
QPalette::ResolveMask placeholderBits()
{
    QPalette palette;
    for (const QPalette::ColorGroup group : groups)
        palette.setColor(group, QPalette::PlaceholderText, palette.color(group, QPalette::PlaceholderText));
    return palette.resolveMask();
}

} // namespace

void SecondaryText::follow(QWidget *widget)
{
    if (!widget->findChild<SecondaryText *>(QString(), Qt::FindDirectChildrenOnly))
        new SecondaryText(widget);
}

SecondaryText::SecondaryText(QWidget *widget)
    : QObject(widget)
    , m_widget(widget)
{
    widget->installEventFilter(this);
    update();
}

bool SecondaryText::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::Show:
    case QEvent::ParentChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        if (watched == m_widget && !m_updating)
            update();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SecondaryText::update()
{
    m_updating = true;
    // The colour the desktop gives the widget: its own, set here, taken away.
    const QPalette::ResolveMask bits = placeholderBits();
    QPalette palette = m_widget->palette();
    if (palette.resolveMask() & bits) {
        palette.setResolveMask(palette.resolveMask() & ~bits);
        m_widget->setPalette(palette);
        palette = m_widget->palette();
    }
    bool moved = false;
    for (const QPalette::ColorGroup group : groups) {
        const QColor given = palette.color(group, QPalette::PlaceholderText);
        const QColor readable = Roles::readableOn(given, palette.color(group, QPalette::WindowText),
                                                  Roles::groundOf(m_widget, group));
        if (readable != given) {
            palette.setColor(group, QPalette::PlaceholderText, readable);
            moved = true;
        }
    }
    if (moved)
        m_widget->setPalette(palette);
    m_updating = false;
}
