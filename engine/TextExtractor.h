// Getting a file's text: a PDF's text layer, text recognition of images and
// scans, plain and office documents.
#pragma once

#include <QString>
#include <QStringList>

namespace TextExtractor {

// Name prefixes (lower case) of the screenshot tools' files.
const QStringList &screenshotPrefixes();

// True for an image file whose name begins with a screenshot tool's prefix.
bool isScreenshot(const QString &path);

} // namespace TextExtractor
