#include "inspectors/icons/ZEVIconViewer.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/links/ZEVLinkClass.h"
#include "objects/view/ZEVItemView.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "space/ZEVConstants.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include <QAction>
#include <QMenu>

namespace tallomer {

bool ZEVIconClass::siIconAuCurseur(KELI* item, KELICurseur* curseur)
{
    ZEVDeskClass* desk = curseur ? space_.deskClassForCurseur(curseur) : nullptr;
    return item && desk && desk->siIconExisteForItem(item);
}

bool ZEVIconClass::isItemActif(KELI* item) { return siIconAuCurseur(item, space_.actifCurseur()); }
bool ZEVIconClass::isItemActifNow(KELI* item) { return siIconAuCurseur(item, space_.nowCurseur()); }

std::optional<std::string> ZEVIconClass::itemTitleForItem(KELI* item)
{
    ZEVDeskClass* desk = space_.deskClassForCurseur(space_.actifCurseur());
    return item && desk ? desk->itemTitleCurseurForItem(item) : std::nullopt;
}

std::vector<KELI*> ZEVIconClass::timeLineItems()
{
    std::vector<KELI*> items;
    const KELId channel = currentChannelInt_ ? currentChannelInt_ : space_.currentChannelInt();
    const KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(channel, KELRELATION_ICON_VIEWER);
    if (!ids)
        return items;
    std::vector<KELI*> liens;
    for (KELId id : *ids)
        if (KELI* l = KELServeurDeLiens::LienForInt(id, space_.tlCurseur()); !deskmodel::siOublie(l))
            liens.push_back(l);
    std::stable_sort(liens.begin(), liens.end(), [](KELI* a, KELI* b) { return a->inDate() < b->inDate(); });
    std::set<KELId> vus;
    for (KELI* l : liens)
        if (vus.insert(l->enfantInt()).second)
            if (KELI* item = KELServeurDeLiens::LienForInt(l->enfantInt(), space_.tlCurseur()))
                items.push_back(item);
    return items;
}

void ZEVIconViewer::userDelete()
{
    const auto items = space_.selections().selectedItemsForFrontMode();
    if (!items || items->empty()) {
        beep();
        return;
    }
    // A copy: each deletion takes the Object out of the selection walked.
    for (KELI* item : std::vector<KELI*>(*items))
        space_.userDeleteItem(item);
}

void ZEVIconViewer::userShowOriginal()
{
    const auto items = space_.selections().selectedItemsForFrontMode();
    if (!items || items->empty())
        return;
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()))
        iv->userShowOriginalForItem(items->front());
}

namespace {

// A change of an icon of the Channel's desk: one of its icon links begins or ends there. With
// `imageInt`, only while that background image is the Channel's: the step keeps to the Space.
ZEVChangeWalk walkDesIcones(KELId channelInt, KELId imageInt, const std::unordered_set<KELId>* cibles)
{
    auto tenu = [channelInt, imageInt](KELI* lien, KELDate date) {
        return lien->parentInt() == channelInt &&
               (!imageInt ||
                KELServeurDeLiens::LienIntForParentInt(channelInt, imageInt, KELRELATION_IDENTITY_BACK_ITEM, date) != 0);
    };
    ZEVChangeWalk w;
    w.kinds.push_back({KELRELATION_ICON_VIEWER, false, true, 0, tenu});
    w.kinds.push_back({KELRELATION_ICON_VIEWER, true, true, 0, tenu});
    w.objets = cibles;
    return w;
}

} // namespace

bool ZEVIconViewer::allerAuChangement(bool versLePasse, bool siSame)
{
    KELICurseur* actif = space_.actifCurseur();
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!actif || !now || !search || !ruler)
        return beepNon();
    // The selected Objects' changes while the tracks show them, else the whole desk's.
    std::unordered_set<KELId> cibles;
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (front && !front->siTracksClosed())
        if (const auto items = space_.selections().selectedItemsForFrontMode())
            for (KELI* o : *items)
                cibles.insert(o->idInt());
    const KELId channelInt = currentChannelInt_ ? currentChannelInt_ : space_.currentChannelInt();
    // The current Space: the Channel's background at the active cursor, whether or not the desk
    // could load its picture.
    KELId imageInt = 0;
    if (siSame) {
        if (const KELIds images = KELServeurDeLiens::EnfantsNumForParentInt(channelInt, KELRELATION_IDENTITY_BACK_ITEM,
                                                                           actif->now());
            images && !images->empty())
            imageInt = images->front();
        else if (ZEVCursorDesk* desk = space_.deskForCurseur(actif))
            if (KELI* image = desk->currentBackImageItem())
                imageInt = image->idInt();
    }
    const ZEVChangeWalk w = walkDesIcones(channelInt, imageInt, &cibles);
    const KELDate t = versLePasse ? ZEVChangeWalker::previousDate(actif, w) : ZEVChangeWalker::nextDate(actif, w);
    if (t == 0)
        return beepNon();
    // The Search cursor never passes the Now one: a change at or after it is shown by Now.
    if (t >= now->now()) {
        if (actif != now)
            space_._showNowCursor();
        return true;
    }
    if (actif == now)
        ruler->userChangeActifCurseur(search);
    space_._showSearchCursorToDate(t, true);
    return false;
}

void ZEVIconViewer::updateMenuMacForMode(int frontMode)
{
    if (frontMode < ZEVFrontModeIcons || frontMode > ZEVFrontModeLinks)
        return;
    // The front layer asks whether or not the panel was ever opened.
    capturerLesMenus();
    const auto items = space_.selections().selectedItemsForFrontMode();
    const bool objets = items && !items->empty();
    bool liens = false;
    if (frontMode == ZEVFrontModeLinks)
        if (ZEVLinkViewerServices* lv = dynamic_cast<ZEVLinkViewerServices*>(space_.viewerForEntityClassName("ZEVLinkViewer")))
            if (auto* model = dynamic_cast<ZEVLinkClass*>(lv->linkClass()))
                if (const auto l = model->linksForFrontMode())
                    liens = !l->empty();
    // The selection's own links count too, whether or not the Links model lists them yet.
    if (frontMode == ZEVFrontModeLinks && !space_.selections().selectedLinks().empty())
        liens = true;
    const bool choix = objets || liens;
    // Cut and Copy are the focused view's own and stay as it set them.
    for (MenuItem m : {MacRecallNow, MacRetainNow, MacReleaseNow, MacForgetNow, MacRetainSearch,
                       MacReleaseSearch, MacForgetSearch, MacCleanAndRecall, MacCleanAndRecallBack, MacCleanAndReplace})
        if (QAction* a = menuItem(m))
            a->setEnabled(choix);
    // What works on files asks for Objects; Link mode's are the selected links' ends.
    for (MenuItem m : {MacOpen, MacMoveTo, MacMoveToSpace, MacCopyTo, MacCopyToSpace, MacDuplicateTo,
                       MacDuplicateToSpace, MacShowOriginal})
        if (QAction* a = menuItem(m))
            a->setEnabled(frontMode == ZEVFrontModeLinks ? liens : objets);
    // Adding, filtering and cleaning the whole desk ask for no selection.
    for (MenuItem m : {MacAdd, MacFilter, MacCleanAll})
        if (QAction* a = menuItem(m))
            a->setEnabled(true);
}

namespace {

// The shown Object views of the active desk, with their Channel.
std::vector<ZEVItemView*> vuesDuBureau(ZEVSpaceController& space)
{
    std::vector<ZEVItemView*> vues;
    if (ZEVDeskViewer* dv = space.deskViewerForCurseur(space.actifCurseur()))
        for (ZEVItemViewForDesks* v : dv->itemViewSet())
            if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && iv->item())
                vues.push_back(iv);
    return vues;
}

void selectionnerPourLeMode(ZEVSelections& s, int mode, const std::vector<KELI*>& items)
{
    switch (mode) {
    case ZEVFrontModeIcons: s.selectIconForItemSet(items, nullptr); break;
    case ZEVFrontModeTitles: s.selectTitleForItemSet(items, nullptr); break;
    case ZEVFrontModeFilters: s.selectFilterForItemSet(items, nullptr); break;
    case ZEVFrontModeLinks: s.selectNodeForItemSet(items, nullptr); break;
    default: break;
    }
}

int modeDuFront(ZEVSpaceController& space)
{
    ZEVFrontViewerServices* f = space.frontViewer();
    return f ? f->frontMode() : ZEVFrontModeIcons;
}

} // namespace

bool ZEVIconClass::findInChannelsForItems(const std::vector<KELI*>& items, bool textual)
{
    if (items.empty())
        return false;
    std::vector<QString> titres;
    if (textual)
        for (KELI* o : items)
            if (const std::string t = itemTitleForItem(o).value_or(""); !t.empty())
                titres.push_back(QString::fromStdString(t));
    const std::unordered_set<KELI*> donnes(items.begin(), items.end());
    std::vector<KELI*> trouves;
    std::vector<ZEVItemView*> vues;
    for (ZEVItemView* v : vuesDuBureau(space_)) {
        KELI* o = v->item();
        bool oui = donnes.count(o) != 0;
        if (!oui && textual) {
            const QString titre = QString::fromStdString(itemTitleForItem(o).value_or(""));
            oui = std::any_of(titres.begin(), titres.end(),
                              [&](const QString& t) { return titre.contains(t, Qt::CaseInsensitive); });
        } else if (!oui) {
            // The same thing in the view's Channel: its store knows the given Object's match there.
            if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(v->identityInt()))
                for (KELI* donne : items)
                    if (donne->channelInt() != v->identityInt() && store->matchingItem(donne) == o) {
                        oui = true;
                        break;
                    }
        }
        if (oui) {
            trouves.push_back(o);
            vues.push_back(v);
        }
    }
    selectionnerPourLeMode(space_.selections(), modeDuFront(space_), trouves);
    for (ZEVItemView* v : vues)
        v->orderToFront();
    space_.addToHistory();
    return trouves.size() > 1;
}

void ZEVIconViewer::selectHeld(bool (*test)(std::uint64_t))
{
    const KELId channel = currentChannelInt_ ? currentChannelInt_ : space_.currentChannelInt();
    std::vector<KELI*> found;
    for (ZEVItemView* v : vuesDuBureau(space_))
        if (v->identityInt() == channel && test(itemOptions(v->item())))
            found.push_back(v->item());
    selectionnerPourLeMode(space_.selections(), modeDuFront(space_), found);
}

void ZEVIconViewer::menuFindZevHeld()
{
    selectHeld([](std::uint64_t o) { return (o & ZEVOPTION_HOLD_BY_ZEV) != 0; });
}

void ZEVIconViewer::menuFindZevFolderHeld()
{
    selectHeld([](std::uint64_t o) { return (o & ZEVOPTION_HOLD_BY_ZEV_FOLDER) != 0; });
}

void ZEVIconViewer::menuFindMacHeld()
{
    selectHeld([](std::uint64_t o) { return (o & ZEVOPTION_MASK_NOT_ON_COMPUTER) == 0; });
}

void ZEVIconViewer::menuFindExtHeld()
{
    selectHeld([](std::uint64_t o) { return (o & ZEVOPTION_HOLD_BY_EXTERN) != 0; });
}

void ZEVIconViewer::transfer(bool (*eligible)(KELI*), void (ZEVFrontClass::*to)(const std::vector<KELI*>&))
{
    ZEVFrontClass* front = ZEVFrontClass::shared();
    const auto items = space_.selections().selectedItemsForFrontMode();
    std::vector<KELI*> pris;
    if (items)
        for (KELI* o : *items)
            if (eligible(o))
                pris.push_back(o);
    if (!front || pris.empty()) {
        beep();
        return;
    }
    (front->*to)(pris);
}

void ZEVIconViewer::userMoveTo() { transfer(&ZEVFrontClass::siMoveToForItem, &ZEVFrontClass::moveToForItems); }
void ZEVIconViewer::userMoveToSpace()
{
    transfer(&ZEVFrontClass::siMoveToSpaceForItem, &ZEVFrontClass::moveToSpaceForItems);
}
void ZEVIconViewer::userCopyTo() { transfer(&ZEVFrontClass::siCopyToForItem, &ZEVFrontClass::copyToForItems); }
void ZEVIconViewer::userCopyToSpace()
{
    transfer(&ZEVFrontClass::siCopyToSpaceForItem, &ZEVFrontClass::copyToSpaceForItems);
}

// Every selected Object goes: what cannot be duplicated is refused there with its own beep.
void ZEVIconViewer::userDuplicateTo() { duplicate(&ZEVFrontClass::duplicateToForItems); }
void ZEVIconViewer::userDuplicateToSpace() { duplicate(&ZEVFrontClass::duplicateToSpaceForItems); }

void ZEVIconViewer::duplicate(void (ZEVFrontClass::*to)(const std::vector<KELI*>&))
{
    ZEVFrontClass* front = ZEVFrontClass::shared();
    const auto items = space_.selections().selectedItemsForFrontMode();
    if (!front || !items || items->empty()) {
        beep();
        return;
    }
    (front->*to)(std::vector<KELI*>(items->begin(), items->end()));
}

void ZEVIconViewer::updateMenuObject(QMenu* menu)
{
    if (!menu)
        return;
    const int mode = modeDuFront(space_);
    const auto items = space_.selections().selectedItemsForFrontMode();
    const std::size_t n = items ? items->size() : 0;
    for (QAction* a : menu->actions()) {
        const long tag = long(a->property("tag").toLongLong());
        if (tag == 13 && mode != ZEVFrontModeLinks) {
            a->setText(n == 0   ? QStringLiteral("Remove")
                       : n == 1 ? QStringLiteral("Remove 1 Object")
                                : QStringLiteral("Remove %1 Objects").arg(n));
            a->setEnabled(n > 0);
        } else if (tag == 36 || tag == 37) {
            a->setEnabled(n > 0);
        }
    }
}

} // namespace tallomer
