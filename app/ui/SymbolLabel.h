// A symbol drawn in one colour of the window: the accent text colour of the
// chosen theme, the secondary colour, or the colour of plain text. It draws
// itself again when the theme or the palette changes, so a red accent turns
// it red at once.
#pragma once

#include <QLabel>

class SymbolLabel : public QLabel
{
    Q_OBJECT

public:
    enum class Tint { accentText, secondary, text };

    SymbolLabel(const QString &symbol, int size, Tint tint, QWidget *parent = nullptr);

    void setSymbol(const QString &symbol, Tint tint);
    QString symbol() const { return m_symbol; }
    // The colour the symbol is drawn in now.
    QColor colour() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void draw();

    QString m_symbol;
    int m_size;
    Tint m_tint;
};
