#include "Decimal.h"

#include <gtest/gtest.h>

TEST(Decimal, ParsesAndComparesByValue)
{
    EXPECT_EQ(*Decimal::fromString(u"12.5"), *Decimal::fromString(u"12.50"));
    EXPECT_EQ(Decimal::fromString(u"-0.01")->toString(), QStringLiteral("-0.01"));
    EXPECT_EQ(Decimal::fromString(u"1200")->toString(), QStringLiteral("1200"));
    EXPECT_EQ(Decimal::fromString(u"1.25E3")->toString(), QStringLiteral("1250"));
    EXPECT_EQ(Decimal::fromString(u"1e-05")->toString(), QStringLiteral("0.00001"));
    EXPECT_EQ(Decimal::fromString(u"-0")->toString(), QStringLiteral("0"));
    EXPECT_LT(*Decimal::fromString(u"99.99"), *Decimal::fromString(u"100"));
    EXPECT_GT(*Decimal::fromString(u"-1"), *Decimal::fromString(u"-1.5"));
    for (const char16_t *bad : {u"", u"-", u".", u"1.2.3", u"12a", u"1e", u"abc", u"1 2", u"١٢"})
        EXPECT_FALSE(Decimal::fromString(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(Decimal, RefusesWhatItCannotHoldExactly)
{
    EXPECT_TRUE(Decimal::fromString(u"999999999999999").has_value());
    EXPECT_FALSE(Decimal::fromString(u"1234567890123456").has_value());
    EXPECT_FALSE(Decimal::fromString(QString(1000000, u'7')).has_value());
    EXPECT_FALSE(Decimal::fromString(u"1e999").has_value());
    EXPECT_FALSE(Decimal::fromDouble(std::numeric_limits<double>::infinity()).has_value());
}

TEST(Decimal, FormatsWithFixedDecimalsRoundingHalfAwayFromZero)
{
    EXPECT_EQ(Decimal::fromString(u"12.5")->toFixed(2), QStringLiteral("12.50"));
    EXPECT_EQ(Decimal::fromString(u"0.005")->toFixed(2), QStringLiteral("0.01"));
    EXPECT_EQ(Decimal::fromString(u"-0.005")->toFixed(2), QStringLiteral("-0.01"));
    EXPECT_EQ(Decimal::fromString(u"1234")->toFixed(0), QStringLiteral("1234"));
    EXPECT_EQ(Decimal::fromString(u"0.1")->toFixed(3), QStringLiteral("0.100"));
}

TEST(Decimal, SurvivesTheDoubleBorderExactly)
{
    for (const char16_t *text : {u"119.9", u"0.1", u"3500", u"8.79", u"-8.79", u"1234567.89", u"999999999999.99"}) {
        const Decimal value = *Decimal::fromString(text);
        EXPECT_EQ(*Decimal::fromDouble(value.toDouble()), value) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_EQ(Decimal::fromString(u"0.1")->plus(*Decimal::fromString(u"0.2"))->toString(), QStringLiteral("0.3"));
}
