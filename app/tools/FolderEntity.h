// A watched folder as scripts and other programs name it: by its uuid, with
// the name and path the user knows it by; and the query that lists the
// folders they may pick and finds them again by their ids.
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

class Store;
struct WatchedFolder;

struct FolderEntity
{
    // The uuid of the watched folder it stands for.
    QUuid id;
    // The folder's own name.
    QString name;
    // The folder's path, with the real home folder shown as "~".
    QString path;

    static FolderEntity from(const WatchedFolder &folder);

    friend bool operator==(const FolderEntity &, const FolderEntity &) = default;
};
Q_DECLARE_METATYPE(FolderEntity)

class FolderQuery
{
public:
    explicit FolderQuery(const Store &store);

    // The stored folders that are watched (places never are), oldest first,
    // whether switched off or waiting to be chosen again.
    QList<WatchedFolder> watchedFolders() const;
    // One entity for each of them, in that order.
    QList<FolderEntity> suggestedEntities() const;
    // The suggested entities whose id is among ids, in the suggested order,
    // each once; ids of no watched folder are left out.
    QList<FolderEntity> entities(const QList<QUuid> &ids) const;

private:
    const Store &m_store;
};
