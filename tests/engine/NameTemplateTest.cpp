#include "NameTemplate.h"
#include "RealHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>
#include <QUuid>

namespace {

const NameTemplate german{NameLanguage::de, QStringLiteral("yyyy-MM-dd")};
const NameTemplate english{NameLanguage::en, QStringLiteral("yyyy-MM-dd")};

NameTemplate::Values someValues()
{
    return {
        {QStringLiteral("datum"), QStringLiteral("2024-03-05")},
        {QStringLiteral("jahr"), QStringLiteral("2024")},
        {QStringLiteral("monat"), QStringLiteral("03")},
        {QStringLiteral("betrag"), QStringLiteral("12,50")},
        {QStringLiteral("waehrung"), QStringLiteral("EUR")},
        {QStringLiteral("art"), QStringLiteral("Rechnung")},
        {QStringLiteral("original"), QStringLiteral("scan")},
        {QStringLiteral("zaehler"), QStringLiteral("1")},
    };
}

} // namespace

TEST(NameTemplate, PlaceholdersIgnoreCaseAndAcceptEnglishAliases)
{
    const auto values = someValues();
    EXPECT_EQ(german.fill(QStringLiteral("{Betrag} {WAEHRUNG}"), values), QStringLiteral("12,50 EUR"));
    EXPECT_EQ(german.fill(QStringLiteral("{amount}"), values), german.fill(QStringLiteral("{betrag}"), values));
    EXPECT_EQ(german.fill(QStringLiteral("{DATE}/{Datum}/{year}-{Month}"), values),
              QStringLiteral("2024-03-05/2024-03-05/2024-03"));
    EXPECT_EQ(german.fill(QStringLiteral("{counter}"), values), QStringLiteral("1"));
    // "original" has no English alias; an unknown word is simply empty.
    EXPECT_EQ(german.fill(QStringLiteral("{origin}x"), values), QStringLiteral("x"));

    // Only ASCII letters make a placeholder; anything else stays text, braces included.
    EXPECT_EQ(NameTemplate::tokens(QStringLiteral("{datum2} { datum } {{jahr}} {Art}{art}")),
              (QStringList{QStringLiteral("jahr"), QStringLiteral("Art"), QStringLiteral("art")}));
    EXPECT_EQ(german.fill(QStringLiteral("{datum2} {jahr}"), values), QStringLiteral("{datum2} 2024"));
    EXPECT_EQ(german.fileName(QStringLiteral("{datum2}"), values, QStringLiteral("pdf")),
              QStringLiteral("{datum2}.pdf"));
    EXPECT_EQ(NameTemplate::tokens(QStringLiteral("{Über}")), QStringList());
}

TEST(NameTemplate, MissingValuesAreReportedAsWrittenAndFillToNothing)
{
    auto values = someValues();
    values.insert(QStringLiteral("titel"), QString()); // present but empty counts as missing
    EXPECT_EQ(german.missing(QStringLiteral("{absender} {Sender} {absender} {titel} {datum}"), values),
              (QStringList{QStringLiteral("absender"), QStringLiteral("Sender"), QStringLiteral("absender"),
                           QStringLiteral("titel")}));
    EXPECT_EQ(german.fill(QStringLiteral("{absender} Rechnung"), values), QStringLiteral("Rechnung"));

    // Double blanks collapse; blanks, hyphens and underscores go from both ends.
    EXPECT_EQ(german.fill(QStringLiteral("_ {absender} -   {art}    {titel} - "), values),
              QStringLiteral("Rechnung"));
    EXPECT_EQ(german.fill(QStringLiteral("{art}    {jahr}"), values), QStringLiteral("Rechnung 2024"));

    // A value that looks like a placeholder is never replaced a second time.
    values.insert(QStringLiteral("titel"), QStringLiteral("{datum}"));
    EXPECT_EQ(german.fill(QStringLiteral("{titel} {datum}"), values), QStringLiteral("{datum} 2024-03-05"));
}

TEST(NameTemplate, SanitizingNeverClimbsOutOrHidesAName)
{
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("a/b:c")), QStringLiteral("a-b-c"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("a\\b")), QStringLiteral("a-b"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("what?")), QStringLiteral("what_"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("\"<x>|*")), QStringLiteral("__x___"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral(".hidden")), QStringLiteral("hidden"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("a\nb\u200Bc")), QStringLiteral("a b c"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("../../etc")), QStringLiteral("-..-etc"));
    // A tab or a blank in front of the dots must not leave a hidden name or "..".
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("\t..")), QString());
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral(" .hidden ")), QStringLiteral("hidden"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral(". . .x")), QStringLiteral("x"));
    // A slash carrying a combining mark is still a slash.
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("a/\u0301b")), QStringLiteral("a-b"));
    EXPECT_EQ(NameTemplate::sanitize(QStringLiteral("Müller & Söhne")), QStringLiteral("Müller & Söhne"));

    auto values = someValues();
    const QString home = QStringLiteral("/home/anna");
    for (const QString &sender : {QStringLiteral("../../etc"), QStringLiteral(".."), QStringLiteral("\t.."),
                                 QStringLiteral("a/b:c"), QStringLiteral("/"), QStringLiteral(".hidden")}) {
        values.insert(QStringLiteral("absender"), sender);
        const QString folder = german.folder(QStringLiteral("~/Belege/{absender}"), values, home);
        EXPECT_TRUE(folder.startsWith(home + QStringLiteral("/Belege/"))) << folder.toStdString();
        EXPECT_EQ(QDir::cleanPath(folder), folder) << folder.toStdString();
        EXPECT_FALSE(folder.mid(folder.lastIndexOf(u'/') + 1).startsWith(u'.')) << folder.toStdString();
        const QString name = german.fileName(QStringLiteral("{absender}"), values, QStringLiteral("pdf"));
        EXPECT_FALSE(name.contains(u'/')) << name.toStdString();
        EXPECT_FALSE(name.startsWith(u'.')) << name.toStdString();
    }
    values.insert(QStringLiteral("absender"), QStringLiteral("../../etc"));
    EXPECT_EQ(german.folder(QStringLiteral("~/{absender}"), values, home), QStringLiteral("/home/anna/-..-etc"));
    EXPECT_EQ(german.folder(QStringLiteral("~/../x/./y"), values, home), QStringLiteral("/home/anna/Unbekannt/x/Unbekannt/y"));
}

TEST(NameTemplate, FileNamesDropTemplateExtensionsKeepTheOriginalAndStayShort)
{
    auto values = someValues();
    EXPECT_EQ(german.fileName(QStringLiteral("{art}.pdf"), values, QStringLiteral("PDF")), QStringLiteral("Rechnung.PDF"));
    EXPECT_EQ(german.fileName(QStringLiteral("Version 1.2"), values, QStringLiteral("txt")),
              QStringLiteral("Version 1.2.txt"));
    EXPECT_EQ(german.fileName(QStringLiteral("Scan.tar.gz"), values, QString()), QStringLiteral("Scan.tar"));
    EXPECT_EQ(german.fileName(QStringLiteral("Scan.jpegxl"), values, QString()), QStringLiteral("Scan.jpegxl"));
    // Empty after sanitizing: the original name; a lone slash keeps its hyphen.
    EXPECT_EQ(german.fileName(QStringLiteral(". . ."), values, QStringLiteral("pdf")), QStringLiteral("scan.pdf"));
    EXPECT_EQ(german.fileName(QStringLiteral("{absender}"), values, QStringLiteral("pdf")), QStringLiteral("scan.pdf"));
    EXPECT_EQ(german.fileName(QStringLiteral("/"), values, QStringLiteral("pdf")), QStringLiteral("-.pdf"));
    EXPECT_EQ(german.fileName(QString(), {}, QStringLiteral("pdf")), QStringLiteral("Unnamed.pdf"));

    // 120 user-perceived characters at most, trailing blanks trimmed again.
    const QString longName = QString(119, u'a') + QStringLiteral(" bbbbbbbbbb");
    EXPECT_EQ(german.fileName(longName, values, QStringLiteral("pdf")), QString(119, u'a') + QStringLiteral(".pdf"));
    EXPECT_EQ(german.fileName(QString(130, u'x'), values, QString()), QString(120, u'x'));
    QString accented;
    for (int i = 0; i < 130; ++i)
        accented += QStringLiteral("e\u0301");
    EXPECT_EQ(german.fileName(accented, values, QString()).size(), 240);
}

TEST(NameTemplate, FoldersResolveHomeAndRoot)
{
    NameTemplate::Values noDate{{QStringLiteral("original"), QStringLiteral("x")}};
    const QString home = QStringLiteral("/home/anna");
    EXPECT_EQ(german.folder(QStringLiteral("~/Belege/{jahr}"), noDate, home), QStringLiteral("/home/anna/Belege/Unbekannt"));
    EXPECT_EQ(english.folder(QStringLiteral("~/Belege/{jahr}"), noDate, home), QStringLiteral("/home/anna/Belege/Unknown"));
    EXPECT_EQ(german.folder(QStringLiteral("~"), noDate, home), home);
    EXPECT_EQ(german.folder(QStringLiteral("  ~/ "), noDate, home), home);
    EXPECT_EQ(german.folder(QString(), noDate, home), QStringLiteral("/"));
    EXPECT_EQ(german.folder(QStringLiteral("/srv//Ablage/"), noDate, home), QStringLiteral("/srv/Ablage"));
    EXPECT_EQ(german.folder(QStringLiteral("~/Belege/{jahr}/{monat}"), someValues(), home),
              QStringLiteral("/home/anna/Belege/2024/03"));
}

TEST(NameTemplate, AmountsHaveTwoDecimalsInTheNameLanguage)
{
    EXPECT_EQ(NameTemplate::format(*Decimal::fromString(u"1234.5"), NameLanguage::de), QStringLiteral("1234,50"));
    EXPECT_EQ(NameTemplate::format(*Decimal::fromString(u"1234.5"), NameLanguage::en), QStringLiteral("1234.50"));
    EXPECT_EQ(NameTemplate::format(*Decimal::fromString(u"1234567.891"), NameLanguage::en), QStringLiteral("1234567.89"));
    EXPECT_EQ(NameTemplate::format(*Decimal::fromString(u"-0.5"), NameLanguage::de), QStringLiteral("-0,50"));
    EXPECT_EQ(NameTemplate::format(*Decimal::fromString(u"12"), NameLanguage::de), QStringLiteral("12,00"));
}

TEST(NameTemplate, FreeNamesCountUpBesideTakenOnes)
{
    QSet<QString> taken;
    const auto exists = [&taken](const QString &path) { return taken.contains(path); };
    EXPECT_EQ(NameTemplate::freeURL(QStringLiteral("/d/a.pdf"), exists), QStringLiteral("/d/a.pdf"));
    taken = {QStringLiteral("/d/a.pdf"), QStringLiteral("/d/a 2.pdf")};
    EXPECT_EQ(NameTemplate::freeURL(QStringLiteral("/d/a.pdf"), exists), QStringLiteral("/d/a 3.pdf"));
    taken = {QStringLiteral("/d/Scan")};
    EXPECT_EQ(NameTemplate::freeURL(QStringLiteral("/d/Scan"), exists), QStringLiteral("/d/Scan 2"));
    taken = {QStringLiteral("/d/x.tar.gz")};
    EXPECT_EQ(NameTemplate::freeURL(QStringLiteral("/d/x.tar.gz"), exists), QStringLiteral("/d/x.tar 2.gz"));
    taken = {QStringLiteral("/d.v/.bashrc")};
    EXPECT_EQ(NameTemplate::freeURL(QStringLiteral("/d.v/.bashrc"), exists), QStringLiteral("/d.v/.bashrc 2"));

    int asked = 0;
    const QString last = NameTemplate::freeURL(QStringLiteral("/d/a.pdf"), [&asked](const QString &) {
        ++asked;
        return true;
    });
    EXPECT_EQ(asked, 9999);
    EXPECT_TRUE(last.startsWith(QStringLiteral("/d/")));
    EXPECT_TRUE(last.endsWith(QStringLiteral(".pdf")));
    EXPECT_EQ(last.size(), 3 + 36 + 4);
    const QString uuid = last.mid(3, 36);
    EXPECT_FALSE(QUuid::fromString(uuid).isNull());
    EXPECT_EQ(uuid, uuid.toUpper());
}

TEST(RealHome, ComesFromAppHomeOrThePasswordDatabaseAndAbbreviatesWholeFolders)
{
    // The test runner points APP_HOME at a temporary folder.
    const QString appHome = qEnvironmentVariable("APP_HOME");
    ASSERT_FALSE(appHome.isEmpty());
    EXPECT_EQ(RealHome::path(), QDir::cleanPath(appHome));

    const QByteArray saved = qgetenv("APP_HOME");
    qunsetenv("APP_HOME");
    const QString fromDatabase = RealHome::lookUp();
    qputenv("APP_HOME", saved);
    EXPECT_NE(fromDatabase, QDir::cleanPath(appHome));
    EXPECT_TRUE(QDir::isAbsolutePath(fromDatabase));
    // HOME points at a temporary folder too, yet the real home is the user's own.
    EXPECT_NE(fromDatabase, QDir::cleanPath(qEnvironmentVariable("HOME")));

    const QString home = RealHome::path();
    EXPECT_EQ(RealHome::abbreviate(home + QStringLiteral("/Documents")), QStringLiteral("~/Documents"));
    EXPECT_EQ(RealHome::abbreviate(home), QStringLiteral("~"));
    EXPECT_EQ(RealHome::abbreviate(home + QStringLiteral("bel/x")), home + QStringLiteral("bel/x"));
    EXPECT_EQ(RealHome::abbreviate(QStringLiteral("/srv/x")), QStringLiteral("/srv/x"));
}

TEST(NameTemplate, ValuesComeFromTheRecognitionElseTheFileDate)
{
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    recognition.sender = QStringLiteral("Beispiel Handels GmbH");
    recognition.date = QDateTime(QDate(2024, 3, 5), QTime(23, 30), Qt::UTC);
    recognition.amount = Decimal::fromString(u"12.5");
    recognition.currency = QStringLiteral("EUR");

    const auto values = german.values(recognition, QStringLiteral("Scan.2024.pdf"), 7, std::nullopt);
    EXPECT_EQ(values.value(QStringLiteral("datum")), QStringLiteral("2024-03-05"));
    EXPECT_EQ(values.value(QStringLiteral("jahr")), QStringLiteral("2024"));
    EXPECT_EQ(values.value(QStringLiteral("monat")), QStringLiteral("03"));
    EXPECT_EQ(values.value(QStringLiteral("absender")), QStringLiteral("Beispiel Handels"));
    EXPECT_EQ(values.value(QStringLiteral("betrag")), QStringLiteral("12,50"));
    EXPECT_EQ(values.value(QStringLiteral("waehrung")), QStringLiteral("EUR"));
    EXPECT_EQ(values.value(QStringLiteral("art")), QStringLiteral("Rechnung"));
    EXPECT_FALSE(values.contains(QStringLiteral("titel")));
    EXPECT_EQ(values.value(QStringLiteral("original")), QStringLiteral("Scan.2024"));
    EXPECT_EQ(values.value(QStringLiteral("zaehler")), QStringLiteral("7"));
    EXPECT_EQ(german.fileName(QStringLiteral("{datum} {absender} {betrag} {waehrung}"), values, QStringLiteral("pdf")),
              QStringLiteral("2024-03-05 Beispiel Handels 12,50 EUR.pdf"));
    EXPECT_EQ(english.values(recognition, QStringLiteral("x"), 1, std::nullopt).value(QStringLiteral("art")),
              QStringLiteral("Invoice"));

    // Any Unicode date pattern, in the POSIX locale and UTC.
    for (const auto &[pattern, expected] :
         {std::pair{QStringLiteral("dd.MM.yyyy"), QStringLiteral("05.03.2024")},
          std::pair{QStringLiteral("EEEE, d. MMMM y"), QStringLiteral("Tuesday, 5. March 2024")},
          std::pair{QStringLiteral("yyyyMMdd'T'HHmm"), QStringLiteral("20240305T2330")}}) {
        const NameTemplate custom{NameLanguage::de, pattern};
        EXPECT_EQ(custom.values(recognition, QStringLiteral("x"), 1, std::nullopt).value(QStringLiteral("datum")),
                  expected);
    }

    // Without a recognised date the file date counts; without any date the
    // date placeholders are missing.
    recognition.date.reset();
    const auto fromFile = german.values(recognition, QStringLiteral("x.pdf"), 1,
                                        QDateTime(QDate(2023, 12, 31), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(fromFile.value(QStringLiteral("datum")), QStringLiteral("2023-12-31"));
    const auto none = german.values(std::nullopt, QStringLiteral("x.pdf"), 1, std::nullopt);
    EXPECT_EQ(none.keys().size(), 2);
    EXPECT_EQ(german.missing(QStringLiteral("{datum}{jahr}{monat}{original}{zaehler}{art}"), none),
              (QStringList{QStringLiteral("datum"), QStringLiteral("jahr"), QStringLiteral("monat"),
                           QStringLiteral("art")}));
}
