#include "FolderEntity.h"

#include "Models.h"
#include "RealHome.h"
#include "Store.h"

FolderEntity FolderEntity::from(const WatchedFolder &folder)
{
    return FolderEntity{folder.uuid, folder.name(), RealHome::abbreviate(folder.displayPath)};
}

FolderQuery::FolderQuery(const Store &store)
    : m_store(store)
{
}

QList<WatchedFolder> FolderQuery::watchedFolders() const
{
    QList<WatchedFolder> watched = m_store.folders();
    watched.removeIf([](const WatchedFolder &folder) { return !folder.isWatched; });
    return watched;
}

QList<FolderEntity> FolderQuery::suggestedEntities() const
{
    QList<FolderEntity> entities;
    const QList<WatchedFolder> watched = watchedFolders();
    for (const WatchedFolder &folder : watched)
        entities.append(FolderEntity::from(folder));
    return entities;
}

QList<FolderEntity> FolderQuery::entities(const QList<QUuid> &ids) const
{
    QList<FolderEntity> found = suggestedEntities();
    found.removeIf([&ids](const FolderEntity &entity) { return !ids.contains(entity.id); });
    return found;
}
