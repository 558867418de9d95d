#include "objects/viewer/ZEVTimeActionWalker.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/store/KELChercheurDe.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVSelections.h"

#include <utility>

namespace tallomer {

void walkIcons(ZEVDeskClass& desk, const std::vector<KELI*>& items, ZEVTimeAction action)
{
    switch (action) {
    case ZEVTimeAction::Retain:
        desk.retainIconForItems(items);
        break;
    case ZEVTimeAction::Release:
        desk.releaseIconForItems(items);
        break;
    case ZEVTimeAction::Forget:
        desk.forgetIconForItems(items);
        break;
    case ZEVTimeAction::Recall:
        break;
    }
}

void walkLinks(ZEVItemClass* items, const std::vector<ZEVItemConnexion*>& lines, ZEVTimeAction action)
{
    if (!items)
        return;
    std::vector<std::pair<KELI*, KELI*>> pairs;
    for (ZEVItemConnexion* c : lines)
        if (c->parentItem() && c->enfantItem())
            pairs.emplace_back(c->parentItem(), c->enfantItem());
    void (ZEVItemClass::*act)(KELI*, KELI*) = nullptr;
    switch (action) {
    case ZEVTimeAction::Recall: act = &ZEVItemClass::recallLienConnexionWithParent; break;
    case ZEVTimeAction::Retain: act = &ZEVItemClass::retainLienConnexionWithParent; break;
    case ZEVTimeAction::Release: act = &ZEVItemClass::releaseLienConnexionWithParent; break;
    case ZEVTimeAction::Forget: act = &ZEVItemClass::forgetLienConnexionWithParent; break;
    }
    for (auto [parent, enfant] : pairs)
        (items->*act)(parent, enfant);
}

void walkModeSubset(ZEVItemViewer& viewer, ZEVSelections& s, int mode, ZEVTimeAction action)
{
    if (action == ZEVTimeAction::Recall)
        return;
    const bool retain = action == ZEVTimeAction::Retain;
    // One commit for the whole subset.
    KELChercheurDe::Ensemble lot;
    std::vector<KELI*> subset;
    switch (mode) {
    case ZEVFrontModeIcons:
        subset = retain ? s.retainingSelectedIconItems() : s.releasingSelectedIconItems();
        break;
    case ZEVFrontModeTitles:
        subset = retain ? s.retainingSelectedTitleItems() : s.releasingSelectedTitleItems();
        break;
    case ZEVFrontModeFilters:
        subset = retain ? s.retainingSelectedFilterItems() : s.releasingSelectedFilterItems();
        break;
    case ZEVFrontModeLinks:
        switch (action) {
        case ZEVTimeAction::Retain: viewer.userRetainSelectedLinks(); break;
        case ZEVTimeAction::Release: viewer.userReleaseSelectedLinks(); break;
        default: viewer.userForgetSelectedLinks(); break;
        }
        return;
    default:
        return;
    }
    switch (action) {
    case ZEVTimeAction::Retain: viewer.userRetainIconForItems(subset); break;
    case ZEVTimeAction::Release: viewer.userReleaseIconForItems(subset); break;
    default: viewer.userForgetIconForItems(subset); break;
    }
}

} // namespace tallomer
