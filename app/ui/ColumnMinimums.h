// A least width of its own for some columns of a header, where the header
// view keeps one minimum for all. A column made narrower than its least
// width, by a drag on its edge or any other way, is widened back to it at
// once; a hidden column stays hidden. The other columns keep the header's
// own minimum.
#pragma once

#include <QHash>
#include <QObject>

class QHeaderView;

class ColumnMinimums : public QObject
{
    Q_OBJECT

public:
    // Lives as long as the header; minimums maps a logical column to its
    // least width in pixels.
    ColumnMinimums(QHeaderView &header, QHash<int, int> minimums);

    // The column's least width: its own, else the header's minimum.
    int minimum(int column) const;

private:
    void keep(int column, int width);

    QHeaderView &m_header;
    const QHash<int, int> m_minimums;
};
