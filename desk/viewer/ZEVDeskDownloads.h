#pragma once
// The web downloads a desk viewer is the delegate of: the downloads of the web Objects placed on
// its desk, each into the Object's folder of its Channel's drop folder. While one runs its Object
// is marked downloading (0x8) and in its Channel's loading set, and the Object's views on both
// desks (Now and Search) show the progress. At the end the Object's record names the file and its
// title follows the file's name (a web page keeps its own); a failure marks it in error (0x10)
// and leaves no file. This part owns the downloads until their end; the desk viewer owns it.

#include "desk/viewer/ZEVUrlDownload.h"
#include "desk/viewer/ZEVUrlDownloads.h"
#include "engine/KELTypes.h"
#include "platform/net/WebDownload.h"
#include "runtime/Scheduler.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskViewer;
class ZEVItemViewForDesks;

class ZEVDeskDownloads final : public ZEVUrlDownloadDelegate {
public:
    // `desk` owns this part and is not owned here.
    explicit ZEVDeskDownloads(ZEVDeskViewer& desk);
    ZEVDeskDownloads(const ZEVDeskDownloads&) = delete;
    ZEVDeskDownloads& operator=(const ZEVDeskDownloads&) = delete;

    // As ZEVUrlDownloads says; downloads still running when this part goes stop.
    bool startDownload(const QUrl& url, KELI* item, const QString& folder) { return running_.start(url, item, folder); }
    void abortAll() { running_.abortAll(); }
    std::size_t runningCount() const { return running_.runningCount(); }
    // Tests shorten the limits.
    void setLimits(const WebDownloadLimits& limits) { running_.setLimits(limits); }

    // ---- the delegate's steps, in the order they come ----
    void downloadDidBegin(ZEVUrlDownload& download) override;
    void didReceiveResponse(ZEVUrlDownload& download, qint64 expectedLength) override;
    void didReceiveDataOfLength(ZEVUrlDownload& download, qint64 length) override;
    void downloadDidFinish(ZEVUrlDownload& download) override;
    void didFailWithError(ZEVUrlDownload& download, const QString& error) override;

private:
    // The Object's views on the Search and the Now desk (this desk's alone without a Space).
    std::vector<ZEVItemViewForDesks*> bothIcons(KELI* item);
    void addSticker(KELI* item, int code);

    ZEVDeskViewer& desk_; // not owned: owns this part
    ZEVUrlDownloads running_{*this};
};

} // namespace tallomer
