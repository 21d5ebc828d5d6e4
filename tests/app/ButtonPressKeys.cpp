#include "ButtonPressKeys.h"

#include <QKeySequence>
#include <QList>
#include <QVariant>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformtheme.h>

namespace {

class PressKeysTheme : public QPlatformTheme
{
public:
    explicit PressKeysTheme(const QPlatformTheme *before)
        : m_before(before)
    {
    }

    QVariant themeHint(ThemeHint hint) const override
    {
        if (hint == ButtonPressKeys)
            return QVariant::fromValue(QList<Qt::Key>{Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Select});
        return m_before ? m_before->themeHint(hint) : QPlatformTheme::themeHint(hint);
    }
    const QPalette *palette(Palette type) const override
    {
        return m_before ? m_before->palette(type) : QPlatformTheme::palette(type);
    }
    const QFont *font(Font type) const override { return m_before ? m_before->font(type) : QPlatformTheme::font(type); }
    QList<QKeySequence> keyBindings(QKeySequence::StandardKey key) const override
    {
        return m_before ? m_before->keyBindings(key) : QPlatformTheme::keyBindings(key);
    }

private:
    const QPlatformTheme *m_before;
};

} // namespace

ButtonPressKeys::ButtonPressKeys()
    : m_before(QGuiApplicationPrivate::platform_theme)
    , m_theme(std::make_unique<PressKeysTheme>(m_before))
{
    QGuiApplicationPrivate::platform_theme = m_theme.get();
}

ButtonPressKeys::~ButtonPressKeys()
{
    QGuiApplicationPrivate::platform_theme = m_before;
}

bool ButtonPressKeys::returnPresses()
{
    const QPlatformTheme *theme = QGuiApplicationPrivate::platformTheme();
    return theme && theme->themeHint(QPlatformTheme::ButtonPressKeys).value<QList<Qt::Key>>().contains(Qt::Key_Return);
}
