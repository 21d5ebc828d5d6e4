// The dry-run sheet: what one rule would do with the newest files of its
// folder, filled in file by file while the autopilot tries it, changing
// nothing. The run starts when the sheet shows and stops when it goes away.
// A rule without a folder and a folder that cannot be opened are told apart
// from a folder without files.
#pragma once

#include "DryRun.h"
#include "DryRunRequest.h"
#include "Plan.h"
#include "Sheet.h"

#include <QHash>

#include <memory>

class Autopilot;
class DryRunRowView;
class EmptyStateView;
class QLabel;
class QVBoxLayout;

class DryRunView : public Sheet
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{640, 560};

    // Why the list is empty.
    enum class Empty { waiting, noFolder, unreachable, noFiles };

    DryRunView(Autopilot &autopilot, DryRunRequest request, QWidget *parent = nullptr);
    ~DryRunView() override;

    const DryRunRequest &request() const { return m_request; }
    const QList<DryRunRow> &rows() const { return m_rows; }
    Empty empty() const { return m_empty; }
    bool isRunning() const { return m_run && !m_run->isFinished(); }

    // Where the file would go, its tags, its Trash days and its application,
    // joined by " · "; empty for a plan that changes none of them.
    static QString describe(const Plan &plan);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void start();
    void stop();
    void deliver(const QList<DryRunRow> &rows);
    void refreshTexts();

    Autopilot &m_autopilot;
    const DryRunRequest m_request;
    QList<DryRunRow> m_rows;
    std::unique_ptr<DryRun> m_run;
    bool m_started = false;
    Empty m_empty = Empty::waiting;
    QHash<QUuid, DryRunRowView *> m_views;
    QLabel *m_count = nullptr;
    QLabel *m_matches = nullptr;
    EmptyStateView *m_emptyState = nullptr;
    QVBoxLayout *m_list = nullptr;
};
