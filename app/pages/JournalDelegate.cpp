#include "JournalDelegate.h"

#include "JournalModel.h"
#include "Symbols.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QApplication>
#include <QHash>
#include <QHelpEvent>
#include <QLocale>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QTextLayout>

#include <functional>
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

// Icons are drawn from pixmaps made once per kind of file and size: the
// journal draws the same few icons over and over while it scrolls.
QPixmap cachedPixmap(const QString &key, const QSize &size, qreal ratio, const std::function<QIcon()> &make)
{
    static QHash<QString, QPixmap> cache;
    const QString id = key + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x')
        + QString::number(ratio);
    auto found = cache.constFind(id);
    if (found == cache.constEnd())
        found = cache.insert(id, make().pixmap(size, ratio));
    return *found;
}

QPixmap fileIcon(const QString &path, const QSize &size, qreal ratio)
{
    static const QMimeDatabase types;
    const QFileInfo file(path);
    const QMimeType type = file.isDir() ? types.mimeTypeForName(QStringLiteral("inode/directory"))
                                        : types.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return cachedPixmap(type.name(), size, ratio, [&type] {
        return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(),
                                                                  QIcon::fromTheme(QStringLiteral("text-x-generic"))));
    });
}

QPixmap symbolIcon(const QString &symbol, const QSize &size, qreal ratio)
{
    return cachedPixmap(QStringLiteral("symbol:") + symbol, size, ratio, [&symbol] { return Symbols::icon(symbol); });
}

} // namespace

struct JournalDelegate::Fonts
{
    explicit Fonts(const QFont &base)
        : base(base)
        , body(base)
        , title(base)
        , callout(base)
        , caption(base)
    {
        title.setWeight(QFont::Medium);
        callout.setPointSizeF(base.pointSizeF() - 1);
        caption.setPointSizeF(base.pointSizeF() - 2);
    }
    QFont base;
    QFont body;
    QFont title;
    QFont callout;
    QFont caption;
    QFontMetrics bodyMetrics{body};
    QFontMetrics titleMetrics{title};
    QFontMetrics calloutMetrics{callout};
    QFontMetrics captionMetrics{caption};
};

struct JournalDelegate::Measures
{
    // The texts measured; a row made anew holds texts of its own, so a
    // changed entry is measured again.
    QString title;
    QString detail;
    QString time;
    int titleAdvance = 0;
    int detailAdvance = 0;
    int timeAdvance = 0;
    int chipAdvance = 0;
    int actionAdvance = 0;
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

JournalDelegate::~JournalDelegate() = default;

const JournalDelegate::Fonts &JournalDelegate::fonts(const QFont &font) const
{
    if (!m_fonts || m_fonts->base != font) {
        m_fonts = std::make_unique<Fonts>(font);
        m_measures.clear();
    }
    return *m_fonts;
}

const JournalDelegate::Measures &JournalDelegate::measure(const JournalRow &row, const Fonts &fonts) const
{
    auto found = m_measures.find(row.id);
    if (found != m_measures.end() && found->detail.constData() == row.detail.constData()
        && found->title.constData() == row.title.constData())
        return *found;
    // Widths of rows scrolled past long ago are dropped now and then.
    if (m_measures.size() > 20000)
        m_measures.clear();
    Measures measures;
    measures.title = row.title;
    measures.detail = row.detail;
    measures.time = timeText(row.date);
    measures.titleAdvance = fonts.titleMetrics.horizontalAdvance(row.title);
    measures.detailAdvance = fonts.bodyMetrics.horizontalAdvance(row.detail);
    measures.timeAdvance = fonts.calloutMetrics.horizontalAdvance(measures.time);
    if (const std::optional<JournalRow::Chip> chip = row.chip())
        measures.chipAdvance = fonts.captionMetrics.horizontalAdvance(chip->text);
    if (const std::optional<JournalRow::Action> action = row.action())
        measures.actionAdvance = fonts.calloutMetrics.horizontalAdvance(JournalRow::actionTitle(*action));
    return *m_measures.insert(row.id, measures);
}

JournalDelegate::Layout JournalDelegate::layout(const JournalRow &row, const QRect &rect, const QFont &font) const
{
    const Fonts &f = fonts(font);
    const Measures &m = measure(row, f);
    const QFontMetrics &body = f.bodyMetrics, &title = f.titleMetrics, &callout = f.calloutMetrics,
                       &caption = f.captionMetrics;
    Layout at;

    // The trailing column: the time, and under it the action button.
    int trailing = m.timeAdvance;
    QSize button;
    if (row.action()) {
        button = QSize(m.actionAdvance + 20, callout.height() + 8);
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
    const bool hasChip = row.status != JournalEntry::Status::done;
    const int titleHeight = std::max(title.height(), hasChip ? chipHeight : 0);
    const int chipWidth = hasChip ? m.chipAdvance + caption.height() + 4 + 16 : 0;
    // A pixel to spare, so that a title that fits is never elided by rounding.
    const int titleWidth = std::min(m.titleAdvance + 2, std::max(0, width - chipWidth - 8));
    at.title = QRect(left, y, titleWidth, titleHeight);
    if (hasChip)
        at.chip = QRect(left + titleWidth + 8, y + (titleHeight - chipHeight) / 2, chipWidth, chipHeight);
    y += titleHeight + lineGap;

    at.detailLines = m.detailAdvance > width ? 2 : 1;
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
    if (model.day(row))
        return fonts(font).bodyMetrics.height() + 18;
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
    const Fonts &f = fonts(option.font);
    const Measures &m = measure(row, f);
    const QPalette &palette = option.palette;
    const qreal ratio = painter->device()->devicePixelRatioF();
    // Single lines are drawn at their baseline: no text layout for each paint.
    const auto baseline = [](const QRect &box, const QFontMetrics &metrics) {
        return box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    };
    painter->save();

    if (option.state & QStyle::State_Selected) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlphaF(0.18);
        painter->fillRect(option.rect, fill);
    }
    painter->drawPixmap(at.icon, fileIcon(row.iconPath, at.icon.size(), ratio));

    painter->setPen(palette.color(QPalette::Text));
    painter->setFont(f.title);
    const QString title = m.titleAdvance + 2 > at.title.width()
        ? f.titleMetrics.elidedText(row.title, Qt::ElideMiddle, at.title.width())
        : row.title;
    painter->drawText(QPoint(at.title.left(), baseline(at.title, f.titleMetrics)), title);

    if (const std::optional<JournalRow::Chip> chip = row.chip()) {
        const QColor tint = chip->accent ? palette.color(QPalette::Highlight) : secondary(palette);
        QColor fill = tint;
        fill.setAlphaF(0.12);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(at.chip, at.chip.height() / 2.0, at.chip.height() / 2.0);
        const int symbol = f.captionMetrics.height() - 2;
        const QRect symbolRect(at.chip.left() + 8, at.chip.center().y() - symbol / 2, symbol, symbol);
        painter->drawPixmap(symbolRect, symbolIcon(chip->symbol, symbolRect.size(), ratio));
        painter->setPen(tint);
        painter->setFont(f.caption);
        painter->drawText(QPoint(symbolRect.right() + 1 + 4, baseline(at.chip, f.captionMetrics)), chip->text);
    }

    painter->setPen(secondary(palette));
    painter->setFont(f.body);
    const QPoint detail(at.detail.left(), at.detail.top() + f.bodyMetrics.ascent());
    if (at.detailLines == 1) {
        painter->drawText(detail, row.detail);
    } else {
        // Two lines at most; the second ends in an ellipsis when the line is longer still.
        QTextLayout text(row.detail, f.body);
        text.beginLayout();
        QTextLine first = text.createLine();
        first.setLineWidth(at.detail.width());
        text.endLayout();
        const QString rest = row.detail.mid(first.textLength());
        painter->drawText(detail, row.detail.left(first.textLength()));
        painter->drawText(detail + QPoint(0, f.bodyMetrics.height()),
                          f.bodyMetrics.elidedText(rest, Qt::ElideRight, at.detail.width()));
    }

    if (row.recognition && at.recognition.isValid()) {
        painter->setFont(f.caption);
        painter->drawText(QPoint(at.recognition.left(), baseline(at.recognition, f.captionMetrics)),
                          f.captionMetrics.elidedText(row.recognition->sender.value_or(QString()), Qt::ElideRight,
                                                      at.recognition.width()));
    }
    if (at.message.isValid()) {
        painter->setFont(f.callout);
        painter->drawText(QPoint(at.message.left(), baseline(at.message, f.calloutMetrics)),
                          f.calloutMetrics.elidedText(row.message, Qt::ElideRight, at.message.width()));
    }

    painter->setFont(f.callout);
    painter->drawText(QPoint(at.time.right() + 1 - m.timeAdvance, baseline(at.time, f.calloutMetrics)), m.time);

    if (const std::optional<JournalRow::Action> action = row.action()) {
        QStyleOptionButton button;
        button.rect = at.action;
        button.text = JournalRow::actionTitle(*action);
        button.state = QStyle::State_Enabled | (m_pressed == row.id ? QStyle::State_Sunken : QStyle::State_Raised);
        button.palette = palette;
        button.fontMetrics = f.calloutMetrics;
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
