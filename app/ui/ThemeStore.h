// The chosen accent theme ("appearance.accent"), worn by every window: the
// application palette's highlight is the theme's colour, and "system" gives
// back the desktop's own highlight as it was before any theme was applied.
// A desktop's theme may give labels and text fields a palette of their own,
// apart from the application's (its colour scheme under a style with
// colours of its own does): setting the application's palette drops those,
// so the one set here keeps their placeholder colour, the grey of
// placeholders and secondary text.
// One per process, main thread only.
#pragma once

#include "Theme.h"

#include <QObject>
#include <QPalette>

class ThemeStore : public QObject
{
    Q_OBJECT

public:
    static ThemeStore &instance();

    // The start choice: APP_ACCENT when it is set (even empty), else the
    // stored "appearance.accent", else "system". Writes nothing. Applies it.
    explicit ThemeStore(QObject *parent = nullptr);
    // Gives the desktop's highlight back.
    ~ThemeStore() override;

    QString themeID() const { return m_themeID; }
    // Stores the choice under "appearance.accent" (also when it is the same);
    // tells changed() only when it differs.
    void setThemeID(const QString &id);
    // The chosen theme; "system" when the id names none.
    Theme theme() const { return Theme::byID(m_themeID); }

    // The highlight colour the desktop (or the light or dark palette) gives.
    QColor desktopHighlight() const { return m_desktopHighlight; }

Q_SIGNALS:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void captureDesktop();
    void apply();
    // Gives the application's palette that highlight, and the desktop's
    // placeholder colour with it.
    void wear(const QColor &highlight, const QColor &highlightedText);

    QString m_themeID;
    QColor m_desktopHighlight;
    QColor m_desktopHighlightedText;
    QPalette m_desktopPlaceholder; // only its placeholder colours count
    QColor m_applied; // the highlight this store set last
};
