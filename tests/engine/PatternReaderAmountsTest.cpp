// Amount texts, amounts with their currencies and total flags, and the total.
#include "PatternReader.h"

#include <gtest/gtest.h>

using PatternReader::Money;
using namespace Qt::StringLiterals;

namespace {

Decimal dec(const char *text)
{
    return *Decimal::fromString(QString::fromUtf8(text));
}

Money eur(const char *amount, bool isTotal)
{
    return {dec(amount), u"EUR"_s, isTotal};
}

struct MoneyCase {
    const char *lines; // separated by '\n'
    QList<Money> expected;
};

void checkMoney(std::initializer_list<MoneyCase> cases)
{
    for (const MoneyCase &c : cases)
        EXPECT_EQ(PatternReader::money(QString::fromUtf8(c.lines).split(u'\n')), c.expected) << c.lines;
}

} // namespace

TEST(PatternReaderAmounts, ParseNumberChoosesTheDecimalSeparator)
{
    // Three digits after a lone separator: grouping. One digit after the only
    // separator is a decimal, as no grouping leaves one digit behind.
    for (const auto &[text, value] : {std::pair{"1.234,56", "1234.56"}, {"1,234.56", "1234.56"}, {"12,50", "12.50"},
                                      {"1.234", "1234"}, {"1.500", "1500"}, {"12,345", "12345"}, {"1'234.50", "1234.50"},
                                      {"1 234,50", "1234.50"}, {"1234", "1234"}, {"1.234.567,89", "1234567.89"},
                                      {"12.345,67", "12345.67"}, {"1,500.25", "1500.25"}, {"-8,79", "-8.79"},
                                      {"−8,79", "-8.79"}, {"12,5", "12.5"}, {"12.5", "12.5"}, {"0,5", "0.5"},
                                      {"1,5", "1.5"}, {"-3,5", "-3.5"}, {"1.234,5", "1234.5"},
                                      // Several separators of one kind still group.
                                      {"1.234.5", "12345"}})
        EXPECT_EQ(PatternReader::parseNumber(QString::fromUtf8(text)), dec(value)) << text;
    // No exponents; more digits than an amount holds exactly give no value, not a rounded one.
    for (const char *text : {"abc", "", "12 €", "1e5", "12-3", "12345678901234567890"})
        EXPECT_FALSE(PatternReader::parseNumber(QString::fromUtf8(text))) << text;
}

TEST(PatternReaderAmounts, AmountsOnLines)
{
    const auto usd = [](const char *amount, bool isTotal) { return Money{dec(amount), u"USD"_s, isTotal}; };
    checkMoney({
        // "summe" is found, but so is the exclusion word "zwischensumme"; exclusion
        // words are plain substrings: "ust" inside "August".
        {"Gesamtbetrag: 119,00 €", {eur("119.00", true)}}, {"Zwischensumme 100,00 €", {eur("100.00", false)}},
        {"Betrag fällig am 1. August: 50,00 €", {eur("50.00", false)}}, {"SUMME 7,80 €", {eur("7.80", true)}},
        // The same number with a symbol on both sides is one amount; symbol-before amounts come first.
        {"€ 12,50 EUR", {eur("12.50", false)}}, {"USD 3 and 12.50 USD", {usd("3", false), usd("12.50", false)}},
        {"Total: 12.50 USD", {usd("12.50", true)}}, {"Preis US$ 5.00", {usd("5.00", false)}},
        {"Kurtaxe Fr. 1'250.00", {{dec("1250.00"), u"CHF"_s, false}}}, {"£1,200", {{dec("1200"), u"GBP"_s, false}}},
        {"Artikel 4711 Menge 3", {}},
        // Digit groups: a chain is read whole, and a group after a failed chain may begin an amount.
        {"Preis 1 234 567,00 €", {eur("1234567.00", false)}}, {"Posten 1234 567 €", {eur("567", false)}},
        {"Nr.12 345 €", {eur("345", false)}}, {"Total 1'234'567,89", {eur("1234567.89", true)}},
        {"Total 12.345.678,90", {eur("12345678.90", true)}},
        // Duplicates are dropped across lines, but a different flag is a different amount.
        {"Netto 5,00 €\nPreis 5,00 €\nGesamt 5,00 €", {eur("5.00", false), eur("5.00", true)}},
    });
}

TEST(PatternReaderAmounts, BareDecimalsOnTotalLinesTakeTheDominantCurrency)
{
    checkMoney({
        {"Zimmer CHF 80.00\nSumme 49,90", {{dec("80.00"), u"CHF"_s, false}, {dec("49.90"), u"CHF"_s, true}}},
        {"Summe 49,90", {eur("49.90", true)}}, {"Total 12.50", {eur("12.50", true)}},
        {"Kaffee 2,70", {}}, // not a total line: a bare number is no amount
        {"€ EUR $\nTotal 1,00", {eur("1.00", true)}}, // "€" and "EUR" count twice against one "$"
        {"US$ and GBP\nTotal 1,00", {{dec("1.00"), u"USD"_s, true}}}, // "US$" also holds "$"
        {"CHF and GBP\nTotal 1,00", {{dec("1.00"), u"GBP"_s, true}}}, // a tie: the currency listed first
    });
    EXPECT_TRUE(PatternReader::money({}).isEmpty());
}

TEST(PatternReaderAmounts, MinusSignMakesAmountsNegative)
{
    checkMoney({
        {"Zahlbetrag -8,79 €", {eur("-8.79", true)}}, {"Zahlbetrag -€ 8,79", {eur("-8.79", true)}},
        {"Zahlbetrag € -8,79", {eur("-8.79", true)}}, {"Zahlbetrag €-8,79", {eur("-8.79", true)}},
        {"Zahlbetrag EUR-8,79", {eur("-8.79", true)}}, {"Zahlbetrag −8,79 EUR", {eur("-8.79", true)}},
        {"Gutschrift: −€8,79", {eur("-8.79", false)}}, {"Summe -49,90", {eur("-49.90", true)}},
        {"-€ 12,50 EUR", {eur("-12.50", false)}}, {"USD -200.00", {{dec("-200.00"), u"USD"_s, false}}},
        // A dash between numbers, glued to a word or followed by a blank is no sign.
        {"Preis 10-20 €", {eur("20", false)}}, {"Art-8,79 €", {eur("8.79", false)}}, {"- 8,79 €", {eur("8.79", false)}},
    });
}

TEST(PatternReaderAmounts, TotalChoice)
{
    const Money ten = eur("10.00", false);
    const Money big = eur("250.00", false);
    const Money flagged = eur("99.00", true);
    EXPECT_EQ(PatternReader::total({ten, big}, DocumentKind::invoice), big);
    EXPECT_EQ(PatternReader::total({ten, big}, DocumentKind::other), big);
    EXPECT_EQ(PatternReader::total({ten, big, flagged}, DocumentKind::invoice), flagged);
    // Kinds that are no receipts have a total only from a total line.
    EXPECT_FALSE(PatternReader::total({ten, big}, DocumentKind::payslip));
    EXPECT_EQ(PatternReader::total({ten, flagged}, DocumentKind::payslip), flagged);
    EXPECT_FALSE(PatternReader::total({}, DocumentKind::invoice));
    // Of equal largest amounts the first wins; currencies are not compared.
    const Money usd{dec("99"), u"USD"_s, true};
    EXPECT_EQ(PatternReader::total({usd, flagged}, DocumentKind::invoice), usd);
    // A credit note: every total negative, the largest credit is the total;
    // a deduction beside a positive total does not displace it.
    EXPECT_EQ(PatternReader::total({eur("-1.40", true), eur("-8.79", true)}, DocumentKind::invoice), eur("-8.79", true));
    EXPECT_EQ(PatternReader::total({eur("-20.00", true), eur("119.00", true)}, DocumentKind::invoice), eur("119.00", true));

    const PatternReader::Result credit = PatternReader::read(
        u"Nordlicht Hosting GmbH\nGutschrift zur Rechnung Nr. NH-2026-000123\nDatum: 01.11.2026\n"
        "Erstattung Cloud-Server S  -7,39 €\nMwSt 19 %  -1,40 €\nZahlbetrag -8,79 €"_s);
    EXPECT_EQ(credit.total, eur("-8.79", true));
}
