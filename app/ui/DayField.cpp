#include "DayField.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace {

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

} // namespace

DayField::DayField(QWidget *parent)
    : QDateEdit(parent)
{
}

std::optional<QList<DayField::Section>> DayField::sections() const
{
    const QString format = displayFormat();
    QList<Section> found;
    qsizetype i = 0;
    // Text before the first section is not typed.
    while (i < format.size() && !format.at(i).isLetter()) {
        if (format.at(i) == QLatin1Char('\''))
            return std::nullopt;
        ++i;
    }
    while (i < format.size()) {
        const QChar letter = format.at(i);
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == letter)
            ++run;
        Section section{};
        if (letter == QLatin1Char('d') && run <= 2)
            section = {Part::day, 2, int(run), {}};
        else if (letter == QLatin1Char('M') && run <= 2)
            section = {Part::month, 2, int(run), {}};
        else if (letter == QLatin1Char('y') && run == 4)
            section = {Part::year, 4, 4, {}};
        else
            return std::nullopt; // names of months or weekdays, two-digit years
        i += run;
        while (i < format.size() && !format.at(i).isLetter()) {
            if (format.at(i) == QLatin1Char('\''))
                return std::nullopt;
            section.separator.append(format.at(i++));
        }
        found.append(section);
    }
    if (found.size() != 3)
        return std::nullopt;
    return found;
}

bool DayField::isSeparator(const QString &text) const
{
    if (text.size() != 1 || text.at(0).isLetterOrNumber())
        return false;
    const std::optional<QList<Section>> all = sections();
    return all && std::any_of(all->cbegin(), all->cend(),
                              [&text](const Section &section) { return section.separator.contains(text.at(0)); });
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
    const QString text = event->text();
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (plain && text.size() == 1 && sections()) {
        if (isAsciiDigit(text.at(0))) {
            if (!m_typing) {
                m_typing = Typing{};
                m_typing->digits.resize(sections()->size());
                m_typing->current = std::max(0, currentSectionIndex());
            }
            type(text.at(0));
            return event->accept();
        }
        if (m_typing && isSeparator(text)) {
            separate();
            return event->accept();
        }
    }
    if (m_typing && event->key() == Qt::Key_Backspace && plain) {
        erase();
        return event->accept();
    }
    if (endsTyping(*event))
        endTyping();
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
    QDateEdit::mousePressEvent(event);
}

bool DayField::focusNextPrevChild(bool next)
{
    // Not the next section: the next control.
    return QWidget::focusNextPrevChild(next);
}

void DayField::type(const QChar &digit)
{
    Typing &typing = *m_typing;
    const QList<Section> all = *sections();
    // A full section passes the next digit on to the following one.
    const std::optional<QString> &current = typing.digits.at(typing.current);
    if (current && current->size() >= all.at(typing.current).width) {
        if (typing.current + 1 >= all.size())
            return;
        ++typing.current;
    }
    std::optional<QString> &slot = typing.digits[typing.current];
    slot = slot.value_or(QString()) + digit;
    takeOrShow();
}

void DayField::separate()
{
    // A separator ends a section that has digits; after a section that
    // filled up by itself it is the one the user meant, and moves no further.
    Typing &typing = *m_typing;
    const std::optional<QString> &current = typing.digits.at(typing.current);
    if (current && typing.current + 1 < typing.digits.size())
        ++typing.current;
    takeOrShow();
}

void DayField::erase()
{
    Typing &typing = *m_typing;
    if (!typing.digits.at(typing.current) && typing.current > 0)
        --typing.current;
    std::optional<QString> &slot = typing.digits[typing.current];
    if (slot) {
        slot->chop(1);
        if (slot->isEmpty())
            slot.reset();
    }
    takeOrShow();
}

std::optional<QDate> DayField::typedDay() const
{
    const QList<Section> all = *sections();
    const QDate held = date();
    int day = held.day();
    int month = held.month();
    int year = held.year();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const std::optional<QString> &digits = m_typing->digits.at(i);
        if (!digits)
            continue;
        const int value = digits->toInt();
        switch (all.at(i).part) {
        case Part::day:
            day = value;
            break;
        case Part::month:
            month = value;
            break;
        case Part::year:
            if (digits->size() != all.at(i).width)
                return std::nullopt;
            year = value;
            break;
        }
    }
    const QDate typed(year, month, day);
    if (!typed.isValid() || typed < minimumDate() || typed > maximumDate())
        return std::nullopt;
    return typed;
}

void DayField::takeOrShow()
{
    const QList<Section> all = *sections();
    const Typing &typing = *m_typing;
    const std::optional<QString> &last = typing.digits.constLast();
    if (typing.current == all.size() - 1 && last && last->size() == all.constLast().width) {
        if (const std::optional<QDate> day = typedDay()) {
            m_typing.reset();
            setDate(*day);
            return;
        }
    }
    // The typed sections as typed, the others as the held date has them.
    const QDate held = date();
    QString shown;
    qsizetype cursor = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Section &section = all.at(i);
        const std::optional<QString> &digits = typing.digits.at(i);
        if (digits) {
            shown += *digits;
        } else {
            const int value = section.part == Part::day ? held.day()
                : section.part == Part::month           ? held.month()
                                                        : held.year();
            shown += QStringLiteral("%1").arg(value, section.shown, 10, QLatin1Char('0'));
        }
        if (i == typing.current)
            cursor = shown.size();
        shown += section.separator;
    }
    // Shown without the date edit reading it back: it would take the text
    // section by section against the held date.
    const QSignalBlocker blocker(lineEdit());
    lineEdit()->setText(shown);
    lineEdit()->setCursorPosition(int(cursor));
}

void DayField::endTyping()
{
    if (!m_typing)
        return;
    const std::optional<QDate> day = typedDay();
    m_typing.reset();
    // Also when the date stays: the field shows it again instead of the typing.
    setDate(day.value_or(date()));
}
