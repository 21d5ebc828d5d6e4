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
#include <QJsonArray>
#include <QTemporaryDir>
#include <QUuid>

#include <sys/xattr.h>

using TestSupport::readFile;
using TestSupport::writeFile;
using namespace Qt::StringLiterals;

namespace {

template<typename Step>
void expectFailure(Step step, const QString &why)
{
    try {
        step();
        ADD_FAILURE() << "went ahead although it must fail: " << why.toStdString();
    } catch (const FileOperationError &error) {
        EXPECT_EQ(error.kind(), FileOperationError::Kind::failed);
        EXPECT_TRUE(error.description().contains(why)) << error.what();
    }
}

class FileOperationsTest : public ::testing::Test
{
protected:
    QTemporaryDir work{QDir::tempPath() + u"/filewright-files-XXXXXX"_s};
    // Filing targets under the real home, so that "~" paths can be checked.
    const QString home = RealHome::path() + u'/' + QUuid::createUuid().toString(QUuid::Id128);
    // The file being filed, with its content.
    const QString original = at(u"Scan.pdf"_s);

    void SetUp() override { ASSERT_TRUE(writeFile(original, "scan")); }
    void TearDown() override { QDir(home).removeRecursively(); }

    QString at(const QString &relative) const { return work.path() + u'/' + relative; }

    static bool exists(const QString &path) { return QFileInfo::exists(path); }

    // What each file holds; "-" for a file that is not there.
    static QByteArrayList contents(const QStringList &paths)
    {
        QByteArrayList result;
        for (const QString &path : paths)
            result.append(exists(path) ? readFile(path) : QByteArray("-"));
        return result;
    }

    static QStringList tagsOf(const QString &path) { return FileTags::read(path).value_or(QStringList{u"?"_s}); }

    Plan planTo(const QString &destination) const
    {
        Plan plan;
        plan.ruleID = QUuid::createUuid();
        plan.original = original;
        plan.destination = destination;
        return plan;
    }

    // Asserts that performing the plan fails and that the original is still there.
    void expectRefused(const Plan &plan, const QString &why = QString())
    {
        expectFailure([&] { FileOperations::perform(plan); }, why);
        EXPECT_EQ(readFile(original), "scan");
    }
};

} // namespace

TEST_F(FileOperationsTest, PerformThenUndoPutsEverythingBack)
{
    FileTags::write(original, {u"Alt"_s});
    Plan plan = planTo(home + u"/Belege/2024/03/Rechnung.pdf"_s);
    plan.copies = {at(u"Archiv/Kopie/Rechnung.pdf"_s)};
    plan.tags = {u"Steuer"_s, u"Alt"_s, u"Bank"_s};
    plan.trashAfterDays = 30;
    plan.openWith = u"no-such-application-here"_s;

    const Performed performed = FileOperations::perform(plan);
    const QStringList created{home, home + u"/Belege"_s, home + u"/Belege/2024"_s, home + u"/Belege/2024/03"_s};
    Performed expected{original, plan.destination, plan.copies, {u"Steuer"_s, u"Bank"_s}, 30,
                       QStringList{at(u"Archiv"_s), at(u"Archiv/Kopie"_s)} + created};
    for (const QString &folder : *expected.createdFolders)
        expected.madeFolders.append(MadeFolder{folder, FolderIdentity::of(folder).value_or(FolderIdentity{})});
    EXPECT_EQ(performed, expected);
    EXPECT_EQ(contents({original, plan.destination, plan.copies.first()}), (QByteArrayList{"-", "scan", "scan"}));
    EXPECT_EQ(tagsOf(plan.destination), (QStringList{u"Alt"_s, u"Steuer"_s, u"Bank"_s}));
    // The copy was made from the file before it moved and was tagged.
    EXPECT_EQ(tagsOf(plan.copies.first()), QStringList{u"Alt"_s});

    // The journal keeps it as JSON; undo works from what it reads back.
    const Performed stored = Performed::fromJsonData(performed.toJsonData());
    EXPECT_EQ(stored, performed);
    EXPECT_EQ(FileOperations::undo(stored), original);
    const QString trashed = Trash::homeTrash() + u"/files/Rechnung.pdf"_s;
    EXPECT_EQ(contents({original, plan.copies.first(), trashed}), (QByteArrayList{"scan", "-", "scan"}));
    EXPECT_EQ(tagsOf(original), QStringList{u"Alt"_s});
    EXPECT_FALSE(exists(home + u"/Belege/2024"_s));
    EXPECT_TRUE(exists(home + u"/Belege"_s)); // two levels at most
    QFile::remove(trashed);
    QFile::remove(Trash::homeTrash() + u"/info/Rechnung.pdf.trashinfo"_s);
}

TEST_F(FileOperationsTest, UndoAfterTheUserMovedTheFileChangesNothing)
{
    Plan plan = planTo(home + u"/Belege/Rechnung.pdf"_s);
    plan.copies = {at(u"copy/Rechnung.pdf"_s)};
    plan.tags = {u"Steuer"_s};
    const Performed performed = FileOperations::perform(plan);

    const QString elsewhere = at(u"elsewhere.pdf"_s);
    ASSERT_TRUE(QFile::rename(plan.destination, elsewhere));
    try {
        FileOperations::undo(performed);
        FAIL() << "undo went ahead";
    } catch (const FileOperationError &error) {
        const QString shown = RealHome::abbreviate(plan.destination);
        EXPECT_TRUE(shown.startsWith(u"~/"_s));
        EXPECT_EQ(error, FileOperationError::fileMoved(shown));
        EXPECT_EQ(error.description(),
                  u"The file is no longer at "_s + shown + u". It was moved or renamed after Filewright filed it."_s);
    }
    EXPECT_EQ(contents({original, plan.copies.first(), elsewhere}), (QByteArrayList{"-", "scan", "scan"}));
    EXPECT_EQ(tagsOf(elsewhere), QStringList{u"Steuer"_s});
    EXPECT_TRUE(exists(home + u"/Belege"_s));
}

TEST_F(FileOperationsTest, UndoNeverOverwritesAFileThatTookTheOldName)
{
    const Performed performed = FileOperations::perform(planTo(at(u"Belege/Scan.pdf"_s)));
    ASSERT_TRUE(writeFile(original, "newcomer"));
    ASSERT_TRUE(writeFile(at(u"Scan 2.pdf"_s), "another"));

    EXPECT_EQ(FileOperations::undo(performed), at(u"Scan 3.pdf"_s));
    EXPECT_EQ(contents({original, at(u"Scan 2.pdf"_s), at(u"Scan 3.pdf"_s)}), (QByteArrayList{"newcomer", "another", "scan"}));
    EXPECT_FALSE(exists(at(u"Belege"_s)));
}

TEST_F(FileOperationsTest, AFailureMidwayLosesNoFile)
{
    const QString taken = at(u"b/Scan.pdf"_s);
    ASSERT_TRUE(writeFile(taken, "someone else's"));

    // The second copy target was taken after planning: the first copy stays,
    // nothing is replaced, the file does not move.
    Plan plan = planTo(at(u"Belege/Scan.pdf"_s));
    plan.copies = {at(u"a/Scan.pdf"_s), taken};
    expectRefused(plan);
    EXPECT_EQ(contents({at(u"a/Scan.pdf"_s), taken, plan.destination}), (QByteArrayList{"scan", "someone else's", "-"}));

    // A destination that was taken meanwhile is never replaced.
    expectRefused(planTo(taken), u"already exists"_s);
    EXPECT_EQ(readFile(taken), "someone else's");

    // A folder that cannot be made (a file stands in its way).
    ASSERT_TRUE(writeFile(at(u"blocker"_s), "x"));
    expectRefused(planTo(at(u"blocker/inside/Scan.pdf"_s)));
    EXPECT_EQ(readFile(at(u"blocker"_s)), "x");

    // No temporary copies are left behind anywhere.
    for (const QString &folder : {at(u"a"_s), at(u"b"_s), work.path()})
        for (const QString &name : QDir(folder).entryList(QDir::Hidden | QDir::Files))
            EXPECT_FALSE(name.startsWith(u".filewright-"_s)) << name.toStdString();
}

TEST_F(FileOperationsTest, APlanThatKeepsThePlaceOnlyTags)
{
    FileTags::write(original, {u"Bank"_s});
    Plan plan = planTo(original);
    plan.tags = {u"Bank"_s, u"Privat"_s};

    const Performed performed = FileOperations::perform(plan);
    EXPECT_EQ(performed.destination, original);
    EXPECT_EQ(performed.addedTags, QStringList{u"Privat"_s});
    EXPECT_EQ(FileOperations::tags(original), (QStringList{u"Bank"_s, u"Privat"_s}));
    EXPECT_EQ(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{u"Scan.pdf"_s});

    EXPECT_EQ(FileOperations::undo(performed), original);
    EXPECT_EQ(FileOperations::tags(original), QStringList{u"Bank"_s});
    EXPECT_TRUE(exists(work.path()));
}

// Only folders the filing made go on undo: the user's own, empty or not,
// stay, and so does every folder of a record that does not say what it made.
TEST_F(FileOperationsTest, UndoRemovesOnlyTheFoldersTheFilingCreated)
{
    const QString invoices = home + u"/Documents/Invoices"_s;
    ASSERT_TRUE(QDir().mkpath(invoices));
    const Performed performed = FileOperations::perform(planTo(invoices + u"/2026/03/Scan.pdf"_s));
    EXPECT_EQ(performed.createdFolders, (QStringList{invoices + u"/2026"_s, invoices + u"/2026/03"_s}));
    EXPECT_EQ(FileOperations::undo(Performed::fromJsonData(performed.toJsonData())), original);
    EXPECT_FALSE(exists(invoices + u"/2026"_s));
    EXPECT_TRUE(exists(invoices));

    // Straight into the user's empty folder: it stays.
    const Performed intoOwn = FileOperations::perform(planTo(invoices + u"/Scan.pdf"_s));
    EXPECT_EQ(intoOwn.createdFolders, QStringList());
    FileOperations::undo(intoOwn);
    EXPECT_TRUE(exists(invoices));

    // Three new levels: the two nearest the file go, never a third.
    const Performed deep = FileOperations::perform(planTo(home + u"/Steuer/2026/03/Scan.pdf"_s));
    FileOperations::undo(deep);
    EXPECT_FALSE(exists(home + u"/Steuer/2026"_s));
    EXPECT_TRUE(exists(home + u"/Steuer"_s));

    // A record stored before filings kept their folders removes none.
    const Performed stored = FileOperations::perform(planTo(home + u"/Ablage/2026/Scan.pdf"_s));
    QJsonObject json = stored.toJson();
    ASSERT_TRUE(json.contains(u"createdFolders"_s));
    json.remove(u"createdFolders"_s);
    json.remove(u"madeFolders"_s);
    const Performed old = Performed::fromJson(json);
    EXPECT_FALSE(old.createdFolders);
    EXPECT_TRUE(old.madeFolders.isEmpty());
    EXPECT_EQ(FileOperations::undo(old), original);
    EXPECT_TRUE(exists(home + u"/Ablage/2026"_s));
    json.insert(u"createdFolders"_s, QJsonValue::Null);
    EXPECT_FALSE(Performed::fromJson(json).createdFolders);
    json.insert(u"createdFolders"_s, u"file:///a"_s);
    EXPECT_THROW(Performed::fromJson(json), JsonCoding::DecodeError);
}

// A folder that another filing made goes with the last file in it, whichever
// filing is undone last; one made at the same path by the user does not.
TEST_F(FileOperationsTest, UndoRemovesFoldersOtherFilingsMadeWhileTheyAreTheSameFolders)
{
    const QString receipts = home + u"/Belege"_s;
    ASSERT_TRUE(QDir().mkpath(receipts));
    const auto fileAs = [&](const QString &name) {
        EXPECT_TRUE(writeFile(at(name), name.toUtf8()));
        Plan plan = planTo(receipts + u"/2026/12/"_s + name);
        plan.original = at(name);
        return FileOperations::perform(plan);
    };
    const Performed first = fileAs(u"a.pdf"_s);
    const Performed second = fileAs(u"b.pdf"_s);
    ASSERT_EQ(first.madeFolders.size(), 2);
    EXPECT_TRUE(second.madeFolders.isEmpty() && second.createdFolders == QStringList());
    // Kept as text, exactly, however large the numbers.
    Performed large = first;
    large.madeFolders.first().identity = FolderIdentity{~quint64(0), (quint64(1) << 60) + 1};
    EXPECT_EQ(Performed::fromJsonData(large.toJsonData()), large);

    FileOperations::undo(Performed::fromJsonData(first.toJsonData()), {}, first.madeFolders);
    EXPECT_TRUE(exists(receipts + u"/2026/12/b.pdf"_s));
    FileOperations::undo(second, {}, first.madeFolders);
    EXPECT_FALSE(exists(receipts + u"/2026"_s));
    EXPECT_TRUE(exists(receipts));

    // The user moved the filing's folders aside and made new ones at the same path.
    const Performed third = fileAs(u"c.pdf"_s);
    ASSERT_TRUE(QDir().rename(receipts + u"/2026"_s, receipts + u"/2026 alt"_s));
    ASSERT_TRUE(QDir().mkpath(receipts + u"/2026/12"_s));
    const Performed fourth = fileAs(u"d.pdf"_s);
    FileOperations::undo(fourth, {}, third.madeFolders);
    EXPECT_TRUE(exists(receipts + u"/2026/12"_s));
    // Nor does the record's own path alone count once it kept the identity.
    ASSERT_TRUE(QDir().rename(receipts + u"/2026 alt/12/c.pdf"_s, receipts + u"/2026/12/c.pdf"_s));
    FileOperations::undo(third);
    EXPECT_TRUE(exists(receipts + u"/2026/12"_s));

    // A stored identity that is not a whole number is refused.
    QJsonObject json = first.toJson();
    QJsonArray made = json.value(u"madeFolders"_s).toArray();
    QJsonObject folder = made.first().toObject();
    folder.insert(u"inode"_s, u"12a"_s);
    made.replace(0, folder);
    json.insert(u"madeFolders"_s, made);
    EXPECT_THROW(Performed::fromJson(json), JsonCoding::DecodeError);
}

TEST_F(FileOperationsTest, EmptiedFoldersGoTwoLevelsAtMost)
{
    const QString deep = at(u"one/two/three"_s);
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(writeFile(deep + u"/.DS_Store"_s, "x"));
    FileOperations::removeEmptyFolders(deep, 2);
    EXPECT_FALSE(exists(at(u"one/two"_s)));
    EXPECT_TRUE(exists(at(u"one"_s)));

    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(writeFile(at(u"one/two/.hidden"_s), "keep"));
    FileOperations::removeEmptyFolders(deep, 5);
    EXPECT_FALSE(exists(deep));
    EXPECT_EQ(readFile(at(u"one/two/.hidden"_s)), "keep");
}

TEST_F(FileOperationsTest, TagsLiveInTheSharedAttribute)
{
    EXPECT_EQ(FileOperations::tags(original), QStringList());
    FileOperations::setTags({u"Steuer"_s, u"Büro"_s}, original);
    char value[64] = {};
    ASSERT_GT(::getxattr(QFile::encodeName(original).constData(), "user.xdg.tags", value, sizeof value), 0);
    EXPECT_STREQ(value, "Steuer,Büro");
    FileOperations::setTags({}, original);
    EXPECT_EQ(FileOperations::tags(original), QStringList());
    EXPECT_EQ(FileOperations::tags(at(u"gone"_s)), QStringList());

    expectFailure([] { FileOperations::setTags({u"x"_s}, u"/proc/self/status"_s); }, u"cannot store tags"_s);
}

// Any path Linux allows comes back as it was written: leading double
// slashes are no host, case and non-ASCII names stay, and so does a name that
// was not valid UTF-8 on disk.
TEST(Performed, PathsRoundTripThroughFileUrlsWhateverTheyHold)
{
    const QString notUtf8 = QFile::decodeName("/d/\xff\xfe a\xc3(.pdf");
    for (const QString &path : {u"/"_s, u"//"_s, u"///a"_s, u"//x"_s, u"//Server/x"_s, u"//ä/x"_s, u"/a//b/"_s,
                                u"/%41 #?;=@:&+$,!'()*~"_s, u"/localhost/x"_s, u"/\u6587\U0001F600\n\t"_s, notUtf8}) {
        Performed performed{path, path, {path}, {}, std::nullopt};
        EXPECT_EQ(Performed::fromJsonData(performed.toJsonData()), performed) << path.toStdString();
        const QString url = performed.toJson().value(u"original"_s).toString();
        EXPECT_TRUE(url.startsWith(u"file:///"_s)) << url.toStdString();
    }
    // Rows written before double slashes were kept still read as they did.
    QJsonObject json = Performed{u"/a"_s, u"/a"_s, {}, {}, std::nullopt}.toJson();
    for (const auto &[url, path] : {std::pair{u"file://server/x"_s, u"//server/x"_s},
                                    {u"file://localhost/a%20b"_s, u"/a b"_s}, {u"file:///a%zz"_s, u"/a%zz"_s}}) {
        json.insert(u"original"_s, url);
        EXPECT_EQ(Performed::fromJson(json).original, path) << url.toStdString();
    }
    for (const QString &url : {u"file://"_s, u"file:///a%00b"_s, u"file:///a?b"_s, u"file:///a#b"_s, u"/a"_s, u"http:///a"_s}) {
        json.insert(u"original"_s, url);
        EXPECT_THROW(Performed::fromJson(json), JsonCoding::DecodeError) << url.toStdString();
    }
}

TEST(Performed, JsonKeepsPathsAndLeavesOutAbsentDays)
{
    Performed performed{u"/home/a/In box/Scan #1 100%.pdf"_s, u"/home/a/Belege/ä?.pdf"_s, {u"/srv/c.pdf"_s}, {u"Steuer"_s},
                        std::nullopt};
    const QJsonObject json = performed.toJson();
    EXPECT_FALSE(json.contains(u"trashAfterDays"_s));
    EXPECT_TRUE(json.value(u"original"_s).toString().startsWith(u"file:///home/a/In%20box/"_s));
    EXPECT_EQ(Performed::fromJson(json), performed);
    performed.trashAfterDays = 7;
    EXPECT_EQ(Performed::fromJsonData(performed.toJsonData()), performed);

    QJsonObject broken = json;
    broken.remove(u"addedTags"_s);
    EXPECT_THROW(Performed::fromJson(broken), JsonCoding::DecodeError);
    broken = json;
    broken.insert(u"destination"_s, u"https://example.org/x.pdf"_s);
    EXPECT_THROW(Performed::fromJson(broken), JsonCoding::DecodeError);
}
