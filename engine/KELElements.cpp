#include "engine/KELElements.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"

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
        lienCurseur_->assignerOffsetNumber(offset_ ? &*offset_ : nullptr);
}

void KELIElemCurseur::majType()
{
    std::vector<std::string> chemin{"Mobilite", "Nom"};
    type_ = texte(baseSelonLesRelations(chemin, curseurMaj()));
    if (siAccepteMaj_ && lienCurseur_)
        lienCurseur_->assignerType(type_ ? &*type_ : nullptr);
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

void KELIElemCurseur::planifier(const char* nom, void (KELIElemCurseur::*lecteur)())
{
    ordonnanceur().perform(this, nom, 0.0, [this, lecteur] { (this->*lecteur)(); }, true);
}

void KELIElemCurseur::majDActivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj()) {
        const KELId rel = lien->relationInt();
        if (rel == kel::kRelElemCurseurs && !siAccepteMaj_) {
            // The load runs after the activation pass that triggered it, its steps in order.
            static constexpr struct {
                const char* nom;
                void (KELIElemCurseur::*lecteur)();
            } etapes[] = {{"majLienCurseur", &KELIElemCurseur::majLienCurseur},
                          {"majElemCurseurSup", &KELIElemCurseur::majElemCurseurSup},
                          {"majElemContexte", &KELIElemCurseur::majElemContexte},
                          {"majOffset", &KELIElemCurseur::majOffset},
                          {"majType", &KELIElemCurseur::majType},
                          {"_majEtLancerCurseur", &KELIElemCurseur::majEtLancerCurseur}};
            for (const auto& etape : etapes) {
                KELICurseur::NextOrder();
                auto lecteur = etape.lecteur;
                ordonnanceur().perform(this, etape.nom, 0.0, [this, lecteur] { (this->*lecteur)(); }, false);
            }
        } else if (siAccepteMaj_) {
            if (rel == kel::kRelMobilite && !type_)
                planifier("majType", &KELIElemCurseur::majType);
            else if (rel == kel::kRelOffset && !offset_)
                planifier("majOffset", &KELIElemCurseur::majOffset);
            else if (rel == kel::kRelCurseurSup && !elemCurseurSup_)
                planifier("majElemCurseurSup", &KELIElemCurseur::majElemCurseurSup);
            else if (rel == kel::kRelContexte && !elemContexte_)
                planifier("majElemContexte", &KELIElemCurseur::majElemContexte);
        }
    }
    KELI::majDActivationDuLienParent(lien, curseur);
}

void KELIElemCurseur::majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj()) {
        switch (lien->relationInt()) {
        case kel::kRelMobilite: planifier("majType", &KELIElemCurseur::majType); break;
        case kel::kRelOffset: planifier("majOffset", &KELIElemCurseur::majOffset); break;
        case kel::kRelCurseurSup: planifier("majElemCurseurSup", &KELIElemCurseur::majElemCurseurSup); break;
        case kel::kRelContexte: planifier("majElemContexte", &KELIElemCurseur::majElemContexte); break;
        default: break;
        }
    }
    KELI::majDeDesactivationDuLienParent(lien, curseur);
}

void KELIElemCurseur::archiverOffset(double n)
{
    KELICc* c = curseurMaj();
    std::vector<std::string> chemin{"Offset"};
    if (auto actuel = nombre(baseSelonLesRelations(chemin, c)); actuel && *actuel == n)
        return;
    siAccepteMaj_ = false;
    setBase(n, {"Offset"}, c);
    offset_ = n;
    siAccepteMaj_ = true;
}

void KELIElemCurseur::archiverOffsetToZero()
{
    KELICc* c = curseurMaj();
    c->placeToi();
    c->placeToi();
    siAccepteMaj_ = false;
    setBase(0.0, {"Offset"}, c);
    offset_ = 0.0;
    siAccepteMaj_ = true;
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
        slot = (l35 && idInt() != kel::kElemCurseurGlobal) ? l35->enfantInt() : 222;
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
    std::vector<std::string> chemin{"Mobilite IN", "Nom"};
    typeIn_ = texte(baseSelonLesRelations(chemin, curseurMaj()));
    if (siAccepteMajIn_ && lienContexte_)
        lienContexte_->assignerTypeIn(typeIn_ ? &*typeIn_ : nullptr);
}

void KELIElemContexte::majTypeOut()
{
    std::vector<std::string> chemin{"Mobilite OUT", "Nom"};
    typeOut_ = texte(baseSelonLesRelations(chemin, curseurMaj()));
    if (siAccepteMajOut_ && lienContexte_)
        lienContexte_->assignerTypeOut(typeOut_ ? &*typeOut_ : nullptr);
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
        lienContexte_->assignerOffsetNumberIn(offsetIn_ ? &*offsetIn_ : nullptr);
}

void KELIElemContexte::majOffsetOut()
{
    offsetOut_ = offsetDuDernierLien(kel::kRelOffsetOut);
    if (siAccepteMajOut_ && lienContexte_)
        lienContexte_->assignerOffsetNumberOut(offsetOut_ ? &*offsetOut_ : nullptr);
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

void KELIElemContexte::archiver(double n, const char* nom, bool in)
{
    KELICc* c = curseurMaj();
    std::vector<std::string> chemin{nom};
    if (auto actuel = nombre(baseSelonLesRelations(chemin, c)); actuel && *actuel == n)
        return;
    bool& pousser = in ? siAccepteMajIn_ : siAccepteMajOut_;
    pousser = false;
    setBase(n, {nom}, c);
    (in ? offsetIn_ : offsetOut_) = n;
    pousser = true;
}

void KELIElemContexte::archiverOffsetIn(double n) { archiver(n, "Offset IN", true); }
void KELIElemContexte::archiverOffsetOut(double n) { archiver(n, "Offset OUT", false); }

void KELIElemContexte::planifier(const char* nom, void (KELIElemContexte::*lecteur)())
{
    ordonnanceur().perform(this, nom, 0.0, [this, lecteur] { (this->*lecteur)(); }, true);
}

void KELIElemContexte::majDActivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj()) {
        const KELId rel = lien->relationInt();
        if (rel == kel::kRelElemContextes && !siAccepteMaj_) {
            static constexpr struct {
                const char* nom;
                void (KELIElemContexte::*lecteur)();
            } etapes[] = {{"majElemCurseur", &KELIElemContexte::majElemCurseur},
                          {"majTypeIn", &KELIElemContexte::majTypeIn},
                          {"majOffsetIn", &KELIElemContexte::majOffsetIn},
                          {"majTypeOut", &KELIElemContexte::majTypeOut},
                          {"majOffsetOut", &KELIElemContexte::majOffsetOut},
                          {"_majEtLancerContexte", &KELIElemContexte::majEtLancerContexte}};
            for (const auto& etape : etapes) {
                KELICurseur::NextOrder();
                auto lecteur = etape.lecteur;
                ordonnanceur().perform(this, etape.nom, 0.0, [this, lecteur] { (this->*lecteur)(); }, false);
            }
        } else if (siAccepteMaj_) {
            if (rel == kel::kRelMobiliteIn && !typeIn_)
                planifier("majTypeIn", &KELIElemContexte::majTypeIn);
            else if (rel == kel::kRelMobiliteOut && !typeOut_)
                planifier("majTypeOut", &KELIElemContexte::majTypeOut);
            else if (rel == kel::kRelOffsetIn && !offsetIn_)
                planifier("majOffsetIn", &KELIElemContexte::majOffsetIn);
            else if (rel == kel::kRelOffsetOut && !offsetOut_)
                planifier("majOffsetOut", &KELIElemContexte::majOffsetOut);
        }
    }
    KELI::majDActivationDuLienParent(lien, curseur);
}

void KELIElemContexte::majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (curseur == curseurMaj()) {
        switch (lien->relationInt()) {
        case kel::kRelMobiliteIn: planifier("majTypeIn", &KELIElemContexte::majTypeIn); break;
        case kel::kRelMobiliteOut: planifier("majTypeOut", &KELIElemContexte::majTypeOut); break;
        case kel::kRelOffsetIn: planifier("majOffsetIn", &KELIElemContexte::majOffsetIn); break;
        case kel::kRelOffsetOut: planifier("majOffsetOut", &KELIElemContexte::majOffsetOut); break;
        default: break;
        }
    }
    KELI::majDeDesactivationDuLienParent(lien, curseur);
}

void KELIElemContexte::majDActivationDuLienEnfant(KELI* lien, KELICc* curseur)
{
    if (curseur == global() && siAccepteMaj_ && lien->relationInt() == kel::kRelContexte && !elemCurseur_)
        planifier("majElemCurseur", &KELIElemContexte::majElemCurseur);
    KELI::majDActivationDuLienEnfant(lien, curseur);
}

void KELIElemContexte::majDeDesactivationDuLienEnfant(KELI* lien, KELICc* curseur)
{
    if (curseur == global() && lien->relationInt() == kel::kRelContexte)
        planifier("majElemCurseur", &KELIElemContexte::majElemCurseur);
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
