// Small documents made by the tests themselves: hand-written PDFs, pictures
// of text, and image headers that lie about their size.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <utility>

namespace TestDocuments {

// A PDF with one page per text, each showing its text in Helvetica of the
// size given, a line per line of the text; the page contents compressed when
// asked.
QByteArray textPdf(const QStringList &pageTexts, bool compressed = false, double fontSize = 12);

// A ZIP archive whose members are compressed with deflate.
QByteArray deflatedZip(const QList<std::pair<QByteArray, QByteArray>> &members);
// An OpenDocument text whose body holds the given XML (paragraphs).
QByteArray odt(const QByteArray &bodyXml);
// A word-processing document whose body holds the given XML (paragraphs).
QByteArray docx(const QByteArray &bodyXml);

// A PDF of one A4 page showing only the picture (no text layer).
bool writeImagePdf(const QString &path, const QImage &picture);

// A white picture with the lines drawn in black, `pixelSize` pixels high.
QImage textPicture(const QStringList &lines, int width, int height, int pixelSize);

// A PNG whose header declares the size but which holds no picture data.
QByteArray pngHeaderOnly(quint32 width, quint32 height);

} // namespace TestDocuments
