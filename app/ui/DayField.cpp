#include "DayField.h"

#include "ControlEdge.h"
#include "FocusRing.h"

#include <QCalendarWidget>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTextCharFormat>

#include <cmath>

namespace {

// What a day number or weekday name needs to read on its ground.
constexpr double readable = 4.5;
constexpr int steps = 40;
constexpr char popupEdgeName[] = "dayFieldPopupEdge";

// The calendar's popup has no frame of its own: the calendar fills it to
// its edges. An edge one pixel wide goes round it, in the colour of a
// control's edge, which stands apart from every ground.
class PopupEdge : public QObject
{
public:
    explicit PopupEdge(QWidget *popup)
        : QObject(popup)
    {
        setObjectName(QLatin1String(popupEdgeName));
        if (QLayout *layout = popup->layout())
            layout->setContentsMargins(1, 1, 1, 1);
        popup->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == parent()) {
            auto *popup = static_cast<QWidget *>(watched);
            QPainter painter(popup);
            painter.setPen(ControlEdge::colour(popup->palette()));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(popup->rect().adjusted(0, 0, -1, -1));
        }
        return QObject::eventFilter(watched, event);
    }
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
    auto *days = calendar ? calendar->findChild<QTableView *>() : nullptr;
    if (!days)
        return;
    // The calendar's own palette: the days' is set here.
    const QPalette palette = calendar->palette();
    const QColor text = palette.color(QPalette::Text).toRgb();
    const QColor dayGround = palette.color(QPalette::Base);
    const QColor nameGround = palette.color(QPalette::AlternateBase);
    const QColor outsideGround = palette.color(QPalette::Window); // days outside the range
    // The weekend stays red, as far as it reads: its numbers stand on the
    // days' ground, its names on the names'.
    QTextCharFormat weekend = calendar->weekdayTextFormat(Qt::Saturday);
    weekend.setForeground(FocusRing::firstApartFrom(QColor(Qt::red), text, readable, steps,
                                                    {dayGround, nameGround, outsideGround}));
    for (const Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday})
        calendar->setWeekdayTextFormat(day, weekend);
    // The days of the months before and after, which the calendar draws in
    // the disabled text colour: dimmer than the month's own, and readable.
    QPalette own = days->palette();
    own.setColor(QPalette::Disabled, QPalette::Text,
                 FocusRing::firstApartFrom(palette.color(QPalette::Disabled, QPalette::Text).toRgb(), text, readable,
                                           steps, {dayGround, outsideGround}));
    days->setPalette(own);

    QWidget *popup = calendar->window();
    if (popup != window() && !popup->findChild<QObject *>(QLatin1String(popupEdgeName), Qt::FindDirectChildrenOnly))
        new PopupEdge(popup);
}
