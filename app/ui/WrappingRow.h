// A row of controls that goes on over a further line where its width runs
// out, as words do. Each control keeps the width it asks for; controls given
// a stretch (and, without them, flexible spaces) share what their line leaves
// over. A control given a stretch fits a line at its least width; a control
// alone on a line narrows to the line, down to its least width. Hidden
// controls take no room.
#pragma once

#include <QLayout>

class WrappingRow : public QLayout
{
public:
    // spacing between the controls of a line, lineSpacing between lines.
    WrappingRow(int spacing, int lineSpacing);
    ~WrappingRow() override;

    void addWidget(QWidget *widget, int stretch = 0);
    void insertWidget(int index, QWidget *widget, int stretch = 0);
    // A flexible space: it takes the room its line leaves when nothing else
    // stretches, so that what follows stands at the end.
    void addStretch();

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry
    {
        QLayoutItem *item;
        int stretch;
    };

    // Lays the entries out over lines of rect's width from its top; places
    // them only when place is true. Returns the height taken.
    int arrange(const QRect &rect, bool place) const;

    const int m_lineSpacing;
    QList<Entry> m_entries;
};
