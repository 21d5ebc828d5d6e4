#include "DocumentText.h"

#include "HtmlEncoding.h"
#include "HtmlText.h"
#include "OfficeXml.h"
#include "RtfText.h"
#include "TextBudget.h"

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

// What the prefixes of a word-processing document's element names stand
// for, as far as its reader needs to know: each declaration holds until the
// element that made it ends. Before any declaration, "w" and "mc" have their
// usual meaning.
class WordNamespaces
{
public:
    enum class Space { other, main, compatibility };

    // A declaration of the element at that depth.
    void declare(int depth, QByteArrayView prefix, QByteArrayView name)
    {
        // A document that declares more than this is no document anyone
        // writes; later declarations are not followed.
        if (m_bindings.size() >= maxBindings)
            return;
        const Space space = name == mainName || name == strictMainName ? Space::main
            : name == compatibilityName                                 ? Space::compatibility
                                                                        : Space::other;
        m_bindings.push_back({prefix.toByteArray(), space, depth});
    }
    // The elements deeper than `depth` have ended.
    void leave(int depth)
    {
        while (!m_bindings.empty() && m_bindings.back().depth > depth)
            m_bindings.pop_back();
    }
    // The namespace and the local name of an element's name as written.
    std::pair<Space, QByteArrayView> resolve(QByteArrayView name) const
    {
        const qsizetype colon = name.indexOf(':');
        const QByteArrayView prefix = colon < 0 ? QByteArrayView() : name.first(colon);
        const QByteArrayView local = colon < 0 ? name : name.sliced(colon + 1);
        for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend(); ++binding) {
            if (binding->prefix == prefix)
                return {binding->space, local};
        }
        return {Space::other, local};
    }

private:
    static constexpr QByteArrayView mainName = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    static constexpr QByteArrayView strictMainName = "http://purl.oclc.org/ooxml/wordprocessingml/main";
    static constexpr QByteArrayView compatibilityName = "http://schemas.openxmlformats.org/markup-compatibility/2006";
    static constexpr std::size_t maxBindings = 128;

    struct Binding
    {
        QByteArray prefix;
        Space space;
        int depth;
    };
    std::vector<Binding> m_bindings{{"w", Space::main, 0}, {"mc", Space::compatibility, 0}};
};

// The body of a word-processing document: paragraphs end a line; text
// elements carry the characters; tabs in runs and breaks are kept. Content
// written twice for readers of different ages (a text box as a shape and
// again as a picture) is read once: the first of its alternatives.
class WordHandler : public OfficeXml::Handler
{
public:
    explicit WordHandler(TextBudget &budget) : m_budget(budget) {}

    void namespaceDeclared(QByteArrayView prefix, QByteArrayView name) override
    {
        m_namespaces.declare(m_depth + 1, prefix, name);
    }
    void startElement(QByteArrayView name, const OfficeXml &) override
    {
        ++m_depth;
        if (m_skipFrom > 0)
            return;
        const auto [space, local] = m_namespaces.resolve(name);
        if (space == WordNamespaces::Space::compatibility) {
            if (local == "AlternateContent") {
                if (m_alternatives.size() >= maxAlternatives)
                    m_skipFrom = m_depth;
                else
                    m_alternatives.push_back({m_depth, false});
            } else if ((local == "Choice" || local == "Fallback") && !m_alternatives.empty()
                       && m_alternatives.back().depth == m_depth - 1) {
                if (m_alternatives.back().read)
                    m_skipFrom = m_depth;
                m_alternatives.back().read = true;
            }
            return;
        }
        if (space != WordNamespaces::Space::main)
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
    void endElement(QByteArrayView name) override
    {
        if (m_skipFrom == 0)
            end(name);
        else if (m_depth <= m_skipFrom)
            m_skipFrom = 0;
        m_depth = std::max(0, m_depth - 1);
        m_namespaces.leave(m_depth);
    }
    void characters(QStringView text) override
    {
        if (m_inText && m_skipFrom == 0)
            m_budget.append(text);
    }

private:
    // Nested alternatives deeper than this are skipped whole.
    static constexpr std::size_t maxAlternatives = 256;

    void end(QByteArrayView name)
    {
        const auto [space, local] = m_namespaces.resolve(name);
        if (space == WordNamespaces::Space::compatibility) {
            if (local == "AlternateContent" && !m_alternatives.empty() && m_alternatives.back().depth >= m_depth)
                m_alternatives.pop_back();
            return;
        }
        if (space != WordNamespaces::Space::main)
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

    struct Alternatives
    {
        int depth;         // of the element that holds them
        bool read = false; // one of them has been read
    };

    TextBudget &m_budget;
    WordNamespaces m_namespaces;
    std::vector<Alternatives> m_alternatives;
    int m_depth = 0;
    int m_skipFrom = 0; // the depth of the element whose content is skipped
    int m_inRun = 0;
    int m_inTabStops = 0; // a paragraph's tab stops, which are no tabs
    bool m_inText = false;
};

// The body of an OpenDocument text: paragraphs and headings end a line;
// runs of spaces, tabs and line breaks are elements of their own; comments
// are left out.
class OpenDocumentHandler : public OfficeXml::Handler
{
public:
    explicit OpenDocumentHandler(TextBudget &budget) : m_budget(budget) {}

    void startElement(QByteArrayView name, const OfficeXml &reader) override
    {
        // A comment, with its author and date, is no text of the body.
        if (name == "office:annotation")
            ++m_inComment;
        if (m_inComment > 0)
            return;
        if (name == "office:text")
            ++m_inBody;
        else if (name == "text:p" || name == "text:h")
            ++m_inParagraph;
        else if (m_inBody == 0 || m_inParagraph == 0)
            return;
        else if (name == "text:s") {
            bool ok = false;
            const int count = reader.attribute("text:c").toInt(&ok);
            m_budget.append(QString(ok ? qBound(1, count, 1000) : 1, u' '));
        } else if (name == "text:tab")
            m_budget.append(u'\t');
        else if (name == "text:line-break")
            m_budget.append(u'\n');
    }
    void endElement(QByteArrayView name) override
    {
        if (name == "office:annotation")
            m_inComment = std::max(0, m_inComment - 1);
        else if (m_inComment > 0)
            return;
        else if (name == "office:text")
            m_inBody = std::max(0, m_inBody - 1);
        else if ((name == "text:p" || name == "text:h") && m_inParagraph > 0) {
            --m_inParagraph;
            if (m_inBody > 0)
                m_budget.append(u'\n');
        }
    }
    void characters(QStringView text) override
    {
        if (m_inBody > 0 && m_inParagraph > 0 && m_inComment == 0)
            m_budget.append(text);
    }

private:
    TextBudget &m_budget;
    int m_inBody = 0;
    int m_inParagraph = 0;
    int m_inComment = 0;
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
