// Link mode of the relation-end columns: clicks in the right-hand column create links of the one
// chosen relation between the elements chosen on the left and the clicked element, or close such
// links, at the cursor's moment. Nothing is erased: a link closes by taking an out-date, and a
// new one starts at the moment and ends where the next link of its parent in the relation begins.
// The relation's kind decides which old links close and which clicks are refused.

#include "browser/KELVueController.h"
#include "browser/KELVueDeRel.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace tallomer {

namespace {
constexpr KELId kUnAUn = 238, kUnAPlusieurs = 239, kPlusieursAUn = 240, kPlusieursAPlusieurs = 241;

std::vector<KELI*> copie(const std::vector<KELI*>* l) { return l ? *l : std::vector<KELI*>{}; }
bool vide(const std::vector<KELI*>* l) { return !l || l->empty(); }
} // namespace

void KELVueDeRel::changerLieMode()
{
    lieMode_ = lieMode_ == 0 ? (siParent() ? 1 : 2) : 0;
    QPalette p = entete_->palette();
    p.setColor(QPalette::WindowText, lieMode_ ? Qt::red : Qt::black);
    entete_->setPalette(p);
    majLieBouton();
}

void KELVueDeRel::majLieBouton()
{
    if (!lieBouton_)
        return;
    const KELSelIdRef& hl = vueController_->selIdHl();
    KELSelCtrl* gauche = precedente_ ? precedente_->selCtrl() : nullptr;
    KELIElemRelation* r = selCtrl_ && selCtrl_->nbDeChoix(hl) == 1 ? relationChoisie() : nullptr;
    KELIElemRelation* mc = modelPrecedent_ ? modelPrecedent_->relationMC(curseur_) : nullptr;
    const bool permis = gauche && gauche->nbDeChoix(hl) > 0 && r && r != mc;
    lieBouton_->setEnabled(permis);
    lieBouton_->setChecked(permis && lieMode_ != 0);
    if (prochaine_)
        prochaine_->activerLieMode(permis ? lieMode_ : 0);
    if (ajouterBouton_)
        ajouterBouton_->setEnabled(!lieBouton_->isChecked());
    if (enleverBouton_)
        enleverBouton_->setEnabled(!lieBouton_->isChecked());
    siPermetChoixVide_ = lieMode_ == 0;
}

std::vector<KELI*> KELVueDeRel::choixAGauche() const
{
    KELSelCtrl* gauche = precedente_ ? precedente_->selCtrl() : nullptr;
    if (!gauche)
        return {};
    const auto& c = gauche->choix(vueController_->selIdHl());
    std::vector<KELI*> v(c.begin(), c.end());
    // The set has no order; links are made in a stable one.
    std::sort(v.begin(), v.end(), [](KELI* a, KELI* b) { return a->idInt() < b->idInt(); });
    return v;
}

void KELVueDeRel::creerLeLien(KELI* parent, KELI* enfant, KELIElemRelation* r, KELDate t)
{
    auto lien = std::make_unique<KELI>();
    lien->assignerParentInt(parent->idInt());
    lien->assignerEnfantInt(enfant->idInt());
    lien->assignerRelationInt(r->idInt());
    lien->assignerInDate(t);
    KELDate fin = KELServeurDeLiens::OutDateDuLienParent(lien.get());
    fin = std::min(fin, enfant->outDate());
    if (lieMode_ == 1)
        fin = std::min(fin, parent->outDate());
    lien->assignerOutDate(fin);
    if (!KELServeurDeLiens::AjouterLienIn(std::move(lien), curseur_)) {
        logFormat("KELVueDeRel lierElement: the link %llu -> %llu of %llu could not be stored",
                  (unsigned long long)parent->idInt(), (unsigned long long)enfant->idInt(),
                  (unsigned long long)r->idInt());
        Sound::shared().beep();
    }
}

void KELVueDeRel::fermerLesLiens(const std::vector<KELI*>* liens, KELDate t, const char* cote)
{
    // Over a copy: a link that does not leave the live list (its write refused, or an out-date
    // that does not cross the cursor) must not hold the loop forever.
    const std::vector<KELI*> aFermer = copie(liens);
    for (auto it = aFermer.rbegin(); it != aFermer.rend(); ++it)
        (*it)->placeOutDate(t, curseur_);
    for (KELI* l : aFermer)
        if (liens && std::find(liens->begin(), liens->end(), l) != liens->end())
            logFormat("KELVueDeRel lierElement: the link %llu stayed among the %s links after its close at %f",
                      (unsigned long long)l->idInt(), cote, t);
}

void KELVueDeRel::lierElement(KELI* e, KELDate t)
{
    KELIElemRelation* r = relationChoisie();
    if (!r || !e || !r->siIncluLaDate(t)) {
        Sound::shared().beep();
        return;
    }
    const KELId sorte = sorteDeRelation(r);
    const std::vector<KELI*> P = choixAGauche();
    const bool parent = lieMode_ == 1;
    if (lieMode_ != 1 && lieMode_ != 2)
        return;
    // The kinds that give the clicked element one partner: one element on the left, both alive,
    // the clicked one still free on the limited side.
    const bool unSeul = sorte == kUnAUn || (parent ? sorte == kUnAPlusieurs : sorte == kPlusieursAUn);
    const bool remplace = parent ? (sorte == kPlusieursAUn || sorte == 0) : (sorte == kUnAPlusieurs || sorte == 0);
    const bool plusieurs = sorte == kPlusieursAPlusieurs;
    if (!unSeul && !remplace && !plusieurs)
        return;
    if (unSeul && (P.size() != 1 || !P.front()->siIncluLaDate(t) || !e->siIncluLaDate(t) ||
                   !vide(parent ? r->liensDeLEnfant(e, curseur_) : r->liensDuParent(e, curseur_)))) {
        Sound::shared().beep();
        return;
    }
    // The links closed and the links made are stored together or not at all: a store that can
    // keep no new link must not be left with the old partner let go and no new one.
    const KELServeurDeLiens::Acte acte(unSeul ? 1 : P.size());
    if (!acte.complet()) {
        Sound::shared().beep();
        return;
    }
    if (unSeul) {
        KELI* p = P.front();
        if (sorte == kUnAUn) {
            // p's old partner lets go of p first.
            for (KELI* autre : copie(parent ? r->enfantsDuParent(p, curseur_) : r->parentsDeLEnfant(p, curseur_)))
                delierElement(autre, t);
        }
        parent ? creerLeLien(p, e, r, t) : creerLeLien(e, p, r, t);
        return;
    }
    for (KELI* p : P) {
        if (!p->siIncluLaDate(t) || !e->siIncluLaDate(t))
            continue;
        if (remplace)
            fermerLesLiens(parent ? r->liensDuParent(p, curseur_) : r->liensDeLEnfant(p, curseur_), t,
                           parent ? "parent" : "child");
        parent ? creerLeLien(p, e, r, t) : creerLeLien(e, p, r, t);
    }
}

void KELVueDeRel::delierElement(KELI* e, KELDate t)
{
    KELIElemRelation* r = relationChoisie();
    if (!r || !e || !r->siIncluLaDate(t)) {
        Sound::shared().beep();
        return;
    }
    if (lieMode_ != 1 && lieMode_ != 2)
        return;
    const std::vector<KELI*> P = choixAGauche();
    const bool parent = lieMode_ == 1;
    std::vector<KELI*> fermes;
    {
        // Every link closed by one click in one write.
        const KELServeurDeLiens::Acte acte(0);
        for (KELI* l : copie(parent ? r->liensDeLEnfant(e, curseur_) : r->liensDuParent(e, curseur_))) {
            KELI* autre = parent ? l->parent(curseur_) : l->enfant(curseur_);
            if (autre && std::find(P.begin(), P.end(), autre) != P.end() && autre->siIncluLaDate(t)) {
                l->placeOutDate(t, curseur_);
                fermes.push_back(l);
            }
        }
    }
    // A close the store did not keep gave its link back the dates the store has.
    if (std::any_of(fermes.begin(), fermes.end(), [t](KELI* l) { return l->siIncluLaDate(t); }))
        Sound::shared().beep();
}

} // namespace tallomer
