// A desktop's style and font for the length of a test: the application wears
// the named style under its focus ring, as it does at start, and its font at
// the given size; both are put back when the object goes.
#pragma once

#include "FocusRingStyle.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QStyle>
#include <QStyleFactory>

class DesktopLook
{
public:
    DesktopLook(const QString &style, qreal points)
        : m_available(QStyleFactory::keys().contains(style, Qt::CaseInsensitive))
    {
        if (m_available)
            FocusRingStyle::install(style);
        QFont font = m_font;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        QCoreApplication::processEvents();
    }
    ~DesktopLook()
    {
        QApplication::setFont(m_font);
        if (m_ringed)
            FocusRingStyle::install(m_style);
        else
            QApplication::setStyle(m_style);
    }
    DesktopLook(const DesktopLook &) = delete;
    DesktopLook &operator=(const DesktopLook &) = delete;

    // Whether the style is installed here.
    bool isAvailable() const { return m_available; }

    // How the widgets are laid out once they have taken in the last changes:
    // layouts are done, and what they set off (a size measured on the next
    // turn, a window fitted to it), until two turns of the event loop in a
    // row bring no layout request. A few turns normally; the bound only
    // keeps a layout that never settles from holding the test.
    static void settle()
    {
        struct Requests : QObject
        {
            int seen = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                seen += event->type() == QEvent::LayoutRequest;
                return false;
            }
        } requests;
        QCoreApplication::instance()->installEventFilter(&requests);
        for (int turn = 0, quiet = 0; quiet < 2 && turn < 100; ++turn) {
            requests.seen = 0;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCoreApplication::processEvents();
            quiet = requests.seen == 0 ? quiet + 1 : 0;
        }
        QCoreApplication::instance()->removeEventFilter(&requests);
    }

private:
    // The style as it was, and whether it wore the ring.
    const bool m_ringed = qobject_cast<FocusRingStyle *>(QApplication::style()) != nullptr;
    const QString m_style =
        m_ringed ? static_cast<QProxyStyle *>(QApplication::style())->baseStyle()->name() : QApplication::style()->name();
    const QFont m_font = QApplication::font();
    const bool m_available;
};
