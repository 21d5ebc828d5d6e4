// A row of a wrapped text and the controls beside it, laid out as a
// QHBoxLayout lays them out, but with the text no wider than its lines as
// drawn: a text that wraps is as wide as its widest line, and what follows it,
// up to the next flexible space, stands the row's spacing after that line;
// the flexible space takes what the text leaves. The text takes what the
// row has over before it wraps.
#pragma once

#include <QHBoxLayout>

class WrappedLabel;

class WrappedTextRow : public QHBoxLayout
{
public:
    // Where the controls beside the text stand: centred on the row, or
    // level with the text's first line (a title's) however many lines follow.
    enum class Level { centred, firstLine };

    explicit WrappedTextRow(int spacing, Level level = Level::centred);

    void addText(WrappedLabel *text);

    void setGeometry(const QRect &rect) override;

private:
    // Narrows the text to its lines and moves what follows it up to them.
    void fitText();
    // Sets the controls beside the text level with its first line.
    void levelWithFirstLine(const QRect &rect);

    WrappedLabel *m_text = nullptr;
    const Level m_level;
};
