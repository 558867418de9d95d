#include "front/ZEVFrontViewer.h"

#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>

namespace tallomer {

namespace {

std::vector<KELI*> trie(std::vector<KELI*> v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Tool menus

std::vector<KELI*> ZEVFrontViewer::sourceSet()
{
    ZEVSelections& s = space_.selections();
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons:
        return s.selectedIconItems();
    case ZEVFrontModeTitles:
        return s.selectedTitleItems();
    case ZEVFrontModeFilters:
        if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()))
            return iv->impactedItemSet();
        return {};
    case ZEVFrontModeLinks:
        return s.selectedNodeItemSet();
    default:
        return {};
    }
}

void ZEVFrontViewer::combine(int target, Op op)
{
    if (currentFrontMode_ == target)
        return;
    ZEVSelections& s = space_.selections();
    const std::vector<KELI*> source = sourceSet();
    std::vector<KELI*> own = target == ZEVFrontModeIcons    ? s.selectedIconItems()
                             : target == ZEVFrontModeTitles ? s.selectedTitleItems()
                                                            : s.selectedNodeItemSet();
    std::vector<KELI*> result;
    if (op == Op::Copy) {
        result = source;
    } else {
        const std::vector<KELI*> a = trie(own), b = trie(source);
        if (op == Op::And) {
            std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(result));
            // The own selection's order is kept.
            std::vector<KELI*> ordre;
            for (KELI* i : own)
                if (std::binary_search(result.begin(), result.end(), i))
                    ordre.push_back(i);
            result = ordre;
        } else {
            result = own;
            for (KELI* i : source)
                if (std::find(result.begin(), result.end(), i) == result.end())
                    result.push_back(i);
        }
    }
    if (target == ZEVFrontModeIcons)
        s.selectIconForItemSet(result, nullptr);
    else if (target == ZEVFrontModeTitles)
        s.selectTitleForItemSet(result, nullptr);
    else
        s.selectNodeForItemSet(result, nullptr);
}

void ZEVFrontViewer::menuIconDeselect() { space_.selections().deselectAllIcons(); }
void ZEVFrontViewer::menuTitleDeselect() { space_.selections().deselectAllTitles(); }
void ZEVFrontViewer::menuLinkDeselect() { space_.selections().deselectAllNodes(); }

void ZEVFrontViewer::menuFilterIcons()
{
    space_.selections().selectFilterForItems(space_.selections().selectedIconItems());
    if (currentFrontMode_ != ZEVFrontModeFilters)
        modeSwitch(ZEVFrontModeFilters, false);
}

void ZEVFrontViewer::menuFilterTitles()
{
    space_.selections().selectFilterForItems(space_.selections().selectedTitleItems());
    if (currentFrontMode_ != ZEVFrontModeFilters)
        modeSwitch(ZEVFrontModeFilters, false);
}

void ZEVFrontViewer::menuFilterNodes()
{
    space_.selections().selectFilterForItems(space_.selections().selectedNodeItemSet());
    if (currentFrontMode_ != ZEVFrontModeFilters)
        modeSwitch(ZEVFrontModeFilters, false);
}

void ZEVFrontViewer::menuFilterDeselect() { space_.selections().deselectAllFilters(); }

} // namespace tallomer
