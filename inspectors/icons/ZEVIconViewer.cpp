#include "inspectors/icons/ZEVIconViewer.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/links/ZEVLinkClass.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "space/ZEVConstants.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include <QAction>

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
    KELId imageInt = 0;
    if (siSame)
        if (ZEVCursorDesk* desk = space_.deskForCurseur(actif))
            if (KELI* image = desk->currentBackImageItem())
                imageInt = image->idInt();
    const KELId channelInt = currentChannelInt_ ? currentChannelInt_ : space_.currentChannelInt();
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

} // namespace tallomer
