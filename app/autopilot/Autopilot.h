// The one automation driver: keeps access to the stored folders, watches the
// watched ones, and carries their new files through recognition, rules and
// filing into the journal. Lives on the main thread.
#pragma once

#include "DryRun.h"
#include "JournalIntent.h"
#include "LoopGuard.h"
#include "ModelReader.h"
#include "Models.h"
#include "Notifier.h"
#include "Plan.h"
#include "RecognitionCache.h"
#include "RecognitionGate.h"
#include "Rule.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class FilePass;
class FileWork;
class FolderWatcher;
class StepQueue;
class Store;

class Autopilot : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList busyFiles READ busyFiles NOTIFY busyFilesChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)

public:
    static constexpr int sweepIntervalSeconds = 3600;
    // How often the watched folders are looked at, to notice one that was
    // deleted or locked while it was watched.
    static constexpr std::chrono::seconds folderCheckInterval{30};

    // recognitionPatience: how long a reading may take before it gives way
    // to the patterns' reading alone.
    explicit Autopilot(Store &store, QObject *parent = nullptr,
                       std::chrono::milliseconds recognitionPatience = RecognitionGate::defaultPatience);
    ~Autopilot() override;

    Store &store() const { return m_store; }
    // The deadline of the application's end, which the readings' end shares
    // with the other work that the end waits for.
    const std::shared_ptr<EndDeadline> &endDeadline() const { return m_end; }

    // Starts folder access (each folder resolved afresh), watching and the
    // hourly Trash sweep.
    void start();
    // Stops watching and starts again; nothing when never started.
    void restart();
    bool isStarted() const { return m_watcher != nullptr; }

    // Keeps a folder the user chose (watched, or a place rules may file into)
    // and returns its record; nothing, with lastError set, when the folder
    // cannot be kept.
    std::optional<WatchedFolder> addFolder(const QString &path, bool watched);
    // The folder's path as it is found now, or nothing when it cannot be
    // found again (then it is marked to be chosen again and no longer
    // watched; the caller saves).
    std::optional<QString> startAccess(WatchedFolder &folder);
    std::optional<WatchedFolder> folder(const std::optional<QUuid> &id) const;
    // Whether a target lies in a stored folder or place.
    bool canWrite(const QString &path) const;

    // At most this many of a folder's newest files are cleaned up at once.
    static constexpr int cleanUpLimit = 500;
    // Runs the folder's newest files through the rules as if they had just
    // arrived, all side by side; calls done (later, on the main thread) with
    // the number of journal entries made since the clean-up began, by any
    // road. A folder that cannot be reached gives 0.
    void cleanUp(const WatchedFolder &folder, std::function<void(int)> done);
    // Moves due filed files to the Trash (TrashSweep).
    void sweepTrash(const QDateTime &now);

    // The user's decisions on a journal entry (ReviewDecisions); each writes
    // its outcome into the entry and stores it.
    // Files an entry that waits for review, with the corrected reading when
    // one is given.
    void approve(JournalEntry &entry, const std::optional<Recognition> &recognition);
    void skip(JournalEntry &entry);
    // Reverses the filing of a done entry.
    void undo(JournalEntry &entry);

    // The same decisions as the windows make them, on the entry stored under
    // id as it is now: the step on disk runs on a worker thread, its intent
    // is stored before it and its outcome after, on the main thread. One
    // decision per entry at a time: while one runs, another on the same entry
    // is refused (false), as is one on an entry that is gone.
    bool startApprove(qint64 entryId, const std::optional<Recognition> &recognition);
    bool startSkip(qint64 entryId);
    bool startUndo(qint64 entryId);
    // Whether a decision on the entry is under way; decidingChanged tells.
    bool isDeciding(qint64 entryId) const { return m_deciding.contains(entryId); }
    // Whether a path is in hand: a file the pipeline is handling, or a place
    // that an approve or undo under way is moving a file from or to. No
    // other work starts on a path in hand.
    bool inFlight(const QString &path) const { return m_inFlight.contains(path) || m_carried.contains(path); }
    QSet<qint64> deciding() const { return m_deciding; }

    using DryRunRow = ::DryRunRow;
    // Tries a rule, stored or not, on the folder's newest files without
    // doing anything (DryRun); readings go through the cache and the gate.
    // The run is under way when this returns, or already finished (no
    // access, an empty folder); destroying it stops it.
    std::unique_ptr<DryRun> dryRun(const Rule &rule, WatchedFolder &folder, DryRun::Update update);

    // Carries one file of a folder through the rules: waits until it has
    // settled (briefly when `settled` says it has been lying there a while),
    // reads it when a rule needs that, and files it with the first rule that
    // matches, or leaves it alone. A file already being handled is dropped.
    // done (optional) learns whether a journal entry was made; it may be
    // called before handle returns.
    void handle(const QString &path, const WatchedFolder &folder, bool settled,
                std::function<void(bool entryMade)> done = {});
    // The switched-on rules of a folder in their order, the rules that belong
    // to no folder included.
    QList<Rule> rules(const WatchedFolder &folder) const;

    // The reading of a file: from the cache when its content was read
    // before, else read on a worker thread (two at a time) and kept. Without
    // a model choice the model is used when it is available. done runs on
    // the main thread, right away for a cached reading, and only while
    // context lives.
    using Recognized = std::function<void(const Recognition &recognition)>;
    void recognize(const QString &path, std::optional<quint64> fileID, std::optional<bool> useModel,
                   QObject *context, Recognized done);
    // The document's text as recognition reads it (Recognizer::documentText),
    // for rules that test it: read on a worker thread through the same gate
    // as readings. done runs on the main thread, only while context lives,
    // with nothing when the reading was given up.
    using TextRead = std::function<void(const std::optional<QString> &text)>;
    void readText(const QString &path, QObject *context, TextRead done);
    // The key of a file's content in the cache; the path itself for a file
    // that cannot be read.
    static QString hash(const QString &path);

    // Shows a desktop notification, unless "notify" is off or a test store
    // is in use.
    void notify(const QString &title, const QString &body) const;
    // "Invoice, Example, 12.50 EUR": kind, short sender and amount.
    static QString summary(const Recognition &recognition);

    // Marks watched folders that are gone or can no longer be read to be
    // chosen again, and stops watching them; the others go on.
    void checkFolders();

    LoopGuard &loopGuard() { return m_loopGuard; }

    // The time the automation goes by: the system clock unless another one
    // is given (tests pass time in instead of waiting for it).
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }
    QDateTime now() const;

    // The local language model's status as last asked; asked at the start,
    // on every folder check and when "useModel" changes, so that a server
    // started or stopped later is followed. modelStatusChanged tells.
    ModelStatus modelStatus() const { return m_modelStatus; }
    // Asks the model server again, off the main thread.
    void checkModel();
    // Asks it at once and waits for the answer (half a second at most).
    void refreshModelStatus();
    // Switches reading with the model on or off and asks again.
    void setUseModel(bool on);
    QStringList busyFiles() const { return m_busyFiles; }
    QString lastError() const { return m_lastError; }
    // Folders the kernel's watch limit kept from being watched fully.
    QStringList limitedFolders() const { return m_limitedFolders; }

Q_SIGNALS:
    void modelStatusChanged();
    void busyFilesChanged();
    void decidingChanged(qint64 entryId);
    void lastErrorChanged();
    void limitedFoldersChanged();

private:
    friend class FilePass;
    friend class JournalRecovery;

    // New files of a watched folder, as the watcher reported them.
    void received(const QString &folder, const QStringList &files);
    // Journals the plan of the rule chosen for a file, and files it unless
    // the reading needs the user's check.
    void run(const Plan &plan, const Rule &rule, const std::optional<Recognition> &recognition, quint64 fileID);
    // Carries out a plan for its entry and stores the entry with the outcome.
    void perform(const Plan &plan, JournalEntry &entry, std::optional<quint64> fileID);
    // The three steps of perform: the intent stored (none when the plan may
    // not run: the failure is stored then), the work on disk (any thread),
    // and the outcome stored.
    struct Filing
    {
        Plan plan;
        std::optional<quint64> fileID;
        std::optional<QByteArray> planBefore;
        JournalIntent intent;
    };
    struct Outcome
    {
        std::optional<Performed> performed;
        QString error;
    };
    std::optional<Filing> beginFiling(const Plan &plan, JournalEntry &entry, std::optional<quint64> fileID);
    static Outcome carryOut(const Filing &filing);
    void endFiling(const Filing &filing, JournalEntry &entry, const Outcome &outcome);
    void failFiling(JournalEntry &entry, const QString &message, const std::optional<QByteArray> &planBefore,
                    std::optional<quint64> fileID);
    void setDeciding(qint64 entryId, bool deciding);
    // The places of a file an approve or undo is carrying, in hand from
    // before the step starts until it has ended, however it ends.
    void carry(const QStringList &paths);
    void release(const QStringList &paths);
    // Stores a filing carried out for its entry: done, with what was done.
    // A Trash date counts from the file's arrival in its folder: the filing
    // itself for a file it moved, else `arrived` (read before the filing),
    // else now.
    void filed(const Performed &performed, JournalEntry &entry, std::optional<quint64> fileID,
               const std::optional<QDateTime> &arrived);
    // The first folder of the plan that Filewright may not write into.
    std::optional<QString> refusedFolder(const Plan &plan) const;
    void writeEntry(JournalEntry &entry);
    void read(const QString &path, const std::optional<QString> &contentHash, const QString &fileID, bool useModel,
              QPointer<QObject> context, Recognized done);
    void addBusy(const QString &name);
    void removeBusy(const QString &name);
    void setLastError(const QString &text);
    void noteLimitReached(const QString &folder);
    // The status and model the server offers now; blocks for at most half a second.
    static std::pair<ModelStatus, QString> askModel();
    void setModel(const std::pair<ModelStatus, QString> &answer);

    Store &m_store;
    std::unique_ptr<FolderWatcher> m_watcher;
    std::unique_ptr<QTimer> m_sweepTimer;
    ModelStatus m_modelStatus = ModelStatus::notReady;
    // The model that reads while the status is available.
    QString m_modelName;
    bool m_modelCheckRunning = false;
    bool m_modelCheckAgain = false;
    // Asks the model server; never the global pool, which long work may fill.
    QThreadPool m_modelAsker;
    QStringList m_busyFiles;
    QString m_lastError;
    QStringList m_limitedFolders;
    LoopGuard m_loopGuard;
    // Paths of the files being handled now.
    QSet<QString> m_inFlight;
    // Paths that approves and undos under way carry, with how many carry each.
    QHash<QString, int> m_carried;
    RecognitionCache m_cache;
    Notifier m_notifier;
    const std::shared_ptr<EndDeadline> m_end;
    // Children of the driver; its destructor removes them before the state they use.
    RecognitionGate *m_gate = nullptr;
    StepQueue *m_steps = nullptr;
    FileWork *m_fileWork = nullptr;
    // Entries with a decision under way.
    QSet<qint64> m_deciding;
    QTimer m_folderCheck;
    Clock m_clock;
};
