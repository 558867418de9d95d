#include "browser/KELVueDeModel.h"

#include "browser/KELVueController.h"
#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/Keys.h"
#include "platform/sound/Sound.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

namespace tallomer {

namespace {
QPushButton* nouveauBouton(QWidget* barre, const QString& titre, int x, int largeur, int hauteur, bool toggle)
{
    auto* b = new QPushButton(titre, barre);
    b->setGeometry(x, 3, largeur, hauteur);
    b->setCheckable(toggle);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// Our own drawings for the cursor buttons: a play triangle and a clock face.
QIcon iconePlay()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 8), QPoint(4, 14)}));
    return QIcon(pm);
}

QIcon iconeHorloge()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 8));
    return QIcon(pm);
}
} // namespace

KELVueDeModel::KELVueDeModel(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur)
    : KELVueDe(vc, precedente, lienInt, curseur)
{
    construire();
}

KELVueDeModel::KELVueDeModel(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur,
                             SansConstruire)
    : KELVueDe(vc, precedente, lienInt, curseur)
{
}

KELVueDeModel::~KELVueDeModel()
{
    // Whatever path took the column away, the link base never calls it back.
    enleverLesDeleguesDeMaj();
}

void KELVueDeModel::construire()
{
    model_ = KELServeurDeLiens::LienForInt(modelInt_, curseur_);
    selCtrl_ = model_ ? model_->selCtrlModel(curseur_) : nullptr;
    initLaScrollView();
    initLaTableView();
    initLaHeaderView();
    initLesBoutons();
    initLesColumns();
    curseur_->ajouterLeDelegueDeMaj(this, modelInt_);
    enregistres_.push_back(modelInt_);
}

KELIModel* KELVueDeModel::modelDeLaVue() const { return dynamic_cast<KELIModel*>(model_); }

bool KELVueDeModel::siMC(const KELI* relation) { return dynamic_cast<const KELIElemRelationMC*>(relation) != nullptr; }

KELId KELVueDeModel::curseurInt() const
{
    return curseur_ == KELServeurDeLiens::CurseurGlobal() ? 0 : curseur_->idInt();
}

std::vector<KELI*> KELVueDeModel::elements()
{
    KELIModel* m = modelDeLaVue();
    return m ? m->elements(curseur_) : std::vector<KELI*>{};
}

QVariant KELVueDeModel::valeur(KELI* e, const QString& identifiant) const
{
    if (!e)
        return QStringLiteral("Erreur");
    const int i = indexDeLaRel(identifiant.toULongLong());
    if (i < 0)
        return {};
    auto* r = dynamic_cast<KELIElemRelation*>(relations_[std::size_t(i)]);
    KELIModel* m = modelDeLaVue();
    if (!r)
        return {};
    if (m && m->relationMC(curseur_) == r)
        return QString::fromStdString(e->idTxt());
    const std::vector<KELI*>* enfants = r->enfantsDuParent(e, curseur_);
    if (!enfants || enfants->empty())
        return QString();
    if (enfants->size() >= 2)
        return QStringLiteral("%1 El.").arg(enfants->size());
    return KELVueDe::texteDe(enfants->front()->nom(curseur_));
}

QString KELVueDeModel::texteDeLEntete() const
{
    const std::size_t n = lignes_.size();
    QString nom;
    if (model_) {
        std::vector<std::string> chemin{"Nom"};
        nom = KELVueDe::texteDe(model_->baseSelonLesRelations(chemin, curseur_));
    }
    return n < 2 ? QStringLiteral("%1 %2").arg(n).arg(nom) : QStringLiteral("%1 %2s").arg(n).arg(nom);
}

void KELVueDeModel::majEntete() { majEnteteSelonLesChoix(); }

// ---- relation columns ----

int KELVueDeModel::indexDeLaRel(KELId relationInt) const
{
    for (std::size_t i = 0; i < relations_.size(); ++i)
        if (relations_[i]->idInt() == relationInt)
            return int(i);
    return -1;
}

void KELVueDeModel::initLesColumns()
{
    KELIModel* m = modelDeLaVue();
    if (m) {
        for (KELI* r : m->relationsParents(curseur_)) {
            if (!r || indexDeLaRel(r->idInt()) >= 0)
                continue;
            curseur_->ajouterLeDelegueDeMaj(this, r->idInt());
            enregistres_.push_back(r->idInt());
            relations_.push_back(r);
            colonnes_.push_back(
                {QString::number(qulonglong(r->idInt())), QString(), siMC(r) ? kLargeurMC : kLargeurRelation, siMC(r)});
        }
    }
    appliquerLesColonnes();
    for (KELI* r : relations_)
        majLaColumnPourLaRel(r);
    // Wide enough for the titles just given.
    appliquerLesLargeurs();
    recharger();
}

void KELVueDeModel::appliquerLesColonnes()
{
    if (!table_)
        return;
    modele_->reinitialiser();
    while (cellules_.size() > colonnes_.size()) {
        table_->setItemDelegateForColumn(int(cellules_.size() - 1), nullptr);
        cellules_.back()->deleteLater();
        cellules_.pop_back();
    }
    while (cellules_.size() < colonnes_.size()) {
        auto* cell = new GUITextFieldCell(sorteDeCellule(), guiView_);
        cell->referencerSelCtrl(selCtrl_);
        cell->referencerSelIds(vueController_->selIdHl(), vueController_->selIdBd());
        cellules_.push_back(cell);
    }
    for (std::size_t i = 0; i < colonnes_.size(); ++i)
        table_->setItemDelegateForColumn(int(i), cellules_[i]);
    appliquerLesLargeurs();
}

void KELVueDeModel::majLaColumnPourLaRel(KELI* relation)
{
    const int i = relation ? indexDeLaRel(relation->idInt()) : -1;
    if (i < 0)
        return;
    // The link base names a link with no name word by its id: that is no name here.
    const auto nomPropre = [this](KELI* l) {
        const QString n = KELVueDe::texteDe(l->nom(curseur_));
        return n == QString::fromStdString(l->idTxt()) ? QString() : n;
    };
    QString titre = nomPropre(relation);
    if (titre.isEmpty())
        if (auto* r = dynamic_cast<KELIElemRelation*>(relation))
            if (KELI* enfant = r->modelEnfant(curseur_))
                titre = nomPropre(enfant);
    if (titre.isEmpty())
        titre = QStringLiteral("?");
    colonnes_[std::size_t(i)].titre = titre;
    // Only the title: the rows are not read again.
    emit modele_->headerDataChanged(Qt::Horizontal, i, i);
}

void KELVueDeModel::ajouterUneColumnPourLaRel(KELI* relation)
{
    if (!relation || !table_)
        return;
    if (indexDeLaRel(relation->idInt()) >= 0) {
        majLaColumnPourLaRel(relation);
        return;
    }
    const std::size_t c = colonnes_.size();
    curseur_->ajouterLeDelegueDeMaj(this, relation->idInt());
    enregistres_.push_back(relation->idInt());
    if (c > 0)
        colonnes_.back().largeur = c >= 2 ? kLargeurRelation : kLargeurMC;
    relations_.push_back(relation);
    colonnes_.push_back({QString::number(qulonglong(relation->idInt())), QString(),
                         siMC(relation) ? kLargeurMC : kLargeurRelation, siMC(relation)});
    appliquerLesColonnes();
    majLaColumnPourLaRel(relation);
    appliquerLesLargeurs();
    recharger();
}

void KELVueDeModel::enleverLaColumnPourLaRel(KELId relationInt)
{
    const int i = indexDeLaRel(relationInt);
    if (i < 0)
        return;
    curseur_->enleverLeDelegueDeMaj(this, relationInt);
    const auto it = std::find(enregistres_.begin(), enregistres_.end(), relationInt);
    if (it != enregistres_.end())
        enregistres_.erase(it);
    relations_.erase(relations_.begin() + i);
    colonnes_.erase(colonnes_.begin() + i);
    appliquerLesColonnes();
    recharger();
}

void KELVueDeModel::enleverLesDeleguesDeMaj()
{
    for (KELId id : enregistres_)
        curseur_->enleverLeDelegueDeMaj(this, id);
    enregistres_.clear();
}

void KELVueDeModel::activationDuLienParent(KELI* lien)
{
    const KELId rel = lien->relationInt();
    if (rel == kel::kRelModels) {
        if (!model_) {
            model_ = KELServeurDeLiens::LienForInt(modelInt_, curseur_);
            if (model_ && !selCtrl_)
                selCtrl_ = model_->selCtrlModel(curseur_);
        }
    } else if (rel == kel::kRelModelEnfant || rel == kel::kRelNom) {
        majLaColumnPourLaRel(lien->parent(curseur_));
    }
}

void KELVueDeModel::desactivationDuLienParent(KELI* lien)
{
    if (lien->relationInt() == kel::kRelModels && guiView_)
        guiView_->update();
}

void KELVueDeModel::activationDuLienEnfant(KELI* lien)
{
    if (lien->relationInt() == kel::kRelModelParent && lien->enfantInt() == modelInt_)
        ajouterUneColumnPourLaRel(lien->parent(curseur_));
}

void KELVueDeModel::desactivationDuLienEnfant(KELI* lien)
{
    if (lien->relationInt() == kel::kRelModelParent && lien->enfantInt() == modelInt_)
        enleverLaColumnPourLaRel(lien->parentInt());
}

// ---- commands ----

void KELVueDeModel::initLesBoutons()
{
    const int h = hauteurDesBoutons();
    ajouterBouton_ = nouveauBouton(boutons_, QStringLiteral("+"), 0, 23, h, false);
    enleverBouton_ = nouveauBouton(boutons_, QStringLiteral("-"), 23, 23, h, false);
    relEnfantsBouton_ = nouveauBouton(boutons_, QStringLiteral("<"), 46, 23, h, true);
    relParentsBouton_ = nouveauBouton(boutons_, QStringLiteral(">"), 69, 23, h, true);
    ouvrirModelBouton_ = nouveauBouton(boutons_, QStringLiteral("O"), 92, 23, h, false);
    selectionBouton_ = nouveauBouton(boutons_, QStringLiteral("S"), 115, 23, h, false);
    connect(ajouterBouton_, &QPushButton::clicked, this, [this] { ajouterUnElement(); });
    connect(enleverBouton_, &QPushButton::clicked, this, [this] { enleverUnElement(flagsActuels()); });
    connect(relEnfantsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerRelEnfants(on); });
    connect(relParentsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerRelParents(on); });
    connect(ouvrirModelBouton_, &QPushButton::clicked, this, [this] { ouvrirModel(); });
    connect(selectionBouton_, &QPushButton::clicked, this, [this] { transfererSelection(flagsActuels()); });
}

KELI* KELVueDeModel::creerUnElement()
{
    KELIModel* m = modelDeLaVue();
    return m ? m->ajouterUnModel(curseur_) : nullptr;
}

bool KELVueDeModel::enleverLElement(KELI* e)
{
    KELIModel* m = modelDeLaVue();
    auto* membre = dynamic_cast<KELIModel*>(e);
    return m && membre && m->enleverLeModel(membre, curseur_);
}

KELI* KELVueDeModel::ajouterUnElement()
{
    KELI* e = creerUnElement();
    if (!e) {
        Sound::shared().beep();
        return nullptr;
    }
    recharger();
    if (!lignes_.empty())
        table_->montrerLaLigne(int(lignes_.size()) - 1);
    return e;
}

std::vector<KELI*> KELVueDeModel::choisis(const KELSelIdRef& s) const
{
    return selCtrl_ ? std::vector<KELI*>(selCtrl_->choix(s).begin(), selCtrl_->choix(s).end()) : std::vector<KELI*>{};
}

void KELVueDeModel::enleverUnElement(std::uint32_t flags)
{
    const KELSelIdRef s = selIdPour(flags);
    const std::vector<KELI*> membres = choisis(s);
    if (!siEnlevable() || membres.empty()) {
        Sound::shared().beep();
        return;
    }
    if (!enleverLesChoisis(s, [this](KELI* e) { return enleverLElement(e); }))
        Sound::shared().beep();
    vueController_->rechargerVueController();
}

void KELVueDeModel::ouvrirModel()
{
    const std::uint32_t k = flagsActuels();
    auto partage = (k & kFonctionFlag) ? vueController_->selection() : nullptr;
    if (siOuvrirLesMembres()) {
        const std::vector<KELI*> membres = choisis(selIdPour(k));
        if (membres.empty()) {
            Sound::shared().beep();
            return;
        }
        for (KELI* e : membres)
            KELVueController::ouvrir(e->idInt(), curseurInt(), partage);
        return;
    }
    if (partage) {
        KELVueController::ouvrir(modelInt_, curseurInt(), partage);
        return;
    }
    if (KELVueController* w = KELVueController::ouvrir(modelInt_, curseurInt()))
        if (KELVueDe* premiere = w->premiereVue())
            premiere->transfererSelectionDepuisVue(this, k);
}

void KELVueDeModel::ajouterProchaineVue(bool suivante)
{
    if (prochaine_)
        return;
    if (relParentsBouton_)
        relParentsBouton_->setChecked(true);
    prochaine_ = vueController_->ajouterVueDeRelParents(modelInt_, this, curseur_);
    recharger();
    if (!prochaine_) {
        if (relParentsBouton_)
            relParentsBouton_->setChecked(false);
        return;
    }
    if (suivante && prochaine_->selCtrl() && prochaine_->selCtrl()->nbDeChoix(vueController_->selIdHl()) > 0)
        prochaine_->ajouterProchaineVue(true);
}

// ---- choosing ----

void KELVueDeModel::choisir(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool siRejeter)
{
    choisirSelonLesTouches(e, k, s, siRejeter);
}

void KELVueDeModel::rejeter(KELI* e, std::uint32_t k, const KELSelIdRef& s)
{
    if (lierSiLieMode(e, k, s, false) || !selCtrl_ || !e)
        return;
    rejeterSelonLesTouches(e, k, s);
}

void KELVueDeModel::simpleClick(int clickedRow, std::uint32_t flags)
{
    const KELSelIdRef s = selIdPour(flags);
    glisser_.reinitialiser();
    if (selCtrl_ && !lieMode_) {
        bool fermer = false;
        if (clickedRow < 0) {
            selCtrl_->rejeterTous(s);
            fermer = true;
        } else if (selCtrl_->choix(s) == anciensChoix_) {
            if (!prochaine_)
                ajouterProchaineVue(false);
            else
                fermer = true;
        }
        if (fermer) {
            enleverProchaineVue();
            vueController_->rechargerVueController();
        }
    }
    majEntete();
    acheverChoix(s);
}

void KELVueDeModel::libererSelf()
{
    enleverLesDeleguesDeMaj();
    KELVueDe::libererSelf();
}

// ---- the other model classes ----

KELVueDeModelRelation::KELVueDeModelRelation(KELVueController* vc, KELVueDe* precedente, KELId lienInt,
                                             KELICurseur* curseur)
    : KELVueDeModel(vc, precedente, lienInt, curseur, SansConstruire{})
{
    construire();
}

KELI* KELVueDeModelRelation::creerUnElement()
{
    KELIModel* m = modelDeLaVue();
    return m ? m->ajouterUneRelation(curseur_) : nullptr;
}

bool KELVueDeModelRelation::enleverLElement(KELI* e)
{
    KELIModel* m = modelDeLaVue();
    auto* r = dynamic_cast<KELIElemRelation*>(e);
    if (!m || !r)
        return false;
    // The link base answers nothing here, whatever it closed.
    m->enleverLaRelation(r, curseur_);
    return true;
}

KELVueDeModelLien::KELVueDeModelLien(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur)
    : KELVueDeModel(vc, precedente, lienInt, curseur, SansConstruire{})
{
    construire();
}

KELI* KELVueDeModelLien::creerUnElement()
{
    KELIModel* m = modelDeLaVue();
    return m ? m->ajouterUnElement(curseur_) : nullptr;
}

bool KELVueDeModelLien::enleverLElement(KELI* e)
{
    KELIModel* m = modelDeLaVue();
    return m && m->enleverLElement(e, curseur_);
}

KELVueDeModelContexte::KELVueDeModelContexte(KELVueController* vc, KELVueDe* precedente, KELId lienInt,
                                             KELICurseur* curseur)
    : KELVueDeModel(vc, precedente, lienInt, curseur, SansConstruire{})
{
    construire();
}

KELI* KELVueDeModelContexte::creerUnElement()
{
    auto* m = dynamic_cast<KELIModelContexte*>(model_);
    return m ? m->ajouterUnContexte(curseur_) : nullptr;
}

// ---- cursors ----

KELVueDeModelCurseur::KELVueDeModelCurseur(KELVueController* vc, KELVueDe* precedente, KELId lienInt,
                                           KELICurseur* curseur)
    : KELVueDeModel(vc, precedente, lienInt, curseur, SansConstruire{})
{
    construire();
    acheverChoix(vueController_->selIdHl());
}

void KELVueDeModelCurseur::initLesBoutons()
{
    const int h = hauteurDesBoutons();
    ajouterBouton_ = nouveauBouton(boutons_, QStringLiteral("+"), 0, 23, h, false);
    enleverBouton_ = nouveauBouton(boutons_, QStringLiteral("-"), 23, 23, h, false);
    relEnfantsBouton_ = nouveauBouton(boutons_, QStringLiteral("<"), 46, 23, h, true);
    relParentsBouton_ = nouveauBouton(boutons_, QStringLiteral(">"), 69, 23, h, true);
    ouvrirModelBouton_ = nouveauBouton(boutons_, QStringLiteral("O"), 92, 23, h, false);
    champ_ = new QLineEdit(boutons_);
    champ_->setGeometry(120, 3, 60, h);
    playStop_ = nouveauBouton(boutons_, QString(), 184, 23, h, true);
    playStop_->setIcon(iconePlay());
    offset1_ = nouveauBouton(boutons_, QString(), 207, 23, h, false);
    offset1_->setIcon(iconeHorloge());
    offset2_ = nouveauBouton(boutons_, QString(), 230, 23, h, false);
    offset2_->setIcon(iconeHorloge());
    connect(ajouterBouton_, &QPushButton::clicked, this, [this] { ajouterUnElement(); });
    connect(enleverBouton_, &QPushButton::clicked, this, [this] { enleverUnElement(flagsActuels()); });
    connect(relEnfantsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerRelEnfants(on); });
    connect(relParentsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerRelParents(on); });
    connect(ouvrirModelBouton_, &QPushButton::clicked, this, [this] { ouvrirEditionDe(flagsActuels()); });
    connect(champ_, &QLineEdit::returnPressed, this, [this] { ouvrirEditionDe(flagsActuels()); });
    connect(playStop_, &QPushButton::clicked, this, [this](bool on) { playStopCurseur(on, flagsActuels()); });
    connect(offset1_, &QPushButton::clicked, this, [this] { rappelerOffset(1, flagsActuels()); });
    connect(offset2_, &QPushButton::clicked, this, [this] { rappelerOffset(2, flagsActuels()); });
}

KELI* KELVueDeModelCurseur::seulChoisi() const
{
    const std::vector<KELI*> c = choisis(vueController_->selIdHl());
    return c.size() == 1 ? c.front() : nullptr;
}

namespace {
QString mobilite(KELI* e, KELICc* c)
{
    std::vector<std::string> chemin{"Mobilite", "Nom"};
    return KELVueDe::texteDe(e->baseSelonLesRelations(chemin, c));
}
} // namespace

void KELVueDeModelCurseur::acheverChoix(const KELSelIdRef& s)
{
    KELVueDeModel::acheverChoix(s);
    if (!playStop_)
        return;
    KELI* e = seulChoisi();
    playStop_->setEnabled(e != nullptr);
    playStop_->setChecked(e && mobilite(e, curseur_) != QLatin1String("fixe"));
}

void KELVueDeModelCurseur::playStopCurseur(bool on, std::uint32_t flags)
{
    auto* e = dynamic_cast<KELIElemCurseur*>(seulChoisi());
    if (!e) {
        Sound::shared().beep();
        playStop_->setChecked(false);
        playStop_->setEnabled(false);
        return;
    }
    const bool commande = flags & keys::kCommandFlag;
    const QString fixe = QStringLiteral("fixe"), relatifCS = QStringLiteral("relative_cs");
    // What the cursor is to become: fixed, relative to its parent cursor, or to real time (any
    // other mobility).
    QString voulue;
    if (on) {
        voulue = commande ? QString() : relatifCS;
        if (commande)
            e->setTypeRelatifTR(curseur_);
        else
            e->setTypeRelatifCS(curseur_);
    } else if (!commande) {
        voulue = fixe;
        e->setTypeFixe(curseur_);
    } else {
        // Command swaps the reference and keeps the cursor moving.
        if (mobilite(e, curseur_) == relatifCS) {
            e->setTypeRelatifTR(curseur_);
        } else {
            voulue = relatifCS;
            e->setTypeRelatifCS(curseur_);
        }
    }
    // The button shows what the cursor does: a change the store could not keep left it as it was.
    const QString apres = mobilite(e, curseur_);
    playStop_->setChecked(apres != fixe);
    const bool fait = voulue.isEmpty() ? apres != fixe && apres != relatifCS : apres == voulue;
    if (!fait)
        Sound::shared().beep();
    recharger();
}

void KELVueDeModelCurseur::rappelerOffset(int i, std::uint32_t flags)
{
    const bool commande = flags & keys::kCommandFlag;
    bool aucun = true;
    for (KELI* l : choisis(vueController_->selIdHl()))
        if (auto* e = dynamic_cast<KELIElemCurseur*>(l)) {
            aucun = false;
            if (i == 1)
                e->rappelerOffset1(curseur_, commande);
            else
                e->rappelerOffset2(curseur_, commande);
        }
    // A clock with no cursor to act on says so, as "O" does.
    if (aucun)
        Sound::shared().beep();
    recharger();
}

void KELVueDeModelCurseur::ouvrirEditionDe(std::uint32_t flags)
{
    const KELId id = champ_->text().trimmed().toULongLong();
    std::vector<KELICurseur*> curseurs;
    for (KELI* l : choisis(selIdPour(flags)))
        if (auto* e = dynamic_cast<KELIElemCurseur*>(l))
            if (e->lienCurseur())
                curseurs.push_back(e->lienCurseur());
    if (curseurs.empty()) {
        Sound::shared().beep();
        return;
    }
    for (KELICurseur* c : curseurs)
        KELVueController::ouvrir(id, c == KELServeurDeLiens::CurseurGlobal() ? 0 : c->idInt());
}

KELI* KELVueDeModelCurseur::creerUnElement()
{
    auto* m = dynamic_cast<KELIModelCurseur*>(model_);
    if (!m)
        return nullptr;
    const std::vector<KELI*> c = choisis(vueController_->selIdHl());
    // Several chosen: which one is the parent is not for us to guess.
    if (c.size() > 1)
        return nullptr;
    return m->ajouterUnCurseurAvecLeCurseurSup(c.empty() ? nullptr : c.front(), curseur_);
}

void KELVueDeModelCurseur::libererSelf()
{
    if (champ_)
        champ_->disconnect(this);
    KELVueDeModel::libererSelf();
}

} // namespace tallomer
