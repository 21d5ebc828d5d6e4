#include "Prefs.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QVariantMap>

namespace Prefs {

namespace {

// The registered defaults: process-wide, like the settings they stand in for.
struct Registry
{
    QMutex mutex;
    QVariantMap defaults;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

QString key(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

std::unique_ptr<QSettings> settings()
{
    return std::make_unique<QSettings>(QStringLiteral("Filewright"), QStringLiteral("Filewright"));
}

QString defaultNameLanguage(const QLocale &locale)
{
    if (locale.language() == QLocale::AnyLanguage || locale.language() == QLocale::C)
        return QStringLiteral("en");
    return QLocale::languageToCode(locale.language()) == u"de" ? QStringLiteral("de") : QStringLiteral("en");
}

void registerDefaults(const QLocale &locale)
{
    QVariantMap defaults;
    defaults.insert(key(useModelKey), true);
    defaults.insert(key(minimumWaitKey), 3.0);
    defaults.insert(key(nameLanguageKey), defaultNameLanguage(locale));
    defaults.insert(key(dateFormatKey), key(defaultDateFormat));
    defaults.insert(key(notifyKey), true);

    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        r.defaults.insert(it.key(), it.value());
}

QVariant value(const QString &name)
{
    {
        const auto stored = settings();
        if (stored->contains(name))
            return stored->value(name);
    }
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    return r.defaults.value(name);
}

bool boolValue(const QString &name)
{
    return value(name).toBool();
}

double doubleValue(const QString &name)
{
    return value(name).toDouble();
}

std::optional<QString> stringValue(const QString &name)
{
    const QVariant found = value(name);
    if (!found.isValid() || found.typeId() == QMetaType::QStringList || found.typeId() == QMetaType::QVariantList
        || !found.canConvert<QString>())
        return std::nullopt;
    return found.toString();
}

void setValue(const QString &name, const QVariant &newValue)
{
    settings()->setValue(name, newValue);
}

NameLanguage nameLanguage()
{
    return stringValue(key(nameLanguageKey)) == QStringLiteral("en") ? NameLanguage::en : NameLanguage::de;
}

QString dateFormat()
{
    return stringValue(key(dateFormatKey)).value_or(key(defaultDateFormat));
}

NameTemplate nameTemplate()
{
    NameTemplate result;
    result.language = nameLanguage();
    result.dateFormat = dateFormat();
    return result;
}

NameLanguage sentenceLanguage(const QStringList &preferredLanguages)
{
    const auto speaks = [](const QString &tag, QLatin1String language) {
        return tag.compare(language, Qt::CaseInsensitive) == 0 ||
               (tag.size() > language.size() && tag.startsWith(language, Qt::CaseInsensitive) &&
                (tag[language.size()] == u'-' || tag[language.size()] == u'_'));
    };
    for (const QString &tag : preferredLanguages) {
        if (speaks(tag, QLatin1String("de")))
            return NameLanguage::de;
        if (speaks(tag, QLatin1String("en")))
            return NameLanguage::en;
    }
    return NameLanguage::en;
}

NameLanguage sentenceLanguage()
{
    return sentenceLanguage(QLocale().uiLanguages());
}

} // namespace Prefs
