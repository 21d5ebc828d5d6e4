#include "DocumentText.h"

#include "HtmlEncoding.h"
#include "HtmlText.h"
#include "RtfText.h"
#include "TextBudget.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

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
// The XML reader hands out a run of text only once it has read all of it, so
// an endless run would be held whole: runs are split by an empty comment
// after this many bytes (never inside a character or a reference).
constexpr qsizetype maxRunBytes = 1024 * 1024;
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

using TokenHandler = std::function<void(const QXmlStreamReader &, QXmlStreamReader::TokenType)>;

// Splits every run of characters between markup into runs of at most
// `maxRunBytes`, so that the reader hands each out as it goes. A run that long
// inside a tag or a comment is no XML the reader accepts anyway.
class RunSplitter
{
public:
    QByteArray operator()(QByteArrayView chunk)
    {
        QByteArray out;
        out.reserve(chunk.size() + 64);
        qsizetype from = 0;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            const char c = chunk[i];
            if (c == '<' || c == '>') {
                m_run = 0;
                m_inReference = false;
                continue;
            }
            if (m_run >= maxRunBytes && !m_inReference && (uchar(c) & 0xC0) != 0x80) {
                out.append(chunk.sliced(from, i - from));
                out.append("<!---->");
                from = i;
                m_run = 0;
            }
            ++m_run;
            if (c == '&')
                m_inReference = true;
            else if (c == ';')
                m_inReference = false;
        }
        out.append(chunk.sliced(from));
        return out;
    }

private:
    qsizetype m_run = 0;
    bool m_inReference = false;
};

// Streams XML through the handler, feeding the reader as it asks for more.
void readXml(const ReadFunction &read, const TextBudget &budget, const TokenHandler &handle)
{
    QXmlStreamReader reader;
    RunSplitter split;
    QByteArray buffer(chunkBytes, Qt::Uninitialized);
    qint64 total = 0;
    while (!budget.isFull()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndDocument)
            return;
        if (token != QXmlStreamReader::Invalid) {
            handle(reader, token);
            continue;
        }
        if (reader.error() != QXmlStreamReader::PrematureEndOfDocumentError || total >= maxXmlBytes)
            return;
        const qint64 got = read(buffer.data(), std::min(chunkBytes, maxXmlBytes - total));
        if (got <= 0)
            return;
        total += got;
        reader.addData(split(QByteArrayView(buffer.constData(), got)));
    }
}

// The body of a word-processing document: `paragraph` elements end a line;
// `text` elements carry the characters; tabs and breaks are kept.
TokenHandler wordHandler(TextBudget &budget)
{
    return [&budget, inText = false](const QXmlStreamReader &reader, QXmlStreamReader::TokenType token) mutable {
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"w:t")
                inText = true;
            else if (name == u"w:tab")
                budget.append(u'\t');
            else if (name == u"w:br" || name == u"w:cr")
                budget.append(u'\n');
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"w:t")
                inText = false;
            else if (name == u"w:p")
                budget.append(u'\n');
        } else if (token == QXmlStreamReader::Characters && inText) {
            budget.append(reader.text());
        }
    };
}

// The body of an OpenDocument text: paragraphs and headings end a line;
// runs of spaces, tabs and line breaks are elements of their own.
TokenHandler openDocumentHandler(TextBudget &budget)
{
    return [&budget, inBody = 0, inParagraph = 0](const QXmlStreamReader &reader,
                                                  QXmlStreamReader::TokenType token) mutable {
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"office:text")
                ++inBody;
            else if (name == u"text:p" || name == u"text:h")
                ++inParagraph;
            else if (inBody == 0 || inParagraph == 0)
                return;
            else if (name == u"text:s") {
                bool ok = false;
                const int count = reader.attributes().value(QStringLiteral("text:c")).toInt(&ok);
                budget.append(QString(ok ? qBound(1, count, 1000) : 1, u' '));
            } else if (name == u"text:tab")
                budget.append(u'\t');
            else if (name == u"text:line-break")
                budget.append(u'\n');
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"office:text")
                --inBody;
            else if ((name == u"text:p" || name == u"text:h") && inParagraph > 0) {
                --inParagraph;
                if (inBody > 0)
                    budget.append(u'\n');
            }
        } else if (token == QXmlStreamReader::Characters && inBody > 0 && inParagraph > 0) {
            budget.append(reader.text());
        }
    };
}

QString officeText(const QString &path, const char *member, int characters,
                   const std::function<TokenHandler(TextBudget &)> &handler)
{
    TextBudget budget(characters);
    ZipMember xml(path, member);
    if (xml.isOpen())
        readXml(xml.reader(), budget, handler(budget));
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
        return officeText(path, "word/document.xml", characters, wordHandler);
    if (lowerExtension == u"odt")
        return officeText(path, "content.xml", characters, openDocumentHandler);
    if (lowerExtension == u"rtf")
        return rtfText(path, characters);
    if (lowerExtension == u"html" || lowerExtension == u"htm")
        return htmlText(path, characters);
    // "doc", "rtfd" and "webarchive" have no reader here.
    return {};
}

} // namespace DocumentText
