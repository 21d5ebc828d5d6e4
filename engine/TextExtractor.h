// Getting a file's text: a PDF's text layer, text recognition of images and
// scans, plain and office documents.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <stop_token>

namespace TextExtractor {

struct Output
{
    QString text;
    // True when the text came from text recognition, not from the file's own text.
    bool usedOCR = false;
};

// At most this many pages of a PDF are read or rendered.
inline constexpr int maxPdfPages = 3;
// A text layer with fewer letters than this sends the pages to text recognition.
inline constexpr int minPdfLetters = 40;
// Pages are rendered at this multiple of 72 dots per inch.
inline constexpr double renderScale = 2.0;
// Images are reduced to this many pixels on their longer side.
inline constexpr int maxImagePixels = 3000;
// Images whose header declares more pixels than this are not decoded at all.
inline constexpr qint64 maxDeclaredImagePixels = 250'000'000;
// Plain and document texts, and a PDF's text layer, are cut to this many
// characters.
inline constexpr int maxTextCharacters = 20000;

// The file's text. Never fails: what cannot be opened, decoded or recognised
// gives empty text. Blocks while it reads and recognises; call it off the
// main thread. A stop ends text recognition under way and gives what was
// recognised before it (on a picture: nothing).
Output text(const QString &path, std::stop_token stop = {});

// The text of a PDF's first pages, or the text recognised on them when their
// text layer holds almost no letters; a stop renders no further page.
Output pdfText(const QString &path, std::stop_token stop = {});

// The image in the file, upright, at most `maxImagePixels` on its longer side;
// a null image when it cannot be read or declares an absurd size.
QImage loadImage(const QString &path);

// Extensions read as plain text besides the plain-text types.
const QStringList &plainTextExtensions();
// Extensions read through the document readers.
const QStringList &documentExtensions();

// Name prefixes (lower case) of the screenshot tools' files.
const QStringList &screenshotPrefixes();

// True for an image file whose name begins with a screenshot tool's prefix.
bool isScreenshot(const QString &path);

// The number of characters with the Unicode letter property.
int letterCount(const QString &text);

// The first `count` user-perceived characters of the text.
QString leftCharacters(const QString &text, int count);

} // namespace TextExtractor
