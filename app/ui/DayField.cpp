#include "DayField.h"

#include "ControlEdge.h"
#include "FocusRing.h"

#include <QCalendarWidget>
#include <QFontMetricsF>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTextCharFormat>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// What a day number or weekday name needs to read on its ground.
constexpr double readable = 4.5;
constexpr int steps = 40;
constexpr char popupEdgeName[] = "dayFieldPopupEdge";

// The colour a cell's ground is drawn in: the one most of its pixels show;
// none where the picture holds none of it.
QColor groundOf(const QImage &picture, const QRect &cell)
{
    QHash<QRgb, int> counts;
    const QRect inside = cell.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[picture.pixel(x, y)];
    }
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return most == counts.cend() ? QColor() : QColor::fromRgb(most.key());
}

void addOnce(QList<QColor> &grounds, const QColor &ground)
{
    if (ground.isValid() && !grounds.contains(ground))
        grounds.append(ground);
}

// A colour as a picture holds it, eight bits a channel: what is drawn, and
// so what must read.
QColor asDrawn(const QColor &colour)
{
    return QColor::fromRgb(colour.rgb());
}

double weakestOn(const QColor &colour, const QList<QColor> &grounds)
{
    double weakest = 21;
    for (const QColor &ground : grounds)
        weakest = std::min(weakest, FocusRing::contrast(colour, ground));
    return weakest;
}

// The first colour on the way from `from` that reads on every ground as
// drawn: towards the text colour where that reads on them, else towards
// black or white, whichever the grounds need (a names row darker than the
// text, say).
QColor readableOn(const QColor &from, const QColor &text, const QList<QColor> &grounds)
{
    QColor to = text;
    if (weakestOn(asDrawn(text), grounds) < readable)
        to = weakestOn(Qt::black, grounds) >= weakestOn(Qt::white, grounds) ? QColor(Qt::black) : QColor(Qt::white);
    return asDrawn(FocusRing::firstOnTheWay(from, to, steps, [&grounds](const QColor &colour) {
        return weakestOn(asDrawn(colour), grounds) >= readable;
    }));
}

// The colours of the calendar's weekend: its names on the names' row, its
// days on theirs. One colour where one reads on both.
struct Weekend
{
    QColor names;
    QColor days;
};

// Colours the weekday names, the weekend and the days of the months around
// so that they read on the grounds the style draws the calendar's cells with,
// which may be neither its palette's nor its table's (a style with colours of
// its own draws the names' row in a shade of its own, and a desktop may give
// lists a palette apart from the window's, or a names row darker than the
// text): they are taken from a picture of the table as it is drawn. Gives the
// weekend's colours, or none where the calendar has no table.
std::optional<Weekend> colourOnGrounds(QCalendarWidget &calendar)
{
    auto *days = calendar.findChild<QTableView *>();
    if (!days || !days->model())
        return std::nullopt;
    // The palette the days are drawn with, without the colour set here.
    days->setPalette(QPalette());
    const QPalette palette = days->palette();
    const QColor text = palette.color(QPalette::Text).toRgb();
    const QImage picture = days->viewport()->grab().toImage();
    const qreal ratio = picture.devicePixelRatio();
    const QAbstractItemModel &model = *days->model();
    const bool namesRow = calendar.horizontalHeaderFormat() != QCalendarWidget::NoHorizontalHeader;
    const bool weeksColumn = calendar.verticalHeaderFormat() != QCalendarWidget::NoVerticalHeader;
    QList<QColor> nameGrounds;
    QList<QColor> dayGrounds;
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = weeksColumn ? 1 : 0; column < model.columnCount(); ++column) {
            const QModelIndex cell = model.index(row, column);
            // The chosen day is drawn in the highlight's colours.
            if (days->selectionModel() && days->selectionModel()->isSelected(cell))
                continue;
            const QRect place = days->visualRect(cell);
            if (place.isEmpty())
                continue;
            const QRect drawn(QPoint(qCeil(place.left() * ratio), qCeil(place.top() * ratio)),
                              QPoint(qFloor((place.right() + 1) * ratio) - 1, qFloor((place.bottom() + 1) * ratio) - 1));
            addOnce(namesRow && row == 0 ? nameGrounds : dayGrounds, groundOf(picture, drawn));
        }
    }
    // Where nothing could be drawn yet, the palette's grounds.
    if (nameGrounds.isEmpty())
        nameGrounds = {palette.color(QPalette::AlternateBase)};
    if (dayGrounds.isEmpty())
        dayGrounds = {palette.color(QPalette::Base), palette.color(QPalette::Window)};

    // The names are drawn in the text colour, as far as it reads there.
    QTextCharFormat names = calendar.headerTextFormat();
    names.setForeground(readableOn(text, text, nameGrounds));
    calendar.setHeaderTextFormat(names);
    // The weekend stays red, as far as it reads: its names stand on the
    // names' grounds, its numbers on the days'. Where no one colour reads
    // on both, the names wear theirs and the numbers theirs.
    const QColor red(Qt::red);
    Weekend weekend{readableOn(red, text, nameGrounds + dayGrounds), {}};
    if (weakestOn(weekend.names, nameGrounds + dayGrounds) >= readable)
        weekend.days = weekend.names;
    else
        weekend = {readableOn(red, text, nameGrounds), readableOn(red, text, dayGrounds)};
    QTextCharFormat weekendNames = calendar.weekdayTextFormat(Qt::Saturday);
    weekendNames.setForeground(weekend.names);
    for (const Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday})
        calendar.setWeekdayTextFormat(day, weekendNames);
    // The days of the months before and after, which the calendar draws in
    // the disabled text colour: dimmer than the month's own, and readable.
    QPalette own;
    own.setColor(QPalette::Disabled, QPalette::Text,
                 readableOn(palette.color(QPalette::Disabled, QPalette::Text).toRgb(), text, dayGrounds));
    days->setPalette(own);
    return weekend;
}

// The calendar colours a weekday's names and numbers alike; the weekend's
// numbers of the month shown wear their own colour, day by day.
void colourWeekendDays(QCalendarWidget &calendar, const QColor &colour)
{
    calendar.setDateTextFormat(QDate(), QTextCharFormat());
    const QDate first(calendar.yearShown(), calendar.monthShown(), 1, calendar.calendar());
    if (!first.isValid())
        return;
    QTextCharFormat weekend;
    weekend.setForeground(colour);
    for (QDate day = first; day.isValid() && day.month(calendar.calendar()) == first.month(calendar.calendar());
         day = day.addDays(1)) {
        if (day.dayOfWeek(calendar.calendar()) >= Qt::Saturday)
            calendar.setDateTextFormat(day, weekend);
    }
}

// The calendar's popup has no frame of its own: the calendar fills it to
// its edges. An edge one pixel wide goes round it, in the colour of a
// control's edge, which stands apart from every ground. Each time it
// shows, laid out as it will be drawn, the calendar's days are coloured
// for the grounds drawn.
class CalendarPopup : public QObject
{
public:
    explicit CalendarPopup(QWidget *popup)
        : QObject(popup)
    {
        setObjectName(QLatin1String(popupEdgeName));
        if (QLayout *layout = popup->layout())
            layout->setContentsMargins(1, 1, 1, 1);
        popup->installEventFilter(this);
        // Another month shown: its weekend is coloured as the last one was.
        if (auto *calendar = popup->findChild<QCalendarWidget *>()) {
            connect(calendar, &QCalendarWidget::currentPageChanged, this, [this, calendar] {
                if (m_weekendDays)
                    colourWeekendDays(*calendar, *m_weekendDays);
            });
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != parent())
            return QObject::eventFilter(watched, event);
        auto *popup = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show) {
            if (auto *calendar = popup->findChild<QCalendarWidget *>()) {
                if (const std::optional<Weekend> weekend = colourOnGrounds(*calendar)) {
                    m_weekendDays = weekend->days;
                    colourWeekendDays(*calendar, weekend->days);
                }
            }
        } else if (event->type() == QEvent::Paint) {
            QPainter painter(popup);
            painter.setPen(ControlEdge::colour(popup->palette()));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(popup->rect().adjusted(0, 0, -1, -1));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::optional<QColor> m_weekendDays;
};

bool isAsciiDigit(const QChar &c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The keys after which typed text is no longer being typed: they commit,
// cancel or move. Keys that only hold a modifier keep the typing going.
bool endsTyping(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
        return true;
    default:
        return !event.text().isEmpty();
    }
}

// The keys that open a combo box's list.
bool opensList(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Down && modifiers == Qt::AltModifier)
        || (event.key() == Qt::Key_F4 && modifiers == Qt::NoModifier);
}

} // namespace

DayField::DayField(QWidget *parent)
    : QDateEdit(parent)
{
}

QValidator::State DayField::validate(QString &input, int &position) const
{
    // The typing is shown as typed: the date edit's check would shorten a
    // day the month does not have.
    if (m_typing)
        return QValidator::Intermediate;
    return QDateEdit::validate(input, position);
}

void DayField::keyPressEvent(QKeyEvent *event)
{
    if (calendarPopup() && opensList(*event)) {
        endTyping();
        openCalendar();
        return event->accept();
    }
    const QString text = event->text();
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    const QChar key = text.size() == 1 ? text.at(0) : QChar();
    if (plain && (isAsciiDigit(key) || (m_typing && TypedDay::isSeparator(key)))) {
        // A digit begins a typing in the part the cursor is in, unless the
        // display format is one a typing cannot be read against.
        if (!m_typing) {
            if (const std::optional<TypedDay::Order> order = TypedDay::order(displayFormat()))
                m_typing.emplace(*order, currentSectionIndex());
        }
        if (m_typing) {
            if (m_typing->type(key))
                showTyping();
            return event->accept();
        }
    }
    if (m_typing && event->key() == Qt::Key_Backspace && plain) {
        m_typing->erase();
        if (m_typing->isEmpty())
            endTyping();
        else
            showTyping();
        return event->accept();
    }
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (endsTyping(*event) && !endTyping() && isReturn) {
        // The held date is shown again in place of the typing; the next
        // Return takes it.
        return event->accept();
    }
    if (isReturn) {
        // The date edit announces its date again on Return, changed or not:
        // a form that shows a day it does not hold would take it as chosen.
        // A typed day has been announced by now; here Return announces only
        // a date it changed (text edited by the date edit's own keys).
        const QDateTime before = dateTime();
        {
            const QSignalBlocker quiet(this);
            QDateEdit::keyPressEvent(event);
        }
        if (dateTime() != before) {
            Q_EMIT dateTimeChanged(dateTime());
            Q_EMIT dateChanged(date());
        }
        Q_EMIT editingFinished();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void DayField::focusOutEvent(QFocusEvent *event)
{
    endTyping();
    QDateEdit::focusOutEvent(event);
}

void DayField::mousePressEvent(QMouseEvent *event)
{
    endTyping();
    fitCalendar();
    colourCalendar();
    QDateEdit::mousePressEvent(event);
}

bool DayField::focusNextPrevChild(bool next)
{
    // Not the next section: the next control.
    return QWidget::focusNextPrevChild(next);
}

void DayField::showTyping()
{
    const TypedDay::Text shown = m_typing->text(date());
    // Shown without the date edit reading it back: it would take the text
    // section by section against the held date.
    const QSignalBlocker blocker(lineEdit());
    lineEdit()->setText(shown.text);
    lineEdit()->setCursorPosition(shown.cursor);
    Q_EMIT typingShown();
}

bool DayField::endTyping()
{
    if (!m_typing)
        return true;
    if (m_typing->isEmpty()) {
        // Every key taken back: nothing was typed.
        m_typing.reset();
        setDate(date());
        return true;
    }
    const QString typed = lineEdit()->text();
    const std::variant<QDate, TypedDay::Fault> day = m_typing->day(date());
    const std::optional<Refusal> why = refusal(day);
    m_typing.reset();
    if (why) {
        // The field shows its date again instead of the typing.
        setDate(date());
        Q_EMIT refused(typed, *why);
        return false;
    }
    setDate(std::get<QDate>(day));
    Q_EMIT dayTaken(date());
    return true;
}

std::optional<DayField::Refusal> DayField::refusal(const std::variant<QDate, TypedDay::Fault> &typed) const
{
    if (const auto *fault = std::get_if<TypedDay::Fault>(&typed))
        return *fault == TypedDay::Fault::yearNotWhole ? Refusal::yearNotWhole : Refusal::noSuchDay;
    const QDate &day = std::get<QDate>(typed);
    if (day < minimumDate())
        return Refusal::beforeFirstDay;
    if (day > maximumDate())
        return Refusal::afterLastDay;
    return std::nullopt;
}

void DayField::openCalendar()
{
    // The date edit opens its calendar only for a press on its arrow, placed
    // below the field and inside the screen: the keys press it there.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPoint arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this).center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    fitCalendar();
    colourCalendar();
    QDateEdit::mousePressEvent(&press);
}

void DayField::fitCalendar()
{
    if (!calendarPopup())
        return;
    QCalendarWidget *calendar = calendarWidget();
    auto *days = calendar ? calendar->findChild<QTableView *>() : nullptr;
    if (!days || !days->model())
        return;
    // The calendar leaves its columns too narrow for some weekday names
    // with the margins a cell keeps on either side (German "Mo." at 11
    // points), and the cell then cuts the name short. Its columns are made
    // as wide as the widest name as drawn, margins and all.
    const QAbstractItemModel &model = *days->model();
    const int margin = days->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, days) + 1;
    int widest = 0;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QModelIndex header = model.index(0, column);
        const QFont font = qvariant_cast<QFont>(header.data(Qt::FontRole)).resolve(days->font());
        const qreal text = QFontMetricsF(font).horizontalAdvance(header.data(Qt::DisplayRole).toString());
        widest = std::max(widest, int(std::ceil(text)));
    }
    // A pixel to spare: the stretched columns share out the width unevenly.
    const int column = widest + 2 * margin + 1;
    if (days->horizontalHeader()->minimumSectionSize() == column)
        return;
    days->horizontalHeader()->setMinimumSectionSize(column);
    calendar->updateGeometry();
}

void DayField::colourCalendar()
{
    if (!calendarPopup())
        return;
    QCalendarWidget *calendar = calendarWidget();
    if (!calendar)
        return;
    QWidget *popup = calendar->window();
    if (popup != window() && !popup->findChild<QObject *>(QLatin1String(popupEdgeName), Qt::FindDirectChildrenOnly))
        new CalendarPopup(popup);
}
