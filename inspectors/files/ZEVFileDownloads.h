#pragma once
// The web downloads the Files panel's imports start, the Files model being their delegate. While
// one runs its Object is downloading (0x8) and in its Channel's loading set; at the end the
// Object's record names the file and its title follows the file's name (a web page keeps its
// own); a failure marks it in error (0x10) and leaves no file. No progress is shown. The quit
// stops them all before the store closes.

#include "desk/viewer/ZEVUrlDownload.h"
#include "runtime/Scheduler.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

class KELI;

namespace tallomer {

class ZEVSpaceController;

class ZEVFileDownloads final : public ZEVUrlDownloadDelegate {
public:
    static constexpr double kTablesDelay = 0.2;

    explicit ZEVFileDownloads(ZEVSpaceController& space) : space_(space) {}
    // Downloads still running stop; their temporary files go.
    ~ZEVFileDownloads() override;
    ZEVFileDownloads(const ZEVFileDownloads&) = delete;
    ZEVFileDownloads& operator=(const ZEVFileDownloads&) = delete;

    // Downloads url into folder for the Object; false when refused (an Object of no Channel's
    // store, then marked in error). An Object already downloading keeps its download.
    bool startDownload(const QUrl& url, KELI* item, const QString& folder);
    // The quit: every download stops, its temporary file goes, its Object is downloading no more.
    void abortAll();
    std::size_t runningCount() const { return running_.size(); }
    void setLimits(const WebDownloadLimits& limits) { limits_ = limits; }

    void downloadDidBegin(ZEVUrlDownload&) override {}
    void didReceiveResponse(ZEVUrlDownload& download, qint64 expectedLength) override;
    void didReceiveDataOfLength(ZEVUrlDownload& download, qint64 length) override;
    void downloadDidFinish(ZEVUrlDownload& download) override;
    void didFailWithError(ZEVUrlDownload& download, const QString& error) override;

private:
    void scheduleTables();
    void release(ZEVUrlDownload& download);

    ZEVSpaceController& space_; // not owned
    WebDownloadLimits limits_;
    std::vector<std::unique_ptr<ZEVUrlDownload>> running_;
    std::vector<std::unique_ptr<ZEVUrlDownload>> released_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
