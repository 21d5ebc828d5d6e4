#include "TestDocuments.h"

#include "Crc32.h"

#include <QFont>
#include <QPainter>
#include <QPdfWriter>

namespace TestDocuments {

QByteArray textPdf(const QStringList &pageTexts, bool compressed, double fontSize)
{
    // Objects: 1 catalog, 2 page tree, 3 font, then per page a page and its contents.
    QList<QByteArray> objects;
    QByteArray kids;
    const int pages = int(pageTexts.size());
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(4 + 2 * i) + " 0 R ";
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    objects << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
    for (int i = 0; i < pages; ++i) {
        QByteArray escaped = pageTexts[i].toLatin1();
        escaped.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)").replace('\n', ") Tj T* (");
        const QByteArray size = QByteArray::number(fontSize);
        QByteArray stream = "BT /F1 " + size + " Tf " + size + " TL 10 830 Td (" + escaped + ") Tj ET";
        // qCompress gives the zlib stream that FlateDecode wants after four bytes of length.
        if (compressed)
            stream = qCompress(stream).mid(4);
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> /Contents "
                + QByteArray::number(5 + 2 * i) + " 0 R >>";
        objects << "<< /Length " + QByteArray::number(stream.size()) + (compressed ? " /Filter /FlateDecode" : "")
                + " >>\nstream\n" + stream + "\nendstream";
    }
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

bool writeImagePdf(const QString &path, const QImage &picture)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(595, 842), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    painter.drawImage(QRectF(0, 0, 595, 842), picture);
    return painter.end();
}

QImage textPicture(const QStringList &lines, int width, int height, int pixelSize)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = pixelSize * 3;
    for (const QString &line : lines) {
        painter.drawText(pixelSize * 2, y, line);
        y += pixelSize * 2;
    }
    return image;
}

namespace {
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The value's bytes, lowest first, as many as asked for: zeros past its
// eighth.
QByteArray littleEndian(quint64 value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes && i < int(sizeof value); ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
    return out;
}

QByteArray bigEndian(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray chunk(const QByteArray &type, const QByteArray &data)
{
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32(type + data));
}
} // namespace

QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    const QByteArray header = bigEndian(width) + bigEndian(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", QByteArray(16, '\0'))
        + chunk("IEND", QByteArray());
}

QByteArray deflatedZip(const QList<std::pair<QByteArray, QByteArray>> &members)
{
    QByteArray archive;
    QByteArray directory;
    for (const auto &[name, data] : members) {
        // qCompress writes four bytes of length, a two-byte zlib header and a
        // four-byte checksum around the raw deflate stream that ZIP holds.
        const QByteArray zlib = qCompress(data, 9);
        const QByteArray deflated = zlib.mid(6, zlib.size() - 10);
        const QByteArray sizes = littleEndian(CRC32::checksum(data), 4) + littleEndian(quint32(deflated.size()), 4)
            + littleEndian(quint32(data.size()), 4) + littleEndian(quint32(name.size()), 2) + littleEndian(0, 2);
        const QByteArray common = littleEndian(20, 2) + littleEndian(0, 2) + littleEndian(8, 2) + littleEndian(0, 4) + sizes;
        // Then comment length, disk, internal and external attributes.
        directory += littleEndian(0x02014B50, 4) + littleEndian(20, 2) + common + littleEndian(0, 10)
            + littleEndian(quint32(archive.size()), 4) + name;
        archive += littleEndian(0x04034B50, 4) + common + name + deflated;
    }
    const quint32 count = quint32(members.size());
    return archive + directory + littleEndian(0x06054B50, 4) + littleEndian(0, 4) + littleEndian(count, 2)
        + littleEndian(count, 2) + littleEndian(quint32(directory.size()), 4) + littleEndian(quint32(archive.size()), 4)
        + littleEndian(0, 2);
}

QByteArray odt(const QByteArray &bodyXml)
{
    return deflatedZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                        {"content.xml",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:text>"
                             + bodyXml + "</office:text></office:body></office:document-content>"}});
}

QByteArray docx(const QByteArray &bodyXml)
{
    return deflatedZip({{"word/document.xml",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
                         "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
                             + bodyXml + "</w:body></w:document>"}});
}

} // namespace TestDocuments
