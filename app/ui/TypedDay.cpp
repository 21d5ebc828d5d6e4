#include "TypedDay.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace {

const QChar separator(QLatin1Char('.'));

// The digits a part holds at most.
int width(TypedDay::Part part)
{
    return part == TypedDay::Part::year ? 4 : 2;
}

// The widest part: no number typed between separators is longer.
constexpr int widestNumber = 4;
// Day, month and year without separators.
constexpr int wholeRun = 8;
// A year typed with two digits is one of this century: 26 is 2026.
constexpr int shortYear = 2;
constexpr int century = 2000;

} // namespace

std::optional<TypedDay::Order> TypedDay::order(const QString &format)
{
    Order found;
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
            section = {Part::day, int(run), {}};
        else if (letter == QLatin1Char('M') && run <= 2)
            section = {Part::month, int(run), {}};
        else if (letter == QLatin1Char('y') && run == 4)
            section = {Part::year, 4, {}};
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
    const auto has = [&found](Part part) {
        return std::any_of(found.cbegin(), found.cend(), [part](const Section &section) { return section.part == part; });
    };
    if (found.size() != 3 || !has(Part::day) || !has(Part::month) || !has(Part::year))
        return std::nullopt;
    return found;
}

bool TypedDay::isSeparator(QChar key)
{
    return key == QLatin1Char('.') || key == QLatin1Char('/') || key == QLatin1Char('-') || key == QLatin1Char(' ');
}

TypedDay::TypedDay(Order order, int start)
    : m_order(std::move(order))
    , m_start(std::clamp(start, 0, int(m_order.size()) - 1))
{
}

bool TypedDay::type(QChar key)
{
    if (isSeparator(key)) {
        // A separator ends a number; the third number is the last.
        const QString number = lastNumber();
        if (number.isEmpty() || number.size() > widestNumber || m_keys.count(separator) == 2)
            return false;
        m_keys += separator;
        return true;
    }
    if (key < QLatin1Char('0') || key > QLatin1Char('9'))
        return false;
    const bool separated = m_keys.contains(separator);
    if (separated ? lastNumber().size() >= widestNumber : m_keys.size() >= wholeRun)
        return false;
    m_keys += key;
    return true;
}

void TypedDay::erase()
{
    m_keys.chop(1);
}

QString TypedDay::lastNumber() const
{
    return m_keys.mid(m_keys.lastIndexOf(separator) + 1);
}

TypedDay::Reading TypedDay::read() const
{
    const qsizetype count = m_order.size();
    Reading reading{QList<QString>(count), -1};
    const QStringList numbers = m_keys.split(separator, Qt::SkipEmptyParts);
    if (numbers.isEmpty())
        return reading;

    if (!m_keys.contains(separator)) {
        // One run of digits, cut by the parts' widths: from the part typed
        // into while the parts from there hold it, else from the first part.
        qsizetype from = m_start;
        int room = 0;
        for (qsizetype i = from; i < count; ++i)
            room += width(m_order.at(i).part);
        if (m_keys.size() > room)
            from = 0;
        qsizetype at = 0;
        for (qsizetype i = from; i < count && at < m_keys.size(); ++i) {
            reading.digits[i] = m_keys.mid(at, width(m_order.at(i).part));
            at += reading.digits.at(i).size();
            reading.last = i;
        }
        reading.run = reading.last > from;
        return reading;
    }

    // The sections the numbers go into, in the order typed.
    QList<qsizetype> into;
    if (numbers.size() == 3) {
        QList<Part> parts;
        if (numbers.first().size() == 4)
            parts = {Part::year, Part::month, Part::day};
        else
            std::transform(m_order.cbegin(), m_order.cend(), std::back_inserter(parts),
                           [](const Section &section) { return section.part; });
        for (const Part part : parts)
            into.append(std::find_if(m_order.cbegin(), m_order.cend(),
                                     [part](const Section &section) { return section.part == part; })
                        - m_order.cbegin());
    } else {
        const qsizetype from = m_start + numbers.size() > count ? 0 : m_start;
        for (qsizetype k = 0; k < numbers.size(); ++k)
            into.append(from + k);
    }
    for (qsizetype k = 0; k < numbers.size(); ++k)
        reading.digits[into.at(k)] = numbers.at(k);
    reading.last = into.constLast();
    return reading;
}

std::variant<QDate, TypedDay::Fault> TypedDay::day(const QDate &held) const
{
    const Reading reading = read();
    int day = held.day();
    int month = held.month();
    int year = held.year();
    for (qsizetype i = 0; i < m_order.size(); ++i) {
        const QString &digits = reading.digits.at(i);
        if (digits.isEmpty())
            continue;
        const int value = digits.toInt();
        switch (m_order.at(i).part) {
        case Part::day:
            day = value;
            break;
        case Part::month:
            month = value;
            break;
        case Part::year:
            if (digits.size() == width(Part::year))
                year = value;
            else if (digits.size() == shortYear && !reading.run)
                year = century + value;
            else
                return Fault::yearNotWhole;
            break;
        }
    }
    const QDate typed(year, month, day);
    if (!typed.isValid())
        return Fault::noSuchDay;
    return typed;
}

TypedDay::Text TypedDay::text(const QDate &held) const
{
    const Reading reading = read();
    Text shown;
    for (qsizetype i = 0; i < m_order.size(); ++i) {
        const Section &section = m_order.at(i);
        const QString &digits = reading.digits.at(i);
        if (!digits.isEmpty()) {
            shown.text += digits;
        } else {
            const int value = section.part == Part::day ? held.day()
                : section.part == Part::month           ? held.month()
                                                        : held.year();
            shown.text += QStringLiteral("%1").arg(value, section.shown, 10, QLatin1Char('0'));
        }
        if (i == reading.last)
            shown.cursor = int(shown.text.size());
        shown.text += section.separator;
        // After a separator the cursor waits at the next part.
        if (i == reading.last && m_keys.endsWith(separator))
            shown.cursor = int(shown.text.size());
    }
    return shown;
}
