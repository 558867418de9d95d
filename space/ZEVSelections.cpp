#include "services/ZEVFrontMode.h"
#include "space/ZEVSelections.h"

#include "engine/KELLien.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Clock.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSelectionLists.h"
#include "space/ZEVSpaceParts.h"

#include <algorithm>

namespace tallomer {

namespace {

constexpr char kFirstResponder[] = "_setFirstResponderOnItemView";

KELId idDe(const KELI* o) { return o ? o->idInt() : 0; }

} // namespace

bool ZEVSelections::ParId::operator()(const KELI* a, const KELI* b) const
{
    const KELId ia = idDe(a), ib = idDe(b);
    return ia != ib ? ia < ib : std::less<const KELI*>()(a, b);
}

bool ZEVSelections::ParPaire::operator()(const ZEVLinkPair* a, const ZEVLinkPair* b) const
{
    const KELId pa = idDe(a->parentItem()), pb = idDe(b->parentItem());
    if (pa != pb)
        return pa < pb;
    const KELId ea = idDe(a->enfantItem()), eb = idDe(b->enfantItem());
    return ea != eb ? ea < eb : std::less<const ZEVLinkPair*>()(a, b);
}

ZEVSelections::ZEVSelections(ZEVSelectionContext& context) : context_(context)
{
    editedTitleTime_ = Clock::shared().now();
}

// ---------------------------------------------------------------------------------------------
// Notices

void ZEVSelections::iconSelectionDidChange()
{
    if (ZEVFrontViewerServices* f = context_.frontViewer())
        f->iconSelectionDidChange();
}

void ZEVSelections::titleSelectionDidChange()
{
    if (ZEVFrontViewerServices* f = context_.frontViewer())
        f->titleSelectionDidChange();
}

void ZEVSelections::filterSelectionDidChange()
{
    if (ZEVFrontViewerServices* f = context_.frontViewer())
        f->filterSelectionDidChange();
    // A burst of changes moves the keyboard once, after the last of them.
    Scheduler::shared().cancel(this, kFirstResponder);
    Scheduler::shared().perform(this, kFirstResponder, kFirstResponderDelay, [this] { setFirstResponderOnItemView(); });
}

void ZEVSelections::linkSelectionDidChange()
{
    if (ZEVFrontViewerServices* f = context_.frontViewer())
        f->linkSelectionDidChange();
}

void ZEVSelections::setFirstResponderOnItemView()
{
    if (context_.siFirstResponderInTable())
        return;
    int mode = context_.frontMode();
    if (mode == ZEVFrontModeFilters && filters_.empty())
        mode = ZEVFrontModeIcons;
    ZEVCursorDesk* desk = context_.actifDesk();
    const std::vector<ZEVItemViewForDesks*> views =
        desk ? desk->visibleItemViewsForMode(mode) : std::vector<ZEVItemViewForDesks*>{};
    context_.setFirstResponder(views.empty() ? nullptr : views.back());
}

// ---------------------------------------------------------------------------------------------
// Icons and titles: a list and its set

ZEVSelections::ItemSet ZEVSelections::combiner(const ItemSet& set, const std::vector<KELI*>& items, int op)
{
    ItemSet s(items.begin(), items.end());
    s.erase(nullptr);
    ItemSet out;
    switch (op) {
    case 1:
        for (KELI* o : set)
            if (s.count(o))
                out.insert(o);
        return out;
    case 2:
        out = set;
        out.insert(s.begin(), s.end());
        return out;
    case 3:
        out = set;
        for (KELI* o : s)
            out.erase(o);
        return out;
    default:
        return s;
    }
}

bool ZEVSelections::remplacer(Famille f, const ItemSet& set)
{
    const bool vide = f.list.empty();
    f.set = set;
    f.list.assign(set.begin(), set.end());
    return vide;
}

void ZEVSelections::selectOne(Famille f, KELI* item)
{
    f.list.clear();
    f.set.clear();
    if (item) {
        f.list.push_back(item);
        f.set.insert(item);
    }
    (this->*f.notice)();
}

void ZEVSelections::selectForItemSet(Famille f, const std::vector<KELI*>& items, const std::vector<KELI*>* minus,
                                     bool toujoursNotifier)
{
    ItemSet s(items.begin(), items.end());
    s.erase(nullptr);
    const bool sVide = s.empty();
    if (minus) {
        ItemSet set = combiner(f.set, *minus, 3);
        set.insert(s.begin(), s.end());
        s = std::move(set);
    }
    const bool etaitVide = remplacer(f, s);
    if (toujoursNotifier || !(etaitVide && sVide))
        (this->*f.notice)();
}

void ZEVSelections::selectForItemSetOp(Famille f, const std::vector<KELI*>& items, int op)
{
    remplacer(f, combiner(f.set, items, op));
    (this->*f.notice)();
}

void ZEVSelections::multiSelect(Famille f, KELI* item)
{
    if (!item || f.set.count(item))
        return;
    f.list.push_back(item);
    f.set.insert(item);
    (this->*f.notice)();
}

void ZEVSelections::cmdSelect(Famille f, KELI* item)
{
    if (!item)
        return;
    if (f.set.count(item)) {
        f.set.erase(item);
        retirer(f.list, item);
    } else {
        f.list.push_back(item);
        f.set.insert(item);
    }
    (this->*f.notice)();
}

bool ZEVSelections::enlever(Famille f, KELI* item)
{
    if (!item || !f.set.erase(item))
        return false;
    retirer(f.list, item);
    return true;
}

std::vector<KELI*> ZEVSelections::duCanal(const std::vector<KELI*>& list, bool* autre)
{
    const KELId canal = context_.currentChannelInt();
    std::vector<KELI*> kept;
    *autre = false;
    for (KELI* o : list) {
        if (o->channelInt() == canal)
            kept.push_back(o);
        else
            *autre = true;
    }
    return kept;
}

std::vector<KELI*> ZEVSelections::contreparties(const std::vector<KELI*>& list, bool* remplace)
{
    std::vector<KELI*> out;
    *remplace = false;
    for (KELI* o : list) {
        KELI* same = context_.sameItem(o);
        if (same && same != o) {
            out.push_back(same);
            *remplace = true;
        } else {
            out.push_back(o);
        }
    }
    return out;
}

bool ZEVSelections::reselectAll(Famille f, bool toujoursNotifier)
{
    bool autre = false;
    const std::vector<KELI*> kept = duCanal(f.list, &autre);
    if (!autre)
        return false;
    selectForItemSet(f, kept, nullptr, toujoursNotifier);
    return true;
}

bool ZEVSelections::reselectSame(Famille f, bool toujoursNotifier)
{
    const bool vide = f.list.empty();
    bool remplace = false;
    const std::vector<KELI*> s = contreparties(f.list, &remplace);
    selectForItemSet(f, s, nullptr, toujoursNotifier);
    return vide || remplace;
}

void ZEVSelections::selectIconForItem(KELI* item) { selectOne(icones(), item); }
void ZEVSelections::selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    selectForItemSet(icones(), items, minus, false);
}
void ZEVSelections::selectIconForItemSet(const std::vector<KELI*>& items, int op) { selectForItemSetOp(icones(), items, op); }
void ZEVSelections::multiSelectIconForItem(KELI* item) { multiSelect(icones(), item); }
void ZEVSelections::cmdSelectIconForItem(KELI* item) { cmdSelect(icones(), item); }

void ZEVSelections::deselectIconForItem(KELI* item)
{
    if (enlever(icones(), item))
        iconSelectionDidChange();
}

void ZEVSelections::deselectIconForItems(const std::vector<KELI*>& items)
{
    for (KELI* o : items)
        enlever(icones(), o);
    iconSelectionDidChange();
}

void ZEVSelections::deselectAllIcons()
{
    icons_.clear();
    iconSet_.clear();
    iconSelectionDidChange();
}

bool ZEVSelections::reselectAllIcons() { return reselectAll(icones(), false); }
bool ZEVSelections::reselectSameIcons() { return reselectSame(icones(), false); }

void ZEVSelections::selectTitleForItem(KELI* item) { selectOne(titres(), item); }
void ZEVSelections::selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    selectForItemSet(titres(), items, minus, true);
}
void ZEVSelections::selectTitleForItemSet(const std::vector<KELI*>& items, int op) { selectForItemSetOp(titres(), items, op); }
void ZEVSelections::multiSelectTitleForItem(KELI* item) { multiSelect(titres(), item); }
void ZEVSelections::cmdSelectTitleForItem(KELI* item) { cmdSelect(titres(), item); }

void ZEVSelections::deselectTitleForItem(KELI* item)
{
    if (item && item == editedTitleItem_)
        editedTitleItem_ = nullptr;
    if (enlever(titres(), item))
        titleSelectionDidChange();
}

void ZEVSelections::deselectTitleForItems(const std::vector<KELI*>& items)
{
    for (KELI* o : items) {
        if (o && o == editedTitleItem_)
            editedTitleItem_ = nullptr;
        enlever(titres(), o);
    }
    titleSelectionDidChange();
}

void ZEVSelections::deselectAllTitles()
{
    editedTitleItem_ = nullptr;
    titles_.clear();
    titleSet_.clear();
    titleSelectionDidChange();
}

bool ZEVSelections::reselectAllTitles() { return reselectAll(titres(), true); }
bool ZEVSelections::reselectSameTitles() { return reselectSame(titres(), true); }

void ZEVSelections::editTitleForItem(KELI* item)
{
    if (!item)
        editedTitleTime_ = Clock::shared().now();
    editedTitleItem_ = item;
}

bool ZEVSelections::isTitleJustEdited() const { return Clock::shared().now() - editedTitleTime_ < kTitleJustEdited; }

// ---------------------------------------------------------------------------------------------
// Filters: a list, applied to both item viewers

bool ZEVSelections::isFilterSelectedForItem(KELI* item) const { return item && contient(filters_, item); }

void ZEVSelections::appliquerAjout(KELI* item)
{
    for (ZEVCursorDesk* d : context_.filterDesks())
        d->ajouteFilterForItem(item);
}

void ZEVSelections::appliquerRetrait(KELI* item)
{
    for (ZEVCursorDesk* d : context_.filterDesks())
        d->enleveFilterForItem(item);
}

void ZEVSelections::remplacerLesFiltres(const std::vector<KELI*>& items)
{
    const std::vector<ZEVCursorDesk*> desks = context_.filterDesks();
    for (ZEVCursorDesk* d : desks)
        d->enleveFilterForAllItems();
    filters_.clear();
    for (KELI* o : items) {
        if (!o || contient(filters_, o))
            continue;
        for (ZEVCursorDesk* d : desks)
            d->ajouteFilterForItem(o);
        filters_.push_back(o);
    }
}

void ZEVSelections::selectFilterForItem(KELI* item)
{
    remplacerLesFiltres({item});
    filterSelectionDidChange();
}

void ZEVSelections::selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    ItemSet s(items.begin(), items.end());
    s.erase(nullptr);
    if (minus) {
        ItemSet set = combiner(ItemSet(filters_.begin(), filters_.end()), *minus, 3);
        set.insert(s.begin(), s.end());
        s = std::move(set);
    }
    remplacerLesFiltres(std::vector<KELI*>(s.begin(), s.end()));
    filterSelectionDidChange();
}

void ZEVSelections::selectFilterForItemSet(const std::vector<KELI*>& items, int op)
{
    const ItemSet s = combiner(ItemSet(filters_.begin(), filters_.end()), items, op);
    selectFilterForItems(std::vector<KELI*>(s.begin(), s.end()));
}

void ZEVSelections::selectFilterForItems(const std::vector<KELI*>& items)
{
    remplacerLesFiltres(items);
    filterSelectionDidChange();
}

void ZEVSelections::selectFilterForItemViews(const std::vector<ZEVItemViewForDesks*>& views)
{
    std::vector<KELI*> items;
    for (ZEVItemViewForDesks* v : views)
        if (v && v->item())
            items.push_back(v->item());
    selectFilterForItems(items);
}

void ZEVSelections::multiSelectFilterForItem(KELI* item)
{
    if (!item || isFilterSelectedForItem(item))
        return;
    appliquerAjout(item);
    filters_.push_back(item);
    filterSelectionDidChange();
}

void ZEVSelections::cmdSelectFilterForItem(KELI* item)
{
    if (!item)
        return;
    if (retirer(filters_, item)) {
        appliquerRetrait(item);
    } else {
        appliquerAjout(item);
        filters_.push_back(item);
    }
    filterSelectionDidChange();
}

void ZEVSelections::deselectFilterForItem(KELI* item)
{
    // The viewers read the list when told: it changes first.
    retirer(filters_, item);
    appliquerRetrait(item);
    filterSelectionDidChange();
}

void ZEVSelections::deselectFilterForItems(const std::vector<KELI*>& items)
{
    for (KELI* o : items) {
        retirer(filters_, o);
        appliquerRetrait(o);
    }
    filterSelectionDidChange();
}

void ZEVSelections::deselectAllFilters()
{
    remplacerLesFiltres({});
    filterSelectionDidChange();
}

bool ZEVSelections::reselectAllFilters()
{
    bool autre = false;
    const std::vector<KELI*> kept = duCanal(filters_, &autre);
    if (!autre)
        return false;
    selectFilterForItemSet(kept, nullptr);
    return true;
}

bool ZEVSelections::reselectSameFilters()
{
    const bool vide = filters_.empty();
    bool remplace = false;
    const std::vector<KELI*> s = contreparties(filters_, &remplace);
    selectFilterForItemSet(s, nullptr);
    return vide || remplace;
}

// ---------------------------------------------------------------------------------------------
// What is gone

void ZEVSelections::oublierItem(KELI* item)
{
    if (!item)
        return;
    if (enlever(icones(), item))
        iconSelectionDidChange();
    if (item == editedTitleItem_)
        editedTitleItem_ = nullptr;
    if (enlever(titres(), item))
        titleSelectionDidChange();
    if (retirer(filters_, item)) {
        appliquerRetrait(item);
        filterSelectionDidChange();
    }
    const bool noeud = nodeSet_.erase(item) != 0;
    const auto partis =
        std::erase_if(links_, [item](const ZEVLinkPair* l) { return l->parentItem() == item || l->enfantItem() == item; });
    if (noeud || partis)
        linkSelectionDidChange();
}

void ZEVSelections::oublierLinks(const std::vector<ZEVLinkPair*>& links)
{
    bool change = false;
    for (const ZEVLinkPair* l : links)
        change |= retirerLien(l);
    if (change)
        linkSelectionDidChange();
}

} // namespace tallomer
