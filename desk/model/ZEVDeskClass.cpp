#include "desk/model/ZEVDeskClass.h"

#include "desk/model/ZEVNewInterval.h"
#include "services/ZEVDeskViewerForDeskModels.h"

#include "desk/model/ZEVDeskIds.h"
#include "services/ZEVSpaceForDeskModels.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "services/ZEVInspectorServices.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

using deskmodel::fetch;

namespace {

// An icon's place is four numbers (x, y, size, angle), each maybe new (its value and its
// element) and each with its link.
constexpr std::size_t kNombresDUnePlace = 4;
constexpr std::size_t kLiensDUnePlace = 2 * kNombresDUnePlace;

double valeurDuNombre(KELI* lien, KELICc* fenetre)
{
    KELI* n = lien ? lien->enfant(fenetre) : nullptr;
    if (!n)
        return 0;
    const KELValue v = n->base();
    const auto* d = std::get_if<double>(&v);
    return d ? *d : 0;
}

std::optional<std::string> valeurDuMot(KELI* lien, KELICc* fenetre)
{
    KELI* m = lien ? lien->enfant(fenetre) : nullptr;
    if (!m)
        return std::nullopt;
    const KELValue v = m->base();
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    return std::nullopt;
}

// The parent's links of a relation in a window, by ascending in-date; the first or the last.
KELI* lienDansLaFenetre(KELIElemRelation* relation, KELI* parent, KELICc* fenetre, bool premier)
{
    if (!relation || !parent || !fenetre)
        return nullptr;
    const std::vector<KELI*>* liens = relation->liensDuParent(parent, fenetre);
    if (!liens || liens->empty())
        return nullptr;
    auto parIn = [](const KELI* a, const KELI* b) { return a->inDate() < b->inDate(); };
    return premier ? *std::min_element(liens->begin(), liens->end(), parIn)
                   : *std::max_element(liens->begin(), liens->end(), [&](const KELI* a, const KELI* b) {
                         return !parIn(b, a); // the last of equal in-dates, as a stable sort would give
                     });
}

// A first icon link later than the date; forgotten rows (which sort last) count as none.
KELI* premierIconeApres(KELId item, KELDate date, KELICc* curseur)
{
    const KELId id = KELServeurDeLiens::FirstLienNumDeRelIntEnfantIntApresDate(KELRELATION_ICON_VIEWER, item, date);
    KELI* lien = id ? KELServeurDeLiens::LienForInt(id, curseur) : nullptr;
    return deskmodel::siOublie(lien) ? nullptr : lien;
}

} // namespace

ZEVDeskClass::ZEVDeskClass(KELICurseur* curseur, ZEVSpaceForDeskModels* space) : curseur_(curseur), space_(space)
{
    KELICurseur* tl = deskmodel::timelineCurseur(space_);
    nombreModel_ = fetch<KELIModel>(KELMODEL_NOMBRE, tl);
    motModel_ = fetch<KELIModel>(KELMODEL_MOT, tl);
    iconRelation_ = fetch<KELIElemRelation>(KELRELATION_ICON_VIEWER, tl);
    xRelation_ = fetch<KELIElemRelation>(KELRELATION_ICON_RATIO_X, tl);
    yRelation_ = fetch<KELIElemRelation>(KELRELATION_ICON_RATIO_Y, tl);
    sRelation_ = fetch<KELIElemRelation>(KELRELATION_ICON_RATIO_S, tl);
    angleRelation_ = fetch<KELIElemRelation>(KELRELATION_ICON_ANGLE, tl);
    titleRelation_ = fetch<KELIElemRelation>(KELRELATION_ITEM_TITLE, tl);
    typeRelation_ = fetch<KELIElemRelation>(KELRELATION_ITEM_TYPE, tl);
    if (!valide())
        return;
    nombreModel_->elements(curseur_);
    motModel_->elements(curseur_);
    for (KELIElemRelation* r :
         {iconRelation_, xRelation_, yRelation_, sRelation_, angleRelation_, titleRelation_, typeRelation_})
        r->liens(curseur_);
}

namespace {
struct Inscription {
    bool siContexte;
    KELId relation;
};
// Both the cursor and its context watch the icons, the geometry and the titles.
constexpr Inscription kInscriptions[] = {
    {true, KELRELATION_ICON_VIEWER},   {false, KELRELATION_ICON_VIEWER}, {false, KELRELATION_ICON_RATIO_X},
    {false, KELRELATION_ICON_RATIO_Y}, {false, KELRELATION_ICON_RATIO_S}, {false, KELRELATION_ICON_ANGLE},
    {true, KELRELATION_ICON_RATIO_X},  {true, KELRELATION_ICON_RATIO_Y},  {true, KELRELATION_ICON_RATIO_S},
    {true, KELRELATION_ICON_ANGLE},    {true, KELRELATION_ITEM_TITLE},    {false, KELRELATION_ITEM_TITLE},
};
} // namespace

ZEVDeskClass::~ZEVDeskClass()
{
    if (!siEnclenche_)
        return;
    KELIContexte* c = curseur_->contexte();
    for (const Inscription& i : kInscriptions) {
        if (i.siContexte && c)
            c->enleverLeDelegueDeMaj(this, i.relation);
        else if (!i.siContexte)
            curseur_->enleverLeDelegueDeMaj(this, i.relation);
    }
}

bool ZEVDeskClass::valide() const
{
    return curseur_ && nombreModel_ && motModel_ && iconRelation_ && xRelation_ && yRelation_ && sRelation_ &&
           angleRelation_ && titleRelation_ && typeRelation_;
}

KELICc* ZEVDeskClass::contexte() const { return curseur_ ? curseur_->fenetre() : nullptr; }

void ZEVDeskClass::enclencherMaj()
{
    if (!curseur_ || siEnclenche_)
        return;
    siEnclenche_ = true;
    KELIContexte* c = curseur_->contexte();
    for (const Inscription& i : kInscriptions) {
        if (i.siContexte && c)
            c->ajouterLeDelegueDeMaj(this, i.relation);
        else if (!i.siContexte)
            curseur_->ajouterLeDelegueDeMaj(this, i.relation);
    }
}

void ZEVDeskClass::initialiser()
{
    if (!valide())
        return;
    if (KELIContexte* c = curseur_->contexte())
        c->placeToi();
    const KELDate date = curseur_->placeToi();
    if (!deskViewer_)
        return;
    for (KELI* icone : iconRelation_->liens(contexte()))
        deskViewer_->initItemViewAvecIcon(icone, date);
    deskViewer_->initMajItemViews();
}

ZEVDeskGeometry& ZEVDeskClass::geometrie()
{
    if (space_)
        if (ZEVDeskGeometry* g = space_->deskGeometry())
            return *g;
    return geometrieParDefaut_;
}

// ---- Reads

ZEVIconPosition ZEVDeskClass::placeLue(const ZEVDeskGeometry& g, float x, float y, float s, float angle)
{
    ZEVIconPosition p;
    p.x = g.xForBaseNum(x);
    p.y = g.yForBaseNum(y);
    p.size = g.sForBaseNum(s);
    p.angle = angle;
    p.stored = {true, p.x, p.y, p.size, x, y, s};
    return p;
}

ZEVDeskClass::Nombres ZEVDeskClass::nombresPour(const ZEVDeskGeometry& g, const ZEVIconPosition& p,
                                                const ZEVIconPosition* avant)
{
    using S = ZEVIconPosition::Stored;
    const S* e = avant && avant->stored.known ? &avant->stored : nullptr;
    auto nombre = [&p, e](double v, double S::*lu, float S::*num, float converti) {
        if (p.stored.known && v == p.stored.*lu)
            return p.stored.*num;
        if (e && v == e->*lu)
            return e->*num;
        return converti;
    };
    return {nombre(p.x, &S::x, &S::numX, g.baseNumForX(p.x)), nombre(p.y, &S::y, &S::numY, g.baseNumForY(p.y)),
            nombre(p.size, &S::size, &S::numS, g.baseNumForS(tailleArrondie(p.size))), static_cast<float>(p.angle)};
}

ZEVIconPosition ZEVDeskClass::rectCurseurForItem(KELI* item)
{
    if (!valide() || !item)
        return {};
    ZEVDeskGeometry& g = geometrie();
    auto lire = [&](KELIElemRelation* r) {
        return static_cast<float>(valeurDuNombre(deskmodel::premierLienDuParent(r, item, curseur_), curseur_));
    };
    return placeLue(g, lire(xRelation_), lire(yRelation_), lire(sRelation_), lire(angleRelation_));
}

ZEVIconPosition ZEVDeskClass::positionDansLaFenetre(KELI* item, bool premier)
{
    if (!valide() || !item)
        return {};
    ZEVDeskGeometry& g = geometrie();
    KELICc* f = contexte();
    auto lire = [&](KELIElemRelation* r) {
        return static_cast<float>(valeurDuNombre(lienDansLaFenetre(r, item, f, premier), f));
    };
    return placeLue(g, lire(xRelation_), lire(yRelation_), lire(sRelation_), lire(angleRelation_));
}

ZEVIconPosition ZEVDeskClass::rectContexteInForItem(KELI* item) { return positionDansLaFenetre(item, true); }
ZEVIconPosition ZEVDeskClass::rectContexteOutForItem(KELI* item) { return positionDansLaFenetre(item, false); }

std::optional<std::string> ZEVDeskClass::itemTitleCurseurForItem(KELI* item)
{
    return valeurDuMot(deskmodel::premierLienDuParent(titleRelation_, item, curseur_), curseur_);
}

std::optional<std::string> ZEVDeskClass::titreDansLaFenetre(KELI* item, bool premier)
{
    KELICc* f = contexte();
    return valeurDuMot(lienDansLaFenetre(titleRelation_, item, f, premier), f);
}

std::optional<std::string> ZEVDeskClass::itemTitleContexteInForItem(KELI* item) { return titreDansLaFenetre(item, true); }
std::optional<std::string> ZEVDeskClass::itemTitleContexteOutForItem(KELI* item)
{
    return titreDansLaFenetre(item, false);
}

std::optional<std::string> ZEVDeskClass::itemTypeForItem(KELI* item)
{
    return valeurDuMot(deskmodel::premierLienDuParent(typeRelation_, item, curseur_), curseur_);
}

std::vector<KELI*> ZEVDeskClass::liensForIconViewerRelation()
{
    return iconRelation_ && curseur_ ? iconRelation_->liens(curseur_) : std::vector<KELI*>{};
}

std::vector<KELI*> ZEVDeskClass::itemsForIconViewerRelation()
{
    std::vector<KELI*> out;
    KELI* canal = space_ ? space_->identity() : nullptr;
    if (!canal || !iconRelation_ || !curseur_)
        return out;
    if (const std::vector<KELI*>* liens = iconRelation_->liensDuParent(canal, curseur_))
        for (KELI* l : *liens)
            if (KELI* item = l->enfant(curseur_))
                out.push_back(item);
    return out;
}

KELI* ZEVDeskClass::premierIconeActif(KELI* item)
{
    if (!item || !iconRelation_ || !curseur_)
        return nullptr;
    const std::vector<KELI*>* liens = iconRelation_->liensDeLEnfant(item, curseur_);
    return liens && !liens->empty() ? liens->front() : nullptr;
}

bool ZEVDeskClass::siIconExisteForItem(KELI* item) { return premierIconeActif(item) != nullptr; }

// ---- Changes

KELI* ZEVDeskClass::canalDeLItem(KELI* item)
{
    const KELId id = item ? item->channelInt() : 0;
    if (!id)
        return nullptr;
    if (space_)
        return space_->channelForIdentityInt(id);
    return KELServeurDeLiens::LienForInt(id, deskmodel::timelineCurseur(nullptr));
}

KELI* ZEVDeskClass::draggingLego() const
{
    ZEVLegoSource* table = space_ ? space_->frontSelectionTable() : nullptr;
    return table ? table->draggingLego() : nullptr;
}

KELDate ZEVDeskClass::finDeLEspace(KELDate date)
{
    if (!space_)
        return KELDateOuverte;
    return space_->siGoToMode() ? space_->spaceOutTimeForGoToTime(date, curseur_)
                                : space_->spaceOutTimeForCurseur(curseur_);
}

ZEVIconPosition ZEVDeskClass::positionParDefaut()
{
    if (!space_)
        return {};
    const QRectF r = geometrie().nextIconDefaultPosition();
    return {r.x(), r.y(), r.width(), r.height()};
}

KELI* ZEVDeskClass::creerIconForItem(KELI* item, KELDate inDate, KELDate outDate)
{
    KELI* canal = canalDeLItem(item);
    if (!item || !canal || !curseur_) {
        logFormat("ZEVDeskClass ERROR - no Channel for Object %ld", item ? static_cast<long>(item->idInt()) : 0L);
        return nullptr;
    }
    if (!(inDate < outDate)) {
        logFormat("ZEVDeskClass ERROR - empty icon span for Object %ld", static_cast<long>(item->idInt()));
        return nullptr;
    }
    return KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER, canal, item, inDate, outDate, curseur_);
}

KELI* ZEVDeskClass::nombre(double valeur)
{
    auto* m = dynamic_cast<KELIModelNombre*>(nombreModel_);
    return m ? m->ajouterLeNombre(valeur, curseur_) : nullptr;
}

KELI* ZEVDeskClass::mot(const std::string& texte)
{
    auto* m = dynamic_cast<KELIModelMot*>(motModel_);
    return m ? m->ajouterLeMot(texte, curseur_) : nullptr;
}

KELI* ZEVDeskClass::changerAttribut(KELI* item, KELId relation, KELI* valeur, KELDate date, bool siToujoursQuandAucun)
{
    if (!item || !valeur || !curseur_)
        return nullptr;
    KELI* valide = nullptr;
    KELDate suivant = KELDateOuverte;
    bool siAucun = true;
    if (KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(item->idInt(), relation)) {
        for (KELId id : *ids) {
            KELI* l = KELServeurDeLiens::LienForInt(id, curseur_);
            if (deskmodel::siOublie(l))
                continue;
            siAucun = false;
            if (l->inDate() <= date && date < l->outDate()) {
                if (!valide || l->inDate() > valide->inDate())
                    valide = l;
            } else if (l->inDate() > date) {
                suivant = std::min(suivant, l->inDate());
            }
        }
    }
    KELDate debut = date;
    if (siAucun && siToujoursQuandAucun)
        debut = KELDateToujours;
    if (valide)
        valide->placeOutDate(date, curseur_);
    if (!(debut < suivant))
        return nullptr;
    return KELServeurDeLiens::CreerLienRelInt(relation, item, valeur, debut, suivant, curseur_);
}

void ZEVDeskClass::creerIconAttributsForItem(KELI* item, const ZEVIconPosition& p)
{
    if (!valide() || !item)
        return;
    const ZEVDeskGeometry& g = geometrie();
    const ZEVIconPosition::Stored& d = p.stored;
    // The size as given (a new icon's), unless it is the one read from the store.
    const Nombres n = nombresPour(g, p);
    const std::pair<KELId, double> attributs[] = {
        {KELRELATION_ICON_RATIO_X, n.x},
        {KELRELATION_ICON_RATIO_Y, n.y},
        {KELRELATION_ICON_RATIO_S, d.known && p.size == d.size ? d.numS : g.baseNumForS(p.size)},
        {KELRELATION_ICON_ANGLE, n.angle},
    };
    // Over all time for an Object placed the first time; an Object that already has a place gets
    // the new one from the cursor's date on, so that one value holds at any moment.
    const KELDate date = curseur_->now();
    for (const auto& [rel, v] : attributs)
        changerAttribut(item, rel, nombre(v), date, true);
}

void ZEVDeskClass::releaseIconForItems(const std::vector<KELI*>& items, KELDate date)
{
    for (KELI* item : items) {
        KELI* icone = premierIconeActif(item);
        // An icon that ended before the date stays as it is; none ends before it began.
        if (icone && date < icone->outDate())
            icone->placeOutDate(std::max(date, icone->inDate()), curseur_);
    }
}

void ZEVDeskClass::releaseIconForItem(KELI* item)
{
    if (curseur_)
        releaseIconForItems({item}, curseur_->now());
}

void ZEVDeskClass::releaseIconForItems(const std::vector<KELI*>& items)
{
    if (curseur_)
        releaseIconForItems(items, curseur_->now());
}

void ZEVDeskClass::forgetIconForItems(const std::vector<KELI*>& items)
{
    if (!curseur_)
        return;
    const KELDate now = curseur_->now();
    for (KELI* item : items) {
        KELI* icone = premierIconeActif(item);
        if (icone && now > icone->inDate())
            icone->placeInDate(std::min(now, icone->outDate()), curseur_);
    }
}

void ZEVDeskClass::forgetIconForItem(KELI* item) { forgetIconForItems({item}); }

void ZEVDeskClass::recallIconForItem(KELI* item, KELDate date)
{
    if (!valide() || !item || siIconExisteForItem(item))
        return;
    KELI* suivant = premierIconeApres(item->idInt(), date, curseur_);
    const KELDate fin = finDeLEspace(date);
    if (suivant) {
        creerIconForItem(item, date, std::min(suivant->inDate(), fin));
    } else if (KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
        creerIconForItem(item, date, fin);
    } else if (deskViewer_) {
        deskViewer_->creerIconForItem(item, positionParDefaut(), date, fin, 1.0f);
    } else {
        creerIconAttributsForItem(item, positionParDefaut());
        creerIconForItem(item, date, fin);
    }
}

ZEVDeskClass::NextIcons ZEVDeskClass::nextIconsAfter(KELDate date)
{
    return KELServeurDeLiens::FirstLiensNumDeRelIntApresDateParEnfant(KELRELATION_ICON_VIEWER, date);
}

bool ZEVDeskClass::recallIconForItem(KELI* item, KELDate date, const ZEVIconPosition& nouvelle,
                                     const ZEVIconPosition& ancienne)
{
    return recallIconForItem(item, date, nouvelle, ancienne, nullptr);
}

bool ZEVDeskClass::recallIconForItem(KELI* item, KELDate date, const ZEVIconPosition& nouvelle,
                                     const ZEVIconPosition& ancienne, const NextIcons* next)
{
    if (!valide() || !item || siIconExisteForItem(item))
        return false;
    KELI* suivant = nullptr;
    if (!next) {
        suivant = premierIconeApres(item->idInt(), date, curseur_);
    } else if (const auto it = next->find(item->idInt()); it != next->end()) {
        KELI* lien = KELServeurDeLiens::LienForInt(it->second, curseur_);
        suivant = deskmodel::siOublie(lien) ? nullptr : lien;
    }
    KELI* canal = space_ ? space_->identity() : canalDeLItem(item);
    const bool goTo = space_ && space_->siGoToMode();
    const ZEVInterval i = ZEVNewIntervalForDate(date, draggingLego(), goTo,
                                                goTo ? space_->spaceOutTimeForGoToTime(date, curseur_) : KELDateOuverte,
                                                space_ ? space_->spaceOutTimeForCurseur(curseur_) : KELDateOuverte);
    const KELDate debut = i.in;
    KELDate fin = i.out;
    // The desk's own rule: an icon ends where the Object's next icon on the desk begins.
    if (suivant)
        fin = std::min(suivant->inDate(), fin);
    if (!canal || !(debut < fin)) {
        logFormat("ZEVDeskClass ERROR - icon of Object %ld not recalled", static_cast<long>(item->idInt()));
        return false;
    }
    KELI* icone = nullptr;
    {
        // The icon and its place come back together, or an icon recalled to a place would stand
        // where it was before.
        const KELServeurDeLiens::Acte acte(1);
        if (!acte.complet())
            return false;
        icone = KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER, canal, item, debut, fin, curseur_);
        if (!icone)
            return false;
        updatePosition(nouvelle, ancienne, item, debut);
    }
    return !KELServeurDeLiens::Perdu(icone);
}

void ZEVDeskClass::retainAt(KELI* item, KELDate date, Decalage* decalage)
{
    if (!item || siIconExisteForItem(item))
        return;
    KELI* canal = canalDeLItem(item);
    const KELId precedentId = canal ? KELServeurDeLiens::LastLienNumDeRelNumParentNumEnfantNumAvantDate(
                                          KELRELATION_ICON_VIEWER, canal->idInt(), item->idInt(), date)
                                    : 0;
    if (KELI* precedent = precedentId ? KELServeurDeLiens::LienForInt(precedentId, curseur_) : nullptr) {
        precedent->setChannelInt(canal->idInt());
        precedent->placeOutDate(date, curseur_);
        return;
    }
    if (premierIconeApres(item->idInt(), date, curseur_)) {
        creerIconForItem(item, KELDateToujours, date);
        return;
    }
    ZEVIconPosition p = positionParDefaut();
    if (decalage) {
        p = {p.x + decalage->k, p.y, decalage->tailleDefaut, 0};
        decalage->k = std::trunc(decalage->k + decalage->pas);
    }
    if (deskViewer_) {
        deskViewer_->creerIconForItem(item, p, KELDateToujours, date, 1.0f);
    } else {
        creerIconAttributsForItem(item, p);
        creerIconForItem(item, KELDateToujours, date);
    }
}

void ZEVDeskClass::retainIconForItem(KELI* item)
{
    if (valide())
        retainAt(item, curseur_->placeToi(), nullptr);
}

void ZEVDeskClass::retainIconForItems(const std::vector<KELI*>& items)
{
    if (!valide())
        return;
    const KELDate date = curseur_->placeToi();
    Decalage decalage;
    decalage.tailleDefaut = geometrie().spaceRatioDefaultSize();
    decalage.pas = geometrie().spaceRatioDropShift();
    for (KELI* item : items)
        retainAt(item, date, &decalage);
}

double ZEVDeskClass::tailleArrondie(double size)
{
    return static_cast<double>(std::round(static_cast<float>(2.0 * size))) * 0.5;
}

bool ZEVDeskClass::updatePosition(const ZEVIconPosition& nouvelle, const ZEVIconPosition& ancienne, KELI* item)
{
    return valide() && updatePosition(nouvelle, ancienne, item, curseur_->placeToi());
}

bool ZEVDeskClass::updatePosition(const ZEVIconPosition& nouvelle, const ZEVIconPosition& ancienne, KELI* item,
                                  KELDate date)
{
    if (!valide() || !item)
        return false;
    const ZEVDeskGeometry& g = geometrie();
    // Compared as stored: two places a point apart may be one number, and two numbers one point.
    const Nombres n = nombresPour(g, nouvelle, &ancienne);
    const Nombres a = nombresPour(g, ancienne);
    const std::pair<KELIElemRelation*, std::pair<float, float>> attributs[] = {
        {xRelation_, {n.x, a.x}},
        {yRelation_, {n.y, a.y}},
        {sRelation_, {n.s, a.s}},
        {angleRelation_, {n.angle, a.angle}},
    };
    // A move ends the old places where it begins the new ones: all four or none, or the icon
    // would be left without the place that found no room.
    std::vector<KELI*> faits;
    {
        const KELServeurDeLiens::Acte acte(kLiensDUnePlace, 0, kNombresDUnePlace);
        if (!acte.complet())
            return false;
        for (const auto& [relation, valeurs] : attributs) {
            const bool siActif = deskmodel::premierLienDuParent(relation, item, curseur_) != nullptr;
            if (siActif && valeurs.first == valeurs.second) // a NaN never equals: it counts as a change
                continue;
            if (KELI* fait = changerAttribut(item, relation->idInt(), nombre(valeurs.first), date, true))
                faits.push_back(fait);
        }
    }
    return std::none_of(faits.begin(), faits.end(), [](const KELI* l) { return KELServeurDeLiens::Perdu(l); });
}

bool ZEVDeskClass::updateItemTitle(const std::string& title, KELI* item)
{
    return curseur_ && updateItemTitle(title, item, curseur_->now());
}

bool ZEVDeskClass::updateItemTitle(const std::string& title, KELI* item, KELDate date)
{
    if (!valide() || !item)
        return false;
    KELI* fait = nullptr;
    {
        // The old title's end and the new title (its word may be new): both or neither, or the
        // Object would be left without a title from the date on.
        const KELServeurDeLiens::Acte acte(2, 1);
        if (!acte.complet())
            return false;
        fait = changerAttribut(item, KELRELATION_ITEM_TITLE, mot(title), date, false);
    }
    return !KELServeurDeLiens::Perdu(fait);
}

void ZEVDeskClass::updateSpaceTitle(const std::string& title, KELI* item)
{
    if (!valide() || !item)
        return;
    // The old title's end and the new title: both or neither, or the Space could be left nameless.
    KELServeurDeLiens::Acte acte(1, 1);
    if (!acte.complet())
        return;
    KELI* valeur = mot(title);
    KELI* ancien = deskmodel::premierLienDuParent(titleRelation_, item, curseur_);
    if (!ancien || !valeur) {
        logFormat("ZEVDeskClass ERROR - no title for Object %ld", static_cast<long>(item->idInt()));
        return;
    }
    const KELDate fin = KELServeurDeLiens::OutDateDuLienParent(ancien);
    const KELDate debut = ancien->inDate();
    KELServeurDeLiens::DegagerLien(ancien, curseur_);
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM_TITLE, item, valeur, debut, fin, curseur_);
}

// ---- Update delegate

namespace {

// The icon link of the Object crossed the cursor or its context; notices heard elsewhere are not
// this desk's.
void relayerCroisement(ZEVDeskViewerForDeskModels* viewer, KELICurseur* curseur, KELI* item, KELI* lien, KELICc* c,
                       bool activation)
{
    if (c == curseur || (c && c == curseur->contexte()))
        viewer->moteurCroisementItem(item, ZEVCroisement::DuLien(activation, c == curseur, lien->siCroisementFutur()));
}

} // namespace

// A geometry or title link of an Object came or went: its view is refreshed.
void ZEVDeskClass::attributChange(KELI* lien, KELICc* c)
{
    if (lien->outDate() <= lien->inDate() || !deskViewer_)
        return;
    if (KELI* item = lien->parent(c))
        lien->relationInt() == KELRELATION_ITEM_TITLE ? deskViewer_->moteurChangeItemTitleForItem(item)
                                                      : deskViewer_->moteurChangeItemViewForItem(item);
}

void ZEVDeskClass::activationDuLien(KELI* lien, KELICc* c)
{
    if (!lien)
        return;
    if (lien->relationInt() != KELRELATION_ICON_VIEWER)
        return attributChange(lien, c);
    KELI* item = lien->enfant(c);
    if (!item)
        return;
    item->setChannelInt(lien->parentInt());
    if (!deskViewer_)
        return;
    relayerCroisement(deskViewer_, curseur_, item, lien, c, true);
}

void ZEVDeskClass::desactivationDuLien(KELI* lien, KELICc* c)
{
    if (!lien)
        return;
    if (lien->relationInt() != KELRELATION_ICON_VIEWER)
        return attributChange(lien, c);
    KELI* item = KELServeurDeLiens::LienForInt(lien->enfantInt(), nullptr);
    if (!item)
        return;
    item->setChannelInt(lien->parentInt());
    if (!deskViewer_)
        return;
    relayerCroisement(deskViewer_, curseur_, item, lien, c, false);
}

} // namespace tallomer
