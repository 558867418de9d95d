#pragma once
// The user's selections of the Space window, one per front mode, shared by the Now and Search
// desks and kept across moves of the cursors and changes of Channel: icons (mode 0), titles (1),
// filters (2), and in the links mode (3) the nodes with the link selection that follows them.
// Every change ends with one notice to the front viewer; the filters are also applied to the item
// viewers of both desks, the Now desk's first. The action subsets tell what Recall, Retain and
// Release work on.
//
// Orders are deterministic: a list keeps the order in which its members came, and a set, and a
// list refilled from a set, go by Object id (link objects by parent id, then child id).
// Members are not owned; the link base keeps one Object per id for the run, and the Links
// model tells the selections before a link object goes (oublierLinks). Main thread only.

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"

#include <optional>
#include <set>
#include <vector>

class KELI;

namespace tallomer {

class ZEVCursorDesk;
class ZEVFrontViewerServices;
class ZEVIconClassServices;
class ZEVItemConnexion;
class ZEVItemViewForDesks;
class ZEVLinkClassServices;
class ZEVLinkPair;

// What the selections ask of the Space.
class ZEVSelectionContext {
public:
    virtual ~ZEVSelectionContext() = default;
    virtual KELId currentChannelInt() = 0;
    // 0 icons, 1 titles, 2 filters, 3 links, 4 none.
    virtual int frontMode() = 0;
    virtual bool siSearchActif() = 0;
    // Not owned; nullptr while there is none.
    virtual ZEVFrontViewerServices* frontViewer() = 0;
    virtual ZEVIconClassServices* iconClass() = 0;
    virtual ZEVLinkClassServices* linkClass() = 0;
    // The counterpart in the current Channel (SameItem); nullptr for none.
    virtual KELI* sameItem(KELI* item) = 0;
    // The desk of the active cursor; the desks of the Now and then the Search cursor.
    virtual ZEVCursorDesk* actifDesk() = 0;
    virtual std::vector<ZEVCursorDesk*> filterDesks() = 0;
    // The keyboard goes to that Object view, or to the desk when nullptr.
    virtual void setFirstResponder(ZEVItemViewForDesks* view) = 0;
    // Whether the keyboard is with an inspector's table (the first responder then stays).
    virtual bool siFirstResponderInTable() = 0;
};

// What Recall, Retain or Release act on in a front mode: Objects, or link objects in mode 3.
struct ZEVSelectionSubset {
    std::vector<KELI*> items;
    std::vector<ZEVLinkPair*> links;
    bool empty() const { return items.empty() && links.empty(); }
};

class ZEVSelections {
public:
    // The delay after the last filter change at which the keyboard moves to the Object views.
    static constexpr double kFirstResponderDelay = 0.5;
    // A title edit that ended less than this ago is just edited.
    static constexpr double kTitleJustEdited = 0.2;

    // `context` is not owned and outlives the selections.
    explicit ZEVSelections(ZEVSelectionContext& context);
    ZEVSelections(const ZEVSelections&) = delete;
    ZEVSelections& operator=(const ZEVSelections&) = delete;

    // ---- icons ----
    bool isIconSelectedForItem(KELI* item) const { return iconSet_.count(item) != 0; }
    void selectIconForItem(KELI* item);
    // minus nullptr: the selection becomes `items`; else (selection - minus) + items.
    void selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus);
    // op 1 intersects, 2 unites, 3 subtracts; any other value replaces.
    void selectIconForItemSet(const std::vector<KELI*>& items, int op);
    void multiSelectIconForItem(KELI* item);
    void cmdSelectIconForItem(KELI* item);
    void deselectIconForItem(KELI* item);
    void deselectIconForItems(const std::vector<KELI*>& items);
    void deselectAllIcons();
    bool reselectAllIcons();
    bool reselectSameIcons();
    const std::vector<KELI*>& selectedIconItems() const { return icons_; }
    std::vector<KELI*> recallingSelectedIconItems() { return recalling(icons_, false); }
    std::vector<KELI*> recallingNowSelectedIconItems() { return recallingNow(icons_); }
    std::vector<KELI*> retainingSelectedIconItems() { return inactifs(icons_); }
    std::vector<KELI*> releasingSelectedIconItems() { return actifs(icons_); }

    // ---- titles ----
    bool isTitleSelectedForItem(KELI* item) const { return titleSet_.count(item) != 0; }
    void selectTitleForItem(KELI* item);
    void selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus);
    void selectTitleForItemSet(const std::vector<KELI*>& items, int op);
    void multiSelectTitleForItem(KELI* item);
    void cmdSelectTitleForItem(KELI* item);
    void deselectTitleForItem(KELI* item);
    void deselectTitleForItems(const std::vector<KELI*>& items);
    void deselectAllTitles();
    bool reselectAllTitles();
    bool reselectSameTitles();
    const std::vector<KELI*>& selectedTitleItems() const { return titles_; }
    std::vector<KELI*> recallingSelectedTitleItems() { return recalling(titles_, false); }
    std::vector<KELI*> recallingNowSelectedTitleItems() { return recallingNow(titles_); }
    std::vector<KELI*> retainingSelectedTitleItems() { return inactifs(titles_); }
    std::vector<KELI*> releasingSelectedTitleItems() { return actifs(titles_); }

    // ---- title editing ----
    // nullptr ends an edit (stamped now); the Object is not owned.
    void editTitleForItem(KELI* item);
    bool isTitleEditedForItem(KELI* item) const { return item && item == editedTitleItem_; }
    bool isTitleEditing() const { return editedTitleItem_ != nullptr; }
    bool isTitleJustEdited() const;
    KELI* editedTitleItem() const { return editedTitleItem_; }

    // ---- filters ----
    bool isFilterSelectedForItem(KELI* item) const;
    void selectFilterForItem(KELI* item);
    void selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus);
    void selectFilterForItemSet(const std::vector<KELI*>& items, int op);
    // The filters become these Objects, in this order.
    void selectFilterForItems(const std::vector<KELI*>& items);
    void selectFilterForItemViews(const std::vector<ZEVItemViewForDesks*>& views);
    void multiSelectFilterForItem(KELI* item);
    void cmdSelectFilterForItem(KELI* item);
    void deselectFilterForItem(KELI* item);
    void deselectFilterForItems(const std::vector<KELI*>& items);
    void deselectAllFilters();
    bool reselectAllFilters();
    bool reselectSameFilters();
    const std::vector<KELI*>& selectedFilterItems() const { return filters_; }
    std::vector<KELI*> recallingSelectedFilterItems() { return recalling(filters_, false); }
    std::vector<KELI*> recallingNowSelectedFilterItems() { return recallingNow(filters_); }
    std::vector<KELI*> retainingSelectedFilterItems() { return inactifs(filters_); }
    std::vector<KELI*> releasingSelectedFilterItems() { return actifs(filters_); }

    // ---- links ----
    bool isLinkSelectedForConnexion(const ZEVItemConnexion* connexion);
    void selectLinkForConnexion(const ZEVItemConnexion* connexion);
    void multiSelectLinkForConnexion(const ZEVItemConnexion* connexion);
    void cmdSelectLinkForConnexion(const ZEVItemConnexion* connexion);
    void deselectLinkForConnexion(const ZEVItemConnexion* connexion);
    // The link objects of the Links model whose parent or child is in `items`, combined with the
    // selection by op (as for icons).
    void selectLinkForItemSet(const std::vector<KELI*>& items, int op);
    void selectLinkForLinkSet(const std::vector<ZEVLinkPair*>& links);
    bool isLinkSelectedForLinkObject(const ZEVLinkPair* link) const;
    void multiSelectLinkObject(ZEVLinkPair* link);
    void deselectLinkObject(ZEVLinkPair* link);
    // The link objects of the Links model whose two Objects are selected in that mode.
    std::vector<ZEVLinkPair*> linksForIconMode() { return linksBetween(iconSet_); }
    std::vector<ZEVLinkPair*> linksForTitleMode() { return linksBetween(titleSet_); }
    std::vector<ZEVLinkPair*> linksForFilterMode();
    void deselectAllLinks();
    const std::vector<ZEVLinkPair*>& selectedLinks() const { return links_; }
    std::vector<ZEVLinkPair*> recallingSelectedLinkItems() { return linksActifs(false, false); }
    std::vector<ZEVLinkPair*> recallingNowSelectedLinkItems();
    std::vector<ZEVLinkPair*> retainingSelectedLinkItems() { return recallingSelectedLinkItems(); }
    std::vector<ZEVLinkPair*> releasingSelectedLinkItems() { return linksActifs(true, false); }

    // ---- nodes (the link selection follows them) ----
    bool isNodeSelectedForItem(KELI* item) const { return nodeSet_.count(item) != 0; }
    void selectNodeForItem(KELI* item);
    void selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus);
    void selectNodeForItemSet(const std::vector<KELI*>& items, int op);
    void multiSelectNodeForItem(KELI* item);
    void cmdSelectNodeForItem(KELI* item);
    void deselectNodeForItem(KELI* item);
    void deselectNodeForItems(const std::vector<KELI*>& items);
    void deselectAllNodes();
    // The selection a front mode works on (icons, titles, filters or nodes); none for another mode.
    void deselectAllInFrontMode(int frontMode);
    bool reselectAllNodes();
    bool reselectSameNodes();
    // By Object id.
    std::vector<KELI*> selectedNodeItemSet() const { return std::vector<KELI*>(nodeSet_.begin(), nodeSet_.end()); }

    // ---- by front mode; nullopt outside modes 0 to 3 ----
    std::optional<std::vector<KELI*>> selectedItemsForFrontMode();
    std::optional<ZEVSelectionSubset> recallingSelectedItems();
    std::optional<ZEVSelectionSubset> recallingNowSelectedItems();
    std::optional<ZEVSelectionSubset> releasingSelectedItems();
    // The members of the front mode's selection that lie in that Channel, in their order.
    std::vector<KELI*> selectedItemsForChannelInt(KELId channelInt);

    // ---- what is gone ----
    // The Object leaves every selection (an Object deleted); each family that held it is told.
    void oublierItem(KELI* item);
    // These link objects leave the link selection before their model destroys them.
    void oublierLinks(const std::vector<ZEVLinkPair*>& links);

private:
    struct ParId {
        bool operator()(const KELI* a, const KELI* b) const;
    };
    struct ParPaire {
        bool operator()(const ZEVLinkPair* a, const ZEVLinkPair* b) const;
    };
    using ItemSet = std::set<KELI*, ParId>;
    using LinkSet = std::set<ZEVLinkPair*, ParPaire>;

    // The notices (the front viewer, and for filters the delayed first responder).
    void iconSelectionDidChange();
    void titleSelectionDidChange();
    void filterSelectionDidChange();
    void linkSelectionDidChange();
    void nodeSelectionDidChange() { linkSelectionDidChange(); }
    void setFirstResponderOnItemView();

    static ItemSet combiner(const ItemSet& set, const std::vector<KELI*>& items, int op);
    // A list and its set, as icons and titles keep them.
    struct Famille {
        std::vector<KELI*>& list;
        ItemSet& set;
        void (ZEVSelections::*notice)();
    };
    Famille icones() { return {icons_, iconSet_, &ZEVSelections::iconSelectionDidChange}; }
    Famille titres() { return {titles_, titleSet_, &ZEVSelections::titleSelectionDidChange}; }
    void selectOne(Famille f, KELI* item);
    // Answers whether the selection was empty before.
    bool remplacer(Famille f, const ItemSet& set);
    void selectForItemSet(Famille f, const std::vector<KELI*>& items, const std::vector<KELI*>* minus,
                          bool toujoursNotifier);
    void selectForItemSetOp(Famille f, const std::vector<KELI*>& items, int op);
    void multiSelect(Famille f, KELI* item);
    void cmdSelect(Famille f, KELI* item);
    bool enlever(Famille f, KELI* item);
    bool reselectAll(Famille f, bool toujoursNotifier);
    bool reselectSame(Famille f, bool toujoursNotifier);

    // The Objects that stay in the current Channel; whether any member lies in another.
    std::vector<KELI*> duCanal(const std::vector<KELI*>& list, bool* autre);
    // The counterparts, and whether any member was replaced.
    std::vector<KELI*> contreparties(const std::vector<KELI*>& list, bool* remplace);

    // Filters applied to both item viewers, the Now desk's first.
    void appliquerAjout(KELI* item);
    void appliquerRetrait(KELI* item);
    void remplacerLesFiltres(const std::vector<KELI*>& items);

    // Link objects.
    ZEVLinkPair* lienDe(const ZEVItemConnexion* connexion);
    bool ajouterLien(ZEVLinkPair* link);
    bool retirerLien(const ZEVLinkPair* link);
    std::vector<ZEVLinkPair*> linksBetween(const ItemSet& set);
    std::vector<ZEVLinkPair*> linksActifs(bool actif, bool now);
    // The link selection rebuilt from the drawn Links touching the nodes.
    void reconstruireLesLiens();
    // The node leaves; its lines whose other end is no node leave the link selection.
    void retirerNoeud(KELI* item);

    // The two passes of Recall; the first pass alone for Retain, the active members for Release.
    std::vector<KELI*> recalling(const std::vector<KELI*>& list, bool now);
    std::vector<KELI*> recallingNow(const std::vector<KELI*>& list);
    std::vector<KELI*> inactifs(const std::vector<KELI*>& list);
    std::vector<KELI*> actifs(const std::vector<KELI*>& list);
    bool siActif(KELI* item, bool now);

    ZEVSelectionContext& context_; // not owned
    std::vector<KELI*> icons_;
    ItemSet iconSet_;
    std::vector<KELI*> titles_;
    ItemSet titleSet_;
    std::vector<KELI*> filters_;
    std::vector<ZEVLinkPair*> links_;
    ItemSet nodeSet_;
    KELI* editedTitleItem_ = nullptr; // not owned
    KELDate editedTitleTime_ = 0;
    ScheduledTarget guard_{this};
};

// One of the per-mode selections, for code that toggles an Object in whichever one it is given.
struct ZEVModeSelection {
    bool (ZEVSelections::*is)(KELI*) const;
    void (ZEVSelections::*deselect)(KELI*);
    void (ZEVSelections::*multiSelect)(KELI*);

    // Out of the selection when in it, else added to it.
    void toggle(ZEVSelections& s, KELI* item) const { (s.*is)(item) ? (s.*deselect)(item) : (s.*multiSelect)(item); }
};

inline constexpr ZEVModeSelection kIconSelection{&ZEVSelections::isIconSelectedForItem,
                                                 &ZEVSelections::deselectIconForItem,
                                                 &ZEVSelections::multiSelectIconForItem};
inline constexpr ZEVModeSelection kTitleSelection{&ZEVSelections::isTitleSelectedForItem,
                                                  &ZEVSelections::deselectTitleForItem,
                                                  &ZEVSelections::multiSelectTitleForItem};
inline constexpr ZEVModeSelection kFilterSelection{&ZEVSelections::isFilterSelectedForItem,
                                                   &ZEVSelections::deselectFilterForItem,
                                                   &ZEVSelections::multiSelectFilterForItem};
inline constexpr ZEVModeSelection kNodeSelection{&ZEVSelections::isNodeSelectedForItem,
                                                 &ZEVSelections::deselectNodeForItem,
                                                 &ZEVSelections::multiSelectNodeForItem};

} // namespace tallomer
