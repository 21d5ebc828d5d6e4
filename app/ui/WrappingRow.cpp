#include "WrappingRow.h"

#include <QWidget>

#include <algorithm>

WrappingRow::WrappingRow(int spacing, int lineSpacing)
    : m_lineSpacing(lineSpacing)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

WrappingRow::~WrappingRow()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void WrappingRow::addWidget(QWidget *widget, int stretch)
{
    insertWidget(count(), widget, stretch);
}

void WrappingRow::insertWidget(int index, QWidget *widget, int stretch)
{
    addChildWidget(widget);
    m_entries.insert(std::clamp(index, 0, count()), Entry{new QWidgetItem(widget), stretch});
    invalidate();
}

void WrappingRow::addStretch()
{
    m_entries.append(Entry{new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0});
    invalidate();
}

void WrappingRow::addItem(QLayoutItem *item)
{
    m_entries.append(Entry{item, 0});
    invalidate();
}

int WrappingRow::count() const
{
    return int(m_entries.size());
}

QLayoutItem *WrappingRow::itemAt(int index) const
{
    return index >= 0 && index < count() ? m_entries.at(index).item : nullptr;
}

QLayoutItem *WrappingRow::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem *item = m_entries.takeAt(index).item;
    invalidate();
    return item;
}

Qt::Orientations WrappingRow::expandingDirections() const
{
    return Qt::Horizontal;
}

bool WrappingRow::hasHeightForWidth() const
{
    return true;
}

int WrappingRow::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize WrappingRow::minimumSize() const
{
    // The widest control that cannot narrow further, alone on its line.
    int width = 0;
    for (const Entry &entry : m_entries) {
        if (!entry.item->isEmpty())
            width = std::max(width, entry.item->minimumSize().width());
    }
    return QSize(width, heightForWidth(width));
}

QSize WrappingRow::sizeHint() const
{
    // Everything on one line, at the widths the controls ask for.
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const Entry &entry : m_entries) {
        if (entry.item->isEmpty())
            continue;
        width += entry.item->sizeHint().width() + (shown++ > 0 ? spacing() : 0);
        height = std::max(height, entry.item->sizeHint().height());
    }
    return QSize(width, height);
}

void WrappingRow::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrappingRow::arrange(const QRect &rect, bool place) const
{
    struct Placed
    {
        QLayoutItem *item;
        int stretch;
        bool flexible; // a flexible space
        int width;
    };
    const int gap = spacing();
    // The room a control takes on a line before the line's rest is shared out.
    const auto wanted = [](const Entry &entry) {
        return entry.stretch > 0 ? entry.item->minimumSize().width() : entry.item->sizeHint().width();
    };
    QList<QList<Placed>> lines(1);
    int used = 0;
    for (const Entry &entry : m_entries) {
        const bool flexible = entry.item->spacerItem() != nullptr;
        if (entry.item->isEmpty() && !flexible)
            continue;
        const int width = flexible ? 0 : wanted(entry);
        if (!flexible && !lines.last().isEmpty() && used + gap + width > rect.width()) {
            lines.append(QList<Placed>());
            used = 0;
        }
        used += width + (flexible || lines.last().isEmpty() ? 0 : gap);
        lines.last().append(Placed{entry.item, entry.stretch, flexible, width});
    }

    int y = rect.y();
    int taken = 0;
    for (QList<Placed> &line : lines) {
        // A flexible space at the start of a line has nothing to push.
        while (!line.isEmpty() && line.first().flexible)
            line.removeFirst();
        if (line.isEmpty())
            continue;
        int controls = 0;
        int stretches = 0;
        int flexibles = 0;
        int height = 0;
        for (const Placed &placed : line) {
            if (placed.flexible) {
                ++flexibles;
                continue;
            }
            controls += placed.width;
            stretches += placed.stretch;
            height = std::max(height, placed.item->sizeHint().height());
        }
        const auto shown = std::count_if(line.begin(), line.end(), [](const Placed &placed) { return !placed.flexible; });
        const int gaps = gap * int(shown - 1);
        int rest = rect.width() - controls - gaps;
        if (rest < 0) {
            // Too wide: the controls narrow, in their order, down to their least widths.
            for (Placed &placed : line) {
                const int give = std::min(-rest, placed.width - placed.item->minimumSize().width());
                if (give > 0) {
                    placed.width -= give;
                    rest += give;
                }
            }
        } else {
            // The rest to the stretching controls, else to the flexible spaces.
            int shares = stretches > 0 ? stretches : flexibles;
            for (Placed &placed : line) {
                const int share = stretches > 0 ? placed.stretch : (placed.flexible ? 1 : 0);
                if (share == 0 || shares == 0)
                    continue;
                const int more = rest * share / shares;
                placed.width += more;
                rest -= more;
                shares -= share;
            }
        }
        if (taken > 0)
            y += m_lineSpacing;
        if (place) {
            int x = rect.x();
            bool gapBefore = false;
            for (const Placed &placed : line) {
                if (placed.flexible) {
                    x += placed.width;
                    continue;
                }
                if (gapBefore)
                    x += gap;
                const int itemHeight = std::min(height, placed.item->sizeHint().height());
                placed.item->setGeometry(QRect(x, y + (height - itemHeight) / 2, placed.width, itemHeight));
                x += placed.width;
                gapBefore = true;
            }
        }
        y += height;
        taken = y - rect.y();
    }
    return taken;
}
