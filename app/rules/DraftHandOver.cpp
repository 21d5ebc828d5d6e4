#include "DraftHandOver.h"

void DraftHandOver::deliver(AppModel &model, const AppModel::Editing &draft)
{
    if (!model.editing()) {
        model.setEditing(draft);
        return;
    }
    new DraftHandOver(model, draft);
}

DraftHandOver::DraftHandOver(AppModel &model, AppModel::Editing draft)
    : QObject(&model)
    , m_model(model)
    , m_draft(std::move(draft))
{
    // Queued: the editor that closes finishes its own ending first.
    connect(&m_model, &AppModel::editingChanged, this, &DraftHandOver::tryOpen, Qt::QueuedConnection);
}

void DraftHandOver::tryOpen()
{
    if (m_model.editing())
        return;
    m_model.setEditing(m_draft);
    deleteLater();
}
