// How the screenshot mode asks the pages for their own sheets: the journal
// page follows review() and presents the review sheet for that entry while
// it holds one, the rules page follows dryRun() and presents the dry run of
// that rule; each closes its sheet when the value becomes none. Main thread
// only.
#pragma once

#include <QObject>
#include <QUuid>

#include <optional>

class SnapshotHooks : public QObject
{
    Q_OBJECT

public:
    // The one instance of the process, made on first use.
    static SnapshotHooks &shared();

    // The id of the journal entry whose review sheet is to show; none: no sheet.
    std::optional<qint64> review() const { return m_review; }
    // Notifies only when the entry changes.
    void setReview(std::optional<qint64> entryID);

    // The id of the stored rule whose dry run is to show; none: no sheet.
    std::optional<QUuid> dryRun() const { return m_dryRun; }
    // Notifies only when the rule changes.
    void setDryRun(std::optional<QUuid> ruleID);

Q_SIGNALS:
    void reviewChanged();
    void dryRunChanged();

private:
    using QObject::QObject;

    std::optional<qint64> m_review;
    std::optional<QUuid> m_dryRun;
};
