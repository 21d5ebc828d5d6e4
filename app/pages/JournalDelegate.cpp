#include "JournalDelegate.h"

#include "Chip.h"
#include "DateText.h"
#include "FileIconCache.h"
#include "FocusRing.h"
#include "JournalModel.h"
#include "Prefs.h"
#include "ProminentButton.h"
#include "RecognitionLine.h"
#include "Roles.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QApplication>
#include <QHash>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QLayout>
#include <QTextLayout>

#include <cmath>
#include <functional>
#include <QToolTip>

namespace {

constexpr int margin = 16;    // left and right of a row
constexpr int padding = 8;    // above and below an entry
constexpr int spacing = 12;   // between icon, text, and the trailing column
constexpr int lineGap = 4;    // between the lines of the text column
constexpr int iconSize = 32;
constexpr int selectionBar = 3; // the accent's mark on a selected row

// The time of day without seconds, in the user's short format.
QString timeText(const QDateTime &date)
{
    return DateText::time(date.toLocalTime().time());
}

// One line of a message: where it starts in the text, how long it is, and
// its baseline below the message's top.
struct MessageLine
{
    int start;
    int length;
    int baseline;
};

// A message broken over as many lines as it needs at a width: at word
// boundaries, inside a word (a long path) where one is wider than the line.
// Returns the height the lines take.
int breakMessage(const QString &message, const QFont &font, int width, QList<MessageLine> &lines)
{
    QTextLayout text(message, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text.setTextOption(option);
    text.beginLayout();
    lines.clear();
    qreal y = 0;
    for (QTextLine line = text.createLine(); line.isValid(); line = text.createLine()) {
        line.setLineWidth(width);
        lines.append(MessageLine{line.textStart(), line.textLength(), qRound(y + line.ascent())});
        y += line.height();
    }
    text.endLayout();
    return int(std::ceil(y));
}

// A shared widget drawn at a size into a pixmap, to be painted into a row.
QPixmap snapshot(QWidget *widget, const QSize &size, qreal ratio)
{
    if (widget->size() != size) {
        widget->resize(size);
        if (widget->layout())
            widget->layout()->activate();
    }
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    widget->render(&pixmap, {}, {}, QWidget::DrawChildren);
    return pixmap;
}

// Chips and buttons look alike from row to row: each look is drawn once.
QPixmap cachedSnapshot(const QString &key, QWidget *widget, const QSize &size, qreal ratio)
{
    static QHash<QString, QPixmap> cache;
    const QString id = key + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x')
        + QString::number(size.height()) + QLatin1Char('x') + QString::number(ratio);
    auto found = cache.constFind(id);
    if (found == cache.constEnd()) {
        if (cache.size() > 200)
            cache.clear();
        found = cache.insert(id, snapshot(widget, size, ratio));
    }
    return *found;
}

} // namespace

struct JournalDelegate::Fonts
{
    explicit Fonts(const QFont &base)
        : base(base)
        , body(base)
        , title(base)
        , callout(base)
    {
        title.setWeight(QFont::Medium);
        callout.setPointSizeF(base.pointSizeF() + Roles::font(Roles::Font::callout).pointSizeF()
                              - Roles::font(Roles::Font::body).pointSizeF());
    }
    QFont base;
    QFont body;
    QFont title;
    QFont callout;
    QFontMetrics bodyMetrics{body};
    QFontMetrics titleMetrics{title};
    QFontMetrics calloutMetrics{callout};
};

struct JournalDelegate::Measures
{
    // The texts measured; a row made anew holds texts of its own, so a
    // changed entry is measured again.
    QString title;
    QString detail;
    QString message;
    bool busy = false;
    QString time;
    QString summary;
    int titleAdvance = 0;
    int detailAdvance = 0;
    int timeAdvance = 0;
    QSize chip;
    QSize action;
    // The message's lines at the width last broken at: a row is asked for
    // its layout at one width many times over (its height, each paint).
    mutable int messageWidth = -1;
    mutable int messageHeight = 0;
    mutable QList<MessageLine> messageLines;
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
    , m_icons(std::make_unique<FileIconCache>())
    , m_chip(std::make_unique<Chip>(QString()))
    , m_recognition(std::make_unique<RecognitionLine>(Recognition()))
    , m_check(std::make_unique<ProminentButton>(JournalRow::actionTitle(JournalRow::Action::check)))
    , m_undo(std::make_unique<QPushButton>(JournalRow::actionTitle(JournalRow::Action::undo)))
{
    for (QWidget *control : {static_cast<QWidget *>(m_check.get()), static_cast<QWidget *>(m_undo.get())}) {
        control->setFont(Roles::font(Roles::Font::callout));
        control->resize(control->sizeHint());
    }
}

JournalDelegate::~JournalDelegate() = default;

const JournalDelegate::Fonts &JournalDelegate::fonts(const QFont &font) const
{
    if (!m_fonts || m_fonts->base != font) {
        m_fonts = std::make_unique<Fonts>(font);
        m_measures.clear();
        m_chipSizes.clear();
    }
    return *m_fonts;
}

const JournalDelegate::Measures &JournalDelegate::measure(const JournalRow &row, const Fonts &fonts) const
{
    auto found = m_measures.find(row.id);
    if (found != m_measures.end() && found->detail.constData() == row.detail.constData()
        && found->title.constData() == row.title.constData() && found->message.constData() == row.message.constData()
        && found->busy == row.busy)
        return *found;
    // Widths of rows scrolled past are dropped now and then, a few at a time.
    if (m_measures.size() > 1000)
        m_measures.clear();
    Measures measures;
    measures.title = row.title;
    measures.detail = row.detail;
    measures.message = row.message;
    measures.busy = row.busy;
    measures.time = timeText(row.date);
    if (row.recognition)
        measures.summary = RecognitionLine::summary(*row.recognition, Prefs::sentenceLanguage());
    measures.titleAdvance = fonts.titleMetrics.horizontalAdvance(row.title);
    measures.detailAdvance = fonts.bodyMetrics.horizontalAdvance(row.detail);
    measures.timeAdvance = fonts.calloutMetrics.horizontalAdvance(measures.time);
    if (const std::optional<JournalRow::Chip> chip = row.chip()) {
        // Chips of one text are of one size: each is measured once per font.
        const QString key = chip->text + QLatin1Char('|') + chip->symbol;
        auto size = m_chipSizes.constFind(key);
        if (size == m_chipSizes.constEnd()) {
            m_chip->setText(chip->text);
            m_chip->setSymbol(chip->symbol);
            size = m_chipSizes.insert(key, m_chip->sizeHint());
        }
        measures.chip = *size;
    }
    if (const std::optional<JournalRow::Action> action = row.action())
        measures.action = (*action == JournalRow::Action::check ? m_check->size() : m_undo->size());
    return *m_measures.insert(row.id, measures);
}

JournalDelegate::Layout JournalDelegate::layout(const JournalRow &row, const QRect &rect, const QFont &font) const
{
    const Fonts &f = fonts(font);
    const Measures &m = measure(row, f);
    const QFontMetrics &body = f.bodyMetrics, &title = f.titleMetrics, &callout = f.calloutMetrics;
    Layout at;

    // The trailing column: the time, and under it the action button.
    int trailing = m.timeAdvance;
    QSize button;
    if (row.action()) {
        button = m.action;
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
    const bool hasChip = m.chip.isValid();
    const int chipHeight = m.chip.height();
    const int titleHeight = std::max(title.height(), hasChip ? chipHeight : 0);
    const int chipWidth = hasChip ? m.chip.width() : 0;
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
        at.recognition = QRect(left, y + lineGap, width, m_recognition->sizeHint().height());
        y += lineGap + at.recognition.height();
    }
    if (!row.message.isEmpty()) {
        // The whole message, on as many lines as it takes.
        if (m.messageWidth != width) {
            m.messageWidth = width;
            m.messageHeight = std::max(callout.height(), breakMessage(row.message, f.callout, width, m.messageLines));
        }
        at.message = QRect(left, y + lineGap, width, m.messageHeight);
        y += lineGap + m.messageHeight;
    }
    const int bottom = std::max({y, at.icon.bottom() + 1, at.action.isValid() ? at.action.bottom() + 1 : 0,
                                 at.time.bottom() + 1});
    at.height = bottom - rect.top() + padding;
    return at;
}

int JournalDelegate::usualRowHeight(const QFont &font) const
{
    JournalRow usual;
    usual.title = QStringLiteral("x");
    usual.detail = QStringLiteral("x");
    usual.date = QDateTime::currentDateTimeUtc();
    usual.hasPerformed = true;
    return layout(usual, QRect(0, 0, 1000, 0), font).height;
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

QRect JournalDelegate::iconRect(const JournalRow &row, const QRect &rect, const QFont &font) const
{
    return layout(row, rect, font).icon;
}

QRect JournalDelegate::chipRect(const JournalRow &row, const QRect &rect, const QFont &font) const
{
    return layout(row, rect, font).chip;
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
    if (option.state & QStyle::State_HasFocus) {
        // Where the keyboard is in the list: a ring round the row.
        painter->save();
        painter->setPen(FocusRing::pen(option.palette));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

void JournalDelegate::paintDay(QPainter *painter, const QStyleOptionViewItem &option, const QString &title) const
{
    painter->save();
    QFont font = option.font;
    font.setWeight(QFont::DemiBold);
    painter->setFont(font);
    painter->setPen(Roles::secondary(option.palette));
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
        // The table has filled the row with the full selection colour, on
        // which the accent-coloured chip and button would vanish: the row
        // gets its background back, with a light wash of the accent and a
        // bar of it at the leading edge.
        painter->fillRect(option.rect, palette.color(QPalette::Base));
        QColor wash = palette.color(QPalette::Highlight);
        wash.setAlphaF(0.14f);
        painter->fillRect(option.rect, wash);
        painter->fillRect(QRect(option.rect.left(), option.rect.top(), selectionBar, option.rect.height()),
                          palette.color(QPalette::Highlight));
    }
    painter->drawPixmap(at.icon, m_icons->pixmap(row.iconPath, at.icon.size(), ratio));

    painter->setPen(palette.color(QPalette::Text));
    painter->setFont(f.title);
    const QString title = m.titleAdvance + 2 > at.title.width()
        ? f.titleMetrics.elidedText(row.title, Qt::ElideMiddle, at.title.width())
        : row.title;
    painter->drawText(QPoint(at.title.left(), baseline(at.title, f.titleMetrics)), title);

    if (const std::optional<JournalRow::Chip> chip = row.chip()) {
        m_chip->setText(chip->text);
        m_chip->setSymbol(chip->symbol);
        if (chip->accent)
            m_chip->setAccentTint();
        else
            m_chip->setTint(std::nullopt);
        const QString key = chip->text + QLatin1Char('|') + chip->symbol + QLatin1Char('|') + m_chip->tint().name(QColor::HexArgb);
        painter->drawPixmap(at.chip.topLeft(), cachedSnapshot(key, m_chip.get(), at.chip.size(), ratio));
    }

    painter->setPen(Roles::secondary(palette));
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
        // The reading line's own chip, then its summary: drawn from the
        // shared line's parts, since a whole line per row and paint would
        // cost more than a frame has.
        Chip *chip = m_recognition->findChild<Chip *>();
        chip->setSymbol(RecognitionLine::symbol(row.recognition->source));
        const QSize chipSize = chip->sizeHint();
        const QRect chipRect(at.recognition.left(), at.recognition.center().y() - chipSize.height() / 2 + 1,
                             chipSize.width(), chipSize.height());
        const QString key = chip->text() + QLatin1Char('|') + chip->symbol() + QLatin1Char('|')
            + chip->tint().name(QColor::HexArgb);
        painter->drawPixmap(chipRect.topLeft(), cachedSnapshot(key, chip, chipSize, ratio));
        const QRect text = at.recognition.adjusted(chipSize.width() + 8, 0, 0, 0);
        painter->setFont(f.body);
        painter->drawText(QPoint(text.left(), baseline(text, f.bodyMetrics)),
                          f.bodyMetrics.elidedText(m.summary, Qt::ElideRight, text.width()));
    }
    if (at.message.isValid()) {
        painter->setFont(f.callout);
        for (const MessageLine &line : std::as_const(m.messageLines))
            painter->drawText(QPoint(at.message.left(), at.message.top() + line.baseline),
                              row.message.mid(line.start, line.length));
    }

    painter->setFont(f.callout);
    painter->drawText(QPoint(at.time.right() + 1 - m.timeAdvance, baseline(at.time, f.calloutMetrics)), m.time);

    if (const std::optional<JournalRow::Action> action = row.action()) {
        QPushButton *button = *action == JournalRow::Action::check ? m_check.get() : m_undo.get();
        const bool down = m_pressed == row.id;
        button->setDown(down);
        // A busy row's button waits until the decision under way has ended.
        button->setEnabled(!row.busy);
        const QString key = button->text() + QLatin1Char('|') + QString::number(down) + QString::number(row.busy)
            + QLatin1Char('|')
            + palette.color(QPalette::Button).name() + QLatin1Char('|') + palette.color(QPalette::Highlight).name();
        painter->drawPixmap(at.action.topLeft(), cachedSnapshot(key, button, at.action.size(), ratio));
    }
    painter->restore();
}

bool JournalDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    const auto *journal = qobject_cast<const JournalModel *>(model);
    const JournalRow *row = journal ? journal->entry(index.row()) : nullptr;
    if (!row || !row->action() || row->busy)
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
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view);
    return true;
}
