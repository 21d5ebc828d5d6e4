// Crash figures of the journal, not a timing: filing (the real executable's
// "clean-up" subcommand), undo and the Trash sweep are killed with SIGKILL at
// each of their steps on disk in turn, the store and folders are taken up
// again as a start does, and the disk is compared with the journal. Some
// files are filed to another file system (/dev/shm), so that copies are
// interrupted too. Counters (target: all 0 but kills): files lost, damaged,
// duplicated, filed without entry, entries that disagree with the disk, and
// leftovers (hidden partial copies, unfinished .trashinfo files).
#include "Autopilot.h"
#include "FileReadiness.h"
#include "FolderBookmark.h"
#include "JournalRecovery.h"
#include "Prefs.h"
#include "Store.h"
#include "Trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <utime.h>

namespace {

constexpr int textFiles = 20;
constexpr int farFiles = 4; // filed to another file system

struct Figures
{
    long kills = 0, lost = 0, damaged = 0, duplicated = 0, withoutEntry = 0, disagreeing = 0, leftovers = 0;
};

class World
{
public:
    explicit World(const QString &root)
        : m_root(root)
        , m_far(QStringLiteral("/dev/shm/filewright-crash-%1").arg(QCoreApplication::applicationPid()))
    {
    }
    ~World() { QDir(m_far).removeRecursively(); }

    QString home() const { return m_root + QStringLiteral("/home"); }
    // The items of our far folder in the Trash of its file system: name -> whether its file is there.
    QHash<QString, bool> farTrash() const
    {
        QHash<QString, bool> items;
        const QString trash = QStringLiteral("/dev/shm/.Trash-%1").arg(::getuid());
        for (QDirIterator it(trash + QStringLiteral("/info"), {QStringLiteral("*.trashinfo")}, QDir::Files); it.hasNext();) {
            const QString info = it.next();
            QFile file(info);
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(QFileInfo(m_far).fileName().toUtf8()))
                items.insert(trash + QStringLiteral("/files/") + it.fileInfo().completeBaseName(),
                             QFileInfo::exists(trash + QStringLiteral("/files/") + it.fileInfo().completeBaseName()));
        }
        return items;
    }
    QString storePath() const { return m_root + QStringLiteral("/crash.store"); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : {std::pair{"HOME", home()}, {"APP_HOME", home()}, {"APP_STORE", storePath()},
                                          {"XDG_DATA_HOME", m_root + QStringLiteral("/data")},
                                          {"XDG_CONFIG_HOME", m_root + QStringLiteral("/config")},
                                          {"QT_QPA_PLATFORM", QStringLiteral("offscreen")}})
            env.insert(QLatin1String(name), value);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        return env;
    }
    void apply() const
    {
        const QProcessEnvironment env = environment();
        for (const QString &name : env.keys())
            qputenv(name.toUtf8(), env.value(name).toUtf8());
    }
    static QByteArray content(int i) { return "document " + QByteArray::number(i) + QByteArray(4096 * i, 'x'); }

    // A fresh store with the watched Inbox, its rules and its files.
    QUuid prepare()
    {
        QDir(m_root).removeRecursively();
        QDir(m_far).removeRecursively();
        const QHash<QString, bool> trashed = farTrash();
        for (auto it = trashed.begin(); it != trashed.end(); ++it) {
            QFile::remove(it.key());
            QFile::remove(QFileInfo(it.key()).path() + QStringLiteral("/../info/") + QFileInfo(it.key()).fileName()
                          + QStringLiteral(".trashinfo"));
        }
        for (const QString &folder : {home() + QStringLiteral("/Inbox"), home() + QStringLiteral("/Sorted"), m_far})
            QDir().mkpath(folder);
        auto store = Store::open(storePath());
        WatchedFolder inbox(home() + QStringLiteral("/Inbox"), *FolderBookmark::make(home() + QStringLiteral("/Inbox")), true);
        store->insert(inbox);
        for (const QString &place : {home() + QStringLiteral("/Sorted"), m_far}) {
            WatchedFolder folder(place, *FolderBookmark::make(place), false);
            store->insert(folder);
        }
        const auto rule = [&](const QString &ending, const QString &to) {
            const Condition condition{QUuid::createUuid(), Condition::Field::name, Condition::Operator::endsWith, ending};
            const RuleAction move{QUuid::createUuid(), RuleAction::Kind::move, to};
            StoredRule stored(Rule{QUuid::createUuid(), ending, {condition}, {move}, true, std::nullopt}, inbox.uuid,
                              store->count(Store::Model::storedRule));
            store->insert(stored);
        };
        rule(QStringLiteral(".txt"), QStringLiteral("~/Sorted"));
        rule(QStringLiteral(".bin"), m_far);
        for (int i = 0; i < textFiles + farFiles; ++i) {
            const QString path = home() + QStringLiteral("/Inbox/doc%1.%2").arg(i).arg(i < textFiles ? "txt" : "bin");
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(content(i));
            file.close();
            const time_t past = time(nullptr) - 300; // settled: short waits
            const struct utimbuf times{past, past};
            utime(QFile::encodeName(path).constData(), &times);
        }
        return inbox.uuid;
    }

    // Runs a step in another process, killed at its n-th step on disk (n 0:
    // not at all); whether it was killed.
    bool run(const QString &program, const QStringList &arguments, long long n) const
    {
        QProcess process;
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("FILEWRIGHT_KILL_AT"), QString::number(n));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        process.waitForFinished(120000);
        return process.exitStatus() == QProcess::CrashExit;
    }

    void measure(Figures &figures) const
    {
        apply();
        auto store = Store::open(storePath());
        Autopilot autopilot(*store);
        JournalRecovery::settle(autopilot);

        QHash<QByteArray, int> seen;
        QSet<QString> paths;
        for (const QString &root : {m_root, m_far}) {
            for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
                 it.hasNext();) {
                const QString path = it.next();
                if (it.fileName().startsWith(QStringLiteral(".filewright-")))
                    ++figures.leftovers;
                if (path.endsWith(QStringLiteral(".trashinfo"))
                    && !QFileInfo::exists(it.fileInfo().path() + QStringLiteral("/../files/") + it.fileInfo().completeBaseName()))
                    ++figures.leftovers;
                if (!it.fileInfo().isFile() || path.startsWith(m_root + QStringLiteral("/crash.store"))
                    || path.endsWith(QStringLiteral(".trashinfo")) || it.fileName().startsWith(u'.'))
                    continue;
                QFile file(path);
                file.open(QIODevice::ReadOnly);
                ++seen[file.readAll()];
                paths.insert(path);
            }
        }
        const QHash<QString, bool> trashed = farTrash();
        for (auto it = trashed.begin(); it != trashed.end(); ++it) {
            if (!it.value()) {
                ++figures.leftovers;
                continue;
            }
            QFile file(it.key());
            file.open(QIODevice::ReadOnly);
            ++seen[file.readAll()];
        }
        for (int i = 0; i < textFiles + farFiles; ++i) {
            const int count = seen.take(content(i));
            figures.lost += count == 0;
            figures.duplicated += count > 1;
        }
        figures.damaged += seen.size();

        QSet<QString> accounted;
        for (const JournalEntry &entry : store->journal()) {
            bool agrees = !entry.intentData;
            switch (entry.status()) {
            case JournalEntry::Status::done:
                agrees = agrees && FileReadiness::identifier(entry.newPath) == entry.fileID;
                accounted.insert(entry.newPath);
                break;
            case JournalEntry::Status::undone:
                agrees = agrees && !QFileInfo::exists(entry.newPath) && QFileInfo::exists(entry.originalPath);
                break;
            case JournalEntry::Status::trashed:
                agrees = agrees && !QFileInfo::exists(entry.newPath);
                break;
            default:
                agrees = agrees && QFileInfo::exists(entry.originalPath);
            }
            figures.disagreeing += !agrees;
        }
        for (const QString &path : std::as_const(paths)) {
            const bool filed = path.startsWith(home() + QStringLiteral("/Sorted")) || path.startsWith(m_far + u'/');
            figures.withoutEntry += filed && !path.contains(QStringLiteral("/.Trash")) && !accounted.contains(path);
        }
    }

    // Files everything (no kill), so that undo and the sweep have work.
    void fileAll(const QUuid &inbox) const { run(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("clean-up"), inbox.toString(QUuid::WithoutBraces)}, 0); }

private:
    QString m_root;
    QString m_far;
};

// The undo and sweep steps, in a process of their own.
int child(const QString &step)
{
    auto store = Store::open(Store::url());
    Autopilot autopilot(*store);
    if (step == QLatin1String("undo")) {
        for (JournalEntry entry : store->journal(JournalEntry::Status::done))
            autopilot.undo(entry);
    } else {
        for (JournalEntry entry : store->journal(JournalEntry::Status::done)) {
            entry.trashDue = QDateTime::currentDateTimeUtc().addSecs(-1);
            store->update(entry);
        }
        autopilot.sweepTrash(QDateTime::currentDateTimeUtc());
    }
    return 0;
}

void crashes(benchmark::State &state, const char *step)
{
    QTemporaryDir dir;
    World world(dir.path() + QStringLiteral("/world"));
    Figures figures;
    for (auto _ : state) {
        for (long long n = 1; n < 1000; ++n) {
            const QUuid inbox = world.prepare();
            bool killed = false;
            if (std::strcmp(step, "filing") == 0) {
                killed = world.run(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("clean-up"), inbox.toString(QUuid::WithoutBraces)}, n);
            } else {
                world.fileAll(inbox);
                killed = world.run(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), QLatin1String(step)}, n);
            }
            world.measure(figures);
            if (!killed)
                break;
            ++figures.kills;
        }
    }
    for (const auto &[name, value] : {std::pair{"kills", figures.kills}, {"lost", figures.lost}, {"damaged", figures.damaged},
                                      {"duplicated", figures.duplicated}, {"filedWithoutEntry", figures.withoutEntry},
                                      {"disagreeing", figures.disagreeing}, {"leftovers", figures.leftovers}})
        state.counters[name] = double(value);
}

} // namespace

BENCHMARK_CAPTURE(crashes, filing, "filing")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(crashes, undo, "undo")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(crashes, sweep, "sweep")->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        Prefs::registerDefaults();
        return child(QString::fromLatin1(argv[2]));
    }
    QCoreApplication app(argc, argv);
    Prefs::registerDefaults();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
