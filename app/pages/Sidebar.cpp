#include "Sidebar.h"

#include "FocusRing.h"
#include "Roles.h"
#include "Symbols.h"
#include "ThemeStore.h"

#include <QItemSelectionModel>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace {

constexpr int badgeRole = Qt::UserRole + 1;
constexpr int iconSize = 18;
constexpr int inset = 8;
constexpr qreal radius = 6; // of the selection

// A row: the symbol in the accent colour and the title on a rounded
// selection inset from the edges, the badge at the right end.
class RowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + 14));
        return size;
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        const QColor ink = selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
        const QRect row = option.rect.adjusted(inset / 2, 1, -inset / 2, -1);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (selected) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(row), radius, radius);
            painter->fillPath(shape, palette.color(QPalette::Highlight));
        }
        if (option.state & QStyle::State_HasFocus) {
            // Where the keyboard is: a ring inside the row, apart from its
            // edge, on the selection in a colour that stands apart from the
            // fill. It is a pixel wider than a ring round a control, so that
            // it covers no less than a ring along the edge would.
            const QColor ring = selected ? FocusRing::colourOn(palette, palette.color(QPalette::Highlight), ink)
                                         : FocusRing::colour(palette);
            const qreal width = FocusRing::width + 1;
            FocusRing::paint(*painter, QRectF(row).adjusted(1, 1, -1, -1), ring, radius - 1 - width / 2, width);
        }
        const QString symbol = SidebarItems::symbol(SidebarItems::allCases[std::size_t(index.row())]);
        const QColor symbolInk = selected ? ink : ThemeStore::instance().theme().accentText(palette);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPoint iconAt(row.left() + inset, row.center().y() - iconSize / 2 + 1);
        painter->drawPixmap(iconAt, Symbols::tinted(symbol, iconSize, symbolInk, ratio));

        int right = row.right() - inset;
        if (const int count = index.data(badgeRole).toInt(); count > 0) {
            const QString text = QString::number(count);
            const QFont font = Roles::font(Roles::Font::callout);
            const QFontMetrics metrics(font);
            const int height = metrics.height() + 2;
            const int width = std::max(height, metrics.horizontalAdvance(text) + 12);
            const QRect badge(right - width, row.center().y() - height / 2 + 1, width, height);
            const QColor badgeInk = selected ? ink : Roles::secondary(palette);
            QPainterPath capsule;
            capsule.addRoundedRect(QRectF(badge), height / 2.0, height / 2.0);
            QColor fill = badgeInk;
            fill.setAlphaF(0.18f);
            painter->fillPath(capsule, fill);
            painter->setFont(font);
            painter->setPen(badgeInk);
            painter->drawText(badge, Qt::AlignCenter, text);
            right = badge.left() - 6;
        }
        const QRect title(iconAt.x() + iconSize + 8, row.top(), right - iconAt.x() - iconSize - 8, row.height());
        painter->setFont(option.font);
        painter->setPen(ink);
        painter->drawText(title, Qt::AlignVCenter | Qt::AlignLeft,
                          option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, title.width()));
        painter->restore();
    }
};

} // namespace

Sidebar::Sidebar(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("sidebar"));
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(new RowDelegate(this));
    for (const SidebarItem item : SidebarItems::allCases) {
        auto *row = new QListWidgetItem(SidebarItems::title(item), this);
        row->setData(Qt::UserRole, SidebarItems::rawValue(item));
    }
    connect(&ThemeStore::instance(), &ThemeStore::changed, viewport(), qOverload<>(&QWidget::update));
    // The highlighted row is the one chosen. Ctrl+click on it takes the
    // highlight away, and the row stays current: none is chosen then, and
    // Space on the row chooses it again.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = selectionModel()->selectedRows();
        Q_EMIT chosen(rows.isEmpty() ? std::nullopt
                                     : std::optional(SidebarItems::allCases[std::size_t(rows.constFirst().row())]));
    });
}

void Sidebar::select(std::optional<SidebarItem> item)
{
    const QSignalBlocker blocker(this);
    if (item) {
        setCurrentRow(int(*item));
        return;
    }
    // The current row keeps the focus ring, where Space chooses it again
    // and the arrows go on from.
    clearSelection();
}

void Sidebar::setBadge(SidebarItem item, int count)
{
    this->item(int(item))->setData(badgeRole, count);
}

int Sidebar::badge(SidebarItem item) const
{
    return this->item(int(item))->data(badgeRole).toInt();
}
