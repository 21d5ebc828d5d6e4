#include "JournalDelegate.h"

#include "JournalModel.h"
#include "Symbols.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QApplication>
#include <QFileIconProvider>
#include <QHelpEvent>
#include <QLocale>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QTextLayout>
#include <QToolTip>

namespace {

constexpr int margin = 16;    // left and right of a row
constexpr int padding = 8;    // above and below an entry
constexpr int spacing = 12;   // between icon, text, and the trailing column
constexpr int lineGap = 4;    // between the lines of the text column
constexpr int iconSize = 32;

// The time of day without seconds, in the user's short format.
QString timeText(const QDateTime &date)
{
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QLatin1String(":ss"));
    return QLocale().toString(date.toLocalTime().time(), format);
}

QColor secondary(const QPalette &palette)
{
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.55);
    return color;
}

} // namespace

struct JournalDelegate::Fonts
{
    explicit Fonts(const QFont &body)
        : body(body)
        , title(body)
        , callout(body)
        , caption(body)
    {
        title.setWeight(QFont::Medium);
        callout.setPointSizeF(body.pointSizeF() - 1);
        caption.setPointSizeF(body.pointSizeF() - 2);
    }
    QFont body;
    QFont title;
    QFont callout;
    QFont caption;
};

struct JournalDelegate::Layout
{
    QRect icon;
    QRect title;
    QRect chip;
    QRect detail;
    int detailLines = 1;
    QRect recognition;
    QRect message;
    QRect time;
    QRect action;
    int height = 0;
};

JournalDelegate::JournalDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

JournalDelegate::Layout JournalDelegate::layout(const JournalRow &row, const QRect &rect, const QFont &font) const
{
    const Fonts fonts(font);
    const QFontMetrics body(fonts.body), title(fonts.title), callout(fonts.callout), caption(fonts.caption);
    Layout at;

    // The trailing column: the time, and under it the action button.
    const QString time = timeText(row.date);
    int trailing = callout.horizontalAdvance(time);
    QSize button;
    if (const std::optional<JournalRow::Action> action = row.action()) {
        button = QSize(callout.horizontalAdvance(JournalRow::actionTitle(*action)) + 20, callout.height() + 8);
        trailing = std::max(trailing, button.width());
    }
    const int right = rect.right() - margin;
    at.time = QRect(right - trailing, rect.top() + padding, trailing, callout.height());
    if (button.isValid())
        at.action = QRect(QPoint(right - button.width() + 1, at.time.bottom() + 1 + 8), button);

    at.icon = QRect(rect.left() + margin, rect.top() + padding, iconSize, iconSize);
    const int left = at.icon.right() + 1 + spacing;
    const int width = std::max(40, at.time.left() - spacing - left);

    int y = rect.top() + padding;
    const int chipHeight = caption.height() + 4;
    const int titleHeight = std::max(title.height(), row.chip() ? chipHeight : 0);
    int chipWidth = 0;
    if (const std::optional<JournalRow::Chip> chip = row.chip())
        chipWidth = caption.horizontalAdvance(chip->text) + caption.height() + 4 + 16;
    // A pixel to spare, so that a title that fits is never elided by rounding.
    const int titleWidth = std::min(title.horizontalAdvance(row.title) + 2, std::max(0, width - chipWidth - 8));
    at.title = QRect(left, y, titleWidth, titleHeight);
    if (chipWidth > 0)
        at.chip = QRect(left + titleWidth + 8, y + (titleHeight - chipHeight) / 2, chipWidth, chipHeight);
    y += titleHeight + lineGap;

    at.detailLines = body.horizontalAdvance(row.detail) > width ? 2 : 1;
    at.detail = QRect(left, y, width, body.height() * at.detailLines);
    y += at.detail.height();
    if (row.recognition) {
        at.recognition = QRect(left, y + lineGap, width, chipHeight);
        y += lineGap + chipHeight;
    }
    if (!row.message.isEmpty()) {
        at.message = QRect(left, y + lineGap, width, callout.height());
        y += lineGap + callout.height();
    }
    const int bottom = std::max({y, at.icon.bottom() + 1, at.action.isValid() ? at.action.bottom() + 1 : 0,
                                 at.time.bottom() + 1});
    at.height = bottom - rect.top() + padding;
    return at;
}

int JournalDelegate::rowHeight(const JournalModel &model, int row, int width, const QFont &font) const
{
    if (model.day(row)) {
        const QFontMetrics metrics(font);
        return metrics.height() + 18;
    }
    const JournalRow *entry = model.entry(row);
    return entry ? layout(*entry, QRect(0, 0, width, 0), font).height : 0;
}

QRect JournalDelegate::actionRect(const JournalRow &row, const QRect &rect, const QFont &font) const
{
    return layout(row, rect, font).action;
}

QSize JournalDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const JournalModel *>(index.model());
    if (!model)
        return QStyledItemDelegate::sizeHint(option, index);
    return QSize(option.rect.width(), rowHeight(*model, index.row(), option.rect.width(), option.font));
}

void JournalDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const JournalModel *>(index.model());
    if (!model)
        return;
    if (model->day(index.row()))
        paintDay(painter, option, index.data(Qt::DisplayRole).toString());
    else if (const JournalRow *row = model->entry(index.row()))
        paintEntry(painter, option, *row);
}

void JournalDelegate::paintDay(QPainter *painter, const QStyleOptionViewItem &option, const QString &title) const
{
    painter->save();
    QFont font = option.font;
    font.setWeight(QFont::DemiBold);
    painter->setFont(font);
    painter->setPen(secondary(option.palette));
    const QRect text = option.rect.adjusted(margin, 10, -margin, -4);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, title);
    painter->restore();
}

void JournalDelegate::paintEntry(QPainter *painter, const QStyleOptionViewItem &option, const JournalRow &row) const
{
    const Layout at = layout(row, option.rect, option.font);
    const Fonts fonts(option.font);
    const QPalette &palette = option.palette;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    if (option.state & QStyle::State_Selected) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlphaF(0.18);
        painter->fillRect(option.rect, fill);
    }

    // Icon: the file's own where it exists, else that of its kind.
    QIcon icon;
    const QFileInfo file(row.iconPath);
    if (file.exists()) {
        static QFileIconProvider provider;
        icon = provider.icon(file);
    } else {
        static QMimeDatabase types;
        icon = QIcon::fromTheme(types.mimeTypeForFile(row.iconPath, QMimeDatabase::MatchExtension).iconName(),
                                QIcon::fromTheme(QStringLiteral("application-octet-stream")));
    }
    icon.paint(painter, at.icon);

    painter->setPen(palette.color(QPalette::Text));
    painter->setFont(fonts.title);
    painter->drawText(at.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      QFontMetrics(fonts.title).elidedText(row.title, Qt::ElideMiddle, at.title.width()));

    if (const std::optional<JournalRow::Chip> chip = row.chip()) {
        const QColor tint = chip->accent ? palette.color(QPalette::Highlight) : secondary(palette);
        QColor fill = tint;
        fill.setAlphaF(0.12);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(at.chip, at.chip.height() / 2.0, at.chip.height() / 2.0);
        const int symbol = QFontMetrics(fonts.caption).height() - 2;
        const QRect symbolRect(at.chip.left() + 8, at.chip.center().y() - symbol / 2, symbol, symbol);
        Symbols::icon(chip->symbol).paint(painter, symbolRect);
        painter->setPen(tint);
        painter->setFont(fonts.caption);
        painter->drawText(at.chip.adjusted(8 + symbol + 4, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, chip->text);
    }

    painter->setPen(secondary(palette));
    painter->setFont(fonts.body);
    if (at.detailLines == 1) {
        painter->drawText(at.detail, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, row.detail);
    } else {
        // Two lines at most; the second ends in an ellipsis when the line is longer still.
        const QFontMetrics metrics(fonts.body);
        QTextLayout text(row.detail, fonts.body);
        text.beginLayout();
        QTextLine first = text.createLine();
        first.setLineWidth(at.detail.width());
        text.endLayout();
        const QString rest = row.detail.mid(first.textLength());
        painter->drawText(at.detail.topLeft() + QPoint(0, metrics.ascent()), row.detail.left(first.textLength()));
        painter->drawText(at.detail.topLeft() + QPoint(0, metrics.height() + metrics.ascent()),
                          metrics.elidedText(rest, Qt::ElideRight, at.detail.width()));
    }

    if (row.recognition && at.recognition.isValid()) {
        painter->setFont(fonts.caption);
        painter->drawText(at.recognition, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          row.recognition->sender.value_or(QString()));
    }
    if (at.message.isValid()) {
        painter->setFont(fonts.callout);
        painter->drawText(at.message, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          QFontMetrics(fonts.callout).elidedText(row.message, Qt::ElideRight, at.message.width()));
    }

    painter->setFont(fonts.callout);
    painter->drawText(at.time, Qt::AlignRight | Qt::AlignVCenter, timeText(row.date));

    if (const std::optional<JournalRow::Action> action = row.action()) {
        QStyleOptionButton button;
        button.rect = at.action;
        button.text = JournalRow::actionTitle(*action);
        button.state = QStyle::State_Enabled;
        if (m_pressed == row.id)
            button.state |= QStyle::State_Sunken;
        else
            button.state |= QStyle::State_Raised;
        button.palette = palette;
        button.fontMetrics = QFontMetrics(fonts.callout);
        painter->setFont(fonts.callout);
        if (*action == JournalRow::Action::check) {
            // The prominent style: filled with the accent.
            button.palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
            button.palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
        }
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_PushButton, &button, painter, widget);
    }
    painter->restore();
}

bool JournalDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    const auto *journal = qobject_cast<const JournalModel *>(model);
    const JournalRow *row = journal ? journal->entry(index.row()) : nullptr;
    if (!row || !row->action())
        return false;
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (!press && !release)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const bool inside = mouse->button() == Qt::LeftButton
        && actionRect(*row, option.rect, option.font).contains(mouse->position().toPoint());
    if (press) {
        m_pressed = inside ? row->id : 0;
        return inside;
    }
    const bool clicked = inside && m_pressed == row->id;
    m_pressed = 0;
    if (clicked)
        Q_EMIT triggered(row->id, *row->action());
    return clicked;
}

bool JournalDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    const auto *model = qobject_cast<const JournalModel *>(index.model());
    const JournalRow *row = model ? model->entry(index.row()) : nullptr;
    if (!row || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const Layout at = layout(*row, option.rect, option.font);
    QString tip;
    if (row->action() == JournalRow::Action::undo && at.action.contains(event->pos()))
        tip = tr("Move the file back and remove the tags Filewright added");
    else if (at.detail.contains(event->pos()) && at.detailLines > 1)
        tip = row->detail;
    else if (at.message.contains(event->pos()))
        tip = row->message;
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view);
    return true;
}
