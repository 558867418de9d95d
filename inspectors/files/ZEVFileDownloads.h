#pragma once
// The web downloads the Files panel's imports start, the Files model being their delegate. While
// one runs its Object is downloading (0x8) and in its Channel's loading set; at the end the
// Object's record names the file and its title follows the file's name (a web page keeps its
// own); a failure marks it in error (0x10) and leaves no file. No progress is shown. The quit
// stops them all before the store closes.

#include "desk/viewer/ZEVUrlDownload.h"
#include "desk/viewer/ZEVUrlDownloads.h"
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
    ZEVFileDownloads(const ZEVFileDownloads&) = delete;
    ZEVFileDownloads& operator=(const ZEVFileDownloads&) = delete;

    // As ZEVUrlDownloads says; downloads still running when the model goes stop.
    bool startDownload(const QUrl& url, KELI* item, const QString& folder) { return running_.start(url, item, folder); }
    // The quit: every download stops, its temporary file goes, its Object is downloading no more.
    void abortAll() { running_.abortAll(); }
    std::size_t runningCount() const { return running_.runningCount(); }
    void setLimits(const WebDownloadLimits& limits) { running_.setLimits(limits); }

    void downloadDidBegin(ZEVUrlDownload&) override {}
    void didReceiveResponse(ZEVUrlDownload& download, qint64 expectedLength) override;
    void didReceiveDataOfLength(ZEVUrlDownload& download, qint64 length) override;
    void downloadDidFinish(ZEVUrlDownload& download) override;
    void didFailWithError(ZEVUrlDownload& download, const QString& error) override;

private:
    void scheduleTables();

    ZEVSpaceController& space_; // not owned
    ZEVUrlDownloads running_{*this};
    ScheduledTarget guard_{this};
};

} // namespace tallomer
