#include "TextExtractor.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace TextExtractor {

const QStringList &screenshotPrefixes()
{
    static const QStringList prefixes{
        QStringLiteral("screenshot"), QStringLiteral("bildschirmfoto"), QStringLiteral("screen shot"),
        QStringLiteral("capture d\u2019\u00e9cran"), QStringLiteral("captura de pantalla")};
    return prefixes;
}

bool isScreenshot(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return false;
    static const QMimeDatabase mimeDatabase;
    const QList<QMimeType> types = mimeDatabase.mimeTypesForFileName(QStringLiteral("x.") + suffix);
    const bool image = std::any_of(types.begin(), types.end(), [](const QMimeType &type) {
        return type.name().startsWith(QLatin1String("image/")) || type.inherits(QStringLiteral("image/x-generic"));
    });
    if (!image)
        return false;
    const QString base = info.completeBaseName().toLower();
    return std::any_of(screenshotPrefixes().begin(), screenshotPrefixes().end(),
                       [&](const QString &prefix) { return base.startsWith(prefix); });
}

} // namespace TextExtractor
