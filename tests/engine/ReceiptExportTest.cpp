#include "ReceiptExport.h"

#include "ArchiveCheck.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QString header = u"Datum;Absender;Betrag;Währung;Art;Dateiname"_s;

ReceiptLine lineFor(const QString &file, DocumentKind kind = DocumentKind::invoice, const QString &sender = QString())
{
    ReceiptLine line;
    line.kind = kind;
    line.file = file;
    if (!sender.isEmpty())
        line.sender = sender;
    return line;
}

// The rows of a list, without the byte-order mark and the final CR LF.
QStringList rows(const QString &text)
{
    EXPECT_TRUE(text.startsWith(u'\uFEFF'));
    EXPECT_TRUE(text.endsWith(u"\r\n"_s));
    return text.mid(1).chopped(2).split(u"\r\n"_s);
}

// Names as bytes, in a form a failure prints readably.
std::vector<std::string> bytesOf(const QList<QByteArray> &names)
{
    std::vector<std::string> strings;
    for (const QByteArray &name : names)
        strings.push_back(name.toStdString());
    return strings;
}

QStringList entriesOf(const QDir &dir)
{
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(ReceiptExport, ListsEveryFieldInGermanAndEscapesWhatNeedsIt)
{
    EXPECT_EQ(ReceiptExport::baseName(2026, 3), u"belege-2026-03"_s);

    ReceiptLine full = lineFor(u"/x/Rechnung.pdf"_s, DocumentKind::invoice, u"Müller; Söhne"_s);
    full.date = CalendarUtc::noon(QDate(2026, 10, 12));
    full.amount = Decimal::fromString(u"1234.5");
    full.currency = u"EUR"_s;
    ReceiptLine quoted = lineFor(u"/x/b.pdf"_s, DocumentKind::receipt, u"Der \"Laden\""_s);
    quoted.amount = Decimal::fromString(u"-12.5"); // formatted by the export: never guarded
    ReceiptLine bare = lineFor(u"/x/e.pdf"_s, DocumentKind::bankStatement, u"Stadtwerke"_s);
    bare.date = CalendarUtc::noon(QDate(2026, 1, 2));
    const ReceiptLine scan = lineFor(u"/x/scan.pdf"_s, DocumentKind::other);

    const QString text = ReceiptExport::csv(
        {full, quoted, lineFor(u"/x/c.pdf"_s, DocumentKind::payslip, u"Zeile 1\nZeile 2"_s),
         lineFor(u"/x/d.pdf"_s, DocumentKind::letter, u"A\u2028B"_s), bare, scan},
        {u"Rechnung.pdf"_s, u"b;1.pdf"_s, u"c.pdf"_s, u"d.pdf"_s, u"e.pdf"_s, u"scan.pdf"_s, u"extra name, ignored"_s});
    EXPECT_EQ(rows(text), (QStringList{
                              header,
                              u"12.10.2026;\"Müller; Söhne\";1234,50;EUR;Rechnung;Rechnung.pdf"_s,
                              u";\"Der \"\"Laden\"\"\";-12,50;;Quittung;\"b;1.pdf\""_s,
                              u";\"Zeile 1\nZeile 2\";;;Gehaltsabrechnung;c.pdf"_s,
                              u";\"A\u2028B\";;;Brief;d.pdf"_s,
                              u"02.01.2026;Stadtwerke;;;Kontoauszug;e.pdf"_s,
                              u";;;;Sonstiges;scan.pdf"_s,
                          }));

    // More lines than names: the extra lines are left out.
    EXPECT_EQ(ReceiptExport::csv({full, scan}, {u"a.pdf"_s}).count(u"\r\n"_s), 2);
    EXPECT_EQ(ReceiptExport::csv({}, {}), u"\uFEFF"_s + header + u"\r\n"_s);

    QStringList words;
    for (DocumentKind kind : DocumentKinds::allCases)
        words.append(rows(ReceiptExport::csv({lineFor(u"/x/a"_s, kind)}, {u"a"_s})).at(1).section(u';', 4, 4));
    EXPECT_EQ(words, (QStringList{u"Rechnung"_s, u"Quittung"_s, u"Vertrag"_s, u"Kontoauszug"_s, u"Gehaltsabrechnung"_s,
                                  u"Brief"_s, u"Bildschirmfoto"_s, u"Foto"_s, u"Installer"_s, u"Sonstiges"_s}));
}

TEST(ReceiptExport, GuardsTextFieldsThatSpreadsheetsWouldRunAsFormulas)
{
    // Only the first character counts.
    for (const auto &[sender, name, currency, row] : {
             std::tuple{u"=HYPERLINK(\"http://x\")"_s, u"a.pdf"_s, QString(),
                        u";\"'=HYPERLINK(\"\"http://x\"\")\";-5,00;;Rechnung;a.pdf"_s},
             {u"+49 30 123"_s, u"-scan.pdf"_s, QString(), u";'+49 30 123;-5,00;;Rechnung;'-scan.pdf"_s},
             {u"@home"_s, u"=1+1.pdf"_s, u"=A1"_s, u";'@home;-5,00;'=A1;Rechnung;'=1+1.pdf"_s},
             {u"\tTab"_s, u"\rCR.pdf"_s, QString(), u";'\tTab;-5,00;;Rechnung;\"'\rCR.pdf\""_s},
             {u"A=B"_s, u"a-b.pdf"_s, QString(), u";A=B;-5,00;;Rechnung;a-b.pdf"_s},
         }) {
        ReceiptLine line = lineFor(u"/x/"_s + name, DocumentKind::invoice, sender);
        if (!currency.isEmpty())
            line.currency = currency;
        line.amount = Decimal::fromString(u"-5");
        EXPECT_EQ(rows(ReceiptExport::csv({line}, {name})).at(1), row);
    }
}

TEST(ReceiptExport, WritesAnArchiveWithTheListAndEveryReadableFile)
{
    const QTemporaryDir dir;
    const QDir in(dir.filePath(u"in"_s));
    const QDir out(dir.filePath(u"out"_s));
    QDir(dir.path()).mkpath(u"out"_s);
    const QString fifo = in.filePath(u"pipe.pdf"_s);
    const QString locked = in.filePath(u"locked/Beleg.pdf"_s);
    for (const auto &[name, content] : {std::pair{"a/Beleg.pdf", "first"}, {"b/beleg.PDF", "second"}, {"c/Beleg.pdf", "third"},
                                        {"d/Quittung Bäckerei Süß.jpg", "fourth"}, {"e/..\\..\\boot.ini", "fifth"},
                                        {"locked/Beleg.pdf", "locked"}, {"f/belege-2026-10.csv", "sixth"}})
        ASSERT_TRUE(TestSupport::writeFile(in.filePath(QString::fromUtf8(name)), content));
    // A name that is not UTF-8 reaches the export with U+FFFD for its bad byte.
    const QByteArray latin1Name = QFile::encodeName(in.path()) + "/Beleg M\xfcller.pdf";
    const int fd = ::open(latin1Name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "seventh", 7), 7);
    ::close(fd);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    ASSERT_TRUE(in.mkpath(u"folder.pdf"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);

    const QList<ReceiptLine> lines{
        lineFor(in.filePath(u"missing/Beleg.pdf"_s)),
        lineFor(in.filePath(u"a/Beleg.pdf"_s), DocumentKind::invoice, u"Bäckerei; Süß"_s),
        lineFor(in.filePath(u"folder.pdf"_s)),
        lineFor(in.filePath(u"b/beleg.PDF"_s)),
        lineFor(fifo),
        lineFor(locked),
        // Opens as a regular file, but reading it fails: dropped after the copying has begun.
        lineFor(u"/proc/self/mem"_s),
        lineFor(in.filePath(u"c/Beleg.pdf"_s)),
        lineFor(in.filePath(u"d/Quittung Bäckerei Süß.jpg"_s), DocumentKind::receipt),
        lineFor(in.filePath(u"e/..\\..\\boot.ini"_s)),
        lineFor(in.filePath(u"f/belege-2026-10.csv"_s)),
        lineFor(QFile::decodeName(latin1Name)),
    };
    const bool root = ::geteuid() == 0; // root reads a file without permissions all the same
    const QString path = ReceiptExport::write(lines, 2026, 10, out.path());
    EXPECT_EQ(path, out.filePath(u"belege-2026-10.zip"_s));
    EXPECT_EQ(entriesOf(out), QStringList{u"belege-2026-10.zip"_s});

    QString output;
    EXPECT_TRUE(ArchiveCheck::testWithUnzip(path, &output)) << output.toStdString();
    QStringList names;
    QByteArrayList contents;
    for (const ArchiveCheck::Entry &entry : ArchiveCheck::readWithPython(path)) {
        names.append(entry.name.section(u'/', 1));
        EXPECT_TRUE(entry.name.startsWith(u"belege-2026-10/"_s)) << entry.name.toStdString();
        contents.append(entry.data);
        EXPECT_EQ(entry.size, entry.data.size());
    }
    // Each file under a free name, its row beside it (the locked one only for root).
    QStringList expectedNames{u"belege-2026-10.csv"_s, u"Beleg.pdf"_s, u"beleg 2.PDF"_s};
    QByteArrayList expectedContents{{}, "first", "second"};
    QStringList expectedRows{header, u";\"Bäckerei; Süß\";;;Rechnung;Beleg.pdf"_s, u";;;;Rechnung;beleg 2.PDF"_s};
    if (root) {
        expectedNames.append(u"Beleg 3.pdf"_s);
        expectedContents.append("locked");
        expectedRows.append(u";;;;Rechnung;Beleg 3.pdf"_s);
    }
    const QString third = u"Beleg %1.pdf"_s.arg(root ? 4 : 3);
    // A file named like the list gets a name of its own.
    expectedNames += QStringList{third, u"Quittung Bäckerei Süß.jpg"_s, u"..-..-boot.ini"_s, u"belege-2026-10 2.csv"_s,
                                 u"Beleg M\uFFFDller.pdf"_s};
    expectedContents += QByteArrayList{"third", "fourth", "fifth", "sixth", "seventh"};
    expectedRows += QStringList{u";;;;Rechnung;"_s + third, u";;;;Quittung;Quittung Bäckerei Süß.jpg"_s,
                                u";;;;Rechnung;..-..-boot.ini"_s, u";;;;Rechnung;belege-2026-10 2.csv"_s,
                                u";;;;Rechnung;Beleg M\uFFFDller.pdf"_s};
    EXPECT_EQ(names, expectedNames);
    ASSERT_EQ(contents.size(), expectedContents.size());
    EXPECT_EQ(contents.mid(1), expectedContents.mid(1));
    ASSERT_TRUE(contents.at(0).startsWith(bom));
    // (Decoding UTF-8 with Qt would drop the byte-order mark.)
    EXPECT_EQ(rows(u'\uFEFF' + QString::fromUtf8(contents.at(0).mid(3))), expectedRows);
}

TEST(ReceiptExport, UnzipListsAndExtractsTheNamesAsWritten)
{
    const QTemporaryDir dir;
    const QList<QByteArray> names{"Bäckerei Huber 7,85 EUR.pdf", "Müller & Söhne.pdf", "Łódź Hotel.pdf"};
    QList<ReceiptLine> lines;
    for (const QByteArray &name : names) {
        const QString file = dir.filePath(u"in/"_s + QString::fromUtf8(name));
        ASSERT_TRUE(TestSupport::writeFile(file, name));
        lines.append(lineFor(file));
    }
    const QString path = ReceiptExport::write(lines, 2026, 10, dir.path());

    QList<QByteArray> expected{"belege-2026-10.csv"};
    expected += names;
    std::sort(expected.begin(), expected.end());

    // The listing: the names stand in the column under "Name", byte for byte.
    const QList<QByteArray> listing = ArchiveCheck::runUnzip({u"-l"_s, path}).split('\n');
    ASSERT_GE(listing.size(), 3);
    const qsizetype column = listing.at(1).indexOf("Name");
    ASSERT_GT(column, 0) << listing.at(1).toStdString();
    QList<QByteArray> listed;
    for (const QByteArray &line : listing.mid(3)) {
        if (line.startsWith("---"))
            break;
        listed.append(line.mid(column));
    }
    std::sort(listed.begin(), listed.end());
    QList<QByteArray> expectedListed;
    for (const QByteArray &name : expected)
        expectedListed.append("belege-2026-10/" + name);
    EXPECT_EQ(bytesOf(listed), bytesOf(expectedListed));

    // The extracted files carry the same names, and each its own content.
    const QString out = dir.filePath(u"out"_s);
    ArchiveCheck::runUnzip({u"-q"_s, path, u"-d"_s, out});
    EXPECT_EQ(bytesOf(ArchiveCheck::rawNames(out)), std::vector<std::string>{"belege-2026-10"});
    EXPECT_EQ(bytesOf(ArchiveCheck::rawNames(out + u"/belege-2026-10"_s)), bytesOf(expected));
    for (const QByteArray &name : names)
        EXPECT_EQ(TestSupport::readFile(out + u"/belege-2026-10/"_s + QString::fromUtf8(name)), name);
}

TEST(ReceiptExport, NeverReplacesAnExistingArchive)
{
    const QTemporaryDir dir;
    const QString taken = dir.filePath(u"belege-2026-10.zip"_s);
    ASSERT_TRUE(TestSupport::writeFile(taken, "old archive"));
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(ReceiptExport::write({}, 2026, 10, dir.path(), now), dir.filePath(u"belege-2026-10 2.zip"_s));
    EXPECT_EQ(ReceiptExport::write({}, 2026, 10, dir.path(), now), dir.filePath(u"belege-2026-10 3.zip"_s));
    EXPECT_EQ(TestSupport::readFile(taken), QByteArray("old archive"));

    // An empty export: the list with its header row alone.
    const QList<ArchiveCheck::Entry> entries = ArchiveCheck::readWithPython(dir.filePath(u"belege-2026-10 2.zip"_s));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, u"belege-2026-10/belege-2026-10.csv"_s);
    EXPECT_EQ(entries[0].data, bom + header.toUtf8() + "\r\n");
}

TEST(ReceiptExport, FailsCleanlyWhenTheArchiveCannotBeWritten)
{
    const QTemporaryDir dir;
    const QString missing = dir.filePath(u"no such folder"_s);
    try {
        ReceiptExport::write({}, 2026, 10, missing);
        ADD_FAILURE() << "an archive was written into a missing folder";
    } catch (const ReceiptExport::Error &error) {
        EXPECT_TRUE(error.message().contains(missing)) << error.what();
    }
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A stamp the format cannot hold is refused, and nothing is left behind.
    ASSERT_TRUE(TestSupport::writeFile(dir.filePath(u"in/a.pdf"_s), "data"));
    const QDateTime far(QDate(2108, 6, 1), QTime(12, 0), Qt::UTC);
    EXPECT_THROW(ReceiptExport::write({lineFor(dir.filePath(u"in/a.pdf"_s))}, 2108, 5, dir.path(), far), ReceiptExport::Error);
    EXPECT_EQ(entriesOf(QDir(dir.path())), QStringList{u"in"_s});

    // Two names that are not UTF-8 and read alike: no telling which is meant.
    for (const char *name : {"/in/Beleg\xfc.pdf", "/in/Beleg\xfd.pdf"}) {
        const int fd = ::open((QFile::encodeName(dir.path()) + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    EXPECT_THROW(ReceiptExport::write({lineFor(dir.filePath(u"in/Beleg\uFFFD.pdf"_s))}, 2026, 10, dir.path()),
                 ReceiptExport::Error);
}
