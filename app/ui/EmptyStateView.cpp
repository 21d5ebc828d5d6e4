#include "EmptyStateView.h"

#include "Appearance.h"
#include "Roles.h"
#include "Symbols.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int symbolSize = 40;
}

EmptyStateView::EmptyStateView(const QString &symbol, const QString &title, const QString &description, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_icon(new QLabel(this))
    , m_title(new QLabel(title, this))
    , m_description(new QLabel(description, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 24, 48, 24);
    layout->addStretch(1);
    layout->addWidget(m_icon, 0, Qt::AlignHCenter);
    layout->addSpacing(4);
    // Wrapped labels take the whole width (a layout alignment would keep
    // them to one line) and centre their text.
    layout->addWidget(m_title);
    layout->addWidget(m_description);
    layout->addStretch(1);
    Roles::setFont(m_title, Roles::Font::title2);
    Roles::setSecondary(m_description);
    for (QLabel *label : {m_title, m_description}) {
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
    }
    m_description->setVisible(!description.isEmpty());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    drawSymbol();
}

void EmptyStateView::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    drawSymbol();
}

void EmptyStateView::setTitle(const QString &title)
{
    m_title->setText(title);
}

void EmptyStateView::setDescription(const QString &description)
{
    m_description->setText(description);
    m_description->setVisible(!description.isEmpty());
}

QString EmptyStateView::title() const
{
    return m_title->text();
}

QString EmptyStateView::description() const
{
    return m_description->text();
}

void EmptyStateView::attachTo(QWidget *area)
{
    setParent(area);
    setGeometry(area->rect());
    area->installEventFilter(this);
}

bool EmptyStateView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(static_cast<QWidget *>(watched)->rect());
    return QWidget::eventFilter(watched, event);
}

void EmptyStateView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        drawSymbol();
}

void EmptyStateView::drawSymbol()
{
    m_icon->setPixmap(
        Symbols::tinted(m_symbol, symbolSize, Roles::secondary(Appearance::active(palette())), devicePixelRatioF()));
    m_icon->setVisible(!m_symbol.isEmpty());
}
