#include "FileOperationError.h"
#include "TestSupport.h"
#include "Trash.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

// Points XDG_DATA_HOME at a folder that does not exist yet, for one test.
class ScopedDataHome
{
public:
    explicit ScopedDataHome(const QString &path) : m_saved(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", path.toUtf8());
    }
    ~ScopedDataHome() { qputenv("XDG_DATA_HOME", m_saved); }

private:
    QByteArray m_saved;
};

QString infoOf(const QString &root, const QString &name)
{
    return QString::fromUtf8(readFile(root + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo")));
}

dev_t deviceOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : 0;
}

} // namespace

TEST(Trash, HomeTrashIsMadeWhenMissingAndNeverReusesAName)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/filewright-trash-XXXXXX"));
    const ScopedDataHome dataHome(work.path() + QStringLiteral("/new/share"));
    const QString root = work.path() + QStringLiteral("/new/share/Trash");
    ASSERT_EQ(Trash::homeTrash(), root);

    const QString first = work.path() + QStringLiteral("/in/Rechnung März 100%.pdf");
    const QString second = work.path() + QStringLiteral("/other/Rechnung März 100%.pdf");
    ASSERT_TRUE(writeFile(first, "one"));
    ASSERT_TRUE(writeFile(second, "two"));
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));

    EXPECT_EQ(Trash::moveToTrash(first, when), root + QStringLiteral("/files/Rechnung März 100%.pdf"));
    EXPECT_EQ(Trash::moveToTrash(second, when), root + QStringLiteral("/files/Rechnung März 100% 2.pdf"));
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_EQ(readFile(root + QStringLiteral("/files/Rechnung März 100%.pdf")), "one");
    EXPECT_EQ(readFile(root + QStringLiteral("/files/Rechnung März 100% 2.pdf")), "two");
    EXPECT_EQ(infoOf(root, QStringLiteral("Rechnung März 100% 2.pdf")),
              QStringLiteral("[Trash Info]\nPath=") + QString::fromLatin1(QUrl::toPercentEncoding(second, "/"))
                  + QStringLiteral("\nDeletionDate=2024-03-05T14:07:09\n"));
    EXPECT_TRUE(infoOf(root, QStringLiteral("Rechnung März 100%.pdf")).contains(QStringLiteral("/in/Rechnung%20M%C3%A4rz%20100%25.pdf\n")));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(root).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A folder goes to the Trash as a whole; a name left in files/ without
    // its info is not taken over either.
    ASSERT_TRUE(writeFile(work.path() + QStringLiteral("/box/a/b.txt"), "b"));
    ASSERT_TRUE(writeFile(root + QStringLiteral("/files/box"), "stray"));
    EXPECT_EQ(Trash::moveToTrash(work.path() + QStringLiteral("/box"), when), root + QStringLiteral("/files/box 2"));
    EXPECT_EQ(readFile(root + QStringLiteral("/files/box 2/a/b.txt")), "b");
    EXPECT_EQ(readFile(root + QStringLiteral("/files/box")), "stray");
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/info/box.trashinfo")));

    try {
        Trash::moveToTrash(work.path() + QStringLiteral("/nothing.pdf"), when);
        FAIL() << "trashed what is not there";
    } catch (const FileOperationError &error) {
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("“nothing.pdf” couldn’t be moved to the Trash")))
            << error.what();
    }
}

TEST(Trash, OtherFileSystemsUseTheirOwnTrash)
{
    const QString volume = QStringLiteral("/dev/shm");
    if (!QFileInfo(volume).isWritable() || deviceOf(volume) == deviceOf(Trash::homeTrash() + QStringLiteral("/..")))
        GTEST_SKIP() << "no second writable file system";
    const QString ownTrash = volume + QStringLiteral("/.Trash-") + QString::number(::getuid());
    const bool hadTrash = QFileInfo::exists(ownTrash);

    QTemporaryDir work(volume + QStringLiteral("/filewright-volume-XXXXXX"));
    ASSERT_TRUE(work.isValid());
    const QString file = work.path() + QStringLiteral("/Scan.pdf");
    ASSERT_TRUE(writeFile(file, "scan"));

    const QString trashed = Trash::moveToTrash(file);
    EXPECT_TRUE(trashed.startsWith(ownTrash + QStringLiteral("/files/Scan"))) << trashed.toStdString();
    EXPECT_EQ(readFile(trashed), "scan");
    const QString name = QFileInfo(trashed).fileName();
    const QString relative = QDir(volume).relativeFilePath(file);
    EXPECT_TRUE(infoOf(ownTrash, name).startsWith(QStringLiteral("[Trash Info]\nPath=") + relative + QLatin1Char('\n')));

    QFile::remove(trashed);
    QFile::remove(ownTrash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    if (!hadTrash)
        QDir(ownTrash).removeRecursively();
}

TEST(Trash, UnfinishedInfosOfAnItemGoWhereverTheyStandAndOthersStay)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/filewright-trash-XXXXXX"));
    const ScopedDataHome dataHome(work.path() + QStringLiteral("/share"));
    const QString root = work.path() + QStringLiteral("/share/Trash");
    const QString item = work.path() + QStringLiteral("/Sorted/Beleg 1.pdf");
    const QString other = work.path() + QStringLiteral("/Elsewhere/Beleg 1.pdf");
    ASSERT_TRUE(writeFile(item, "filed"));
    ASSERT_TRUE(writeFile(other, "other"));
    const QDateTime when(QDate(2026, 3, 5), QTime(9, 0));
    const auto info = [&](const QString &name, const QString &path) {
        return writeFile(root + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"),
                         "[Trash Info]\nPath=" + QUrl::toPercentEncoding(path, "/") + "\nDeletionDate=2026-03-05T09:00:00\n");
    };
    // The same path trashed once before and still in the Trash, another
    // file of that name, and infos of ours left without their item: one
    // after a gap that an item taken out again left.
    ASSERT_TRUE(writeFile(work.path() + QStringLiteral("/Sorted/old"), "earlier"));
    ASSERT_EQ(Trash::moveToTrash(work.path() + QStringLiteral("/Sorted/old"), when), root + QStringLiteral("/files/old"));
    ASSERT_EQ(Trash::moveToTrash(other, when), root + QStringLiteral("/files/Beleg 1.pdf"));
    ASSERT_TRUE(QFile::rename(item, work.path() + QStringLiteral("/Sorted/kept.pdf")));
    ASSERT_TRUE(writeFile(item, "earlier of the same path"));
    ASSERT_EQ(Trash::moveToTrash(item, when), root + QStringLiteral("/files/Beleg 1 2.pdf"));
    ASSERT_TRUE(QFile::rename(work.path() + QStringLiteral("/Sorted/kept.pdf"), item));
    ASSERT_TRUE(info(QStringLiteral("Beleg 1 3.pdf"), item));
    ASSERT_TRUE(info(QStringLiteral("Beleg 1 5.pdf"), item));
    ASSERT_TRUE(info(QStringLiteral("Beleg 1 5x.pdf"), item)); // not a name this item is given
    ASSERT_TRUE(info(QStringLiteral("Beleg 1 6.pdf"), other));

    Trash::removeUnfinished(item);
    QStringList left = QDir(root + QStringLiteral("/info")).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral("Beleg 1 2.pdf.trashinfo"), QStringLiteral("Beleg 1 5x.pdf.trashinfo"),
                                 QStringLiteral("Beleg 1 6.pdf.trashinfo"), QStringLiteral("Beleg 1.pdf.trashinfo"),
                                 QStringLiteral("old.trashinfo")}));
    EXPECT_EQ(readFile(item), "filed");
    EXPECT_EQ(readFile(root + QStringLiteral("/files/Beleg 1 2.pdf")), "earlier of the same path");
}

TEST(Trash, LongNamesAreShortenedInTheTrashAndTheirUnfinishedInfosAreFound)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/filewright-trash-XXXXXX"));
    const ScopedDataHome dataHome(work.path() + QStringLiteral("/share"));
    const QString root = work.path() + QStringLiteral("/share/Trash");
    const QDateTime when(QDate(2026, 3, 5), QTime(9, 0));

    // 250 bytes, ending in characters of four bytes (two UTF-16 units each)
    // where the name must be cut: whole ones go, the extension stays.
    const QString stem = QStringLiteral("Rechnung-") + QString(73, QChar(0x4E2D)) + QStringLiteral("xx")
        + QStringLiteral("\U0001F600\U0001F600\U0001F600\U0001F600");
    const QString name = stem + QStringLiteral(".pdf");
    ASSERT_EQ(name.toUtf8().size(), 250);
    const QString item = work.path() + QStringLiteral("/Sorted/") + name;
    ASSERT_TRUE(writeFile(item, "filed"));
    const QString shortened = stem.chopped(4) + QStringLiteral(".pdf");
    EXPECT_EQ(Trash::moveToTrash(item, when), root + QStringLiteral("/files/") + shortened);
    EXPECT_TRUE(infoOf(root, shortened).contains(QStringLiteral("Path=") + QString::fromUtf8(QUrl::toPercentEncoding(item, "/"))));

    // Infos of the item under its shortened later names, left without their
    // item, go; the item's own entry and a name it is never given stay.
    ASSERT_TRUE(writeFile(item, "again"));
    const auto info = [&](const QString &trashName) {
        return writeFile(root + QStringLiteral("/info/") + trashName + QStringLiteral(".trashinfo"),
                         "[Trash Info]\nPath=" + QUrl::toPercentEncoding(item, "/") + "\nDeletionDate=2026-03-05T09:00:00\n");
    };
    for (const char *number : {" 2.pdf", " 12.pdf", " 2x.pdf"})
        ASSERT_TRUE(info(stem.chopped(4) + QLatin1String(number)));
    Trash::removeUnfinished(item);
    QStringList left = QDir(root + QStringLiteral("/info")).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{stem.chopped(4) + QStringLiteral(" 2x.pdf.trashinfo"), shortened + QStringLiteral(".trashinfo")}));

    // A name keeps at least its first character, so it is never hidden nor
    // left without its start: an extension that leaves no room for that
    // loses its end instead. The names one item gets when moved again and again.
    const auto letters = [](int count, char letter) { return QString(count, QLatin1Char(letter)); };
    const std::pair<QString, QStringList> cut[] = {
        {QStringLiteral("ä.") + letters(243, 'x'), {QStringLiteral("ä.") + letters(242, 'x')}},
        {QStringLiteral("中.") + letters(240, 'x'),
         {QStringLiteral("中.") + letters(240, 'x'), QStringLiteral("中 2.") + letters(239, 'x'),
          QStringLiteral("中 3.") + letters(239, 'x')}},
        {QStringLiteral("a.") + letters(250, 'b'),
         {QStringLiteral("a.") + letters(243, 'b'), QStringLiteral("a 2.") + letters(241, 'b')}},
        // The cut falls between a letter and its accent, written apart as
        // names from other systems arrive: the accent goes with its letter.
        {letters(240, 'X') + QStringLiteral("e\u0301yy.pdf"),
         {letters(240, 'X') + QStringLiteral(".pdf"), letters(239, 'X') + QStringLiteral(" 2.pdf")}},
        // The first character kept whole, the extension cut behind it.
        {QStringLiteral("e\u0301.") + letters(242, 'x'),
         {QStringLiteral("e\u0301.") + letters(241, 'x'), QStringLiteral("e\u0301 2.") + letters(239, 'x')}},
        // A flag among Devanagari stays whole or goes.
        {QStringLiteral("क").repeated(78) + QStringLiteral("🇩🇪कर.pdf"),
         {QStringLiteral("क").repeated(78) + QStringLiteral(".pdf"), QStringLiteral("क").repeated(78) + QStringLiteral(" 2.pdf")}},
        // A character too long for any name is cut between its code points;
        // the extension stays.
        {QStringLiteral("e") + QString(125, QChar(0x0301)) + QStringLiteral(".pdf"),
         {QStringLiteral("e") + QString(120, QChar(0x0301)) + QStringLiteral(".pdf"),
          QStringLiteral("e") + QString(119, QChar(0x0301)) + QStringLiteral(" 2.pdf")}},
        // Blanks are no end of a shortened name, but a name of nothing but
        // blanks before its end keeps its start.
        {letters(236, 'x') + QStringLiteral("      yy.pdf"),
         {letters(236, 'x') + QStringLiteral(".pdf"), letters(236, 'x') + QStringLiteral(" 2.pdf")}},
        {QString(245, QLatin1Char(' ')) + QStringLiteral("x.pdf"), {QStringLiteral(" .pdf"), QStringLiteral("  2.pdf")}},
    };
    for (const auto &[cutName, names] : cut) {
        const QString cutItem = work.path() + QStringLiteral("/Cut/") + cutName;
        for (const QString &expected : names) {
            ASSERT_TRUE(writeFile(cutItem, "cut"));
            const QString moved = Trash::moveToTrash(cutItem, when);
            EXPECT_EQ(moved, root + QStringLiteral("/files/") + expected) << moved.toStdString();
            EXPECT_LE(expected.toUtf8().size(), 245);
        }
    }
}

// What Filewright puts in the Trash is what the desktop's own Trash tools
// list and put back, a name shortened there included: trash-cli reads the
// info files as a file manager does and restores to the path they keep.
TEST(Trash, TheDesktopsTrashToolsListAndRestoreWhatWasTrashed)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/filewright-trash-XXXXXX"));
    const ScopedDataHome dataHome(work.path() + QStringLiteral("/share"));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("HOME"), work.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), work.path() + QStringLiteral("/share"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));

    // 250 bytes: its info file's name would pass the file system's 255.
    const QString installer = work.path() + QStringLiteral("/Installer/Bäckerei-Kasse ")
        + QString(224, QLatin1Char('x')) + QStringLiteral(" amd64.deb");
    ASSERT_EQ(QFileInfo(installer).fileName().toUtf8().size(), 250);
    const QString invoice = work.path() + QStringLiteral("/Belege/Rechnung März 100%.pdf");
    // 246 bytes, shortened to keep its "ä" before a shortened extension.
    const QString receipt = work.path() + QStringLiteral("/Kurz/ä.") + QString(243, QLatin1Char('x'));
    ASSERT_TRUE(writeFile(installer, "installer"));
    ASSERT_TRUE(writeFile(invoice, "invoice"));
    ASSERT_TRUE(writeFile(receipt, "receipt"));
    const QString trashed = Trash::moveToTrash(installer, QDateTime(QDate(2026, 12, 1), QTime(9, 30)));
    Trash::moveToTrash(invoice, QDateTime(QDate(2026, 12, 2), QTime(10, 45)));
    Trash::moveToTrash(receipt, QDateTime(QDate(2026, 12, 3), QTime(8, 15)));
    EXPECT_LE(QFileInfo(trashed).fileName().toUtf8().size() + qsizetype(qstrlen(".trashinfo")), 255);

    const TestSupport::ProcessRun list = TestSupport::run(QStringLiteral("trash-list"), {}, environment);
    ASSERT_EQ(list.exitCode, 0);
    QStringList listed = list.lines;
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("2026-12-01 09:30:00 ") + installer,
                                   QStringLiteral("2026-12-02 10:45:00 ") + invoice,
                                   QStringLiteral("2026-12-03 08:15:00 ") + receipt}));

    // Restoring asks which item: the only one that stood in that folder.
    const TestSupport::ProcessRun restore = TestSupport::run(
        QStringLiteral("trash-restore"), {work.path() + QStringLiteral("/Installer")}, environment, "0\n");
    ASSERT_EQ(restore.exitCode, 0) << restore.lines.join(u'\n').toStdString();
    EXPECT_EQ(readFile(installer), "installer");
    EXPECT_FALSE(QFileInfo::exists(trashed));
    EXPECT_FALSE(QFileInfo::exists(invoice));
    const TestSupport::ProcessRun restoreReceipt =
        TestSupport::run(QStringLiteral("trash-restore"), {work.path() + QStringLiteral("/Kurz")}, environment, "0\n");
    ASSERT_EQ(restoreReceipt.exitCode, 0) << restoreReceipt.lines.join(u'\n').toStdString();
    EXPECT_EQ(readFile(receipt), "receipt");
}
