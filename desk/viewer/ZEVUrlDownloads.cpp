#include "desk/viewer/ZEVUrlDownloads.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELLien.h"
#include "runtime/Log.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tallomer {

namespace {

constexpr char kRelease[] = "release";

bool isWebPageName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

} // namespace

ZEVUrlDownloads::~ZEVUrlDownloads()
{
    for (auto& d : running_)
        d->web().cancel();
}

bool ZEVUrlDownloads::start(const QUrl& url, KELI* item, const QString& folder)
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
    running_.push_back(std::make_unique<ZEVUrlDownload>(url, folder, delegate_, item, store->filePathForItem(item), limits_));
    running_.back()->start();
    return true;
}

void ZEVUrlDownloads::abortAll()
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

void ZEVUrlDownloads::release(ZEVUrlDownload& download)
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

bool ZEVUrlDownloads::recordResponse(ZEVUrlDownload& download, qint64 expectedLength)
{
    download.setDownloadSizeExpected(expectedLength);
    download.setDownloadName(download.web().suggestedFileName());
    const bool determinate = expectedLength != 0;
    if (determinate)
        download.setDownloadCurrentLength(0);
    return determinate;
}

bool ZEVUrlDownloads::recordFinished(ZEVUrlDownload& download, ZEVDeskClass* model)
{
    KELI* item = download.item();
    download.setDownloadPath(download.web().path());
    download.setDownloadName(QFileInfo(download.downloadPath()).fileName());
    if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(download.channelInt())) {
        if (!store->createFileURL(download.downloadPath(), QUrl(), item)) {
            logFormat("ZEVUrlDownloads: the record of %s was not written; the download is dropped",
                      qUtf8Printable(download.downloadPath()));
            QFile::remove(download.downloadPath());
            recordFailed(download);
            return false;
        }
        store->delLoadingItemNum(item->idInt());
    }
    const std::string name = download.downloadName().toStdString();
    if (!isWebPageName(download.downloadPath()) && !name.empty() && model)
        // A title already right is not dated again.
        if (model->itemTitleCurseurForItem(item) != name)
            model->updateItemTitle(name, item);
    if (siItemOption(item, ZEVOPTION_NOT_FOUND))
        clearItemOption(item, ZEVOPTION_NOT_FOUND);
    clearItemOption(item, ZEVOPTION_DOWNLOADING);
    return true;
}

void ZEVUrlDownloads::recordFailed(ZEVUrlDownload& download)
{
    KELI* item = download.item();
    clearItemOption(item, ZEVOPTION_DOWNLOADING);
    addItemOption(item, ZEVOPTION_ERROR);
    if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(download.channelInt())) {
        store->delLoadingItemNum(item->idInt());
        store->addFailedItemNum(item->idInt());
    }
}

} // namespace tallomer
