#include "desk/viewer/ZEVDeskDownloads.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVUrlDownload.h"
#include "runtime/Log.h"
#include "services/ZEVSpaceForDeskViewers.h"

namespace tallomer {

namespace {

// The stickers of the Object views.
constexpr int kStickerForOptions = 0;
constexpr int kStickerError = 4;
constexpr int kStickerDownloading = 32;

} // namespace

ZEVDeskDownloads::ZEVDeskDownloads(ZEVDeskViewer& desk) : desk_(desk) {}

std::vector<ZEVItemViewForDesks*> ZEVDeskDownloads::bothIcons(KELI* item)
{
    std::vector<ZEVItemViewForDesks*> out;
    std::vector<ZEVDeskViewer*> desks;
    if (ZEVSpaceForDeskViewers* space = desk_.space())
        for (KELICurseur* c : {space->searchCurseur(), space->nowCurseur()})
            if (ZEVDeskViewer* d = c ? space->deskViewerForCurseur(c) : nullptr)
                desks.push_back(d);
    if (desks.empty())
        desks.push_back(&desk_);
    for (ZEVDeskViewer* d : desks)
        if (ZEVItemViewForDesks* v = d->itemViewForItem(item))
            out.push_back(v);
    return out;
}

void ZEVDeskDownloads::addSticker(KELI* item, int code)
{
    if (ZEVItemViewForDesks* v = desk_.itemViewForItem(item))
        v->addSticker(code);
}

void ZEVDeskDownloads::downloadDidBegin(ZEVUrlDownload& download)
{
    addSticker(download.item(), kStickerDownloading);
    for (ZEVItemViewForDesks* v : bothIcons(download.item()))
        v->downloadBegin();
}

void ZEVDeskDownloads::didReceiveResponse(ZEVUrlDownload& download, qint64 expectedLength)
{
    // No announced length still shows a bar, without a percentage; an empty body shows it busy.
    const bool determinate = ZEVUrlDownloads::recordResponse(download, expectedLength);
    for (ZEVItemViewForDesks* v : bothIcons(download.item()))
        v->downloadStart(determinate);
}

void ZEVDeskDownloads::didReceiveDataOfLength(ZEVUrlDownload& download, qint64 length)
{
    download.setDownloadCurrentLength(download.downloadCurrentLength() + length);
    const qint64 expected = download.downloadSizeExpected();
    const qint64 current = download.downloadCurrentLength();
    if (expected < 1 || current > expected)
        return;
    const float fraction = float(double(current) / double(expected));
    for (ZEVItemViewForDesks* v : bothIcons(download.item()))
        v->downloadSetStatus(fraction);
}

void ZEVDeskDownloads::downloadDidFinish(ZEVUrlDownload& download)
{
    KELI* item = download.item();
    const bool kept = ZEVUrlDownloads::recordFinished(download, desk_.deskClass());
    addSticker(item, kept ? kStickerForOptions : kStickerError);
    for (ZEVItemViewForDesks* v : bothIcons(item)) {
        if (kept)
            v->downloadFinish();
        else
            v->downloadError();
    }
    if (ZEVSpaceForDeskViewers* space = desk_.space())
        space->updateAllTableViews();
    running_.release(download);
}

void ZEVDeskDownloads::didFailWithError(ZEVUrlDownload& download, const QString& error)
{
    KELI* item = download.item();
    logLine("ZEVDeskViewer ERROR : Download failed!");
    logFormat("                URL : %s", qUtf8Printable(download.web().url().toString()));
    logFormat("                    : %s", qUtf8Printable(error));
    ZEVUrlDownloads::recordFailed(download);
    addSticker(item, kStickerError);
    for (ZEVItemViewForDesks* v : bothIcons(item))
        v->downloadError();
    if (ZEVSpaceForDeskViewers* space = desk_.space())
        space->updateAllTableViews();
    running_.release(download);
}

} // namespace tallomer
