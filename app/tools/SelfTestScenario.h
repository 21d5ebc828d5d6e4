// The fixed scenario of the self-test, step by step: folders and a rule are
// set up, a dry run, two filings, undo, an approval, the Trash sweep and the
// reading of a sample document, each followed by its checks. Steps that wait
// for the automation go on from its answer; everything runs on the main
// thread.
#pragma once

#include "Models.h"
#include "Rule.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class Autopilot;
class DryRun;
class SelfTest;
class Store;

class SelfTestScenario : public QObject
{
    Q_OBJECT

public:
    // The pause before the first step, for the window to settle.
    static constexpr int startDelayMs = 500;

    // home: the throw-away home folder, as the application spells it.
    SelfTestScenario(AppModel &model, SelfTest &test, QObject *parent = nullptr);
    SelfTestScenario(AppModel &model, SelfTest &test, const QString &home, QObject *parent = nullptr);
    ~SelfTestScenario() override;

    // Starts the run; it ends with the tally of the test.
    void run();

    // The scenario's rule: PDFs whose name contains "beleg" are renamed,
    // moved to ~/Documents/Ablage/{jahr} and tagged.
    static Rule scenarioRule();

private:
    // The steps, in order; each ends by starting the next one.
    void setUp();
    void startDryRun();
    void afterDryRun();
    void afterFirstFiling();
    void afterSecondFiling();
    void undoTwice();
    void approveReview();
    void sweepInstaller();
    void readSample();
    void afterFirstReading(const Recognition &reading);
    void afterSecondReading(const Recognition &reading);

    // Carries a file of the watched folder through the pipeline, then goes on
    // with next; goes on at once when there is no watched folder.
    void file(const QString &path, void (SelfTestScenario::*next)());
    // Reads the sample through the recognition cache, then goes on with next.
    void read(void (SelfTestScenario::*next)(const Recognition &));
    // Goes on from an answer of the automation, never inside its call.
    void later(std::function<void()> step);

    QString downloadsFile(const QString &name) const;

    AppModel &m_model;
    SelfTest &m_test;
    Store &m_store;
    Autopilot &m_autopilot;
    QString m_home;
    QString m_downloads;
    QString m_documents;
    std::optional<WatchedFolder> m_folder;
    Rule m_rule;
    // The last rows the dry run reported: every file, and those with a plan.
    QStringList m_rowFiles;
    QStringList m_plannedFiles;
    QList<JournalEntry> m_journal;
    QString m_expected;
    QString m_sample;
    std::optional<Recognition> m_firstReading;
    std::unique_ptr<DryRun> m_dryRun;
};
