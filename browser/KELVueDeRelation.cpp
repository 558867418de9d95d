#include "browser/KELVueDeRelation.h"

#include "browser/KELVueController.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/Keys.h"

#include <QPushButton>

namespace tallomer {

KELVueDeRelation::KELVueDeRelation(KELVueController* vc, KELVueDe* precedente, KELId relationInt,
                                   KELICurseur* curseur)
    : KELVueDe(vc, precedente, relationInt, curseur), propre_(std::make_unique<KELSelCtrl>(nullptr))
{
    model_ = KELServeurDeLiens::LienForInt(relationInt, curseur);
    // The link base gives selection controllers to models only: the links chosen here are ours.
    selCtrl_ = propre_.get();
    initLaScrollView();
    initLaTableView();
    initLaHeaderView();
    initLesBoutons();
    initLesColonnes({{QStringLiteral("3"), QStringLiteral("Lien"), 35, true},
                     {QStringLiteral("1"), QStringLiteral("L Parent"), 60, true},
                     {QStringLiteral("2"), QStringLiteral("L Enfant"), 60, true}});
}

KELVueDeRelation::~KELVueDeRelation() = default;

std::vector<KELI*> KELVueDeRelation::elements()
{
    auto* r = dynamic_cast<KELIElemRelation*>(model_);
    return r ? r->liens(curseur_) : std::vector<KELI*>{};
}

QVariant KELVueDeRelation::valeur(KELI* l, const QString& identifiant) const
{
    if (!l)
        return {};
    if (identifiant == QLatin1String("1")) {
        KELI* p = l->parent(curseur_);
        return p ? QVariant(qulonglong(p->idInt())) : QVariant();
    }
    if (identifiant == QLatin1String("2")) {
        KELI* e = l->enfant(curseur_);
        return e ? QVariant(qulonglong(e->idInt())) : QVariant();
    }
    if (identifiant == QLatin1String("3"))
        return qulonglong(l->idInt());
    return {};
}

QString KELVueDeRelation::texteDeLEntete() const
{
    const auto n = qlonglong(lignes_.size());
    QString nom;
    if (model_) {
        const KELValue v = model_->nom(curseur_);
        if (const auto* s = std::get_if<std::string>(&v))
            nom = QString::fromStdString(*s);
    }
    return (n < 2 ? QStringLiteral("%1 Lien (%2)") : QStringLiteral("%1 Liens (%2)")).arg(n).arg(nom);
}

void KELVueDeRelation::initLesBoutons()
{
    auto bouton = [this](const QString& t, int x) {
        auto* b = new QPushButton(t, boutons_);
        b->setGeometry(x, 3, 23, hauteurDesBoutons());
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    relParentsBouton_ = bouton(QStringLiteral("P"), 0);
    relEnfantsBouton_ = bouton(QStringLiteral("E"), 23);
    connect(relParentsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerParent(on); });
    connect(relEnfantsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerEnfant(on); });
}

KELI* KELVueDeRelation::seulChoisi() const
{
    const auto& c = propre_->choix(vueController_->selIdHl());
    return c.size() == 1 ? *c.begin() : nullptr;
}

void KELVueDeRelation::ouvrirPour(KELI* objet)
{
    if (prochaine_ || !objet)
        return;
    // The object's own membership relation.
    prochaine_ = vueController_->ajouterVueAvecLienInt(objet->relationInt(), this, curseur_);
}

void KELVueDeRelation::montrerParent(bool on)
{
    if (!on) {
        enleverProchaineVue();
        return;
    }
    if (relEnfantsBouton_->isChecked() || prochaine_) {
        enleverProchaineVue();
        relEnfantsBouton_->setChecked(false);
    }
    relParentsBouton_->setChecked(true);
    if (KELI* l = seulChoisi())
        ouvrirPour(l->parent(curseur_));
    vueController_->rechargerVueController();
}

void KELVueDeRelation::montrerEnfant(bool on)
{
    if (!on) {
        enleverProchaineVue();
        return;
    }
    if (relParentsBouton_->isChecked() || prochaine_) {
        enleverProchaineVue();
        relParentsBouton_->setChecked(false);
    }
    relEnfantsBouton_->setChecked(true);
    if (KELI* l = seulChoisi())
        ouvrirPour(l->enfant(curseur_));
    vueController_->rechargerVueController();
}

void KELVueDeRelation::choixChange()
{
    const bool p = relParentsBouton_->isChecked();
    const bool e = relEnfantsBouton_->isChecked();
    KELI* l = seulChoisi();
    if (!l) {
        fermerProchaineVue(true);
    } else {
        // The next column follows the newly chosen link.
        fermerProchaineVue(true);
        if (e)
            ouvrirPour(l->enfant(curseur_));
        if (p && !prochaine_)
            ouvrirPour(l->parent(curseur_));
    }
    relParentsBouton_->setChecked(p);
    relEnfantsBouton_->setChecked(e);
}

void KELVueDeRelation::choisir(KELI* l, std::uint32_t k, const KELSelIdRef& s, bool siRejeter)
{
    if (!l)
        return;
    if (k & keys::kCommandFlag) {
        if (propre_->siChoisit(l, s))
            propre_->rejeter(l, s);
        else
            propre_->choisir(l, s);
    } else {
        if (siRejeter)
            propre_->rejeterTous(s);
        propre_->choisir(l, s);
    }
    recharger();
}

void KELVueDeRelation::rejeter(KELI* l, std::uint32_t k, const KELSelIdRef& s)
{
    if (!l)
        return;
    if ((k & keys::kCommandFlag) && !propre_->siChoisit(l, s))
        propre_->choisir(l, s);
    else
        propre_->rejeter(l, s);
    recharger();
}

void KELVueDeRelation::debuterChoix(const KELSelIdRef& s) { anciensChoix_ = propre_->choix(s); }

void KELVueDeRelation::simpleClick(int clickedRow, std::uint32_t flags)
{
    const KELSelIdRef s = selIdPour(flags);
    glisser_.reinitialiser();
    if (clickedRow < 0)
        propre_->rejeterTous(s);
    if (propre_->choix(s) != anciensChoix_ || clickedRow < 0)
        choixChange();
    vueController_->rechargerVueController();
    acheverChoix(s);
}

} // namespace tallomer
