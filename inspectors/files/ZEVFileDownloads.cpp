#include "inspectors/files/ZEVFileDownloads.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

namespace {
constexpr char kTables[] = "updateAllTableViews";
} // namespace

void ZEVFileDownloads::didReceiveResponse(ZEVUrlDownload& download, qint64 expectedLength)
{
    ZEVUrlDownloads::recordResponse(download, expectedLength);
}

void ZEVFileDownloads::didReceiveDataOfLength(ZEVUrlDownload& download, qint64 length)
{
    download.setDownloadCurrentLength(download.downloadCurrentLength() + length);
}

void ZEVFileDownloads::downloadDidFinish(ZEVUrlDownload& download)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    ZEVUrlDownloads::recordFinished(download, desk ? desk->deskClass() : nullptr);
    scheduleTables();
    running_.release(download);
}

void ZEVFileDownloads::didFailWithError(ZEVUrlDownload& download, const QString& error)
{
    logLine("ZEVFileClass ERROR : Download failed!");
    logFormat("               URL : %s", qUtf8Printable(download.web().url().toString()));
    logFormat("                   : %s", qUtf8Printable(error));
    ZEVUrlDownloads::recordFailed(download);
    scheduleTables();
    running_.release(download);
}

void ZEVFileDownloads::scheduleTables()
{
    ZEVSpaceController* space = &space_;
    Scheduler::shared().cancel(this, kTables);
    Scheduler::shared().perform(this, kTables, kTablesDelay, [space] { space->updateAllTableViews(); });
}

} // namespace tallomer
