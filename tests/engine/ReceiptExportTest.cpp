#include "ReceiptExport.h"

#include "ArchiveCheck.h"
#include "ScopedTimeZone.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QString header = QStringLiteral("Datum;Absender;Betrag;Währung;Art;Dateiname");

ReceiptLine lineFor(const QString &file, DocumentKind kind = DocumentKind::invoice)
{
    ReceiptLine line;
    line.kind = kind;
    line.file = file;
    return line;
}

// The rows of a list, without the byte-order mark and the final CR LF.
QStringList rows(const QString &text)
{
    EXPECT_TRUE(text.startsWith(u'\uFEFF'));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    return text.mid(1).chopped(2).split(QStringLiteral("\r\n"));
}

QStringList entriesOf(const QDir &dir)
{
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(ReceiptExport, ListsEveryFieldInGermanAndEscapesWhatNeedsIt)
{
    EXPECT_EQ(ReceiptExport::baseName(2026, 10), QStringLiteral("belege-2026-10"));
    EXPECT_EQ(ReceiptExport::baseName(2026, 3), QStringLiteral("belege-2026-03"));

    ReceiptLine full = lineFor(QStringLiteral("/x/Rechnung.pdf"));
    full.date = CalendarUtc::noon(QDate(2026, 10, 12));
    full.sender = QStringLiteral("Müller; Söhne");
    full.amount = Decimal::fromString(u"1234.5");
    full.currency = QStringLiteral("EUR");
    ReceiptLine quoted = lineFor(QStringLiteral("/x/b.pdf"), DocumentKind::receipt);
    quoted.sender = QStringLiteral("Der \"Laden\"");
    quoted.amount = Decimal::fromString(u"-12.5"); // formatted by the export: never guarded
    ReceiptLine broken = lineFor(QStringLiteral("/x/c.pdf"), DocumentKind::payslip);
    broken.sender = QStringLiteral("Zeile 1\nZeile 2");
    ReceiptLine separator = lineFor(QStringLiteral("/x/d.pdf"), DocumentKind::letter);
    separator.sender = QStringLiteral("A\u2028B");
    ReceiptLine bare = lineFor(QStringLiteral("/x/e.pdf"), DocumentKind::bankStatement);
    bare.sender = QStringLiteral("Stadtwerke");
    bare.date = CalendarUtc::noon(QDate(2026, 1, 2));
    const ReceiptLine scan = lineFor(QStringLiteral("/x/scan.pdf"), DocumentKind::other);

    const QString text = ReceiptExport::csv({full, quoted, broken, separator, bare, scan},
                                            {QStringLiteral("Rechnung.pdf"), QStringLiteral("b;1.pdf"),
                                             QStringLiteral("c.pdf"), QStringLiteral("d.pdf"), QStringLiteral("e.pdf"),
                                             QStringLiteral("scan.pdf"), QStringLiteral("extra name, ignored")});
    EXPECT_EQ(rows(text), (QStringList{
                              header,
                              QStringLiteral("12.10.2026;\"Müller; Söhne\";1234,50;EUR;Rechnung;Rechnung.pdf"),
                              QStringLiteral(";\"Der \"\"Laden\"\"\";-12,50;;Quittung;\"b;1.pdf\""),
                              QStringLiteral(";\"Zeile 1\nZeile 2\";;;Gehaltsabrechnung;c.pdf"),
                              QStringLiteral(";\"A\u2028B\";;;Brief;d.pdf"),
                              QStringLiteral("02.01.2026;Stadtwerke;;;Kontoauszug;e.pdf"),
                              QStringLiteral(";;;;Sonstiges;scan.pdf"),
                          }));

    // More lines than names: the extra lines are left out.
    EXPECT_EQ(ReceiptExport::csv({full, scan}, {QStringLiteral("a.pdf")}).count(QStringLiteral("\r\n")), 2);
    const QString empty = ReceiptExport::csv({}, {});
    EXPECT_EQ(empty, QStringLiteral("\uFEFF") + header + QStringLiteral("\r\n"));

    QStringList words;
    for (DocumentKind kind : DocumentKinds::allCases)
        words.append(rows(ReceiptExport::csv({lineFor(QStringLiteral("/x/a"), kind)}, {QStringLiteral("a")}))
                         .at(1)
                         .section(u';', 4, 4));
    EXPECT_EQ(words, (QStringList{QStringLiteral("Rechnung"), QStringLiteral("Quittung"), QStringLiteral("Vertrag"),
                                  QStringLiteral("Kontoauszug"), QStringLiteral("Gehaltsabrechnung"),
                                  QStringLiteral("Brief"), QStringLiteral("Bildschirmfoto"), QStringLiteral("Foto"),
                                  QStringLiteral("Installer"), QStringLiteral("Sonstiges")}));
}

TEST(ReceiptExport, GuardsTextFieldsThatSpreadsheetsWouldRunAsFormulas)
{
    const auto rowFor = [](const QString &sender, const QString &name, const QString &currency = QString()) {
        ReceiptLine line = lineFor(QStringLiteral("/x/") + name);
        line.sender = sender;
        if (!currency.isEmpty())
            line.currency = currency;
        line.amount = Decimal::fromString(u"-5");
        return rows(ReceiptExport::csv({line}, {name})).at(1);
    };
    EXPECT_EQ(rowFor(QStringLiteral("=HYPERLINK(\"http://x\")"), QStringLiteral("a.pdf")),
              QStringLiteral(";\"'=HYPERLINK(\"\"http://x\"\")\";-5,00;;Rechnung;a.pdf"));
    EXPECT_EQ(rowFor(QStringLiteral("+49 30 123"), QStringLiteral("-scan.pdf")),
              QStringLiteral(";'+49 30 123;-5,00;;Rechnung;'-scan.pdf"));
    EXPECT_EQ(rowFor(QStringLiteral("@home"), QStringLiteral("=1+1.pdf"), QStringLiteral("=A1")),
              QStringLiteral(";'@home;-5,00;'=A1;Rechnung;'=1+1.pdf"));
    EXPECT_EQ(rowFor(QStringLiteral("\tTab"), QStringLiteral("\rCR.pdf")),
              QStringLiteral(";'\tTab;-5,00;;Rechnung;\"'\rCR.pdf\""));
    // Only the first character counts.
    EXPECT_EQ(rowFor(QStringLiteral("A=B"), QStringLiteral("a-b.pdf")), QStringLiteral(";A=B;-5,00;;Rechnung;a-b.pdf"));
}

TEST(ReceiptExport, WritesAnArchiveWithTheListAndEveryReadableFile)
{
    const ScopedTimeZone zone("Europe/Berlin");

    const QTemporaryDir dir;
    const QDir in(dir.filePath(QStringLiteral("in")));
    const QDir out(dir.filePath(QStringLiteral("out")));
    QDir(dir.path()).mkpath(QStringLiteral("out"));
    const QString fifo = in.filePath(QStringLiteral("pipe.pdf"));
    const QString locked = in.filePath(QStringLiteral("locked/Beleg.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(in.filePath(QStringLiteral("a/Beleg.pdf")), "first"));
    ASSERT_TRUE(TestSupport::writeFile(in.filePath(QStringLiteral("b/beleg.PDF")), "second"));
    ASSERT_TRUE(TestSupport::writeFile(in.filePath(QStringLiteral("c/Beleg.pdf")), "third"));
    ASSERT_TRUE(TestSupport::writeFile(in.filePath(QStringLiteral("d/Quittung Bäckerei Süß.jpg")), "fourth"));
    ASSERT_TRUE(TestSupport::writeFile(in.filePath(QStringLiteral("e/..\\..\\boot.ini")), "fifth"));
    ASSERT_TRUE(TestSupport::writeFile(locked, "locked"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    ASSERT_TRUE(in.mkpath(QStringLiteral("folder.pdf")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);

    ReceiptLine first = lineFor(in.filePath(QStringLiteral("a/Beleg.pdf")));
    first.sender = QStringLiteral("Bäckerei; Süß");
    const QList<ReceiptLine> lines{
        lineFor(in.filePath(QStringLiteral("missing/Beleg.pdf"))),
        first,
        lineFor(in.filePath(QStringLiteral("folder.pdf"))),
        lineFor(in.filePath(QStringLiteral("b/beleg.PDF"))),
        lineFor(fifo),
        lineFor(locked),
        // Opens as a regular file, but reading it fails: dropped after the copying has begun.
        lineFor(QStringLiteral("/proc/self/mem")),
        lineFor(in.filePath(QStringLiteral("c/Beleg.pdf"))),
        lineFor(in.filePath(QStringLiteral("d/Quittung Bäckerei Süß.jpg")), DocumentKind::receipt),
        lineFor(in.filePath(QStringLiteral("e/..\\..\\boot.ini"))),
    };
    const bool root = ::geteuid() == 0; // root reads a file without permissions all the same
    // 14:37:59 local time on 5 March 2026.
    const QDateTime now(QDate(2026, 3, 5), QTime(13, 37, 59), Qt::UTC);
    const QString path = ReceiptExport::write(lines, 2026, 10, out.path(), now);
    EXPECT_EQ(path, out.filePath(QStringLiteral("belege-2026-10.zip")));
    EXPECT_EQ(entriesOf(out), QStringList{QStringLiteral("belege-2026-10.zip")});

    QString output;
    EXPECT_TRUE(ArchiveCheck::testWithUnzip(path, &output)) << output.toStdString();
    const QList<ArchiveCheck::Entry> entries = ArchiveCheck::readWithPython(path);
    QStringList names;
    QByteArrayList contents;
    for (const ArchiveCheck::Entry &entry : entries) {
        names.append(entry.name);
        contents.append(entry.data);
        EXPECT_EQ(entry.dateTime, (QList<int>{2026, 3, 5, 14, 37, 58})) << entry.name.toStdString();
        EXPECT_EQ(entry.size, entry.data.size());
    }
    QStringList expectedNames{QStringLiteral("belege-2026-10/belege-2026-10.csv"),
                              QStringLiteral("belege-2026-10/Beleg.pdf"),
                              QStringLiteral("belege-2026-10/beleg 2.PDF")};
    QByteArrayList expectedContents{{}, "first", "second"};
    if (root) {
        expectedNames.append(QStringLiteral("belege-2026-10/Beleg 3.pdf"));
        expectedContents.append("locked");
    }
    expectedNames += QStringList{QStringLiteral("belege-2026-10/Beleg %1.pdf").arg(root ? 4 : 3),
                                 QStringLiteral("belege-2026-10/Quittung Bäckerei Süß.jpg"),
                                 QStringLiteral("belege-2026-10/..-..-boot.ini")};
    expectedContents += QByteArrayList{"third", "fourth", "fifth"};
    EXPECT_EQ(names, expectedNames);
    ASSERT_EQ(contents.size(), expectedContents.size());
    EXPECT_EQ(contents.mid(1), expectedContents.mid(1));

    QStringList expectedRows{header, QStringLiteral(";\"Bäckerei; Süß\";;;Rechnung;Beleg.pdf"),
                             QStringLiteral(";;;;Rechnung;beleg 2.PDF")};
    if (root)
        expectedRows.append(QStringLiteral(";;;;Rechnung;Beleg 3.pdf"));
    expectedRows += QStringList{QStringLiteral(";;;;Rechnung;Beleg %1.pdf").arg(root ? 4 : 3),
                                QStringLiteral(";;;;Quittung;Quittung Bäckerei Süß.jpg"),
                                QStringLiteral(";;;;Rechnung;..-..-boot.ini")};
    ASSERT_TRUE(contents.at(0).startsWith(bom));
    // (Decoding UTF-8 with Qt would drop the byte-order mark.)
    EXPECT_EQ(rows(u'\uFEFF' + QString::fromUtf8(contents.at(0).mid(3))).join(u'|').toStdString(),
              expectedRows.join(u'|').toStdString());
}

TEST(ReceiptExport, NeverReplacesAnExistingArchive)
{
    const QTemporaryDir dir;
    const QString taken = dir.filePath(QStringLiteral("belege-2026-10.zip"));
    ASSERT_TRUE(TestSupport::writeFile(taken, "old archive"));
    const QDateTime now = QDateTime::currentDateTime();

    EXPECT_EQ(ReceiptExport::write({}, 2026, 10, dir.path(), now), dir.filePath(QStringLiteral("belege-2026-10 2.zip")));
    EXPECT_EQ(ReceiptExport::write({}, 2026, 10, dir.path(), now), dir.filePath(QStringLiteral("belege-2026-10 3.zip")));
    EXPECT_EQ(TestSupport::readFile(taken), QByteArray("old archive"));

    // An empty export: the list with its header row alone.
    const QList<ArchiveCheck::Entry> entries =
        ArchiveCheck::readWithPython(dir.filePath(QStringLiteral("belege-2026-10 2.zip")));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, QStringLiteral("belege-2026-10/belege-2026-10.csv"));
    EXPECT_EQ(entries[0].data, bom + header.toUtf8() + "\r\n");
}

TEST(ReceiptExport, FailsCleanlyWhenTheArchiveCannotBeWritten)
{
    const QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no such folder"));
    try {
        ReceiptExport::write({}, 2026, 10, missing);
        ADD_FAILURE() << "an archive was written into a missing folder";
    } catch (const ReceiptExport::Error &error) {
        EXPECT_TRUE(error.message().contains(missing)) << error.what();
    }
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A stamp the format cannot hold is refused, and nothing is left behind.
    ASSERT_TRUE(TestSupport::writeFile(dir.filePath(QStringLiteral("in/a.pdf")), "data"));
    const QDateTime far(QDate(2108, 6, 1), QTime(12, 0), Qt::UTC);
    EXPECT_THROW(ReceiptExport::write({lineFor(dir.filePath(QStringLiteral("in/a.pdf")))}, 2108, 5, dir.path(), far),
                 ReceiptExport::Error);
    EXPECT_EQ(entriesOf(QDir(dir.path())), QStringList{QStringLiteral("in")});
}
