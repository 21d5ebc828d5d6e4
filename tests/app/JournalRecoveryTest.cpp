// The automation killed (SIGKILL) at every step on disk of filing, undo and
// the Trash sweep, then started again on the same store and folders: every
// file is there once with its content, the journal agrees with the disk, and
// no partial copy is left behind.
#include "AutopilotFixture.h"

#include "FileReadiness.h"
#include "JournalIntent.h"
#include "JournalRecovery.h"
#include "KillPoint.h"
#include "TestSupport.h"
#include "Trash.h"

#include <QDirIterator>
#include <QUrl>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class JournalRecoveryTest : public AutopilotFixture
{
protected:
    QString at(const QString &relative) const { return home + QLatin1Char('/') + relative; }
    QString storePath() const { return storeDir.filePath(QStringLiteral("crash.store")); }
    static QByteArray content(int i) { return "content " + QByteArray::number(i); }

    // Three files waiting for review with plans into Sorted, the first with a
    // copy, the last to go to the Trash at once; then the store is closed.
    void prepare()
    {
        autopilot.reset();
        store.reset();
        for (const QString &name : {QStringLiteral("crash.store"), QStringLiteral("crash.store-wal"), QStringLiteral("crash.store-shm")})
            QFile::remove(storeDir.filePath(name));
        QDir(Trash::homeTrash()).removeRecursively();
        for (const char *name : {"Inbox", "Sorted"})
            QDir(at(QLatin1String(name))).removeRecursively();
        store = Store::open(storePath());
        makeAutopilot();
        place(QStringLiteral("Sorted"));
        for (int i = 0; i < 3; ++i) {
            Plan plan;
            plan.ruleID = QUuid::createUuid();
            plan.original = oldFile(at(QStringLiteral("Inbox/doc%1.txt").arg(i)), content(i));
            plan.destination = at(QStringLiteral("Sorted/filed%1.txt").arg(i));
            if (i == 0)
                plan.copies = {at(QStringLiteral("Sorted/Copies/doc0.txt"))};
            if (i == 2)
                plan.trashAfterDays = 0;
            JournalEntry entry(QUuid::createUuid(), QStringLiteral("Rule"), plan.original, plan.destination,
                               JournalEntry::Status::review);
            entry.setPlan(plan);
            ASSERT_TRUE(store->insert(entry));
        }
        autopilot.reset();
        store.reset();
    }

    // Files all three, undoes the first two and sweeps: killed at the
    // n-th step on disk. Runs in a child process.
    void script(long long n)
    {
        store = Store::open(storePath());
        makeAutopilot();
        KillPoint::arm(n);
        for (JournalEntry entry : store->journal(JournalEntry::Status::review))
            autopilot->approve(entry, std::nullopt);
        for (int i = 0; i < 2; ++i) {
            JournalEntry entry = *store->journalEntry(i + 1);
            autopilot->undo(entry);
        }
        autopilot->sweepTrash(QDateTime::currentDateTimeUtc().addSecs(1));
    }

    // The files below a folder with the given content, those under leaveOut not counted.
    static int withContent(const QString &folder, const QByteArray &bytes, const QString &leaveOut)
    {
        int count = 0;
        for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            count += !path.startsWith(leaveOut) && TestSupport::readFile(path) == bytes;
        }
        return count;
    }

    void expectAgreement(const QString &when)
    {
        const std::string where = when.toStdString();
        const QString trashFiles = Trash::homeTrash() + QStringLiteral("/files");
        for (const JournalEntry &entry : store->journal()) {
            const int i = entry.originalName().mid(3, 1).toInt();
            EXPECT_FALSE(entry.intentData) << where;
            // Exactly once, copies of the first file (in Copies, or trashed by an undo) aside.
            EXPECT_EQ(withContent(home, content(i), at(QStringLiteral("Sorted/Copies")))
                          + withContent(trashFiles, content(i), trashFiles + QStringLiteral("/doc0")),
                      1) << where << " entry " << i;
            QString expected;
            switch (entry.status()) {
            case JournalEntry::Status::review:
            case JournalEntry::Status::undone:
                expected = entry.originalPath;
                break;
            case JournalEntry::Status::done:
                expected = entry.newPath;
                EXPECT_EQ(FileReadiness::identifier(entry.newPath), entry.fileID) << where;
                break;
            case JournalEntry::Status::trashed:
                expected = trashFiles + QStringLiteral("/filed2.txt");
                EXPECT_FALSE(QFileInfo::exists(entry.newPath)) << where;
                break;
            default:
                ADD_FAILURE() << where << " status " << entry.statusRaw.toStdString() << " " << entry.message.toStdString();
            }
            EXPECT_EQ(TestSupport::readFile(expected), content(i)) << where << " entry " << i;
            if (i == 0) { // the copy lies at its place exactly while the filing stands
                EXPECT_EQ(QFileInfo::exists(at(QStringLiteral("Sorted/Copies/doc0.txt"))),
                          entry.status() == JournalEntry::Status::done) << where;
            }
        }
        for (const QString &root : {home, Trash::homeTrash()}) {
            for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
                 it.hasNext();) {
                const QString path = it.next();
                EXPECT_FALSE(it.fileName().startsWith(QStringLiteral(".filewright-"))) << where << " " << path.toStdString();
                if (path.endsWith(QStringLiteral(".trashinfo"))) {
                    EXPECT_TRUE(QFileInfo::exists(trashFiles + QLatin1Char('/') + it.fileInfo().completeBaseName()))
                        << where;
                }
            }
        }
    }
};

TEST_F(JournalRecoveryTest, KilledAtAnyStepOfFilingUndoAndTheSweepTheJournalAgreesWithTheDiskAfterARestart)
{
    int kills = 0;
    for (long long n = 1; n < 200; ++n) {
        prepare();
        const pid_t pid = fork();
        if (pid == 0) {
            script(n);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
        store = Store::open(storePath());
        makeAutopilot();
        JournalRecovery::settle(*autopilot);
        expectAgreement(QStringLiteral("killed at step %1").arg(n));
        if (!killed)
            break; // the whole script ran: every step has been a kill point
        ++kills;
    }
    EXPECT_GT(kills, 10);
}

TEST_F(JournalRecoveryTest, ASettledMoveToTheTrashLeavesNoInfoOfOursWithoutItsFile)
{
    makeAutopilot();
    place(QStringLiteral("Sorted"));
    const QString trash = Trash::homeTrash();
    QDir(trash).removeRecursively();
    // Two filed files whose moves to the Trash a killed process began: one
    // got there, one did not; each has infos of earlier tries without their
    // file, one after a gap in the names.
    QList<JournalEntry> entries;
    for (const QString &name : {QStringLiteral("moved.txt"), QStringLiteral("stayed.txt")}) {
        const QString filed = oldFile(at(QStringLiteral("Sorted/") + name), name.toUtf8());
        JournalEntry entry(QUuid::createUuid(), QStringLiteral("Rule"), at(QStringLiteral("Inbox/") + name), filed,
                           JournalEntry::Status::done);
        entry.fileID = FileReadiness::identifier(filed);
        entry.trashDue = QDateTime::currentDateTimeUtc().addSecs(-60);
        JournalIntent intent = JournalIntent::begin(JournalIntent::Kind::trash);
        intent.pid = 0; // a process that no longer runs
        entry.intentData = intent.toJsonData();
        ASSERT_TRUE(store->insert(entry));
        entries.append(entry);
        for (const QString &unfinished : {name, QFileInfo(name).completeBaseName() + QStringLiteral(" 3.txt")}) {
            ASSERT_TRUE(TestSupport::writeFile(trash + QStringLiteral("/info/") + unfinished + QStringLiteral(".trashinfo"),
                                               "[Trash Info]\nPath=" + QUrl::toPercentEncoding(filed, "/")
                                                   + "\nDeletionDate=2026-03-05T09:00:00\n"));
        }
    }
    ASSERT_TRUE(QFile::remove(trash + QStringLiteral("/info/moved.txt.trashinfo")));
    const QString inTrash = Trash::moveToTrash(entries.at(0).newPath);
    ASSERT_EQ(inTrash, trash + QStringLiteral("/files/moved.txt"));

    EXPECT_EQ(JournalRecovery::settle(*autopilot), 2);
    EXPECT_EQ(store->journalEntry(entries.at(0).id)->statusRaw, QStringLiteral("trashed"));
    EXPECT_EQ(store->journalEntry(entries.at(1).id)->statusRaw, QStringLiteral("done"));
    EXPECT_TRUE(store->journalEntry(entries.at(1).id)->trashDue);
    EXPECT_EQ(QDir(trash + QStringLiteral("/info")).entryList(QDir::Files),
              QStringList{QStringLiteral("moved.txt.trashinfo")});
    EXPECT_TRUE(QFileInfo::exists(inTrash) && QFileInfo::exists(entries.at(1).newPath));
}
