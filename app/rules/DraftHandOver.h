// Hands a drafted rule to the rule editor without ever replacing one that is
// open: when the AppModel already edits a rule, the draft waits and opens as
// soon as that editor has closed.
#pragma once

#include "AppModel.h"

#include <QObject>

class DraftHandOver : public QObject
{
    Q_OBJECT

public:
    // Opens the draft now, or keeps it (as a child of the model) until the
    // model edits nothing.
    static void deliver(AppModel &model, const AppModel::Editing &draft);

private:
    DraftHandOver(AppModel &model, AppModel::Editing draft);
    void tryOpen();

    AppModel &m_model;
    const AppModel::Editing m_draft;
};
