#include "Decimal.h"

#include <QByteArray>
#include <QLocale>

#include <cmath>

namespace {

__int128 pow10(int n)
{
    __int128 result = 1;
    while (n-- > 0)
        result *= 10;
    return result;
}

int digitCount(__int128 value)
{
    if (value < 0)
        value = -value;
    int digits = 0;
    while (value != 0) {
        value /= 10;
        ++digits;
    }
    return digits;
}

QString digitsOf(__int128 value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text;
    while (value != 0) {
        text.prepend(QChar(u'0' + int(value % 10)));
        value /= 10;
    }
    return text;
}

} // namespace

std::optional<Decimal> Decimal::normalized(__int128 coefficient, int scale)
{
    while (scale > 0 && coefficient % 10 == 0) {
        coefficient /= 10;
        --scale;
    }
    if (coefficient == 0)
        return Decimal();
    // A negative scale (a large whole number) is folded into the coefficient.
    while (scale < 0) {
        coefficient *= 10;
        ++scale;
        if (digitCount(coefficient) > maxDigits)
            return std::nullopt;
    }
    if (scale > maxScale || digitCount(coefficient) > maxDigits)
        return std::nullopt;
    return Decimal(static_cast<std::int64_t>(coefficient), scale);
}

std::optional<Decimal> Decimal::fromParts(std::int64_t coefficient, int scale)
{
    if (scale < -maxDigits || scale > maxScale + maxDigits)
        return std::nullopt;
    return normalized(coefficient, scale);
}

Decimal Decimal::fromInt(std::int64_t value)
{
    return fromParts(value, 0).value_or(Decimal());
}

std::optional<Decimal> Decimal::fromString(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    __int128 coefficient = 0;
    int significant = 0;
    int scale = 0;
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'.') {
            if (afterPoint)
                return std::nullopt;
            afterPoint = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        anyDigit = true;
        const int digit = c.unicode() - u'0';
        if (coefficient == 0 && digit == 0) {
            if (afterPoint)
                ++scale; // leading zeros after the point only shift the scale
            continue;
        }
        if (++significant > maxDigits + maxScale)
            return std::nullopt;
        coefficient = coefficient * 10 + digit;
        if (afterPoint)
            ++scale;
    }
    if (!anyDigit)
        return std::nullopt;
    if (i < n) {
        if (text[i] != u'e' && text[i] != u'E')
            return std::nullopt;
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == u'-' || text[i] == u'+')) {
            expNegative = text[i] == u'-';
            ++i;
        }
        int exponent = 0;
        bool expDigits = false;
        for (; i < n; ++i) {
            const QChar c = text[i];
            if (c < u'0' || c > u'9')
                return std::nullopt;
            expDigits = true;
            exponent = exponent * 10 + (c.unicode() - u'0');
            if (exponent > 1000)
                return std::nullopt;
        }
        if (!expDigits)
            return std::nullopt;
        scale += expNegative ? exponent : -exponent;
    }
    if (coefficient == 0)
        return Decimal();
    if (scale < -maxDigits || scale > maxScale + maxDigits)
        return std::nullopt;
    return normalized(negative ? -coefficient : coefficient, scale);
}

std::optional<Decimal> Decimal::fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const QByteArray shortest = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    return fromString(QString::fromLatin1(shortest));
}

Decimal Decimal::negated() const
{
    return Decimal(-m_coefficient, m_scale);
}

QString Decimal::toString() const
{
    const bool negative = m_coefficient < 0;
    QString digits = digitsOf(negative ? -__int128(m_coefficient) : __int128(m_coefficient));
    if (m_scale > 0) {
        if (digits.size() <= m_scale)
            digits.prepend(QString(m_scale - digits.size() + 1, u'0'));
        digits.insert(digits.size() - m_scale, u'.');
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

QString Decimal::toFixed(int decimals) const
{
    decimals = qBound(0, decimals, maxScale);
    __int128 value = m_coefficient;
    if (m_scale > decimals) {
        const __int128 divisor = pow10(m_scale - decimals);
        const __int128 magnitude = value < 0 ? -value : value;
        __int128 rounded = magnitude / divisor;
        if ((magnitude % divisor) * 2 >= divisor)
            ++rounded;
        value = value < 0 ? -rounded : rounded;
    } else {
        value *= pow10(decimals - m_scale);
    }
    const bool negative = value < 0;
    QString digits = digitsOf(negative ? -value : value);
    if (decimals > 0) {
        if (digits.size() <= decimals)
            digits.prepend(QString(decimals - digits.size() + 1, u'0'));
        digits.insert(digits.size() - decimals, u'.');
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

double Decimal::toDouble() const
{
    return toString().toDouble();
}

std::optional<Decimal> Decimal::plus(const Decimal &other) const
{
    const int scale = std::max(m_scale, other.m_scale);
    const __int128 a = __int128(m_coefficient) * pow10(scale - m_scale);
    const __int128 b = __int128(other.m_coefficient) * pow10(scale - other.m_scale);
    return normalized(a + b, scale);
}

std::strong_ordering operator<=>(const Decimal &a, const Decimal &b)
{
    const int scale = std::max(a.m_scale, b.m_scale);
    const __int128 left = __int128(a.m_coefficient) * pow10(scale - a.m_scale);
    const __int128 right = __int128(b.m_coefficient) * pow10(scale - b.m_scale);
    return left <=> right;
}
