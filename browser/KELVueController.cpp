#include "browser/KELVueController.h"

#include "browser/GUIWidgets.h"
#include "browser/KELVueDe.h"
#include "browser/KELVueDeBase.h"
#include "browser/KELVueDeModel.h"
#include "browser/KELVueDeRel.h"
#include "browser/KELVueDeRelation.h"
#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/Keys.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>

#include <algorithm>

namespace tallomer {

namespace {
std::vector<KELVueController*>& registre()
{
    static std::vector<KELVueController*> r;
    return r;
}

// The cursor a --cursor id names: a cursor, or a cursor element's cursor.
KELICurseur* curseurPour(KELI* lien)
{
    if (auto* c = dynamic_cast<KELICurseur*>(lien))
        return c;
    if (auto* e = dynamic_cast<KELIElemCurseur*>(lien))
        return e->lienCurseur();
    return nullptr;
}
} // namespace

KELSorteDeVue sorteDeVuePour(KELI* lien)
{
    if (!lien)
        return KELSorteDeVue::Aucune;
    const std::string c = lien->kelClasse();
    if (c == "KELIModel") {
        if (lien->idInt() == kel::kModelDesRelations)
            return KELSorteDeVue::ModelRelation;
        if (lien->idInt() == kel::kModelDesModels)
            return KELSorteDeVue::Model;
        return KELSorteDeVue::ModelLien;
    }
    if (c == "KELIModelMot")
        return KELSorteDeVue::BaseMot;
    if (c == "KELIModelNombre")
        return KELSorteDeVue::BaseNombre;
    if (c == "KELIModelCurseur" || c == "KELICurseurGlobal")
        return KELSorteDeVue::ModelCurseur;
    if (c == "KELIModelContexte")
        return KELSorteDeVue::ModelContexte;
    if (dynamic_cast<KELIElemRelation*>(lien))
        return KELSorteDeVue::Relation;
    return KELSorteDeVue::Aucune;
}

const std::vector<KELVueController*>& KELVueController::ouvertes() { return registre(); }

void KELVueController::fermerToutes()
{
    const auto fenetres = registre();
    for (KELVueController* w : fenetres) {
        w->fermerLesVues();
        delete w;
    }
}

KELVueController* KELVueController::ouvrir(KELId lienInt, KELId curseurInt,
                                           std::shared_ptr<KELIElemSelection> selection)
{
    KELICurseur* global = KELServeurDeLiens::CurseurGlobal();
    if (!global) {
        logFormat("KELVueController ouvrir: the link base is not loaded (link %llu)", (unsigned long long)lienInt);
        return nullptr;
    }
    KELICurseur* curseur = global;
    if (curseurInt != 0) {
        curseur = curseurPour(KELServeurDeLiens::LienForInt(curseurInt, global));
        if (!curseur) {
            logFormat("KELVueController ouvrir: %llu is no cursor", (unsigned long long)curseurInt);
            return nullptr;
        }
    }
    auto* w = new KELVueController(std::move(selection), curseur, lienInt);
    if (w->vues_.empty()) {
        delete w;
        return nullptr;
    }
    KELI* lien = KELServeurDeLiens::LienForInt(lienInt, curseur);
    const KELI* elem = curseur->elemCurseur();
    w->setWindowTitle(QStringLiteral("%1 (%2)").arg(lien ? KELVueDe::texteDe(lien->nom(curseur)) : QString(),
                                                      QString::number(elem ? qulonglong(elem->idInt()) : 0ull)));
    // Beside the window it was opened from (a browser window's column), else beside the Space window.
    QWidget* depuis = QApplication::activeWindow();
    placement::placeBeside(w, depuis != w ? depuis : nullptr);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

KELVueController::KELVueController(std::shared_ptr<KELIElemSelection> selection, KELICurseur* curseur, KELId lienInt)
    : QWidget(nullptr, Qt::Window), contenu_(new GUIView(this)), curseur_(curseur)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    vues_.reserve(10);
    if (selection) {
        selection_ = std::move(selection);
        selection_->ajouterVueController(this);
    } else {
        selection_ = std::make_shared<KELIElemSelection>(this, lienInt);
    }
    registre().push_back(this);
    enMaj_ = true;
    resize(kLargeurInitiale, kHauteurInitiale);
    contenu_->setGeometry(10, 0, kLargeurInitiale - 10, kHauteurInitiale - 7);
    enMaj_ = false;
    qApp->installEventFilter(this);
    ajouterVueAvecLienInt(lienInt, nullptr, curseur_);
}

KELVueController::~KELVueController()
{
    qApp->removeEventFilter(this);
    fermerLesVues();
    auto& r = registre();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

void KELVueController::fermerLesVues()
{
    while (!vues_.empty())
        enleverDerniereVue();
    if (selection_)
        selection_->enleverVueController(this);
}

KELVueDe* KELVueController::ajouterVueAvecLienInt(KELId lienInt, KELVueDe* precedente, KELICurseur* curseur)
{
    KELI* lien = KELServeurDeLiens::LienForInt(lienInt, curseur);
    std::unique_ptr<KELVueDe> vue;
    switch (sorteDeVuePour(lien)) {
    case KELSorteDeVue::BaseMot:
        vue = std::make_unique<KELVueDeBaseMot>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::BaseNombre:
        vue = std::make_unique<KELVueDeBaseNombre>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::Model:
        vue = std::make_unique<KELVueDeModel>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::ModelRelation:
        vue = std::make_unique<KELVueDeModelRelation>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::ModelLien:
        vue = std::make_unique<KELVueDeModelLien>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::ModelCurseur:
        vue = std::make_unique<KELVueDeModelCurseur>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::ModelContexte:
        vue = std::make_unique<KELVueDeModelContexte>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::Relation:
        vue = std::make_unique<KELVueDeRelation>(this, precedente, lienInt, curseur);
        break;
    case KELSorteDeVue::Aucune:
        logFormat("Aucun KELVueDe disponible pour le LienId %lu !!!!!", static_cast<unsigned long>(lienInt));
        Sound::shared().beep();
        // A column waiting to be replaced goes now: nothing takes its place.
        if (siEnleverVueEnDiffere_) {
            siEnleverVueEnDiffere_ = false;
            enleverDerniereVue();
        }
        return nullptr;
    }
    KELVueDe* v = vue.get();
    ajouterLaVue(std::move(vue));
    return v;
}

KELVueDe* KELVueController::ajouterVueDeRelParents(KELId modelInt, KELVueDe* precedente, KELICurseur* curseur)
{
    auto vue = std::make_unique<KELVueDeRelParent>(this, precedente, modelInt, curseur);
    KELVueDe* v = vue.get();
    ajouterLaVue(std::move(vue));
    return v;
}

KELVueDe* KELVueController::ajouterVueDeRelEnfants(KELId modelInt, KELVueDe* precedente, KELICurseur* curseur)
{
    auto vue = std::make_unique<KELVueDeRelEnfant>(this, precedente, modelInt, curseur);
    KELVueDe* v = vue.get();
    ajouterLaVue(std::move(vue));
    return v;
}

int KELVueController::prochainePositionX() const
{
    int x = 0;
    for (const auto& v : vues_)
        x += v->guiView()->width();
    return x;
}

void KELVueController::ajouterLaVue(std::unique_ptr<KELVueDe> vue)
{
    QWidget* nv = vue->guiView();
    const int h = contenu_->height();
    const int largeur = nv->width();
    if (!siEnleverVueEnDiffere_ || vues_.empty()) {
        const int x = prochainePositionX();
        nv->setGeometry(x, 0, largeur, h);
        largeurContenu_ = x + largeur;
        contenu_->resize(largeurContenu_, h);
        majLargeurWindow();
        nv->show();
        vues_.push_back(std::move(vue));
    } else {
        QWidget* ancienne = vues_.back()->guiView();
        const int x = prochainePositionX() - ancienne->width();
        nv->setGeometry(x, 0, largeur, h);
        if (largeur >= ancienne->width()) {
            // Wider: the window widens before the old column goes.
            largeurContenu_ = x + largeur;
            contenu_->resize(largeurContenu_, h);
            ancienne->update();
            majLargeurWindow();
            oublierLaDerniereVue();
            vues_.pop_back();
            nv->show();
            vues_.push_back(std::move(vue));
        } else {
            // Narrower: the old column goes first, the window shrinks once the new one is drawn.
            oublierLaDerniereVue();
            vues_.pop_back();
            contenu_->update();
            largeurContenu_ = x + largeur;
            contenu_->resize(largeurContenu_, h);
            nv->show();
            vues_.push_back(std::move(vue));
            nv->update();
            majLargeurWindow();
        }
    }
    siEnleverVueEnDiffere_ = false;
    majLargeurMinimale();
}

void KELVueController::enleverDerniereVueAvecAnimation(bool maintenant)
{
    if (maintenant)
        enleverDerniereVue();
    else
        siEnleverVueEnDiffere_ = true;
}

void KELVueController::enleverDerniereVue()
{
    if (vues_.empty())
        return;
    oublierLaDerniereVue();
    vues_.pop_back();
    largeurContenu_ = prochainePositionX();
    contenu_->resize(largeurContenu_, contenu_->height());
    majLargeurWindow();
    majLargeurMinimale();
}

void KELVueController::oublierLaDerniereVue()
{
    KELVueDe* derniere = vues_.back().get();
    derniere->libererSelf();
    for (const auto& v : vues_)
        v->oublierProchaineVue(derniere);
}

bool KELVueController::siPremiereVue(const KELVueDe* vue) const { return !vues_.empty() && vues_.front().get() == vue; }

KELVueDe* KELVueController::premiereVue() const { return vues_.empty() ? nullptr : vues_.front().get(); }

void KELVueController::rechargerVueController()
{
    if (selection_)
        selection_->recharger();
}

void KELVueController::recharger()
{
    for (const auto& v : vues_)
        v->recharger();
}

void KELVueController::majLargeurWindow()
{
    // A floor left from a wider chain would hold the window wider than its columns; lowering it
    // resizes nothing, and the columns' own floor is set once they are in place.
    if (minimumWidth() > largeurContenu_ + 20)
        setMinimumWidth(largeurContenu_ + 20);
    enMaj_ = true;
    resize(largeurContenu_ + 20, height());
    enMaj_ = false;
}

void KELVueController::majLargeurMinimale()
{
    if (vues_.empty()) {
        setMinimumWidth(0);
        return;
    }
    const int autres = largeurContenu_ - vues_.back()->guiView()->width();
    setMinimumWidth(std::min(autres + kLargeurMinimaleDerniere, largeurContenu_) + 20);
}

void KELVueController::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int h = std::max(0, height() - 7);
    if (!enMaj_ && !vues_.empty()) {
        const int delta = width() - (largeurContenu_ + 20);
        QWidget* derniere = vues_.back()->guiView();
        if (delta != 0 && derniere->width() + delta >= kLargeurMinimaleDerniere) {
            derniere->resize(derniere->width() + delta, derniere->height());
            largeurContenu_ += delta;
        } else if (delta != 0) {
            majLargeurWindow();
        }
    }
    contenu_->setGeometry(10, 0, largeurContenu_, h);
    for (const auto& v : vues_)
        v->guiView()->resize(v->guiView()->width(), h);
}

void KELVueController::closeEvent(QCloseEvent* event)
{
    fermerLesVues();
    event->accept();
    deleteLater();
}

bool KELVueController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type t = event->type();
    if (t != QEvent::ContextMenu && t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::ShortcutOverride)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || (w != this && !isAncestorOf(w)))
        return false;
    if (t == QEvent::ContextMenu)
        return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() != keys::kFnKey)
        return false;
    if (t == QEvent::KeyPress)
        fonction_ = true;
    else if (t == QEvent::KeyRelease && !k->isAutoRepeat())
        fonction_ = false;
    return true;
}

} // namespace tallomer
