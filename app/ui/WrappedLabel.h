// A plain-text label that wraps at word boundaries and lays its text out
// once per width. A word-wrapped QLabel lays its text out again for every
// size question (its preferred size alone tries several widths), which adds
// up on a page with hundreds of them; this one answers the preferred and
// least sizes from the font and remembers the height for each width asked
// until the text or the font changes.
#pragma once

#include <QLabel>
#include <QVarLengthArray>

class WrappedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit WrappedLabel(QWidget *parent = nullptr);

    // Asks for no more width than its text takes on one line (a short note
    // with a button after it), while it still wraps where it gets less.
    void setPrefersTextWidth(bool prefers);

    // The size of its text as drawn in contents of the given width: the
    // widest line's width and the lines' height.
    QSize textSize(int width) const;
    // The middle of its first line as drawn now, from its top.
    int firstLineMiddle() const;

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;

private:
    // Forgets what was measured for a text that has since changed.
    void forgetChangedText() const;

    struct Measured
    {
        int width;
        int height;
    };
    // A few widths: a page measures at its width with and without a scroll bar.
    mutable QVarLengthArray<Measured, 4> m_heights;
    mutable QString m_measured; // the text the heights are for
    mutable int m_textWidth = -1; // the text's width on one line, once measured
    // The text's size as drawn at the width last asked for.
    mutable int m_textSizeWidth = -1;
    mutable QSize m_textSize;
    bool m_prefersTextWidth = false;
};
