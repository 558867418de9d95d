// The Icons model's commands: removing Objects from the desks, the table's selection both ways,
// type-select and the finds, and the rows' commands through the item viewers.

#include "inspectors/icons/ZEVIconClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVInspectDelete.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowMenuForItem.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "services/ZEVPersonClassServices.h"
#include "widgets/FileTypeIcon.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMenu>

#include <string>
#include <unordered_set>

namespace tallomer {

// ---------------------------------------------------------------------------------------------
// Removing

void ZEVIconClass::deleteIcons(const std::vector<KELI*>& items)
{
    KELICurseur* c = actifOuTimeline();
    if (!c)
        return;
    struct Geometrie {
        KELId relation;
        const char* nom;
    };
    static const Geometrie geometrie[] = {{KELRELATION_ICON_ANGLE, "KELRELATION_ICON_ANGLE"},
                                          {KELRELATION_ICON_RATIO_X, "KELRELATION_ICON_RATIO_X"},
                                          {KELRELATION_ICON_RATIO_Y, "KELRELATION_ICON_RATIO_Y"},
                                          {KELRELATION_ICON_RATIO_S, "KELRELATION_ICON_RATIO_S"}};
    // A panel or a Channel's background keeps an Object: only its places and icon links go. One
    // that nothing else holds is erased by the Space's one eraser, views and lines on both sides.
    std::vector<KELI*> tenus, libres;
    std::unordered_set<KELI*> vus;
    // A copy: removing an Object takes it out of the selection the list may come from.
    for (KELI* item : std::vector<KELI*>(items))
        if (item && !deskmodel::siOublie(item) && vus.insert(item).second)
            (ZEVSiItemHeld(item->idInt(), KELRELATION_ICON_VIEWER) ? tenus : libres).push_back(item);
    ZEVItemEraser& eraser = space_.itemEraser();
    {
        // Every Object's places, icon links or whole self go in one act, or none: a full disk
        // could otherwise leave an icon without its place, or some Objects removed and not others.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return;
        for (KELI* item : tenus) {
            const KELId id = item->idInt();
            for (const Geometrie& g : geometrie)
                for (KELId lienId :
                     KELServeurDeLiens::LiensNumDuParentIntRelInt(id, g.relation).value_or(std::vector<KELId>())) {
                    if (KELI* lien = KELServeurDeLiens::LienForInt(lienId, c)) {
                        if (!deskmodel::siOublie(lien))
                            KELServeurDeLiens::DegagerLien(lien, c);
                    } else {
                        logFormat("ZEVIconClass WARNING - %s LienForInt %ld not found !", g.nom, long(lienId));
                    }
                }
            ZEVPresenceCommands::forgetAllPresences(KELRELATION_ICON_VIEWER, id, c,
                                                    "ZEVIconClass WARNING - KELRELATION_ICON_VIEWER");
        }
        for (KELI* item : libres)
            eraser.oublier(item, "ZEVIconClass");
    }
    for (KELI* item : libres)
        eraser.achever(item);
    for (KELI* item : tenus) {
        // The store kept none of it: the icons stay, views and all.
        if (ZEVLiveLinkCount(item->idInt(), KELRELATION_ICON_VIEWER) > 0) {
            logFormat("ZEVIconClass: the icons of Object %ld were not removed", long(item->idInt()));
            continue;
        }
        for (KELICurseur* k : {space_.nowCurseur(), space_.searchCurseur()})
            if (ZEVCursorDesk* desk = space_.deskForCurseur(k))
                desk->deleteItemViewForItem(item);
    }
}

void ZEVIconClass::deleteLego(KELI* lego, ZEVTableView& table)
{
    ZEVInspectDeleteLego(space_, KELRELATION_ICON_VIEWER, lego, "ZEVIconClass", [this](KELI* item) {
        auto* v = dynamic_cast<ZEVIconViewer*>(space_.viewerForEntityClassName("ZEVIconViewer"));
        (v ? v->model() : *this).deleteIcons({item});
    });
    table.viewport()->update();
}

QMenu* ZEVIconClass::updateLegoMenu(QMenu*, ZEVTableView& table, KELI* lego)
{
    if (!lego)
        return nullptr;
    return menus_->legoMenu(table, lego, ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_ICON_VIEWER));
}

// ---------------------------------------------------------------------------------------------
// The table's selection: the desk's, shown directly

void ZEVIconClass::majIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    const int mode = table.currentFrontMode();
    const std::vector<int> rows = mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeLinks ? rowsSelectionnees(mode)
                                                                                          : std::vector<int>();
    if (frontMode() == mode)
        setNbOfSelectedRows(rows.size());
    if (siAccepteMajSelectedRows())
        selectionnerRows(table, rows);
}

void ZEVIconClass::refreshIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    majIndexOfSelectedRowsForTableView(table);
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

void ZEVIconClass::tableViewSelectionDidChange(ZEVTableView& table)
{
    if (siAccepteMajSelectedRows())
        return;
    ZEVRowsClass::tableViewSelectionDidChange(table);
    majSelectedIconIndexSet();
}

void ZEVIconClass::tvFrontModeDidChange() { majSelectedIconIndexSet(); }

void ZEVIconClass::selectFoundItems(const std::vector<KELI*>& found, int operation, bool filtersAsIcons)
{
    ZEVSelections& s = space_.selections();
    switch (frontMode()) {
    case ZEVFrontModeIcons:
        s.selectIconForItemSet(found, operation);
        break;
    case ZEVFrontModeTitles:
        s.selectTitleForItemSet(found, operation);
        break;
    case ZEVFrontModeFilters:
        if (filtersAsIcons)
            s.selectIconForItemSet(found, operation);
        else
            s.selectFilterForItemSet(found, operation);
        break;
    case ZEVFrontModeLinks:
        s.selectNodeForItemSet(found, operation);
        break;
    default:
        break;
    }
    const std::unordered_set<KELI*> f(found.begin(), found.end());
    if (ZEVTableView* table = inspectTableView()) {
        std::vector<int> rows;
        int i = 0;
        for (KELI* item : actifListe().items()) {
            if (f.count(item))
                rows.push_back(i);
            ++i;
        }
        selectionnerRows(*table, rows);
    }
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actifOuTimeline());
    for (KELI* o : found)
        if (ZEVItemViewForDesks* v = desk ? desk->itemViewForItem(o) : nullptr)
            v->orderToFront();
    majSelectedIconIndexSet();
    space_.addToHistory();
}

void ZEVIconClass::selectItemsWithString(ZEVTableView&, const QString& text, int operation)
{
    std::vector<KELI*> found;
    for (KELI* item : actifListe().items())
        if (QString::fromStdString(itemTitleForItem(item).value_or("")).contains(text, Qt::CaseInsensitive))
            found.push_back(item);
    selectFoundItems(found, operation, false);
}

bool ZEVIconClass::findInChannelsForItems(const std::vector<KELI*>& items, bool textual)
{
    std::vector<KELI*> found;
    std::unordered_set<KELI*> vus;
    auto garder = [&](KELI* o) {
        if (o && vus.insert(o).second)
            found.push_back(o);
    };
    if (!textual) {
        // The same thing in every Channel: each store knows its own Object for it.
        for (ZEVItemData* store : ZEVItemDataChannels::ItemDatas())
            for (KELI* o : items)
                if (store && o)
                    garder(store->matchingItem(o));
    } else {
        std::vector<QString> titres;
        for (KELI* o : items)
            if (const std::string t = itemTitleForItem(o).value_or(""); !t.empty())
                titres.push_back(QString::fromStdString(t));
        for (KELI* row : actifListe().items()) {
            const QString titre = QString::fromStdString(itemTitleForItem(row).value_or(""));
            for (const QString& t : titres)
                if (titre.contains(t, Qt::CaseInsensitive)) {
                    garder(row);
                    break;
                }
        }
    }
    selectFoundItems(found, Remplacer, false);
    return found.size() > 1;
}

// ---------------------------------------------------------------------------------------------
// The rows' commands, on the Object of the row menu

KELI* ZEVIconClass::rightItem() const
{
    KELI* item = rightMenuItem();
    return item && !deskmodel::siOublie(item) ? item : nullptr;
}

namespace {
void surLObjet(ZEVSpaceController& space, KELICurseur* curseur, KELI* item, void (ZEVItemViewer::*action)(KELI*))
{
    ZEVItemViewer* iv = item ? space.itemViewerForCurseur(curseur) : nullptr;
    if (iv)
        (iv->*action)(item);
}
} // namespace

void ZEVIconClass::openSelectionInTableView(ZEVTableView&)
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(actifOuTimeline());
    if (KELI* item = rightItem(); item && iv)
        iv->userOpenItem(item, false);
}

void ZEVIconClass::openIcon(int row)
{
    ZEVTableView* table = inspectTableView();
    const ZEVTableElement* e = table ? table->element(row) : nullptr;
    ZEVItemViewer* iv = space_.itemViewerForCurseur(actifOuTimeline());
    if (e && e->item && iv)
        iv->userOpenItem(e->item, false);
}

void ZEVIconClass::showOriginalInTableView(ZEVTableView&)
{
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(actifOuTimeline()); iv && rightItem())
        iv->userShowOriginalForItem(rightItem());
}

void ZEVIconClass::releaseSelectionInTableView(ZEVTableView&)
{
    surLObjet(space_, actifOuTimeline(), rightItem(), &ZEVItemViewer::userReleaseIconForItem);
}

void ZEVIconClass::forgetSelectionInTableView(ZEVTableView&)
{
    surLObjet(space_, actifOuTimeline(), rightItem(), &ZEVItemViewer::userForgetIconForItem);
}

void ZEVIconClass::retainSelectionInTableView(ZEVTableView&)
{
    surLObjet(space_, actifOuTimeline(), rightItem(), &ZEVItemViewer::userRetainIconForItem);
}

void ZEVIconClass::recallSelectionInTableView(ZEVTableView&)
{
    surLObjet(space_, actifOuTimeline(), rightItem(), &ZEVItemViewer::userRecallIconForItem);
}

void ZEVIconClass::recallNowSelectionInTableView(ZEVTableView&)
{
    surLObjet(space_, space_.nowCurseur(), rightItem(), &ZEVItemViewer::userRecallIconForItem);
}

void ZEVIconClass::paste(ZEVTableView&) { Sound::shared().beep(); }

// ---------------------------------------------------------------------------------------------
// The row menu

QMenu* ZEVIconClass::updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& e)
{
    ZEVRowsClass::updateRowMenu(menu, table, e);
    KELI* x = e.item;
    if (!x)
        return nullptr;
    rightMenuId_ = x->idInt();
    QMenu* m = ZEVRowMenuForItem(space_, *this, *menus_, table, x, isItemActif(x), isItemActifNow(x),
                                 legosForItem(x, tlContexte_));
    if (QAction* header = ZEVMenuItemWithTag(m, ZEVRowTagHeader))
        setHeaderPicture(header, x);
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->majImageForEditionMenu2(m);
    return m;
}

void ZEVIconClass::setHeaderPicture(QAction* header, KELI* x)
{
    const std::string type = itemTypeForItem(x).value_or("");
    header->setIcon(iconForFileType(QString::fromStdString(itemIconForItem(x).value_or(""))));
    if (type == "ABPerson") {
        auto* pv = dynamic_cast<ZEVPersonViewerServices*>(
            space_.creerViewerForEntityClassName("ZEVPersonViewer", KELENTITY_PERSON_VIEWER));
        const QImage image = pv && pv->personClass()
                                 ? pv->personClass()->imageForItem(x, x->channelInt(),
                                                                   QSize(kRowMenuHeaderImageSize, kRowMenuHeaderImageSize))
                                 : QImage();
        if (!image.isNull())
            header->setIcon(QIcon(QPixmap::fromImage(image)));
        return;
    }
    if (type != "file" && type != "http")
        return;
    // The Object's own Channel keeps its file: rows come from every Channel.
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(x->channelInt());
    const QString path = store ? store->fileUrlForItem(x) : QString();
    const QString ext = QFileInfo(path).suffix().toLower();
    // A saved page shows as its type: its picture would be the page's source.
    if (path.isEmpty() || !QFileInfo::exists(path) || (type == "http" && (ext == "html" || ext == "htm")))
        return;
    if (type == "file")
        header->setIcon(iconForFile(path));
    const KELId id = x->idInt();
    ZEVRequestHeaderThumbnail(header, path, [this, id] { return rightMenuId_ == id; });
}

} // namespace tallomer
