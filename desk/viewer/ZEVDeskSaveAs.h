#pragma once
// The user's drop folder (~/Tallomer): whatever the user puts into it becomes a file Object on
// the Now desk of the Channel bound to the folder (the space controller's drop-folder Channel).
// The folder is scanned when the watch starts, after every burst of changes the directory watch
// reports (1.0 s after its first change), and whenever the application becomes active; a scan
// turns each top-level entry that no Channel knows yet into an Object, lying in the folder where
// the user put it. Entries that are hidden or still being written by a browser (".download",
// ".part", ".crdownload", ".partial") wait until they are renamed. Main thread only.

#include "engine/KELTypes.h"
#include "platform/files/DirectoryWatch.h"
#include "runtime/Scheduler.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <set>
#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskViewer;
class ZEVItemData;

class ZEVDeskSaveAs {
public:
    // What the scan asks of the space controller.
    class Space {
    public:
        virtual ~Space() = default;
        virtual KELId zevFolderChannelInt() = 0;
        // The Now cursor's desk viewer; nullptr for none.
        virtual ZEVDeskViewer* nowDeskViewer() = 0;
    };

    // An entry of the folder that no Channel knows.
    struct Entry {
        QString path;
        QString name;
    };
    // An entry that stays in the folder without becoming an Object: its name is not text and could
    // not be renamed, or it is neither a file nor a folder.
    struct Stuck {
        QString path; // as its name reads
        QString line; // what the alert says of it
    };

    // Neither is owned by the caller: `space` outlives the watcher; the watch is its own.
    ZEVDeskSaveAs(Space& space, std::unique_ptr<DirectoryWatch> watch);
    ZEVDeskSaveAs(const ZEVDeskSaveAs&) = delete;
    ZEVDeskSaveAs& operator=(const ZEVDeskSaveAs&) = delete;

    // Scans the folder once, then listens to its changes.
    void startToListen();
    // The scan of a folder (the drop folder: the watch is renewed, and a scan it was waiting for
    // is no longer due).
    void receiveFilesForURL(const QString& folder);
    DirectoryWatch& watch() { return *watch_; }

    // The top-level entries of folder that wait to become Objects: neither hidden nor partial,
    // with a uid no Channel's store knows; sorted by name. false (error set) when the folder
    // cannot be listed. An entry whose name is not text and cannot be renamed, and a pipe, a socket
    // or a device, go to `stuck`.
    static bool unknownEntries(const QString& folder, std::vector<Entry>& out, QString* error = nullptr,
                               std::vector<Stuck>* stuck = nullptr);
    // A name a browser gives a file it is still writing.
    static bool siPartialName(const QString& name);

private:
    void importEntry(const Entry& entry, KELId channel, ZEVDeskViewer& desk, ZEVItemData& store);
    void placeNewIcon(KELI* item, ZEVDeskViewer& desk);
    // The icon of a known Object placed in one commit; false (and no view left) when the store
    // did not keep it.
    bool placeKeptIcon(KELI* item, ZEVDeskViewer& desk);
    // Says which entries cannot be taken, each once a run (every scan meets them again), on a
    // later turn: a scan may run while the Space is being built.
    void tellStuck(const std::vector<Stuck>& stuck);

    Space& space_; // not owned
    std::unique_ptr<DirectoryWatch> watch_;
    std::set<QString> toldStuck_;
    QStringList stuckToTell_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
