#include "NameTemplate.h"
#include "RealHome.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

const NameTemplate german{NameLanguage::de, u"yyyy-MM-dd"_s};
const NameTemplate english{NameLanguage::en, u"yyyy-MM-dd"_s};
const QString home = u"/home/anna"_s;

const NameTemplate::Values someValues{
    {u"datum"_s, u"2024-03-05"_s}, {u"jahr"_s, u"2024"_s},     {u"monat"_s, u"03"_s},      {u"betrag"_s, u"12,50"_s},
    {u"waehrung"_s, u"EUR"_s},     {u"art"_s, u"Rechnung"_s}, {u"original"_s, u"scan"_s}, {u"zaehler"_s, u"1"_s},
};

} // namespace

TEST(NameTemplate, PlaceholdersCaseAliasesMissingValuesAndBlanks)
{
    auto values = someValues;
    values.insert(u"titel"_s, QString()); // present but empty counts as missing
    for (const auto &[text, filled] : {
             std::pair{u"{Betrag} {WAEHRUNG}"_s, u"12,50 EUR"_s}, {u"{amount}"_s, u"12,50"_s}, {u"{counter}"_s, u"1"_s},
             {u"{DATE}/{Datum}/{year}-{Month}"_s, u"2024-03-05/2024-03-05/2024-03"_s},
             // "original" has no English alias; an unknown word is empty; only ASCII letters make a placeholder.
             {u"{origin}x"_s, u"x"_s}, {u"{datum2} {jahr}"_s, u"{datum2} 2024"_s},
             // Double blanks collapse; blanks, hyphens and underscores go from both ends.
             {u"{absender} Rechnung"_s, u"Rechnung"_s}, {u"_ {absender} -   {art}    {titel} - "_s, u"Rechnung"_s},
             {u"{art}    {jahr}"_s, u"Rechnung 2024"_s},
         })
        EXPECT_EQ(german.fill(text, values), filled) << text.toStdString();
    EXPECT_EQ(NameTemplate::tokens(u"{datum2} { datum } {{jahr}} {Art}{art}"_s), (QStringList{u"jahr"_s, u"Art"_s, u"art"_s}));
    EXPECT_EQ(NameTemplate::tokens(u"{Über}"_s), QStringList());
    EXPECT_EQ(german.fileName(u"{datum2}"_s, values, u"pdf"_s), u"{datum2}.pdf"_s);
    EXPECT_EQ(german.missing(u"{absender} {Sender} {absender} {titel} {datum}"_s, values),
              (QStringList{u"absender"_s, u"Sender"_s, u"absender"_s, u"titel"_s}));

    // A value that looks like a placeholder is never replaced a second time.
    values.insert(u"titel"_s, u"{datum}"_s);
    EXPECT_EQ(german.fill(u"{titel} {datum}"_s, values), u"{datum} 2024-03-05"_s);
}

TEST(NameTemplate, SanitizingNeverClimbsOutOrHidesAName)
{
    for (const auto &[text, clean] : {
             std::pair{u"a/b:c"_s, u"a-b-c"_s}, {u"a\\b"_s, u"a-b"_s}, {u"what?"_s, u"what_"_s}, {u"\"<x>|*"_s, u"__x___"_s},
             {u".hidden"_s, u"hidden"_s}, {u"a\nb\u200Bc"_s, u"a b c"_s}, {u"../../etc"_s, u"-..-etc"_s},
             // A tab or a blank in front of the dots must not leave a hidden name or "..".
             {u"\t.."_s, QString()}, {u" .hidden "_s, u"hidden"_s}, {u". . .x"_s, u"x"_s},
             // A slash carrying a combining mark is still a slash.
             {u"a/\u0301b"_s, u"a-b"_s}, {u"Müller & Söhne"_s, u"Müller & Söhne"_s},
         })
        EXPECT_EQ(NameTemplate::sanitize(text), clean) << text.toStdString();

    auto values = someValues;
    for (const QString &sender : {u"../../etc"_s, u".."_s, u"\t.."_s, u"a/b:c"_s, u"/"_s, u".hidden"_s}) {
        values.insert(u"absender"_s, sender);
        const QString folder = german.folder(u"~/Belege/{absender}"_s, values, home);
        EXPECT_TRUE(folder.startsWith(home + u"/Belege/"_s)) << folder.toStdString();
        EXPECT_EQ(QDir::cleanPath(folder), folder) << folder.toStdString();
        EXPECT_FALSE(folder.mid(folder.lastIndexOf(u'/') + 1).startsWith(u'.')) << folder.toStdString();
        const QString name = german.fileName(u"{absender}"_s, values, u"pdf"_s);
        EXPECT_FALSE(name.contains(u'/') || name.startsWith(u'.')) << name.toStdString();
    }
    values.insert(u"absender"_s, u"../../etc"_s);
    EXPECT_EQ(german.folder(u"~/{absender}"_s, values, home), u"/home/anna/-..-etc"_s);
    EXPECT_EQ(german.folder(u"~/../x/./y"_s, values, home), u"/home/anna/Unbekannt/x/Unbekannt/y"_s);
}

TEST(NameTemplate, FileNamesDropTemplateExtensionsKeepTheOriginalAndStayShort)
{
    for (const auto &[text, extension, name] : {
             std::tuple{u"{art}.pdf"_s, u"PDF"_s, u"Rechnung.PDF"_s},
             {u"Version 1.2"_s, u"txt"_s, u"Version 1.2.txt"_s}, {u"Scan.tar.gz"_s, QString(), u"Scan.tar"_s},
             {u"Scan.jpegxl"_s, QString(), u"Scan.jpegxl"_s},
             // Two Hangul syllables written in six letters of jamo are two characters.
             {u"Scan.\u1112\u1161\u11AB\u1100\u1173\u11AF"_s, QString(), u"Scan"_s},
             // Empty after sanitizing: the original name; a lone slash keeps its hyphen.
             {u". . ."_s, u"pdf"_s, u"scan.pdf"_s}, {u"{absender}"_s, u"pdf"_s, u"scan.pdf"_s}, {u"/"_s, u"pdf"_s, u"-.pdf"_s},
             // 120 user-perceived characters at most, trailing blanks trimmed again.
             {QString(119, u'a') + u" bbbbbbbbbb"_s, u"pdf"_s, QString(119, u'a') + u".pdf"_s},
             {QString(130, u'x'), QString(), QString(120, u'x')}, {u"e\u0301"_s.repeated(130), QString(), u"e\u0301"_s.repeated(85)}, // 255 bytes
         })
        EXPECT_EQ(german.fileName(text, someValues, extension), name) << text.toStdString();
    EXPECT_EQ(german.fileName(QString(), {}, u"pdf"_s), u"Unnamed.pdf"_s);

    // 255 bytes of UTF-8 at most, cut between characters, the extension kept;
    // the same for folder names and for free names counted up.
    const QString wide = QString(130, u'\u6587'); // three bytes each
    const QString emoji = u"\U0001F600"_s.repeated(70); // four bytes each
    EXPECT_EQ(german.fileName(wide, someValues, u"pdf"_s), wide.left(83) + u".pdf"_s);
    EXPECT_EQ(german.fileName(emoji, someValues, u"pdf"_s), emoji.left(2 * 62) + u".pdf"_s);
    EXPECT_EQ(german.folder(u"~/"_s + wide + u"/x"_s, someValues, home), home + u"/"_s + wide.left(85) + u"/x"_s);
    const QString taken = u"/d/"_s + wide.left(83) + u"ab.pdf"_s; // 255 bytes
    EXPECT_EQ(NameTemplate::freeURL(taken, [&](const QString &p) { return p == taken; }),
              u"/d/"_s + wide.left(83) + u" 2.pdf"_s);
    QTemporaryDir dir;
    EXPECT_TRUE(TestSupport::writeFile(dir.filePath(german.fileName(wide, someValues, u"pdf"_s)), "x"));
}

// A template's own extension goes when it is letters only, a letter with its
// marks counting as a letter however it is written; anything else stays.
TEST(NameTemplate, AnExtensionOfLettersGoesInEitherNormalForm)
{
    const struct
    {
        QString text;
        QString name;
    } cases[] = {
        {u"Rechnung.pp\u00E9"_s, u"Rechnung.pdf"_s},                   // é as one code point
        {u"Rechnung.ppe\u0301"_s, u"Rechnung.pdf"_s},                  // e with a combining accent
        {u"Brief.a\u0308rger"_s, u"Brief.pdf"_s},                      // a mark inside
        {u"Scan.\u0915\u094D\u0937"_s, u"Scan.pdf"_s},                // a conjunct: letters joined by a sign
        {u"Scan.e\u0301e\u0301e\u0301e\u0301e\u0301"_s, u"Scan.pdf"_s}, // five characters
        {u"Scan.e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301"_s, u"Scan.e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301.pdf"_s},
        {u"Scan.v2"_s, u"Scan.v2.pdf"_s},
        {u"Scan.1\u0301"_s, u"Scan.1\u0301.pdf"_s},                    // a mark on a digit
        {u"Scan.\U0001F600"_s, u"Scan.\U0001F600.pdf"_s},
        {u"Scan.a&b"_s, u"Scan.a&b.pdf"_s},
    };
    for (const auto &[text, name] : cases)
        EXPECT_EQ(german.fileName(text, someValues, u"pdf"_s), name) << text.toStdString();
}

namespace {

// A name the file system takes: 1 to 255 bytes of valid UTF-8 (so no half
// of a surrogate pair), no slash.
void expectWritableName(const QString &name, const std::string &what)
{
    const QByteArray bytes = name.toUtf8();
    EXPECT_GE(bytes.size(), 1) << what;
    EXPECT_LE(bytes.size(), NameTemplate::maxNameBytes) << what << " " << bytes.size();
    EXPECT_EQ(QString::fromUtf8(bytes), name) << what;
    EXPECT_FALSE(name.contains(u'/')) << what;
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

// Titles that the byte limit cuts in awkward places: one character longer
// than the limit by itself, a long text after the last dot, and letters whose
// character boundaries fall inside a following surrogate pair. Every name is
// written, never empty, never only its extension, and keeps its extension.
TEST(NameTemplate, NamesAreNeverCutToNothingOrPastTheByteLimit)
{
    auto values = someValues;
    const QString huge = u"a"_s + QString(130, QChar(0x0301)); // one character, 261 bytes
    values.insert(u"titel"_s, huge);
    const QString withExtension = german.fileName(u"{titel}"_s, values, u"pdf"_s);
    expectWritableName(withExtension, "huge.pdf");
    EXPECT_TRUE(withExtension.startsWith(u"a\u0301"_s) && withExtension.endsWith(u".pdf"_s));
    EXPECT_EQ(withExtension.toUtf8().size(), 255);
    const QString bare = german.fileName(u"{titel}"_s, values, QString());
    expectWritableName(bare, "huge");
    EXPECT_TRUE(bare.startsWith(u"a\u0301"_s));
    expectWritableName(lastComponent(german.folder(u"~/{titel}"_s, values, home)), "huge folder");
    // Nothing left of the title at all: the original name, cut the same way.
    values.insert(u"titel"_s, QString(300, QChar(0x200B)));
    values.insert(u"original"_s, huge);
    EXPECT_TRUE(german.fileName(u"{titel}"_s, values, u"pdf"_s).startsWith(u"a\u0301"_s));

    // A long text after the last dot is no extension: the base stays, the
    // numbered name fits.
    const QString longTail = QString(252, u'x');
    const QString free = NameTemplate::freeURL(u"/d/Bericht."_s + longTail, [](const QString &p) { return !p.endsWith(u" 2"_s); });
    expectWritableName(lastComponent(free), "long tail");
    EXPECT_TRUE(lastComponent(free).startsWith(u"Bericht.xx"_s) && free.endsWith(u"x 2"_s)) << free.toStdString();
    const QString renamed = german.fileName(u"{art}"_s, someValues, longTail);
    expectWritableName(renamed, "renamed long tail");
    EXPECT_TRUE(renamed.startsWith(u"Rechnung.xx"_s)) << renamed.toStdString();
    EXPECT_EQ(NameTemplate::freeURL(u"/d/Bericht 2024.final version"_s, [](const QString &p) { return p.endsWith(u"version"_s); }),
              u"/d/Bericht 2024.final version 2"_s);
    // A real extension stays, however long the base.
    EXPECT_TRUE(NameTemplate::freeURL(u"/d/"_s + QString(251, u'b') + u".pdf"_s, [](const QString &p) { return !p.contains(u" 2"_s); })
                    .endsWith(u"b 2.pdf"_s));

    const QStringList titles{u"बिल📄"_s.repeated(60), u"क😀"_s.repeated(100), u"ก😀"_s.repeated(100),
                             u"ที่📄"_s.repeated(60), u"क"_s + u"😀"_s.repeated(100), huge + u"😀"_s.repeated(10)};
    for (const QString &title : titles) {
        const std::string what = title.left(8).toStdString();
        values.insert(u"titel"_s, title);
        for (const QString &extension : {u"pdf"_s, QString()}) {
            const QString name = german.fileName(u"{titel}"_s, values, extension);
            expectWritableName(name, what);
            if (!extension.isEmpty()) {
                EXPECT_TRUE(name.endsWith(u".pdf"_s) && name.size() > 4) << what;
            }
            const QString next = NameTemplate::freeURL(u"/d/"_s + name, [&](const QString &p) { return p == u"/d/"_s + name; });
            expectWritableName(lastComponent(next), what + " counted up");
            if (!extension.isEmpty()) {
                EXPECT_TRUE(next.endsWith(u" 2.pdf"_s)) << what;
            }
        }
        expectWritableName(lastComponent(german.folder(u"~/{titel}"_s, values, home)), what + " folder");
    }
}

TEST(NameTemplate, FoldersResolveHomeAndRoot)
{
    const NameTemplate::Values noDate{{u"original"_s, u"x"_s}};
    EXPECT_EQ(german.folder(u"~/Belege/{jahr}"_s, noDate, home), u"/home/anna/Belege/Unbekannt"_s);
    EXPECT_EQ(english.folder(u"~/Belege/{jahr}"_s, noDate, home), u"/home/anna/Belege/Unknown"_s);
    for (const auto &[text, folder] :
         {std::pair{u"~"_s, home}, {u"  ~/ "_s, home}, {QString(), u"/"_s}, {u"/srv//Ablage/"_s, u"/srv/Ablage"_s}})
        EXPECT_EQ(german.folder(text, noDate, home), folder) << text.toStdString();
    EXPECT_EQ(german.folder(u"~/Belege/{jahr}/{monat}"_s, someValues, home), u"/home/anna/Belege/2024/03"_s);
}

TEST(NameTemplate, AmountsHaveTwoDecimalsInTheNameLanguage)
{
    for (const auto &[amount, language, text] :
         {std::tuple{u"1234.5", NameLanguage::de, u"1234,50"_s}, {u"1234.5", NameLanguage::en, u"1234.50"_s},
          {u"1234567.891", NameLanguage::en, u"1234567.89"_s}, {u"-0.5", NameLanguage::de, u"-0,50"_s},
          {u"12", NameLanguage::de, u"12,00"_s}})
        EXPECT_EQ(NameTemplate::format(*Decimal::fromString(amount), language), text);
}

TEST(NameTemplate, FreeNamesCountUpBesideTakenOnes)
{
    for (const auto &[path, taken, free] : {
             std::tuple{u"/d/a.pdf"_s, QSet<QString>{}, u"/d/a.pdf"_s},
             {u"/d/a.pdf"_s, QSet{u"/d/a.pdf"_s, u"/d/a 2.pdf"_s}, u"/d/a 3.pdf"_s}, {u"/d/Scan"_s, QSet{u"/d/Scan"_s}, u"/d/Scan 2"_s},
             {u"/d/x.tar.gz"_s, QSet{u"/d/x.tar.gz"_s}, u"/d/x.tar 2.gz"_s}, {u"/d.v/.bashrc"_s, QSet{u"/d.v/.bashrc"_s}, u"/d.v/.bashrc 2"_s},
         })
        EXPECT_EQ(NameTemplate::freeURL(path, [&](const QString &p) { return taken.contains(p); }), free);

    int asked = 0;
    const QString last = NameTemplate::freeURL(u"/d/a.pdf"_s, [&asked](const QString &) { return ++asked; });
    EXPECT_EQ(asked, 9999);
    EXPECT_TRUE(last.startsWith(u"/d/"_s) && last.endsWith(u".pdf"_s) && last.size() == 3 + 36 + 4) << last.toStdString();
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

    const QString real = RealHome::path();
    for (const auto &[path, shown] : {std::pair{real + u"/Documents"_s, u"~/Documents"_s}, {real, u"~"_s},
                                      {real + u"bel/x"_s, real + u"bel/x"_s}, {u"/srv/x"_s, u"/srv/x"_s}})
        EXPECT_EQ(RealHome::abbreviate(path), shown);
}

TEST(NameTemplate, ValuesComeFromTheRecognitionElseTheFileDate)
{
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    recognition.sender = u"Beispiel Handels GmbH"_s;
    recognition.date = QDateTime(QDate(2024, 3, 5), QTime(23, 30), Qt::UTC);
    recognition.amount = Decimal::fromString(u"12.5");
    recognition.currency = u"EUR"_s;

    const auto values = german.values(recognition, u"Scan.2024.pdf"_s, 7, std::nullopt);
    EXPECT_EQ(values, (NameTemplate::Values{{u"datum"_s, u"2024-03-05"_s}, {u"jahr"_s, u"2024"_s}, {u"monat"_s, u"03"_s},
                                            {u"absender"_s, u"Beispiel Handels"_s}, {u"betrag"_s, u"12,50"_s},
                                            {u"waehrung"_s, u"EUR"_s}, {u"art"_s, u"Rechnung"_s},
                                            {u"original"_s, u"Scan.2024"_s}, {u"zaehler"_s, u"7"_s}}));
    EXPECT_EQ(english.values(recognition, u"x"_s, 1, std::nullopt).value(u"art"_s), u"Invoice"_s);

    // Any Unicode date pattern, in the POSIX locale and UTC.
    for (const auto &[pattern, expected] : {std::pair{u"dd.MM.yyyy"_s, u"05.03.2024"_s},
                                            {u"EEEE, d. MMMM y"_s, u"Tuesday, 5. March 2024"_s},
                                            {u"yyyyMMdd'T'HHmm"_s, u"20240305T2330"_s}})
        EXPECT_EQ(NameTemplate(NameLanguage::de, pattern).values(recognition, u"x"_s, 1, std::nullopt).value(u"datum"_s),
                  expected);

    // Without a recognised date the file date counts; without any date the
    // date placeholders are missing.
    recognition.date.reset();
    EXPECT_EQ(german.values(recognition, u"x.pdf"_s, 1, QDateTime(QDate(2023, 12, 31), QTime(12, 0), Qt::UTC))
                  .value(u"datum"_s),
              u"2023-12-31"_s);
    const auto none = german.values(std::nullopt, u"x.pdf"_s, 1, std::nullopt);
    EXPECT_EQ(none.keys().size(), 2);
    EXPECT_EQ(german.missing(u"{datum}{jahr}{monat}{original}{zaehler}{art}"_s, none),
              (QStringList{u"datum"_s, u"jahr"_s, u"monat"_s, u"art"_s}));
}

// A template that fills to nothing leaves the name as it was, blanks and dots
// included; a made name is hidden only when the original was, is never "."
// or "..", and holds no half of a surrogate pair, which a model's answer may
// carry and which no name on disk can hold.
TEST(NameTemplate, NamesFilledToNothingStayTheOriginalAndMadeNamesAreWhole)
{
    for (const QString &original : {u" .Rechnung vom Mai"_s, u".  "_s, u" .pdf"_s, u"..pdf"_s, u".hidden"_s, u"  x  .pdf"_s}) {
        const NameTemplate::Values values = german.values(std::nullopt, original, 1, std::nullopt);
        EXPECT_EQ(german.fileName(u"{titel}"_s, values, NameTemplate::pathExtension(original)), original)
            << original.toStdString();
        EXPECT_EQ(german.fileName(u"{titel} . - _"_s, values, NameTemplate::pathExtension(original)), original)
            << original.toStdString();
    }
    // Values that stand for no real original: never a step up or a hidden name.
    for (const QString &original : {u"."_s, u".."_s, u" "_s}) {
        const NameTemplate::Values values{{u"original"_s, original}};
        EXPECT_EQ(german.fileName(u"{titel}"_s, values, QString()), original == u" " ? original : u"Unnamed"_s);
    }
    EXPECT_EQ(german.fileName(u"{titel}"_s, {{u"original"_s, QString()}}, u"Rechnung vom Mai"_s), u"Unnamed"_s);

    const Recognition answer = Recognition::fromJsonData(
        R"({"kind":"invoice","title":"Mai \ud83d","sender":"\udc00ACME","confidence":0.9,"source":"model","readAt":0,"notes":[]})");
    ASSERT_EQ(answer.title, u"Mai "_s + QChar(0xD83D)); // kept by the JSON reader
    const NameTemplate::Values values = german.values(answer, u"scan.pdf"_s, 1, std::nullopt);
    const QString name = german.fileName(u"{titel} {absender}"_s, values, u"pdf"_s);
    EXPECT_EQ(name, u"Mai \uFFFD \uFFFDACME.pdf"_s);
    EXPECT_EQ(german.folder(u"~/{absender}/{titel}"_s, values, home), home + u"/\uFFFDACME/Mai \uFFFD"_s);
    EXPECT_EQ(NameTemplate::sanitize(QString(QChar(0xDE00)) + u"😀"_s + QChar(0xD83D)), u"\uFFFD😀\uFFFD"_s);
    // The name written is the name planned.
    QTemporaryDir dir;
    ASSERT_TRUE(TestSupport::writeFile(dir.filePath(name), "x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
}
