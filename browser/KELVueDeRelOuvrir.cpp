// What every column does with the column to its right: the relation-end columns its "<" and ">"
// buttons open, and, in link mode, its choose hooks turned into link commands.

#include "browser/KELVueController.h"
#include "browser/KELVueDe.h"
#include "browser/KELVueDeRel.h"
#include "engine/KELICurseur.h"
#include "platform/Keys.h"

#include <QPushButton>

namespace tallomer {

namespace {
void montrerRel(KELVueDe* vue, bool on, QPushButton* moi, QPushButton* autre,
                const std::function<void()>& fermer, const std::function<KELVueDe*()>& ouvrir)
{
    if (on) {
        fermer();
        if (autre)
            autre->setChecked(false);
        if (moi)
            moi->setChecked(true);
        if (!ouvrir() && moi)
            moi->setChecked(false);
    } else {
        vue->enleverProchaineVue();
    }
    vue->vueController()->rechargerVueController();
}
} // namespace

void KELVueDe::fermerProchaineVue(bool maintenant)
{
    if (!prochaine_)
        return;
    prochaine_->enleverProchaineVue();
    prochaine_ = nullptr;
    vueController_->enleverDerniereVueAvecAnimation(maintenant);
}

void KELVueDe::montrerRelEnfants(bool on)
{
    montrerRel(this, on, relEnfantsBouton_, relParentsBouton_, [this] { fermerProchaineVue(true); },
               [this] { return prochaine_ = vueController_->ajouterVueDeRelEnfants(modelInt_, this, curseur_); });
}

void KELVueDe::montrerRelParents(bool on)
{
    montrerRel(this, on, relParentsBouton_, relEnfantsBouton_, [this] { fermerProchaineVue(true); },
               [this] { return prochaine_ = vueController_->ajouterVueDeRelParents(modelInt_, this, curseur_); });
}

bool KELVueDe::lierSiLieMode(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool parChoix)
{
    if (!lieMode_)
        return false;
    auto* rel = dynamic_cast<KELVueDeRel*>(precedente_);
    if (!rel || !e || !selCtrl_) {
        recharger();
        return true;
    }
    const bool attache = selCtrl_->siAttache(e, s);
    const bool commande = k & keys::kCommandFlag;
    const KELDate t = curseur_->placeToi();
    if (parChoix) {
        if (!attache)
            rel->lierElement(e, t);
        else if (commande)
            rel->delierElement(e, t);
    } else {
        if (attache)
            rel->delierElement(e, t);
        else if (commande)
            rel->lierElement(e, t);
    }
    recharger();
    return true;
}

} // namespace tallomer
