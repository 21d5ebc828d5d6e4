#include "OfficeXml.h"
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
