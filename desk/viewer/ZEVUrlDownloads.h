#pragma once
// The web downloads one delegate runs (the desk viewer's downloads part, the Files model's): at
// most one per Object, each into the Object's folder of its Channel's drop folder, owned here from
// their start until a later turn than the one that ended them. What the end of a download changes
// in the store is the same whoever shows it, and lies here too.

#include "desk/viewer/ZEVUrlDownload.h"
#include "platform/net/WebDownload.h"
#include "runtime/Scheduler.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskClass;

class ZEVUrlDownloads {
public:
    // `delegate` hears every step of the downloads started here; not owned.
    explicit ZEVUrlDownloads(ZEVUrlDownloadDelegate& delegate) : delegate_(delegate) {}
    // Downloads still running stop; their temporary files go.
    ~ZEVUrlDownloads();
    ZEVUrlDownloads(const ZEVUrlDownloads&) = delete;
    ZEVUrlDownloads& operator=(const ZEVUrlDownloads&) = delete;

    // Downloads url into folder for the Object; false when it is refused before it starts (an
    // Object of no Channel or of a Channel without a store, which is then marked in error). An
    // Object already downloading keeps its download.
    bool start(const QUrl& url, KELI* item, const QString& folder);
    // The quit: every download stops, its temporary file goes, and its Object is downloading no
    // more; nothing is reported.
    void abortAll();
    // The download leaves the running ones; it is destroyed on a later turn.
    void release(ZEVUrlDownload& download);
    std::size_t runningCount() const { return running_.size(); }
    void setLimits(const WebDownloadLimits& limits) { limits_ = limits; }

    // The response came: the lengths and the name the server suggests are kept; whether the
    // length is known (0 announces an empty body).
    static bool recordResponse(ZEVUrlDownload& download, qint64 expectedLength);
    // A whole file: the Object's record names it, the Object is loading no more, found again and
    // downloading no more; its title follows the file's name (through `model`, when there is one)
    // unless the file is a web page, which keeps the title it had. When the record cannot be
    // written the downloaded file goes and the download ends as failed (false): the Object keeps
    // its address, and a later download of it tries again.
    static bool recordFinished(ZEVUrlDownload& download, ZEVDeskClass* model);
    // A failure: the Object is in error and downloading no more; its store does not start it
    // again by itself (a new icon for the Object does).
    static void recordFailed(ZEVUrlDownload& download);

private:
    ZEVUrlDownloadDelegate& delegate_; // not owned
    WebDownloadLimits limits_;
    std::vector<std::unique_ptr<ZEVUrlDownload>> running_;
    std::vector<std::unique_ptr<ZEVUrlDownload>> released_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
