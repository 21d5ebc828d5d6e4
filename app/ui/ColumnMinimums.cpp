#include "ColumnMinimums.h"

#include <QHeaderView>

ColumnMinimums::ColumnMinimums(QHeaderView &header, QHash<int, int> minimums)
    : QObject(&header)
    , m_header(header)
    , m_minimums(std::move(minimums))
{
    connect(&header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { keep(column, width); });
    for (auto least = m_minimums.cbegin(); least != m_minimums.cend(); ++least)
        keep(least.key(), header.sectionSize(least.key()));
}

int ColumnMinimums::minimum(int column) const
{
    return m_minimums.value(column, m_header.minimumSectionSize());
}

void ColumnMinimums::keep(int column, int width)
{
    // Resizing again reports the new width, which is then enough.
    if (column < m_header.count() && !m_header.isSectionHidden(column) && width < minimum(column))
        m_header.resizeSection(column, minimum(column));
}
