// Plain text of word-processor, rich-text and web documents.
#pragma once

#include <QString>

namespace DocumentText {

// At most `characters` characters of the text of a file with one of the
// document-reader extensions ("docx", "odt", "rtf", "html" ...); empty when
// the format has no reader here or the file cannot be read. Every reader goes
// through the file once, a piece at a time, and stops as soon as it has the
// text it may keep.
QString read(const QString &path, const QString &lowerExtension, int characters);

// The character that a byte stands for in Windows-1252, the usual code page
// of rich text and of the C1 references of web pages.
char16_t windows1252(unsigned char byte);

} // namespace DocumentText
