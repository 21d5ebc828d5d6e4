// Writing the sample documents as real files: PDFs with a text layer, scanned
// PDFs holding only a picture, JPEG photos of a slightly tilted sheet, and a
// small PNG screenshot.
#pragma once

#include "SampleDocuments.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace SampleDocuments {

// A file could not be written (or its folder made).
class WriteError : public std::runtime_error
{
public:
    explicit WriteError(const QString &message);
};

// Writes each sample into the folder (made when missing) under its file name,
// replacing a file of that name, and returns the paths in the order given.
// The first failure is thrown; files written before it stay.
QStringList write(const QString &folder, const QList<Sample> &samples);

// Writes a small PNG showing the word "Screenshot" into an existing folder.
QString writeScreenshot(const QString &name, const QString &folder);

// The single writers.
void textPDF(const QStringList &lines, const QString &path);
void scanPDF(const QStringList &lines, const QString &path);
void photo(const QStringList &lines, const QString &path);

} // namespace SampleDocuments
