#include "DocumentText.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextDocument>
#include <QXmlStreamReader>

#include <zip.h>

#include <array>
#include <memory>

namespace DocumentText {

namespace {

// Office archives hold their text in one XML member; more than this is no
// document anyone types and is not unpacked.
constexpr qint64 maxXmlBytes = 64 * 1024 * 1024;
constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFileBytes)
        return {};
    return file.readAll();
}

struct ZipCloser
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
struct ZipFileCloser
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

// Text of the XML elements of an office document: `paragraph` elements end a
// line; `text` elements (docx) carry the characters; tabs and breaks are kept.
QString wordText(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    QString out;
    bool inText = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"w:t")
                inText = true;
            else if (name == u"w:tab")
                out += u'\t';
            else if (name == u"w:br" || name == u"w:cr")
                out += u'\n';
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"w:t")
                inText = false;
            else if (name == u"w:p")
                out += u'\n';
        } else if (token == QXmlStreamReader::Characters && inText) {
            out += reader.text();
        }
    }
    return out;
}

QString openDocumentText(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    QString out;
    int inBody = 0;      // depth inside office:text
    int inParagraph = 0; // depth inside text:p and text:h
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"office:text")
                ++inBody;
            else if (name == u"text:p" || name == u"text:h")
                ++inParagraph;
            else if (name == u"text:s") {
                bool ok = false;
                const int count = reader.attributes().value(QStringLiteral("text:c")).toInt(&ok);
                out += QString(ok ? qBound(1, count, 1000) : 1, u' ');
            } else if (name == u"text:tab")
                out += u'\t';
            else if (name == u"text:line-break")
                out += u'\n';
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = reader.qualifiedName();
            if (name == u"office:text")
                --inBody;
            else if ((name == u"text:p" || name == u"text:h") && inParagraph > 0) {
                --inParagraph;
                if (inBody > 0)
                    out += u'\n';
            }
        } else if (token == QXmlStreamReader::Characters && inBody > 0 && inParagraph > 0) {
            out += reader.text();
        }
    }
    return out;
}

// Characters 0x80 to 0x9F of Windows-1252, the usual code page of rich text.
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

} // namespace

QString fromHtml(const QByteArray &data)
{
    const QStringConverter::Encoding encoding =
        QStringConverter::encodingForHtml(data).value_or(QStringConverter::Utf8);
    QStringDecoder decoder(encoding);
    const QString html = decoder.decode(data);
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QString fromRtf(const QByteArray &data)
{
    // A small reader: groups, control words and hex escapes. Destinations
    // (font tables, styles, pictures, "\*" groups ...) are skipped.
    struct Group
    {
        bool skip = false;
        int unicodeSkip = 1;
    };
    QList<Group> stack{Group{}};
    QString out;
    int pendingSkip = 0; // fallback characters still to drop after "\u"
    const qsizetype n = data.size();
    qsizetype i = 0;
    if (!data.startsWith("{\\rtf"))
        return {};
    auto emit = [&](QChar c) {
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (!stack.last().skip)
            out += c;
    };
    static const QList<QByteArray> destinations{
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "headerl", "headerr",
        "footerl", "footerr", "footnote", "object", "fldinst", "themedata", "colorschememapping",
        "latentstyles", "datastore", "xmlnstbl", "listtable", "listoverridetable", "rsidtbl",
        "generator", "filetbl", "revtbl", "pgdsctbl", "bkmkstart", "bkmkend"};
    while (i < n) {
        const char c = data[i];
        if (c == '{') {
            stack.append(stack.last());
            ++i;
        } else if (c == '}') {
            if (stack.size() > 1)
                stack.removeLast();
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i >= n)
                break;
            const char next = data[i];
            if (next == '\'') {
                bool ok = false;
                const int value = data.mid(i + 1, 2).toInt(&ok, 16);
                i += 3;
                if (ok)
                    emit(QChar(windows1252(static_cast<unsigned char>(value))));
            } else if (next == '*') {
                stack.last().skip = true;
                ++i;
            } else if (next == '\\' || next == '{' || next == '}') {
                emit(QLatin1Char(next));
                ++i;
            } else if (next == '~') {
                emit(QChar(0x00A0));
                ++i;
            } else if (next == '\n' || next == '\r') {
                emit(u'\n');
                ++i;
            } else if (QChar::isLetter(uchar(next))) {
                qsizetype start = i;
                while (i < n && QChar::isLetter(uchar(data[i])))
                    ++i;
                const QByteArray word = data.mid(start, i - start);
                qsizetype numberStart = i;
                if (i < n && data[i] == '-')
                    ++i;
                while (i < n && data[i] >= '0' && data[i] <= '9')
                    ++i;
                bool hasNumber = i > numberStart;
                const int number = hasNumber ? data.mid(numberStart, i - numberStart).toInt() : 0;
                if (i < n && data[i] == ' ')
                    ++i; // the delimiter belongs to the control word
                if (destinations.contains(word)) {
                    stack.last().skip = true;
                } else if (word == "par" || word == "line" || word == "row") {
                    emit(u'\n');
                } else if (word == "tab" || word == "cell") {
                    emit(u'\t');
                } else if (word == "uc" && hasNumber) {
                    stack.last().unicodeSkip = qBound(0, number, 8);
                } else if (word == "u" && hasNumber) {
                    const char16_t unit = static_cast<char16_t>(number < 0 ? number + 65536 : number);
                    emit(QChar(unit));
                    pendingSkip = stack.last().unicodeSkip;
                } else if (word == "emdash") {
                    emit(QChar(0x2014));
                } else if (word == "endash") {
                    emit(QChar(0x2013));
                } else if (word == "bullet") {
                    emit(QChar(0x2022));
                } else if (word == "lquote" || word == "rquote") {
                    emit(QChar(word == "lquote" ? 0x2018 : 0x2019));
                } else if (word == "ldblquote" || word == "rdblquote") {
                    emit(QChar(word == "ldblquote" ? 0x201C : 0x201D));
                }
            } else {
                ++i; // other control symbols carry no text
            }
        } else if (c == '\n' || c == '\r') {
            ++i; // line breaks in the source are not text
        } else {
            emit(QChar(windows1252(static_cast<unsigned char>(c))));
            ++i;
        }
    }
    return out;
}

QByteArray zipMember(const QString &archivePath, const char *memberName, qint64 limit)
{
    int error = 0;
    const std::unique_ptr<zip_t, ZipCloser> archive(
        zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &error));
    if (!archive)
        return {};
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive.get(), memberName, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)
        || stat.size > quint64(limit))
        return {};
    const std::unique_ptr<zip_file_t, ZipFileCloser> member(zip_fopen(archive.get(), memberName, 0));
    if (!member)
        return {};
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const zip_int64_t got = zip_fread(member.get(), bytes.data() + done, zip_uint64_t(bytes.size() - done));
        if (got <= 0)
            return {};
        done += got;
    }
    return bytes;
}

QString fromDocx(const QString &path)
{
    return wordText(zipMember(path, "word/document.xml", maxXmlBytes));
}

QString fromOdt(const QString &path)
{
    return openDocumentText(zipMember(path, "content.xml", maxXmlBytes));
}

QString read(const QString &path, const QString &lowerExtension)
{
    if (lowerExtension == u"docx")
        return fromDocx(path);
    if (lowerExtension == u"odt")
        return fromOdt(path);
    if (lowerExtension == u"rtf")
        return fromRtf(readFileBytes(path));
    if (lowerExtension == u"html" || lowerExtension == u"htm")
        return fromHtml(readFileBytes(path));
    // "doc", "rtfd" and "webarchive" have no reader here.
    return {};
}

} // namespace DocumentText
