// Amount texts, amounts with their currencies and total flags, and the total.
#include "PatternReader.h"

#include <gtest/gtest.h>

using PatternReader::Money;

namespace {

Decimal dec(const char *text)
{
    return *Decimal::fromString(QString::fromUtf8(text));
}

Money eur(const char *amount, bool isTotal)
{
    return {dec(amount), QStringLiteral("EUR"), isTotal};
}

QList<Money> moneyOf(const QStringList &lines)
{
    return PatternReader::money(lines);
}

QList<Money> moneyOf(const char *line)
{
    return PatternReader::money({QString::fromUtf8(line)});
}

} // namespace

TEST(PatternReaderAmounts, ParseNumberChoosesTheDecimalSeparator)
{
    const auto parse = [](const char *text) { return PatternReader::parseNumber(QString::fromUtf8(text)); };
    EXPECT_EQ(parse("1.234,56"), dec("1234.56"));
    EXPECT_EQ(parse("1,234.56"), dec("1234.56"));
    EXPECT_EQ(parse("12,50"), dec("12.50"));
    EXPECT_EQ(parse("1.234"), dec("1234")); // three digits after a lone separator: grouping
    EXPECT_EQ(parse("1,5"), dec("15")); // one digit after a lone separator: grouping
    EXPECT_EQ(parse("1'234.50"), dec("1234.50"));
    EXPECT_EQ(parse("1 234,50"), dec("1234.50"));
    EXPECT_EQ(parse("1234"), dec("1234"));
    EXPECT_EQ(parse("1.234.567,89"), dec("1234567.89"));
    EXPECT_EQ(parse("-8,79"), dec("-8.79"));
    EXPECT_EQ(parse("−8,79"), dec("-8.79"));
    EXPECT_FALSE(parse("abc"));
    EXPECT_FALSE(parse(""));
    EXPECT_FALSE(parse("12 €"));
    EXPECT_FALSE(parse("1e5")); // no exponents in amount texts
    EXPECT_FALSE(parse("12-3"));
    // More digits than an amount can hold exactly give no value, not a rounded one.
    EXPECT_FALSE(parse("12345678901234567890"));
}

TEST(PatternReaderAmounts, TotalLinesAndExclusionWords)
{
    EXPECT_EQ(moneyOf("Gesamtbetrag: 119,00 €"), QList<Money>{eur("119.00", true)});
    // "summe" is found, but so is the exclusion word "zwischensumme".
    EXPECT_EQ(moneyOf("Zwischensumme 100,00 €"), QList<Money>{eur("100.00", false)});
    // Exclusion words are plain substrings: "ust" inside "August".
    EXPECT_EQ(moneyOf("Betrag fällig am 1. August: 50,00 €"), QList<Money>{eur("50.00", false)});
    // Upper case lines are total lines too.
    EXPECT_EQ(moneyOf("SUMME 7,80 €"), QList<Money>{eur("7.80", true)});
}

TEST(PatternReaderAmounts, SymbolBeforeAndAfter)
{
    // The same number with a symbol on both sides is one amount.
    EXPECT_EQ(moneyOf("€ 12,50 EUR"), QList<Money>{eur("12.50", false)});
    // Symbol-before amounts come first on a line.
    const QList<Money> usd{{dec("3"), QStringLiteral("USD"), false}, {dec("12.50"), QStringLiteral("USD"), false}};
    EXPECT_EQ(moneyOf("USD 3 and 12.50 USD"), usd);
    EXPECT_EQ(moneyOf("Total: 12.50 USD"), (QList<Money>{{dec("12.50"), QStringLiteral("USD"), true}}));
    EXPECT_EQ(moneyOf("Preis US$ 5.00"), (QList<Money>{{dec("5.00"), QStringLiteral("USD"), false}}));
    EXPECT_EQ(moneyOf("Kurtaxe Fr. 1'250.00"), (QList<Money>{{dec("1250.00"), QStringLiteral("CHF"), false}}));
    EXPECT_EQ(moneyOf("£1,200"), (QList<Money>{{dec("1200"), QStringLiteral("GBP"), false}}));
    EXPECT_TRUE(moneyOf("Artikel 4711 Menge 3").isEmpty());
    // Digit groups: a chain is read whole, and a group after a failed chain
    // may still begin an amount of its own.
    EXPECT_EQ(moneyOf("Preis 1 234 567,00 €"), QList<Money>{eur("1234567.00", false)});
    EXPECT_EQ(moneyOf("Posten 1234 567 €"), QList<Money>{eur("567", false)});
    EXPECT_EQ(moneyOf("Nr.12 345 €"), QList<Money>{eur("345", false)});
    EXPECT_EQ(moneyOf("Total 1'234'567,89"), QList<Money>{eur("1234567.89", true)});
    EXPECT_EQ(moneyOf("Total 12.345.678,90"), QList<Money>{eur("12345678.90", true)});
    // Duplicates are dropped across lines too, but a different flag is a different amount.
    EXPECT_EQ(moneyOf(QStringList{QStringLiteral("Netto 5,00 €"), QStringLiteral("Preis 5,00 €"),
                                  QStringLiteral("Gesamt 5,00 €")}),
              (QList<Money>{eur("5.00", false), eur("5.00", true)}));
}

TEST(PatternReaderAmounts, BareDecimalsOnTotalLinesTakeTheDominantCurrency)
{
    EXPECT_EQ(moneyOf(QStringList{QStringLiteral("Zimmer CHF 80.00"), QStringLiteral("Summe 49,90")}),
              (QList<Money>{{dec("80.00"), QStringLiteral("CHF"), false}, {dec("49.90"), QStringLiteral("CHF"), true}}));
    EXPECT_EQ(moneyOf("Summe 49,90"), QList<Money>{eur("49.90", true)});
    EXPECT_EQ(moneyOf("Total 12.50"), QList<Money>{eur("12.50", true)});
    // Not a total line: a bare number is no amount.
    EXPECT_TRUE(moneyOf("Kaffee 2,70").isEmpty());
    // "€" and "EUR" count twice for EUR against one "$".
    EXPECT_EQ(moneyOf(QStringList{QStringLiteral("€ EUR $"), QStringLiteral("Total 1,00")}),
              QList<Money>{eur("1.00", true)});
    // "US$" also holds "$": two for USD against one for GBP.
    EXPECT_EQ(moneyOf(QStringList{QStringLiteral("US$ and GBP"), QStringLiteral("Total 1,00")}),
              (QList<Money>{{dec("1.00"), QStringLiteral("USD"), true}}));
    // A tie goes to the currency listed first.
    EXPECT_EQ(moneyOf(QStringList{QStringLiteral("CHF and GBP"), QStringLiteral("Total 1,00")}),
              (QList<Money>{{dec("1.00"), QStringLiteral("GBP"), true}}));
    EXPECT_TRUE(PatternReader::money({}).isEmpty());
}

TEST(PatternReaderAmounts, MinusSignMakesAmountsNegative)
{
    EXPECT_EQ(moneyOf("Zahlbetrag -8,79 €"), QList<Money>{eur("-8.79", true)});
    EXPECT_EQ(moneyOf("Zahlbetrag -€ 8,79"), QList<Money>{eur("-8.79", true)});
    EXPECT_EQ(moneyOf("Zahlbetrag € -8,79"), QList<Money>{eur("-8.79", true)});
    EXPECT_EQ(moneyOf("Zahlbetrag €-8,79"), QList<Money>{eur("-8.79", true)});
    EXPECT_EQ(moneyOf("Zahlbetrag EUR-8,79"), QList<Money>{eur("-8.79", true)});
    EXPECT_EQ(moneyOf("Zahlbetrag −8,79 EUR"), QList<Money>{eur("-8.79", true)});
    EXPECT_EQ(moneyOf("Gutschrift: −€8,79"), QList<Money>{eur("-8.79", false)});
    EXPECT_EQ(moneyOf("Summe -49,90"), QList<Money>{eur("-49.90", true)}); // bare decimal
    // Symbols on both sides still give one amount.
    EXPECT_EQ(moneyOf("-€ 12,50 EUR"), QList<Money>{eur("-12.50", false)});
    EXPECT_EQ(moneyOf("USD -200.00"), (QList<Money>{{dec("-200.00"), QStringLiteral("USD"), false}}));
    // A dash between numbers or glued to a word is no sign.
    EXPECT_EQ(moneyOf("Preis 10-20 €"), QList<Money>{eur("20", false)});
    EXPECT_EQ(moneyOf("Art-8,79 €"), QList<Money>{eur("8.79", false)});
    // A blank between the minus and the number: a bullet or a dash, not a sign.
    EXPECT_EQ(moneyOf("- 8,79 €"), QList<Money>{eur("8.79", false)});
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
    const Money usd{dec("99"), QStringLiteral("USD"), true};
    EXPECT_EQ(PatternReader::total({usd, flagged}, DocumentKind::invoice), usd);
    // A credit note: every total negative, the largest credit is the total.
    EXPECT_EQ(PatternReader::total({eur("-1.40", true), eur("-8.79", true)}, DocumentKind::invoice),
              eur("-8.79", true));
    // A deduction beside a positive total does not displace it.
    EXPECT_EQ(PatternReader::total({eur("-20.00", true), eur("119.00", true)}, DocumentKind::invoice),
              eur("119.00", true));
}

TEST(PatternReaderAmounts, CreditNoteReadsAsNegative)
{
    const PatternReader::Result result = PatternReader::read(QStringLiteral(
        "Nordlicht Hosting GmbH\nGutschrift zur Rechnung Nr. NH-2026-000123\nDatum: 01.11.2026\n"
        "Erstattung Cloud-Server S  -7,39 €\nMwSt 19 %  -1,40 €\nZahlbetrag -8,79 €"));
    ASSERT_TRUE(result.total);
    EXPECT_EQ(*result.total, eur("-8.79", true));
}
