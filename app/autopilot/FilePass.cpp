#include "FilePass.h"

#include "Autopilot.h"
#include "FileNameBytes.h"
#include "LoopGuard.h"
#include "NameTemplate.h"
#include "Planner.h"
#include "Prefs.h"
#include "RealHome.h"
#include "StepQueue.h"
#include "Store.h"

#include <QFileInfo>
#include <QFuture>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <exception>

#include <sys/stat.h>
#include <unistd.h>

FilePass::FilePass(Autopilot &autopilot, const QString &path, const WatchedFolder &folder, bool settled, Done done)
    : QObject(&autopilot)
    , m_autopilot(autopilot)
    , m_path(path)
    , m_folder(folder)
    , m_settled(settled)
    , m_done(std::move(done))
{
}

std::chrono::milliseconds FilePass::settleWait(bool settled, const std::optional<QDateTime> &modified,
                                               double minimumWaitSeconds, const QDateTime &now)
{
    const QDateTime changed = modified.value_or(now);
    if (settled && changed < now.addSecs(-60))
        return settledWait;
    if (!std::isfinite(minimumWaitSeconds))
        minimumWaitSeconds = 0.0;
    // Bounded above too, so that a wild setting cannot overflow the timer.
    const double seconds = std::clamp(minimumWaitSeconds, 0.0, 3600.0);
    return std::max(minimumSettleWait, std::chrono::milliseconds(qint64(std::llround(seconds * 1000.0))));
}

void FilePass::begin()
{
    try {
        const std::optional<quint64> fileID = FileReadiness::identifier(m_path);
        if (!fileID)
            return refusesName(m_path) ? refuseName() : leave();
        m_fileID = *fileID;
        // A file Filewright itself moved here a moment ago is not filed again.
        if (!m_autopilot.m_loopGuard.isQuiet(m_fileID, m_autopilot.now()))
            return leave();
        // A file that waits for the user's check is not asked about twice.
        if (m_autopilot.m_store.waitsForReview(m_path, m_fileID))
            return leave();
        const std::optional<FileReadiness::Stamp> stamp = FileReadiness::stamp(m_path);
        const std::optional<QDateTime> modified =
            stamp && stamp->modified.isValid() ? std::optional<QDateTime>(stamp->modified) : std::nullopt;
        m_wait = settleWait(m_settled, modified, Prefs::doubleValue(QString::fromUtf16(Prefs::minimumWaitKey)),
                            m_autopilot.now());
        checkSettled();
    } catch (...) {
        leave();
    }
}

void FilePass::checkSettled()
{
    ++m_settleChecks;
    QFuture<FileReadiness::State> answer = FileReadiness::waitUntilStable(m_path, m_wait);
    answer.then(this, [this](FileReadiness::State state) {
        m_autopilot.m_steps->post(this, [this, state] { settleAnswered(state); });
    });
}

void FilePass::settleAnswered(FileReadiness::State state)
{
    if (state == FileReadiness::State::ignore)
        return leave();
    // Another file took the path while this one settled (a finished download
    // renamed over the empty file that reserved its name): the pass goes on
    // with it, and it settles afresh. Its own event was dropped as a
    // duplicate of the path in hand.
    const std::optional<quint64> fileID = FileReadiness::identifier(m_path);
    if (fileID && *fileID != m_fileID) {
        m_fileID = *fileID;
        if (!m_autopilot.m_loopGuard.isQuiet(m_fileID, m_autopilot.now()))
            return leave();
        m_settleChecks = 0;
        return checkSettled();
    }
    if (state == FileReadiness::State::ready)
        return takeRules();
    if (m_settleChecks >= maxSettleChecks)
        return leave();
    checkSettled();
}

bool FilePass::refusesName(const QString &path)
{
    // As for any other name: only a regular file with content that its name
    // does not say to leave alone (an empty file may be a download's reserved name).
    const std::optional<QByteArray> bytes = FileNameBytes::undecodable(path);
    struct stat info {};
    return bytes && !FileReadiness::ignoresName(path) && ::lstat(bytes->constData(), &info) == 0
        && S_ISREG(info.st_mode) && info.st_size > 0;
}

QString FilePass::nameRefusal()
{
    return tr("The file's name is not valid UTF-8, so Filewright cannot file it. Rename the file to "
              "have it filed.");
}

void FilePass::refuseName()
{
    // Moving, renaming and undoing all go by the path's text, which names no
    // file here: the file stays where it is, and where a rule of its folder
    // could run, the journal says why.
    takeRunnableRules();
    if (m_rules.isEmpty())
        return leave();
    JournalEntry entry(std::nullopt, QString(), m_path, QString(), JournalEntry::Status::failed);
    entry.message = nameRefusal();
    m_autopilot.writeEntry(entry);
    leave(true);
}

bool FilePass::takeRunnableRules()
{
    const bool modelAvailable = m_autopilot.modelStatus().isAvailable();
    bool needsReading = false;
    for (const Rule &rule : m_autopilot.rules(m_folder)) {
        const bool usesRecognition = rule.usesRecognition();
        // Rules that need the document read wait while the model cannot help.
        if (usesRecognition && !modelAvailable)
            continue;
        needsReading = needsReading || usesRecognition;
        m_rules.append(rule);
    }
    return needsReading;
}

void FilePass::takeRules()
{
    try {
        // Read after the wait, so that rules changed meanwhile count.
        const bool needsReading = takeRunnableRules();
        if (m_rules.isEmpty() || !stillHere())
            return leave();
        if (!needsReading)
            return readText(std::nullopt);
        QPointer<FilePass> self(this);
        m_autopilot.recognize(m_path, m_fileID, std::nullopt, this, [self](const Recognition &recognition) {
            if (self)
                self->readText(recognition);
        });
    } catch (...) {
        leave();
    }
}

void FilePass::readText(const std::optional<Recognition> &recognition)
{
    if (m_left)
        return;
    const bool needsText =
        std::any_of(m_rules.cbegin(), m_rules.cend(), [](const Rule &rule) { return rule.readsText(); });
    if (!needsText)
        return choose(recognition, std::nullopt);
    QPointer<FilePass> self(this);
    m_autopilot.readText(m_path, this, [self, recognition](const std::optional<QString> &text) {
        if (!self)
            return;
        // Without the text no rule that tests it can be decided, nor those after it.
        if (!text)
            return self->leave();
        self->choose(recognition, text);
    });
}

void FilePass::choose(const std::optional<Recognition> &recognition, const std::optional<QString> &text)
{
    if (m_left)
        return;
    try {
        // The file may have vanished, been renamed or locked while it was read.
        if (!stillHere())
            return leave();
        const QDateTime now = m_autopilot.now();
        const FileFacts facts = FileFacts::read(m_path, recognition, text, now);
        for (const Rule &rule : std::as_const(m_rules)) {
            if (!rule.matches(facts))
                continue;
            if (!m_autopilot.m_loopGuard.allowRun(rule.id, m_fileID))
                continue;
            const Plan plan = Planner::plan(rule, facts, Prefs::nameTemplate(), RealHome::path(),
                                            NameTemplate::defaultExists);
            if (plan.isEmpty())
                continue;
            m_autopilot.run(plan, rule, recognition, m_fileID);
            return leave(true);
        }
        leave();
    } catch (...) {
        leave();
    }
}

bool FilePass::stillHere() const
{
    if (m_autopilot.m_carried.contains(m_path))
        return false;
    const std::optional<quint64> fileID = FileReadiness::identifier(m_path);
    return fileID && *fileID == m_fileID && ::access(QFile::encodeName(m_path).constData(), R_OK) == 0;
}

void FilePass::leave(bool entryMade)
{
    if (m_left)
        return;
    m_left = true;
    m_autopilot.m_inFlight.remove(m_path);
    Done done = std::move(m_done);
    deleteLater();
    // A file that replaced this one after it settled had its event dropped
    // while the path was in hand: it gets a pass of its own.
    const std::optional<quint64> there = entryMade ? std::nullopt : FileReadiness::identifier(m_path);
    if (there && m_fileID != 0 && *there != m_fileID)
        m_autopilot.handle(m_path, m_folder, m_settled);
    if (done)
        done(entryMade);
}
