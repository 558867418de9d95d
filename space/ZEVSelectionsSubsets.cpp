// The action subsets of the selections, on which the edit commands (Recall, Recall Now, Retain,
// Release) work, and the selection of the current front mode.

#include "space/ZEVSelections.h"

#include "engine/KELLien.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceParts.h"

#include <algorithm>

namespace tallomer {

bool ZEVSelections::siActif(KELI* item, bool now)
{
    // Without the Icons model nothing can be told: every icon counts as off the desk.
    ZEVIconClassServices* model = context_.iconClass();
    return model && (now ? model->isItemActifNow(item) : model->isItemActif(item));
}

std::vector<KELI*> ZEVSelections::recalling(const std::vector<KELI*>& list, bool now)
{
    const KELId canal = context_.currentChannelInt();
    std::vector<KELI*> out;
    ItemSet ici;
    for (KELI* o : list) {
        if (o->channelInt() != canal)
            continue;
        ici.insert(o);
        if (!siActif(o, now))
            out.push_back(o);
    }
    for (KELI* o : list) {
        if (o->channelInt() == canal)
            continue;
        KELI* same = context_.sameItem(o);
        if (!same || !ici.count(same))
            out.push_back(o);
    }
    return out;
}

std::vector<KELI*> ZEVSelections::recallingNow(const std::vector<KELI*>& list)
{
    if (!context_.siSearchActif())
        return {};
    return recalling(list, true);
}

std::vector<KELI*> ZEVSelections::inactifs(const std::vector<KELI*>& list)
{
    const KELId canal = context_.currentChannelInt();
    std::vector<KELI*> out;
    for (KELI* o : list)
        if (o->channelInt() == canal && !siActif(o, false))
            out.push_back(o);
    return out;
}

std::vector<KELI*> ZEVSelections::actifs(const std::vector<KELI*>& list)
{
    const KELId canal = context_.currentChannelInt();
    std::vector<KELI*> out;
    for (KELI* o : list)
        if (o->channelInt() == canal && siActif(o, false))
            out.push_back(o);
    return out;
}

// ---------------------------------------------------------------------------------------------
// By front mode

std::optional<std::vector<KELI*>> ZEVSelections::selectedItemsForFrontMode()
{
    switch (context_.frontMode()) {
    case ZEVFrontModeIcons:
        return icons_;
    case ZEVFrontModeTitles:
        return titles_;
    case ZEVFrontModeFilters:
        return filters_;
    case ZEVFrontModeLinks:
        return selectedNodeItemSet();
    default:
        return std::nullopt;
    }
}

std::optional<ZEVSelectionSubset> ZEVSelections::recallingSelectedItems()
{
    switch (context_.frontMode()) {
    case ZEVFrontModeIcons:
        return ZEVSelectionSubset{recallingSelectedIconItems(), {}};
    case ZEVFrontModeTitles:
        return ZEVSelectionSubset{recallingSelectedTitleItems(), {}};
    case ZEVFrontModeFilters:
        return ZEVSelectionSubset{recallingSelectedFilterItems(), {}};
    case ZEVFrontModeLinks:
        return ZEVSelectionSubset{{}, recallingSelectedLinkItems()};
    default:
        return std::nullopt;
    }
}

std::optional<ZEVSelectionSubset> ZEVSelections::recallingNowSelectedItems()
{
    switch (context_.frontMode()) {
    case ZEVFrontModeIcons:
        return ZEVSelectionSubset{recallingNowSelectedIconItems(), {}};
    case ZEVFrontModeTitles:
        return ZEVSelectionSubset{recallingNowSelectedTitleItems(), {}};
    case ZEVFrontModeFilters:
        return ZEVSelectionSubset{recallingNowSelectedFilterItems(), {}};
    case ZEVFrontModeLinks:
        return ZEVSelectionSubset{{}, recallingNowSelectedLinkItems()};
    default:
        return std::nullopt;
    }
}

std::optional<ZEVSelectionSubset> ZEVSelections::releasingSelectedItems()
{
    switch (context_.frontMode()) {
    case ZEVFrontModeIcons:
        return ZEVSelectionSubset{releasingSelectedIconItems(), {}};
    case ZEVFrontModeTitles:
        return ZEVSelectionSubset{releasingSelectedTitleItems(), {}};
    case ZEVFrontModeFilters:
        return ZEVSelectionSubset{releasingSelectedFilterItems(), {}};
    case ZEVFrontModeLinks:
        return ZEVSelectionSubset{{}, releasingSelectedLinkItems()};
    default:
        return std::nullopt;
    }
}

std::vector<KELI*> ZEVSelections::selectedItemsForChannelInt(KELId channelInt)
{
    std::vector<KELI*> out;
    if (const auto items = selectedItemsForFrontMode())
        for (KELI* o : *items)
            if (o->channelInt() == channelInt)
                out.push_back(o);
    return out;
}

} // namespace tallomer
