// The selections of links and of nodes (Objects with their links, in the links mode).

#include "space/ZEVSelections.h"

#include "engine/KELLien.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSelectionLists.h"
#include "space/ZEVSpaceParts.h"

#include <algorithm>

namespace tallomer {

ZEVLinkPair* ZEVSelections::lienDe(const ZEVItemConnexion* connexion)
{
    ZEVLinkClassServices* model = context_.linkClass();
    return model && connexion ? model->linkForConnexion(connexion) : nullptr;
}

bool ZEVSelections::ajouterLien(ZEVLinkPair* link)
{
    if (!link || contient(links_, static_cast<const ZEVLinkPair*>(link)))
        return false;
    links_.push_back(link);
    return true;
}

bool ZEVSelections::retirerLien(const ZEVLinkPair* link) { return link && retirer(links_, link); }

bool ZEVSelections::isLinkSelectedForConnexion(const ZEVItemConnexion* connexion)
{
    return isLinkSelectedForLinkObject(lienDe(connexion));
}

bool ZEVSelections::isLinkSelectedForLinkObject(const ZEVLinkPair* link) const
{
    return link && contient(links_, link);
}

void ZEVSelections::selectLinkForConnexion(const ZEVItemConnexion* connexion)
{
    ZEVLinkPair* link = lienDe(connexion);
    links_.clear();
    ajouterLien(link);
    linkSelectionDidChange();
}

void ZEVSelections::multiSelectLinkForConnexion(const ZEVItemConnexion* connexion) { multiSelectLinkObject(lienDe(connexion)); }

void ZEVSelections::multiSelectLinkObject(ZEVLinkPair* link)
{
    if (ajouterLien(link))
        linkSelectionDidChange();
}

void ZEVSelections::cmdSelectLinkForConnexion(const ZEVItemConnexion* connexion)
{
    ZEVLinkPair* link = lienDe(connexion);
    if (!link)
        return;
    if (!retirerLien(link))
        ajouterLien(link);
    linkSelectionDidChange();
}

void ZEVSelections::deselectLinkForConnexion(const ZEVItemConnexion* connexion) { deselectLinkObject(lienDe(connexion)); }

void ZEVSelections::deselectLinkObject(ZEVLinkPair* link)
{
    retirerLien(link);
    linkSelectionDidChange();
}

void ZEVSelections::selectLinkForItemSet(const std::vector<KELI*>& items, int op)
{
    const ItemSet objets(items.begin(), items.end());
    LinkSet touches;
    if (ZEVLinkClassServices* model = context_.linkClass())
        for (ZEVLinkPair* l : model->timeLineLinks())
            if (objets.count(l->parentItem()) || objets.count(l->enfantItem()))
                touches.insert(l);
    const LinkSet actuels(links_.begin(), links_.end());
    LinkSet out;
    switch (op) {
    case 1:
        for (ZEVLinkPair* l : actuels)
            if (touches.count(l))
                out.insert(l);
        break;
    case 2:
        out = actuels;
        out.insert(touches.begin(), touches.end());
        break;
    case 3:
        out = actuels;
        for (ZEVLinkPair* l : touches)
            out.erase(l);
        break;
    default:
        out = touches;
        break;
    }
    links_.assign(out.begin(), out.end());
    linkSelectionDidChange();
}

void ZEVSelections::selectLinkForLinkSet(const std::vector<ZEVLinkPair*>& links)
{
    LinkSet s;
    for (ZEVLinkPair* l : links)
        if (l)
            s.insert(l);
    links_.assign(s.begin(), s.end());
    linkSelectionDidChange();
}

std::vector<ZEVLinkPair*> ZEVSelections::linksBetween(const ItemSet& set)
{
    std::vector<ZEVLinkPair*> out;
    if (ZEVLinkClassServices* model = context_.linkClass())
        for (ZEVLinkPair* l : model->timeLineLinks())
            if (set.count(l->parentItem()) && set.count(l->enfantItem()))
                out.push_back(l);
    return out;
}

std::vector<ZEVLinkPair*> ZEVSelections::linksForFilterMode()
{
    return linksBetween(ItemSet(filters_.begin(), filters_.end()));
}

void ZEVSelections::deselectAllLinks()
{
    links_.clear();
    linkSelectionDidChange();
}

std::vector<ZEVLinkPair*> ZEVSelections::linksActifs(bool actif, bool now)
{
    std::vector<ZEVLinkPair*> out;
    ZEVLinkClassServices* model = context_.linkClass();
    const KELId canal = context_.currentChannelInt();
    for (ZEVLinkPair* l : links_) {
        KELI* parent = l->parentItem();
        if (!parent || parent->channelInt() != canal)
            continue;
        const bool a = model && (now ? model->isLinkActifNow(l) : model->isLinkActif(l));
        if (a == actif)
            out.push_back(l);
    }
    return out;
}

std::vector<ZEVLinkPair*> ZEVSelections::recallingNowSelectedLinkItems()
{
    if (!context_.siSearchActif())
        return {};
    return linksActifs(false, true);
}

// ---------------------------------------------------------------------------------------------
// Nodes

void ZEVSelections::reconstruireLesLiens()
{
    links_.clear();
    ZEVCursorDesk* desk = context_.actifDesk();
    if (!desk)
        return;
    LinkSet touches;
    for (KELI* node : nodeSet_)
        for (ZEVItemConnexion* c : desk->connexionsTouchingItem(node))
            if (ZEVLinkPair* l = lienDe(c))
                touches.insert(l);
    links_.assign(touches.begin(), touches.end());
}

void ZEVSelections::retirerNoeud(KELI* item)
{
    if (!nodeSet_.erase(item))
        return;
    ZEVCursorDesk* desk = context_.actifDesk();
    if (!desk)
        return;
    for (ZEVItemConnexion* c : desk->connexionsTouchingItem(item)) {
        ZEVLinkPair* l = lienDe(c);
        if (l && !nodeSet_.count(l->parentItem()) && !nodeSet_.count(l->enfantItem()))
            retirerLien(l);
    }
}

void ZEVSelections::selectNodeForItem(KELI* item)
{
    links_.clear();
    nodeSet_.clear();
    multiSelectNodeForItem(item);
    nodeSelectionDidChange();
}

void ZEVSelections::multiSelectNodeForItem(KELI* item)
{
    if (!item || nodeSet_.count(item))
        return;
    nodeSet_.insert(item);
    if (ZEVCursorDesk* desk = context_.actifDesk())
        for (ZEVItemConnexion* c : desk->connexionsTouchingItem(item))
            ajouterLien(lienDe(c));
    nodeSelectionDidChange();
}

void ZEVSelections::cmdSelectNodeForItem(KELI* item)
{
    if (isNodeSelectedForItem(item))
        deselectNodeForItem(item);
    else
        multiSelectNodeForItem(item);
}

void ZEVSelections::deselectNodeForItem(KELI* item)
{
    if (!item || !nodeSet_.count(item))
        return;
    retirerNoeud(item);
    nodeSelectionDidChange();
}

void ZEVSelections::deselectNodeForItems(const std::vector<KELI*>& items)
{
    for (KELI* o : items)
        if (o)
            retirerNoeud(o);
    nodeSelectionDidChange();
}

void ZEVSelections::deselectAllInFrontMode(int frontMode)
{
    switch (frontMode) {
    case ZEVFrontModeIcons:
        deselectAllIcons();
        break;
    case ZEVFrontModeTitles:
        deselectAllTitles();
        break;
    case ZEVFrontModeFilters:
        deselectAllFilters();
        break;
    case ZEVFrontModeLinks:
        deselectAllNodes();
        break;
    default:
        break;
    }
}

void ZEVSelections::deselectAllNodes()
{
    links_.clear();
    nodeSet_.clear();
    nodeSelectionDidChange();
}

void ZEVSelections::selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    ItemSet s(items.begin(), items.end());
    s.erase(nullptr);
    if (minus) {
        ItemSet set = combiner(nodeSet_, *minus, 3);
        set.insert(s.begin(), s.end());
        s = std::move(set);
    }
    nodeSet_ = std::move(s);
    reconstruireLesLiens();
    nodeSelectionDidChange();
}

void ZEVSelections::selectNodeForItemSet(const std::vector<KELI*>& items, int op)
{
    nodeSet_ = combiner(nodeSet_, items, op);
    reconstruireLesLiens();
    nodeSelectionDidChange();
}

bool ZEVSelections::reselectAllNodes()
{
    bool autre = false;
    const std::vector<KELI*> kept = duCanal(selectedNodeItemSet(), &autre);
    if (!autre)
        return false;
    selectNodeForItemSet(kept, nullptr);
    return true;
}

bool ZEVSelections::reselectSameNodes()
{
    const bool vide = nodeSet_.empty();
    bool remplace = false;
    const std::vector<KELI*> s = contreparties(selectedNodeItemSet(), &remplace);
    selectNodeForItemSet(s, nullptr);
    return vide || remplace;
}

} // namespace tallomer
