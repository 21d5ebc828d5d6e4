// How the screenshot mode asks the journal page to show its review sheet:
// the page follows review() and presents the sheet for that entry while it
// holds one, and closes it when it becomes none. Main thread only.
#pragma once

#include <QObject>

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

Q_SIGNALS:
    void reviewChanged();

private:
    using QObject::QObject;

    std::optional<qint64> m_review;
};
