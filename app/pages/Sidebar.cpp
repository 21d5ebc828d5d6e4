#include "Sidebar.h"

#include "Roles.h"
#include "Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace {

constexpr int badgeRole = Qt::UserRole + 1;

// Rows a little taller than a plain list's, the badge at the right end.
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
        QStyledItemDelegate::paint(painter, option, index);
        const int count = index.data(badgeRole).toInt();
        if (count <= 0)
            return;
        const QString text = QString::number(count);
        const QFont font = Roles::font(Roles::Font::callout);
        const QFontMetrics metrics(font);
        const int height = metrics.height() + 2;
        const int width = std::max(height, metrics.horizontalAdvance(text) + 12);
        const QRect badge(option.rect.right() - width - 8, option.rect.center().y() - height / 2 + 1, width, height);
        const bool selected = option.state & QStyle::State_Selected;
        const QColor ink = selected ? option.palette.color(QPalette::HighlightedText) : Roles::secondary(option.palette);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(badge), height / 2.0, height / 2.0);
        QColor fill = ink;
        fill.setAlphaF(0.18f);
        painter->fillPath(capsule, fill);
        painter->setFont(font);
        painter->setPen(ink);
        painter->drawText(badge, Qt::AlignCenter, text);
        painter->restore();
    }
};

} // namespace

Sidebar::Sidebar(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("sidebar"));
    setFrameShape(QFrame::NoFrame);
    setIconSize(QSize(18, 18));
    setItemDelegate(new RowDelegate(this));
    for (const SidebarItem item : SidebarItems::allCases) {
        auto *row = new QListWidgetItem(Symbols::icon(SidebarItems::symbol(item)), SidebarItems::title(item), this);
        row->setData(Qt::UserRole, SidebarItems::rawValue(item));
    }
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        Q_EMIT chosen(row < 0 ? std::nullopt : std::optional(SidebarItems::allCases[std::size_t(row)]));
    });
}

void Sidebar::select(std::optional<SidebarItem> item)
{
    const QSignalBlocker blocker(this);
    setCurrentRow(item ? int(*item) : -1);
}

void Sidebar::setBadge(SidebarItem item, int count)
{
    this->item(int(item))->setData(badgeRole, count);
}

int Sidebar::badge(SidebarItem item) const
{
    return this->item(int(item))->data(badgeRole).toInt();
}
