// Plain text of word-processor, rich-text and web documents.
#pragma once

#include <QByteArray>
#include <QString>

namespace DocumentText {

// The text of a file with one of the document-reader extensions ("docx",
// "odt", "rtf", "html" ...); empty when the format has no reader here or the
// file cannot be read.
QString read(const QString &path, const QString &lowerExtension);

// The readers, each on the file's bytes or path.
QString fromHtml(const QByteArray &data);
QString fromRtf(const QByteArray &data);
QString fromDocx(const QString &path);
QString fromOdt(const QString &path);

// One member of a ZIP archive, at most `limit` bytes of it uncompressed;
// empty when the archive or the member cannot be read.
QByteArray zipMember(const QString &archivePath, const char *memberName, qint64 limit);

} // namespace DocumentText
