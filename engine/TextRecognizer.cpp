#include "TextRecognizer.h"

#include <QPainter>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>

#include <algorithm>
#include <array>
#include <memory>

namespace TextRecognizer {

namespace {

// One engine per thread, loaded on first use and kept until the thread ends.
class Engine
{
public:
    Engine()
    {
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        if (api->Init(nullptr, languages().toUtf8().constData(), tesseract::OEM_DEFAULT) != 0)
            return;
        // Keep tesseract's diagnostics (resolution guesses and the like) off
        // the application's standard error.
        api->SetVariable("debug_file", "/dev/null");
        m_api = std::move(api);
    }
    ~Engine()
    {
        if (m_api)
            m_api->End();
    }
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    tesseract::TessBaseAPI *api() const { return m_api.get(); }

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
};

Engine &threadEngine()
{
    thread_local Engine engine;
    return engine;
}

// Asked by the engine again and again as it reads the page's lines: true ends
// the recognition.
bool stopped(void *stop, int /*words*/)
{
    return static_cast<const std::stop_token *>(stop)->stop_requested();
}

// Empty when the stop came before the engine had read the whole picture.
QString run(tesseract::TessBaseAPI *api, const QImage &gray, int dotsPerInch, tesseract::PageSegMode mode,
            std::stop_token stop)
{
    // Laying out the page takes a good part of a second on a large scan, and
    // asks for no stop.
    if (stop.stop_requested())
        return {};
    api->SetPageSegMode(mode);
    api->SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    if (dotsPerInch > 0)
        api->SetSourceResolution(dotsPerInch);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = stopped;
    monitor.cancel_this = &stop;
    const bool read = api->Recognize(&monitor) == 0 && !stop.stop_requested();
    const std::unique_ptr<char[]> text(read ? api->GetUTF8Text() : nullptr);
    api->Clear();
    return text ? QString::fromUtf8(text.get()) : QString();
}

// Ink on paper in full contrast: the paper (the most common grey level)
// becomes white, the ink (the extreme level farthest from it) black, with a
// narrow ramp between them. Soft edges of photographed or anti-aliased letters,
// accents included, then read as clear strokes instead of noise; light text on
// a dark screen comes out dark on white.
QImage normalized(QImage gray)
{
    std::array<qint64, 256> histogram{};
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            ++histogram[row[x]];
    }
    const qint64 total = qint64(gray.width()) * gray.height();
    const int paper = int(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
    auto percentile = [&](qint64 rank) {
        qint64 seen = 0;
        for (int level = 0; level < 256; ++level) {
            seen += histogram[level];
            if (seen > rank)
                return level;
        }
        return 255;
    };
    const int darkest = percentile(total / 100);
    const int brightest = percentile(total - total / 100 - 1);
    const int ink = paper - darkest >= brightest - paper ? darkest : brightest;
    const int contrast = std::abs(paper - ink);
    if (contrast < 32)
        return gray; // nothing that looks like ink on paper
    const int middle = (paper + ink) / 2;
    const int half = std::max(4, contrast / 8);
    std::array<uchar, 256> map{};
    for (int level = 0; level < 256; ++level) {
        const int towardsPaper = paper > ink ? level - (middle - half) : (middle + half) - level;
        map[level] = uchar(std::clamp(towardsPaper * 255 / (2 * half), 0, 255));
    }
    for (int y = 0; y < gray.height(); ++y) {
        uchar *row = gray.scanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            row[x] = map[row[x]];
    }
    return gray;
}

bool blank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

} // namespace

QString languages()
{
    return QStringLiteral("deu+eng");
}

QString recognize(const QImage &image, int dotsPerInch, std::stop_token stop)
{
    if (image.isNull() || image.width() < 3 || image.height() < 3 || stop.stop_requested())
        return {};
    // Loading the engine takes a moment on a thread's first call.
    tesseract::TessBaseAPI *api = threadEngine().api();
    if (!api || stop.stop_requested())
        return {};
    // Transparent pixels count as white paper, not as black.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    if (image.hasAlphaChannel()) {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    } else {
        flat = image.convertToFormat(QImage::Format_RGB32);
    }
    const QImage gray = normalized(flat.convertToFormat(QImage::Format_Grayscale8));
    const QString document = run(api, gray, dotsPerInch, tesseract::PSM_AUTO, stop);
    if (!blank(document) || stop.stop_requested())
        return document;
    return run(api, gray, dotsPerInch, tesseract::PSM_SPARSE_TEXT, stop);
}

} // namespace TextRecognizer
