// The chosen accent theme ("appearance.accent"), worn by every window: the
// highlight of the application's palette, and of each palette the desktop
// gives a class of widgets apart from it (its colour scheme under a style
// with colours of its own gives lists, fields and labels their own), is the
// theme's colour. Everything else in those palettes stays the desktop's, and
// "system" gives them back exactly as the desktop gave them.
// The desktop's palettes may arrive or change while the program runs (a
// desktop theme applies its colour scheme after the start, the user picks
// another): the store takes them again each time, so that "system" is the
// highlight the desktop shows now.
// One per process, main thread only.
#pragma once

#include "Theme.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPalette>

#include <optional>

class ThemeStore : public QObject
{
    Q_OBJECT

public:
    static ThemeStore &instance();

    // The start choice: APP_ACCENT when it is set (even empty), else the
    // stored "appearance.accent", else "system". Writes nothing. Applies it.
    explicit ThemeStore(QObject *parent = nullptr);
    // Gives the desktop's palettes back.
    ~ThemeStore() override;

    QString themeID() const { return m_themeID; }
    // Stores the choice under "appearance.accent" (also when it is the same);
    // tells changed() only when it differs.
    void setThemeID(const QString &id);
    // The chosen theme; "system" when the id names none.
    Theme theme() const { return Theme::byID(m_themeID); }

    // The highlight the desktop shows: that of its lists' palette where it
    // gives them one (a list's selection, the sidebar's), else that of the
    // application's palette (or of the light or dark palette set).
    QColor desktopHighlight() const { return m_desktopHighlight; }

    // Whether a store is giving a class of widgets its palette back: the
    // desktop's as it was given, which the style polished already or left
    // as it is, and must not make its own now.
    static bool isGivingBackClassPalette() { return s_givingBackClassPalette; }

Q_SIGNALS:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct ClassPalette
    {
        QByteArray className;
        QPalette palette;
    };

    // Takes the palettes as they are now as the desktop's.
    void captureDesktop();
    // Someone else changed a palette while the theme's accent was worn:
    // works out what the desktop gives now, apart from what is worn.
    void desktopChangedUnderAccent();
    void apply();
    // Gives the palettes the accent's colours; with none, the desktop's
    // palettes as they were given.
    void wear(const std::optional<QColor> &highlight, const QColor &highlightedText);
    void setClassPalette(const QByteArray &className, const QPalette &palette);

    QString m_themeID;
    QColor m_desktopHighlight;
    // The application's palette as the desktop (or whoever set it) gave it,
    // with what it set explicitly, and the classes' apart from it.
    QPalette m_desktop;
    QList<ClassPalette> m_desktopClasses;
    // What this store set last; empty when it wears nothing.
    std::optional<QPalette> m_worn;
    QList<ClassPalette> m_wornClasses;
    bool m_wearing = false;
    static inline bool s_givingBackClassPalette = false;
};
