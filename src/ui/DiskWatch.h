#pragma once
// Watches the game folder for changes other programs make: the folder and
// its "Map" folder (a file replaced by a rename, as a checkout or a pack
// does it, loses a watch on the file itself), the stage file and the live
// background picture (both may be written in place). A burst of changes is
// let settle before anything reads again: Settled comes once no change has
// arrived for the settle time.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

class TDiskWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultSettleTime = 300;  // milliseconds

    explicit TDiskWatch(QObject* parent = nullptr);
    // How long no change must arrive before the changes count as settled.
    void SetSettleTime(int milliseconds) { FSettle.setInterval(milliseconds); }

    // Watches exactly these folders and files from now on; those that do
    // not exist are left out (watch again once they may have come).
    void Watch(const QStringList& paths);
    QStringList Watched() const;

    // A change has arrived and not settled yet.
    bool Pending() const { return FSettle.isActive(); }
    // Ends the wait at once, as if the changes had settled now.
    void Settle();
    // Waits again for a quiet settle time (the changes cannot be read yet).
    void Postpone();

signals:
    void Settled();

private:
    QFileSystemWatcher FWatcher;
    QTimer FSettle;
};
