#include "desk/viewer/ZEVDeskDownloads.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVUrlDownload.h"
#include "engine/KELLien.h"
#include "runtime/Log.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include <QFileInfo>

#include <algorithm>

namespace tallomer {

namespace {

constexpr char kRelease[] = "release";

// The stickers of the Object views.
constexpr int kStickerForOptions = 0;
constexpr int kStickerError = 4;
constexpr int kStickerDownloading = 32;

bool isWebPageName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

} // namespace

ZEVDeskDownloads::ZEVDeskDownloads(ZEVDeskViewer& desk) : desk_(desk) {}

ZEVDeskDownloads::~ZEVDeskDownloads()
{
    for (auto& d : running_)
        d->web().cancel();
}

bool ZEVDeskDownloads::startDownload(const QUrl& url, KELI* item, const QString& folder)
{
    if (!item)
        return false;
    const KELId channel = item->channelInt();
    ZEVItemData* store = channel ? ZEVItemDataChannels::ItemDataForChannelInt(channel) : nullptr;
    if (!store || store->isNone()) {
        // A folder under "0", or a record in no store, would never be found again.
        logLine("initZEVUrlDownloadWithRequest: ERROR");
        addItemOption(item, ZEVOPTION_ERROR);
        return false;
    }
    if (std::any_of(running_.begin(), running_.end(), [item](const auto& d) { return d->item() == item; }))
        return true;
    clearItemOption(item, ZEVOPTION_ERROR);
    addItemOption(item, ZEVOPTION_DOWNLOADING);
    store->delFaildeItemNum(item->idInt());
    running_.push_back(std::make_unique<ZEVUrlDownload>(url, folder, *this, item, store->filePathForItem(item), limits_));
    running_.back()->start();
    return true;
}

void ZEVDeskDownloads::abortAll()
{
    auto stopped = std::exchange(running_, {});
    for (auto& d : stopped) {
        d->web().cancel();
        if (KELI* item = d->item()) {
            clearItemOption(item, ZEVOPTION_DOWNLOADING);
            if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(d->channelInt()))
                store->delLoadingItemNum(item->idInt());
        }
    }
}

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
    download.setDownloadSizeExpected(expectedLength);
    download.setDownloadName(download.web().suggestedFileName());
    // No announced length still shows a bar, without a percentage; an empty body shows it busy.
    const bool determinate = expectedLength != 0;
    if (determinate)
        download.setDownloadCurrentLength(0);
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
    download.setDownloadPath(download.web().path());
    download.setDownloadName(QFileInfo(download.downloadPath()).fileName());
    if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(download.channelInt())) {
        store->createFileURL(download.downloadPath(), QUrl(), item);
        store->delLoadingItemNum(item->idInt());
    }
    const std::string name = download.downloadName().toStdString();
    if (!isWebPageName(download.downloadPath()) && !name.empty())
        if (ZEVDeskClass* model = desk_.deskClass())
            // A title already right is not dated again.
            if (model->itemTitleCurseurForItem(item) != name)
                model->updateItemTitle(name, item);
    if (siItemOption(item, ZEVOPTION_NOT_FOUND))
        clearItemOption(item, ZEVOPTION_NOT_FOUND);
    clearItemOption(item, ZEVOPTION_DOWNLOADING);
    addSticker(item, kStickerForOptions);
    for (ZEVItemViewForDesks* v : bothIcons(item))
        v->downloadFinish();
    if (ZEVSpaceForDeskViewers* space = desk_.space())
        space->updateAllTableViews();
    release(download);
}

void ZEVDeskDownloads::didFailWithError(ZEVUrlDownload& download, const QString& error)
{
    KELI* item = download.item();
    logLine("ZEVDeskViewer ERROR : Download failed!");
    logFormat("                URL : %s", qUtf8Printable(download.web().url().toString()));
    logFormat("                    : %s", qUtf8Printable(error));
    clearItemOption(item, ZEVOPTION_DOWNLOADING);
    addItemOption(item, ZEVOPTION_ERROR);
    addSticker(item, kStickerError);
    if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(download.channelInt())) {
        store->delLoadingItemNum(item->idInt());
        // The store does not start it again by itself: a new icon for the Object does.
        store->addFailedItemNum(item->idInt());
    }
    for (ZEVItemViewForDesks* v : bothIcons(item))
        v->downloadError();
    if (ZEVSpaceForDeskViewers* space = desk_.space())
        space->updateAllTableViews();
    release(download);
}

void ZEVDeskDownloads::release(ZEVUrlDownload& download)
{
    const auto it = std::find_if(running_.begin(), running_.end(), [&](const auto& d) { return d.get() == &download; });
    if (it == running_.end())
        return;
    // Destroyed from a later turn: the platform's download is still inside the call that ended it.
    released_.push_back(std::move(*it));
    running_.erase(it);
    Scheduler::shared().cancel(this, kRelease);
    Scheduler::shared().perform(this, kRelease, 0, [this] { released_.clear(); });
}

} // namespace tallomer
