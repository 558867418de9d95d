#pragma once
// What the Object views ask of the space controller: the front mode, the selections of each mode,
// the display options, the Object being dragged and the link selection. It extends what the desk
// models ask, so that the space controller answers both through one class. Every call has a
// harmless default (nothing selected, icons mode, links hidden), so a desk works without a window.

#include "desk/model/ZEVDeskServices.h"
#include "engine/KELLien.h"
#include "engine/KELTypes.h"

#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVItemConnexion;

class ZEVItemSpaceServices : public ZEVSpaceServices {
public:
    KELI* channelForIdentityInt(KELId) override { return nullptr; }
    KELI* identity() override { return nullptr; }
    // The id of the Space's current Channel.
    virtual KELId identityInt()
    {
        KELI* c = identity();
        return c ? c->idInt() : 0;
    }

    // The front layer's mode: 0 icons, 1 titles, 2 filters, 3 links; anything else is none.
    virtual int frontMode() { return 0; }
    virtual KELICurseur* actifCurseur() { return nullptr; }
    virtual KELICurseur* nowCurseur() { return nullptr; }
    // Makes that cursor the active one (through the ruler, as a user's move).
    virtual void userChangeActifCurseur(KELICurseur* curseur) {}
    virtual bool siApplicationActive() { return true; }
    virtual bool siGoToPanelVisible() { return false; }

    // Selections, by mode. The filters' list is ZEVSpaceServices::selectedFilterItems.
    virtual bool isIconSelectedForItem(KELI* item) { return false; }
    virtual bool isTitleSelectedForItem(KELI* item) { return false; }
    virtual bool isFilterSelectedForItem(KELI* item) { return false; }
    virtual bool isNodeSelectedForItem(KELI* item) { return false; }
    virtual std::vector<KELI*> selectedIconItems() { return {}; }
    virtual std::vector<KELI*> selectedTitleItems() { return {}; }
    virtual std::vector<KELI*> selectedNodeItems() { return {}; }

    // The link selection, by drawn Link (the selection keeps the pair, never the Link itself).
    virtual bool isLinkSelectedForConnexion(const ZEVItemConnexion* connexion) { return false; }
    virtual void selectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void cmdSelectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void multiSelectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void deselectLinkForConnexion(ZEVItemConnexion* connexion) {}

    // Display options.
    virtual bool siHideItemTitle(KELI* item) { return false; }
    virtual bool siShowLinks() { return false; }
    virtual bool siShowLinksForSelections() { return false; }
    virtual bool siShowAnimation() { return false; }
    virtual bool siFiltreANDOperation() { return false; }

    // The Object being dragged, or nullptr.
    virtual KELI* draggingItem() { return nullptr; }
};

} // namespace tallomer
