#include "desk/viewer/ZEVImportLookups.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "services/ZEVItemViewerForDesks.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomer {

namespace {
void toCurrentChannel(ZEVDeskViewer& desk, KELI* item)
{
    if (ZEVSpaceForDeskViewers* space = desk.space())
        item->setChannelInt(space->identityInt());
}
} // namespace

KELI* ZEVImportLookups::objectWithUid(ZEVDeskViewer& desk, const QString& uid)
{
    if (uid.isEmpty())
        return nullptr;
    const KELId id = ZEVItemData::Current().itemNumberWithUid(uid);
    KELI* item = id ? KELServeurDeLiens::LienForInt(id, desk.curseur()) : nullptr;
    if (!item || item->relationInt() != KELRELATION_ITEM)
        return nullptr;
    toCurrentChannel(desk, item);
    return item;
}

KELI* ZEVImportLookups::fileObject(ZEVDeskViewer& desk, const QString& path, Found* how)
{
    *how = Found::None;
    ZEVItemData& store = ZEVItemData::Current();
    KELI* item = nullptr;
    if (const KELId web = store.itemNumberWithWeblocPath(path)) {
        // The web location file a Copy wrote for a web Object stands for that Object; its
        // records stay as they are.
        item = KELServeurDeLiens::LienForInt(web, desk.curseur());
        if (item && item->relationInt() == KELRELATION_ITEM) {
            toCurrentChannel(desk, item);
            *how = Found::ByUid;
            return item;
        }
        item = nullptr;
    }
    if (KELI* byUid = objectWithUid(desk, ZEVItemData::UidForURL(path))) {
        store.updateFilePathWithItem(byUid, path);
        item = byUid;
        *how = Found::ByUid;
    } else if (const KELId byPath = store.itemNumberWithPath(path)) {
        item = KELServeurDeLiens::LienForInt(byPath, desk.curseur());
        if (item && item->relationInt() == KELRELATION_ITEM) {
            store.updateFileUidWithItem(item, path);
            toCurrentChannel(desk, item);
            *how = Found::ByPath;
        } else {
            item = nullptr;
        }
    }
    return item;
}

KELI* ZEVImportLookups::creerWithRecord(ZEVDeskViewer& desk, const QString& title, const char* type,
                                        const QString& icon, ZEVItemOption options,
                                        const std::function<bool(KELI* item)>& writeOutside)
{
    ZEVItemClass* factory = desk.itemClass();
    ZEVSpaceForDeskViewers* space = desk.space();
    if (!factory || !space)
        return nullptr;
    KELI* item = factory->creerItemWithRecord(space->identityInt(), title.toStdString(), type, icon.toStdString(),
                                              options, writeOutside);
    if (!item)
        logFormat("ZEVDeskViewer: no Object was made for %s", qUtf8Printable(title));
    return item;
}

void ZEVImportLookups::takeBack(ZEVDeskViewer& desk, KELI* item)
{
    if (!item)
        return;
    logFormat("ZEVDeskViewer: Object %lu was not placed and is taken back", static_cast<unsigned long>(item->idInt()));
    // Only what the act made goes: its records and its own folder in the store. The file its
    // record names may be the user's, in the drop folder say, and stays.
    ZEVItemData& store = ZEVItemData::Current();
    store.forgetRecordsOfItem(item->idInt());
    if (const QString folder = store.itemDropFolder(item->idInt()); QFileInfo(folder).isDir())
        QDir(folder).removeRecursively();
    if (ZEVItemClass* factory = desk.itemClass())
        factory->eraseNewItem(item);
}

bool ZEVImportLookups::madeFileRecord(const QString& file, const QUrl& httpURL, KELI* item)
{
    if (file.isEmpty())
        return false;
    if (ZEVItemData::Current().createFileURL(file, httpURL, item))
        return true;
    removeMadeFile(file, item);
    return false;
}

void ZEVImportLookups::removeMadeFile(const QString& file, KELI* item)
{
    if (file.isEmpty() || !item)
        return;
    QFile::remove(file);
    QDir().rmdir(ZEVItemData::Current().itemDropFolder(item->idInt()));
}

void ZEVImportLookups::startDownload(KELI* item, const QUrl& url, const DownloadStarter& starter)
{
    ZEVItemData& store = ZEVItemData::Current();
    if (!item || store.isNone())
        return;
    store.addLoadingItemNum(item->idInt());
    const QString folder = store.files().ensureItemDropFolder(item->idInt());
    if (folder.isEmpty() || !starter || !starter(url, item, folder))
        store.delLoadingItemNum(item->idInt());
}

void ZEVImportLookups::linkToSelectedFilters(ZEVDeskViewer& desk, const ZEVItemSet& set)
{
    ZEVSpaceForDeskViewers* space = desk.space();
    ZEVItemViewerForDesks* viewer = desk.itemViewer();
    if (!space || !viewer)
        return;
    for (KELI* filter : space->selectedFilterItems())
        for (KELI* item : set.items())
            viewer->userRecallLinkWithItem(item, filter);
}

void ZEVImportLookups::webObjectForPage(ZEVDeskViewer& desk, const QUrl& httpURL, const QString& title)
{
    const QString key = httpURL.toString(QUrl::FullyEncoded);
    if (!objectWithUid(desk, key))
        creerWithRecord(desk, title, "http", QStringLiteral("webloc"), 0,
                        [&](KELI* page) { return ZEVItemData::Current().createFileHttpWithUid(key, page); });
}

void ZEVImportLookups::selectInFrontMode(ZEVDeskViewer& desk, const std::vector<KELI*>& items)
{
    ZEVSpaceForDeskViewers* space = desk.space();
    if (!space)
        return;
    switch (desk.frontMode()) {
    case ZEVFrontModeIcons:
        space->selectIconForItemSet(items, {});
        break;
    case ZEVFrontModeTitles:
        space->selectTitleForItemSet(items, {});
        break;
    case ZEVFrontModeLinks:
        space->selectNodeForItemSet(items, {});
        break;
    case ZEVFrontModeFilters:
        space->selectFilterForItemSet(items, {});
        break;
    default:
        break;
    }
}

} // namespace tallomer
