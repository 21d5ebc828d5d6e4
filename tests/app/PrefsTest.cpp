#include "Prefs.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

class PrefsTest : public ::testing::Test
{
protected:
    void SetUp() override { Prefs::settings()->clear(); }
    void TearDown() override { Prefs::settings()->clear(); }
};

TEST_F(PrefsTest, GermanOnlyForGermanLocalesAndSentences)
{
    for (const char *name : {"de_DE", "de_AT", "de_CH"})
        EXPECT_EQ(Prefs::defaultNameLanguage(QLocale(QString::fromLatin1(name))), QStringLiteral("de")) << name;
    for (const char *name : {"en_US", "fr_FR", "C"})
        EXPECT_EQ(Prefs::defaultNameLanguage(QLocale(QString::fromLatin1(name))), QStringLiteral("en")) << name;
    // Swiss German is a language of its own.
    EXPECT_EQ(Prefs::defaultNameLanguage(QLocale(QLocale::SwissGerman, QLocale::Switzerland)), QStringLiteral("en"));
    EXPECT_EQ(Prefs::sentenceLanguage({QStringLiteral("gsw-CH")}), NameLanguage::en);

    EXPECT_EQ(Prefs::sentenceLanguage({QStringLiteral("de")}), NameLanguage::de);
    EXPECT_EQ(Prefs::sentenceLanguage({QStringLiteral("de-CH"), QStringLiteral("en")}), NameLanguage::de);
    EXPECT_EQ(Prefs::sentenceLanguage({QStringLiteral("en-US"), QStringLiteral("de")}), NameLanguage::en);
    EXPECT_EQ(Prefs::sentenceLanguage({QStringLiteral("fr")}), NameLanguage::en);
    // Languages Filewright does not speak are passed over, as the translation does.
    EXPECT_EQ(Prefs::sentenceLanguage({QStringLiteral("fr-FR"), QStringLiteral("de_AT")}), NameLanguage::de);
    EXPECT_EQ(Prefs::sentenceLanguage(QStringList()), NameLanguage::en);
}

TEST_F(PrefsTest, RegisteredDefaultsNeverHideStoredValues)
{
    Prefs::settings()->setValue(QStringLiteral("notify"), false);
    Prefs::registerDefaults(QLocale(QStringLiteral("de_AT")));
    EXPECT_TRUE(Prefs::boolValue(QString::fromUtf16(Prefs::useModelKey)));
    EXPECT_DOUBLE_EQ(Prefs::doubleValue(QStringLiteral("minimumWait")), 3.0);
    EXPECT_EQ(Prefs::stringValue(QStringLiteral("nameLanguage")), QStringLiteral("de"));
    EXPECT_EQ(Prefs::nameLanguage(), NameLanguage::de);
    EXPECT_EQ(Prefs::dateFormat(), QStringLiteral("yyyy-MM-dd"));
    EXPECT_FALSE(Prefs::boolValue(QStringLiteral("notify")));
    EXPECT_FALSE(Prefs::value(QStringLiteral("onboarded")).isValid());

    // Values the user stored win, also after they went through the file.
    Prefs::setValue(QStringLiteral("minimumWait"), 7.5);
    Prefs::setValue(QStringLiteral("nameLanguage"), QStringLiteral("en"));
    Prefs::setValue(QStringLiteral("dateFormat"), QStringLiteral("dd.MM.yyyy"));
    Prefs::registerDefaults(QLocale(QStringLiteral("de_DE")));
    Prefs::settings()->sync();
    EXPECT_DOUBLE_EQ(Prefs::doubleValue(QStringLiteral("minimumWait")), 7.5);
    EXPECT_EQ(Prefs::nameTemplate().language, NameLanguage::en);
    EXPECT_EQ(Prefs::nameTemplate().dateFormat, QStringLiteral("dd.MM.yyyy"));

    // A language that is neither German nor English names files in German;
    // an empty date pattern stays empty.
    Prefs::setValue(QStringLiteral("nameLanguage"), QStringLiteral("fr"));
    Prefs::setValue(QStringLiteral("dateFormat"), QString());
    EXPECT_EQ(Prefs::nameLanguage(), NameLanguage::de);
    EXPECT_EQ(Prefs::dateFormat(), QString());
    EXPECT_EQ(Prefs::nameTemplate().language, NameLanguage::de);
    EXPECT_EQ(Prefs::nameTemplate().dateFormat, QString());
}

} // namespace
