// The hourly Trash sweep on real files: exactly the due done entries go,
// a refusing Trash keeps the date, a file that is gone or replaced loses it.
#include "TrashSweep.h"

#include "FileReadiness.h"
#include "JournalIntent.h"
#include "Store.h"
#include "TestSupport.h"
#include "Trash.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class TrashSweepTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = Store::open(dir.filePath(QStringLiteral("sweep.store")));
        now = QDateTime(QDate(2026, 11, 2), QTime(9, 0), Qt::UTC);
    }

    // A filed file and its entry.
    JournalEntry filed(const QString &name, JournalEntry::Status status, const std::optional<QDateTime> &due)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(TestSupport::writeFile(path, name.toUtf8()));
        JournalEntry entry(QUuid::createUuid(), QStringLiteral("Rule"), dir.filePath(QStringLiteral("in/") + name),
                           path, status);
        entry.trashDue = due;
        entry.fileID = FileReadiness::identifier(path);
        EXPECT_TRUE(store->insert(entry));
        return entry;
    }

    JournalEntry reread(const JournalEntry &entry) const { return *store->journalEntry(entry.id); }

    bool inTrash(const QString &name) const
    {
        return QFileInfo::exists(Trash::homeTrash() + QStringLiteral("/files/") + name);
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/sweep-XXXXXX")};
    std::unique_ptr<Store> store;
    QDateTime now;
};

} // namespace

TEST_F(TrashSweepTest, trashesExactlyTheDueDoneEntriesAndNeverAFileGoneOrReplaced)
{
    using Status = JournalEntry::Status;
    const JournalEntry past = filed(QStringLiteral("past.pdf"), Status::done, now.addDays(-1));
    const JournalEntry exact = filed(QStringLiteral("exact.pdf"), Status::done, now);
    const JournalEntry future = filed(QStringLiteral("future.pdf"), Status::done, now.addSecs(1));
    const JournalEntry undated = filed(QStringLiteral("undated.pdf"), Status::done, std::nullopt);
    JournalEntry unknown = filed(QStringLiteral("unknown.pdf"), Status::done, now.addSecs(-5));
    unknown.statusRaw = QStringLiteral("archived"); // names no status: reads as done
    store->update(unknown);
    QList<JournalEntry> others;
    for (const Status status : {Status::review, Status::failed, Status::undone, Status::skipped, Status::trashed})
        others.append(filed(JournalEntry::statusRawValue(status) + QStringLiteral(".pdf"), status, now.addDays(-3)));
    // An undo moving the file back right now is left to end first.
    JournalEntry undoing = filed(QStringLiteral("undoing.pdf"), Status::done, now.addDays(-1));
    undoing.intentData = JournalIntent::begin(JournalIntent::Kind::undo).toJsonData();
    store->update(undoing);
    others.append(undoing);
    const JournalEntry gone = filed(QStringLiteral("gone.pdf"), Status::done, now.addDays(-1));
    QFile::remove(gone.newPath);
    // The user put another file under the filed name: it is not Filewright's to trash.
    const JournalEntry replaced = filed(QStringLiteral("replaced.pdf"), Status::done, now.addDays(-1));
    TestSupport::writeFile(dir.filePath(QStringLiteral("other.pdf")), "the user's own file");
    QFile::remove(replaced.newPath);
    ASSERT_TRUE(QFile::rename(dir.filePath(QStringLiteral("other.pdf")), replaced.newPath));
    ASSERT_NE(FileReadiness::identifier(replaced.newPath), replaced.fileID);

    EXPECT_EQ(TrashSweep::sweep(*store, now), 3);

    for (const JournalEntry &entry : {past, exact, unknown}) {
        const JournalEntry after = reread(entry);
        EXPECT_EQ(after.statusRaw, QStringLiteral("trashed")) << entry.newPath.toStdString();
        EXPECT_FALSE(after.trashDue);
        EXPECT_TRUE(!QFileInfo::exists(entry.newPath) && inTrash(QFileInfo(entry.newPath).fileName()));
    }
    for (const JournalEntry &entry : QList<JournalEntry>{future, undated} + others) {
        EXPECT_EQ(reread(entry), entry) << entry.newPath.toStdString();
        EXPECT_TRUE(QFileInfo::exists(entry.newPath));
    }
    // Gone or replaced: the date is cleared, the entry stays done, nothing is trashed.
    for (const JournalEntry &entry : {gone, replaced}) {
        const JournalEntry after = reread(entry);
        EXPECT_EQ(after.statusRaw, QStringLiteral("done"));
        EXPECT_TRUE(!after.trashDue && after.message.isEmpty()) << entry.newPath.toStdString();
    }
    EXPECT_EQ(TestSupport::readFile(replaced.newPath), QByteArray("the user's own file"));
    EXPECT_FALSE(inTrash(QStringLiteral("replaced.pdf")));

    // A second sweep finds nothing more to do.
    EXPECT_EQ(TrashSweep::sweep(*store, now), 0);
}

TEST_F(TrashSweepTest, aRefusingTrashKeepsTheDateAndTheNextSweepTriesAgain)
{
    const JournalEntry entry = filed(QStringLiteral("stubborn.pdf"), JournalEntry::Status::done, now.addDays(-1));

    // A data folder whose "Trash" is a plain file: no Trash can be made there.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    ASSERT_TRUE(TestSupport::writeFile(blocked + QStringLiteral("/Trash"), "not a folder"));
    qputenv("XDG_DATA_HOME", blocked.toUtf8());
    EXPECT_EQ(TrashSweep::sweep(*store, now), 0);
    qputenv("XDG_DATA_HOME", dataHome);

    JournalEntry after = reread(entry);
    EXPECT_EQ(after.statusRaw, QStringLiteral("done"));
    EXPECT_EQ(after.trashDue, entry.trashDue);
    EXPECT_TRUE(after.message.startsWith(QStringLiteral("“stubborn.pdf” couldn’t be moved to the Trash")))
        << after.message.toStdString();
    EXPECT_TRUE(QFileInfo::exists(entry.newPath));

    EXPECT_EQ(TrashSweep::sweep(*store, now.addSecs(3600)), 1);
    EXPECT_EQ(reread(entry).statusRaw, QStringLiteral("trashed"));
}

TEST_F(TrashSweepTest, aNameTooLongForTheTrashIsShortenedThereAndItsInfoKeepsTheWholePath)
{
    // 250 bytes: within the file system's limit, but not with ".trashinfo".
    const QString stem = QStringLiteral("Büro-Installer-x86_64-") + QString(109, QChar(0xE4));
    const QString name = stem + QStringLiteral(".AppImage");
    ASSERT_EQ(name.toUtf8().size(), 250);
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("second"))));
    const JournalEntry entry = filed(name, JournalEntry::Status::done, now.addDays(-1));
    const JournalEntry same = filed(QStringLiteral("second/") + name, JournalEntry::Status::done, now.addDays(-1));

    EXPECT_EQ(TrashSweep::sweep(*store, now), 2);
    for (const JournalEntry &trashed : {entry, same})
        EXPECT_EQ(reread(trashed).statusRaw, QStringLiteral("trashed")) << reread(trashed).message.toStdString();

    // The stem loses its end, a whole "ä" at a time, and keeps its extension;
    // the second of the name keeps within the limit with its number too.
    const QString first = stem.chopped(3) + QStringLiteral(".AppImage");
    const QString second = stem.chopped(4) + QStringLiteral(" 2.AppImage");
    EXPECT_EQ(first.toUtf8().size(), 244);
    EXPECT_EQ(second.toUtf8().size(), 244);
    const QString root = Trash::homeTrash();
    EXPECT_EQ(TestSupport::readFile(root + QStringLiteral("/files/") + first), name.toUtf8());
    EXPECT_EQ(TestSupport::readFile(root + QStringLiteral("/files/") + second), (QStringLiteral("second/") + name).toUtf8());
    const QByteArray info = TestSupport::readFile(root + QStringLiteral("/info/") + first + QStringLiteral(".trashinfo"));
    EXPECT_TRUE(info.split('\n').contains("Path=" + QUrl::toPercentEncoding(entry.newPath, "/"))) << info.toStdString();
    QFile::remove(root + QStringLiteral("/files/") + first);
    QFile::remove(root + QStringLiteral("/files/") + second);
    QFile::remove(root + QStringLiteral("/info/") + first + QStringLiteral(".trashinfo"));
    QFile::remove(root + QStringLiteral("/info/") + second + QStringLiteral(".trashinfo"));
}
