// A plain-text label that wraps at word boundaries, and inside a word too
// long for a line, to at most a given number of lines; text beyond them is
// cut, and the last line shown ends in an ellipsis. The whole text stays the
// label's text.
#pragma once

#include <QLabel>

class LineLimitedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LineLimitedLabel(int maximumLines, QWidget *parent = nullptr);

    // The lines shown at a width, the last one elided when the text is longer.
    QStringList shownLines(int width) const;
    QStringList shownLines() const { return shownLines(contentsRect().width()); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_maximumLines;
};
