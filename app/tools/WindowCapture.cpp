#include "WindowCapture.h"

#include "GridProbes.h"
#include "WindowList.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

#include <qcoro/qcorotimer.h>

namespace {

bool writePng(const QImage &image, const QString &path)
{
    if (image.isNull())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return false; // the save file is discarded
    return file.commit();
}

bool pictureAt(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

} // namespace

WindowCapture::WindowCapture(Output output, double timeScale, Tool tool, Tool fallback)
    : m_output(std::move(output))
    , m_timeScale(timeScale)
    , m_tool(std::move(tool))
    , m_fallback(std::move(fallback))
{
}

QString WindowCapture::probePath(const QString &imagePath)
{
    const QLatin1String png(".png");
    if (imagePath.endsWith(png))
        return imagePath.chopped(png.size()) + QStringLiteral("-layout.json");
    return imagePath + QStringLiteral("-layout.json");
}

bool WindowCapture::grab(QWidget &window, const QString &path)
{
    return writePng(window.grab().toImage(), path);
}

bool WindowCapture::render(QWidget &window, const QString &path)
{
    if (window.size().isEmpty())
        return false;
    const qreal ratio = window.devicePixelRatioF();
    QImage image(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    window.render(&image);
    return writePng(image, path);
}

QCoro::Task<bool> WindowCapture::capture(QString path, QWidget *window)
{
    if (!window)
        window = WindowList::mainWindow();
    if (!window) {
        m_output(QStringLiteral("SNAPSHOT no window"));
        co_return false;
    }
    if (window->isHidden())
        window->show();
    // Without a window system there is no front to bring the window to.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        window->raise();
        window->activateWindow();
    }

    GridProbes::shared().write(probePath(path), QSizeF(window->size()));
    // An old picture must not pass for this one.
    QFile::remove(path);

    const QPointer<QWidget> guard(window);
    for (int attempt = 0; attempt < attempts && guard; ++attempt) {
        if (m_tool(*guard, path) && pictureAt(path)) {
            m_output(QStringLiteral("SNAPSHOT ") + path);
            co_return true;
        }
        co_await QCoro::sleepFor(std::chrono::milliseconds(qRound64(double(pause.count()) * m_timeScale)));
    }
    if (guard && m_fallback(*guard, path) && pictureAt(path)) {
        m_output(QStringLiteral("SNAPSHOT ") + path
                 + QStringLiteral(" (fallback: drawn by Filewright itself, OpenGL and native child windows are blank)"));
        co_return true;
    }
    m_output(QStringLiteral("SNAPSHOT failed: ") + path);
    co_return false;
}
