// Text recognition of a picture with tesseract ("deu+eng").
#pragma once

#include <QImage>
#include <QString>

#include <stop_token>

namespace TextRecognizer {

// The languages the engine is loaded with.
QString languages();

// The text tesseract finds in the image: first with automatic page layout,
// and when that finds nothing but white space, again in sparse-text mode.
// Empty when the engine cannot be loaded or finds nothing. Each thread keeps
// its own engine between calls, so only the first call of a thread pays for
// loading the language data. `dotsPerInch` tells the engine the scale of the
// picture (0: unknown). A stop ends the recognition and gives empty text: at
// once while the engine reads the lines, after the layout while it lays out
// the page.
QString recognize(const QImage &image, int dotsPerInch = 0, std::stop_token stop = {});

} // namespace TextRecognizer
