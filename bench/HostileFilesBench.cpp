// Reading hostile files of up to 64 MB (plain texts up to 100 MB), none of which needs text recognition:
// web pages that never close their elements or hold nothing but tags, office
// documents whose few kilobytes unpack into endless runs of spaces, one
// endless run of text, comment, attribute or processing instruction, endless
// nesting, endless attributes on one element, namespace declarations,
// nested alternatives, empty elements under many namespace declarations,
// one element of nothing but distinct namespace declarations,
// or runs of "&" and "]" (the reader goes no further than 16 MiB into their
// XML), web pages of broken characters or of nothing but comments, web pages
// in Shift_JIS and gb18030, PDFs and texts of endless lines, texts of
// endless combining marks or of NUL bytes, Hindi lines with Windows line
// ends, rich text nested without end,
// and a line of 100,000 characters full of dates. Every reading
// should take under a second and under 200 MB; "peakMB" is how far the
// process's peak resident memory rose during the reading, "fileMB" the size
// of the file on disk.
//
// Run: build/bench/bench_HostileFilesBench
#include "PatternReader.h"
#include "TestDocuments.h"
#include "TextExtractor.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

constexpr qsizetype megabyte = 1024 * 1024;

long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// Sets the peak resident memory back to what is resident now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The unit repeated to nearly `bytes`, leaving room for what goes around it.
QByteArray repeated(const QByteArray &unit, qsizetype bytes)
{
    return unit.repeated(std::max<qsizetype>(1, (bytes - 1024) / unit.size()));
}

// Runs the reading once per iteration and reports how far the peak resident
// memory rose above what was resident before it, at the most.
void measure(benchmark::State &state, const std::function<void()> &reading)
{
    long peak = 0;
    for (auto _ : state) {
        resetPeak();
        const long before = statusKilobytes("VmRSS:");
        reading();
        peak = std::max(peak, statusKilobytes("VmHWM:") - before);
    }
    state.counters["peakMB"] = double(peak) / 1024.0;
}

using Generator = std::function<QByteArray(qsizetype bytes)>;

// Writes the file the generator makes for the size in megabytes given as the
// benchmark's argument, then reads it over and over.
void readHostile(benchmark::State &state, const char *name, const Generator &generate)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8(name));
    qint64 fileSize = 0;
    {
        QFile file(path);
        const QByteArray bytes = generate(state.range(0) * megabyte);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            state.SkipWithError("could not write the file");
            return;
        }
        fileSize = bytes.size();
    }
    qsizetype characters = 0;
    measure(state, [&] {
        const TextExtractor::Output out = TextExtractor::text(path);
        characters = out.text.size();
        benchmark::DoNotOptimize(out.text.data());
    });
    state.counters["fileMB"] = double(fileSize) / double(megabyte);
    state.counters["chars"] = double(characters);
}

void BM_HtmlNestedUnclosed(benchmark::State &state)
{
    readHostile(state, "nested.html", [](qsizetype bytes) {
        return "<html><body>" + repeated("<div>", bytes) + "Rechnung 12,34 €";
    });
}

void BM_HtmlFlatText(benchmark::State &state)
{
    readHostile(state, "flat.html", [](qsizetype bytes) {
        return repeated("<p>Rechnung Nr. 4711 vom 05.03.2024, Gesamt 12,34 &euro;</p>\n", bytes);
    });
}

void BM_HtmlTagsWithoutText(benchmark::State &state)
{
    readHostile(state, "tags.html", [](qsizetype bytes) {
        return repeated("<span class=\"a\" title='b'></span>", bytes) + "Rechnung";
    });
}

void BM_HtmlOneComment(benchmark::State &state)
{
    readHostile(state, "comment.html", [](qsizetype bytes) {
        return "<!--" + repeated("- > -- ", bytes) + "-->Rechnung";
    });
}

void BM_OdtSpaceAmplification(benchmark::State &state)
{
    readHostile(state, "spaces.odt", [](qsizetype bytes) {
        return TestDocuments::odt("<text:p>" + repeated("<text:s text:c=\"1000\"/>", bytes) + "</text:p>");
    });
}

void BM_OdtElementsWithoutText(benchmark::State &state)
{
    readHostile(state, "empty.odt", [](qsizetype bytes) {
        return TestDocuments::odt(repeated("<text:soft-page-break/>", bytes) + "<text:p>Rechnung</text:p>");
    });
}

void BM_DocxOneEndlessRun(benchmark::State &state)
{
    readHostile(state, "run.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<w:p><w:r><w:t>" + repeated("Rechnung ", bytes) + "</w:t></w:r></w:p>");
    });
}

// Office documents whose text follows one endless comment, attribute value
// or processing instruction, elements nested without end, or one element of
// endless attributes: each unpacks to the size given from a few kilobytes.
const QByteArray officeInvoice = "<w:p><w:r><w:t>Rechnung 12,34</w:t></w:r></w:p>";

void BM_DocxLongComment(benchmark::State &state)
{
    readHostile(state, "comment.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<!-- " + repeated("- > -- ", bytes) + " -->" + officeInvoice);
    });
}

void BM_DocxLongAttribute(benchmark::State &state)
{
    readHostile(state, "attribute.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<w:r w:rsidR=\"" + repeated("a > b ", bytes) + "\"/>" + officeInvoice);
    });
}

void BM_DocxLongInstruction(benchmark::State &state)
{
    readHostile(state, "instruction.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<?mso " + repeated("a > b ? ", bytes) + "?>" + officeInvoice);
    });
}

void BM_DocxDeepNesting(benchmark::State &state)
{
    readHostile(state, "deep.docx", [](qsizetype bytes) {
        return TestDocuments::docx(repeated("<w:x>", bytes) + officeInvoice);
    });
}

void BM_DocxManyAttributes(benchmark::State &state)
{
    readHostile(state, "attributes.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<w:r" + repeated(" w:a=\"1\"", bytes) + "/>" + officeInvoice);
    });
}

void BM_OdtDeepNesting(benchmark::State &state)
{
    readHostile(state, "deep.odt", [](qsizetype bytes) {
        return TestDocuments::odt("<text:p>" + repeated("<text:span>", bytes) + "Rechnung 12,34</text:p>");
    });
}

// A document that declares many namespaces and then names its elements
// with a prefix it never declared, so that every name is looked up in vain;
// and alternatives nested without end.
void BM_DocxManyNamespaces(benchmark::State &state)
{
    readHostile(state, "namespaces.docx", [](qsizetype bytes) {
        QByteArray declarations;
        for (int i = 0; i < 2000; ++i)
            declarations += " xmlns:n" + QByteArray::number(i) + "=\"urn:n" + QByteArray::number(i) + "\"";
        return TestDocuments::docx("<w:x" + declarations + ">" + repeated("<q:x/>", bytes) + "</w:x>" + officeInvoice);
    });
}

void BM_DocxNestedAlternatives(benchmark::State &state)
{
    readHostile(state, "alternatives.docx", [](qsizetype bytes) {
        return TestDocuments::docx(repeated("<mc:AlternateContent><mc:Choice>", bytes) + officeInvoice);
    });
}

// Runs of "&" that start no reference, of "]" in CDATA and of "x&" in a
// paragraph outside its runs (or between the paragraphs of an OpenDocument
// text), each beside letters of the same size: reading them should cost
// about what reading the letters costs.
void BM_DocxAmpersands(benchmark::State &state)
{
    readHostile(state, "ampersands.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<w:p>" + repeated("&", bytes) + "</w:p>" + officeInvoice);
    });
}

void BM_DocxBrackets(benchmark::State &state)
{
    readHostile(state, "brackets.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<w:p><![CDATA[" + repeated("]", bytes) + "]]></w:p>" + officeInvoice);
    });
}

void BM_DocxLetters(benchmark::State &state)
{
    readHostile(state, "letters.docx", [](qsizetype bytes) {
        return TestDocuments::docx("<w:p>" + repeated("x", bytes) + "</w:p>" + officeInvoice);
    });
}

void BM_OdtAmpersands(benchmark::State &state)
{
    readHostile(state, "ampersands.odt", [](qsizetype bytes) {
        return TestDocuments::odt(repeated("x&", bytes) + "<text:p>Rechnung 12,34</text:p>");
    });
}

void BM_OdtLetters(benchmark::State &state)
{
    readHostile(state, "letters.odt", [](qsizetype bytes) {
        return TestDocuments::odt(repeated("xx", bytes) + "<text:p>Rechnung 12,34</text:p>");
    });
}

// Empty elements under a root that declares 20,000 namespaces, some of them
// declared again on the next element, named with the prefix declared first
// (the one that lies furthest from the innermost declaration): beside the
// letters of the same size, reading them should cost about the same. The
// namespaces are ones no reader looks for, or, in the last, the document's
// own, bound to 20,000 prefixes.
QByteArray declarations(int count, const QByteArray &name = {})
{
    QByteArray written;
    for (int i = 1; i <= count; ++i) {
        const QByteArray number = QByteArray::number(i);
        written += " xmlns:n" + number + "=\"" + (name.isEmpty() ? "urn:n" + number : name) + "\"";
    }
    return written;
}

const QByteArray wordMain = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

void BM_DocxElementsUnderManyNamespaces(benchmark::State &state)
{
    readHostile(state, "declaring.docx", [](qsizetype bytes) {
        return TestDocuments::deflatedZip(
            {{"word/document.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\"" + wordMain + "\""
                  + declarations(20000) + "><w:body" + declarations(32) + ">" + repeated("<w:x/>", bytes)
                  + "</w:body></w:document>"}});
    });
}

void BM_OdtElementsUnderManyNamespaces(benchmark::State &state)
{
    readHostile(state, "declaring.odt", [](qsizetype bytes) {
        return TestDocuments::deflatedZip(
            {{"mimetype", "application/vnd.oasis.opendocument.text"},
             {"content.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
              "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                  + declarations(20000) + "><office:body" + declarations(32) + "><office:text>"
                  + repeated("<text:x/>", bytes) + "</office:text></office:body></office:document-content>"}});
    });
}

void BM_DocxElementsUnderManyMainDeclarations(benchmark::State &state)
{
    readHostile(state, "main.docx", [](qsizetype bytes) {
        return TestDocuments::deflatedZip(
            {{"word/document.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\"" + wordMain + "\""
                  + declarations(20000, wordMain) + "><w:body" + declarations(32, "urn:other") + ">"
                  + repeated("<n1:x/>", bytes) + "</w:body></w:document>"}});
    });
}

// One element of nothing but distinct namespace declarations, each with a
// prefix of its own: some 900,000 in 16 MiB of a namespace no reader looks
// for, or some 260,000 of the one an OpenDocument text's reader looks for.
QByteArray distinctDeclarations(const QByteArray &start, const QByteArray &name, qsizetype bytes)
{
    QByteArray xml = start;
    for (int i = 0; xml.size() < bytes - 1024; ++i)
        xml += " xmlns:n" + QByteArray::number(i) + "=\"" + name + "\"";
    return xml;
}

void BM_DocxDistinctDeclarations(benchmark::State &state)
{
    readHostile(state, "distinct.docx", [](qsizetype bytes) {
        const QByteArray start = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\"" + wordMain + "\"";
        return TestDocuments::deflatedZip(
            {{"word/document.xml", distinctDeclarations(start, "u", bytes) + ">" + officeInvoice + "</w:document>"}});
    });
}

void BM_OdtDistinctTextDeclarations(benchmark::State &state)
{
    readHostile(state, "distinct.odt", [](qsizetype bytes) {
        const QByteArray start = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content";
        return TestDocuments::deflatedZip(
            {{"mimetype", "application/vnd.oasis.opendocument.text"},
             {"content.xml", distinctDeclarations(start, "urn:oasis:names:tc:opendocument:xmlns:text:1.0", bytes)
                                 + "><office:body><office:text><text:p>Rechnung 12,34</text:p></office:text>"
                                   "</office:body></office:document-content>"}});
    });
}

// Web pages of broken characters, and of nothing but comments of every kind.
void BM_HtmlBrokenCharacters(benchmark::State &state)
{
    readHostile(state, "broken.html", [](qsizetype bytes) {
        return repeated("<i>\xC3</i>\xE2\x82<b>\xF0\x9F</b>\xFF", bytes) + "Rechnung";
    });
}

// Web pages in legacy multi-byte sets, all decoded but held in one comment:
// characters, broken pairs and (in gb18030) four-byte sequences.
void BM_HtmlShiftJis(benchmark::State &state)
{
    readHostile(state, "shift_jis.html", [](qsizetype bytes) {
        return "<meta charset=shift_jis><!--"
            + repeated("<p>\x90\xBF\x8B\x81\x8F\x91 12,50 \x82\xA0\x82" "A\x81\xFD</p>", bytes) + "-->Rechnung";
    });
}

void BM_HtmlGb18030(benchmark::State &state)
{
    readHostile(state, "gb18030.html", [](qsizetype bytes) {
        return "<meta charset=gb18030><!--"
            + repeated("<p>\xB7\xA2\xC6\xB1 12,50 \x80 \x81\x30\x81\x30\x95\x32\x82\x36\x81" "A</p>", bytes)
            + "-->Rechnung";
    });
}

void BM_HtmlBogusComments(benchmark::State &state)
{
    readHostile(state, "bogus.html", [](qsizetype bytes) {
        return repeated("<?x><!--><!---></ x><!x><!-- --!>", bytes) + "Rechnung";
    });
}

// Three pages, each one line of text far wider than the page.
void BM_PdfEndlessLines(benchmark::State &state)
{
    readHostile(state, "endless.pdf", [](qsizetype bytes) {
        const QString line = QString::fromLatin1(repeated("Rechnung 12,34 EUR ", bytes / 3));
        return TestDocuments::textPdf({line, line, line}, true);
    });
}

// Three pages full of long lines of tiny text that all land on the page:
// a small file whose text layer is far longer than the text kept.
void BM_PdfFullPages(benchmark::State &state)
{
    readHostile(state, "full.pdf", [](qsizetype bytes) {
        const QString line = QString::fromLatin1(repeated("Rechnung 12,34 EUR ", 600));
        const QString page = QStringList(std::max<qsizetype>(1, bytes / 3 / line.size()), line).join(u'\n');
        return TestDocuments::textPdf({page, page, page}, true, 1.0);
    });
}

void BM_TextOneLine(benchmark::State &state)
{
    readHostile(state, "line.txt", [](qsizetype bytes) { return repeated("Rechnung 12,34 EUR ", bytes); });
}

// Hindi lines with Windows line ends, as an invoice saved there reads.
void BM_TextHindiLines(benchmark::State &state)
{
    readHostile(state, "hindi.txt", [](qsizetype bytes) {
        return repeated(QStringLiteral("क्रमांक श्रीमती क्षेत्र 12,50 €\r\n").toUtf8(), bytes);
    });
}

// Texts read to their bound rather than their 20,000th character: one
// character of endless combining marks, and nothing but NUL bytes.
void BM_TextEndlessMarks(benchmark::State &state)
{
    readHostile(state, "marks.txt", [](qsizetype bytes) { return "e" + repeated("\xCC\x81", bytes); });
}

void BM_TextNuls(benchmark::State &state)
{
    readHostile(state, "nuls.txt", [](qsizetype bytes) { return repeated(QByteArray(1, '\0'), bytes) + "Rechnung"; });
}

void BM_RtfNestedGroups(benchmark::State &state)
{
    readHostile(state, "nested.rtf", [](qsizetype bytes) { return "{\\rtf1 " + repeated("{", bytes) + "Rechnung"; });
}

void BM_RtfPlainText(benchmark::State &state)
{
    readHostile(state, "text.rtf", [](qsizetype bytes) {
        return "{\\rtf1\\ansi " + repeated("Rechnung \\'fc\\par ", bytes) + "}";
    });
}

// The pattern reader on a line of 100,000 characters that holds a date every
// eleven characters.
void BM_PatternReaderLineOfDates(benchmark::State &state)
{
    const QString text = QStringLiteral("Datum 05.03.2024 ").repeated(100000 / 17);
    measure(state, [&] {
        const PatternReader::Result result = PatternReader::read(text);
        benchmark::DoNotOptimize(result.date);
    });
}

} // namespace

#define HOSTILE(function) BENCHMARK(function)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(2)
HOSTILE(BM_HtmlNestedUnclosed);
HOSTILE(BM_HtmlFlatText);
HOSTILE(BM_HtmlTagsWithoutText);
HOSTILE(BM_HtmlOneComment);
HOSTILE(BM_OdtSpaceAmplification);
HOSTILE(BM_OdtElementsWithoutText);
HOSTILE(BM_DocxOneEndlessRun);
HOSTILE(BM_DocxLongComment);
HOSTILE(BM_DocxLongAttribute);
HOSTILE(BM_DocxLongInstruction);
HOSTILE(BM_DocxDeepNesting);
HOSTILE(BM_DocxManyAttributes);
HOSTILE(BM_OdtDeepNesting);
HOSTILE(BM_DocxManyNamespaces);
HOSTILE(BM_DocxNestedAlternatives);
// The reader goes no further than 16 MiB into an office document's XML.
#define OFFICE_RUN(function) BENCHMARK(function)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2)
OFFICE_RUN(BM_DocxAmpersands);
OFFICE_RUN(BM_DocxBrackets);
OFFICE_RUN(BM_DocxLetters);
OFFICE_RUN(BM_DocxElementsUnderManyNamespaces);
OFFICE_RUN(BM_OdtAmpersands);
OFFICE_RUN(BM_OdtLetters);
OFFICE_RUN(BM_OdtElementsUnderManyNamespaces);
OFFICE_RUN(BM_DocxElementsUnderManyMainDeclarations);
OFFICE_RUN(BM_DocxDistinctDeclarations);
OFFICE_RUN(BM_OdtDistinctTextDeclarations);
HOSTILE(BM_HtmlBrokenCharacters);
HOSTILE(BM_HtmlBogusComments);
HOSTILE(BM_HtmlShiftJis);
HOSTILE(BM_HtmlGb18030);
HOSTILE(BM_PdfEndlessLines);
BENCHMARK(BM_PdfFullPages)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2);
#define PLAIN_TEXT(function) BENCHMARK(function)->Arg(1)->Arg(16)->Arg(64)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(2)
PLAIN_TEXT(BM_TextOneLine);
PLAIN_TEXT(BM_TextHindiLines);
PLAIN_TEXT(BM_TextEndlessMarks);
PLAIN_TEXT(BM_TextNuls);
HOSTILE(BM_RtfNestedGroups);
HOSTILE(BM_RtfPlainText);
BENCHMARK(BM_PatternReaderLineOfDates)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    // Reading needs no graphical application, and gets none here.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
