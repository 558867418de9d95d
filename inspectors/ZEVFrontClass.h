#pragma once
// File jobs on Objects: the files of Objects dropped onto a folder Object are moved (renamed, or
// copied and removed across devices) or copied into it on a pool of two threads. A copy is made
// under a temporary name and renamed once whole; a name already taken gets "_01", "_02"... and no
// file is ever overwritten. While a job runs its Object carries the moving or copying option and
// sticker; at its end the record follows a moved file and the moved icon is released at the
// cursor, or the Object gets the error option and sticker, and its file stays where it was.

#include "services/ZEVFileJobs.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>

namespace tallomer {

class ZEVFrontClass final : public QObject, public ZEVFileJobs {
public:
    explicit ZEVFrontClass(QObject* parent = nullptr);
    ~ZEVFrontClass() override;

    void dragToFolderItemView(ZEVItemViewForDesks* folderView, const std::vector<KELI*>& moving,
                              const std::vector<KELI*>& duplicating, const std::vector<KELI*>& staying) override;
    void duplicateToSpace(ZEVItemViewerForDesks* viewer) override;

    // Linux has no packages: every directory is a folder an Object can be dropped into.
    static bool siFolder(const QString& path);
    // The first of "name", "stem_01.ext", "stem_02.ext"... that nothing in the folder bears.
    static QString freeNameInFolder(const QString& folder, const QString& name);

    // One move or copy of a file or folder into a folder, run on any thread. `rename` is the
    // system's rename that never replaces (a test gives one that fails as across devices).
    struct Result {
        bool ok = false;
        QString path;  // where the file is now
        QString error;
    };
    using Rename = std::function<int(const QString& from, const QString& to)>;
    // Told, on the job's thread, the share of the bytes copied so far.
    using Progress = std::function<void(double fraction)>;
    static Result transfer(const QString& source, const QString& folder, bool move, const Rename& rename = {},
                           const Progress& progress = {});
    // A web address as a new .webloc file in the folder, named after the title, never overwriting.
    static Result writeWebloc(const QString& url, const QString& title, const QString& folder);

    // Whether the file jobs may take the Object: by its option bits and, for the Space's drop
    // folder and duplicates, its file (one that exists and is not a folder).
    static bool siCopyToForItem(KELI* item);
    static bool siCopyToSpaceForItem(KELI* item);
    static bool siDuplicateToForItem(KELI* item);
    static bool siMoveToForItem(KELI* item);
    static bool siMoveToSpaceForItem(KELI* item);

    // Every job queued so far has ended (its result is still to be delivered on the main thread).
    void waitForTransfers() { pool_.waitForDone(); }
    static ZEVFrontClass* shared() { return shared_; }

private:
    void jobEnded(KELI* item, class ZEVItemViewer* viewer, bool move, const Result& r);

    QThreadPool pool_;
    static inline ZEVFrontClass* shared_ = nullptr;
};

} // namespace tallomer
