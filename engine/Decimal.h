// An exact decimal number for amounts of money. No floating point is ever
// used to hold or compute an amount; doubles appear only at the JSON border,
// where up to 15 significant digits survive the round trip exactly.
#pragma once

#include <QString>
#include <QStringView>

#include <compare>
#include <cstdint>
#include <optional>

class Decimal
{
public:
    // Most significant digits a Decimal holds (what a JSON number carries exactly).
    static constexpr int maxDigits = 15;
    // Most digits after the decimal point.
    static constexpr int maxScale = 18;

    constexpr Decimal() = default;

    // coefficient × 10^-scale; nullopt when the value does not fit.
    static std::optional<Decimal> fromParts(std::int64_t coefficient, int scale);
    static Decimal fromInt(std::int64_t value);

    // Reads "-12.50", "+3", "0.5", "1e-05", "1.25E3". Only ASCII digits, one
    // optional sign, one optional "." and an optional exponent; anything else,
    // or a value with more than maxDigits significant digits, gives nullopt.
    static std::optional<Decimal> fromString(QStringView text);

    // A finite double, by its shortest round-trip representation.
    static std::optional<Decimal> fromDouble(double value);

    std::int64_t coefficient() const { return m_coefficient; }
    int scale() const { return m_scale; }
    bool isZero() const { return m_coefficient == 0; }
    bool isNegative() const { return m_coefficient < 0; }
    Decimal negated() const;

    // The exact value with as few digits as needed: "12.5", "-0.01", "1200".
    QString toString() const;
    // Rounded half away from zero to the given number of decimals: "12.50".
    QString toFixed(int decimals) const;
    double toDouble() const;

    // Exact sum; nullopt when the result would not fit.
    std::optional<Decimal> plus(const Decimal &other) const;

    friend bool operator==(const Decimal &, const Decimal &) = default;
    friend std::strong_ordering operator<=>(const Decimal &a, const Decimal &b);

private:
    constexpr Decimal(std::int64_t coefficient, int scale)
        : m_coefficient(coefficient), m_scale(scale) {}
    static std::optional<Decimal> normalized(__int128 coefficient, int scale);

    // Normalised: no trailing zeros in the coefficient unless the scale is 0.
    std::int64_t m_coefficient = 0;
    int m_scale = 0;
};
