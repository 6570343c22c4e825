#include "ui/DiskWatch.h"

#include <QFileInfo>

TDiskWatch::TDiskWatch(QObject* parent) : QObject(parent)
{
    FSettle.setSingleShot(true);
    FSettle.setInterval(DefaultSettleTime);
    connect(&FSettle, &QTimer::timeout, this, &TDiskWatch::Settled);
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, &TDiskWatch::Postpone);
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, &TDiskWatch::Postpone);
}

void TDiskWatch::Watch(const QStringList& paths)
{
    QStringList wanted;
    for (const QString& path : paths)
        if (!path.isEmpty() && QFileInfo::exists(path) && !wanted.contains(path))
            wanted.append(path);
    QStringList gone;
    for (const QString& path : Watched())
        if (!wanted.contains(path))
            gone.append(path);
    if (!gone.isEmpty())
        FWatcher.removePaths(gone);
    QStringList added;
    const QStringList watched = Watched();
    for (const QString& path : wanted)
        if (!watched.contains(path))
            added.append(path);
    if (!added.isEmpty())
        FWatcher.addPaths(added);
}

QStringList TDiskWatch::Watched() const
{
    return FWatcher.directories() + FWatcher.files();
}

void TDiskWatch::Settle()
{
    FSettle.stop();
    emit Settled();
}

void TDiskWatch::Postpone()
{
    FSettle.start();
}
