#include "Autopilot.h"

#include "FileNameText.h"
#include "FileOperations.h"
#include "FilePass.h"
#include "FileWork.h"
#include "FileReadiness.h"
#include "FolderBookmark.h"
#include "FolderWatcher.h"
#include "JournalIntent.h"
#include "JournalRecovery.h"
#include "KillPoint.h"
#include "NameTemplate.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "RealHome.h"
#include "Recognizer.h"
#include "ReviewDecisions.h"
#include "StepQueue.h"
#include "Store.h"
#include "TrashSweep.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

#include <unistd.h>

Autopilot::Autopilot(Store &store, QObject *parent, std::chrono::milliseconds recognitionPatience)
    : QObject(parent)
    , m_store(store)
    , m_cache(store)
    , m_end(std::make_shared<EndDeadline>())
    , m_gate(new RecognitionGate(recognitionPatience, m_end, this))
    , m_steps(new StepQueue(this))
    , m_fileWork(new FileWork(this))
{
    m_folderCheck.setInterval(folderCheckInterval);
    connect(&m_folderCheck, &QTimer::timeout, this, &Autopilot::checkFolders);
    connect(&m_folderCheck, &QTimer::timeout, this, &Autopilot::checkModel);
    m_modelAsker.setMaxThreadCount(1);
    refreshModelStatus();
}

Autopilot::~Autopilot()
{
    // The watcher first, so that no batch arrives while the rest goes; then
    // the passes, the queue and the gate, before the state they use.
    m_watcher.reset();
    // Decisions still moving files end first; their outcomes are not stored
    // (the next start settles them from their intents).
    delete m_fileWork;
    qDeleteAll(findChildren<FilePass *>(Qt::FindDirectChildrenOnly));
    delete m_steps;
    delete m_gate;
}

void Autopilot::start()
{
    // Steps on disk that a crash cut short are settled before anything else.
    JournalRecovery::settle(*this);
    QList<WatchedFolder> folders = m_store.folders();
    for (WatchedFolder &folder : folders) {
        const WatchedFolder before = folder;
        startAccess(folder);
        if (!(folder == before))
            m_store.update(folder);
    }

    // The watcher calls from its own thread; the batch is handed to the main
    // thread, and dropped when the driver is gone by then.
    QPointer<Autopilot> self(this);
    auto watcher = std::make_unique<FolderWatcher>(
        [self](const QString &root, const QStringList &files) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [self, root, files] {
                    if (self)
                        self->received(root, files);
                },
                Qt::QueuedConnection);
        },
        [self](const QString &root) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [self, root] {
                    if (self)
                        self->noteLimitReached(root);
                },
                Qt::QueuedConnection);
        });
    for (const WatchedFolder &folder : std::as_const(folders)) {
        if (folder.isWatched && folder.isEnabled && !folder.needsReselect)
            watcher->watch(folder.displayPath, folder.includeSubfolders);
    }
    m_watcher = std::move(watcher);

    m_sweepTimer = std::make_unique<QTimer>();
    m_sweepTimer->setInterval(sweepIntervalSeconds * 1000);
    connect(m_sweepTimer.get(), &QTimer::timeout, this, [this] { sweepTrash(QDateTime::currentDateTimeUtc()); });
    m_sweepTimer->start();
    m_folderCheck.start();
    sweepTrash(QDateTime::currentDateTimeUtc());
}

void Autopilot::restart()
{
    if (!m_watcher)
        return;
    m_watcher->stopAll();
    m_watcher.reset();
    if (!m_limitedFolders.isEmpty()) {
        m_limitedFolders.clear();
        Q_EMIT limitedFoldersChanged();
    }
    start();
}

std::optional<WatchedFolder> Autopilot::addFolder(const QString &path, bool watched)
{
    const auto bookmark = FolderBookmark::make(path);
    if (!bookmark) {
        setLastError(tr("Filewright could not keep access to %1.").arg(path));
        return std::nullopt;
    }
    const QList<WatchedFolder> folders = m_store.folders();
    for (WatchedFolder folder : folders) {
        if (folder.displayPath != path)
            continue;
        folder.bookmark = *bookmark;
        folder.needsReselect = false;
        if (watched)
            folder.isWatched = true;
        m_store.update(folder);
        restart();
        return folder;
    }
    WatchedFolder folder(path, *bookmark, watched);
    m_store.insert(folder);
    restart();
    return folder;
}

std::optional<QString> Autopilot::startAccess(WatchedFolder &folder)
{
    // Found afresh on every request: a folder deleted or replaced while
    // Filewright runs is reported as such, never served from an earlier find.
    const auto resolved = FolderBookmark::resolve(folder.bookmark);
    // A folder that is gone, or another folder now standing at its path, must
    // be chosen again: nothing is filed into a folder the user did not choose.
    if (!resolved || resolved->isStale) {
        folder.needsReselect = true;
        if (m_watcher)
            m_watcher->stop(folder.displayPath);
        return std::nullopt;
    }
    return resolved->path;
}

std::optional<WatchedFolder> Autopilot::folder(const std::optional<QUuid> &id) const
{
    if (!id)
        return std::nullopt;
    return m_store.folder(*id);
}

bool Autopilot::canWrite(const QString &path) const
{
    const QString target = QDir::cleanPath(path);
    const QList<WatchedFolder> folders = m_store.folders();
    return std::any_of(folders.begin(), folders.end(), [&](const WatchedFolder &folder) {
        if (folder.needsReselect)
            return false;
        return target == folder.displayPath || target.startsWith(folder.displayPath + QLatin1Char('/'));
    });
}

void Autopilot::cleanUp(const WatchedFolder &folder, std::function<void(int)> done)
{
    WatchedFolder reached = folder;
    const std::optional<QString> path = startAccess(reached);
    if (!(reached == folder))
        m_store.update(reached);
    if (!path) {
        QMetaObject::invokeMethod(this, [done = std::move(done)] { done(0); }, Qt::QueuedConnection);
        return;
    }
    // Entries are dated by the system clock.
    const QDateTime start = QDateTime::currentDateTimeUtc();
    QPointer<Autopilot> self(this);
    auto finish = [self, start, done = std::move(done)] {
        if (self)
            done(int(self->m_store.journalCount(start)));
    };
    const QStringList files = FolderWatcher::recentFiles(*path, cleanUpLimit);
    if (files.isEmpty()) {
        QMetaObject::invokeMethod(this, std::move(finish), Qt::QueuedConnection);
        return;
    }
    auto remaining = std::make_shared<qsizetype>(files.size());
    auto shared = std::make_shared<decltype(finish)>(std::move(finish));
    for (const QString &file : files) {
        handle(file, reached, true, [remaining, shared](bool) {
            if (--*remaining == 0)
                (*shared)();
        });
    }
}

void Autopilot::sweepTrash(const QDateTime &now)
{
    TrashSweep::sweep(m_store, now);
}

void Autopilot::approve(JournalEntry &entry, const std::optional<Recognition> &recognition)
{
    ReviewDecisions::approve(
        m_store, entry, recognition, m_cache,
        [this](const Plan &plan, JournalEntry &filed, std::optional<quint64> fileID) { perform(plan, filed, fileID); },
        now());
}

void Autopilot::skip(JournalEntry &entry)
{
    ReviewDecisions::skip(m_store, entry);
}

void Autopilot::undo(JournalEntry &entry)
{
    ReviewDecisions::undo(m_store, entry, m_loopGuard, m_cache, now());
}

bool Autopilot::startApprove(qint64 entryId, const std::optional<Recognition> &recognition)
{
    if (m_deciding.contains(entryId))
        return false;
    const std::optional<JournalEntry> stored = m_store.journalEntry(entryId);
    if (!stored)
        return false;
    auto entry = std::make_shared<JournalEntry>(*stored);
    const std::optional<Plan> plan = ReviewDecisions::approvedPlan(m_store, *entry, recognition, m_cache, now());
    if (!plan)
        return false;
    setDeciding(entryId, true);
    const QStringList carried{plan->original, plan->destination};
    carry(carried);
    const std::optional<Filing> filing = beginFiling(*plan, *entry, FileReadiness::identifier(plan->original));
    if (!filing) {
        release(carried);
        setDeciding(entryId, false);
        return true;
    }
    m_fileWork->run<Outcome>([filing = *filing] { return carryOut(filing); },
                             [this, filing = *filing, entry, carried](const Outcome &outcome) {
                                 endFiling(filing, *entry, outcome);
                                 release(carried);
                                 setDeciding(entry->id, false);
                             });
    return true;
}

bool Autopilot::startSkip(qint64 entryId)
{
    if (m_deciding.contains(entryId))
        return false;
    std::optional<JournalEntry> stored = m_store.journalEntry(entryId);
    if (!stored)
        return false;
    // Nothing on disk changes: the entry is closed at once.
    ReviewDecisions::skip(m_store, *stored);
    return true;
}

bool Autopilot::startUndo(qint64 entryId)
{
    if (m_deciding.contains(entryId))
        return false;
    const std::optional<JournalEntry> stored = m_store.journalEntry(entryId);
    if (!stored)
        return false;
    // Shared by the steps on the main thread; the worker never touches it.
    struct State
    {
        JournalEntry entry;
        JournalIntent intent;
        // The filed place, the place it goes back to and the free name chosen there.
        QStringList carried;
    };
    auto state = std::make_shared<State>(State{*stored, {}, {}});
    setDeciding(entryId, true);
    std::optional<ReviewDecisions::UndoStep> step = ReviewDecisions::beginUndo(m_store, state->entry);
    if (!step) {
        setDeciding(entryId, false);
        return true;
    }
    state->intent = step->intent;
    state->carried = {step->performed.destination, step->performed.original};
    carry(state->carried);
    struct Result
    {
        std::optional<QString> back;
        QString error;
    };
    FileWork *work = m_fileWork;
    Store *store = &m_store;
    auto undoOnDisk = [this, work, store, state, performed = step->performed,
                       madeByFilings = step->madeByFilings]() -> Result {
        Result result;
        try {
            result.back = FileOperations::undo(performed, [&](const QString &target) {
                // Run on the main thread, and never once the driver is going away.
                work->onMainThread([this, store, state, target] {
                    if (!state->carried.contains(target)) {
                        state->carried.append(target);
                        carry({target});
                    }
                    ReviewDecisions::noteUndoTarget(*store, state->entry, state->intent, target);
                });
            }, madeByFilings);
            KillPoint::reach();
        } catch (const FileOperationError &error) {
            result.error = error.description();
        } catch (const std::exception &error) {
            result.error = QString::fromLocal8Bit(error.what());
        }
        return result;
    };
    m_fileWork->run<Result>(std::move(undoOnDisk), [this, state](const Result &result) {
        if (result.back)
            ReviewDecisions::undone(m_store, state->entry, *result.back, m_loopGuard, m_cache, now());
        else
            ReviewDecisions::undoFailed(m_store, state->entry, result.error);
        release(state->carried);
        setDeciding(state->entry.id, false);
    });
    return true;
}

void Autopilot::carry(const QStringList &paths)
{
    for (const QString &path : paths)
        ++m_carried[path];
}

void Autopilot::release(const QStringList &paths)
{
    for (const QString &path : paths) {
        const auto found = m_carried.find(path);
        if (found != m_carried.end() && --*found <= 0)
            m_carried.erase(found);
    }
}

void Autopilot::setDeciding(qint64 entryId, bool deciding)
{
    const bool changed = m_deciding.contains(entryId) != deciding;
    if (deciding)
        m_deciding.insert(entryId);
    else
        m_deciding.remove(entryId);
    if (changed)
        Q_EMIT decidingChanged(entryId);
}

std::unique_ptr<DryRun> Autopilot::dryRun(const Rule &rule, WatchedFolder &folder, DryRun::Update update)
{
    QPointer<Autopilot> self(this);
    auto recognize = [self](const QString &path, QObject *context, std::function<void(const Recognition &)> done) {
        if (self)
            self->recognize(path, std::nullopt, std::nullopt, context, std::move(done));
    };
    auto readText = [self](const QString &path, QObject *context, DryRun::TextRead done) {
        if (self)
            self->readText(path, context, std::move(done));
    };
    auto run = std::make_unique<DryRun>(rule, std::move(recognize), std::move(readText), std::move(update));
    const WatchedFolder before = folder;
    const std::optional<QString> path = startAccess(folder);
    if (!(folder == before))
        m_store.update(folder);
    run->start(path);
    return run;
}

std::pair<ModelStatus, QString> Autopilot::askModel()
{
    QString model;
    const ModelStatus status = ModelStatus::current(Prefs::boolValue(QString::fromUtf16(Prefs::useModelKey)),
                                                    LocalModelClient::fromEnvironment(), &model);
    return {status, status.isAvailable() ? model : QString()};
}

void Autopilot::setModel(const std::pair<ModelStatus, QString> &answer)
{
    m_modelName = answer.second;
    if (answer.first == m_modelStatus)
        return;
    m_modelStatus = answer.first;
    Q_EMIT modelStatusChanged();
}

void Autopilot::refreshModelStatus()
{
    setModel(askModel());
}

void Autopilot::checkModel()
{
    // One question at a time; a change asked for meanwhile is asked again after it.
    if (m_modelCheckRunning) {
        m_modelCheckAgain = true;
        return;
    }
    m_modelCheckRunning = true;
    QtConcurrent::run(&m_modelAsker, &Autopilot::askModel).then(this, [this](const std::pair<ModelStatus, QString> &answer) {
        m_modelCheckRunning = false;
        setModel(answer);
        if (std::exchange(m_modelCheckAgain, false))
            checkModel();
    });
}

void Autopilot::setUseModel(bool on)
{
    Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), on);
    // Switched off needs no question to the server: the status follows at once.
    if (!on)
        setModel({ModelStatus::switchedOff, QString()});
    checkModel();
}

void Autopilot::received(const QString &folder, const QStringList &files)
{
    if (files.isEmpty())
        return;
    const QList<WatchedFolder> folders = m_store.folders();
    const auto found = std::find_if(folders.begin(), folders.end(),
                                    [&](const WatchedFolder &stored) { return stored.displayPath == folder; });
    if (found == folders.end())
        return;
    // Each file's pass is started as a step of its own: a batch of thousands
    // starts a few milliseconds' worth of them per turn of the event loop.
    const WatchedFolder folderOfFiles = *found;
    for (const QString &file : files)
        m_steps->post(this, [this, file, folderOfFiles] { handle(file, folderOfFiles, false); });
}

void Autopilot::handle(const QString &path, const WatchedFolder &folder, bool settled, std::function<void(bool)> done)
{
    // One pass per path at a time, and none while an approve or undo
    // carries the file; a later event starts a new pass.
    if (inFlight(path)) {
        if (done)
            done(false);
        return;
    }
    m_inFlight.insert(path);
    auto *pass = new FilePass(*this, path, folder, settled, std::move(done));
    m_steps->post(pass, [pass] { pass->begin(); });
}

QList<Rule> Autopilot::rules(const WatchedFolder &folder) const
{
    QList<Rule> rules;
    for (const StoredRule &stored : m_store.rules()) {
        // A rule that belongs to no folder runs for every folder.
        if (stored.folderID && *stored.folderID != folder.uuid)
            continue;
        const Rule rule = stored.rule();
        if (rule.isEnabled)
            rules.append(rule);
    }
    return rules;
}

QString Autopilot::hash(const QString &path)
{
    return RecognitionCache::hash(path).value_or(path);
}

void Autopilot::recognize(const QString &path, std::optional<quint64> fileID, std::optional<bool> useModel,
                          QObject *context, Recognized done)
{
    // A file that cannot be read has no content to key: it is read (the
    // recognizer answers what it cannot read) but not kept.
    const std::optional<QString> contentHash = RecognitionCache::hash(path);
    if (contentHash) {
        if (const std::optional<Recognition> kept = m_cache.lookUp(*contentHash, path)) {
            if (context && done)
                done(*kept);
            return;
        }
    }
    const std::optional<quint64> identifier = fileID ? fileID : FileReadiness::identifier(path);
    const QString fileIDText = identifier ? QString::number(*identifier) : QString();
    read(path, contentHash, fileIDText, useModel.value_or(m_modelStatus.isAvailable()), QPointer<QObject>(context),
         std::move(done));
}

void Autopilot::readText(const QString &path, QObject *context, TextRead done)
{
    const QString name = QFileInfo(path).fileName();
    // The gate hands back readings; the text comes back beside it, and is
    // only looked at once the worker has finished with it.
    const auto text = std::make_shared<QString>();
    m_gate->run(
        [path, text, stop = m_gate->stopToken()] {
            *text = Recognizer::documentText(path, stop);
            return Recognition();
        },
        [this, name] { addBusy(name); },
        [this, name, text, context = QPointer<QObject>(context), done = std::move(done)](std::optional<Recognition> read) {
            removeBusy(name);
            if (context && done)
                done(read ? std::optional<QString>(*text) : std::nullopt);
        });
}

void Autopilot::read(const QString &path, const std::optional<QString> &contentHash, const QString &fileID,
                     bool useModel, QPointer<QObject> context, Recognized done)
{
    const QString name = QFileInfo(path).fileName();
    // The model found on the last check reads, without asking for the list again.
    const QString model = useModel ? m_modelName : QString();
    m_gate->run([path, useModel, model, stop = m_gate->stopToken()] {
                    return Recognizer::recognize(path, useModel, model, stop);
                },
                [this, name] { addBusy(name); },
                [=, this](std::optional<Recognition> result) {
                    removeBusy(name);
                    if (!result && useModel) {
                        // The reading hung, most likely waiting for the model:
                        // the patterns read the file alone.
                        read(path, std::nullopt, fileID, false, context, done);
                        return;
                    }
                    // Keeping the reading waits its turn among the other steps,
                    // so that many readings ending together hold nothing up.
                    m_steps->post(this, [=, this] {
                        Recognition recognition;
                        if (result && contentHash)
                            recognition = m_cache.remember(*contentHash, fileID, path, *result);
                        else if (result)
                            recognition = *result;
                        else
                            recognition.readAt = QDateTime::currentDateTimeUtc(); // nothing could be read in time
                        if (context && done)
                            done(recognition);
                    });
                });
}

void Autopilot::addBusy(const QString &name)
{
    m_busyFiles.append(name);
    Q_EMIT busyFilesChanged();
}

void Autopilot::removeBusy(const QString &name)
{
    if (m_busyFiles.removeAll(name) > 0)
        Q_EMIT busyFilesChanged();
}

void Autopilot::run(const Plan &plan, const Rule &rule, const std::optional<Recognition> &recognition, quint64 fileID)
{
    JournalEntry entry(rule.id, rule.name, plan.original, plan.destination, JournalEntry::Status::done);
    entry.setRecognition(recognition);
    const bool review = rule.usesRecognition()
        && ((recognition && recognition->confidence < Recognition::reviewThreshold) || !plan.missing.isEmpty());
    if (!review)
        return perform(plan, entry, fileID);

    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::review);
    entry.planData = plan.toJsonData();
    entry.message = recognition ? recognition->notes.join(QStringLiteral(", ")) : QString();
    entry.fileID = fileID;
    writeEntry(entry);
    notify(tr("Please check"), tr("%1 is waiting for you in the journal.").arg(FileNameText::oneLine(QFileInfo(plan.original).fileName())));
}

std::optional<QString> Autopilot::refusedFolder(const Plan &plan) const
{
    // Filing writes into the destination's folder when the file changes
    // place, and into the folder of every copy.
    QStringList targets;
    if (plan.changesLocation())
        targets.append(QFileInfo(plan.destination).path());
    for (const QString &copy : plan.copies)
        targets.append(QFileInfo(copy).path());
    for (const QString &folder : std::as_const(targets)) {
        if (!canWrite(folder))
            return folder;
    }
    return std::nullopt;
}

void Autopilot::perform(const Plan &plan, JournalEntry &entry, std::optional<quint64> fileID)
{
    if (const std::optional<Filing> filing = beginFiling(plan, entry, fileID))
        endFiling(*filing, entry, carryOut(*filing));
}

void Autopilot::failFiling(JournalEntry &entry, const QString &message, const std::optional<QByteArray> &planBefore,
                           std::optional<quint64> fileID)
{
    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::failed);
    entry.message = message;
    entry.planData = planBefore;
    entry.intentData.reset();
    if (fileID)
        entry.fileID = fileID;
    writeEntry(entry);
}

std::optional<Autopilot::Filing> Autopilot::beginFiling(const Plan &plan, JournalEntry &entry,
                                                        std::optional<quint64> fileID)
{
    Filing filing{plan, fileID, entry.planData, JournalIntent::begin(JournalIntent::Kind::file)};
    if (const std::optional<QString> refused = refusedFolder(plan)) {
        failFiling(entry,
                   tr("No access to %1. Add the folder under Folders > Places.")
                       .arg(RealHome::abbreviate(QDir::cleanPath(*refused))),
                   filing.planBefore, fileID);
        return std::nullopt;
    }
    // The entry says what is about to happen before the disk is touched, so
    // that a crash halfway is settled at the next start (JournalRecovery).
    if (!plan.tags.isEmpty())
        filing.intent.tagsBefore = FileOperations::tags(plan.original);
    // Writing tags moves the status-change time that tells when the file
    // came into its folder: it is read first.
    if (plan.trashAfterDays && !plan.changesLocation())
        filing.intent.arrived = FileFacts::read(plan.original, std::nullopt, std::nullopt, now()).added;
    entry.planData = plan.toJsonData();
    entry.intentData = filing.intent.toJsonData();
    if (fileID)
        entry.fileID = fileID;
    writeEntry(entry);
    KillPoint::reach();
    return filing;
}

Autopilot::Outcome Autopilot::carryOut(const Filing &filing)
{
    Outcome outcome;
    try {
        outcome.performed = FileOperations::perform(filing.plan, filing.intent.tagsBefore);
        KillPoint::reach();
    } catch (const FileOperationError &error) {
        outcome.error = error.description();
    } catch (const std::exception &error) {
        outcome.error = QString::fromLocal8Bit(error.what());
    }
    return outcome;
}

void Autopilot::endFiling(const Filing &filing, JournalEntry &entry, const Outcome &outcome)
{
    if (!outcome.performed)
        return failFiling(entry, outcome.error, filing.planBefore, filing.fileID);
    const Performed &performed = *outcome.performed;
    filed(performed, entry, filing.fileID, filing.intent.arrived);

    const std::optional<Recognition> recognition = entry.recognition();
    if (recognition && performed.destination != performed.original)
        notify(summary(*recognition), tr("Filed as %1").arg(FileNameText::oneLine(QFileInfo(performed.destination).fileName())));
}

void Autopilot::filed(const Performed &performed, JournalEntry &entry, std::optional<quint64> fileID,
                      const std::optional<QDateTime> &arrived)
{
    const QDateTime now = this->now();
    // A move across file systems gives the file a new identity: both are
    // remembered, so that the watched folder it lands in leaves it alone.
    const std::optional<quint64> landed = FileReadiness::identifier(performed.destination);
    if (fileID)
        m_loopGuard.noteMoved(*fileID, now);
    if (landed && landed != fileID)
        m_loopGuard.noteMoved(*landed, now);

    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::done);
    entry.performedData = performed.toJsonData();
    entry.newPath = performed.destination;
    entry.fileID = landed ? landed : fileID;
    // A moved file arrived in its folder with this filing; one left in place
    // counts from its arrival, read before the filing touched it.
    if (performed.trashAfterDays) {
        const QDateTime from = performed.destination != performed.original ? now : arrived.value_or(now);
        entry.trashDue = Plan::trashDue(from, *performed.trashAfterDays);
    }
    entry.planData.reset();
    entry.intentData.reset();
    writeEntry(entry);

    if (performed.destination != performed.original)
        m_cache.follow(performed.original, performed.destination);
}

QDateTime Autopilot::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTimeUtc();
}

void Autopilot::writeEntry(JournalEntry &entry)
{
    if (entry.id == 0)
        m_store.insert(entry);
    else
        m_store.update(entry);
}

void Autopilot::notify(const QString &title, const QString &body) const
{
    if (!Prefs::boolValue(QString::fromUtf16(Prefs::notifyKey)) || Store::isOverridden())
        return;
    m_notifier.post(title, body);
}

QString Autopilot::summary(const Recognition &recognition)
{
    const NameLanguage language = Prefs::sentenceLanguage();
    QStringList parts{DocumentKinds::name(recognition.kind, language)};
    if (recognition.sender)
        parts.append(PatternReader::shortSender(*recognition.sender));
    if (recognition.amount) {
        const QString amount = NameTemplate::format(*recognition.amount, language) + QLatin1Char(' ')
            + recognition.currency.value_or(QString());
        parts.append(amount.trimmed());
    }
    return parts.join(QStringLiteral(", "));
}

void Autopilot::checkFolders()
{
    if (!m_watcher)
        return;
    const QStringList watched = m_watcher->watched();
    for (WatchedFolder folder : m_store.folders()) {
        if (folder.needsReselect || !watched.contains(folder.displayPath))
            continue;
        const auto resolved = FolderBookmark::resolve(folder.bookmark);
        const QByteArray local = QFile::encodeName(folder.displayPath);
        const bool readable = ::access(local.constData(), R_OK | X_OK) == 0;
        if (resolved && !resolved->isStale && readable)
            continue;
        // Gone, replaced or locked: the user chooses it again; the other
        // folders go on as they were.
        m_watcher->stop(folder.displayPath);
        folder.needsReselect = true;
        m_store.update(folder);
    }
}

void Autopilot::setLastError(const QString &text)
{
    if (text == m_lastError)
        return;
    m_lastError = text;
    Q_EMIT lastErrorChanged();
}

void Autopilot::noteLimitReached(const QString &folder)
{
    if (m_limitedFolders.contains(folder))
        return;
    m_limitedFolders.append(folder);
    Q_EMIT limitedFoldersChanged();
}
