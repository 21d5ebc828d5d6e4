// Whether a settings window shows its pages whole: every control of every
// page lies inside the window, and the Names tab's example shows every
// character of the name on lines it has room for. For the English and the
// German runs.
#pragma once

#include "LineLimitedLabel.h"
#include "SettingsWindow.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QTabBar>

namespace SettingsWindowFit {

// What is cut or sticks out, one line each, tab by tab; none when all fits.
inline QStringList faults(SettingsWindow &window)
{
    QStringList found;
    for (int tab = 0; tab < window.tabs()->count(); ++tab) {
        window.tabs()->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        const QString title = window.tabs()->tabText(tab);
        for (const QWidget *control : window.findChildren<QWidget *>()) {
            const QRect shown(control->mapTo(&window, QPoint(0, 0)), control->size());
            // Inside a page, a control lies within the width of its view too,
            // which a scroll bar narrows.
            QRect room = window.rect();
            for (const QScrollArea *page : window.findChildren<QScrollArea *>()) {
                if (page->widget() && page->widget()->isAncestorOf(control)) {
                    const QRect view(page->viewport()->mapTo(&window, QPoint(0, 0)), page->viewport()->size());
                    room = QRect(view.left(), room.top(), view.width(), room.height());
                }
            }
            if (control->isVisibleTo(&window) && !control->isWindow() && !room.contains(shown))
                found.append(QStringLiteral("%1: %2 %3 at %4,%5 %6x%7")
                                 .arg(title, QString::fromLatin1(control->metaObject()->className()), control->objectName())
                                 .arg(shown.x())
                                 .arg(shown.y())
                                 .arg(shown.width())
                                 .arg(shown.height()));
        }
        const auto *example = window.findChild<LineLimitedLabel *>(QStringLiteral("example"));
        if (!example || !example->isVisibleTo(&window))
            continue;
        // Lines break at a space or inside a word: without the spaces, they are the name.
        QString name = example->text();
        QString lines = example->shownLines().join(QString());
        if (lines.remove(u' ') != name.remove(u' ') || example->height() < example->heightForWidth(example->width()))
            found.append(QStringLiteral("%1: the example shows \"%2\" of \"%3\" in %4 pixels")
                             .arg(title, example->shownLines().join(u'|'), example->text())
                             .arg(example->height()));
    }
    return found;
}

} // namespace SettingsWindowFit
