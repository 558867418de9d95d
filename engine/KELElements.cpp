#include "engine/KELElements.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"

#include <algorithm>
#include <string>

using tallomer::Scheduler;

namespace {
Scheduler& ordonnanceur()
{
    static tallomer::ManualScheduler inerte;
    return Scheduler::hasShared() ? Scheduler::shared() : inerte;
}

KELICc* global() { return KELServeurDeLiens::CurseurGlobal(); }

KELIElemRelation* relationObjet(KELId id, KELICc* c)
{
    return dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, c));
}

KELI* dernierLienDuParent(KELId rel, KELI* parent, KELICc* c)
{
    KELIElemRelation* r = relationObjet(rel, c);
    const auto* liens = r ? r->liensDuParent(parent, c) : nullptr;
    return liens && !liens->empty() ? liens->back() : nullptr;
}

KELI* premierEnfant(KELId rel, KELI* parent, KELICc* c)
{
    KELIElemRelation* r = relationObjet(rel, c);
    const auto* enfants = r ? r->enfantsDuParent(parent, c) : nullptr;
    return enfants && !enfants->empty() ? enfants->front() : nullptr;
}

std::optional<std::string> texte(const KELValue& v)
{
    if (auto* s = std::get_if<std::string>(&v))
        return *s;
    return std::nullopt;
}

std::optional<double> nombre(const KELValue& v)
{
    if (auto* d = std::get_if<double>(&v))
        return *d;
    return std::nullopt;
}

template <class T>
const T* ouNul(const std::optional<T>& v)
{
    return v ? &*v : nullptr;
}

// Stores a new link parent → enfant of relation `rel` on [t, open).
void ouvrirLien(KELId parent, KELId enfant, KELId rel, KELDate t, KELICc* c)
{
    auto lien = std::make_unique<KELI>();
    lien->assignerParentInt(parent);
    lien->assignerEnfantInt(enfant);
    lien->assignerRelationInt(rel);
    lien->assignerInDate(t);
    lien->assignerOutDate(KELDateOuverte);
    KELServeurDeLiens::AjouterLienIn(std::move(lien), c);
}

// What the cursor's and the context's elements do alike, each with its own settings.

// The type text a cursor or an edge takes its type from: the name of the type object at `mobilite`.
std::optional<std::string> typeLu(KELI& element, const char* mobilite, KELICc* c)
{
    std::vector<std::string> chemin{mobilite, "Nom"};
    return texte(element.baseSelonLesRelations(chemin, c));
}

// Writes the number `n` as the setting at `chemin`, at the cursor `c`, and keeps it as the setting
// read. The write makes the element read the setting again; `pousser` stays down meanwhile, so
// that what it reads is not pushed back into the cursor or context.
void ecrireNombre(KELI& element, KELICc* c, const char* chemin, double n, bool& pousser, std::optional<double>& lu)
{
    pousser = false;
    element.setBase(n, {chemin}, c);
    lu = n;
    pousser = true;
}

// The same, unless the setting holds `n` already: then nothing is written.
void archiverNombre(KELI& element, KELICc* c, const char* chemin, double n, bool& pousser, std::optional<double>& lu)
{
    std::vector<std::string> vers{chemin};
    if (auto actuel = nombre(element.baseSelonLesRelations(vers, c)); actuel && *actuel == n)
        return;
    ecrireNombre(element, c, chemin, n, pousser, lu);
}

template <class Element>
void planifier(Element* element, const char* nom, void (Element::*lire)(), bool commonModes = true)
{
    ordonnanceur().perform(element, nom, 0.0, [element, lire] { (element->*lire)(); }, commonModes);
}

template <class Element>
struct Etape {
    const char* nom;
    void (Element::*lire)();
};

template <class Element, std::size_t N>
const KELReglage<Element>* reglageDe(const std::array<KELReglage<Element>, N>& reglages, KELId rel)
{
    const auto r = std::ranges::find(reglages, rel, &KELReglage<Element>::relation);
    return r != reglages.end() ? &*r : nullptr;
}

// One of an element's links became active for its update cursor. The membership link of an element
// not loaded yet queues its load: the load runs after the activation pass that triggered it, its
// steps in order. A setting link of a loaded element has its setting read if it has none yet.
template <class Element, std::size_t N, std::size_t M>
void apresActivation(Element* element, KELId rel, KELId appartenance, bool charge, const Etape<Element> (&chargement)[N],
                     const std::array<KELReglage<Element>, M>& reglages)
{
    if (rel == appartenance && !charge) {
        for (const Etape<Element>& etape : chargement) {
            KELICurseur::NextOrder();
            planifier(element, etape.nom, etape.lire, false);
        }
    } else if (charge) {
        if (const KELReglage<Element>* r = reglageDe(reglages, rel); r && !r->lu)
            planifier(element, r->nom, r->lire);
    }
}

// One of its setting links became inactive: the setting is read again.
template <class Element, std::size_t M>
void apresDesactivation(Element* element, KELId rel, const std::array<KELReglage<Element>, M>& reglages)
{
    if (const KELReglage<Element>* r = reglageDe(reglages, rel))
        planifier(element, r->nom, r->lire);
}

constexpr Etape<KELIElemCurseur> kChargementCurseur[] = {
    {"majLienCurseur", &KELIElemCurseur::majLienCurseur}, {"majElemCurseurSup", &KELIElemCurseur::majElemCurseurSup},
    {"majElemContexte", &KELIElemCurseur::majElemContexte}, {"majOffset", &KELIElemCurseur::majOffset},
    {"majType", &KELIElemCurseur::majType}, {"_majEtLancerCurseur", &KELIElemCurseur::majEtLancerCurseur}};

constexpr Etape<KELIElemContexte> kChargementContexte[] = {
    {"majElemCurseur", &KELIElemContexte::majElemCurseur}, {"majTypeIn", &KELIElemContexte::majTypeIn},
    {"majOffsetIn", &KELIElemContexte::majOffsetIn}, {"majTypeOut", &KELIElemContexte::majTypeOut},
    {"majOffsetOut", &KELIElemContexte::majOffsetOut}, {"_majEtLancerContexte", &KELIElemContexte::majEtLancerContexte}};
} // namespace

// ---------------------------------------------------------------------------------------------
// KELIElemCurseur

KELIElemCurseur::KELIElemCurseur() = default;
KELIElemCurseur::~KELIElemCurseur() = default;

KELICc* KELIElemCurseur::curseurMaj() const { return curseurMaj_ ? curseurMaj_ : global(); }

void KELIElemCurseur::majLienCurseur()
{
    lienCurseur_ = dynamic_cast<KELICurseur*>(dernierLienDuParent(kel::kRelLienCurseur, this, global()));
    if (lienCurseur_)
        lienCurseur_->referencerElemCurseur(this);
}

void KELIElemCurseur::majElemCurseurSup()
{
    elemCurseurSup_ = premierEnfant(kel::kRelCurseurSup, this, global());
    auto* e = dynamic_cast<KELIElemCurseur*>(elemCurseurSup_);
    lienCurseurSup_ = e ? e->lienCurseur() : nullptr;
    if (siAccepteMaj_ && lienCurseur_)
        lienCurseur_->assignerElemCurseurSup(elemCurseurSup_);
}

void KELIElemCurseur::majElemContexte()
{
    elemContexte_ = premierEnfant(kel::kRelContexte, this, global());
    if (siAccepteMaj_ && lienCurseur_)
        lienCurseur_->assignerElemContexte(elemContexte_);
}

void KELIElemCurseur::majOffset()
{
    std::vector<std::string> chemin{"Offset"};
    offset_ = nombre(baseSelonLesRelations(chemin, curseurMaj()));
    if (siAccepteMaj_ && lienCurseur_)
        lienCurseur_->assignerOffsetNumber(ouNul(offset_));
}

void KELIElemCurseur::majType()
{
    type_ = typeLu(*this, "Mobilite", curseurMaj());
    if (siAccepteMaj_ && lienCurseur_)
        lienCurseur_->assignerType(ouNul(type_));
}

void KELIElemCurseur::majEtLancerCurseur()
{
    // The parent cursor is known from majElemCurseurSup, which ran just before in the queue.
    curseurMaj_ = lienCurseurSup_ ? static_cast<KELICc*>(lienCurseurSup_) : global();
    siAccepteMaj_ = true;
    majLienCurseur();
    majElemCurseurSup();
    majElemContexte();
    majOffset();
    majType();
    if (lienCurseur_)
        lienCurseur_->lancer();
}

std::array<KELReglage<KELIElemCurseur>, 4> KELIElemCurseur::reglages() const
{
    return {{{kel::kRelMobilite, "majType", &KELIElemCurseur::majType, type_.has_value()},
             {kel::kRelOffset, "majOffset", &KELIElemCurseur::majOffset, offset_.has_value()},
             {kel::kRelCurseurSup, "majElemCurseurSup", &KELIElemCurseur::majElemCurseurSup, elemCurseurSup_ != nullptr},
             {kel::kRelContexte, "majElemContexte", &KELIElemCurseur::majElemContexte, elemContexte_ != nullptr}}};
}

void KELIElemCurseur::majDActivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj())
        apresActivation(this, lien->relationInt(), kel::kRelElemCurseurs, siAccepteMaj_, kChargementCurseur, reglages());
    KELI::majDActivationDuLienParent(lien, curseur);
}

void KELIElemCurseur::majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj())
        apresDesactivation(this, lien->relationInt(), reglages());
    KELI::majDeDesactivationDuLienParent(lien, curseur);
}

void KELIElemCurseur::archiverOffset(double n) { archiverNombre(*this, curseurMaj(), "Offset", n, siAccepteMaj_, offset_); }

void KELIElemCurseur::archiverOffsetToZero()
{
    KELICc* c = curseurMaj();
    c->placeToi();
    c->placeToi();
    ecrireNombre(*this, c, "Offset", 0.0, siAccepteMaj_, offset_);
}

void KELIElemCurseur::changerType(KELICc* c, KELId typeObjet, bool relatifCS)
{
    KELI* l34 = dernierLienDuParent(kel::kRelMobilite, this, c);
    const KELDate t = c->placeToi();
    if (typeObjet == kel::kTypeFixe) {
        if (l34 && l34->enfantInt() == kel::kTypeFixe)
            return;
        const KELServeurDeLiens::Acte acte(1);
        if (!acte.complet())
            return;
        if (lienCurseur_) {
            lienCurseur_->placeToi();
            KELServeurDeLiens::MajLesDatesDuLien(lienCurseur_);
        }
        if (l34)
            l34->placeOutDate(t, c);
        ouvrirLien(idInt(), kel::kTypeFixe, kel::kRelMobilite, t, c);
        return;
    }
    if (l34 && l34->enfantInt() == typeObjet)
        return;
    // The type link, the offset's number element and the offset link.
    const KELServeurDeLiens::Acte acte(3, 0, 1);
    if (!acte.complet())
        return;
    if (l34)
        l34->placeOutDate(t, c);
    ouvrirLien(idInt(), typeObjet, kel::kRelMobilite, t, c);
    KELI* l35 = dernierLienDuParent(kel::kRelOffset, this, c);
    double valeur = 0.0;
    if (lienCurseur_) {
        const KELDate present = lienCurseur_->placeToi();
        if (relatifCS) {
            KELICurseur* sup = lienCurseur_->curseurSup();
            valeur = present - (sup ? sup->now() : tallomer::Clock::shared().now());
        } else {
            valeur = present - tallomer::Clock::shared().now();
        }
    }
    KELI* element = KELServeurDeLiens::AjouterLienIn(KELIElemBase::nouveau(kel::kModelNombre, kel::kRelNombres, valeur), c);
    if (!element)
        return;
    if (l35)
        l35->placeOutDate(t, c);
    ouvrirLien(idInt(), element->idInt(), kel::kRelOffset, t, c);
}

void KELIElemCurseur::setTypeFixe(KELICc* c) { changerType(c, kel::kTypeFixe, false); }
void KELIElemCurseur::setTypeRelatifCS(KELICc* c) { changerType(c, kel::kTypeRelatifCS, true); }
void KELIElemCurseur::setTypeRelatifTR(KELICc* c) { changerType(c, kel::kTypeRelatifTR, false); }

void KELIElemCurseur::rappelerOffset(KELICc* c, bool memoriser, KELId& slot)
{
    KELI* l35 = dernierLienDuParent(kel::kRelOffset, this, c);
    if (memoriser) {
        slot = (l35 && idInt() != kel::kElemCurseurGlobal) ? l35->enfantInt() : kel::kNombreZero;
        return;
    }
    if (!slot || (l35 && slot == l35->enfantInt()))
        return;
    // The new offset link must be sure of its id before the old one is closed.
    const KELServeurDeLiens::Acte acte(1);
    if (!acte.complet())
        return;
    const KELDate t = c->placeToi();
    if (l35)
        l35->placeOutDate(t, c);
    ouvrirLien(idInt(), slot, kel::kRelOffset, t, c);
}

void KELIElemCurseur::rappelerOffset1(KELICc* c, bool memoriser) { rappelerOffset(c, memoriser, precedentOffset1_); }
void KELIElemCurseur::rappelerOffset2(KELICc* c, bool memoriser) { rappelerOffset(c, memoriser, precedentOffset2_); }

void KELIElemCurseur::lachePrise()
{
    lienCurseurSup_ = nullptr;
    lienCurseur_ = nullptr;
    elemCurseurSup_ = nullptr;
    elemContexte_ = nullptr;
    offset_.reset();
    type_.reset();
    KELI::lachePrise();
}

KELICurseur* KELIElemCurseurGlobal::lienCurseur() const { return KELServeurDeLiens::CurseurGlobal(); }

void KELIElemCurseurGlobal::majLienCurseur()
{
    lienCurseur_ = KELServeurDeLiens::CurseurGlobal();
    if (lienCurseur_)
        lienCurseur_->referencerElemCurseur(this);
}

// ---------------------------------------------------------------------------------------------
// KELIElemContexte

KELIElemContexte::KELIElemContexte() = default;
KELIElemContexte::~KELIElemContexte() = default;

KELICc* KELIElemContexte::curseurMaj() const { return curseurMaj_ ? curseurMaj_ : global(); }

void KELIElemContexte::majLienContexte()
{
    lienContexte_ = dynamic_cast<KELIContexte*>(dernierLienDuParent(kel::kRelLienContexte, this, global()));
    if (siAccepteMaj_ && lienContexte_)
        lienContexte_->referencerElemContexte(this);
}

void KELIElemContexte::majElemCurseur()
{
    KELIElemRelation* r37 = relationObjet(kel::kRelContexte, global());
    const auto* parents = r37 ? r37->parentsDeLEnfant(this, global()) : nullptr;
    if (!parents || parents->empty())
        return;
    elemCurseur_ = parents->front();
    auto* e = dynamic_cast<KELIElemCurseur*>(elemCurseur_);
    KELICurseur* c = e ? e->lienCurseur() : nullptr;
    lienCurseurSup_ = c ? c->curseurSup() : nullptr;
    if (lienCurseurSup_)
        curseurMaj_ = lienCurseurSup_;
    majTypeIn();
    majOffsetIn();
    majTypeOut();
    majOffsetOut();
    if (siAccepteMaj_ && lienContexte_)
        lienContexte_->assignerElemCurseur(elemCurseur_);
}

void KELIElemContexte::majTypeIn()
{
    typeIn_ = typeLu(*this, "Mobilite IN", curseurMaj());
    if (siAccepteMajIn_ && lienContexte_)
        lienContexte_->assignerTypeIn(ouNul(typeIn_));
}

void KELIElemContexte::majTypeOut()
{
    typeOut_ = typeLu(*this, "Mobilite OUT", curseurMaj());
    if (siAccepteMajOut_ && lienContexte_)
        lienContexte_->assignerTypeOut(ouNul(typeOut_));
}

std::optional<double> KELIElemContexte::offsetDuDernierLien(KELId rel)
{
    KELI* l = dernierLienDuParent(rel, this, global());
    KELI* e = l ? l->enfant(global()) : nullptr;
    return e ? nombre(e->base()) : std::nullopt;
}

void KELIElemContexte::majOffsetIn()
{
    offsetIn_ = offsetDuDernierLien(kel::kRelOffsetIn);
    if (siAccepteMajIn_ && lienContexte_)
        lienContexte_->assignerOffsetNumberIn(ouNul(offsetIn_));
}

void KELIElemContexte::majOffsetOut()
{
    offsetOut_ = offsetDuDernierLien(kel::kRelOffsetOut);
    if (siAccepteMajOut_ && lienContexte_)
        lienContexte_->assignerOffsetNumberOut(ouNul(offsetOut_));
}

void KELIElemContexte::majEtLancerContexte()
{
    siAccepteMaj_ = siAccepteMajIn_ = siAccepteMajOut_ = true;
    majLienContexte();
    majElemCurseur();
    majTypeIn();
    majOffsetIn();
    majTypeOut();
    majOffsetOut();
    if (lienContexte_) {
        lienContexte_->lancerOut();
        lienContexte_->lancerIn();
    }
}

void KELIElemContexte::archiverOffsetIn(double n)
{
    archiverNombre(*this, curseurMaj(), "Offset IN", n, siAccepteMajIn_, offsetIn_);
}

void KELIElemContexte::archiverOffsetOut(double n)
{
    archiverNombre(*this, curseurMaj(), "Offset OUT", n, siAccepteMajOut_, offsetOut_);
}

std::array<KELReglage<KELIElemContexte>, 4> KELIElemContexte::reglages() const
{
    return {{{kel::kRelMobiliteIn, "majTypeIn", &KELIElemContexte::majTypeIn, typeIn_.has_value()},
             {kel::kRelMobiliteOut, "majTypeOut", &KELIElemContexte::majTypeOut, typeOut_.has_value()},
             {kel::kRelOffsetIn, "majOffsetIn", &KELIElemContexte::majOffsetIn, offsetIn_.has_value()},
             {kel::kRelOffsetOut, "majOffsetOut", &KELIElemContexte::majOffsetOut, offsetOut_.has_value()}}};
}

void KELIElemContexte::majDActivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj())
        apresActivation(this, lien->relationInt(), kel::kRelElemContextes, siAccepteMaj_, kChargementContexte, reglages());
    KELI::majDActivationDuLienParent(lien, curseur);
}

void KELIElemContexte::majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj())
        apresDesactivation(this, lien->relationInt(), reglages());
    KELI::majDeDesactivationDuLienParent(lien, curseur);
}

void KELIElemContexte::majDActivationDuLienEnfant(KELI* lien, KELICc* curseur)
{
    if (curseur == global() && siAccepteMaj_ && lien->relationInt() == kel::kRelContexte && !elemCurseur_)
        planifier(this, "majElemCurseur", &KELIElemContexte::majElemCurseur);
    KELI::majDActivationDuLienEnfant(lien, curseur);
}

void KELIElemContexte::majDeDesactivationDuLienEnfant(KELI* lien, KELICc* curseur)
{
    if (curseur == global() && lien->relationInt() == kel::kRelContexte)
        planifier(this, "majElemCurseur", &KELIElemContexte::majElemCurseur);
    KELI::majDeDesactivationDuLienEnfant(lien, curseur);
}

void KELIElemContexte::lachePrise()
{
    lienCurseurSup_ = nullptr;
    lienContexte_ = nullptr;
    elemCurseur_ = nullptr;
    typeIn_.reset();
    offsetIn_.reset();
    typeOut_.reset();
    offsetOut_.reset();
    KELI::lachePrise();
}

KELIContexte* KELIElemContexteGlobal::lienContexte() const { return KELServeurDeLiens::ContexteGlobal(); }

void KELIElemContexteGlobal::majLienContexte()
{
    lienContexte_ = KELServeurDeLiens::ContexteGlobal();
    if (lienContexte_)
        lienContexte_->referencerElemContexte(this);
}

void KELIElemContexteGlobal::majElemCurseur()
{
    elemCurseur_ = KELServeurDeLiens::LienForInt(kel::kElemCurseurGlobal, global());
    if (lienContexte_ && elemCurseur_)
        lienContexte_->assignerElemCurseur(elemCurseur_);
}
