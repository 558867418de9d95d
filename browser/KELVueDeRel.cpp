#include "browser/KELVueDeRel.h"

#include "browser/KELVueController.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/Keys.h"
#include "platform/sound/Sound.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tallomer {

namespace {
constexpr KELId kUnAUn = 238, kUnAPlusieurs = 239, kPlusieursAUn = 240, kPlusieursAPlusieurs = 241;
} // namespace

KELVueDeRel::KELVueDeRel(KELVueController* vc, KELVueDe* precedente, KELId modelInt, KELICurseur* curseur)
    : KELVueDe(vc, precedente, modelInt, curseur)
{
}

KELVueDeRel::~KELVueDeRel() = default;

void KELVueDeRel::construire()
{
    model_ = KELServeurDeLiens::LienForInt(kel::kModelDesRelations, curseur_);
    modelPrecedent_ = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(modelInt_, curseur_));
    KELSelCtrl* gauche = precedente_ ? precedente_->selCtrl() : nullptr;
    selCtrl_ = gauche ? (siParent() ? gauche->ctrlRP() : gauche->ctrlRE()) : nullptr;
    initLaScrollView();
    initLaTableView();
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    initLaHeaderView();
    initLesBoutons();
    const QString autre = siParent() ? QStringLiteral("C Enfant") : QStringLiteral("C Parent");
    initLesColonnes({{QStringLiteral("2"), QStringLiteral("Nom"), 80}, {QStringLiteral("3"), autre, 80}});
    QFont f(header_->font());
    f.setItalic(true);
    f.setPointSize(11);
    header_->setFont(f);
    majLieBouton();
}

KELVueDeRelParent::KELVueDeRelParent(KELVueController* vc, KELVueDe* precedente, KELId modelInt, KELICurseur* curseur)
    : KELVueDeRel(vc, precedente, modelInt, curseur)
{
    construire();
}

KELVueDeRelEnfant::KELVueDeRelEnfant(KELVueController* vc, KELVueDe* precedente, KELId modelInt, KELICurseur* curseur)
    : KELVueDeRel(vc, precedente, modelInt, curseur)
{
    construire();
}

std::vector<KELI*> KELVueDeRel::elements()
{
    if (!modelPrecedent_)
        return {};
    return siParent() ? modelPrecedent_->relationsParents(curseur_) : modelPrecedent_->relationsEnfants(curseur_);
}

KELI* KELVueDeRel::modelDeCeCote(KELI* r) const
{
    auto* rel = dynamic_cast<KELIElemRelation*>(r);
    return rel ? (siParent() ? rel->modelParent(curseur_) : rel->modelEnfant(curseur_)) : nullptr;
}

KELI* KELVueDeRel::modelDeLAutreCote(KELI* r) const
{
    auto* rel = dynamic_cast<KELIElemRelation*>(r);
    return rel ? (siParent() ? rel->modelEnfant(curseur_) : rel->modelParent(curseur_)) : nullptr;
}

QVariant KELVueDeRel::valeur(KELI* r, const QString& identifiant) const
{
    if (!r)
        return {};
    if (identifiant == QLatin1String("2")) {
        KELI* nom = r->enfantDeRelInt(kel::kRelNom, curseur_);
        return nom ? KELVueDe::texteDe(nom->base()) : QString();
    }
    if (identifiant == QLatin1String("3")) {
        KELI* m = modelDeLAutreCote(r);
        return m ? KELVueDe::texteDe(m->nom(curseur_)) : QString();
    }
    return {};
}

KELId KELVueDeRel::sorteDeRelation(KELI* r) const
{
    KELI* sorte = r ? r->enfantDeRelInt(kel::kRelCardinalite, curseur_) : nullptr;
    return sorte ? sorte->idInt() : 0;
}

KELIElemRelation* KELVueDeRel::relationChoisie() const
{
    if (!selCtrl_)
        return nullptr;
    const auto& c = const_cast<KELSelCtrl*>(selCtrl_)->choix(vueController_->selIdHl());
    return c.empty() ? nullptr : dynamic_cast<KELIElemRelation*>(*c.begin());
}

QString KELVueDeRel::texteDeLEntete() const
{
    const auto n = qulonglong(lignes_.size());
    const bool p = siParent();
    KELI* r = selCtrl_ && selCtrl_->nbDeChoix(vueController_->selIdHl()) == 1 ? relationChoisie() : nullptr;
    if (!r)
        return (p ? QStringLiteral("-------%1 RP------>") : QStringLiteral("<------%1 RE-------")).arg(n);
    switch (sorteDeRelation(r)) {
    case kUnAUn:
        return (p ? QStringLiteral(">------%1 RP------>") : QStringLiteral("<------%1 RE------<")).arg(n);
    case kUnAPlusieurs:
        return (p ? QStringLiteral(">------%1 RP----->>") : QStringLiteral("<<-----%1 RE------<")).arg(n);
    case kPlusieursAUn:
        return (p ? QStringLiteral(">>-----%1 RP------>") : QStringLiteral("<------%1 RE-----<<")).arg(n);
    case kPlusieursAPlusieurs:
        return (p ? QStringLiteral(">>-----%1 RP----->>") : QStringLiteral("<<-----%1 RE----<<")).arg(n);
    default:
        return (p ? QStringLiteral("?>>----%1 RP----->?") : QStringLiteral("?<-----%1 RE----<<?")).arg(n);
    }
}

void KELVueDeRel::initLesBoutons()
{
    auto bouton = [this](const QString& t, int x, int l, bool toggle) {
        auto* b = new QPushButton(t, boutons_);
        b->setGeometry(x, 3, l, hauteurDesBoutons());
        b->setCheckable(toggle);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    ajouterBouton_ = bouton(QStringLiteral("+"), 0, 23, false);
    enleverBouton_ = bouton(QStringLiteral("-"), 23, 23, false);
    ouvrirModelBouton_ = bouton(QStringLiteral("O"), 46, 23, false);
    liensBouton_ = bouton(QStringLiteral("L"), 69, 23, true);
    lieBouton_ = bouton(QStringLiteral("Lier"), 92, 43, true);
    lieBouton_->setEnabled(false);
    connect(ajouterBouton_, &QPushButton::clicked, this, [this] { ajouterUnElement(); });
    connect(enleverBouton_, &QPushButton::clicked, this, [this] { enleverUnElement(flagsActuels()); });
    connect(ouvrirModelBouton_, &QPushButton::clicked, this, [this] { ouvrirModel(); });
    connect(liensBouton_, &QPushButton::clicked, this, [this](bool on) { montrerLesLiens(on, flagsActuels()); });
    connect(lieBouton_, &QPushButton::clicked, this, [this] { changerLieMode(); });
}

// ---- commands ----

void KELVueDeRel::ajouterUnElement()
{
    auto* m2 = dynamic_cast<KELIModel*>(model_);
    if (!m2 || !modelPrecedent_) {
        Sound::shared().beep();
        return;
    }
    KELI* r = siParent() ? m2->ajouterUneRelationParentAuModel(modelPrecedent_, curseur_)
                         : m2->ajouterUneRelationEnfantAuModel(modelPrecedent_, curseur_);
    if (!r)
        Sound::shared().beep();
    fermerProchaineVue(true);
    recharger();
}

void KELVueDeRel::enleverUnElement(std::uint32_t flags)
{
    auto* m2 = dynamic_cast<KELIModel*>(model_);
    const KELSelIdRef s = selIdPour(flags);
    if (!m2 || !selCtrl_ || selCtrl_->nbDeChoix(s) == 0) {
        Sound::shared().beep();
        return;
    }
    const bool enleve = enleverLesChoisis(s, [this, m2](KELI* r) {
        auto* rel = dynamic_cast<KELIElemRelation*>(r);
        return rel && (m2->enleverLaRelation(rel, curseur_), true);
    });
    if (!enleve)
        Sound::shared().beep();
    fermerProchaineVue(true);
    vueController_->rechargerVueController();
}

void KELVueDeRel::ouvrirModel()
{
    const std::uint32_t k = flagsActuels();
    const KELSelIdRef s = selIdPour(k);
    KELI* r = selCtrl_ && selCtrl_->nbDeChoix(s) > 0 ? *selCtrl_->choix(s).begin() : nullptr;
    if (!r) {
        Sound::shared().beep();
        return;
    }
    const KELId c = curseur_ == KELServeurDeLiens::CurseurGlobal() ? 0 : curseur_->idInt();
    KELVueController* w = KELVueController::ouvrir(kel::kModelDesRelations, c,
                                                   (k & kFonctionFlag) ? vueController_->selection() : nullptr);
    KELVueDe* premiere = w ? w->premiereVue() : nullptr;
    if (!premiere)
        return;
    premiere->choisir(r, 0, w->selIdHl(), false);
    const auto& lignes = premiere->lignes();
    const auto it = std::find(lignes.begin(), lignes.end(), r);
    if (it != lignes.end())
        premiere->tableView()->montrerLaLigne(int(it - lignes.begin()));
}

void KELVueDeRel::montrerLesLiens(bool on, std::uint32_t flags)
{
    if (on && !liensViewer_) {
        const QRect cadre(table_->x(), hauteurDesBoutons() + 6, table_->width(), 97);
        liensViewer_ = std::make_unique<KELVueDeLiens>(vueController_, guiView_, cadre, curseur_);
        // The pane takes its 100 points from the bottom of the list.
        auto* layout = static_cast<QVBoxLayout*>(guiView_->layout());
        layout->insertWidget(layout->indexOf(boutons_), liensViewer_->guiView());
        const KELSelIdRef s = selIdPour(flags);
        KELI* r = selCtrl_ && selCtrl_->nbDeChoix(s) > 0 ? *selCtrl_->choix(s).begin() : nullptr;
        liensViewer_->setRelation(r);
        liensViewer_->recharger();
    } else if (!on && liensViewer_) {
        liensViewer_->libererSelf();
        liensViewer_.reset();
    }
    guiView_->update();
}

// ---- choosing ----

bool KELVueDeRel::siChoisir(KELI* r, const KELSelIdRef& s)
{
    KELI* ceCote = modelDeCeCote(r);
    KELI* autre = modelDeLAutreCote(r);
    KELSelCtrlModel* A = ceCote ? ceCote->selCtrlModel(curseur_) : nullptr;
    KELSelCtrlModel* B = autre ? autre->selCtrlModel(curseur_) : nullptr;
    if (A && !B) {
        enleverProchaineVue();
        return true;
    }
    if (A && B && !B->siSortieVersCtrlM(A, s))
        return true;
    Sound::shared().beep();
    return false;
}

void KELVueDeRel::ajouterProchaineVue(KELI* r, bool suivante)
{
    if (prochaine_ || !r)
        return;
    KELI* m = modelDeLAutreCote(r);
    prochaine_ = vueController_->ajouterVueAvecLienInt(m ? m->idInt() : 0, this, curseur_);
    recharger();
    auto* ctrl = prochaine_ ? dynamic_cast<KELSelCtrlModel*>(prochaine_->selCtrl()) : nullptr;
    if (suivante && ctrl && !ctrl->ctrlRSorties(vueController_->selIdHl()).empty())
        prochaine_->ajouterProchaineVue(true);
}

void KELVueDeRel::ajouterProchaineVue(bool suivante)
{
    ajouterProchaineVue(relationChoisie(), suivante);
}

void KELVueDeRel::choisir(KELI* r, std::uint32_t k, const KELSelIdRef& s, bool siRejeter)
{
    if (!siRejeter || !selCtrl_ || !r)
        return;
    const std::size_t n = selCtrl_->nbDeChoix(s);
    const bool commande = k & keys::kCommandFlag;
    const bool choisi = selCtrl_->siChoisit(r, s);
    if (n >= 2 && choisi) {
        if (commande) {
            selCtrl_->rejeter(r, s);
            fermerProchaineVue(false);
            KELI* reste = selCtrl_->nbDeChoix(s) ? *selCtrl_->choix(s).begin() : nullptr;
            if (reste)
                ajouterProchaineVue(reste, false);
            else
                fermerProchaineVue(true);
        } else {
            fermerProchaineVue(false);
            ajouterProchaineVue(r, false);
        }
    } else if (n >= 2 || (n == 1 && !choisi)) {
        if (siChoisir(r, s)) {
            if (!commande)
                selCtrl_->rejeterTous(s);
            selCtrl_->choisir(r, s);
            fermerProchaineVue(false);
            ajouterProchaineVue(r, false);
        }
    } else if (n == 1) {
        if (prochaine_ && lieMode_) {
            // Link mode keeps the column on the right.
        } else if (prochaine_) {
            KELI* m = modelDeLAutreCote(r);
            if (commande || (m && m->idInt() == modelInt_)) {
                selCtrl_->rejeter(r, s);
                enleverProchaineVue();
            } else {
                fermerProchaineVue(false);
                ajouterProchaineVue(r, false);
            }
        } else {
            ajouterProchaineVue(r, false);
        }
    } else if (siChoisir(r, s)) {
        selCtrl_->choisir(r, s);
        ajouterProchaineVue(r, false);
    }
    if (liensViewer_)
        liensViewer_->setRelation(selCtrl_->nbDeChoix(s) == 1 ? *selCtrl_->choix(s).begin() : nullptr);
    recharger();
}

void KELVueDeRel::rejeter(KELI* r, std::uint32_t k, const KELSelIdRef& s)
{
    if (lieMode_ || !selCtrl_ || !r)
        return;
    rejeterSelonLesTouches(r, k, s);
}

void KELVueDeRel::libererSelf()
{
    if (liensViewer_) {
        liensViewer_->libererSelf();
        liensViewer_.reset();
    }
    if (lieBouton_)
        lieBouton_->disconnect(this);
    if (liensBouton_)
        liensBouton_->disconnect(this);
    KELVueDe::libererSelf();
}

// ---- the links pane ----

KELVueDeLiens::KELVueDeLiens(KELVueController* vc, QWidget* parent, const QRect& frame, KELICurseur* curseur)
    : KELVueDe(vc, nullptr, 0, curseur)
{
    guiView_ = new GUIView(parent);
    guiView_->setGeometry(frame);
    guiView_->setFixedHeight(frame.height());
    auto* layout = new QVBoxLayout(guiView_);
    layout->setContentsMargins(0, 0, 0, 0);
    entete_ = new QLabel(guiView_);
    entete_->hide();
    table_ = new GUITableView(guiView_);
    layout->addWidget(table_);
    initLaTableView();
    initLaHeaderView();
    header_->setHauteurRuler(0);
    // Its columns of ids are as wide as a nine-digit id, wider together than the relation-end
    // column that holds the pane: past its edge the child ids would be out of reach.
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    initLesColonnes({{QStringLiteral("3"), QStringLiteral("Lien"), 33, true},
                     {QStringLiteral("1"), QStringLiteral("L Parent"), 54, true},
                     {QStringLiteral("2"), QStringLiteral("L Enfant"), 55, true}});
}

std::vector<KELI*> KELVueDeLiens::elements()
{
    auto* r = dynamic_cast<KELIElemRelation*>(model_);
    return r ? r->liens(curseur_) : std::vector<KELI*>{};
}

QVariant KELVueDeLiens::valeur(KELI* l, const QString& identifiant) const
{
    if (!l)
        return {};
    if (identifiant == QLatin1String("1"))
        return qulonglong(l->parentInt());
    if (identifiant == QLatin1String("2"))
        return qulonglong(l->enfantInt());
    if (identifiant == QLatin1String("3"))
        return qulonglong(l->idInt());
    return {};
}

} // namespace tallomer
