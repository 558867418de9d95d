// The front viewer's commands on Objects that no inspector takes first: the per-Object display
// options, the stacking order, and delete through the focused inspector or the Icons one.

#include "front/ZEVFrontViewer.h"

#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace tallomer {

namespace {

constexpr double kFlash = 0.5;

} // namespace

ZEVItemViewForDesks* ZEVFrontViewer::hoveredItemView() const
{
    ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur());
    if (!dv)
        return nullptr;
    const std::vector<ZEVItemViewForDesks*>& views = dv->itemViewSet();
    // Topmost first: the view drawn last over the others.
    std::vector<ZEVItemView*> shown;
    for (ZEVItemViewForDesks* v : views)
        if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && !iv->isHidden())
            shown.push_back(iv);
    std::stable_sort(shown.begin(), shown.end(), [](ZEVItemView* a, ZEVItemView* b) { return a->zValue() > b->zValue(); });
    for (ZEVItemView* v : shown)
        if (v->siIncludePoint(space_.mouseLimitPoint()))
            return v;
    return nullptr;
}

std::vector<ZEVItemViewForDesks*> ZEVFrontViewer::shownModeViews() const
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    return iv ? iv->visibleItemViewsForMode(currentFrontMode_) : std::vector<ZEVItemViewForDesks*>{};
}

void ZEVFrontViewer::flash(ZEVItemViewForDesks* view)
{
    view->showCadreStart();
    // A new flash of the same view keeps the frame 0.5 s after the last one.
    Scheduler::shared().cancel(view, "showCadreStop");
    Scheduler::shared().perform(view, "showCadreStop", kFlash, [this, view] {
        // The view may have gone meanwhile: only one the desk still holds is told.
        if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur()); dv && dv->siInItemViewSet(view))
            view->showCadreStop();
    });
}

void ZEVFrontViewer::toggleOption(ZEVItemOption bit, bool hoveredFirst, bool toFront)
{
    std::vector<ZEVItemViewForDesks*> targets;
    if (ZEVItemViewForDesks* h = hoveredFirst ? hoveredItemView() : nullptr)
        targets.push_back(h);
    else
        targets = shownModeViews();
    if (targets.empty()) {
        beep();
        return;
    }
    bool all = true;
    for (ZEVItemViewForDesks* v : targets) {
        if (toFront)
            v->orderToFront();
        flash(v);
        all = all && siItemOption(v->item(), bit);
    }
    for (ZEVItemViewForDesks* v : targets) {
        if (all)
            clearItemOption(v->item(), bit);
        else
            addItemOption(v->item(), bit);
    }
    for (ZEVItemViewForDesks* v : targets) {
        if (bit == ZEVOPTION_QL_ICON) {
            // The image changes on both desks.
            for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
                if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(c))
                    if (ZEVItemViewForDesks* w = dv->itemViewForItem(v->item()))
                        w->updateImage();
        } else if (QGraphicsItem* g = v->graphicsItem()) {
            g->update();
        }
    }
}

void ZEVFrontViewer::userShowTitle() { toggleOption(ZEVOPTION_SHOW_TITLE, true, true); }
void ZEVFrontViewer::userShowQLIcon() { toggleOption(ZEVOPTION_QL_ICON, true, false); }
void ZEVFrontViewer::userOpenOnClick() { toggleOption(ZEVOPTION_OPEN_ON_CLICK, false, true); }

void ZEVFrontViewer::userAnimate()
{
    std::vector<ZEVItemViewForDesks*> targets;
    if (ZEVItemViewForDesks* h = hoveredItemView())
        targets.push_back(h);
    else
        targets = shownModeViews();
    if (targets.empty()) {
        beep();
        return;
    }
    bool someStill = false;
    for (ZEVItemViewForDesks* v : targets) {
        flash(v);
        someStill = someStill || (siItemOption(v->item(), ZEVOPTION_GIF) && !siItemOption(v->item(), ZEVOPTION_ANIMATE));
    }
    // Only GIF Objects ever change.
    for (ZEVItemViewForDesks* v : targets) {
        KELI* o = v->item();
        if (!siItemOption(o, ZEVOPTION_GIF))
            continue;
        if (someStill)
            addItemOption(o, ZEVOPTION_ANIMATE);
        else
            clearItemOption(o, ZEVOPTION_ANIMATE);
        for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
            if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(c))
                if (ZEVItemViewForDesks* w = dv->itemViewForItem(o))
                    w->updateImage();
    }
}

void ZEVFrontViewer::stack(bool toBack)
{
    std::vector<ZEVItemViewForDesks*> targets;
    if (ZEVItemViewForDesks* h = hoveredItemView()) {
        targets.push_back(h);
    } else {
        const std::vector<ZEVItemViewForDesks*> mode = shownModeViews();
        std::vector<ZEVItemView*> shown;
        for (ZEVItemViewForDesks* v : mode)
            if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && !iv->isHidden())
                shown.push_back(iv);
        // Bottom to top for the front, top to bottom for the back: the targets keep their order.
        std::stable_sort(shown.begin(), shown.end(), [toBack](ZEVItemView* a, ZEVItemView* b) {
            return toBack ? a->zValue() > b->zValue() : a->zValue() < b->zValue();
        });
        targets.assign(shown.begin(), shown.end());
    }
    if (targets.empty()) {
        beep();
        return;
    }
    for (ZEVItemViewForDesks* v : targets) {
        flash(v);
        if (toBack)
            v->orderToBack();
        else
            v->orderToFront();
    }
}

void ZEVFrontViewer::userSendToBack() { stack(true); }
void ZEVFrontViewer::userSendToFront() { stack(false); }

void ZEVFrontViewer::userDelete()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
        iv->userDelete();
        return;
    }
    const char* kind = currentFrontMode_ == ZEVFrontModeLinks ? "ZEVLinkViewer" : "ZEVIconViewer";
    if (auto* iv = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName(kind)))
        iv->userDelete();
    else
        beep();
}

void ZEVFrontViewer::userShowOriginal()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
        iv->userShowOriginal();
        return;
    }
    if (auto* iv = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        iv->userShowOriginal();
    displaySelectionView();
}

void ZEVFrontViewer::userGoNow()
{
    KELICurseur* search = space_.searchCurseur();
    KELICurseur* now = space_.nowCurseur();
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (!search || !now || !r)
        return;
    const KELDate t0 = search->now();
    if (space_.actifCurseur() == now)
        r->userChangeActifCurseur(search);
    if (r->userInitieDeplacementCurseur()) {
        if (KELICurseur* sup = search->curseurSup())
            r->userPlaceCurseurToDate(sup->now());
        r->userTermineDeplacementCurseur();
    }
    // Already at now: a second Go to Now brings now into the middle of the time line when it lies
    // outside the shown span (the time line's span is the context's).
    KELIContexte* c = space_.tlContexte();
    if (c && std::abs(t0 - now->now()) < 0.001 && (t0 > c->nowOut() || t0 < c->nowIn()) && r->userInitieDeplacementCurseur()) {
        const double d = t0 - (c->nowIn() + c->nowOut()) / 2.0;
        r->userPlaceRulerOffsetIn(d, d);
        r->userTermineDeplacementCurseur();
    }
}

void ZEVFrontViewer::userSwap()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
        iv->userSwap();
        return;
    }
    swapSelection();
}

void ZEVFrontViewer::swapForMode(int mode)
{
    const int was = currentFrontMode_;
    currentFrontMode_ = mode;
    swapSelection();
    currentFrontMode_ = was;
}

void ZEVFrontViewer::swapSelection()
{
    ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur());
    // Objects of other Channels share the desk hidden: a swap never reaches them.
    std::vector<KELI*> candidates;
    if (dv) {
        const KELId channel = space_.currentChannelInt();
        for (ZEVItemViewForDesks* v : dv->itemViewSet())
            if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && iv->identityInt() == channel && iv->item())
                candidates.push_back(iv->item());
    }
    ZEVSelections& sel = space_.selections();
    auto swapAgainst = [&](const std::vector<KELI*>& selected, auto select) {
        const std::unordered_set<KELI*> chosen(selected.begin(), selected.end());
        std::vector<KELI*> rest;
        bool any = false;
        for (KELI* o : candidates) {
            if (chosen.count(o))
                any = true;
            else
                rest.push_back(o);
        }
        if (!any)
            beep();
        else
            select(rest);
    };
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons:
        swapAgainst(sel.selectedIconItems(), [&](const std::vector<KELI*>& r) { sel.selectIconForItemSet(r, nullptr); });
        break;
    case ZEVFrontModeTitles:
        swapAgainst(sel.selectedTitleItems(), [&](const std::vector<KELI*>& r) { sel.selectTitleForItemSet(r, nullptr); });
        break;
    case ZEVFrontModeFilters: {
        std::vector<KELI*> rest;
        for (KELI* o : candidates)
            if (!sel.isFilterSelectedForItem(o) && dv && !dv->siFilteredItem(o))
                rest.push_back(o);
        if (rest.empty())
            beep();
        else
            sel.selectFilterForItemSet(rest, nullptr);
        break;
    }
    case ZEVFrontModeLinks: {
        const std::vector<KELI*> nodes = sel.selectedNodeItemSet();
        std::unordered_set<KELI*> taken(nodes.begin(), nodes.end());
        std::vector<KELI*> ends;
        for (ZEVLinkPair* l : sel.selectedLinks())
            for (KELI* o : {l->parentItem(), l->enfantItem()}) {
                ZEVItemViewForDesks* v = dv && o ? dv->itemViewForItem(o) : nullptr;
                if (v && dv->siInItemViewSet(v) && taken.insert(o).second)
                    ends.push_back(o);
            }
        if (ends.empty())
            beep();
        else
            sel.selectNodeForItemSet(ends, nullptr);
        break;
    }
    default:
        break;
    }
    space_.addToHistory();
}

} // namespace tallomer
