#include "TextRecognizer.h"

#include <QPainter>

#include <tesseract/baseapi.h>

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

QString run(tesseract::TessBaseAPI *api, const QImage &gray, int dotsPerInch, tesseract::PageSegMode mode)
{
    api->SetPageSegMode(mode);
    api->SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    if (dotsPerInch > 0)
        api->SetSourceResolution(dotsPerInch);
    const std::unique_ptr<char[]> text(api->GetUTF8Text());
    api->Clear();
    return text ? QString::fromUtf8(text.get()) : QString();
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

QString recognize(const QImage &image, int dotsPerInch)
{
    if (image.isNull() || image.width() < 3 || image.height() < 3)
        return {};
    tesseract::TessBaseAPI *api = threadEngine().api();
    if (!api)
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
    const QImage gray = flat.convertToFormat(QImage::Format_Grayscale8);
    const QString document = run(api, gray, dotsPerInch, tesseract::PSM_AUTO);
    if (!blank(document))
        return document;
    return run(api, gray, dotsPerInch, tesseract::PSM_SPARSE_TEXT);
}

} // namespace TextRecognizer
