#include "SampleDocumentFiles.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>
#include <numbers>

namespace SampleDocuments {

namespace {

const QSizeF a4Points(595, 842);

[[noreturn]] void failed(const QString &path)
{
    throw WriteError(QStringLiteral("Could not write %1.").arg(path));
}

QFont face(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Lays the lines out in the rectangle, the first in bold four pixels larger,
// wrapping long lines, and draws them in black.
void drawLines(QPainter &painter, const QStringList &lines, int size, const QRectF &frame)
{
    QTextDocument document;
    document.documentLayout()->setPaintDevice(painter.device());
    document.setDocumentMargin(0);
    document.setDefaultFont(face(size, false));
    document.setTextWidth(frame.width());
    QTextCursor cursor(&document);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QTextCharFormat format;
        format.setFont(face(i == 0 ? size + 4 : size, i == 0));
        format.setForeground(Qt::black);
        if (i > 0)
            cursor.insertBlock(QTextBlockFormat(), format);
        else
            cursor.setCharFormat(format);
        cursor.insertText(lines[i], format);
    }
    painter.save();
    painter.translate(frame.topLeft());
    document.drawContents(&painter, QRectF(QPointF(0, 0), frame.size()));
    painter.restore();
}

QColor gray(double level)
{
    const int value = int(std::lround(level * 255));
    return QColor(value, value, value);
}

// A one-page A4 PDF drawn by the function, in points.
template<typename Draw>
void onePagePdf(const QString &path, Draw draw)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(a4Points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Filewright"));
    QPainter painter;
    if (!painter.begin(&writer))
        failed(path);
    draw(painter);
    if (!painter.end())
        failed(path);
    if (!QFileInfo(path).isFile())
        failed(path);
}

} // namespace

WriteError::WriteError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

void textPDF(const QStringList &lines, const QString &path)
{
    onePagePdf(path, [&](QPainter &painter) {
        drawLines(painter, lines, 12, QRectF(QPointF(0, 0), a4Points).adjusted(60, 60, -60, -60));
    });
}

void scanPDF(const QStringList &lines, const QString &path)
{
    QImage bitmap(1190, 1684, QImage::Format_RGB32);
    if (bitmap.isNull())
        failed(path);
    bitmap.fill(gray(0.96));
    {
        QPainter painter(&bitmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawLines(painter, lines, 24, QRectF(bitmap.rect()).adjusted(120, 120, -120, -120));
    }
    onePagePdf(path, [&](QPainter &painter) { painter.drawImage(QRectF(QPointF(0, 0), a4Points), bitmap); });
}

void photo(const QStringList &lines, const QString &path)
{
    QImage bitmap(900, 1400, QImage::Format_RGB32);
    if (bitmap.isNull())
        failed(path);
    bitmap.fill(gray(0.55));
    {
        QPainter painter(&bitmap);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.translate(450, 700);
        painter.rotate(0.03 * 180.0 / std::numbers::pi);
        painter.translate(-450, -700);
        painter.fillRect(QRectF(bitmap.rect()).adjusted(55, 55, -55, -55), gray(0.98));
        drawLines(painter, lines, 30, QRectF(bitmap.rect()).adjusted(110, 110, -110, -110));
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(85);
    if (!writer.write(bitmap))
        failed(path);
}

QStringList write(const QString &folder, const QList<Sample> &samples)
{
    if (!QDir().mkpath(folder))
        throw WriteError(QStringLiteral("Could not create the folder %1.").arg(folder));
    QStringList paths;
    for (const Sample &sample : samples) {
        const QString target = QDir(folder).filePath(sample.fileName);
        switch (sample.style) {
        case Style::text:
            textPDF(sample.lines, target);
            break;
        case Style::scan:
            scanPDF(sample.lines, target);
            break;
        case Style::photo:
            photo(sample.lines, target);
            break;
        }
        paths << target;
    }
    return paths;
}

QString writeScreenshot(const QString &name, const QString &folder)
{
    const QString target = QDir(folder).filePath(name);
    if (!QFileInfo(folder).isDir())
        failed(target);
    QImage bitmap(640, 400, QImage::Format_RGB32);
    bitmap.fill(gray(0.85));
    {
        QPainter painter(&bitmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawLines(painter, {QStringLiteral("Screenshot")}, 18, QRectF(bitmap.rect()).adjusted(40, 40, -40, -40));
    }
    QImageWriter writer(target, "png");
    if (!writer.write(bitmap))
        failed(target);
    return target;
}

} // namespace SampleDocuments
