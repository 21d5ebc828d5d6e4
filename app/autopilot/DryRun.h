// Trying one rule on the newest files of a folder without doing anything:
// each file is read as the automation would read it, matched and planned,
// and the plan is shown instead of carried out. Nothing on disk changes, no
// journal entry is written and the loop guard is neither asked nor told.
#pragma once

#include "Plan.h"
#include "Recognition.h"
#include "Rule.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// One file of a dry run.
struct DryRunRow
{
    QUuid id = QUuid::createUuid(); // new per row and per run
    QString file;
    // None before the file is read, and for rules that need no reading.
    std::optional<Recognition> recognition;
    // What the rule would do; none before the file is read and when the rule
    // does not match. An empty plan counts as a plan.
    std::optional<Plan> plan;
    // Why the filing would refuse the file before trying any rule, as its
    // journal entry says; no rule is tried then.
    std::optional<QString> failure;
    bool reading = true;

    // Whether the automation would hold the file for the user's check
    // instead of filing it: a plan, and an unsure reading or placeholders
    // left without a value.
    bool waitsForReview() const;

    friend bool operator==(const DryRunRow &, const DryRunRow &) = default;
};

class DryRun : public QObject
{
    Q_OBJECT

public:
    // At most this many files, the newest, are tried.
    static constexpr int fileLimit = 50;

    // Gets every row, in folder order, each time one has changed.
    using Update = std::function<void(const QList<DryRunRow> &rows)>;
    // The reading of a file; done runs later on the main thread (or right
    // away for a reading known before), and only while context lives.
    using Recognize = std::function<void(const QString &path, QObject *context,
                                         std::function<void(const Recognition &)> done)>;

    // The document's text of a file, for a rule that tests it; done as for a
    // reading, with nothing when the text could not be read in time.
    using TextRead = std::function<void(const std::optional<QString> &text)>;
    using ReadText = std::function<void(const QString &path, QObject *context, TextRead done)>;

    DryRun(const Rule &rule, Recognize recognize, ReadText readText, Update update, QObject *parent = nullptr);
    ~DryRun() override;

    // Lists the folder's newest files and hands every row over at once, still
    // reading, then goes through them one after another, handing the rows over
    // again after each. None (the folder cannot be reached) ends the run
    // without a single update.
    void start(const std::optional<QString> &folder);
    // Stops after the file being read now has been handed over; no update
    // comes after that. Destroying the run stops it at once.
    void cancel();

    bool isFinished() const { return m_finished; }
    const QList<DryRunRow> &rows() const { return m_rows; }

Q_SIGNALS:
    // Once, when the run has ended, complete or cancelled.
    void finished();

private:
    void next();
    void readText(const std::optional<Recognition> &recognition);
    // A rule that tests the text is not matched without it.
    void fill(const std::optional<Recognition> &recognition, const std::optional<QString> &text);
    // Hands the rows over with the current one done, then goes on to the next.
    void handOver();
    void finish();

    const Rule m_rule;
    const Recognize m_recognize;
    const ReadText m_readText;
    const Update m_update;
    QList<DryRunRow> m_rows;
    qsizetype m_index = 0;
    bool m_cancelled = false;
    bool m_finished = false;
};
