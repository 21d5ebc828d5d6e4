#include "OfficeXml.h"
#include "PatternReader.h"
#include "TestDocuments.h"
#include "TestSupport.h"
#include "TextExtractor.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Writes down every event as text: "<name a=v>", "</name>", and the
// characters.
class Recorder : public OfficeXml::Handler
{
public:
    QString events;

    void startElement(QByteArrayView name, const OfficeXml &reader) override
    {
        events += u'<' + QString::fromUtf8(name);
        for (const char *attribute : {"a", "text:c", "w:val"}) {
            const QByteArrayView value = reader.attribute(attribute);
            if (!value.isEmpty())
                events += u' ' + QString::fromUtf8(attribute) + u'=' + QString::fromUtf8(value);
        }
        events += u'>';
    }
    void endElement(QByteArrayView name) override { events += u"</"_s + QString::fromUtf8(name) + u'>'; }
    void characters(QStringView text) override { events += text; }
};

QString eventsOf(QByteArrayView xml, qsizetype piece)
{
    Recorder recorder;
    OfficeXml reader(recorder);
    for (qsizetype i = 0; i < xml.size(); i += piece)
        reader.feed(xml.sliced(i, std::min(piece, xml.size() - i)));
    return recorder.events;
}

// The text of a document written with these bytes under that name.
QString documentText(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(TestSupport::writeFile(path, bytes)) << name;
    return TextExtractor::text(path).text;
}

// Declarations of that many namespaces that no reader looks for.
QByteArray otherDeclarations(int count)
{
    QByteArray declarations;
    for (int i = 0; i < count; ++i)
        declarations += " xmlns:n" + QByteArray::number(i) + "=\"urn:n" + QByteArray::number(i) + "\"";
    return declarations;
}

} // namespace

// Every kind of markup, fed whole and in pieces of every small size: the
// same events, whatever a piece splits.
TEST(OfficeXml, ReadsMarkupWhereverChunksSplitIt)
{
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE d [<!ENTITY x \"y>\">]>"
        "<w:p a='1>2' w:val=\"v\"><!-- a > b -- c ->--><w:t>Gr\xc3\xbc\xc3\x9f" "e &lt;&amp;&gt;&quot;&apos;&#8364;&#x20ac;"
        "&unknown; & x</w:t><w:tab/><w:br /><?pi a > b ? c?>"
        "<w:t><![CDATA[a<b]]]]]><![CDATA[]>]]></w:t ></w:p>";
    const QString expected =
        u"\n<w:p a=1>2 w:val=v><w:t>Grüße <&>\"'€€&unknown; & x</w:t><w:tab></w:tab><w:br></w:br><w:t>a<b]]]]></w:t></w:p>"_s;
    for (qsizetype piece : {qsizetype(xml.size()), qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(5), qsizetype(7)})
        EXPECT_EQ(eventsOf(xml, piece).toStdString(), expected.toStdString()) << piece;

    // Only the first attributes are kept, names and values cut: an element of
    // 100,000 attributes, a value of a megabyte.
    QByteArray many = "<text:s";
    for (int i = 0; i < 100000; ++i)
        many += " n" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + "\"";
    EXPECT_EQ(eventsOf(many + " text:c=\"3\"/>x", 4096), u"<text:s></text:s>x"_s);
    EXPECT_EQ(eventsOf("<text:s text:c=\"3\" " + many.sliced(7) + "/>x", 4096), u"<text:s text:c=3></text:s>x"_s);
    EXPECT_EQ(eventsOf("<e a=\"" + QByteArray(1 << 20, 'v') + "\">x</e>", 65536),
              u"<e a="_s + QString(OfficeXml::maxValueBytes, u'v') + u">x</e>"_s);
}

// Office documents whose text follows a comment, an attribute or a processing
// instruction of more than a megabyte, or elements nested far deeper than
// anyone writes: the text after them is read.
TEST(OfficeXml, TextAfterLongMarkupAndDeepNestingIsRead)
{
    const QTemporaryDir dir;
    const QByteArray invoice = "<w:p><w:r><w:t>Rechnung 12,34</w:t></w:r></w:p>";
    const QByteArray longRun = QByteArray("- > -- ? x ").repeated(110000); // 1.1 MiB
    const std::pair<const char *, QByteArray> documents[] = {
        {"comment.docx", TestDocuments::docx("<!-- " + longRun + " -->" + invoice)},
        {"attribute.docx", TestDocuments::docx("<w:r w:rsidR=\"" + longRun + "\"></w:r>" + invoice)},
        {"instruction.docx", TestDocuments::docx("<?mso " + longRun + " ?>" + invoice)},
        {"deep.docx", TestDocuments::docx(QByteArray("<w:x>").repeated(500000) + invoice + QByteArray("</w:x>").repeated(500000))},
        {"attributes.docx", TestDocuments::docx("<w:r" + QByteArray(" w:a=\"1\"").repeated(100000) + "/>" + invoice)},
    };
    for (const auto &[name, bytes] : documents) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(TestSupport::writeFile(path, bytes));
        EXPECT_EQ(TextExtractor::text(path).text, u"Rechnung 12,34\n"_s) << name;
    }
    const QString odt = dir.filePath(u"spaces.odt"_s);
    ASSERT_TRUE(TestSupport::writeFile(odt, TestDocuments::odt("<!-- " + longRun + " --><text:p>Summe<text:s text:c=\"3\"/>9,40</text:p>")));
    EXPECT_EQ(TextExtractor::text(odt).text, u"Summe   9,40\n"_s);
}

// A broken byte costs one U+FFFD and never the byte after it, wherever the
// input is cut: at the end of a run before the next element, before a
// reference, inside CDATA, and in the middle of a run.
TEST(OfficeXml, ABrokenByteCostsOneReplacementCharacterWhereverTheInputIsCut)
{
    const QByteArray xml = "<w:t>Caf\xC3</w:t></w:r><w:r><w:t>Bar 12,50 EUR</w:t>"
                           "<w:t>a\xE2\x82<w:x/>b\xF0\x9F\x98\x80" "c\xC3&amp;d\xE2\x82\xAC" "e<![CDATA[f\xC3]]>g\xC3\xC3\xA9</w:t>";
    const QString expected =
        u"<w:t>Caf\uFFFD</w:t></w:r><w:r><w:t>Bar 12,50 EUR</w:t><w:t>a\uFFFD<w:x></w:x>b😀c\uFFFD&d€ef\uFFFDg\uFFFDé</w:t>"_s;
    EXPECT_EQ(eventsOf(xml, xml.size()).toStdString(), expected.toStdString());
    EXPECT_EQ(eventsOf(xml, 1).toStdString(), expected.toStdString());
    for (qsizetype cut = 0; cut <= xml.size(); ++cut) {
        Recorder recorder;
        OfficeXml reader(recorder);
        reader.feed(xml.first(cut));
        reader.feed(xml.sliced(cut));
        EXPECT_EQ(recorder.events.toStdString(), expected.toStdString()) << cut;
    }

    const QTemporaryDir dir;
    const QString path = dir.filePath(u"cafe.docx"_s);
    ASSERT_TRUE(TestSupport::writeFile(
        path, TestDocuments::docx("<w:p><w:r><w:t>Caf\xC3</w:t></w:r><w:r><w:t>Bar 12,50 EUR</w:t></w:r></w:p>")));
    EXPECT_EQ(TextExtractor::text(path).text, u"Caf\uFFFDBar 12,50 EUR\n"_s);
}

// What a person reads in an office document, and nothing else: a comment in
// an OpenDocument text, with its author and date, is not part of the line it
// is anchored in; a text box written twice for readers of different ages
// comes out once; tab stops of a paragraph are no tabs; and the text is found
// whatever prefix the document gives its namespace.
TEST(OfficeXml, OfficeDocumentsGiveTheTextAPersonReads)
{
    const QTemporaryDir dir;

    const QString invoice = documentText(
        dir, "invoice.odt",
        TestDocuments::odt("<text:p>Rechnung Nr. 2024-117 vom 14.06.2024</text:p>"
                           "<text:p>Gesamtbetrag<office:annotation><dc:creator>Buchhaltung</dc:creator>"
                           "<dc:date>2024-06-30T09:12:00</dc:date><text:p>bitte bis 28.06.2024 zahlen</text:p>"
                           "</office:annotation>: 119,00 EUR</text:p>"));
    EXPECT_EQ(invoice, u"Rechnung Nr. 2024-117 vom 14.06.2024\nGesamtbetrag: 119,00 EUR\n"_s);
    const PatternReader::Result read = PatternReader::read(invoice);
    ASSERT_TRUE(read.total);
    EXPECT_EQ(read.total->amount, *Decimal::fromString(u"119.00"));

    const QByteArray box = "<w:p><w:r><w:t>Summe 12,50 EUR</w:t></w:r></w:p>";
    const QByteArray twice = "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wps:txbx><w:txbxContent>" + box
        + "</w:txbxContent></wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox><w:txbxContent>" + box
        + "</w:txbxContent></v:textbox></w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>";
    EXPECT_EQ(documentText(dir, "box.docx", TestDocuments::docx(twice + twice)), u"Summe 12,50 EUR\n\nSumme 12,50 EUR\n\n"_s);
    EXPECT_EQ(documentText(dir, "fallback.docx", TestDocuments::docx("<mc:AlternateContent><mc:Fallback>" + box
                                                          + "</mc:Fallback></mc:AlternateContent>" + box)),
              u"Summe 12,50 EUR\nSumme 12,50 EUR\n"_s);
    // One alternative inside another: each read once.
    const QByteArray nested = "<mc:AlternateContent><mc:Choice>" + twice + "</mc:Choice><mc:Fallback>" + twice
        + "</mc:Fallback></mc:AlternateContent>";
    EXPECT_EQ(documentText(dir, "nested.docx", TestDocuments::docx(nested)), u"Summe 12,50 EUR\n\n"_s);

    EXPECT_EQ(documentText(dir, "tabs.docx", TestDocuments::docx("<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"2880\"/>"
                                                      "<w:tab w:val=\"right\" w:pos=\"9000\"/></w:tabs></w:pPr>"
                                                      "<w:r><w:t>Versand</w:t></w:r><w:r><w:tab/><w:t>9,40</w:t></w:r></w:p>")),
              u"Versand\t9,40\n"_s);

    const QByteArray main = "\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    // Every declaration is followed: the main namespace declared after 126
    // others is read as when it comes first.
    const QByteArray manyDeclarations = otherDeclarations(126);
    const std::pair<const char *, QByteArray> prefixes[] = {
        {"ns0.docx", "<ns0:document xmlns:ns0=" + main + "><ns0:body><ns0:p><ns0:r><ns0:t>Rechnung 12,34</ns0:t></ns0:r>"
                     "</ns0:p></ns0:body></ns0:document>"},
        {"default.docx", "<document xmlns=" + main + "><body><p><r><t>Rechnung 12,34</t></r></p></body></document>"},
        {"late.docx", "<q:document" + manyDeclarations + " xmlns:q=" + main + "><q:body><q:p><q:r><q:t>Rechnung 12,34</q:t>"
                      "</q:r></q:p></q:body></q:document>"},
        // "w" made to mean something else, and only inside one element.
        {"other.docx", "<x:document xmlns:x=" + main + " xmlns:w=\"urn:other\"><x:body><w:p><w:r><w:t>nicht</w:t></w:r></w:p>"
                       "<x:p xmlns:x=\"urn:other\"><x:r><x:t>auch nicht</x:t></x:r></x:p>"
                       "<x:p><x:r><x:t>Rechnung 12,34</x:t></x:r></x:p></x:body></x:document>"},
        // "q" declared to mean what it already means, then something else
        // inside that: each meaning comes back as its element ends.
        {"again.docx", "<q:document xmlns:q=\"urn:other\"><q:body xmlns:q=" + main + "><q:p xmlns:q=" + main + ">"
                       "<q:r xmlns:q=\"urn:other\"><q:t>nicht</q:t></q:r><q:r><q:t>Rechnung 12,34</q:t></q:r></q:p></q:body>"
                       "<q:p><q:r><q:t>auch nicht</q:t></q:r></q:p></q:document>"},
    };
    for (const auto &[name, xml] : prefixes)
        EXPECT_EQ(documentText(dir, name, TestDocuments::deflatedZip({{"word/document.xml", xml}})), u"Rechnung 12,34\n"_s) << name;
}

// An OpenDocument text as it reads now: what a recorded change deleted, with
// the change's author and date, is left out; and the text is found by its
// namespaces, whatever prefixes the document binds them to.
TEST(OfficeXml, OpenDocumentTextsGiveTheirCurrentTextWhateverTheirPrefixes)
{
    const QTemporaryDir dir;

    const QString invoice = documentText(
        dir, "changes.odt",
        TestDocuments::odt("<text:tracked-changes text:track-changes=\"false\"><text:changed-region xml:id=\"ct1\" "
                           "text:id=\"ct1\"><text:deletion><office:change-info><dc:creator>Buchhaltung</dc:creator>"
                           "<dc:date>2024-06-30T09:12:00</dc:date></office:change-info>"
                           "<text:p>Gesamtbetrag: 999,00 EUR</text:p></text:deletion></text:changed-region>"
                           "</text:tracked-changes><text:p>Rechnung Nr. 2024-117</text:p>"
                           "<text:p><text:change text:change-id=\"ct1\"/>Gesamtbetrag: 119,00 EUR</text:p>"));
    EXPECT_EQ(invoice, u"Rechnung Nr. 2024-117\nGesamtbetrag: 119,00 EUR\n"_s);
    const PatternReader::Result read = PatternReader::read(invoice);
    ASSERT_TRUE(read.total);
    EXPECT_EQ(read.total->amount, *Decimal::fromString(u"119.00"));

    const QByteArray office = "\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"";
    const QByteArray text = "\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"";
    const auto content = [](const QByteArray &xml) {
        return TestDocuments::deflatedZip({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", xml}});
    };
    const QByteArray manyDeclarations = otherDeclarations(126);
    const std::pair<const char *, QByteArray> prefixes[] = {
        {"short.odt", "<o:document-content xmlns:o=" + office + " xmlns:t=" + text + "><o:body><o:text>"
                      "<t:p>Summe<t:s t:c=\"3\"/>9,40<t:tab/>EUR<o:annotation><t:p>nicht</t:p></o:annotation></t:p>"
                      "<t:tracked-changes><t:changed-region><t:deletion><t:p>nicht</t:p></t:deletion>"
                      "</t:changed-region></t:tracked-changes></o:text></o:body></o:document-content>"},
        // The text namespace as the default one; an attribute without a
        // prefix is in no namespace, so this run is one space.
        {"default.odt", "<office:document-content xmlns:office=" + office + "><office:body><office:text>"
                        "<p xmlns=" + text + ">Summe<s c=\"7\"/><s xmlns:x=" + text + " x:c=\"2\"/>9,40<tab/>EUR</p>"
                        "</office:text></office:body></office:document-content>"},
        // "text" made to mean something else, and only inside one element.
        // Both namespaces declared after 126 others.
        {"late.odt", "<o:document-content" + manyDeclarations + " xmlns:o=" + office + " xmlns:t=" + text
                         + "><o:body><o:text><t:p>Summe<t:s t:c=\"3\"/>9,40<t:tab/>EUR</t:p></o:text></o:body>"
                           "</o:document-content>"},
        {"other.odt", "<o:document-content xmlns:o=" + office + " xmlns:t=" + text + " xmlns:text=\"urn:other\">"
                      "<o:body><o:text><text:p>nicht</text:p><t:p xmlns:t=\"urn:other\">auch nicht</t:p>"
                      "<t:p>Summe<t:s t:c=\"3\"/>9,40<t:tab/>EUR</t:p></o:text></o:body></o:document-content>"},
    };
    for (const auto &[name, xml] : prefixes)
        EXPECT_EQ(documentText(dir, name, content(xml)), u"Summe   9,40\tEUR\n"_s) << name;
}

// Runs of "&" that start no reference and runs of "]" in CDATA are text as
// written, wherever the input is cut; NUL, which no XML holds, is dropped,
// and a reference to it is a character that cannot be shown.
TEST(OfficeXml, RunsOfAmpersandsAndBracketsAreTextAndNulIsDropped)
{
    const QByteArray xml = "<t>&&&a&&b;&& x&</t><t><![CDATA[]]]]]]>]]]x]]><![CDATA[a]]]b]]></t>"
                           "<t>&#00000008364;&#000000008364;&&amp;</t><t>a\0b&#0;c\0</t><t><![CDATA[\0]]></t>"
                           "<t>x&x&x&x&x&x&x&x&x&x&x&x&amp;x&lt;</t><u>x&x&x&x&x&x&x&x&x&x&x&x&x&x&x&x</u><t>;</t>"_ba;
    const QString expected = u"<t>&&&a&&b;&& x&</t><t>]]]]]]]x]]>a]]]b</t><t>€&#000000008364;&&</t><t>ab\uFFFDc</t><t></t>"
                             u"<t>x&x&x&x&x&x&x&x&x&x&x&x&x<</t><u>x&x&x&x&x&x&x&x&x&x&x&x&x&x&x&x</u><t>;</t>"_s;
    for (qsizetype piece : {qsizetype(xml.size()), qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(5), qsizetype(7)})
        EXPECT_EQ(eventsOf(xml, piece).toStdString(), expected.toStdString()) << piece;

    const QTemporaryDir dir;
    const QString docx = dir.filePath(u"nul.docx"_s);
    ASSERT_TRUE(TestSupport::writeFile(docx, TestDocuments::docx("<w:p><w:r><w:t>a\0b&#0;c</w:t></w:r></w:p>"_ba)));
    EXPECT_EQ(TextExtractor::text(docx).text, u"ab\uFFFDc\n"_s);
    const QString odt = dir.filePath(u"nul.odt"_s);
    ASSERT_TRUE(TestSupport::writeFile(odt, TestDocuments::odt("<text:p>a\0b&#0;c</text:p>"_ba)));
    EXPECT_EQ(TextExtractor::text(odt).text, u"ab\uFFFDc\n"_s);
}
