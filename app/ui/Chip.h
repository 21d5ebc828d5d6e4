// A small capsule label: an optional symbol and a short text in the caption
// font, drawn in a tint on a capsule of the same tint, faint. Status chips,
// the recognition chip and tags look alike this way.
#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

class Chip : public QWidget
{
    Q_OBJECT

public:
    explicit Chip(const QString &text, const QString &symbol = {}, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    // A fixed tint; without one the chip is drawn in the secondary text colour.
    void setTint(const std::optional<QColor> &tint);
    // The tint follows the accent theme's text colour (and light or dark).
    void setAccentTint();
    // The colour the chip is drawn in now.
    QColor tint() const;
    // The colour a capsule in that tint shows in over a ground: the ground
    // its text stands on.
    static QColor capsule(const QColor &tint, const QColor &ground);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void changed();

    QString m_text;
    QString m_symbol;
    std::optional<QColor> m_tint;
    bool m_followsAccent = false;
};
