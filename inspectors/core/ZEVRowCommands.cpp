#include "inspectors/core/ZEVRowCommands.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "platform/sound/Sound.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace tallomer {

namespace {
void beep() { Sound::shared().beep(); }
} // namespace

bool ZEVRowsFilter(ZEVInspectViewer& viewer, ZEVRowsClass& rows)
{
    ZEVSpaceController& space = viewer.spaceController();
    ZEVInspectView* v = viewer.inspectViewIfBuilt();
    if (!v)
        return false;
    ZEVSelections& s = space.selections();
    {
        QWidget* w = v->window();
        const QPointF limite = space.mouseLimitPoint();
        const QPointF panneau = v->mapFrom(w, QPointF(limite.x(), w->height() - limite.y()));
        if (!v->inspectRect().contains(QPointF(panneau.x(), v->height() - panneau.y())))
            return false;
    }
    if (KELI* objet = viewer.rowItemUnderPointer()) {
        if (s.isFilterSelectedForItem(objet))
            s.deselectAllFilters();
        else
            s.selectFilterForItem(objet);
        return true;
    }
    const bool filtres = !s.selectedFilterItems().empty();
    if (!viewer.siFirstResponder()) {
        if (filtres)
            s.deselectAllFilters();
        return false;
    }
    if (filtres) {
        s.deselectAllFilters();
    } else {
        ZEVFrontViewerServices* f = viewer.frontViewer();
        const auto items = f && f->frontMode() == 2 ? rows.itemsForIconMode() : rows.itemsForFrontMode();
        s.selectFilterForItems(items.value_or(std::vector<KELI*>()));
    }
    return true;
}

void ZEVRowsSwap(ZEVInspectViewer& viewer, ZEVRowsClass& rows)
{
    ZEVSpaceController& space = viewer.spaceController();
    ZEVFrontViewerServices* f = viewer.frontViewer();
    if (!f)
        return beep();
    ZEVSelections& s = space.selections();
    const std::vector<KELI*> listes = rows.actifItems();
    std::vector<KELI*> t;
    switch (f->frontMode()) {
    case 0:
    case 1: {
        const bool icones = f->frontMode() == 0;
        std::vector<KELI*> choisis;
        for (KELI* o : listes)
            if (icones ? s.isIconSelectedForItem(o) : s.isTitleSelectedForItem(o))
                choisis.push_back(o);
        if (choisis.empty())
            return beep();
        // The other rows come in and the chosen ones go; what lies outside the list stays.
        std::vector<KELI*> autres;
        for (KELI* o : listes)
            if (std::find(choisis.begin(), choisis.end(), o) == choisis.end())
                autres.push_back(o);
        if (icones)
            s.selectIconForItemSet(autres, &choisis);
        else
            s.selectTitleForItemSet(autres, &choisis);
        return;
    }
    case 2: {
        ZEVDeskViewer* d = space.deskViewerForCurseur(space.actifCurseur());
        for (KELI* o : listes)
            if (!s.isFilterSelectedForItem(o) && !(d && d->siFilteredItem(o)))
                t.push_back(o);
        if (t.empty())
            return beep();
        s.selectFilterForItemSet(t, static_cast<const std::vector<KELI*>*>(nullptr));
        return;
    }
    case 3: {
        const std::unordered_set<KELI*> listees(listes.begin(), listes.end());
        for (ZEVLinkPair* l : s.selectedLinks())
            for (KELI* o : {l ? l->parentItem() : nullptr, l ? l->enfantItem() : nullptr})
                if (o && listees.count(o) && !s.isNodeSelectedForItem(o) && std::find(t.begin(), t.end(), o) == t.end())
                    t.push_back(o);
        if (t.empty())
            return beep();
        s.selectNodeForItemSet(t, static_cast<const std::vector<KELI*>*>(nullptr));
        return;
    }
    default:
        beep();
    }
}

void ZEVRowsDeselect(ZEVInspectViewer& viewer, ZEVRowsClass& rows)
{
    ZEVSpaceController& space = viewer.spaceController();
    ZEVFrontViewerServices* f = viewer.frontViewer();
    std::vector<KELI*> items = rows.itemsForFrontMode().value_or(std::vector<KELI*>());
    // The found Objects go with the deselection.
    rows.releaseAllFoundedItems();
    ZEVSelections& s = space.selections();
    switch (f ? f->frontMode() : -1) {
    case 0:
        s.deselectIconForItems(items);
        break;
    case 1:
        s.deselectTitleForItems(items);
        break;
    case 2:
        s.deselectFilterForItems(items);
        break;
    case 3:
        s.deselectNodeForItems(items);
        break;
    default:
        break;
    }
    rows.majIndexOfSelectedRows();
    if (ZEVInspectView* v = viewer.inspectViewIfBuilt()) {
        v->inspectTableView()->deselectLego();
        v->update();
    }
    viewer.majActionButtons();
}

} // namespace tallomer
