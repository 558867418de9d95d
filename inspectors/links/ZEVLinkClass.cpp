#include "inspectors/links/ZEVLinkClass.h"

#include "inspectors/core/ZEVFrontModeLists.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "services/ZEVCroisement.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVConstants.h"
#include "inspectors/table/ZEVTableView.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <unordered_set>

namespace tallomer {

namespace {

KELIElemRelation* relation(KELId id, KELICurseur* c)
{
    return c ? dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, c)) : nullptr;
}

// The distinct Objects of the pairs, in the order met.
std::vector<KELI*> objetsDes(const std::vector<ZEVLinkPair*>& links)
{
    std::vector<KELI*> out;
    std::unordered_set<KELI*> vus;
    out.reserve(links.size() * 2);
    for (ZEVLinkPair* l : links)
        for (KELI* o : {l->parentItem(), l->enfantItem()})
            if (o && vus.insert(o).second)
                out.push_back(o);
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// A row

ZEVLinkObject::ZEVLinkObject(KELI* lien)
    : parentInt_(lien->parentInt()), enfantInt_(lien->enfantInt()),
      parentItem_(KELServeurDeLiens::LienForInt(parentInt_, nullptr)),
      enfantItem_(KELServeurDeLiens::LienForInt(enfantInt_, nullptr))
{
    lienConnexions_.reserve(10);
    lienConnexions_.push_back(lien);
}

void ZEVLinkObject::ajouterLienConnexion(KELI* lien)
{
    if (lien && std::find(lienConnexions_.begin(), lienConnexions_.end(), lien) == lienConnexions_.end())
        lienConnexions_.push_back(lien);
}

void ZEVLinkObject::enleverLienConnexion(KELI* lien)
{
    std::erase(lienConnexions_, lien);
}

KELId ZEVLinkObject::channelInt() const
{
    if (siChannelLu_)
        return channelInt_;
    siChannelLu_ = true;
    if (parentItem_)
        channelInt_ = parentItem_->channelInt();
    if (channelInt_)
        return channelInt_;
    // The Object knows its Channel only from a placing link in memory; one that sits in the store
    // alone is read from there, without waking it, and the Object keeps it.
    for (KELId rel : {KELRELATION_ICON_VIEWER, KELRELATION_FILE_VIEWER, KELRELATION_PERSON_VIEWER, KELRELATION_BACK_VIEWER}) {
        const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(parentInt_, rel);
        if (!ids || ids->empty())
            continue;
        if (const std::unique_ptr<KELI> lien = KELServeurDeLiens::FetchLienInt(ids->front()))
            channelInt_ = lien->parentInt();
        break;
    }
    if (channelInt_ && parentItem_)
        parentItem_->setChannelInt(channelInt_);
    return channelInt_;
}

void ZEVLinkObject::setSiAjoute(bool oui)
{
    siAjouteCount_ = std::max<std::int64_t>(0, siAjouteCount_ + (oui ? 1 : -1));
    if (siAjouteCount_ == 0)
        siFuturCount_ = 0;
}

void ZEVLinkObject::setSiFutur(bool oui)
{
    siFuturCount_ = std::max<std::int64_t>(0, siFuturCount_ + (oui ? 1 : -1));
    if (siAjouteCount_ == 0)
        siFuturCount_ = 0;
}

// ---------------------------------------------------------------------------------------------
// The model

ZEVLinkClass::ZEVLinkClass(ZEVSpaceController& space, ZEVLinkClassDelegate* delegate)
    : ZEVInspectClass(space), defaults_(space.host().defaults()), tlCurseur_(space.tlCurseur()),
      tlContexte_(space.tlContexte()), delegate_(delegate), menus_(std::make_unique<ZEVInspectMenus>(nouns()))
{
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    actifCurseur_ = space.actifCurseur();
    menus_->onDeleteLego = [this](KELId id, ZEVTableView& table) {
        // Found again by id: an interval forgotten while its menu was open is simply gone.
        KELI* lego = KELServeurDeLiens::LienForInt(id, actif());
        if (lego && !deskmodel::siOublie(lego))
            deleteLego(lego, table);
    };
    itemTitleRelation_ = relation(KELRELATION_ITEM_TITLE, tlCurseur_);
    itemTypeRelation_ = relation(KELRELATION_ITEM_TYPE, tlCurseur_);
    itemIconNameRelation_ = relation(KELRELATION_ITEM_ICON, tlCurseur_);
    linkViewerRelation_ = relation(KELRELATION_LINK_VIEWER, tlCurseur_);
    parentConnexionsMap_.reserve(100);
    auto lire = [this](const char* cle, bool defaut, bool* champ) {
        const QString key = QString::fromLatin1(cle);
        QVariant v = defaults_.values(key);
        if (!v.isValid()) {
            v = defaut;
            defaults_.setValue(key, v);
        }
        *champ = v.toBool();
        tokens_.push_back(defaults_.observe(key, [champ](const QString&, const QVariant& nv) { *champ = nv.toBool(); }));
    };
    lire(kGotoRecallKey, true, &siRecallChanges_);
    lire(kGotoReleaseKey, false, &siReleaseChanges_);
}

ZEVLinkClass::~ZEVLinkClass()
{
    Scheduler::shared().cancelAll(this);
    for (DefaultsToken t : tokens_)
        defaults_.unobserve(t);
    if (siEnclenche_) {
        if (tlCurseur_)
            tlCurseur_->enleverLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
        if (tlContexte_)
            tlContexte_->enleverLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
    }
}

void ZEVLinkClass::initialiser()
{
    currentChannelInt_ = space_.currentChannelInt();
    linksExistantsMap_.reserve(space_.allIdentities().size() + 1);
    linksExistantsMap_[currentChannelInt_];
    if (!linkViewerRelation_ || !tlContexte_ || !tlCurseur_)
        return;
    const KELDate now = tlCurseur_->now();
    tlContexte_->placeToi();
    for (KELI* lien : linkViewerRelation_->liens(tlContexte_)) {
        ZEVLinkObject* row = linkForLienConnexion(lien);
        row->ajouterLienConnexion(lien);
        row->setSiAjoute(true);
        ajouterALaListe(row);
        if (tlCurseur_->siIncluLeLien(lien)) {
            row->setSiActif(true);
            row->setSiFutur(true);
        } else if (lien->inDate() > now) {
            row->setSiFutur(true);
        }
    }
}

void ZEVLinkClass::enclencherMaj()
{
    if (siEnclenche_ || !tlCurseur_ || !tlContexte_)
        return;
    siEnclenche_ = true;
    tlCurseur_->ajouterLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
    tlContexte_->ajouterLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
}

ZEVLinkObject* ZEVLinkClass::linkForLienConnexion(KELI* lien)
{
    if (!lien)
        return nullptr;
    auto& rows = parentConnexionsMap_[lien->parentInt()];
    ZEVLinkObject* row = nullptr;
    for (auto& r : rows)
        if (r->enfantInt() == lien->enfantInt()) {
            row = r.get();
            break;
        }
    if (!row) {
        if (rows.capacity() == 0)
            rows.reserve(10);
        rows.push_back(std::make_unique<ZEVLinkObject>(lien));
        row = rows.back().get();
        ++nbRows_;
    }
    // The walk of changes filters the link's events by this Channel.
    lien->setChannelInt(row->channelInt());
    return row;
}

ZEVLinkPair* ZEVLinkClass::linkForConnexion(const ZEVItemConnexion* connexion)
{
    if (!connexion)
        return nullptr;
    auto& rows = parentConnexionsMap_[connexion->parentInt()];
    for (auto& r : rows)
        if (r->enfantInt() == connexion->enfantInt())
            return r.get();
    if (!connexion->lienConnexion())
        return nullptr;
    rows.push_back(std::make_unique<ZEVLinkObject>(connexion->lienConnexion()));
    ++nbRows_;
    return rows.back().get();
}

void ZEVLinkClass::ajouterALaListe(ZEVLinkObject* row)
{
    if (row->listeChannel_)
        return;
    const KELId c = row->channelInt();
    if (!c)
        return;
    Liste& l = linksExistantsMap_[c];
    row->place_ = l.insert(l.end(), row);
    row->listeChannel_ = c;
}

void ZEVLinkClass::retirerDeLaListe(ZEVLinkObject* row)
{
    if (!row->listeChannel_)
        return;
    linksExistantsMap_[row->listeChannel_].erase(row->place_);
    row->listeChannel_ = 0;
}

const std::list<ZEVLinkObject*>& ZEVLinkClass::linksExistants() const
{
    static const Liste vide;
    auto it = linksExistantsMap_.find(currentChannelInt_);
    return it == linksExistantsMap_.end() ? vide : it->second;
}

std::vector<ZEVLinkPair*> ZEVLinkClass::timeLineLinks()
{
    const Liste& l = linksExistants();
    return std::vector<ZEVLinkPair*>(l.begin(), l.end());
}

void ZEVLinkClass::croisement(KELI* lien, KELICc* curseur, bool activation)
{
    ZEVLinkObject* row = linkForLienConnexion(lien);
    if (!row)
        return;
    const ZEVCroisement x = ZEVCroisement::DuLien(activation, curseur == tlCurseur_, lien->siCroisementFutur());
    ZEVAppliquerCroisement(*row, x);
    if (!x.duContexte())
        return;
    if (activation) {
        ajouterALaListe(row);
        row->ajouterLienConnexion(lien);
    } else {
        if (!row->siAjoute())
            retirerDeLaListe(row);
        row->enleverLienConnexion(lien);
    }
    if (delegate_)
        delegate_->moteurChangeLink();
}

void ZEVLinkClass::activationDuLien(KELI* lien, KELICc* curseur) { croisement(lien, curseur, true); }

void ZEVLinkClass::desactivationDuLien(KELI* lien, KELICc* curseur) { croisement(lien, curseur, false); }

void ZEVLinkClass::detruire(std::vector<std::unique_ptr<ZEVLinkObject>>& rows)
{
    if (rows.empty())
        return;
    std::vector<ZEVLinkPair*> partants;
    for (auto& r : rows) {
        partants.push_back(r.get());
        // A row no longer indexed is no longer listed either: nothing may point at it.
        retirerDeLaListe(r.get());
        for (KELI* l : r->lienConnexions())
            selectedLinkIndexSet_.erase(l->idInt());
    }
    space_.selections().oublierLinks(partants);
    // The table reads its rows where they stand: none may name a row that goes.
    const std::size_t avant = elements_.size();
    std::erase_if(elements_, [&partants](const ZEVTableElement& e) {
        return std::find(partants.begin(), partants.end(), e.pair) != partants.end();
    });
    if (elements_.size() != avant && table_)
        table_->reloadData();
    nbRows_ -= rows.size();
    rows.clear();
}

void ZEVLinkClass::delConnexionsForParentInt(KELId parentInt)
{
    auto it = parentConnexionsMap_.find(parentInt);
    if (it == parentConnexionsMap_.end())
        return;
    detruire(it->second);
    parentConnexionsMap_.erase(it);
}

void ZEVLinkClass::delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt)
{
    auto it = parentConnexionsMap_.find(parentInt);
    if (it == parentConnexionsMap_.end())
        return;
    std::vector<std::unique_ptr<ZEVLinkObject>> partants;
    auto& rows = it->second;
    for (auto r = rows.begin(); r != rows.end();)
        if ((*r)->enfantInt() == enfantInt) {
            partants.push_back(std::move(*r));
            r = rows.erase(r);
        } else {
            ++r;
        }
    detruire(partants);
    if (rows.empty())
        parentConnexionsMap_.erase(it);
}

void ZEVLinkClass::delConnexionsForEnfantInt(KELId enfantInt)
{
    // The rows are kept by parent: a child's are found by a walk, which only a deletion makes.
    std::vector<KELId> parents;
    for (const auto& [parent, rows] : parentConnexionsMap_)
        if (std::any_of(rows.begin(), rows.end(), [enfantInt](const auto& r) { return r->enfantInt() == enfantInt; }))
            parents.push_back(parent);
    for (KELId p : parents)
        delConnexionsForParentIntEnfantInt(p, enfantInt);
}

bool ZEVLinkClass::isLinkActif(const ZEVLinkPair* link)
{
    ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur());
    return link && items && items->lienConnexionWithParent(link->parentItem(), link->enfantItem()) != nullptr;
}

bool ZEVLinkClass::isLinkActifNow(const ZEVLinkPair* link)
{
    ZEVItemClass* items = space_.itemClassForCurseur(space_.nowCurseur());
    return link && items && items->lienConnexionWithParent(link->parentItem(), link->enfantItem()) != nullptr;
}

void ZEVLinkClass::channelDidChangeWithIdentityInt(KELId channelInt)
{
    // 0: the list of Channels changed, the current one stays.
    if (channelInt)
        currentChannelInt_ = channelInt;
    linksExistantsMap_[currentChannelInt_];
    reloadItems();
    majSelectedLinkIndexSet();
    actifCurseurDidChangeForCurseur(space_.actifCurseur());
}

void ZEVLinkClass::actifCurseurDidChangeForCurseur(KELICurseur* curseur) { actifCurseur_ = curseur; }

// ---------------------------------------------------------------------------------------------
// Selections by front mode

std::optional<std::vector<ZEVLinkPair*>> ZEVLinkClass::linksForFrontMode()
{
    ZEVSelections& s = space_.selections();
    switch (space_.frontViewer() ? space_.frontViewer()->frontMode() : ZEVFrontModeIcons) {
    case ZEVFrontModeIcons:
        return s.linksForIconMode();
    case ZEVFrontModeTitles:
        return s.linksForTitleMode();
    case ZEVFrontModeFilters:
        return s.linksForFilterMode();
    case ZEVFrontModeLinks:
        return s.selectedLinks();
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<KELI*>> ZEVLinkClass::itemsForIconMode() { return objetsDes(space_.selections().linksForIconMode()); }

std::optional<std::vector<KELI*>> ZEVLinkClass::itemsForFrontMode()
{
    ZEVSelections& s = space_.selections();
    switch (space_.frontViewer() ? space_.frontViewer()->frontMode() : ZEVFrontModeIcons) {
    case ZEVFrontModeIcons:
        return itemsForIconMode();
    case ZEVFrontModeTitles:
        return objetsDes(s.linksForTitleMode());
    case ZEVFrontModeFilters:
        return s.selectedFilterItems();
    case ZEVFrontModeLinks:
        return objetsDes(s.selectedLinks());
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<KELI*>> ZEVLinkClass::moveToItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::MoveTo);
}
std::optional<std::vector<KELI*>> ZEVLinkClass::moveToSpaceItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::MoveToSpace);
}
std::optional<std::vector<KELI*>> ZEVLinkClass::copyToItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::CopyTo);
}
std::optional<std::vector<KELI*>> ZEVLinkClass::copyToSpaceItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::CopyToSpace);
}
std::optional<std::vector<KELI*>> ZEVLinkClass::duplicateToItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::DuplicateTo);
}

void ZEVLinkClass::majSelectedLinkIndexSet()
{
    selectedLinkIndexSet_.clear();
    if (const auto links = linksForFrontMode())
        for (ZEVLinkPair* l : *links)
            if (auto* row = dynamic_cast<ZEVLinkObject*>(l))
                for (KELI* lien : row->lienConnexions())
                    selectedLinkIndexSet_.insert(lien->idInt());
}

// ---------------------------------------------------------------------------------------------
// Words

std::optional<std::string> ZEVLinkClass::motDe(KELIElemRelation* rel, KELI* item, KELICc* curseurDuMot)
{
    KELICurseur* actif = actifCurseur_ ? actifCurseur_ : space_.actifCurseur();
    if (!rel || !item || !actif)
        return std::nullopt;
    const std::vector<KELI*>* liens = rel->liensDuParent(item, actif);
    if (!liens || liens->empty())
        return std::nullopt;
    KELI* mot = liens->front()->enfant(curseurDuMot ? curseurDuMot : actif);
    const KELValue v = mot ? mot->base() : KELValue{};
    const auto* s = std::get_if<std::string>(&v);
    return s ? std::optional<std::string>(*s) : std::nullopt;
}

std::optional<std::string> ZEVLinkClass::itemIconForItem(KELI* item) { return motDe(itemIconNameRelation_, item, tlCurseur_); }
std::optional<std::string> ZEVLinkClass::itemTitleForItem(KELI* item) { return motDe(itemTitleRelation_, item, nullptr); }
std::optional<std::string> ZEVLinkClass::itemTypeForItem(KELI* item) { return motDe(itemTypeRelation_, item, nullptr); }

// ---------------------------------------------------------------------------------------------
// The walk of link changes

ZEVChangeWalk ZEVLinkClass::walk() const
{
    ZEVChangeWalk w;
    if (siRecallChanges_)
        w.kinds.push_back({KELRELATION_LINK_VIEWER, false, true, currentChannelInt_, {}});
    if (siReleaseChanges_)
        w.kinds.push_back({KELRELATION_LINK_VIEWER, true, true, currentChannelInt_, {}});
    w.liens = &selectedLinkIndexSet_;
    w.zeroSansGagnant = true;
    return w;
}

KELDate ZEVLinkClass::previousDate()
{
    const ZEVChangeWalk w = walk();
    return w.kinds.empty() ? 0.0 : ZEVChangeWalker::previousDate(actifCurseur_ ? actifCurseur_ : space_.actifCurseur(), w);
}

KELDate ZEVLinkClass::nextDate()
{
    const ZEVChangeWalk w = walk();
    return w.kinds.empty() ? 0.0 : ZEVChangeWalker::nextDate(actifCurseur_ ? actifCurseur_ : space_.actifCurseur(), w);
}

} // namespace tallomer
