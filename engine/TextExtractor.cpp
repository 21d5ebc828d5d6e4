#include "TextExtractor.h"

#include "DocumentText.h"
#include "Graphemes.h"
#include "TextBudget.h"
#include "TextRecognizer.h"
#include "Utf8Reading.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QStringDecoder>

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

#include <cmath>
#include <memory>

namespace TextExtractor {

namespace {

// Plain text is read in pieces of this many bytes until its first
// `maxTextCharacters` characters are whole: the first piece holds them in
// most texts, at four bytes a character.
constexpr qint64 plainPieceBytes = qint64(maxTextCharacters) * 4;
// And never further than this: the bytes of UTF-8 that fill the budget's
// bound of code units at the most (three bytes a unit), were it not for NUL
// bytes, which are dropped.
constexpr qint64 maxPlainBytes = qint64(maxTextCharacters) * TextBudget::unitsPerCharacter * 3;
// A rendered page is never larger than this on its longer side, whatever its
// media box says.
constexpr double maxRenderedSide = 8000.0;

QMimeType typeForExtension(const QString &lowerExtension)
{
    static const QMimeDatabase database;
    if (!lowerExtension.isEmpty()) {
        const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("x.") + lowerExtension);
        if (!types.isEmpty())
            return types.first();
    }
    return database.mimeTypeForName(QStringLiteral("application/octet-stream"));
}

bool conformsTo(const QMimeType &type, const QString &name)
{
    return type.isValid() && (type.name() == name || type.inherits(name));
}

bool isImageType(const QMimeType &type)
{
    return type.isValid() && (type.name().startsWith(QLatin1String("image/")) || type.inherits(QStringLiteral("image/x-generic")));
}

// poppler writes ligatures as the single characters of the presentation forms;
// the patterns look for the letters.
QString expandLigatures(QString text)
{
    static const std::pair<char16_t, const char16_t *> ligatures[] = {
        {0xFB00, u"ff"}, {0xFB01, u"fi"}, {0xFB02, u"fl"}, {0xFB03, u"ffi"},
        {0xFB04, u"ffl"}, {0xFB05, u"st"}, {0xFB06, u"st"}};
    for (const auto &[ligature, letters] : ligatures)
        text.replace(QChar(ligature), QString::fromUtf16(letters));
    return text;
}

void quietPoppler()
{
    static const bool once = [] {
        poppler::set_debug_error_function([](const std::string &, void *) {}, nullptr);
        return true;
    }();
    Q_UNUSED(once);
}

QString fromUstring(const poppler::ustring &text)
{
    const poppler::byte_array utf8 = text.to_utf8();
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QImage toQImage(const poppler::image &image)
{
    if (!image.is_valid())
        return {};
    QImage::Format format = QImage::Format_Invalid;
    switch (image.format()) {
    case poppler::image::format_gray8:
        format = QImage::Format_Grayscale8;
        break;
    case poppler::image::format_rgb24:
        format = QImage::Format_RGB888;
        break;
    case poppler::image::format_argb32:
        format = QImage::Format_ARGB32;
        break;
    default:
        return {};
    }
    // Copy, since the poppler image owns the pixels.
    return QImage(reinterpret_cast<const uchar *>(image.const_data()), image.width(), image.height(),
                  image.bytes_per_row(), format)
        .copy();
}

// NUL is no character of a text: it would end the text wherever it goes
// on as a C string.
void appendText(TextBudget &budget, QString text)
{
    text.remove(QChar(0));
    budget.append(text);
}

// A plain text file read in pieces, no further than maxPlainBytes.
class PlainPieces
{
public:
    explicit PlainPieces(const QString &path) : m_file(path) { m_ended = !m_file.open(QIODevice::ReadOnly); }

    // The next piece; empty once the file or the bound has been reached.
    QByteArray next()
    {
        if (m_ended)
            return {};
        QByteArray piece = m_file.read(std::min(plainPieceBytes, maxPlainBytes - m_read));
        m_read += piece.size();
        m_ended = piece.isEmpty() || m_file.atEnd() || m_read >= maxPlainBytes;
        return piece;
    }
    bool ended() const { return m_ended; }
    // Whether the last piece ends where the file does (and not at the bound).
    bool atFileEnd() const { return m_file.atEnd() || m_read < maxPlainBytes; }

private:
    QFile m_file;
    qint64 m_read = 0;
    bool m_ended = false;
};

// The first characters of a plain text file, read as UTF-8 when the bytes
// of those characters are UTF-8 and as Latin-1 otherwise. The file is read
// only until they are whole, however many bytes they take, and never further
// than the budget's bound of code units needs. What is read after them only
// ends the last of them: a byte there that is no UTF-8 ends it as the end of
// the file would.
QString readPlainText(const QString &path)
{
    PlainPieces pieces(path);
    // Every piece is decoded as it stands: QString::fromUtf8 would drop a
    // U+FEFF that begins any of them.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QByteArray bytes; // everything read, should the text be Latin-1
    qsizetype decoded = 0;
    TextBudget utf8Text(maxTextCharacters);
    while (!utf8Text.isFull() && !pieces.ended()) {
        bytes += pieces.next();
        const QByteArrayView fresh = QByteArrayView(bytes).sliced(decoded);
        qsizetype readable = fresh.size();
        const Utf8Reading reading = readAsUtf8(fresh, readable);
        // A character cut short at the end of the file is no UTF-8; one cut
        // where reading stopped is read with the next piece, or dropped.
        const bool ended = reading == Utf8Reading::broken
            || (reading == Utf8Reading::cutAtEnd && pieces.ended() && pieces.atFileEnd());
        QString text = utf8(fresh.first(readable));
        // Only a byte-order mark that opens the file is a signature; any
        // other U+FEFF is a character of the text.
        if (decoded == 0 && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        decoded += readable;
        appendText(utf8Text, std::move(text));
        if (!ended || utf8Text.isFull())
            continue;
        utf8Text.finish();
        if (utf8Text.isFull())
            break;
        TextBudget latin1Text(maxTextCharacters);
        appendText(latin1Text, QString::fromLatin1(bytes));
        while (!latin1Text.isFull() && !pieces.ended())
            appendText(latin1Text, QString::fromLatin1(pieces.next()));
        return latin1Text.text();
    }
    return utf8Text.text();
}

} // namespace

const QStringList &plainTextExtensions()
{
    static const QStringList extensions{QStringLiteral("md"), QStringLiteral("markdown"), QStringLiteral("csv")};
    return extensions;
}

const QStringList &documentExtensions()
{
    static const QStringList extensions{QStringLiteral("docx"), QStringLiteral("rtf"), QStringLiteral("rtfd"),
                                        QStringLiteral("doc"),  QStringLiteral("odt"), QStringLiteral("html"),
                                        QStringLiteral("webarchive")};
    return extensions;
}

int letterCount(const QString &text)
{
    int letters = 0;
    for (const char32_t code : QStringView(text).toUcs4())
        if (QChar::isLetter(code))
            ++letters;
    return letters;
}

QString leftCharacters(const QString &text, int count)
{
    return Graphemes::left(text, count);
}

QImage loadImage(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize declared = reader.size();
    if (declared.isValid()) {
        if (qint64(declared.width()) * declared.height() > maxDeclaredImagePixels)
            return {};
        const int longer = std::max(declared.width(), declared.height());
        if (longer > maxImagePixels)
            reader.setScaledSize(declared.scaled(maxImagePixels, maxImagePixels, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // Formats that cannot tell their size before decoding are reduced afterwards.
    if (std::max(image.width(), image.height()) > maxImagePixels)
        image = image.scaled(maxImagePixels, maxImagePixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

Output pdfText(const QString &path, std::stop_token stop)
{
    quietPoppler();
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return {};
    probe.close();
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(QFile::encodeName(path).toStdString()));
    if (!document || document->is_locked())
        return {};
    const int pages = std::min(document->pages(), maxPdfPages);

    // The text layer is cut to the same length as any other text.
    TextBudget layer(maxTextCharacters);
    for (int index = 0; index < pages && !layer.isFull(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (page)
            layer.append(expandLigatures(fromUstring(page->text(poppler::rectf(), poppler::page::physical_layout))));
        layer.append(u'\n');
    }
    const QString text = layer.text();
    if (letterCount(text) >= minPdfLetters)
        return {text, false};

    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_paper_color(0xFFFFFFFF);
    QString recognised;
    for (int index = 0; index < pages && !stop.stop_requested(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        const poppler::rectf box = page->page_rect(poppler::media_box);
        const double width = box.width() * renderScale;
        const double height = box.height() * renderScale;
        if (!std::isfinite(width) || !std::isfinite(height) || width < 1.0 || height < 1.0)
            continue;
        // A page of absurd size is rendered smaller rather than not at all.
        const double shrink = std::min(1.0, maxRenderedSide / std::max(width, height));
        const double dotsPerInch = 72.0 * renderScale * shrink;
        const QImage image = toQImage(renderer.render_page(page.get(), dotsPerInch, dotsPerInch));
        if (image.isNull())
            continue;
        recognised += TextRecognizer::recognize(image, int(std::lround(dotsPerInch)), stop);
        recognised += u'\n';
    }
    return {recognised, true};
}

Output text(const QString &path, std::stop_token stop)
{
    // Only regular files: reading a named pipe or a device could wait forever.
    if (!QFileInfo(path).isFile())
        return {};
    const QString extension = QFileInfo(path).suffix().toLower();
    const QMimeType type = typeForExtension(extension);
    if (conformsTo(type, QStringLiteral("application/pdf")))
        return pdfText(path, std::move(stop));
    if (isImageType(type)) {
        const QImage image = loadImage(path);
        if (image.isNull())
            return {};
        return {TextRecognizer::recognize(image, 0, std::move(stop)), true};
    }
    // Web pages and rich text count as plain text to the MIME database; they
    // go to their readers instead.
    if (documentExtensions().contains(extension) || conformsTo(type, QStringLiteral("text/html")))
        return {DocumentText::read(path, extension == u"htm" ? QStringLiteral("html") : extension, maxTextCharacters),
                false};
    if (conformsTo(type, QStringLiteral("text/plain")) || plainTextExtensions().contains(extension))
        return {readPlainText(path), false};
    return {};
}

const QStringList &screenshotPrefixes()
{
    static const QStringList prefixes{
        QStringLiteral("screenshot"), QStringLiteral("bildschirmfoto"), QStringLiteral("screen shot"),
        QStringLiteral("capture d\u2019\u00e9cran"), QStringLiteral("captura de pantalla")};
    return prefixes;
}

bool isScreenshot(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return false;
    static const QMimeDatabase mimeDatabase;
    const QList<QMimeType> types = mimeDatabase.mimeTypesForFileName(QStringLiteral("x.") + suffix);
    const bool image = std::any_of(types.begin(), types.end(), [](const QMimeType &type) {
        return type.name().startsWith(QLatin1String("image/")) || type.inherits(QStringLiteral("image/x-generic"));
    });
    if (!image)
        return false;
    const QString base = info.completeBaseName().toLower();
    return std::any_of(screenshotPrefixes().begin(), screenshotPrefixes().end(),
                       [&](const QString &prefix) { return base.startsWith(prefix); });
}

} // namespace TextExtractor
