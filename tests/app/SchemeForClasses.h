// A desktop's colour scheme given to labels, fields and lists apart from the
// application's palette, as a desktop theme gives it under a style with
// colours of its own (and applies after the start): the classes wear it
// without a style having made it its own.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QWidget>

#include <private/qapplication_p.h>

// The classes the desktop's theme gives palettes of their own.
inline constexpr const char *themedClasses[] = {"QLabel", "QLineEdit", "QTextEdit", "QTextControl",
                                                "QAbstractItemView"};

inline void schemeArrivesForClasses(const QPalette &palette)
{
    for (const char *className : themedClasses)
        QApplicationPrivate::widgetPalettes.insert(className, palette);
    QEvent change(QEvent::ApplicationPaletteChange);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    for (QWidget *widget : QApplication::allWidgets()) {
        for (const char *className : themedClasses) {
            if (!widget->isWindow() && widget->inherits(className)) {
                QCoreApplication::sendEvent(widget, &change);
                break;
            }
        }
    }
}
