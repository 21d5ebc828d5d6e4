#include "ThemeStore.h"

#include "Prefs.h"

#include <QEvent>
#include <QApplication>

namespace {

const QString accentKey = QStringLiteral("appearance.accent");
constexpr QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};

} // namespace

ThemeStore &ThemeStore::instance()
{
    static ThemeStore *store = new ThemeStore(QCoreApplication::instance());
    return *store;
}

ThemeStore::ThemeStore(QObject *parent)
    : QObject(parent)
{
    if (qEnvironmentVariableIsSet("APP_ACCENT"))
        m_themeID = qEnvironmentVariable("APP_ACCENT");
    else
        m_themeID = Prefs::stringValue(accentKey).value_or(QStringLiteral("system"));
    captureDesktop();
    apply();
    QCoreApplication::instance()->installEventFilter(this);
}

ThemeStore::~ThemeStore()
{
    // The shared store goes with the application, when palettes are gone.
    if (!QCoreApplication::instance() || QCoreApplication::closingDown())
        return;
    if (QGuiApplication::palette().color(QPalette::Highlight) == m_applied)
        wear(m_desktopHighlight, m_desktopHighlightedText);
}

void ThemeStore::setThemeID(const QString &id)
{
    const bool differs = id != m_themeID;
    m_themeID = id;
    Prefs::setValue(accentKey, id);
    if (!differs)
        return;
    apply();
    Q_EMIT changed();
}

bool ThemeStore::eventFilter(QObject *watched, QEvent *event)
{
    // A palette that someone else set (the desktop, the light or dark mode)
    // brings its own highlight: that is the new "system" colour.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange &&
        QGuiApplication::palette().color(QPalette::Highlight) != m_applied) {
        captureDesktop();
        apply();
    }
    return QObject::eventFilter(watched, event);
}

void ThemeStore::captureDesktop()
{
    const QPalette palette = QGuiApplication::palette();
    m_desktopHighlight = palette.color(QPalette::Active, QPalette::Highlight);
    m_desktopHighlightedText = palette.color(QPalette::Active, QPalette::HighlightedText);
    // The labels' palette, where the desktop gives them one: the grey it
    // shows secondary text in. Qt gives back the application's otherwise.
    m_desktopPlaceholder = QApplication::palette("QLabel");
}

void ThemeStore::apply()
{
    const Theme current = theme();
    wear(current.tint().value_or(m_desktopHighlight),
         current.shades ? current.onAccent() : m_desktopHighlightedText);
}

void ThemeStore::wear(const QColor &highlight, const QColor &highlightedText)
{
    m_applied = highlight;
    QPalette palette = QGuiApplication::palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, highlightedText);
    }
    if (palette == QGuiApplication::palette())
        return;
    for (const QPalette::ColorGroup group : groups) {
        const QColor placeholder = m_desktopPlaceholder.color(group, QPalette::PlaceholderText);
        palette.setColor(group, QPalette::PlaceholderText, placeholder);
    }
    QApplication::setPalette(palette);
}
