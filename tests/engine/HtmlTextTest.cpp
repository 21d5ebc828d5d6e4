#include "HtmlEncoding.h"
#include "HtmlText.h"
#include "PatternReader.h"
#include "Recognizer.h"
#include "TextBudget.h"
#include "TestSupport.h"
#include "TextExtractor.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HtmlText, ReadsTextAsAPageShowsIt)
{
    const std::pair<const char *, QString> cases[] = {
        {"<p>Rechnung</p><p>Gesamt <b>12,34</b>&nbsp;&euro;</p>", u"Rechnung\nGesamt 12,34 €\n"_s},
        {"  viel   Platz \n\t hier ", u"viel Platz hier"_s},
        {"a<br>b<br/>c<BR >", u"a\nb\nc\n"_s},
        {"<table><tr><th>Posten</th><td>Betrag</td></tr><tr><td>Gesamt</td><td>9,40</td></tr></table>",
         u"Posten\tBetrag\nGesamt\t9,40\n"_s},
        {"<pre>a  b\n c</pre>d", u"a  b\n c\nd"_s},
        {"<!DOCTYPE html><head><title>T</title><style>p{}</style></head><script>if (a<b) s='</p>';</script>x",
         u"x"_s},
        {"<!-- <p>nicht</p> -- > -->ja<!---->", u"ja"_s},
        {"<a href=\"x>y\" title='q>'>Link</a>", u"Link"_s},
        {"&amp;&lt;&#x41;&#66;&copy;&#128;&#0;&unbekannt; & &#", u"&<AB©€\uFFFD&unbekannt; & &#"_s},
        {"5 < 6", u"5 < 6"_s},
    };
    for (const auto &[html, text] : cases)
        EXPECT_EQ(HtmlText::read(QString::fromUtf8(html), 1000), text) << html;
    // The text is cut as it is read, pages of endless unclosed elements included.
    EXPECT_EQ(HtmlText::read(u"<p>ab</p>"_s.repeated(1000), 10), u"ab\nab\nab\na"_s);
    EXPECT_EQ(HtmlText::read(u"<div>"_s.repeated(100000) + u"Rechnung"_s, 1000), u"Rechnung"_s);
}

// Files are read in processes without windows too (the command-line
// subcommands), where only a core application exists. The test runs itself
// again in such a process.
TEST(HtmlText, ReadsInAProcessWithoutAGraphicalApplication)
{
    if (qEnvironmentVariableIsSet("FILEWRIGHT_CORE_APPLICATION_ONLY")) {
        ASSERT_EQ(qobject_cast<QGuiApplication *>(QCoreApplication::instance()), nullptr);
        const QTemporaryDir dir;
        ASSERT_TRUE(TestSupport::writeFile(dir.filePath(u"page.html"_s), "<p>Gesamt <b>12,34 &euro;</b></p>"));
        EXPECT_EQ(TextExtractor::text(dir.filePath(u"page.html"_s)).text, u"Gesamt 12,34 €\n"_s);
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"FILEWRIGHT_CORE_APPLICATION_ONLY"_s, u"1"_s);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(u"/proc/self/exe"_s, {u"--gtest_filter=HtmlText.ReadsInAProcessWithoutAGraphicalApplication"_s});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

namespace {

// Valid UTF-16: no half of a surrogate pair anywhere.
bool isWholeCodePoints(const QString &text)
{
    return QString::fromUtf8(text.toUtf8()) == text;
}

} // namespace

// What a browser shows where the reader once fell short: Unicode spaces in
// grouped amounts, every named reference (upper-case ones too), processing
// instructions holding ">", and the content of a text area.
TEST(HtmlText, ReadsSpacesReferencesInstructionsAndTextAreasAsABrowserShowsThem)
{
    const std::pair<QString, QString> cases[] = {
        {u"<p>Gesamt 1\u202F234,56\u00A0€</p>"_s, u"Gesamt 1 234,56 €\n"_s},
        {u"10&thinsp;000,00&nbsp;€"_s, u"10 000,00 €"_s},
        {u"a\u2009b\u2007c\u2002d\u2003e\u3000f"_s, u"a b c d e f"_s},
        {u"&rarr;&le;&frasl;&AMP;&LT;&GT;&QUOT;&NotEqualTilde;&Uuml;&hellip;"_s, u"→≤⁄&<>\"\u2242\u0338Ü…"_s},
        // Legacy names count without their semicolon, others do not.
        {u"&copy2024 &notit; &AMP &euro &amp;x"_s, u"©2024 ¬it; & &euro &x"_s},
        // "<?" begins a comment that the next ">" ends, as in a browser.
        {u"<?php if ($a > $b) { echo '<p>'; } ?>Text<?xml version=\"1.0\"?>!"_s, u"$b) { echo '\n'; } ?>Text!"_s},
        {u"<form><textarea name=n>\nZahlbar bis 15.03.2024 &amp; <b>x</b></textarea>danach</form>"_s,
         u"Zahlbar bis 15.03.2024 & <b>x</b>\ndanach\n"_s},
        {u"<textarea>a</textare b</TEXTAREA >c"_s, u"a</textare b\nc"_s},
    };
    for (const auto &[html, text] : cases)
        EXPECT_EQ(HtmlText::read(html, 1000), text) << html.toStdString();
    // A page fed in pieces of any size reads the same.
    const QString page = u"<?php a > b ?>x&rarr;<textarea>y</textarea><!-- > -->z"_s;
    for (qsizetype piece : {1, 2, 3, 7}) {
        TextBudget budget(1000);
        HtmlText reader(budget);
        for (qsizetype i = 0; i < page.size(); i += piece)
            reader.feed(QStringView(page).mid(i, piece));
        reader.finish();
        EXPECT_EQ(budget.text(), u"b ?>x→\ny\nz"_s) << piece;
    }
}

// Comments and what a browser reads as comments end where a browser ends
// them, so that they never hide the rest of a page; wherever the page is cut
// into pieces, the text is the same.
TEST(HtmlText, CommentsEndWhereABrowserEndsThem)
{
    const std::pair<QString, QString> cases[] = {
        {u"<p>A<!-->B</p><p>C</p>"_s, u"AB\nC\n"_s},
        {u"<p>1<!--->2</p><p>Summe 12,50 EUR</p>"_s, u"12\nSumme 12,50 EUR\n"_s},
        {u"<p>a<!-- x --!>b</p>"_s, u"ab\n"_s},
        {u"<p>Betrag <?php echo $x >12,50 EUR</p><p>Datum 03.05.2024</p>"_s, u"Betrag 12,50 EUR\nDatum 03.05.2024\n"_s},
        {u"<!---->a<!------>b<!-- - -- ->c-->d"_s, u"abd"_s},
        {u"<!-- --!-- x -->e<!-- -!> --!x> -- > -->f"_s, u"ef"_s},
        {u"<!--!>g-->h<!-- <!-- nested --> i"_s, u"h i"_s},
        {u"a</ x>b</>c</1 \"q>\">d<!x>e<![CDATA[f>g]]>h<!DOCTYPE html>i"_s, u"abc\">deg]]>hi"_s},
        // The text of a text area as the page wrote it, whatever resembles its end tag.
        {u"<textarea>a</TEXTAREx b</TeXtArEa>c"_s, u"a</TEXTAREx b\nc"_s},
        {u"<textarea>Summe </TextArea-x </TEXTAREA </textarea>d"_s, u"Summe </TextArea-x \nd"_s},
    };
    QString page;
    QString text;
    for (const auto &[html, expected] : cases) {
        EXPECT_EQ(HtmlText::read(html, 1000), expected) << html.toStdString();
        page += html + u"<br>"_s;
        text += HtmlText::read(html, 1000) + u'\n';
    }
    const QString whole = HtmlText::read(page, 1000);
    for (qsizetype cut = 0; cut <= page.size(); ++cut) {
        TextBudget budget(1000);
        HtmlText reader(budget);
        reader.feed(QStringView(page).first(cut));
        reader.feed(QStringView(page).sliced(cut));
        reader.finish();
        EXPECT_EQ(budget.text(), whole) << cut;
    }
    // Long comments read in one pass end as short ones do.
    const QString dashes(100000, u'-');
    EXPECT_EQ(HtmlText::read(u"<!--"_s + dashes + u">a<!--"_s + QString(100000, u'x') + u"--!>b<!--"_s + dashes
                                 + u"x>c-->d"_s,
                             1000),
              u"abd"_s);
}

// Cut where a character boundary falls inside a surrogate pair (after Indic
// and Thai letters), or inside one character of endless combining marks: the
// text is still whole code points, and never longer than four code units a
// character.
TEST(HtmlText, TextsAreCutBetweenWholeCodePointsAndBounded)
{
    for (const QString &unit : {u"क😀"_s, u"ก😀"_s, u"बिल📄"_s, u"ที่📄"_s}) {
        const QString page = u"<p>"_s + unit.repeated(3000) + u"</p>"_s;
        for (int limit = 1; limit < 40; ++limit) {
            const QString text = HtmlText::read(page, limit);
            EXPECT_TRUE(isWholeCodePoints(text)) << limit;
            EXPECT_FALSE(text.isEmpty());
        }
        EXPECT_TRUE(isWholeCodePoints(TextExtractor::leftCharacters(unit.repeated(100), 77)));
    }
    const QString marks = u"a"_s + QString(1'000'000, QChar(0x0301));
    const QString read = HtmlText::read(marks, 20000);
    EXPECT_LE(read.size(), 4 * 20000);
    EXPECT_TRUE(read.startsWith(u"a\u0301"_s));
    TextBudget budget(10);
    budget.append(u"x"_s + QString(38, QChar(0x0301)) + u"😀😀"_s);
    EXPECT_EQ(budget.text().toStdString(), (u"x"_s + QString(38, QChar(0x0301))).toStdString()); // no half emoji
    const QTemporaryDir dir;
    ASSERT_TRUE(TestSupport::writeFile(dir.filePath(u"marks.txt"_s), marks.toUtf8()));
    EXPECT_LE(TextExtractor::text(dir.filePath(u"marks.txt"_s)).text.size(), 4 * TextExtractor::maxTextCharacters);
}

// Pages in the legacy character sets they declare, and an amount grouped
// with a narrow no-break space that the recognition reads right.
TEST(HtmlText, WebPagesAreDecodedInTheirDeclaredCharacterSet)
{
    const QTemporaryDir dir;
    const std::pair<QByteArray, QString> pages[] = {
        {"<html><head><meta charset=\"windows-1252\"></head><body><p>J\xfcrgen M\xfcller</p><p>Summe 12,34 \x80</p>",
         u"Jürgen Müller\nSumme 12,34 €\n"_s},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-15\"><p>Gr\xfc\xdf" "e 5 \xa4</p>",
         u"Grüße 5 €\n"_s},
        // ISO-8859-1 means windows-1252 on the web.
        {"<meta charset=iso-8859-1><p>\x84Zitat\x93 \x80</p>", u"„Zitat“ €\n"_s},
        {"<meta charset=\"utf-8\"><p>J\xc3\xbcrgen \xe2\x82\xac</p>", u"Jürgen €\n"_s},
        {"\xef\xbb\xbf<meta charset=windows-1252><p>J\xc3\xbcrgen</p>", u"Jürgen\n"_s},
        {"<p>ohne Angabe J\xc3\xbcrgen</p>", u"ohne Angabe Jürgen\n"_s},
        {"<meta charset=\"no-such-set\"><p>J\xc3\xbcrgen</p>", u"Jürgen\n"_s},
        // A page that names UTF-16 in ASCII is UTF-8; sets in which ASCII is
        // not itself are passed over for a later declaration.
        {"<meta charset=\"utf-32\"><p>J\xc3\xbcrgen 12,50 \xe2\x82\xac</p>", u"Jürgen 12,50 €\n"_s},
        {"<meta charset=ucs-2><p>J\xc3\xbcrgen</p>", u"Jürgen\n"_s},
        {"<meta charset=unicode><p>J\xc3\xbcrgen</p>", u"Jürgen\n"_s},
        {"<meta charset=ibm037><p>J\xc3\xbcrgen</p>", u"Jürgen\n"_s},
        {"<meta charset=\"utf-32\"><meta charset=\"windows-1252\"><p>M\xfcller</p>", u"Müller\n"_s},
        {"<meta charset=cp037><meta charset=\"utf-16\"><meta charset=\"windows-1252\"><p>J\xc3\xbcrgen</p>", u"Jürgen\n"_s},
    };
    int i = 0;
    for (const auto &[bytes, text] : pages) {
        const QString path = dir.filePath(QStringLiteral("page%1.html").arg(++i));
        ASSERT_TRUE(TestSupport::writeFile(path, bytes));
        EXPECT_EQ(TextExtractor::text(path).text, text) << bytes.toStdString();
    }
    // A long page: the declaration is found at the start, the rest decoded alike.
    const QString path = dir.filePath(u"long.html"_s);
    ASSERT_TRUE(TestSupport::writeFile(path, "<meta charset=windows-1252>" + QByteArray("<p>M\xfcller</p>").repeated(20000)));
    EXPECT_EQ(TextExtractor::text(path).text, u"Müller\n"_s.repeated(20000).left(TextExtractor::maxTextCharacters));

    const QString invoice = HtmlText::read(u"<p>Rechnung</p><p>Gesamtbetrag: 1\u202F234,56\u00A0€</p>"_s, 1000);
    const PatternReader::Result read = PatternReader::read(invoice);
    ASSERT_TRUE(read.total);
    EXPECT_EQ(read.total->amount, *Decimal::fromString(u"1234.56")) << invoice.toStdString();
}

namespace {

// The text of a page whose bytes come in two pieces, cut where asked.
QString textInTwoPieces(QByteArrayView page, qsizetype cut)
{
    TextBudget budget(1000);
    HtmlText reader(budget);
    HtmlDecoder decoder(page);
    reader.feed(decoder.decode(page.first(cut)));
    reader.feed(decoder.decode(page.sliced(cut)));
    reader.feed(decoder.finish());
    reader.finish();
    return budget.text();
}

} // namespace

// A page that declares no character set (a receipt saved from a shop that
// names it only in the server's answer) is UTF-8 when its bytes are, else
// windows-1252: its umlauts reach the text and the recognised sender,
// however far down the first one stands and wherever the page is cut.
TEST(HtmlText, APageThatDeclaresNoCharacterSetIsUtf8WhenItsBytesAreElseWindows1252)
{
    const QByteArray receipt = "<html><body><p>B\xe4" "ckerei Sonnenschein e.K.</p><p>Hauptstra\xdf" "e 5, Musterstadt</p>"
                               "<p>Rechnung Nr. 4711 vom 14.06.2026</p><p>Gesamtbetrag: 12,50 \x80</p></body></html>";
    const QString text = u"Bäckerei Sonnenschein e.K.\nHauptstraße 5, Musterstadt\nRechnung Nr. 4711 vom 14.06.2026\n"
                         u"Gesamtbetrag: 12,50 €\n"_s;
    const QByteArray utf8 = QByteArray(receipt).replace("\xe4", "\xc3\xa4").replace("\xdf", "\xc3\x9f").replace("\x80", "\xe2\x82\xac");
    const QByteArray style = "<style>" + QByteArray("p { color: #333; }\n").repeated(3800) + "</style>";
    const QTemporaryDir dir;
    int i = 0;
    for (const QByteArray &page : {utf8, receipt, style + receipt, style + utf8}) {
        const QString path = dir.filePath(u"receipt%1.html"_s.arg(++i));
        ASSERT_TRUE(TestSupport::writeFile(path, page));
        EXPECT_EQ(TextExtractor::text(path).text, text) << i;
        EXPECT_EQ(Recognizer::recognize(path, false).sender, u"Bäckerei Sonnenschein e.K."_s) << i;
    }

    // Wherever the page is cut, the first piece that holds a byte above
    // 0x7F chooses, a UTF-8 character cut by its end not counting against
    // it; the start of a character alone waits for the next piece.
    const std::pair<QByteArray, QString> pages[] = {
        {"<p>B\xe4" "ckerei Gr\xfc\xdf" "e</p>", u"Bäckerei Grüße\n"_s},
        {"<p>B\xc3\xa4" "ckerei \xe2\x82\xac</p>", u"Bäckerei €\n"_s},
        {"<p>Gr\xfc\xdf" "e \xe2\x82\xac</p>", u"Grüße â‚¬\n"_s},
        // The page ends inside its only character above 0x7F: no UTF-8.
        {"<p>a</p>\xe2\x82", u"a\nâ‚"_s},
    };
    for (const auto &[page, expected] : pages) {
        for (qsizetype cut = 0; cut <= page.size(); ++cut)
            EXPECT_EQ(textInTwoPieces(page, cut).toStdString(), expected.toStdString()) << page.toStdString() << cut;
    }
    // Text already given is never read again: a page whose first piece was
    // UTF-8 stays so when a later one holds a byte that UTF-8 has not.
    EXPECT_EQ(textInTwoPieces("<p>B\xc3\xa4" "ckerei</p><p>M\xfc" "ller</p>", 17), u"Bäckerei\nM\uFFFDller\n"_s);
}

// A page's character set comes from its meta elements alone, found as a
// browser finds them: a "charset=" in another element's attribute, a
// script, a comment or other markup counts for nothing, nor does a
// declaration that the first 1024 bytes cut off.
TEST(HtmlText, OnlyAMetaElementDeclaresThePagesCharacterSet)
{
    const QTemporaryDir dir;
    int i = 0;
    for (const char *stray : {"<meta name=\"description\" content=\"charset=koi8-r explained\">",
                              "<script>var charset = \"windows-1252\";</script>", "<!-- charset=windows-1252 -->"}) {
        const QString path = dir.filePath(QStringLiteral("receipt%1.html").arg(++i));
        ASSERT_TRUE(TestSupport::writeFile(path, stray + QByteArray("<meta charset=\"utf-8\"><p>B\xc3\xa4" "ckerei 12,50 \xe2\x82\xac</p>")));
        EXPECT_EQ(TextExtractor::text(path).text, u"Bäckerei 12,50 €\n"_s) << stray;
    }

    const std::pair<QByteArray, const char *> starts[] = {
        {"<META HTTP-EQUIV=Content-Type CONTENT='text/html; Charset = \"KOI8-R\"'>", "koi8-r"},
        {"<meta content=\"text/html; charset=koi8-r\">", ""},
        {"<meta content=\"charset=koi8-r\" http-equiv=\"content-type\" charset=\" windows-1252 \">", "windows-1252"},
        {"<meta content='charset=\"koi8-r' http-equiv=content-type>", ""},
        {"<meta charset=\"no-such-set\" charset=\"windows-1252\">", ""},
        {"<meta/charset=koi8-r><meta charset=windows-1252>", "koi8-r windows-1252"},
        {"<p title=\"<meta charset=koi8-r>\"><metadata charset=koi8-r><meta charset=windows-1252>", "windows-1252"},
        {"</p charset=koi8-r><?x charset=koi8-r?><!x charset=koi8-r><!-- <meta charset=koi8-r> -->", ""},
        {"<!--><meta charset=koi8-r>", "koi8-r"},
        {QByteArray(1003, ' ') + "<meta charset=koi8-r>", "koi8-r"},
        {QByteArray(1004, ' ') + "<meta charset=koi8-r>", ""},
    };
    for (const auto &[start, labels] : starts)
        EXPECT_EQ(HtmlDecoder::declaredCharacterSets(start).join(' ').toStdString(), labels) << start.toStdString();
}

// A broken byte costs one U+FFFD and never the byte after it, wherever the
// page is cut into pieces, in every kind of character set; so a stray byte
// before a script can never turn the script into text.
TEST(HtmlText, ABrokenByteCostsOneReplacementCharacterWhereverThePageIsCut)
{
    const auto utf16 = [](const QString &text, bool littleEndian) {
        QByteArray bytes(littleEndian ? "\xFF\xFE" : "\xFE\xFF");
        for (const QChar c : text) {
            const char high = char(c.unicode() >> 8);
            const char low = char(c.unicode() & 0xFF);
            bytes.append(littleEndian ? low : high);
            bytes.append(littleEndian ? high : low);
        }
        return bytes;
    };
    const QString lone = u"<p>A\u00e9😀"_s + QChar(0xD800) + u"B"_s + QChar(0xDC00) + u"</p>"_s;
    const std::pair<QByteArray, QString> pages[] = {
        {"<meta charset=utf-8><p>Caf\xC3<script>geheim</script>Bar 12,50 \xE2\x82<b>EUR</b> \xF0\x9F\x98\x80 \xE2\x82\xAC</p>\xC3",
         u"Caf\uFFFDBar 12,50 \uFFFDEUR 😀 €\n\uFFFD"_s},
        {"\xEF\xBB\xBF<p>a\xC3\xA9\xE2\x82</p>", u"aé\uFFFD\n"_s},
        {utf16(lone, true) + "\x41", u"Aé😀\uFFFDB\uFFFD\n\uFFFD"_s},
        {utf16(lone, false), u"Aé😀\uFFFDB\uFFFD\n"_s},
        {"<meta charset=windows-1252><p>M\xFCller \x80</p>", u"Müller €\n"_s},
        {"<meta charset=shift_jis><p>\x82\xA0\x82<b>x</b></p>", u"\u3042\uFFFDx\n"_s},
    };
    for (const auto &[page, text] : pages) {
        for (qsizetype cut = 0; cut <= page.size(); ++cut)
            EXPECT_EQ(textInTwoPieces(page, cut).toStdString(), text.toStdString()) << cut;
    }

    // Through the reader of files, which hands a page on in pieces of 64 KiB:
    // the same text wherever that boundary falls.
    const QTemporaryDir dir;
    const QByteArray declaration = "<meta charset=utf-8>";
    const QByteArray probe = "<p>Caf\xC3<script>geheim</script>\xE2\x82\xAC 12,50 \xE2\x82<b>EUR</b></p>";
    for (qsizetype at = 0; at <= probe.size(); ++at) {
        const QByteArray padding = declaration + "<!--" + QByteArray(65536 - at - 7 - declaration.size(), 'x') + "-->";
        const QString path = dir.filePath(u"page%1.html"_s.arg(at));
        ASSERT_TRUE(TestSupport::writeFile(path, padding + probe));
        EXPECT_EQ(TextExtractor::text(path).text.toStdString(), u"Caf\uFFFD€ 12,50 \uFFFDEUR\n"_s.toStdString()) << at;
    }
}

// The legacy multi-byte sets decode as a browser decodes them: an ASCII byte
// after a lead byte that makes no character with it is kept, wherever the
// page is cut; the labels mean the sets that the Encoding Standard gives
// them; and a label it does not know is passed over like any unknown one.
TEST(HtmlText, LegacyMultiByteSetsDecodeAsABrowserDecodesThem)
{
    const std::pair<QByteArray, QString> pages[] = {
        {"<meta charset=shift_jis><p>Summe \x82" "ABC 12,50", u"Summe \uFFFDABC 12,50"_s},
        {"<meta charset=euc-kr><p>\xb1\xe8\x8c\x63</p>", u"김똠\n"_s},
        {"<meta charset=ks_c_5601-1987><p>\xb1\xe8\x8c\x63</p>", u"김똠\n"_s},
        {"<meta charset=gb2312><p>\xd5\xc5\x81\x40</p>", u"张丂\n"_s},
        {"<meta charset=gbk><p>\x81\x30 12,50 \x81" "A</p>", u"\uFFFD0 12,50 丄\n"_s},
        {"<meta charset=big5><p>\xa4\x40\x85" "B</p>", u"一\uFFFDB\n"_s},
        {"<meta charset=euc-jp><p>\xa4\xa2\xa4" "C</p>", u"あ\uFFFDC\n"_s},
    };
    for (const auto &[page, text] : pages) {
        for (qsizetype cut = 0; cut <= page.size(); ++cut)
            EXPECT_EQ(textInTwoPieces(page, cut).toStdString(), text.toStdString()) << page.toStdString() << cut;
    }

    // Every lead byte with every ASCII byte after it: the ASCII byte is
    // never lost in a broken sequence.
    for (const char *set : {"shift_jis", "euc-kr", "gbk", "gb18030", "big5", "euc-jp"}) {
        HtmlDecoder decoder("<meta charset=" + QByteArray(set) + ">");
        QByteArray pairs;
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (char ascii = 0x21; ascii < 0x7F; ++ascii)
                pairs.append(char(lead)).append(ascii).append('\n');
        }
        const QStringList decoded = (decoder.decode(pairs) + decoder.finish()).split(u'\n');
        ASSERT_EQ(decoded.size(), 128 * 94 + 1) << set;
        int kept = 0;
        for (qsizetype i = 0; i + 1 < decoded.size(); ++i) {
            const QList<uint> points = decoded[i].toUcs4();
            const uint ascii = uint(0x21 + i % 94);
            EXPECT_TRUE(!points.contains(0xFFFD) || points.constLast() == ascii) << set << " " << i / 94 + 0x80 << " " << ascii;
            kept += points == QList<uint>{0xFFFD, ascii};
        }
        EXPECT_GT(kept, 0) << set;
    }

    // Labels the Standard does not know are passed over, for a later one or
    // for UTF-8.
    const QTemporaryDir dir;
    int i = 0;
    for (const char *label : {"scsu", "cesu-8", "lmbcs-1", "iso-2022-cn", "x11-compound-text", "iscii-dev", "bocu-1", "utf-7"}) {
        const QString path = dir.filePath(QStringLiteral("label%1.html").arg(++i));
        ASSERT_TRUE(TestSupport::writeFile(path, "<meta charset=" + QByteArray(label) + "><p>J\xc3\xbcrgen 12,50 \xe2\x82\xac</p>"));
        EXPECT_EQ(TextExtractor::text(path).text, u"Jürgen 12,50 €\n"_s) << label;
        ASSERT_TRUE(TestSupport::writeFile(path, "<meta charset=" + QByteArray(label) + "><meta charset=windows-1252><p>M\xfcller</p>"));
        EXPECT_EQ(TextExtractor::text(path).text, u"Müller\n"_s) << label;
    }
}
