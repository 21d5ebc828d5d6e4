#include "FileOperations.h"
#include "FileTags.h"
#include "JsonCoding.h"
#include "RealHome.h"
#include "TestSupport.h"
#include "Trash.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <sys/xattr.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

class FileOperationsTest : public ::testing::Test
{
protected:
    QTemporaryDir work{QDir::tempPath() + QStringLiteral("/filewright-files-XXXXXX")};
    // Filing targets under the real home, so that "~" paths can be checked.
    const QString home = RealHome::path() + QStringLiteral("/") + QUuid::createUuid().toString(QUuid::Id128);

    void TearDown() override { QDir(home).removeRecursively(); }

    QString at(const QString &relative) const { return work.path() + QLatin1Char('/') + relative; }

    static bool exists(const QString &path) { return QFileInfo::exists(path); }

    static QStringList tagsOf(const QString &path) { return FileTags::read(path).value_or(QStringList{QStringLiteral("?")}); }

    Plan planFor(const QString &original, const QString &destination) const
    {
        Plan plan;
        plan.ruleID = QUuid::createUuid();
        plan.original = original;
        plan.destination = destination;
        return plan;
    }
};

} // namespace

TEST_F(FileOperationsTest, PerformThenUndoPutsEverythingBack)
{
    const QString original = at(QStringLiteral("inbox/Scan 1.pdf"));
    ASSERT_TRUE(writeFile(original, "scan"));
    FileTags::write(original, {QStringLiteral("Alt")});

    Plan plan = planFor(original, home + QStringLiteral("/Belege/2024/03/Rechnung.pdf"));
    plan.copies = {at(QStringLiteral("Archiv/Kopie/Rechnung.pdf"))};
    plan.tags = {QStringLiteral("Steuer"), QStringLiteral("Alt"), QStringLiteral("Bank")};
    plan.trashAfterDays = 30;
    plan.openWith = QStringLiteral("no-such-application-here");

    const Performed performed = FileOperations::perform(plan);
    EXPECT_EQ(performed.original, original);
    EXPECT_EQ(performed.destination, plan.destination);
    EXPECT_EQ(performed.copies, plan.copies);
    EXPECT_EQ(performed.addedTags, (QStringList{QStringLiteral("Steuer"), QStringLiteral("Bank")}));
    EXPECT_EQ(performed.trashAfterDays, 30);
    EXPECT_FALSE(exists(original));
    EXPECT_EQ(readFile(plan.destination), "scan");
    EXPECT_EQ(tagsOf(plan.destination),
              (QStringList{QStringLiteral("Alt"), QStringLiteral("Steuer"), QStringLiteral("Bank")}));
    // The copy was made from the file before it moved and was tagged.
    EXPECT_EQ(readFile(plan.copies.first()), "scan");
    EXPECT_EQ(tagsOf(plan.copies.first()), QStringList{QStringLiteral("Alt")});

    // The journal keeps it as JSON; undo works from what it reads back.
    const Performed stored = Performed::fromJsonData(performed.toJsonData());
    EXPECT_EQ(stored, performed);

    EXPECT_EQ(FileOperations::undo(stored), original);
    EXPECT_EQ(readFile(original), "scan");
    EXPECT_EQ(tagsOf(original), QStringList{QStringLiteral("Alt")});
    EXPECT_FALSE(exists(home + QStringLiteral("/Belege/2024")));
    EXPECT_TRUE(exists(home + QStringLiteral("/Belege"))); // two levels at most
    EXPECT_FALSE(exists(plan.copies.first()));
    const QString trashed = Trash::homeTrash() + QStringLiteral("/files/Rechnung.pdf");
    EXPECT_EQ(readFile(trashed), "scan");
    QFile::remove(trashed);
    QFile::remove(Trash::homeTrash() + QStringLiteral("/info/Rechnung.pdf.trashinfo"));
}

TEST_F(FileOperationsTest, UndoAfterTheUserMovedTheFileChangesNothing)
{
    const QString original = at(QStringLiteral("Scan.pdf"));
    ASSERT_TRUE(writeFile(original, "scan"));
    Plan plan = planFor(original, home + QStringLiteral("/Belege/Rechnung.pdf"));
    plan.copies = {at(QStringLiteral("copy/Rechnung.pdf"))};
    plan.tags = {QStringLiteral("Steuer")};
    const Performed performed = FileOperations::perform(plan);

    const QString elsewhere = at(QStringLiteral("elsewhere.pdf"));
    ASSERT_TRUE(QFile::rename(plan.destination, elsewhere));
    try {
        FileOperations::undo(performed);
        FAIL() << "undo went ahead";
    } catch (const FileOperationError &error) {
        const QString shown = RealHome::abbreviate(plan.destination);
        EXPECT_TRUE(shown.startsWith(QStringLiteral("~/")));
        EXPECT_EQ(error, FileOperationError::fileMoved(shown));
        EXPECT_EQ(error.description(), QStringLiteral("The file is no longer at ") + shown
                                           + QStringLiteral(". It was moved or renamed after Filewright filed it."));
    }
    EXPECT_FALSE(exists(original));
    EXPECT_TRUE(exists(plan.copies.first()));
    EXPECT_EQ(tagsOf(elsewhere), QStringList{QStringLiteral("Steuer")});
    EXPECT_TRUE(exists(home + QStringLiteral("/Belege")));
}

TEST_F(FileOperationsTest, UndoNeverOverwritesAFileThatTookTheOldName)
{
    const QString original = at(QStringLiteral("Scan.pdf"));
    ASSERT_TRUE(writeFile(original, "filed"));
    const Performed performed = FileOperations::perform(planFor(original, at(QStringLiteral("Belege/Scan.pdf"))));
    ASSERT_TRUE(writeFile(original, "newcomer"));
    ASSERT_TRUE(writeFile(at(QStringLiteral("Scan 2.pdf")), "another"));

    EXPECT_EQ(FileOperations::undo(performed), at(QStringLiteral("Scan 3.pdf")));
    EXPECT_EQ(readFile(original), "newcomer");
    EXPECT_EQ(readFile(at(QStringLiteral("Scan 2.pdf"))), "another");
    EXPECT_EQ(readFile(at(QStringLiteral("Scan 3.pdf"))), "filed");
    EXPECT_FALSE(exists(at(QStringLiteral("Belege"))));
}

TEST_F(FileOperationsTest, AFailureMidwayLosesNoFile)
{
    const QString original = at(QStringLiteral("Scan.pdf"));
    ASSERT_TRUE(writeFile(original, "scan"));
    const QString taken = at(QStringLiteral("b/Scan.pdf"));
    ASSERT_TRUE(writeFile(taken, "someone else's"));

    // The second copy target was taken after planning: the first copy stays,
    // nothing is replaced, the file does not move.
    Plan plan = planFor(original, at(QStringLiteral("Belege/Scan.pdf")));
    plan.copies = {at(QStringLiteral("a/Scan.pdf")), taken};
    EXPECT_THROW(FileOperations::perform(plan), FileOperationError);
    EXPECT_EQ(readFile(at(QStringLiteral("a/Scan.pdf"))), "scan");
    EXPECT_EQ(readFile(taken), "someone else's");
    EXPECT_EQ(readFile(original), "scan");
    EXPECT_FALSE(exists(plan.destination));

    // A destination that was taken meanwhile is never replaced.
    plan = planFor(original, taken);
    try {
        FileOperations::perform(plan);
        FAIL() << "moved over an existing file";
    } catch (const FileOperationError &error) {
        EXPECT_EQ(error.kind(), FileOperationError::Kind::failed);
        EXPECT_TRUE(error.description().contains(QStringLiteral("already exists"))) << error.what();
    }
    EXPECT_EQ(readFile(original), "scan");
    EXPECT_EQ(readFile(taken), "someone else's");

    // A folder that cannot be made (a file stands in its way).
    ASSERT_TRUE(writeFile(at(QStringLiteral("blocker")), "x"));
    plan = planFor(original, at(QStringLiteral("blocker/inside/Scan.pdf")));
    EXPECT_THROW(FileOperations::perform(plan), FileOperationError);
    EXPECT_EQ(readFile(original), "scan");
    EXPECT_EQ(readFile(at(QStringLiteral("blocker"))), "x");

    // No temporary copies are left behind anywhere.
    for (const QString &folder : {at(QStringLiteral("a")), at(QStringLiteral("b")), work.path()}) {
        for (const QString &name : QDir(folder).entryList(QDir::Hidden | QDir::Files))
            EXPECT_FALSE(name.startsWith(QStringLiteral(".filewright-"))) << name.toStdString();
    }
}

TEST_F(FileOperationsTest, APlanThatKeepsThePlaceOnlyTags)
{
    const QString original = at(QStringLiteral("Scan.pdf"));
    ASSERT_TRUE(writeFile(original, "scan"));
    FileTags::write(original, {QStringLiteral("Bank")});
    Plan plan = planFor(original, original);
    plan.tags = {QStringLiteral("Bank"), QStringLiteral("Privat")};

    const Performed performed = FileOperations::perform(plan);
    EXPECT_EQ(performed.destination, original);
    EXPECT_EQ(performed.addedTags, QStringList{QStringLiteral("Privat")});
    EXPECT_EQ(FileOperations::tags(original), (QStringList{QStringLiteral("Bank"), QStringLiteral("Privat")}));
    EXPECT_EQ(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{QStringLiteral("Scan.pdf")});

    EXPECT_EQ(FileOperations::undo(performed), original);
    EXPECT_EQ(FileOperations::tags(original), QStringList{QStringLiteral("Bank")});
    EXPECT_TRUE(exists(work.path()));
}

TEST_F(FileOperationsTest, EmptiedFoldersGoTwoLevelsAtMost)
{
    const QString deep = at(QStringLiteral("one/two/three"));
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(writeFile(deep + QStringLiteral("/.DS_Store"), "x"));
    FileOperations::removeEmptyFolders(deep, 2);
    EXPECT_FALSE(exists(at(QStringLiteral("one/two"))));
    EXPECT_TRUE(exists(at(QStringLiteral("one"))));

    ASSERT_TRUE(QDir().mkpath(at(QStringLiteral("one/two/three"))));
    ASSERT_TRUE(writeFile(at(QStringLiteral("one/two/.hidden")), "keep"));
    FileOperations::removeEmptyFolders(at(QStringLiteral("one/two/three")), 5);
    EXPECT_FALSE(exists(at(QStringLiteral("one/two/three"))));
    EXPECT_EQ(readFile(at(QStringLiteral("one/two/.hidden"))), "keep");
}

TEST_F(FileOperationsTest, TagsLiveInTheSharedAttribute)
{
    const QString file = at(QStringLiteral("a.txt"));
    ASSERT_TRUE(writeFile(file, "a"));
    EXPECT_EQ(FileOperations::tags(file), QStringList());
    FileOperations::setTags({QStringLiteral("Steuer"), QStringLiteral("Büro")}, file);
    char value[64] = {};
    ASSERT_GT(::getxattr(QFile::encodeName(file).constData(), "user.xdg.tags", value, sizeof value), 0);
    EXPECT_STREQ(value, "Steuer,Büro");
    FileOperations::setTags({}, file);
    EXPECT_EQ(FileOperations::tags(file), QStringList());
    EXPECT_EQ(FileOperations::tags(at(QStringLiteral("gone"))), QStringList());

    try {
        FileOperations::setTags({QStringLiteral("x")}, QStringLiteral("/proc/self/status"));
        FAIL() << "tags written where they cannot be kept";
    } catch (const FileOperationError &error) {
        EXPECT_EQ(error.kind(), FileOperationError::Kind::failed);
        EXPECT_TRUE(error.description().contains(QStringLiteral("cannot store tags"))) << error.what();
    }
}

TEST(Performed, JsonKeepsPathsAndLeavesOutAbsentDays)
{
    Performed performed{QStringLiteral("/home/a/In box/Scan #1 100%.pdf"), QStringLiteral("/home/a/Belege/ä?.pdf"),
                        {QStringLiteral("/srv/c.pdf")}, {QStringLiteral("Steuer")}, std::nullopt};
    const QJsonObject json = performed.toJson();
    EXPECT_FALSE(json.contains(QStringLiteral("trashAfterDays")));
    EXPECT_TRUE(json.value(QStringLiteral("original")).toString().startsWith(QStringLiteral("file:///home/a/In%20box/")));
    EXPECT_EQ(Performed::fromJson(json), performed);
    performed.trashAfterDays = 7;
    EXPECT_EQ(Performed::fromJsonData(performed.toJsonData()), performed);

    QJsonObject broken = json;
    broken.remove(QStringLiteral("addedTags"));
    EXPECT_THROW(Performed::fromJson(broken), JsonCoding::DecodeError);
    broken = json;
    broken.insert(QStringLiteral("destination"), QStringLiteral("https://example.org/x.pdf"));
    EXPECT_THROW(Performed::fromJson(broken), JsonCoding::DecodeError);
}
