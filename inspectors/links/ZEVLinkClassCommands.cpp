// The Links model's commands: the temporal commands on pairs through the item class, open, Get
// Info, swap, delete, the finds by holder, and the row and lego menus with their actions.

#include "inspectors/links/ZEVLinkClass.h"

#include "look/KELSharedResources.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "platform/MenuText.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

#include <algorithm>
#include <unordered_set>

namespace tallomer {

namespace {

// Missing, downloading, held by the program, duplicating, copying, moving, in the cloud.
constexpr ZEVItemOption kShowOriginalRefused = 0xF02C;

std::vector<const ZEVLinkPair*> constantes(const std::vector<ZEVLinkPair*>& links)
{
    std::vector<const ZEVLinkPair*> out;
    for (const ZEVLinkPair* l : links)
        if (l && l->parentItem() && l->enfantItem())
            out.push_back(l);
    return out;
}

bool qualifie(ZEVLinkClass::Holder holder, std::uint64_t options)
{
    switch (holder) {
    case ZEVLinkClass::HeldByZev:
        return options & ZEVOPTION_HOLD_BY_ZEV;
    case ZEVLinkClass::HeldByZevFolder:
        return options & ZEVOPTION_HOLD_BY_ZEV_FOLDER;
    case ZEVLinkClass::HeldExternally:
        return options & ZEVOPTION_HOLD_BY_EXTERN;
    case ZEVLinkClass::HeldBySystem:
        return !(options & (ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_ZEV_FOLDER | ZEVOPTION_HOLD_BY_EXTERN));
    }
    return false;
}

void afficherLesInspecteurs(ZEVSpaceController& space)
{
    if (ZEVFrontViewerServices* f = space.frontViewer())
        f->displayAllInspectView();
}

} // namespace

void ZEVLinkClass::placerActif()
{
    KELICurseur* c = space_.actifCurseur();
    if (!c)
        return;
    KELIContexte* x = c->contexte();
    if (x)
        x->placeToiOut();
    c->placeToi();
    if (x)
        x->placeToiIn();
}

// ---- the temporal commands ----------------------------------------------------------------------

// Each command dates the Links of every row, or of none: a full disk that stopped it part way
// would leave some rows changed and the others not. The act ends before the panels redraw, so that
// they show what the store kept.

void ZEVLinkClass::recallNowLinks(const std::vector<ZEVLinkPair*>& links)
{
    if (ZEVItemClass* items = space_.itemClassForCurseur(space_.nowCurseur())) {
        const std::vector<const ZEVLinkPair*> paires = constantes(links);
        const KELServeurDeLiens::Acte acte(paires.size());
        if (acte.complet())
            items->recallLienConnexionForLinkObjects(paires);
    }
    afficherLesInspecteurs(space_);
}

void ZEVLinkClass::recallLinks(const std::vector<ZEVLinkPair*>& links)
{
    if (ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur())) {
        const std::vector<const ZEVLinkPair*> paires = constantes(links);
        const KELServeurDeLiens::Acte acte(paires.size());
        if (acte.complet())
            items->recallLienConnexionForLinkObjects(paires);
    }
    afficherLesInspecteurs(space_);
}

void ZEVLinkClass::retainLinks(const std::vector<ZEVLinkPair*>& links)
{
    if (ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur())) {
        const std::vector<const ZEVLinkPair*> paires = constantes(links);
        const KELServeurDeLiens::Acte acte(paires.size());
        if (acte.complet())
            for (const ZEVLinkPair* l : paires)
                items->retainLienConnexionWithParent(l->parentItem(), l->enfantItem());
    }
    afficherLesInspecteurs(space_);
}

void ZEVLinkClass::releaseLinks(const std::vector<ZEVLinkPair*>& links)
{
    if (ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur())) {
        const KELServeurDeLiens::Acte acte(0);
        if (acte.complet())
            items->releaseLienConnexionForLinkObjects(constantes(links));
    }
    placerActif();
    afficherLesInspecteurs(space_);
}

void ZEVLinkClass::forgetLinks(const std::vector<ZEVLinkPair*>& links)
{
    if (ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur())) {
        const KELServeurDeLiens::Acte acte(0);
        if (acte.complet())
            for (const ZEVLinkPair* l : constantes(links))
                items->forgetLienConnexionWithParent(l->parentItem(), l->enfantItem());
    }
    placerActif();
    afficherLesInspecteurs(space_);
}

// ---- the other commands -------------------------------------------------------------------------

void ZEVLinkClass::openLinksForFrontMode()
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!iv)
        return;
    for (KELI* o : itemsForFrontMode().value_or(std::vector<KELI*>()))
        iv->userOpenItem(o, false);
}

bool ZEVLinkClass::getInfoLinksForFrontMode()
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    const std::vector<KELI*> items = itemsForFrontMode().value_or(std::vector<KELI*>());
    if (!iv || items.empty())
        return false;
    for (KELI* o : items)
        iv->userGetInfoForItem(o);
    return true;
}

void ZEVLinkClass::swapForFrontMode()
{
    ZEVSelections& s = space_.selections();
    const int mode = frontMode();
    std::vector<ZEVLinkPair*> autres;
    for (ZEVLinkObject* r : linksExistants())
        if (!s.isLinkSelectedForLinkObject(r))
            autres.push_back(r);
    if (mode == ZEVFrontModeLinks) {
        s.selectLinkForLinkSet(autres);
        return;
    }
    if (mode < ZEVFrontModeIcons || mode > ZEVFrontModeFilters)
        return;
    const std::vector<KELI*>& choisis = mode == ZEVFrontModeIcons    ? s.selectedIconItems()
                                        : mode == ZEVFrontModeTitles ? s.selectedTitleItems()
                                                                     : s.selectedFilterItems();
    const std::unordered_set<KELI*> dedans(choisis.begin(), choisis.end());
    std::vector<KELI*> set;
    std::unordered_set<KELI*> vus;
    auto ajouter = [&](KELI* o) {
        if (o && vus.insert(o).second)
            set.push_back(o);
    };
    for (ZEVLinkPair* r : autres) {
        KELI* p = r->parentItem();
        KELI* c = r->enfantItem();
        if (p && dedans.count(p)) {
            ajouter(p);
            ajouter(c);
        }
        if (c && dedans.count(c)) {
            ajouter(c);
            ajouter(p);
        }
    }
    if (set.empty()) {
        Sound::shared().beep();
        return;
    }
    const std::vector<KELI*>* aucun = nullptr;
    if (mode == ZEVFrontModeIcons)
        s.selectIconForItemSet(set, aucun);
    else if (mode == ZEVFrontModeTitles)
        s.selectTitleForItemSet(set, aucun);
    else
        s.selectFilterForItemSet(set, aucun);
}

void ZEVLinkClass::supprimerPaires(const std::vector<std::pair<KELId, KELId>>& paires)
{
    KELICurseur* c = actif();
    if (!c || paires.empty())
        return;
    std::vector<KELI*> oublies;
    {
        // Every interval of every pair's direction goes, or none: a store that kept some (a full
        // disk) would hold a pair with holes in its history, or some of the pairs and not others.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return;
        for (const auto& [parentInt, enfantInt] : paires) {
            const KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(parentInt, KELRELATION_LINK_VIEWER);
            for (KELId id : ids.value_or(std::vector<KELId>())) {
                KELI* lien = KELServeurDeLiens::LienForInt(id, c);
                if (!lien) {
                    logFormat("ZEVLinkViewer WARNING - KELRELATION_LINK_VIEWER LienForInt:%ld not found !", long(id));
                    continue;
                }
                // Only this direction: the child's own links to the parent stay.
                if (lien->enfantInt() == enfantInt && !deskmodel::siOublie(lien)) {
                    KELServeurDeLiens::DegagerLien(lien, c);
                    oublies.push_back(lien);
                }
            }
        }
    }
    // The store kept none of it: the pairs stay, in the panel and on the desks.
    if (std::any_of(oublies.begin(), oublies.end(), [](const KELI* l) { return !deskmodel::siOublie(l); })) {
        logFormat("ZEVLinkClass: the Links of %zu pairs were not forgotten", paires.size());
        return;
    }
    for (const auto& [parentInt, enfantInt] : paires) {
        for (KELICurseur* k : {space_.nowCurseur(), space_.searchCurseur()})
            if (ZEVItemViewer* iv = space_.itemViewerForCurseur(k))
                iv->delConnexionsForParentIntEnfantInt(parentInt, enfantInt);
        delConnexionsForParentIntEnfantInt(parentInt, enfantInt);
    }
}

void ZEVLinkClass::deleteLinks(const std::vector<ZEVLinkPair*>& links)
{
    // The rows die with their pairs: their ids are read first.
    std::vector<std::pair<KELId, KELId>> paires;
    for (ZEVLinkPair* l : links)
        if (auto* r = dynamic_cast<ZEVLinkObject*>(l)) {
            paires.emplace_back(r->parentInt(), r->enfantInt());
            space_.selections().deselectLinkObject(r);
        }
    supprimerPaires(paires);
}

void ZEVLinkClass::findHeldWithOperation(Holder holder, int operation)
{
    const bool liens = frontMode() == ZEVFrontModeLinks;
    std::vector<int> rows;
    std::vector<KELI*> objets;
    std::unordered_set<KELI*> vus;
    auto ajouter = [&](KELI* o) {
        if (o && vus.insert(o).second)
            objets.push_back(o);
    };
    int i = 0;
    for (ZEVLinkObject* r : linksExistants()) {
        bool trouve = false;
        for (KELI* bout : {r->parentItem(), r->enfantItem()}) {
            if (!bout || !qualifie(holder, std::uint64_t(itemOptions(bout))))
                continue;
            trouve = true;
            ajouter(bout);
            // Outside Link mode a found end brings its pair's other end.
            if (!liens)
                ajouter(bout == r->parentItem() ? r->enfantItem() : r->parentItem());
        }
        if (trouve)
            rows.push_back(i);
        ++i;
    }
    ZEVSelections& s = space_.selections();
    switch (frontMode()) {
    case ZEVFrontModeIcons:
    case ZEVFrontModeFilters:
        s.selectIconForItemSet(objets, operation);
        break;
    case ZEVFrontModeTitles:
        s.selectTitleForItemSet(objets, operation);
        break;
    case ZEVFrontModeLinks:
        s.selectLinkForItemSet(objets, operation);
        break;
    default:
        break;
    }
    if (table_) {
        const bool avant = siAccepteMajSelectedRows();
        ZEVInspectClass::setSiAccepteMajSelectedRows(true);
        selectionnerRows(*table_, rows);
        ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
    }
    devant(objets);
    space_.addToHistory();
}

bool ZEVLinkClass::enableShowOriginalForItem(KELI* item)
{
    if (!item || (itemOptions(item) & kShowOriginalRefused))
        return false;
    return itemTypeForItem(item).value_or("") == "file";
}

// ---- the row menu -------------------------------------------------------------------------------

KELI* ZEVLinkClass::rightMenuObject() const
{
    ZEVLinkObject* r = rightMenuLink();
    if (!r)
        return nullptr;
    return siColonneEnfantDuMenu(rightColumn_) ? r->enfantItem() : r->parentItem();
}

QMenu* ZEVLinkClass::updateRowMenu(QMenu*, ZEVTableView& table, const ZEVTableElement& e)
{
    auto* r = static_cast<ZEVLinkObject*>(e.pair);
    if (!r)
        return nullptr;
    rightColumn_ = table.rightSelectedColumn();
    rightParentInt_ = r->parentInt();
    rightEnfantInt_ = r->enfantInt();
    KELI* x = rightMenuObject();
    setRightMenuItem(x);
    KELICurseur* c = actif();
    ZEVSelections& sel = space_.selections();
    // The Objects' titles go into item texts: each "&" in them shows.
    auto titre = [this](KELI* o) {
        return menuText(
            ZEVInspectMenus::headerTitle(o ? QString::fromStdString(itemTitleForItem(o).value_or("")) : QString()));
    };
    ZEVRowMenuState s;
    s.present = isLinkActifAt(r, c);
    s.presentNow = isLinkActifAt(r, space_.nowCurseur());
    s.nowActif = c && c == space_.nowCurseur();
    s.gotoSuffix = space_.durationString();
    s.frontMode = frontMode();
    s.iconSelected = isIconRowSelectedForItem(table, e);
    s.titleSelected = isTitleRowSelectedForItem(table, e);
    s.linkSelected = sel.isLinkSelectedForLinkObject(r);
    s.filterSelected = x && sel.isFilterSelectedForItem(x);
    s.moveTo = x && ZEVFrontClass::siMoveToForItem(x);
    s.moveToSpace = x && ZEVFrontClass::siMoveToSpaceForItem(x);
    s.copyTo = x && ZEVFrontClass::siCopyToForItem(x);
    s.copyToSpace = x && ZEVFrontClass::siCopyToSpaceForItem(x);
    s.showOriginal = enableShowOriginalForItem(x);
    s.duration = QString::fromStdString(durationStringForLegos(r->lienConnexions()));
    const KELSharedResources& res = space_.host().sharedResources();
    QMenu* m = menus_->rowMenu(table, s, &res);

    auto item = [m](long tag) { return ZEVMenuItemWithTag(m, tag); };
    if (QAction* a = item(ZEVRowTagHeader))
        a->setText(QStringLiteral("%1 \u2013 %2").arg(titre(r->parentItem()), titre(r->enfantItem())));
    // A pair is neither linked nor duplicated from here.
    for (long tag : {ZEVRowTagLinkWith, ZEVRowTagUnlinkWith, ZEVRowTagDuplicateTo, ZEVRowTagDuplicateToSpace})
        if (QAction* a = item(tag))
            a->setVisible(false);
    const QString filtre = QStringLiteral("Filter %1").arg(titre(x));
    if (QAction* a = item(ZEVRowTagFilter); a && s.frontMode >= ZEVFrontModeIcons && s.frontMode <= ZEVFrontModeLinks)
        a->setText(s.frontMode == ZEVFrontModeFilters ? filtre : QStringLiteral("     ") + filtre);
    if (QAction* a = item(ZEVRowTagOpenWith)) {
        a->setText(QStringLiteral("Open %1 With").arg(titre(x)));
        if (QMenu* sub = a->menu()) {
            sub->clear();
            if (ZEVItemViewerHost* host = ZEVItemViewer::Host(); host && x)
                host->fillOpenWithForItems(sub, {x});
            a->setEnabled(!sub->isEmpty());
        }
    }
    if (QAction* a = item(ZEVRowTagHandle)) {
        a->setText(QStringLiteral("Handle %1").arg(titre(x)));
        a->setIcon(QIcon(ZEVHolderImage(x ? std::uint64_t(itemOptions(x)) : 0, res)));
    }
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->majImageForEditionMenu2(m);
    return m;
}

QMenu* ZEVLinkClass::updateLegoMenu(QMenu*, ZEVTableView& table, KELI* lego)
{
    if (!lego)
        return nullptr;
    return menus_->legoMenu(table, lego, ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_LINK_VIEWER));
}

void ZEVLinkClass::deleteLego(KELI* lego, ZEVTableView& table)
{
    KELICurseur* c = actif();
    if (!lego || deskmodel::siOublie(lego) || !c)
        return;
    if (ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_LINK_VIEWER) != 1) {
        KELServeurDeLiens::DegagerLien(lego, c);
        table.viewport()->update();
        return;
    }
    if (!KELServeurDeLiens::LienForInt(lego->enfantInt(), c)) {
        logLine("ZEVLinkClass Error - deleteLego:inTableView:");
        return;
    }
    // The child's last link: the whole pair goes, as the Links panel's delete takes it.
    const KELId p = lego->parentInt();
    const KELId e = lego->enfantInt();
    if (ZEVLinkObject* r = rowForPair(p, e))
        space_.selections().deselectLinkObject(r);
    supprimerPaires({{p, e}});
    table.viewport()->update();
}

// ---- the row menu's actions ---------------------------------------------------------------------

void ZEVLinkClass::openSelectionInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!r || !iv)
        return;
    for (KELI* o : {r->parentItem(), r->enfantItem()})
        if (o)
            iv->userOpenItem(o, false);
}

void ZEVLinkClass::showOriginalInTableView(ZEVTableView&)
{
    KELI* x = rightMenuObject();
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()); x && iv)
        iv->userShowOriginalForItem(x);
}

void ZEVLinkClass::moveToInTableView(ZEVTableView&)
{
    if (KELI* x = rightMenuObject(); x && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->moveToForItem(x);
}

void ZEVLinkClass::moveToSpaceInTableView(ZEVTableView&)
{
    if (KELI* x = rightMenuObject(); x && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->moveToSpaceForItem(x);
}

void ZEVLinkClass::copyToInTableView(ZEVTableView&)
{
    if (KELI* x = rightMenuObject(); x && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->copyToForItem(x);
}

void ZEVLinkClass::copyToSpaceInTableView(ZEVTableView&)
{
    if (KELI* x = rightMenuObject(); x && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->copyToSpaceForItem(x);
}

void ZEVLinkClass::duplicateToInTableView(ZEVTableView&)
{
    if (KELI* x = rightMenuObject(); x && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->duplicateToForItems({x});
}

void ZEVLinkClass::duplicateToSpaceInTableView(ZEVTableView&)
{
    if (KELI* x = rightMenuObject(); x && ZEVFrontClass::shared())
        ZEVFrontClass::shared()->duplicateToSpaceForItems({x});
}

void ZEVLinkClass::releaseSelectionInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (r && iv && r->parentItem() && r->enfantItem())
        iv->userReleaseLinkWithItem(r->parentItem(), r->enfantItem());
}

void ZEVLinkClass::recallNowSelectionInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.nowCurseur());
    if (r && iv && r->parentItem() && r->enfantItem())
        iv->userRecallLinkWithItem(r->parentItem(), r->enfantItem());
}

void ZEVLinkClass::recallSelectionInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (r && iv && r->parentItem() && r->enfantItem())
        iv->userRecallLinkWithItem(r->parentItem(), r->enfantItem());
}

void ZEVLinkClass::forgetSelectionInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (r && iv && r->parentItem() && r->enfantItem())
        iv->userForgetLinkWithItem(r->parentItem(), r->enfantItem());
}

void ZEVLinkClass::retainSelectionInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (r && iv && r->parentItem() && r->enfantItem())
        iv->userRetainLinkWithItem(r->parentItem(), r->enfantItem());
}

void ZEVLinkClass::selectIconInTableView(ZEVTableView& table)
{
    ZEVLinkObject* r = rightMenuLink();
    if (!r || !r->parentItem() || !r->enfantItem())
        return;
    ZEVSelections& s = space_.selections();
    if (isIconRowSelectedForItem(table, ZEVTableElement{nullptr, r})) {
        s.deselectIconForItem(r->parentItem());
        s.deselectIconForItem(r->enfantItem());
    } else {
        s.multiSelectIconForItem(r->parentItem());
        s.multiSelectIconForItem(r->enfantItem());
    }
}

void ZEVLinkClass::selectTitleInTableView(ZEVTableView& table)
{
    ZEVLinkObject* r = rightMenuLink();
    if (!r || !r->parentItem() || !r->enfantItem())
        return;
    ZEVSelections& s = space_.selections();
    if (isTitleRowSelectedForItem(table, ZEVTableElement{nullptr, r})) {
        s.deselectTitleForItem(r->parentItem());
        s.deselectTitleForItem(r->enfantItem());
    } else {
        s.multiSelectTitleForItem(r->parentItem());
        s.multiSelectTitleForItem(r->enfantItem());
    }
}

void ZEVLinkClass::selectNodeInTableView(ZEVTableView&)
{
    ZEVLinkObject* r = rightMenuLink();
    if (!r)
        return;
    ZEVSelections& s = space_.selections();
    if (s.isLinkSelectedForLinkObject(r))
        s.deselectLinkObject(r);
    else
        s.multiSelectLinkObject(r);
    redessinerLeBureau();
}

void ZEVLinkClass::selectFilterInTableView(ZEVTableView&)
{
    KELI* x = rightMenuObject();
    if (!x)
        return;
    ZEVSelections& s = space_.selections();
    if (s.isFilterSelectedForItem(x))
        s.deselectFilterForItem(x);
    else
        s.multiSelectFilterForItem(x);
    redessinerLeBureau();
}

void ZEVLinkClass::paste(ZEVTableView&) { Sound::shared().beep(); }
void ZEVLinkClass::copy(ZEVTableView&) { Sound::shared().beep(); }
void ZEVLinkClass::cut(ZEVTableView&) { Sound::shared().beep(); }

} // namespace tallomer
