// Kind scoring, title, sender and short sender, the whole reading, and
// hostile text.
#include "PatternReader.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

TEST(PatternReader, KindScoring)
{
    // Two invoice keywords in the head score 1.0; a receipt keyword further down 0.25.
    const QString invoice = QStringLiteral("Rechnung\nRechnungsnummer 7\n") + QString(450, u'x')
                            + QStringLiteral("\nquittung");
    const PatternReader::KindScore invoiceScore = PatternReader::kind(invoice);
    EXPECT_EQ(invoiceScore.kind, DocumentKind::invoice);
    EXPECT_DOUBLE_EQ(invoiceScore.score, 1.0);
    const PatternReader::KindScore receiptOnly = PatternReader::kind(QString(450, u'x') + QStringLiteral("quittung"));
    EXPECT_EQ(receiptOnly.kind, DocumentKind::receipt);
    EXPECT_DOUBLE_EQ(receiptOnly.score, 0.25);

    // "rechnung" inside "Gehaltsabrechnung" ties invoice with payslip; the earlier row wins.
    const PatternReader::KindScore payslip = PatternReader::kind(QStringLiteral("Gehaltsabrechnung"));
    EXPECT_EQ(payslip.kind, DocumentKind::payslip);
    EXPECT_DOUBLE_EQ(payslip.score, 0.5);

    // Rows compare by their sums before the cap: invoice 1.5 beats receipt 1.0.
    const PatternReader::KindScore capped =
        PatternReader::kind(QStringLiteral("Quittung Kassenbon Rechnung Invoice VAT"));
    EXPECT_EQ(capped.kind, DocumentKind::invoice);
    EXPECT_DOUBLE_EQ(capped.score, 1.0);

    EXPECT_EQ(PatternReader::kind(QStringLiteral("Dear Sir,")).kind, DocumentKind::letter);
    EXPECT_EQ(PatternReader::kind(QStringLiteral("Dearborn")).kind, DocumentKind::other);
    EXPECT_EQ(PatternReader::kind(QStringLiteral("KONTOAUSZUG")).kind, DocumentKind::bankStatement);
    const PatternReader::KindScore none = PatternReader::kind(QString());
    EXPECT_EQ(none.kind, DocumentKind::other);
    EXPECT_EQ(none.score, 0.0);
}

TEST(PatternReader, KindHeadCountsUserPerceivedCharacters)
{
    // 390 characters of two code units each ("e" and a combining accent): the
    // keyword still stands within the first 400 characters.
    QString text;
    for (int i = 0; i < 390; ++i)
        text += QStringLiteral("e\u0301");
    text += QStringLiteral(" rechnung");
    EXPECT_DOUBLE_EQ(PatternReader::kind(text).score, 0.5);
    text.insert(0, QString(20, u'x'));
    EXPECT_DOUBLE_EQ(PatternReader::kind(text).score, 0.25);
}

TEST(PatternReader, Title)
{
    const auto titleOf = [](const QString &text) { return PatternReader::read(text).title; };
    EXPECT_EQ(titleOf(QStringLiteral("Rechnung Nr. RE-2024-0815")), QStringLiteral("RE-2024-0815"));
    EXPECT_EQ(titleOf(QStringLiteral("Invoice no: ab-77")), QStringLiteral("ab-77"));
    EXPECT_EQ(titleOf(QStringLiteral("Rechnungsnummer: NH-2026-000123")), QStringLiteral("NH-2026-000123"));
    EXPECT_EQ(titleOf(QStringLiteral("Invoice #EC-5530")), QStringLiteral("EC-5530"));
    EXPECT_FALSE(titleOf(QStringLiteral("Rechnung 44120")));
    // Only the first 30 lines are searched.
    const QString filler = QStringLiteral("Zeile\n").repeated(29);
    EXPECT_EQ(titleOf(filler + QStringLiteral("Vertrag Nr. V-1")), QStringLiteral("V-1"));
    EXPECT_FALSE(titleOf(filler + QStringLiteral("Zeile\nVertrag Nr. V-1")));
}

TEST(PatternReader, SenderPasses)
{
    const auto senderOf = [](const QStringList &lines) { return PatternReader::sender(lines); };
    EXPECT_EQ(senderOf({QStringLiteral("Beispiel Handels GmbH · Hauptstraße 1")}),
              QStringLiteral("Beispiel Handels GmbH"));
    EXPECT_EQ(senderOf({QStringLiteral("Beispiel GmbH, Weg 1 | Stadt")}), QStringLiteral("Beispiel GmbH"));
    // "AG" inside "AGB" is no legal form; a later line with one wins over the
    // earlier plausible name.
    EXPECT_EQ(senderOf({QStringLiteral("AGB und Hinweise"), QStringLiteral("Muster AG")}),
              QStringLiteral("Muster AG"));
    EXPECT_EQ(senderOf({QStringLiteral("AGB und Hinweise")}), QStringLiteral("AGB und Hinweise"));
    EXPECT_EQ(senderOf({QStringLiteral("Alpha UG (haftungsbeschränkt)")}),
              QStringLiteral("Alpha UG (haftungsbeschränkt)"));
    // Second pass: skip words, kind keywords, digits and lengths.
    EXPECT_EQ(senderOf({QStringLiteral("Seite 1 von 2"), QStringLiteral("Datum"), QStringLiteral("Rechnung an"),
                        QStringLiteral("AB"), QStringLiteral("Muster & Partner")}),
              QStringLiteral("Muster & Partner"));
    EXPECT_FALSE(senderOf({QStringLiteral("Kunde ٤٢"), QString(41, u'x')}));
    EXPECT_EQ(senderOf({QString(40, u'x')}), QString(40, u'x'));
    // Only the first 12 lines count.
    QStringList lines(12, QStringLiteral("12345"));
    lines.append(QStringLiteral("Spät GmbH"));
    EXPECT_FALSE(senderOf(lines));
    // A line that opens with a separator names nobody.
    EXPECT_EQ(senderOf({QStringLiteral("| Muster GmbH"), QStringLiteral("Beispiel AG")}), QStringLiteral("Beispiel AG"));
    EXPECT_FALSE(senderOf({}));
}

TEST(PatternReader, ShortSender)
{
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("Beispiel Handels GmbH")), QStringLiteral("Beispiel Handels"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("ACME Inc.")), QStringLiteral("ACME"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("Gamma S.à r.l.")), QStringLiteral("Gamma"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("Muster Holding GmbH & Co. KG")),
              QStringLiteral("Muster Holding"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("Muster Co. Ltd.")), QStringLiteral("Muster"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("Muster Ltd. Co.")), QStringLiteral("Muster Ltd"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("Bergwerk Software UG (haftungsbeschränkt)")),
              QStringLiteral("Bergwerk Software"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral(" Muster & Partner., ")), QStringLiteral("Muster & Partner"));
    // The form must stand as a word of its own.
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("MusterAG")), QStringLiteral("MusterAG"));
    EXPECT_EQ(PatternReader::shortSender(QStringLiteral("GmbH")), QStringLiteral("GmbH"));
    EXPECT_EQ(PatternReader::shortSender(QString()), QString());
}

TEST(PatternReader, ReadsAWholeDocument)
{
    const PatternReader::Result result = PatternReader::read(QStringLiteral(
        "  Muster Werkstatt GmbH  \r\n\r\n\tRechnung Nr. RE-2024-0815\nFällig am 30.04.2024\n"
        "Rechnungsdatum: 02.04.2024\nÖlwechsel 100,00 €\nMwSt 19,00 €\nGesamtbetrag 119,00 €\n"));
    EXPECT_EQ(result.kind, DocumentKind::invoice);
    EXPECT_DOUBLE_EQ(result.kindScore, 0.5);
    EXPECT_EQ(result.sender, QStringLiteral("Muster Werkstatt GmbH"));
    EXPECT_EQ(result.title, QStringLiteral("RE-2024-0815"));
    EXPECT_EQ(result.dates, (QList<QDateTime>{CalendarUtc::noon(QDate(2024, 4, 30)),
                                              CalendarUtc::noon(QDate(2024, 4, 2))}));
    EXPECT_EQ(result.date, CalendarUtc::noon(QDate(2024, 4, 2)));
    ASSERT_EQ(result.amounts.size(), 3);
    ASSERT_TRUE(result.total);
    EXPECT_EQ(result.total->amount, *Decimal::fromString(u"119"));
    EXPECT_EQ(result.total->currency, QStringLiteral("EUR"));
    EXPECT_TRUE(result.total->isTotal);
}

TEST(PatternReader, EmptyTextGivesNothing)
{
    for (const QString &text : {QString(), QStringLiteral(" \n\t\r\n  ")}) {
        const PatternReader::Result result = PatternReader::read(text);
        EXPECT_EQ(result.kind, DocumentKind::other);
        EXPECT_EQ(result.kindScore, 0.0);
        EXPECT_FALSE(result.sender);
        EXPECT_TRUE(result.dates.isEmpty());
        EXPECT_FALSE(result.date);
        EXPECT_TRUE(result.amounts.isEmpty());
        EXPECT_FALSE(result.total);
        EXPECT_FALSE(result.title);
    }
}

TEST(PatternReader, HostileTextIsReadWithoutRunaway)
{
    // A megabyte of random printable characters, rich in digits and the
    // separators the expressions look for, once as one line and once broken up.
    QRandomGenerator random(20261206);
    const QByteArray alphabet = QByteArrayLiteral(" .,'-/0123456789012345678901234567890123456789"
                                                  "$EURSDGBPCHFr abcdefghijklmnopqrstuvwxyzAGmbH&:#");
    QByteArray noise(1 << 20, ' ');
    for (char &c : noise)
        c = alphabet[random.bounded(int(alphabet.size()))];
    const QString oneLine = QString::fromLatin1(noise);
    PatternReader::read(oneLine);
    QByteArray broken = noise;
    for (qsizetype i = 60; i < broken.size(); i += 61)
        broken[i] = '\n';
    const PatternReader::Result brokenResult = PatternReader::read(QString::fromLatin1(broken));
    EXPECT_FALSE(brokenResult.amounts.isEmpty());

    // Long runs that invite backtracking: digits, blanks after a digit, a symbol before digits.
    PatternReader::read(QString(1 << 20, u'7'));
    PatternReader::read(QStringLiteral("5") + QString(1 << 19, u' ') + QStringLiteral("x"));
    PatternReader::read(QStringLiteral("Summe € ") + QString(1 << 19, u'1') + QStringLiteral(",00"));
    PatternReader::read(QStringLiteral("Rechnung") + QString(1 << 19, u'.'));
    PatternReader::read(QStringLiteral("Rechnung Nr") + QString(1 << 16, u' ') + QStringLiteral("!"));
    // Long chains of digit groups that end in no amount.
    PatternReader::read(QStringLiteral("123 ").repeated(1 << 14) + QStringLiteral("x"));
    PatternReader::read(QStringLiteral("Total 1'") + QStringLiteral("234'").repeated(1 << 14) + QStringLiteral("x"));
    PatternReader::read(QStringLiteral("Summe 1,2 ").repeated(1 << 13));

    // 100,000 one-character lines.
    const PatternReader::Result manyLines = PatternReader::read(QStringLiteral("a\n1\n").repeated(50000));
    EXPECT_EQ(manyLines.sender, std::nullopt);
    EXPECT_TRUE(manyLines.dates.isEmpty());

    // Invalid UTF-8 and lone surrogates.
    const PatternReader::Result invalid = PatternReader::read(
        QString::fromUtf8("\xff\xfe Rechnung \xc3\x28\nGesamt 12,50 \xe2\x82\xac\xed\xa0\x80\n\xf8\x88\x80\x80\x80"));
    EXPECT_EQ(invalid.kind, DocumentKind::invoice);
    ASSERT_TRUE(invalid.total);
    EXPECT_EQ(invalid.total->amount, *Decimal::fromString(u"12.50"));
    QString surrogates = QStringLiteral("Muster GmbH\n");
    surrogates += QChar(0xD800);
    surrogates += QStringLiteral("Datum 01.02.2024");
    surrogates += QChar(0xDC00);
    surrogates += QChar(0xDC00);
    const PatternReader::Result lone = PatternReader::read(surrogates);
    EXPECT_EQ(lone.date, CalendarUtc::noon(QDate(2024, 2, 1)));
}
