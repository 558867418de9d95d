#include "browser/KELVueDeBase.h"

#include "browser/KELVueController.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/Keys.h"
#include "platform/sound/Sound.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>

#include <cmath>

namespace tallomer {

KELVueDeBase::KELVueDeBase(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur)
    : KELVueDe(vc, precedente, lienInt, curseur)
{
    model_ = KELServeurDeLiens::LienForInt(lienInt, curseur);
    selCtrl_ = model_ ? model_->selCtrlModel(curseur) : nullptr;
    initLaScrollView();
    initLaTableView();
    initLaHeaderView();
    initLesBoutons();
    initLesColonnes({{QStringLiteral("1"), QStringLiteral("MC"), 35, true}, {QStringLiteral("2"), QStringLiteral("Base"), 80}});
}

KELIModelBase* KELVueDeBase::modelBase() const { return dynamic_cast<KELIModelBase*>(model_); }

std::vector<KELI*> KELVueDeBase::elements()
{
    auto* m = dynamic_cast<KELIModel*>(model_);
    return m ? m->elements(curseur_) : std::vector<KELI*>{};
}

QVariant KELVueDeBase::valeur(KELI* lien, const QString& identifiant) const
{
    if (!lien)
        return {};
    if (identifiant == QLatin1String("1"))
        return QString::number(qulonglong(lien->idInt()));
    if (identifiant == QLatin1String("2")) {
        const KELValue v = lien->base();
        if (std::holds_alternative<std::string>(v) || std::holds_alternative<double>(v))
            return texteDe(v);
    }
    return {};
}

QString KELVueDeBase::texteDeLEntete() const
{
    const std::size_t n = lignes_.size();
    QString nom;
    if (model_) {
        std::vector<std::string> chemin{"Nom"};
        const KELValue v = model_->baseSelonLesRelations(chemin, curseur_);
        if (const auto* s = std::get_if<std::string>(&v))
            nom = QString::fromStdString(*s);
    }
    return n < 2 ? QStringLiteral("%1 %2").arg(n).arg(nom) : QStringLiteral("%1 %2s").arg(n).arg(nom);
}

void KELVueDeBase::majEntete() { majEnteteSelonLesChoix(); }

bool KELVueDeBase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == boutons_ && event->type() == QEvent::Resize && champ_)
        champ_->resize(std::max(20, boutons_->width() - 148), champ_->height());
    return KELVueDe::eventFilter(watched, event);
}

void KELVueDeBase::initLesBoutons()
{
    auto bouton = [this](const QString& t, int x, bool toggle) {
        auto* b = new QPushButton(t, boutons_);
        b->setGeometry(x, 3, 23, hauteurDesBoutons());
        b->setCheckable(toggle);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    ajouterBouton_ = bouton(QStringLiteral("+"), 0, false);
    enleverBouton_ = bouton(QStringLiteral("-"), 23, false);
    relEnfantsBouton_ = bouton(QStringLiteral("<"), 46, true);
    relParentsBouton_ = bouton(QStringLiteral(">"), 69, true);
    ouvrirModelBouton_ = bouton(QStringLiteral("O"), 92, false);
    selectionBouton_ = bouton(QStringLiteral("S"), 115, false);
    champ_ = new QLineEdit(boutons_);
    champ_->setGeometry(143, 3, largeurDelaVue() - 148, hauteurDesBoutons());
    boutons_->installEventFilter(this);
    connect(ajouterBouton_, &QPushButton::clicked, this, [this] { ajouterUnElement(); });
    connect(champ_, &QLineEdit::returnPressed, this, [this] { ajouterUnElement(); });
    connect(enleverBouton_, &QPushButton::clicked, this, [this] { enleverUnElement(flagsActuels()); });
    connect(relEnfantsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerRelEnfants(on); });
    connect(relParentsBouton_, &QPushButton::clicked, this, [this](bool on) { montrerRelParents(on); });
    connect(ouvrirModelBouton_, &QPushButton::clicked, this, [this] { ouvrirModel(); });
    connect(selectionBouton_, &QPushButton::clicked, this, [this] { transfererSelection(flagsActuels()); });
}

KELI* KELVueDeBase::ajouterUnElement()
{
    KELI* e = ajouterLaValeur(champ_->text());
    if (!e) {
        Sound::shared().beep();
        return nullptr;
    }
    recharger();
    const auto it = std::find(lignes_.begin(), lignes_.end(), e);
    if (it != lignes_.end())
        table_->montrerLaLigne(int(it - lignes_.begin()));
    champ_->selectAll();
    return e;
}

void KELVueDeBase::enleverUnElement(std::uint32_t flags)
{
    auto* m = dynamic_cast<KELIModel*>(model_);
    const KELSelIdRef s = selIdPour(flags);
    if (!m || !selCtrl_ || selCtrl_->nbDeChoix(s) == 0) {
        Sound::shared().beep();
        return;
    }
    if (!enleverLesChoisis(s, [this, m](KELI* e) { return m->enleverLElement(e, curseur_) != nullptr; }))
        Sound::shared().beep();
    vueController_->rechargerVueController();
}

void KELVueDeBase::ouvrirModel()
{
    const std::uint32_t k = flagsActuels();
    const KELICurseur* c = curseur_;
    const KELId curseurInt = c == KELServeurDeLiens::CurseurGlobal() ? 0 : c->idInt();
    if (k & kFonctionFlag) {
        KELVueController::ouvrir(modelInt_, curseurInt, vueController_->selection());
        return;
    }
    if (KELVueController* w = KELVueController::ouvrir(modelInt_, curseurInt))
        if (KELVueDe* premiere = w->premiereVue())
            premiere->transfererSelectionDepuisVue(this, k);
}

void KELVueDeBase::choisir(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool siRejeter)
{
    choisirSelonLesTouches(e, k, s, siRejeter);
}

void KELVueDeBase::rejeter(KELI* e, std::uint32_t k, const KELSelIdRef& s)
{
    if (lierSiLieMode(e, k, s, false) || !selCtrl_ || !e)
        return;
    if ((k & keys::kCommandFlag) && !selCtrl_->siChoisit(e, s))
        selCtrl_->choisir(e, s);
    else
        selCtrl_->rejeter(e, s);
    recharger();
}

void KELVueDeBase::simpleClick(int clickedRow, std::uint32_t flags)
{
    const KELSelIdRef s = selIdPour(flags);
    glisser_.reinitialiser();
    if (!selCtrl_) {
        acheverChoix(s);
        return;
    }
    if (lieMode_) {
        // In link mode a click links or unlinks; it neither unchooses nor opens a column.
    } else if (clickedRow < 0) {
        selCtrl_->rejeterTous(s);
        enleverProchaineVue();
        vueController_->rechargerVueController();
    } else if (selCtrl_->choix(s) == anciensChoix_) {
        // An unchanged choice opens the child-relation column, or closes the open one.
        if (!prochaine_) {
            ajouterProchaineVue(false);
        } else {
            enleverProchaineVue();
            vueController_->rechargerVueController();
        }
    }
    majEntete();
    acheverChoix(s);
}

void KELVueDeBase::ajouterProchaineVue(bool)
{
    if (prochaine_)
        return;
    if (relEnfantsBouton_)
        relEnfantsBouton_->setChecked(true);
    prochaine_ = vueController_->ajouterVueDeRelEnfants(modelInt_, this, curseur_);
    if (!prochaine_ && relEnfantsBouton_)
        relEnfantsBouton_->setChecked(false);
    recharger();
}

void KELVueDeBase::libererSelf()
{
    if (champ_)
        champ_->disconnect(this);
    KELVueDe::libererSelf();
}

KELVueDeBaseMot::KELVueDeBaseMot(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur)
    : KELVueDeBase(vc, precedente, lienInt, curseur)
{
}

KELI* KELVueDeBaseMot::ajouterLaValeur(const QString& texte)
{
    auto* m = dynamic_cast<KELIModelMot*>(model_);
    // A word of blanks would be a row that reads as nothing.
    if (!m || texte.trimmed().isEmpty())
        return nullptr;
    return m->ajouterLeMot(texte.toStdString(), curseur_);
}

KELVueDeBaseNombre::KELVueDeBaseNombre(KELVueController* vc, KELVueDe* precedente, KELId lienInt,
                                       KELICurseur* curseur)
    : KELVueDeBase(vc, precedente, lienInt, curseur)
{
}

std::optional<double> KELVueDeBaseNombre::lireNombre(const QString& texte)
{
    // No thousands separators: "3,500" typed for three and a half must not read as 3500.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(texte.trimmed(), &ok);
    if (!ok || !std::isfinite(v) || texte.trimmed().isEmpty())
        return std::nullopt;
    return v;
}

KELI* KELVueDeBaseNombre::ajouterLaValeur(const QString& texte)
{
    auto* m = dynamic_cast<KELIModelNombre*>(model_);
    const auto v = lireNombre(texte);
    if (!m || !v)
        return nullptr;
    return m->ajouterLeNombre(*v, curseur_);
}

} // namespace tallomer
