#include "ThemeStore.h"

#include "Prefs.h"

#include <QApplication>
#include <QEvent>

#include <algorithm>

namespace {

const QString accentKey = QStringLiteral("appearance.accent");

// The classes of widgets a desktop's theme may give palettes of their own.
constexpr const char *themedClasses[] = {
    "QToolButton", "QAbstractButton", "QCheckBox", "QRadioButton", "QHeaderView",
    "QAbstractItemView", "QMessageBoxLabel", "QTabBar", "QLabel", "QGroupBox",
    "QMenu", "QMenuBar", "QTextEdit", "QTextControl", "QLineEdit",
};
// Where the desktop shows its highlight: a list's selection.
constexpr char listClass[] = "QAbstractItemView";

bool same(const QPalette &a, const QPalette &b)
{
    return a == b && a.resolveMask() == b.resolveMask();
}

// The palette with the accent's colours and nothing else changed.
QPalette withAccent(QPalette palette, const QColor &highlight, const QColor &highlightedText)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, highlightedText);
    }
    return palette;
}

// The palette the desktop gives that class apart from the application's;
// none when the class wears the application's.
std::optional<QPalette> classPalette(const char *className)
{
    const QPalette palette = QApplication::palette(className);
    if (palette == QGuiApplication::palette())
        return std::nullopt;
    return palette;
}

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
    QCoreApplication::instance()->removeEventFilter(this);
    // Given back only while what it wore is still worn.
    if (m_worn && same(QGuiApplication::palette(), *m_worn))
        wear(std::nullopt, {});
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
    // A palette someone else set (the desktop's theme, a style, the light
    // or dark mode), the application's or a class's: Qt tells the
    // application of either.
    if (!m_wearing && watched == QCoreApplication::instance()
        && event->type() == QEvent::ApplicationPaletteChange) {
        if (m_worn)
            desktopChangedUnderAccent();
        else
            captureDesktop();
        apply();
    }
    return QObject::eventFilter(watched, event);
}

void ThemeStore::captureDesktop()
{
    m_desktop = QGuiApplication::palette();
    m_desktopClasses.clear();
    for (const char *className : themedClasses) {
        if (const std::optional<QPalette> palette = classPalette(className))
            m_desktopClasses.append({className, *palette});
    }
    m_desktopHighlight = QApplication::palette(listClass).color(QPalette::Active, QPalette::Highlight);
}

void ThemeStore::desktopChangedUnderAccent()
{
    const QPalette application = QGuiApplication::palette();
    // A palette set in place of the worn one is the desktop's now; the worn
    // one still set, over another style's or theme's colours, keeps the
    // desktop's as it was set.
    const bool wornStill = application.resolveMask() == m_worn->resolveMask()
        && application.color(QPalette::Active, QPalette::Highlight)
            == m_worn->color(QPalette::Active, QPalette::Highlight)
        && application.color(QPalette::Active, QPalette::HighlightedText)
            == m_worn->color(QPalette::Active, QPalette::HighlightedText);
    if (!wornStill)
        m_desktop = application;
    // A class's palette other than the worn one is the desktop's; one that
    // no longer stands apart from the application's is gone.
    QList<ClassPalette> classes;
    for (const char *className : themedClasses) {
        const std::optional<QPalette> now = classPalette(className);
        if (!now)
            continue;
        const auto worn = std::find_if(m_wornClasses.cbegin(), m_wornClasses.cend(),
                                       [className](const ClassPalette &each) { return each.className == className; });
        const auto given = std::find_if(m_desktopClasses.cbegin(), m_desktopClasses.cend(),
                                        [className](const ClassPalette &each) { return each.className == className; });
        if (worn != m_wornClasses.cend() && given != m_desktopClasses.cend() && *now == worn->palette)
            classes.append(*given);
        else
            classes.append({className, *now});
    }
    m_desktopClasses = classes;
    // The desktop's own, whole, as it shows them now: its highlight too.
    wear(std::nullopt, {});
    captureDesktop();
}

void ThemeStore::apply()
{
    const Theme current = theme();
    wear(current.tint(), current.onAccent());
}

void ThemeStore::wear(const std::optional<QColor> &highlight, const QColor &highlightedText)
{
    const auto dressed = [&](const QPalette &palette) {
        return highlight ? withAccent(palette, *highlight, highlightedText) : palette;
    };
    m_wearing = true;
    const QPalette application = dressed(m_desktop);
    // Setting the application's palette takes every class's away.
    if (!same(QGuiApplication::palette(), application))
        QApplication::setPalette(application);
    m_wornClasses.clear();
    for (const ClassPalette &desktop : std::as_const(m_desktopClasses)) {
        const QPalette palette = dressed(desktop.palette);
        if (QApplication::palette(desktop.className.constData()) != palette)
            setClassPalette(desktop.className, palette);
        m_wornClasses.append({desktop.className, palette});
    }
    m_wearing = false;
    if (highlight)
        m_worn = QGuiApplication::palette();
    else
        m_worn.reset();
}

void ThemeStore::setClassPalette(const QByteArray &className, const QPalette &palette)
{
    s_givingBackClassPalette = true;
    QApplication::setPalette(palette, className.constData());
    s_givingBackClassPalette = false;
}
