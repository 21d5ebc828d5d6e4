#include "FileOperationError.h"
#include "FileTags.h"
#include "FileTransfer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

dev_t deviceOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : 0;
}

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

QStringList hiddenLeftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".filewright-*")}, QDir::Hidden | QDir::AllEntries);
}

} // namespace

TEST(FileTransfer, MovesAndCopiesNeverReplace)
{
    QTemporaryDir work;
    const QString a = work.path() + QStringLiteral("/a.txt");
    const QString b = work.path() + QStringLiteral("/b.txt");
    ASSERT_TRUE(writeFile(a, "a"));
    ASSERT_TRUE(writeFile(b, "b"));
    EXPECT_THROW(FileTransfer::move(a, b), FileOperationError);
    EXPECT_THROW(FileTransfer::copy(a, b), FileOperationError);
    EXPECT_EQ(readFile(a), "a");
    EXPECT_EQ(readFile(b), "b");
    EXPECT_EQ(FileTransfer::renameNoReplace(a, b), EEXIST);

    // A dangling link counts as taken too.
    const QString link = work.path() + QStringLiteral("/link");
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(link).constData()), 0);
    EXPECT_THROW(FileTransfer::copy(a, link), FileOperationError);
    EXPECT_THROW(FileTransfer::move(a, link), FileOperationError);
    EXPECT_EQ(readFile(a), "a");

    // A copy keeps contents, permissions and tags.
    ASSERT_EQ(::chmod(QFile::encodeName(a).constData(), 0640), 0);
    FileTags::write(a, {QStringLiteral("Steuer")});
    const QString c = work.path() + QStringLiteral("/c.txt");
    FileTransfer::copy(a, c);
    EXPECT_EQ(readFile(c), "a");
    EXPECT_EQ(modeOf(c), 0640u);
    EXPECT_EQ(FileTags::read(c), QStringList{QStringLiteral("Steuer")});
    EXPECT_TRUE(hiddenLeftovers(work.path()).isEmpty());

    // A folder that cannot be made says so.
    try {
        FileTransfer::makeFolders(a + QStringLiteral("/sub"));
        FAIL() << "made a folder inside a file";
    } catch (const FileOperationError &error) {
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("The folder “sub” couldn’t be created"))) << error.what();
    }
}

TEST(FileTransfer, AcrossFileSystemsEverythingComesAlong)
{
    const QString volume = QStringLiteral("/dev/shm");
    QTemporaryDir home;
    if (!QFileInfo(volume).isWritable() || deviceOf(volume) == deviceOf(home.path()))
        GTEST_SKIP() << "no second writable file system";
    QTemporaryDir away(volume + QStringLiteral("/filewright-move-XXXXXX"));
    ASSERT_TRUE(away.isValid());

    // A tagged file.
    const QString file = home.path() + QStringLiteral("/Scan.pdf");
    ASSERT_TRUE(writeFile(file, QByteArray(3 << 20, 'x')));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0604), 0);
    FileTags::write(file, {QStringLiteral("Steuer"), QStringLiteral("Bank")});
    const QDateTime modified = QFileInfo(file).lastModified();
    const QString moved = away.path() + QStringLiteral("/Rechnung.pdf");
    FileTransfer::move(file, moved);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(readFile(moved), QByteArray(3 << 20, 'x'));
    EXPECT_EQ(modeOf(moved), 0604u);
    EXPECT_EQ(QFileInfo(moved).lastModified(), modified);
    EXPECT_EQ(FileTags::read(moved), (QStringList{QStringLiteral("Steuer"), QStringLiteral("Bank")}));
    EXPECT_TRUE(hiddenLeftovers(away.path()).isEmpty());

    // A folder with a subfolder and a link, and back again.
    const QString folder = home.path() + QStringLiteral("/Projekt");
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/sub/a.txt"), "a"));
    ASSERT_EQ(::symlink("sub/a.txt", QFile::encodeName(folder + QStringLiteral("/link")).constData()), 0);
    const QString there = away.path() + QStringLiteral("/Projekt");
    FileTransfer::move(folder, there);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(readFile(there + QStringLiteral("/sub/a.txt")), "a");
    EXPECT_EQ(QFileInfo(there + QStringLiteral("/link")).symLinkTarget(), there + QStringLiteral("/sub/a.txt"));
    FileTransfer::copy(there, folder);
    EXPECT_EQ(readFile(folder + QStringLiteral("/link")), "a");
    EXPECT_TRUE(QFileInfo::exists(there));

    // Taken on the other side: nothing moves, nothing is left behind.
    ASSERT_TRUE(writeFile(file, "new"));
    EXPECT_THROW(FileTransfer::move(file, moved), FileOperationError);
    EXPECT_EQ(readFile(file), "new");
    EXPECT_EQ(readFile(moved).size(), 3 << 20);
    EXPECT_TRUE(hiddenLeftovers(away.path()).isEmpty());
}
