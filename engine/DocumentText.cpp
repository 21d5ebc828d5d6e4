#include "DocumentText.h"

#include "HtmlEncoding.h"
#include "HtmlText.h"
#include "OfficeXml.h"
#include "RtfText.h"
#include "TextBudget.h"
#include "XmlNamespaces.h"

#include <QFile>

#include <zip.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace DocumentText {

namespace {

// No reader goes further into a file than this: more is no document anyone
// types.
constexpr qint64 maxInputBytes = 64 * 1024 * 1024;
// Nor into the XML of an office document: even a text formatted character by
// character has its first 20,000 characters within the first megabytes.
constexpr qint64 maxXmlBytes = 16 * 1024 * 1024;
constexpr qint64 chunkBytes = 64 * 1024;

// Reads up to `size` bytes into `buffer`; 0 at the end, less on failure.
using ReadFunction = std::function<qint64(char *buffer, qint64 size)>;

// Hands the input to `take` a chunk at a time until it ends, the budget is
// full or `maxInputBytes` have been read.
void forEachChunk(const ReadFunction &read, const TextBudget &budget, const std::function<void(QByteArrayView)> &take)
{
    QByteArray buffer(chunkBytes, Qt::Uninitialized);
    qint64 total = 0;
    while (!budget.isFull() && total < maxInputBytes) {
        const qint64 got = read(buffer.data(), std::min(chunkBytes, maxInputBytes - total));
        if (got <= 0)
            return;
        total += got;
        take(QByteArrayView(buffer.constData(), got));
    }
}

ReadFunction fileReader(QFile &file)
{
    return [&file](char *buffer, qint64 size) { return file.read(buffer, size); };
}

// One member of a ZIP archive, read as it is unpacked.
class ZipMember
{
public:
    ZipMember(const QString &archivePath, const char *memberName)
    {
        int error = 0;
        m_archive.reset(zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &error));
        if (m_archive)
            m_member.reset(zip_fopen(m_archive.get(), memberName, 0));
    }
    bool isOpen() const { return bool(m_member); }
    ReadFunction reader()
    {
        return [this](char *buffer, qint64 size) { return qint64(zip_fread(m_member.get(), buffer, zip_uint64_t(size))); };
    }

private:
    struct ArchiveCloser
    {
        void operator()(zip_t *archive) const { zip_discard(archive); }
    };
    struct MemberCloser
    {
        void operator()(zip_file_t *file) const { zip_fclose(file); }
    };
    std::unique_ptr<zip_t, ArchiveCloser> m_archive;
    std::unique_ptr<zip_file_t, MemberCloser> m_member;
};

// Streams the XML through the reader until it ends, the budget is full or
// `maxXmlBytes` have been read.
void readXml(const ReadFunction &read, const TextBudget &budget, OfficeXml::Handler &handler)
{
    OfficeXml reader(handler);
    QByteArray buffer(chunkBytes, Qt::Uninitialized);
    qint64 total = 0;
    while (!budget.isFull() && total < maxXmlBytes) {
        const qint64 got = read(buffer.data(), std::min(chunkBytes, maxXmlBytes - total));
        if (got <= 0)
            return;
        total += got;
        reader.feed(QByteArrayView(buffer.constData(), got));
    }
}

// An element's or attribute's name without its prefix, compared with the
// few short names a reader looks for without a call per comparison: an
// office document may hold millions of elements.
struct LocalName
{
    QByteArrayView bytes;

    template<std::size_t size>
    bool operator==(const char (&name)[size]) const
    {
        if (bytes.size() != qsizetype(size - 1))
            return false;
        for (std::size_t i = 0; i + 1 < size; ++i) {
            if (bytes[qsizetype(i)] != name[i])
                return false;
        }
        return true;
    }
};

// What the office readers keep of the element tree: how deep the reader
// stands, the namespaces in scope there, and the element whose content is
// skipped whole. A reader sees only the elements and text outside it.
template<typename Space>
class ScopedHandler : public OfficeXml::Handler
{
public:
    using Name = std::pair<Space, LocalName>;

    explicit ScopedHandler(XmlNamespaces<Space> namespaces) : m_namespaces(std::move(namespaces)) {}

    void namespaceDeclared(QByteArrayView prefix, QByteArrayView name) final
    {
        m_namespaces.declare(m_depth + 1, prefix, name);
    }
    void startElement(QByteArrayView name, const OfficeXml &reader) final
    {
        ++m_depth;
        if (m_skipFrom == 0)
            start(named(m_namespaces.element(name)), reader);
    }
    void endElement(QByteArrayView name) final
    {
        if (m_skipFrom == 0)
            end(named(m_namespaces.element(name)));
        else if (m_depth <= m_skipFrom)
            m_skipFrom = 0;
        m_depth = std::max(0, m_depth - 1);
        m_namespaces.leave(m_depth);
    }
    void characters(QStringView text) final
    {
        if (m_skipFrom == 0)
            textRead(text);
    }

protected:
    virtual void start(Name element, const OfficeXml &reader) = 0;
    virtual void end(Name element) = 0;
    virtual void textRead(QStringView text) = 0;

    // The depth of the element that started last, 1 for the root.
    int depth() const { return m_depth; }
    // Leaves out the content of the element that just started.
    void skipContent() { m_skipFrom = m_depth; }
    Name attribute(QByteArrayView name) const { return named(m_namespaces.attribute(name)); }

private:
    static Name named(std::pair<Space, QByteArrayView> resolved) { return {resolved.first, {resolved.second}}; }

    XmlNamespaces<Space> m_namespaces;
    int m_depth = 0;
    int m_skipFrom = 0; // the depth of the element whose content is skipped
};

// The namespaces of a word-processing document that its reader looks for;
// before any declaration, "w" and "mc" have their usual meaning.
enum class WordSpace { other, main, compatibility };

XmlNamespaces<WordSpace> wordNamespaces()
{
    return {{{"http://schemas.openxmlformats.org/wordprocessingml/2006/main", WordSpace::main},
             {"http://purl.oclc.org/ooxml/wordprocessingml/main", WordSpace::main},
             {"http://schemas.openxmlformats.org/markup-compatibility/2006", WordSpace::compatibility}},
            {{"w", WordSpace::main}, {"mc", WordSpace::compatibility}}};
}

// The body of a word-processing document: paragraphs end a line; text
// elements carry the characters; tabs in runs and breaks are kept. Content
// written twice for readers of different ages (a text box as a shape and
// again as a picture) is read once: the first of its alternatives.
class WordHandler : public ScopedHandler<WordSpace>
{
public:
    explicit WordHandler(TextBudget &budget) : ScopedHandler(wordNamespaces()), m_budget(budget) {}

private:
    // Nested alternatives deeper than this are skipped whole.
    static constexpr std::size_t maxAlternatives = 256;

    void start(Name element, const OfficeXml &) override
    {
        const auto [space, local] = element;
        if (space == WordSpace::compatibility) {
            if (local == "AlternateContent") {
                if (m_alternatives.size() >= maxAlternatives)
                    skipContent();
                else
                    m_alternatives.push_back({depth(), false});
            } else if ((local == "Choice" || local == "Fallback") && !m_alternatives.empty()
                       && m_alternatives.back().depth == depth() - 1) {
                if (m_alternatives.back().read)
                    skipContent();
                m_alternatives.back().read = true;
            }
            return;
        }
        if (space != WordSpace::main)
            return;
        if (local == "t")
            m_inText = true;
        else if (local == "r")
            ++m_inRun;
        else if (local == "tabs")
            ++m_inTabStops;
        else if (local == "tab" && m_inRun > 0 && m_inTabStops == 0)
            m_budget.append(u'\t');
        else if (local == "br" || local == "cr")
            m_budget.append(u'\n');
    }
    void end(Name element) override
    {
        const auto [space, local] = element;
        if (space == WordSpace::compatibility) {
            if (local == "AlternateContent" && !m_alternatives.empty() && m_alternatives.back().depth >= depth())
                m_alternatives.pop_back();
            return;
        }
        if (space != WordSpace::main)
            return;
        if (local == "t")
            m_inText = false;
        else if (local == "r")
            m_inRun = std::max(0, m_inRun - 1);
        else if (local == "tabs")
            m_inTabStops = std::max(0, m_inTabStops - 1);
        else if (local == "p")
            m_budget.append(u'\n');
    }
    void textRead(QStringView text) override
    {
        if (m_inText)
            m_budget.append(text);
    }

    struct Alternatives
    {
        int depth;         // of the element that holds them
        bool read = false; // one of them has been read
    };

    TextBudget &m_budget;
    std::vector<Alternatives> m_alternatives;
    int m_inRun = 0;
    int m_inTabStops = 0; // a paragraph's tab stops, which are no tabs
    bool m_inText = false;
};

// The namespaces of an OpenDocument text that its reader looks for; before
// any declaration, "office" and "text" have their usual meaning.
enum class OpenDocumentSpace { other, office, text };

XmlNamespaces<OpenDocumentSpace> openDocumentNamespaces()
{
    return {{{"urn:oasis:names:tc:opendocument:xmlns:office:1.0", OpenDocumentSpace::office},
             {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", OpenDocumentSpace::text}},
            {{"office", OpenDocumentSpace::office}, {"text", OpenDocumentSpace::text}}};
}

// The body of an OpenDocument text as it reads now: paragraphs and headings
// end a line; runs of spaces, tabs and line breaks are elements of their
// own; comments and the record of changes (with the text they deleted) are
// left out.
class OpenDocumentHandler : public ScopedHandler<OpenDocumentSpace>
{
public:
    explicit OpenDocumentHandler(TextBudget &budget) : ScopedHandler(openDocumentNamespaces()), m_budget(budget) {}

private:
    using Space = OpenDocumentSpace;

    void start(Name element, const OfficeXml &reader) override
    {
        const auto [space, local] = element;
        // A comment, with its author and date, is no text of the body; nor
        // is what a recorded change deleted, with the change's author and
        // date.
        if ((space == Space::office && local == "annotation") || (space == Space::text && local == "tracked-changes")) {
            skipContent();
            return;
        }
        if (space == Space::office && local == "text")
            ++m_inBody;
        else if (space != Space::text)
            return;
        else if (local == "p" || local == "h")
            ++m_inParagraph;
        else if (m_inBody == 0 || m_inParagraph == 0)
            return;
        else if (local == "s")
            m_budget.append(QString(spaces(reader), u' '));
        else if (local == "tab")
            m_budget.append(u'\t');
        else if (local == "line-break")
            m_budget.append(u'\n');
    }
    void end(Name element) override
    {
        const auto [space, local] = element;
        if (space == Space::office && local == "text") {
            m_inBody = std::max(0, m_inBody - 1);
        } else if (space == Space::text && (local == "p" || local == "h") && m_inParagraph > 0) {
            --m_inParagraph;
            if (m_inBody > 0)
                m_budget.append(u'\n');
        }
    }
    void textRead(QStringView text) override
    {
        if (m_inBody > 0 && m_inParagraph > 0)
            m_budget.append(text);
    }

    // The number of spaces that a run of spaces stands for: its count, one
    // when it has none.
    int spaces(const OfficeXml &reader) const
    {
        for (int i = 0; i < reader.attributeCount(); ++i) {
            const auto [space, local] = attribute(reader.attributeName(i));
            if (space == Space::text && local == "c") {
                bool ok = false;
                const int count = reader.attributeValue(i).toInt(&ok);
                return ok ? qBound(1, count, 1000) : 1;
            }
        }
        return 1;
    }

    TextBudget &m_budget;
    int m_inBody = 0;
    int m_inParagraph = 0;
};

template<typename Handler>
QString officeText(const QString &path, const char *member, int characters)
{
    TextBudget budget(characters);
    Handler handler(budget);
    ZipMember xml(path, member);
    if (xml.isOpen())
        readXml(xml.reader(), budget, handler);
    return budget.text();
}

QString htmlText(const QString &path, int characters)
{
    TextBudget budget(characters);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    HtmlText reader(budget);
    std::optional<HtmlDecoder> decoder;
    forEachChunk(fileReader(file), budget, [&](QByteArrayView chunk) {
        // The page says its encoding near its start, if at all.
        if (!decoder)
            decoder.emplace(chunk);
        reader.feed(decoder->decode(chunk));
    });
    if (decoder)
        reader.feed(decoder->finish());
    reader.finish();
    return budget.text();
}

QString rtfText(const QString &path, int characters)
{
    TextBudget budget(characters);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    RtfText reader(budget);
    forEachChunk(fileReader(file), budget, [&](QByteArrayView chunk) { reader.feed(chunk); });
    reader.finish();
    return budget.text();
}

} // namespace

char16_t windows1252(unsigned char byte)
{
    static constexpr std::array<char16_t, 32> high{
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte <= 0x9F)
        return high[byte - 0x80];
    return byte;
}

QString read(const QString &path, const QString &lowerExtension, int characters)
{
    if (lowerExtension == u"docx")
        return officeText<WordHandler>(path, "word/document.xml", characters);
    if (lowerExtension == u"odt")
        return officeText<OpenDocumentHandler>(path, "content.xml", characters);
    if (lowerExtension == u"rtf")
        return rtfText(path, characters);
    if (lowerExtension == u"html" || lowerExtension == u"htm")
        return htmlText(path, characters);
    // "doc", "rtfd" and "webarchive" have no reader here.
    return {};
}

} // namespace DocumentText
