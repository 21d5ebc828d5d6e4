// A column of cards in a scroll area, one below the other, each as wide as
// the column and as tall as it needs at that width. Unlike a box layout it
// measures a card only when the card or the column's width changed, showing
// a card does not lay out every card before it, and only the cards in and
// near the part of the column in view are shown: a long list of cards with
// wrapped text is measured once, a card added costs no more than itself, and
// showing the column again costs what is in view.
#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QWidget>

#include <array>

class QAbstractScrollArea;

class CardColumn : public QWidget
{
    Q_OBJECT

public:
    CardColumn(int spacing, QAbstractScrollArea *area, QWidget *parent = nullptr);

    // The cards to show, in order; each must be a child of the column.
    // Cards no longer listed are hidden.
    void setCards(const QList<QWidget *> &cards);
    const QList<QWidget *> &cards() const { return m_cards; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void childEvent(QChildEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Measured
    {
        int width = -1;
        int height = 0;
    };

    int heightOf(QWidget *card, int width) const;
    // The part of the column to show cards in: what is in view and a view's
    // height above and below it.
    QRect band() const;
    // Places every card at the column's width and shows those in the band.
    void arrange();

    const int m_spacing;
    QAbstractScrollArea *m_area;
    QList<QWidget *> m_cards;
    // Each card's height for the last two widths (with and without a scroll
    // bar), until the card changes.
    mutable QHash<const QObject *, std::array<Measured, 2>> m_heights;
    // The band while the column is hidden: the last one seen, or everything.
    mutable QRect m_band{0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
};
