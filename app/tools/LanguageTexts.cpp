#include "LanguageTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTranslator>

#include <array>
#include <memory>

namespace LanguageTexts {

namespace {

// Loaded once, on first use, and only read afterwards.
const QTranslator *translator(NameLanguage language)
{
    static const std::array<std::unique_ptr<QTranslator>, 2> loaded = [] {
        std::array<std::unique_ptr<QTranslator>, 2> translators;
        for (const NameLanguage each : NameLanguages::allCases) {
            const QString file =
                translationFile(QStringLiteral("filewright_%1.qm").arg(NameLanguages::rawValue(each)));
            auto translator = std::make_unique<QTranslator>();
            if (!file.isEmpty() && translator->load(file))
                translators[std::size_t(each)] = std::move(translator);
        }
        return translators;
    }();
    return loaded[std::size_t(language)].get();
}

} // namespace

QString translationFile(const QString &name)
{
    QStringList folders{QCoreApplication::applicationDirPath() + QStringLiteral("/../share/filewright/translations")};
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/filewright/translations"));
    folders.append(QStringLiteral(FILEWRIGHT_BUILD_TRANSLATIONS));
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

QString text(NameLanguage language, const char *context, const char *source, int n)
{
    QString result;
    if (const QTranslator *loaded = translator(language))
        result = loaded->translate(context, source, nullptr, n);
    if (result.isEmpty())
        result = QString::fromUtf8(source);
    if (n >= 0)
        result.replace(QLatin1String("%n"), QString::number(n));
    return result;
}

} // namespace LanguageTexts
