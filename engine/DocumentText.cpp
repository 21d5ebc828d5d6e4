#include "DocumentText.h"

#include "HtmlEncoding.h"
#include "HtmlText.h"
#include "OfficeXml.h"
#include "RtfText.h"
#include "TextBudget.h"

#include <QFile>
#include <QStringDecoder>

#include <zip.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>

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

// The body of a word-processing document: `paragraph` elements end a line;
// `text` elements carry the characters; tabs and breaks are kept.
class WordHandler : public OfficeXml::Handler
{
public:
    explicit WordHandler(TextBudget &budget) : m_budget(budget) {}

    void startElement(QByteArrayView name, const OfficeXml &) override
    {
        if (name == "w:t")
            m_inText = true;
        else if (name == "w:tab")
            m_budget.append(u'\t');
        else if (name == "w:br" || name == "w:cr")
            m_budget.append(u'\n');
    }
    void endElement(QByteArrayView name) override
    {
        if (name == "w:t")
            m_inText = false;
        else if (name == "w:p")
            m_budget.append(u'\n');
    }
    void characters(QStringView text) override
    {
        if (m_inText)
            m_budget.append(text);
    }

private:
    TextBudget &m_budget;
    bool m_inText = false;
};

// The body of an OpenDocument text: paragraphs and headings end a line;
// runs of spaces, tabs and line breaks are elements of their own.
class OpenDocumentHandler : public OfficeXml::Handler
{
public:
    explicit OpenDocumentHandler(TextBudget &budget) : m_budget(budget) {}

    void startElement(QByteArrayView name, const OfficeXml &reader) override
    {
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
        if (name == "office:text")
            m_inBody = std::max(0, m_inBody - 1);
        else if ((name == "text:p" || name == "text:h") && m_inParagraph > 0) {
            --m_inParagraph;
            if (m_inBody > 0)
                m_budget.append(u'\n');
        }
    }
    void characters(QStringView text) override
    {
        if (m_inBody > 0 && m_inParagraph > 0)
            m_budget.append(text);
    }

private:
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
