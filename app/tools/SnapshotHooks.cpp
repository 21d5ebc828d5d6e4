#include "SnapshotHooks.h"

SnapshotHooks &SnapshotHooks::shared()
{
    static SnapshotHooks *hooks = new SnapshotHooks; // lives for the whole process
    return *hooks;
}

void SnapshotHooks::setReview(std::optional<qint64> entryID)
{
    if (m_review == entryID)
        return;
    m_review = entryID;
    Q_EMIT reviewChanged();
}
