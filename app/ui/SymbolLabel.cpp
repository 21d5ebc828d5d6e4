#include "SymbolLabel.h"

#include "Roles.h"
#include "Symbols.h"
#include "ThemeStore.h"

#include <QEvent>

SymbolLabel::SymbolLabel(const QString &symbol, int size, Tint tint, QWidget *parent)
    : QLabel(parent)
    , m_symbol(symbol)
    , m_size(size)
    , m_tint(tint)
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(size, size);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, &SymbolLabel::draw);
    draw();
}

void SymbolLabel::setSymbol(const QString &symbol, Tint tint)
{
    if (symbol == m_symbol && tint == m_tint)
        return;
    m_symbol = symbol;
    m_tint = tint;
    draw();
}

QColor SymbolLabel::colour() const
{
    switch (m_tint) {
    case Tint::accentText:
        return ThemeStore::instance().theme().accentText(palette());
    case Tint::secondary:
        // Made secondary as a text is: the colour of the dimmed text beside it.
        if (foregroundRole() == QPalette::PlaceholderText)
            return palette().color(QPalette::PlaceholderText);
        break;
    case Tint::text:
        return palette().color(QPalette::WindowText);
    }
    return Roles::secondary(palette());
}

void SymbolLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        draw();
}

void SymbolLabel::draw()
{
    setPixmap(Symbols::tinted(m_symbol, m_size, colour(), devicePixelRatioF()));
}
