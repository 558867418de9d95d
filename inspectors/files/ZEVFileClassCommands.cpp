// The Files commands on Objects: presence, removal, the add panel's folder, the finds by holder,
// and the row and lego menus with their commands.

#include "inspectors/files/ZEVFileClass.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVInspectDelete.h"
#include "inspectors/core/ZEVRowMenuForItem.h"
#include "inspectors/core/ZEVRowMenuFill.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "runtime/Log.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>

namespace tallomer {

namespace {

constexpr const char* kOwner = "ZEVFileViewer";
// Held by the application's folder or lying in the cloud documents folder: no start folder there.
constexpr std::uint64_t kNoPanelFolderBits = 0x8020;

ZEVItemData& storeOf(KELI* item)
{
    if (item && item->channelInt() != 0)
        if (ZEVItemData* own = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt()))
            return *own;
    return ZEVItemData::Current();
}

} // namespace

// ---- presence ---------------------------------------------------------------------------------

void ZEVFileClass::releaseFilesForItems(const std::vector<KELI*>& items) { presence_.release(items); }
void ZEVFileClass::recallFilesForItems(const std::vector<KELI*>& items) { presence_.recall(items); }
void ZEVFileClass::recallNowFilesForItems(const std::vector<KELI*>& items) { presence_.recallNow(items); }
void ZEVFileClass::retainFilesForItems(const std::vector<KELI*>& items) { presence_.retain(items); }
void ZEVFileClass::forgetFilesForItems(const std::vector<KELI*>& items) { presence_.forget(items); }

// ---- removal ----------------------------------------------------------------------------------

void ZEVFileClass::deleteFiles(const std::vector<KELI*>& items)
{
    // The row menu forgets an Object erased under it.
    KELI* avantDroit = rightMenuItem();
    // A copy: the removal changes the selections the list may come from.
    for (KELI* item : ZEVInspectDeleteItems(space_, KELRELATION_FILE_VIEWER, std::vector<KELI*>(items), kOwner,
                                            "KELRELATION_FILE_VIEWER")) {
        if (rightMenuId_ == item->idInt())
            rightMenuId_ = 0;
        if (avantDroit == item)
            setRightMenuItem(nullptr);
    }
}

void ZEVFileClass::deleteLego(KELI* lego, ZEVTableView& table)
{
    // The Object's only lego: the Object goes, through the Space's Files model.
    ZEVInspectDeleteLego(space_, KELRELATION_FILE_VIEWER, lego, "ZEVFileClass", [this](KELI* item) {
        auto* v = dynamic_cast<ZEVFileViewer*>(space_.viewerForEntityClassName("ZEVFileViewer"));
        (v ? v->fileClass() : *this).deleteFiles({item});
    });
    table.viewport()->update();
}

// ---- the add panel's folder -------------------------------------------------------------------

QString ZEVFileClass::folderForPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    // The file system says what the path is: a name without an extension may well be a file.
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

QString ZEVFileClass::openPanelFolderUrlWithItem(KELI* item)
{
    std::vector<KELI*> candidats;
    if (item)
        candidats.push_back(item);
    else if (const auto s = itemsForFrontMode())
        candidats = *s;
    if (candidats.size() == 1 && !(std::uint64_t(itemOptions(candidats.front())) & kNoPanelFolderBits)) {
        const QString folder = folderForPath(storeOf(candidats.front()).fileUrlForItem(candidats.front()));
        if (!folder.isEmpty())
            return folder;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

// ---- finds by holder --------------------------------------------------------------------------

void ZEVFileClass::findHeldWithModifiers(int holder, Qt::KeyboardModifiers mods)
{
    const int operation = operationForModifiers(mods);
    switch (holder) {
    case HeldByZev:
        selectZevHeldItemsWithOperation(operation);
        break;
    case HeldBySystem:
        selectMacHeldItemsWithOperation(operation);
        break;
    case HeldExternally:
        selectExtHeldItemsWithOperation(operation);
        break;
    default:
        return;
    }
    space_.addToHistory();
}

// ---- the row commands -------------------------------------------------------------------------

KELI* ZEVFileClass::rightItem() const
{
    if (!rightMenuId_)
        return nullptr;
    // Found again by id: an Object removed while its menu was open is forgotten, and left alone.
    KELI* item = KELServeurDeLiens::LienForInt(rightMenuId_, KELServeurDeLiens::CurseurGlobal());
    return deskmodel::siOublie(item) ? nullptr : item;
}

void ZEVFileClass::openSelectionInTableView(ZEVTableView&)
{
    KELI* item = rightItem();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (item && viewer)
        viewer->userOpenItem(item, false);
}

void ZEVFileClass::showOriginalInTableView(ZEVTableView&)
{
    KELI* item = rightItem();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (item && viewer)
        viewer->userShowOriginalForItem(item);
}

void ZEVFileClass::moveToInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->moveToForItems({item});
}

void ZEVFileClass::moveToSpaceInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->moveToSpaceForItems({item});
}

void ZEVFileClass::copyToInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->copyToForItems({item});
}

void ZEVFileClass::copyToSpaceInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->copyToSpaceForItems({item});
}

void ZEVFileClass::releaseSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        releaseFilesForItems({item});
}

void ZEVFileClass::recallNowSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        recallNowFilesForItems({item});
}

void ZEVFileClass::recallSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        recallFilesForItems({item});
}

void ZEVFileClass::forgetSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        forgetFilesForItems({item});
}

void ZEVFileClass::retainSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        retainFilesForItems({item});
}

// ---- the menus --------------------------------------------------------------------------------

QMenu* ZEVFileClass::updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& e)
{
    ZEVRowsClass::updateRowMenu(menu, table, e);
    KELI* x = e.item;
    if (!x)
        return nullptr;
    rightMenuId_ = x->idInt();
    KELICurseur* actif = space_.actifCurseur();
    const QString type = QString::fromStdString(itemTypeForItem(x).value_or(std::string()));
    QMenu* m = ZEVRowMenuForItem(space_, *this, *menus_, table, x, presence_.legoAt(x, actif) != nullptr,
                                 presence_.legoAt(x, space_.nowCurseur()) != nullptr, legosForItem(x, tlContexte_));
    // The header's picture: the file's thumbnail when it comes, its icon meanwhile, else its type's.
    if (QAction* header = ZEVMenuItemWithTag(m, ZEVRowTagHeader)) {
        header->setIcon(iconForFileType(QString::fromStdString(itemIconForItem(x).value_or(std::string()))));
        const QString path = type == QLatin1String("file") ? storeOf(x).fileUrlForItem(x) : QString();
        if (!path.isEmpty() && QFileInfo::exists(path)) {
            header->setIcon(iconForFile(path));
            const KELId id = x->idInt();
            ZEVRequestHeaderThumbnail(header, path, [this, id] { return rightMenuId_ == id; });
        }
    }
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->majImageForEditionMenu2(m);
    return m;
}

QMenu* ZEVFileClass::updateLegoMenu(QMenu*, ZEVTableView& table, KELI* lego)
{
    if (!lego)
        return nullptr;
    return menus_->legoMenu(table, lego, ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_FILE_VIEWER));
}

} // namespace tallomer
