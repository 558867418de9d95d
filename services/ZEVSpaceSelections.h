#pragma once
// The selections of the front modes (icons, titles, filters, nodes and links), shared by the Now
// and Search desks. The space controller keeps them; the desks and the Object views read and
// change them only through these calls, and every change is announced to the front viewer.

#include "services/ZEVFrontMode.h"

#include <vector>

class KELI;

namespace tallomer {

class ZEVItemConnexion;

class ZEVSpaceSelections {
public:
    virtual ~ZEVSpaceSelections() = default;

    // ---- what is selected ----
    virtual bool isIconSelectedForItem(KELI* item) = 0;
    virtual bool isTitleSelectedForItem(KELI* item) = 0;
    virtual bool isFilterSelectedForItem(KELI* item) = 0;
    virtual bool isNodeSelectedForItem(KELI* item) = 0;
    // In the order of selection; the nodes by Object id.
    virtual std::vector<KELI*> selectedIconItems() = 0;
    virtual std::vector<KELI*> selectedTitleItems() = 0;
    virtual std::vector<KELI*> selectedFilterItems() = 0;
    virtual std::vector<KELI*> selectedNodeItems() = 0;
    // The same by front mode; nothing is selected in any other mode.
    bool isSelectedForItemOfMode(int mode, KELI* item)
    {
        switch (mode) {
        case ZEVFrontModeIcons:
            return isIconSelectedForItem(item);
        case ZEVFrontModeTitles:
            return isTitleSelectedForItem(item);
        case ZEVFrontModeFilters:
            return isFilterSelectedForItem(item);
        case ZEVFrontModeLinks:
            return isNodeSelectedForItem(item);
        default:
            return false;
        }
    }
    std::vector<KELI*> selectedItemsOfMode(int mode)
    {
        switch (mode) {
        case ZEVFrontModeIcons:
            return selectedIconItems();
        case ZEVFrontModeTitles:
            return selectedTitleItems();
        case ZEVFrontModeFilters:
            return selectedFilterItems();
        case ZEVFrontModeLinks:
            return selectedNodeItems();
        default:
            return {};
        }
    }

    // ---- changes, per front mode (0 icons, 1 titles, 2 filters, 3 nodes) ----
    virtual void selectIconForItem(KELI* item) = 0;
    virtual void selectTitleForItem(KELI* item) = 0;
    virtual void selectFilterForItem(KELI* item) = 0;
    virtual void selectNodeForItem(KELI* item) = 0;
    virtual void multiSelectIconForItem(KELI* item) = 0;
    virtual void multiSelectTitleForItem(KELI* item) = 0;
    virtual void multiSelectNodeForItem(KELI* item) = 0;
    virtual void deselectIconForItem(KELI* item) = 0;
    virtual void deselectTitleForItem(KELI* item) = 0;
    virtual void deselectNodeForItem(KELI* item) = 0;
    virtual void deselectAllIcons() = 0;
    virtual void deselectAllTitles() = 0;
    virtual void deselectAllFilters() = 0;
    virtual void deselectAllNodes() = 0;
    // The selection becomes `items`; with `minus`, the selection without `minus`, united with
    // `items` (nullptr: no minus set, which is not the same as an empty one).
    virtual void selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) = 0;
    virtual void selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) = 0;
    virtual void selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) = 0;
    virtual void selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) = 0;

    // ---- the link selection, by drawn Link (the selection keeps the pair, never the Link) ----
    virtual bool isLinkSelectedForConnexion(const ZEVItemConnexion* connexion) = 0;
    virtual void selectLinkForConnexion(ZEVItemConnexion* connexion) = 0;
    virtual void cmdSelectLinkForConnexion(ZEVItemConnexion* connexion) = 0;
    virtual void multiSelectLinkForConnexion(ZEVItemConnexion* connexion) = 0;
    virtual void deselectLinkForConnexion(ZEVItemConnexion* connexion) = 0;
};

} // namespace tallomer
