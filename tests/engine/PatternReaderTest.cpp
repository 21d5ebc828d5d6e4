// Kind scoring, title, sender and short sender, the whole reading, and
// hostile text.
#include "PatternReader.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(PatternReader, KindScoring)
{
    const struct { QString text; DocumentKind kind; double score; } cases[] = {
        // Two invoice keywords in the head score 1.0; a receipt keyword further down 0.25.
        {u"Rechnung\nRechnungsnummer 7\n"_s + QString(450, u'x') + u"\nquittung"_s, DocumentKind::invoice, 1.0},
        {QString(450, u'x') + u"quittung"_s, DocumentKind::receipt, 0.25},
        // "rechnung" inside "Gehaltsabrechnung" ties invoice with payslip; the earlier row wins.
        {u"Gehaltsabrechnung"_s, DocumentKind::payslip, 0.5},
        // Rows compare by their sums before the cap: invoice 1.5 beats receipt 1.0.
        {u"Quittung Kassenbon Rechnung Invoice VAT"_s, DocumentKind::invoice, 1.0},
        {u"Dear Sir,"_s, DocumentKind::letter, -1}, {u"KONTOAUSZUG"_s, DocumentKind::bankStatement, -1},
        {u"Dearborn"_s, DocumentKind::other, 0.0}, {QString(), DocumentKind::other, 0.0},
    };
    for (const auto &c : cases) {
        const PatternReader::KindScore score = PatternReader::kind(c.text);
        EXPECT_EQ(score.kind, c.kind) << c.text.left(40).toStdString();
        if (c.score >= 0) { // -1: the score is not the point
            EXPECT_DOUBLE_EQ(score.score, c.score) << c.text.left(40).toStdString();
        }
    }

    // The head counts user-perceived characters: 390 "e" with a combining
    // accent leave the keyword within the first 400.
    QString text = u"e\u0301"_s.repeated(390) + u" rechnung"_s;
    EXPECT_DOUBLE_EQ(PatternReader::kind(text).score, 0.5);
    text.insert(0, QString(20, u'x'));
    EXPECT_DOUBLE_EQ(PatternReader::kind(text).score, 0.25);
}

TEST(PatternReader, Title)
{
    const auto titleOf = [](const QString &text) { return PatternReader::read(text).title; };
    for (const auto &[text, title] : {std::pair{u"Rechnung Nr. RE-2024-0815"_s, u"RE-2024-0815"_s},
                                      {u"Invoice no: ab-77"_s, u"ab-77"_s}, {u"Invoice #EC-5530"_s, u"EC-5530"_s},
                                      {u"Rechnungsnummer: NH-2026-000123"_s, u"NH-2026-000123"_s}})
        EXPECT_EQ(titleOf(text), title) << text.toStdString();
    EXPECT_FALSE(titleOf(u"Rechnung 44120"_s));
    // Only the first 30 lines are searched.
    const QString filler = u"Zeile\n"_s.repeated(29);
    EXPECT_EQ(titleOf(filler + u"Vertrag Nr. V-1"_s), u"V-1"_s);
    EXPECT_FALSE(titleOf(filler + u"Zeile\nVertrag Nr. V-1"_s));
}

TEST(PatternReader, SenderPasses)
{
    const std::pair<QStringList, std::optional<QString>> cases[] = {
        {{u"Beispiel Handels GmbH · Hauptstraße 1"_s}, u"Beispiel Handels GmbH"_s},
        {{u"Beispiel GmbH, Weg 1 | Stadt"_s}, u"Beispiel GmbH"_s},
        // "AG" inside "AGB" is no legal form; a later line with one wins over the earlier plausible name.
        {{u"AGB und Hinweise"_s, u"Muster AG"_s}, u"Muster AG"_s}, {{u"AGB und Hinweise"_s}, u"AGB und Hinweise"_s},
        {{u"Alpha UG (haftungsbeschränkt)"_s}, u"Alpha UG (haftungsbeschränkt)"_s},
        // Second pass: skip words, kind keywords, digits and lengths.
        {{u"Seite 1 von 2"_s, u"Datum"_s, u"Rechnung an"_s, u"AB"_s, u"Muster & Partner"_s}, u"Muster & Partner"_s},
        {{u"Kunde ٤٢"_s, QString(41, u'x')}, std::nullopt}, {{QString(40, u'x')}, QString(40, u'x')},
        // Only the first 12 lines count.
        {QStringList(12, u"12345"_s) << u"Spät GmbH"_s, std::nullopt},
        // A line that opens with a separator names nobody.
        {{u"| Muster GmbH"_s, u"Beispiel AG"_s}, u"Beispiel AG"_s}, {{}, std::nullopt},
    };
    for (const auto &[lines, sender] : cases)
        EXPECT_EQ(PatternReader::sender(lines), sender) << lines.join(u'|').toStdString();
}

TEST(PatternReader, ShortSender)
{
    // The legal form must stand as a word of its own.
    for (const auto &[sender, expected] :
         {std::pair{u"Beispiel Handels GmbH"_s, u"Beispiel Handels"_s}, {u"ACME Inc."_s, u"ACME"_s},
          {u"Gamma S.à r.l."_s, u"Gamma"_s}, {u"Muster Holding GmbH & Co. KG"_s, u"Muster Holding"_s},
          {u"Muster Co. Ltd."_s, u"Muster"_s}, {u"Muster Ltd. Co."_s, u"Muster Ltd"_s},
          {u"Bergwerk Software UG (haftungsbeschränkt)"_s, u"Bergwerk Software"_s},
          {u" Muster & Partner., "_s, u"Muster & Partner"_s}, {u"MusterAG"_s, u"MusterAG"_s}, {u"GmbH"_s, u"GmbH"_s},
          // Only blanks, commas and full stops are trimmed: a plus or an
          // ampersand belongs to the name, also where "Co." was cut.
          {u"Canal+"_s, u"Canal+"_s}, {u"Grundbesitz GmbH & Co."_s, u"Grundbesitz GmbH &"_s},
          {u"Weber + Co."_s, u"Weber +"_s}, {u"& Söhne &"_s, u"& Söhne &"_s},
          {QString(), QString()}})
        EXPECT_EQ(PatternReader::shortSender(sender), expected) << sender.toStdString();
}

TEST(PatternReader, ReadsAWholeDocumentAndEmptyTextGivesNothing)
{
    const PatternReader::Result result = PatternReader::read(
        u"  Muster Werkstatt GmbH  \r\n\r\n\tRechnung Nr. RE-2024-0815\nFällig am 30.04.2024\n"
        "Rechnungsdatum: 02.04.2024\nÖlwechsel 100,00 €\nMwSt 19,00 €\nGesamtbetrag 119,00 €\n"_s);
    EXPECT_EQ(std::tuple(result.kind, result.kindScore, result.sender, result.title),
              std::tuple(DocumentKind::invoice, 0.5, std::optional(u"Muster Werkstatt GmbH"_s), std::optional(u"RE-2024-0815"_s)));
    EXPECT_EQ(result.dates, (QList<QDateTime>{CalendarUtc::noon(QDate(2024, 4, 30)), CalendarUtc::noon(QDate(2024, 4, 2))}));
    EXPECT_EQ(result.date, CalendarUtc::noon(QDate(2024, 4, 2)));
    EXPECT_EQ(result.amounts.size(), 3);
    EXPECT_EQ(result.total, (PatternReader::Money{*Decimal::fromString(u"119"), u"EUR"_s, true}));

    for (const QString &text : {QString(), u" \n\t\r\n  "_s}) {
        const PatternReader::Result empty = PatternReader::read(text);
        EXPECT_EQ(std::tuple(empty.kind, empty.kindScore), std::tuple(DocumentKind::other, 0.0));
        EXPECT_TRUE(!empty.sender && empty.dates.isEmpty() && !empty.date && empty.amounts.isEmpty() && !empty.total
                    && !empty.title);
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
    PatternReader::read(QString::fromLatin1(noise));
    for (qsizetype i = 60; i < noise.size(); i += 61)
        noise[i] = '\n';
    EXPECT_FALSE(PatternReader::read(QString::fromLatin1(noise)).amounts.isEmpty());

    // Long runs that invite backtracking, and long chains of digit groups that end in no amount.
    for (const QString &text :
         {QString(1 << 20, u'7'), u"5"_s + QString(1 << 19, u' ') + u"x"_s, u"Summe € "_s + QString(1 << 19, u'1') + u",00"_s,
          u"Rechnung"_s + QString(1 << 19, u'.'), u"Rechnung Nr"_s + QString(1 << 16, u' ') + u"!"_s,
          u"123 "_s.repeated(1 << 14) + u"x"_s, u"Total 1'"_s + u"234'"_s.repeated(1 << 14) + u"x"_s,
          u"Summe 1,2 "_s.repeated(1 << 13), u"Datum 05.03.2024 "_s.repeated(1 << 13)})
        PatternReader::read(text);

    // 100,000 one-character lines.
    const PatternReader::Result manyLines = PatternReader::read(u"a\n1\n"_s.repeated(50000));
    EXPECT_TRUE(!manyLines.sender && manyLines.dates.isEmpty());

    // Invalid UTF-8 and lone surrogates.
    const PatternReader::Result invalid = PatternReader::read(
        QString::fromUtf8("\xff\xfe Rechnung \xc3\x28\nGesamt 12,50 \xe2\x82\xac\xed\xa0\x80\n\xf8\x88\x80\x80\x80"));
    EXPECT_EQ(invalid.kind, DocumentKind::invoice);
    EXPECT_EQ(invalid.total, (PatternReader::Money{*Decimal::fromString(u"12.50"), u"EUR"_s, true}));
    const QString surrogates = u"Muster GmbH\n"_s + QChar(0xD800) + u"Datum 01.02.2024"_s + QChar(0xDC00) + QChar(0xDC00);
    EXPECT_EQ(PatternReader::read(surrogates).date, CalendarUtc::noon(QDate(2024, 2, 1)));
}
