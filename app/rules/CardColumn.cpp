#include "CardColumn.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QScrollBar>
#include <QSet>

#include <algorithm>

CardColumn::CardColumn(int spacing, QAbstractScrollArea *area, QWidget *parent)
    : QWidget(parent)
    , m_spacing(spacing)
    , m_area(area)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    // Scrolling moves the band.
    connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, &CardColumn::arrange);
    area->viewport()->installEventFilter(this);
}

void CardColumn::setCards(const QList<QWidget *> &cards)
{
    const QSet<QWidget *> listed(cards.cbegin(), cards.cend());
    for (QWidget *card : std::as_const(m_cards)) {
        if (!listed.contains(card))
            card->hide();
    }
    m_cards = cards;
    for (QWidget *card : cards) {
        Q_ASSERT(card->parentWidget() == this);
        if (m_heights.contains(card))
            continue;
        m_heights.insert(card, {});
        card->installEventFilter(this);
        // Shown once, a card's parts count when it is measured; the column
        // has no layout, so this lays out only the card.
        card->show();
    }
    updateGeometry();
    arrange();
}

int CardColumn::heightOf(QWidget *card, int width) const
{
    std::array<Measured, 2> &measured = m_heights[card];
    for (const Measured &known : measured) {
        if (known.width == width)
            return known.height;
    }
    int height = card->heightForWidth(width);
    if (height < 0)
        height = card->sizeHint().height();
    measured[1] = measured[0];
    measured[0] = {width, height};
    return height;
}

int CardColumn::heightForWidth(int width) const
{
    int height = 0;
    for (QWidget *card : m_cards)
        height += heightOf(card, width);
    return height + std::max(0, int(m_cards.size()) - 1) * m_spacing;
}

QSize CardColumn::sizeHint() const
{
    int width = 0;
    for (QWidget *card : m_cards)
        width = std::max(width, card->sizeHint().width());
    return {width, heightForWidth(width)};
}

QSize CardColumn::minimumSizeHint() const
{
    int width = 0;
    for (QWidget *card : m_cards)
        width = std::max(width, card->minimumSizeHint().width());
    return {width, 0};
}

bool CardColumn::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        arrange();
        return true;
    }
    if (event->type() == QEvent::Show)
        arrange();
    return QWidget::event(event);
}

bool CardColumn::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area->viewport()) {
        if (event->type() == QEvent::Resize)
            arrange();
        return false;
    }
    // A card's content changed (or it changed while hidden): it is measured
    // again, the others are not.
    if ((event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) && m_heights.contains(watched)) {
        m_heights[watched] = {};
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
    }
    return false;
}

void CardColumn::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    if (event->removed()) {
        const QObject *child = event->child();
        m_cards.removeIf([child](const QWidget *card) { return static_cast<const QObject *>(card) == child; });
        m_heights.remove(child);
    }
}

void CardColumn::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

QRect CardColumn::band() const
{
    if (!isVisible())
        return m_band;
    const QWidget *viewport = m_area->viewport();
    const QRect view(mapFrom(viewport, QPoint(0, 0)), viewport->size());
    m_band = view.adjusted(0, -view.height(), 0, view.height());
    return m_band;
}

void CardColumn::arrange()
{
    const int width = this->width();
    const QRect shown = band();
    const QWidget *focus = QApplication::focusWidget();
    int y = 0;
    for (QWidget *card : std::as_const(m_cards)) {
        const QRect place(0, y, width, heightOf(card, width));
        if (card->geometry() != place)
            card->setGeometry(place);
        // The card with the keyboard focus stays, or the focus would move on.
        const bool inBand = place.intersects(shown) || (focus && (card == focus || card->isAncestorOf(focus)));
        if (card->isHidden() == inBand)
            card->setVisible(inBand);
        y += place.height() + m_spacing;
    }
}
