// The edit actions of the front viewer: Recall, Retain, Release and Forget, offered first to the
// focused inspector and otherwise carried out by front mode on the desk of the active cursor.

#include "front/ZEVFrontViewer.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "desk/data/ZEVItemData.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVTimeActionWalker.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <algorithm>

namespace tallomer {

namespace {

constexpr KELId kIconsEntity = 2000003;

ZEVIconPosition positionOf(const QRectF& r) { return {r.x(), r.y(), r.width(), 0}; }

} // namespace

ZEVInspectViewer* ZEVFrontViewer::focusedInspectorFor(std::initializer_list<KELId> excluded) const
{
    for (ZEVEntityViewer* v : space_.entityViewerSet()) {
        if (!v || !v->siFirstResponder())
            continue;
        if (std::find(excluded.begin(), excluded.end(), v->entityInt()) != excluded.end())
            continue;
        if (auto* iv = dynamic_cast<ZEVInspectViewer*>(v))
            return iv;
    }
    return nullptr;
}

// Whether Return or Delete has something to act on: a focused panel that takes the command counts
// its own Objects (the ones its command would take), else the desk's selection does.
bool ZEVFrontViewer::siRecallingSelectedItems()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({kIconsEntity, kChannelsEntity}); iv && iv->noms())
        return iv->compter(frontMode()).nInactive > 0;
    const auto s = space_.selections().recallingSelectedItems();
    return s && !s->empty();
}

bool ZEVFrontViewer::siRecallingNowSelectedItems()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({kIconsEntity, kChannelsEntity}); iv && iv->noms())
        return iv->compter(frontMode()).nNotNow > 0;
    const auto s = space_.selections().recallingNowSelectedItems();
    return s && !s->empty();
}

bool ZEVFrontViewer::siReleasingSelectedItems()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({kIconsEntity}); iv && iv->noms())
        return iv->compter(frontMode()).nActive > 0;
    const auto s = space_.selections().releasingSelectedItems();
    return s && !s->empty();
}

// ---- the eight commands ----

namespace {
// Hands `command` to the focused inspector `iv` when there is one; false leaves it to the desk.
bool offerTo(ZEVInspectViewer* iv, void (ZEVInspectViewer::*command)())
{
    if (!iv)
        return false;
    (iv->*command)();
    return true;
}
} // namespace

void ZEVFrontViewer::userRecallNow()
{
    if (offerTo(focusedInspectorFor({kIconsEntity, kChannelsEntity}), &ZEVInspectViewer::userRecallNow))
        return;
    if (space_.actifCurseur() == space_.searchCurseur()) {
        if (headers_)
            headers_->menuNowCurseur();
        else if (ZEVRulerViewerServices* r = space_.rulerViewer())
            r->userChangeActifCurseur(space_.nowCurseur());
    }
    menuEditRecall();
}

void ZEVFrontViewer::userRecallSearch()
{
    if (!offerTo(focusedInspectorFor({kIconsEntity}), &ZEVInspectViewer::userRecall))
        menuEditRecall();
}

void ZEVFrontViewer::userRetainNow() { offerTimeAction(ZEVTimeAction::Retain); }
void ZEVFrontViewer::userRetainSearch() { offerTimeAction(ZEVTimeAction::Retain); }
void ZEVFrontViewer::userReleaseNow() { offerTimeAction(ZEVTimeAction::Release); }
void ZEVFrontViewer::userReleaseSearch() { offerTimeAction(ZEVTimeAction::Release); }
void ZEVFrontViewer::userForgetNow() { offerTimeAction(ZEVTimeAction::Forget); }
void ZEVFrontViewer::userForgetSearch() { offerTimeAction(ZEVTimeAction::Forget); }

void ZEVFrontViewer::offerTimeAction(ZEVTimeAction action)
{
    // Release passes over the Icons inspector, Retain and Forget over none.
    const bool release = action == ZEVTimeAction::Release;
    ZEVInspectViewer* iv = release ? focusedInspectorFor({kIconsEntity}) : focusedInspectorFor({});
    void (ZEVInspectViewer::*command)() = action == ZEVTimeAction::Retain ? &ZEVInspectViewer::userRetain
                                          : release                       ? &ZEVInspectViewer::userRelease
                                                                          : &ZEVInspectViewer::userForget;
    if (!offerTo(iv, command))
        deskTimeAction(action);
}

// ---- on the desk ----

void ZEVFrontViewer::deskTimeAction(ZEVTimeAction action)
{
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()))
        walkModeSubset(*iv, space_.selections(), currentFrontMode_, action);
    if (action == ZEVTimeAction::Release)
        space_.majWindowTitle();
    displaySelectionView();
}

void ZEVFrontViewer::menuEditRetain() { deskTimeAction(ZEVTimeAction::Retain); }
void ZEVFrontViewer::menuEditRelease() { deskTimeAction(ZEVTimeAction::Release); }
void ZEVFrontViewer::menuEditForget() { deskTimeAction(ZEVTimeAction::Forget); }

bool ZEVFrontViewer::recallOne(KELI* item, KELI* selected, ZEVDeskViewer* dv, KELICurseur* c, int mode,
                               bool siNowForm, std::vector<ZEVItemViewForDesks*>& views)
{
    ZEVItemViewForDesks* view = dv->itemViewForItem(item);
    if (view && dv->siInItemViewSet(view)) {
        views.push_back(view);
        return false;
    }
    // Forgotten icon links do not count: such an Object never lay on a desk. Those that did are
    // recalled together by the caller, the cursor placed once for all of them.
    if (KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt()))
        return true;
    ZEVSpaceForDeskViewers* bridge = dv->space();
    const KELDate in = c->now();
    KELDate out = KELDateOuverte;
    if (bridge)
        out = space_.siGoToMode() ? bridge->spaceOutTimeForGoToTime(in, c) : bridge->spaceOutTimeForCurseur(c);
    ZEVIconPosition place = positionOf(space_.nextIconDefaultPosition());
    if (!siNowForm && mode != ZEVFrontModeFilters && item != selected)
        // Another Channel's Object lands where the selected one lies on this desk.
        if (ZEVItemViewForDesks* v = dv->itemViewForItem(selected); v && dv->siInItemViewSet(v))
            place = v->iconPosition();
    dv->creerIconForItem(item, place, in, out, 1.0f);
    return false;
}

void ZEVFrontViewer::recallIcons(const std::vector<ZEVItemViewForDesks*>& views, const std::vector<KELI*>& items,
                                 ZEVItemViewer* iv, ZEVDeskViewer* dv, bool devant)
{
    // In the Objects' order: the views recalled at their places, then the icons recalled.
    iv->userRecallIconForItemViews(views);
    if (!items.empty())
        iv->userRecallIconForItems(items);
    if (!devant)
        return;
    for (ZEVItemViewForDesks* v : views)
        if (dv->siInItemViewSet(v))
            v->orderToFront();
    for (KELI* o : items)
        if (ZEVItemViewForDesks* v = dv->itemViewForItem(o))
            v->orderToFront();
}

void ZEVFrontViewer::menuEditRecall()
{
    KELChercheurDe::Ensemble lot;
    KELICurseur* c = space_.actifCurseur();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(c);
    ZEVDeskViewer* dv = space_.deskViewerForCurseur(c);
    ZEVSelections& s = space_.selections();
    const int mode = currentFrontMode_;
    if (iv && dv && c) {
        if (mode == ZEVFrontModeLinks) {
            for (ZEVLinkPair* l : s.recallingSelectedLinkItems())
                iv->userRecallLinkWithItem(l->parentItem(), l->enfantItem());
        } else if (mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeFilters) {
            const std::vector<KELI*> subset = mode == ZEVFrontModeIcons    ? s.recallingSelectedIconItems()
                                              : mode == ZEVFrontModeTitles ? s.recallingSelectedTitleItems()
                                                                           : s.recallingSelectedFilterItems();
            std::vector<KELI*> equivalents, again;
            std::vector<ZEVItemViewForDesks*> views;
            for (KELI* o : subset) {
                KELI* same = ZEVItemData::Current().createSameItem(o);
                if (!same)
                    continue;
                if (mode != ZEVFrontModeFilters)
                    equivalents.push_back(same);
                if (recallOne(same, o, dv, c, mode, false, views))
                    again.push_back(same);
            }
            recallIcons(views, again, iv, dv, mode != ZEVFrontModeFilters);
            if (mode == ZEVFrontModeIcons)
                s.selectIconForItemSet(equivalents, 2);
            else if (mode == ZEVFrontModeTitles)
                s.selectTitleForItemSet(equivalents, 2);
        }
    }
    displaySelectionView();
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        if (w->spaceView() && w->spaceView()->deskCanvas())
            w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
}

void ZEVFrontViewer::menuEditRecallNow()
{
    KELChercheurDe::Ensemble lot;
    KELICurseur* c = space_.nowCurseur();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(c);
    ZEVDeskViewer* dv = space_.deskViewerForCurseur(c);
    ZEVSelections& s = space_.selections();
    const int mode = currentFrontMode_;
    if (iv && dv && c) {
        if (mode == ZEVFrontModeLinks) {
            for (ZEVLinkPair* l : std::vector<ZEVLinkPair*>(s.selectedLinks()))
                iv->userRecallLinkWithItem(l->parentItem(), l->enfantItem());
        } else if (mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeFilters) {
            const std::vector<KELI*> all = mode == ZEVFrontModeIcons    ? s.selectedIconItems()
                                           : mode == ZEVFrontModeTitles ? s.selectedTitleItems()
                                                                        : s.selectedFilterItems();
            std::vector<KELI*> again;
            std::vector<ZEVItemViewForDesks*> views;
            for (KELI* o : all)
                if (recallOne(o, o, dv, c, mode, true, views))
                    again.push_back(o);
            recallIcons(views, again, iv, dv, false);
        }
    }
    displaySelectionView();
}

} // namespace tallomer
