#pragma once
// The selections of the front modes (icons, titles, filters, nodes and links), shared by the Now
// and Search desks. Answered by the space controller's selection lists; until they exist nothing
// is ever selected and changes are dropped, which is what each default here does.

#include <vector>

class KELI;

namespace tallomer {

class ZEVItemConnexion;

class ZEVSpaceSelections {
public:
    virtual ~ZEVSpaceSelections() = default;

    // ---- what is selected ----
    virtual bool isIconSelectedForItem(KELI* item) { return false; }
    virtual bool isTitleSelectedForItem(KELI* item) { return false; }
    virtual bool isFilterSelectedForItem(KELI* item) { return false; }
    virtual bool isNodeSelectedForItem(KELI* item) { return false; }
    virtual std::vector<KELI*> selectedIconItems() { return {}; }
    virtual std::vector<KELI*> selectedTitleItems() { return {}; }
    virtual std::vector<KELI*> selectedFilterItems() { return {}; }
    virtual std::vector<KELI*> selectedNodeItems() { return {}; }

    // ---- changes, per front mode (0 icons, 1 titles, 2 filters, 3 nodes) ----
    virtual void selectIconForItem(KELI* item) {}
    virtual void selectTitleForItem(KELI* item) {}
    virtual void selectFilterForItem(KELI* item) {}
    virtual void selectNodeForItem(KELI* item) {}
    virtual void multiSelectIconForItem(KELI* item) {}
    virtual void multiSelectTitleForItem(KELI* item) {}
    virtual void multiSelectNodeForItem(KELI* item) {}
    virtual void deselectIconForItem(KELI* item) {}
    virtual void deselectTitleForItem(KELI* item) {}
    virtual void deselectNodeForItem(KELI* item) {}
    virtual void deselectAllIcons() {}
    virtual void deselectAllTitles() {}
    virtual void deselectAllFilters() {}
    virtual void deselectAllNodes() {}
    virtual void selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}
    virtual void selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}
    virtual void selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}
    virtual void selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}

    // ---- the link selection, by drawn Link (the selection keeps the pair, never the Link) ----
    virtual bool isLinkSelectedForConnexion(const ZEVItemConnexion* connexion) { return false; }
    virtual void selectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void cmdSelectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void multiSelectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void deselectLinkForConnexion(ZEVItemConnexion* connexion) {}
};

} // namespace tallomer
