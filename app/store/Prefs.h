// The user's preferences: QSettings of the organisation and application
// "Filewright", with registered defaults that stand in for every key the user
// has not set. Registered defaults live in memory for the life of the process
// and never overwrite a stored value.
#pragma once

#include "NameTemplate.h"
#include "Recognition.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

namespace Prefs {

inline constexpr char16_t useModelKey[] = u"useModel";
inline constexpr char16_t minimumWaitKey[] = u"minimumWait";
inline constexpr char16_t nameLanguageKey[] = u"nameLanguage";
inline constexpr char16_t dateFormatKey[] = u"dateFormat";
inline constexpr char16_t notifyKey[] = u"notify";

inline constexpr char16_t defaultDateFormat[] = u"yyyy-MM-dd";

// The application's settings file.
std::unique_ptr<QSettings> settings();

// Registers the defaults: "useModel" true, "minimumWait" 3.0, "nameLanguage"
// from the locale, "dateFormat" "yyyy-MM-dd", "notify" true.
void registerDefaults(const QLocale &locale = QLocale());
// "de" when the locale's language is German (of any region), else "en":
// Swiss German is a language of its own.
QString defaultNameLanguage(const QLocale &locale);

// The stored value of key, else its registered default, else an invalid value.
QVariant value(const QString &key);
bool boolValue(const QString &key);
double doubleValue(const QString &key);
// None when neither a stored value nor a default gives text.
std::optional<QString> stringValue(const QString &key);
void setValue(const QString &key, const QVariant &value);

// The language of names: en when "nameLanguage" is "en", de for any other
// text and when it is absent.
NameLanguage nameLanguage();
// "dateFormat", or "yyyy-MM-dd" when absent; an empty pattern stays empty.
QString dateFormat();

// The template for names of filed files and folders, from "nameLanguage"
// and "dateFormat" as read now.
NameTemplate nameTemplate();

// The language in which sentences are told to the user, which is also the
// language the windows speak: de for the first interface language that is
// German ("de", "de-CH", "de_AT"), en for the first that is English, entries
// of other languages skipped; en when none is either.
NameLanguage sentenceLanguage();
NameLanguage sentenceLanguage(const QStringList &preferredLanguages);

} // namespace Prefs
