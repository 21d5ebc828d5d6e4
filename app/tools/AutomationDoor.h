// The way a command reaches the automation actions: over the bus to the
// running application, or in its own process. Each call waits for its result.
#pragma once

#include "ActionError.h"
#include "AutomationActions.h"
#include "FolderEntity.h"
#include "RecognizedDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class AutomationDoor
{
public:
    virtual ~AutomationDoor() = default;

    virtual ActionResult<AutomationActions::CleanUpResult> cleanUp(const QUuid &folder) = 0;
    // The regular file at an absolute path, read where it lies.
    virtual ActionResult<RecognizedDocument> recognize(const QString &path) = 0;
    virtual ActionResult<QString> exportReceipts(int year, int month) = 0;
    // The watched folders; only those among ids when ids are given.
    virtual ActionResult<QList<FolderEntity>> folders(const std::optional<QList<QUuid>> &ids) = 0;
};
