#include "DryRun.h"

#include "FileNameBytes.h"
#include "FilePass.h"
#include "FolderWatcher.h"
#include "Planner.h"
#include "Prefs.h"
#include "RealHome.h"

#include <QPointer>

bool DryRunRow::waitsForReview() const
{
    if (!plan)
        return false;
    return (recognition && recognition->confidence < Recognition::reviewThreshold) || !plan->missing.isEmpty();
}

DryRun::DryRun(const Rule &rule, Recognize recognize, ReadText readText, Update update, QObject *parent)
    : QObject(parent)
    , m_rule(rule)
    , m_recognize(std::move(recognize))
    , m_readText(std::move(readText))
    , m_update(std::move(update))
{
}

DryRun::~DryRun() = default;

void DryRun::start(const std::optional<QString> &folder)
{
    if (!folder)
        return finish();
    const QStringList files = FolderWatcher::recentFiles(*folder, fileLimit);
    m_rows.reserve(files.size());
    for (const QString &file : files) {
        DryRunRow row;
        row.file = file;
        m_rows.append(row);
    }
    const QPointer<DryRun> self(this);
    m_update(m_rows);
    // The caller may have ended the run from inside its update.
    if (!self)
        return;
    if (m_rows.isEmpty() || m_cancelled)
        return finish();
    next();
}

void DryRun::cancel()
{
    m_cancelled = true;
}

void DryRun::next()
{
    const QString file = m_rows.at(m_index).file;
    // The filing refuses a name that is not valid UTF-8 before any rule is
    // tried, and the journal says so: the row says the same.
    if (FilePass::refusesName(file)) {
        DryRunRow &row = m_rows[m_index];
        row.failure = FilePass::nameRefusal();
        row.reading = false;
        return handOver();
    }
    if (!m_rule.usesRecognition())
        return readText(std::nullopt);
    m_recognize(file, this, [this](const Recognition &recognition) { readText(recognition); });
}

void DryRun::readText(const std::optional<Recognition> &recognition)
{
    if (!m_rule.readsText())
        return fill(recognition, std::nullopt);
    m_readText(m_rows.at(m_index).file, this,
               [this, recognition](const std::optional<QString> &text) { fill(recognition, text); });
}

void DryRun::fill(const std::optional<Recognition> &recognition, const std::optional<QString> &text)
{
    DryRunRow &row = m_rows[m_index];
    const FileFacts facts = FileFacts::read(row.file, recognition, text, QDateTime::currentDateTimeUtc());
    row.recognition = recognition;
    // Nor is a plan shown for a name that is not valid UTF-8 that the filing
    // leaves alone without a word (an empty file, say).
    if ((text || !m_rule.readsText()) && m_rule.matches(facts) && !FileNameBytes::undecodable(row.file))
        row.plan = Planner::plan(m_rule, facts, Prefs::nameTemplate(), RealHome::path());
    row.reading = false;
    handOver();
}

void DryRun::handOver()
{
    const QPointer<DryRun> self(this);
    m_update(m_rows);
    if (!self)
        return;

    ++m_index;
    if (m_index >= m_rows.size() || m_cancelled)
        return finish();
    next();
}

void DryRun::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT finished();
}
