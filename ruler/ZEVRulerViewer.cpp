#include "ruler/ZEVRulerViewer.h"

#include "look/KELSharedResources.h"
#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "ruler/ZEVRulerViewParts.h"
#include "ruler/ZEVStampClass.h"
#include "ruler/ZEVTlineType.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QGuiApplication>
#include <QMenu>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// The periodic redraw, and the ticks of the step loops and of the animations.
constexpr char kRecharger[] = "_recharger";
constexpr const char* kPas[] = {"_bougerCurseur",    "_bougerRuler",           "_bougerCurseurEtRuler",
                                "_agrandirContexte", "_diminuerContexte",      "_bougerCurseurAGauche",
                                "_bougerCurseurADroite"};
constexpr const char* kAnimations[] = {"_animerCurseurToDate", "_animerCurseurEtRuler", "_animerCurseurEtContexteIn",
                                       "_animerNow",           "_animerSearch",         "_animerRuler"};
constexpr double kPeriodeDesPas = 0.03;
constexpr double kPeriodeDesVues = 0.15;
constexpr double kRechargeEnMouvement = 10.0;
constexpr double kRechargeMin = 0.04;
// The strip and the bar are laid just above the content view's top edge, out of sight until the
// front layer lays them over the desk.
constexpr double kHauteurStrip = 36.0;
constexpr double kHauteurBar = 23.0;

} // namespace

ZEVRulerViewer::ZEVRulerViewer(ZEVRulerClassServices& rulerClass, ZEVSpaceController& space,
                               const QString& resourceFolder, std::unique_ptr<ZEVRulerParts> parts)
    : space_(space), rulerClass_(rulerClass), parts_(parts ? std::move(parts) : std::make_unique<ZEVRulerViewParts>())
{
    tlContexte_ = rulerClass_.tlContexte();
    tlCurseur_ = space_.tlCurseur();
    curseurEnDeplacement_ = space_.actifCurseur();
    curseurViews_.reserve(10);
    prochaineRecharge_ = kRechargeEnMouvement;
    etat_ = Etat::Repos;
    modifiers_ = [] { return QGuiApplication::queryKeyboardModifiers(); };

    // The content view fills the window; before the window first shows, only the window has its
    // size.
    const QSize contenu = space_.spaceWindow() ? space_.spaceWindow()->size() : QSize();
    tlineView_ = parts_->creerTlineView(QRectF(0, contenu.height(), contenu.width(), kHauteurStrip), *this);
    // Half the width at creation, kept when the window is resized.
    rulerWidth_ = std::max(1.0, contenu.width() / 2.0);
    const double span = tlContexte_ ? tlContexte_->nowOut() - tlContexte_->nowIn() : 0.0;
    rulerRatio_ = span / rulerWidth_;
    rulerViewbar_ = parts_->creerRulerViewbar(QRectF(0, contenu.height(), contenu.width(), kHauteurBar), *this);
    construireLesMenus();

    tlineType_ = ZEVTlineType::RulerWithSpaceName(QStringLiteral("zevDate"), resourceFolder);
    if (tlContexte_)
        tlineType_->setInDate(tlContexte_->nowIn(), tlContexte_->nowOut());
    tlineView_->setTlineType(tlineType_.get());
    tlineView_->assignForegroundColor(space_.host().sharedResources().rulerTexteColor());
    tlineView_->setClickPositionForDisplay(10);

    for (KELICurseur* c : rulerClass_.curseurs()) {
        if (!c || mapCurseurCurseurView_.count(c))
            continue;
        auto vue = parts_->creerCurseurView(c, c == space_.nowCurseur(), *tlineView_, *this);
        if (!vue)
            continue;
        curseurViews_.push_back(vue.get());
        mapCurseurCurseurView_[c] = std::move(vue);
    }
    tlineView_->setNeedsDisplay();
    majProchaineRecharge();
}

ZEVRulerViewer::~ZEVRulerViewer() = default;

QRectF ZEVRulerViewer::tlineViewRect() const { return tlineView_ ? tlineView_->frame() : QRectF(); }

double ZEVRulerViewer::tlineSpan() const { return tlineType_ ? tlineType_->outDate() - tlineType_->inDate() : 0.0; }

double ZEVRulerViewer::tlineWidth() const { return tlineView_ ? tlineView_->frame().width() - 1.0 : -1.0; }

KELDate ZEVRulerViewer::dateForTlinePoint(double x) const
{
    if (!tlineType_)
        return 0.0;
    const double w = tlineWidth();
    return tlineType_->dateForRelativeCoordinate(w != 0.0 ? x / w : 0.0);
}

KELICurseur* ZEVRulerViewer::actifCurseur() const { return space_.actifCurseur(); }
KELICurseur* ZEVRulerViewer::nowCurseur() const { return space_.nowCurseur(); }
KELICurseur* ZEVRulerViewer::searchCurseur() const { return space_.searchCurseur(); }

ZEVTlineCurseurViewServices* ZEVRulerViewer::curseurViewForCurseur(KELICurseur* curseur) const
{
    auto it = mapCurseurCurseurView_.find(curseur);
    return it == mapCurseurCurseurView_.end() ? nullptr : it->second.get();
}

ZEVTlineCurseurViewServices* ZEVRulerViewer::curseurViewForActifCurseur() const
{
    return curseurViewForCurseur(space_.actifCurseur());
}

ZEVTlineCurseurViewServices* ZEVRulerViewer::vueEnDeplacement() const
{
    return curseurViewForCurseur(curseurEnDeplacement_);
}

// ---------------------------------------------------------------------------------------------
// Events

void ZEVRulerViewer::draggWithEvent(QMouseEvent* event)
{
    if (ZEVTlineCurseurViewServices* v = curseurViewForActifCurseur())
        v->draggCurseurWithEvent(event);
}

void ZEVRulerViewer::draggEntityWithEvent(QMouseEvent* event)
{
    if (ZEVTlineCurseurViewServices* v = curseurViewForActifCurseur())
        v->draggEntityWithEvent(event);
}

void ZEVRulerViewer::scrollWheelWithEvent(QWheelEvent* event)
{
    if (ZEVTlineCurseurViewServices* v = curseurViewForActifCurseur())
        v->scrollWheelWithEvent(event);
}

void ZEVRulerViewer::magnify(QNativeGestureEvent* event)
{
    if (ZEVTlineCurseurViewServices* v = curseurViewForActifCurseur())
        v->magnify(event);
}

// ---------------------------------------------------------------------------------------------
// Display

void ZEVRulerViewer::displayRuler()
{
    if (!tlContexte_)
        return;
    const double in = tlContexte_->nowIn();
    const double out = tlContexte_->nowOut();
    const double span = out - in;
    if (std::isfinite(span)) {
        // The seconds per point change only when the span crosses a multiple of 100 s.
        const double cle = std::trunc(span / 100.0) * 100.0;
        if (cle != majRuler_) {
            rulerRatio_ = span / rulerWidth_;
            tlineView_->rulerDidChange();
            majRuler_ = cle;
        }
    }
    tlineType_->setInDate(in, out);
    rulerViewbar_->majDatePicker();
    tlineView_->setNeedsDisplay();
    if (frontViewer_)
        frontViewer_->displayAllInspectView();
}

double ZEVRulerViewer::delaiDeRecharge() const
{
    const double d = rulerRatio_ / 3.0;
    if (!std::isfinite(d))
        return kRechargeEnMouvement;
    return std::max(kRechargeMin, d);
}

void ZEVRulerViewer::majProchaineRecharge()
{
    Scheduler::shared().cancel(this, kRecharger);
    prochaineRecharge_ = delaiDeRecharge();
    recharger();
}

void ZEVRulerViewer::recharger()
{
    displayRuler();
    Scheduler::shared().cancel(this, kRecharger);
    Scheduler::shared().perform(this, kRecharger, prochaineRecharge_, [this] { recharger(); }, true);
}

// ---------------------------------------------------------------------------------------------
// The move protocol

void ZEVRulerViewer::entrerLaSaisieDuBar()
{
    // A move or a change of cursor asked from elsewhere (a preset, the wheel, a drag) comes after
    // the date the user typed into the bar and has not entered: it is entered first, as leaving the
    // box by a click does. The move asked for keeps the cursor it was to move.
    if (etat_ != Etat::Repos || !rulerViewbar_)
        return;
    KELICurseur* enDeplacement = curseurEnDeplacement_;
    rulerViewbar_->entrerLesDatesTapees();
    curseurEnDeplacement_ = enDeplacement;
}

bool ZEVRulerViewer::userInitieDeplacementCurseur()
{
    // Also refused from a participant's hook or a desk's notice inside a move or its end.
    if (etat_ != Etat::Repos)
        return false;
    entrerLaSaisieDuBar();
    if (etat_ != Etat::Repos)
        return false;
    etat_ = Etat::EnMouvement;
    const std::uint64_t jeton = ++jeton_;
    prochaineRecharge_ = kRechargeEnMouvement;
    siPremierDeplacement_ = true;
    // A participant that ended the move at once tells the others nothing more.
    auto encore = [this, jeton] { return etat_ == Etat::EnMouvement && jeton_ == jeton; };
    if (curseurEnDeplacement_) {
        curseurEnDeplacement_->initierDeplacementCurseur();
        if (ZEVTlineCurseurViewServices* v = vueEnDeplacement(); v && encore())
            v->initierDeplacementCurseur();
    }
    if (encore())
        rulerViewbar_->initierDeplacementCurseur();
    if (frontViewer_ && encore())
        frontViewer_->initierDeplacementCurseur();
    return true;
}

void ZEVRulerViewer::userTermineDeplacementCurseur()
{
    // Outside a move, and while the move is ending (from a participant's hook), nothing happens.
    if (etat_ != Etat::EnMouvement)
        return;
    etat_ = Etat::EnFin;
    // Every pending tick of the move goes, the animations' too: none may move a cursor after the
    // move has ended.
    annulerLesAnimations();
    userDesactiveBouger();
    displayRuler();
    majProchaineRecharge();
    if (curseurEnDeplacement_) {
        curseurEnDeplacement_->terminerDeplacementCurseur();
        if (ZEVTlineCurseurViewServices* v = vueEnDeplacement())
            v->terminerDeplacementCurseur();
    }
    rulerViewbar_->terminerDeplacementCurseur();
    if (frontViewer_)
        frontViewer_->terminerDeplacementCurseur();
    space_.addToHistory();
    ++termines_;
    etat_ = Etat::Repos;
}

void ZEVRulerViewer::annulerLesPas()
{
    for (const char* nom : kPas)
        Scheduler::shared().cancel(this, nom);
}

void ZEVRulerViewer::annulerLesAnimations()
{
    for (const char* nom : kAnimations)
        Scheduler::shared().cancel(this, nom);
}

void ZEVRulerViewer::userDesactiveBouger()
{
    annulerLesPas();
    siPremierDeplacement_ = true;
}

void ZEVRulerViewer::userDesactiveAnimer()
{
    annulerLesAnimations();
    siPremierDeplacement_ = true;
    userTermineDeplacementCurseur();
}

bool ZEVRulerViewer::siDansUnMouvement(const char* operation) const
{
    if (etat_ == Etat::EnMouvement)
        return true;
    logFormat("ZEVRulerViewer %s: no cursor move under way, nothing moved", operation);
    return false;
}

// ---------------------------------------------------------------------------------------------
// Placements

void ZEVRulerViewer::userPlaceCurseur(double d)
{
    if (siDansUnMouvement("userPlaceCurseur") && curseurEnDeplacement_)
        curseurEnDeplacement_->decalerCurseur(d);
}

void ZEVRulerViewer::userPlaceCurseurToDate(KELDate date)
{
    if (siDansUnMouvement("userPlaceCurseurToDate") && curseurEnDeplacement_)
        curseurEnDeplacement_->placerCurseur(date);
}

void ZEVRulerViewer::placeCurseurEtRulerOffset(double d)
{
    if (!siDansUnMouvement("placeCurseurEtRulerOffset"))
        return;
    if (curseurEnDeplacement_)
        curseurEnDeplacement_->decalerCurseur(d);
    if (tlCurseur_)
        tlCurseur_->decalerContexte(d);
}

void ZEVRulerViewer::userPlaceCurseurEtRulerOffset(double d)
{
    if (!siDansUnMouvement("userPlaceCurseurEtRulerOffset"))
        return;
    placeCurseurEtRulerOffset(d);
    displayRuler();
}

void ZEVRulerViewer::userPlaceCurseurDansContexteFixe(double d)
{
    KELICurseur* c = curseurEnDeplacement_;
    if (!siDansUnMouvement("userPlaceCurseurDansContexteFixe") || !c || !std::isfinite(d))
        return;
    const double t = c->now(), i = c->nowIn(), o = c->nowOut();
    // Never towards an edge closer than 0.1 s, nor away from it for that reason.
    if (d > 0)
        d = std::max(0.0, std::min(d, o - t - kEcartMin));
    else
        d = std::min(0.0, std::max(d, i - t + kEcartMin));
    if (d == 0)
        return;
    c->decalerCurseur(d);
    c->decalerContexte(-d);
}

bool ZEVRulerViewer::placerRuler(double in, double out)
{
    // Offsets far from the cursor round a shift of both edges: a minute may come out a few bits
    // short of itself, and must not be refused for it.
    const double arrondi = 8 * std::numeric_limits<double>::epsilon() * std::max(std::abs(in), std::abs(out));
    if (!tlContexte_ || !std::isfinite(in) || !std::isfinite(out) || out - in < kSpanMin - arrondi ||
        out - in > kSpanMax)
        return false;
    tlContexte_->setOffsetInOffsetOut(in, out);
    return true;
}

bool ZEVRulerViewer::userPlaceRulerOffsetIn(double a, double b)
{
    if (!siDansUnMouvement("userPlaceRulerOffsetIn") || !tlContexte_)
        return false;
    return placerRuler(tlContexte_->offsetIn() + a, tlContexte_->offsetOut() + b);
}

void ZEVRulerViewer::userPlaceContexte(double d)
{
    KELICurseur* c = curseurEnDeplacement_;
    if (!siDansUnMouvement("userPlaceContexte") || !c || !std::isfinite(d))
        return;
    const double t = c->now(), i = c->nowIn(), o = c->nowOut();
    if (d > 0)
        d = std::max(0.0, std::min(d, t - i - kEcartMin));
    else
        d = std::min(0.0, std::max(d, t - o + kEcartMin));
    if (d != 0)
        c->decalerContexte(d);
}

void ZEVRulerViewer::userPlaceContexteEtRulerOffset(double a)
{
    KELICurseur* c = curseurEnDeplacement_;
    if (!siDansUnMouvement("userPlaceContexteEtRulerOffset") || !c || !std::isfinite(a))
        return;
    const double t = c->now(), i = c->nowIn(), o = c->nowOut();
    double d = -a;
    if (a < 0)
        d = std::max(0.0, std::min(d, t - i - kEcartMin));
    else
        d = std::min(0.0, std::max(d, t - o + kEcartMin));
    if (d == 0)
        return;
    if (tlContexte_)
        tlContexte_->setOffsetInOffsetOut(tlContexte_->offsetIn() + d, tlContexte_->offsetOut() + d);
    c->decalerContexte(d);
}

void ZEVRulerViewer::userPlaceContexteIn(double d)
{
    if (siDansUnMouvement("userPlaceContexteIn") && curseurEnDeplacement_)
        curseurEnDeplacement_->decalerContexteIn(d);
}

void ZEVRulerViewer::userPlaceContexteOut(double d)
{
    if (siDansUnMouvement("userPlaceContexteOut") && curseurEnDeplacement_)
        curseurEnDeplacement_->decalerContexteOut(d);
}

void ZEVRulerViewer::userPlaceContexteInToZero()
{
    if (siDansUnMouvement("userPlaceContexteInToZero") && curseurEnDeplacement_)
        curseurEnDeplacement_->placerContexteInToZero();
}

void ZEVRulerViewer::userPlaceContexteOutToZero()
{
    if (siDansUnMouvement("userPlaceContexteOutToZero") && curseurEnDeplacement_)
        curseurEnDeplacement_->placerContexteOutToZero();
}

// ---------------------------------------------------------------------------------------------
// Repeating step moves

void ZEVRulerViewer::demarrerBoucle(void (ZEVRulerViewer::*tick)(std::uint64_t))
{
    if (!siPremierDeplacement_)
        return;
    siPremierDeplacement_ = false;
    (this->*tick)(jeton_);
}

void ZEVRulerViewer::planifier(const char* nom, double delai, void (ZEVRulerViewer::*tick)(std::uint64_t),
                               std::uint64_t jeton, bool commonModes)
{
    // A tick that ended the move itself (through a participant) schedules nothing more.
    if (!siTickValide(jeton))
        return;
    Scheduler::shared().perform(this, nom, delai, [this, tick, jeton] { (this->*tick)(jeton); }, commonModes);
}

// The steps the moved cursor's view makes itself, each with its operation and its tick's name.
const ZEVRulerViewer::PasDeVue ZEVRulerViewer::kPasDesVues[] = {
    {"userBougeCurseurAGauche", &ZEVTlineCurseurViewServices::bougerCurseurAGauche, "_bougerCurseurAGauche"},
    {"userBougeCurseurADroite", &ZEVTlineCurseurViewServices::bougerCurseurADroite, "_bougerCurseurADroite"},
    {"userAgranditContexte", &ZEVTlineCurseurViewServices::agrandirContexte, "_agrandirContexte"},
    {"userDiminueContexte", &ZEVTlineCurseurViewServices::diminuerContexte, "_diminuerContexte"},
};

void ZEVRulerViewer::demarrerPasDeLaVue(const PasDeVue& p)
{
    if (!siDansUnMouvement(p.operation) || !siPremierDeplacement_)
        return;
    siPremierDeplacement_ = false;
    pasDeLaVue(jeton_, p);
}

void ZEVRulerViewer::pasDeLaVue(std::uint64_t jeton, const PasDeVue& p)
{
    if (!siTickValide(jeton))
        return;
    if (ZEVTlineCurseurViewServices* v = vueEnDeplacement())
        (v->*p.pas)();
    displayRuler();
    // A step that ended the move itself (through a participant) schedules nothing more.
    if (siTickValide(jeton))
        Scheduler::shared().perform(this, p.nom, kPeriodeDesVues, [this, &p, jeton] { pasDeLaVue(jeton, p); });
}

void ZEVRulerViewer::userBougeCurseur(double v)
{
    if (!siDansUnMouvement("userBougeCurseur"))
        return;
    cOffset_ = v;
    demarrerBoucle(&ZEVRulerViewer::bougerCurseur);
}

void ZEVRulerViewer::bougerCurseur(std::uint64_t jeton)
{
    if (!siTickValide(jeton))
        return;
    if (curseurEnDeplacement_)
        curseurEnDeplacement_->decalerCurseur(cOffset_ * rulerRatio_ / 30.0);
    displayRuler();
    planifier("_bougerCurseur", kPeriodeDesPas, &ZEVRulerViewer::bougerCurseur, jeton);
}

void ZEVRulerViewer::userBougeRulerOffsetIn(double a, double b)
{
    if (!siDansUnMouvement("userBougeRulerOffsetIn"))
        return;
    rOffsetIn_ = a;
    rOffsetOut_ = b;
    demarrerBoucle(&ZEVRulerViewer::bougerRuler);
}

void ZEVRulerViewer::bougerRuler(std::uint64_t jeton)
{
    if (!siTickValide(jeton))
        return;
    if (tlContexte_)
        placerRuler(tlContexte_->offsetIn() + rOffsetIn_ * rulerRatio_ / 3.0,
                    tlContexte_->offsetOut() + rOffsetOut_ * rulerRatio_ / 3.0);
    displayRuler();
    planifier("_bougerRuler", kPeriodeDesPas, &ZEVRulerViewer::bougerRuler, jeton);
}

void ZEVRulerViewer::userBougeCurseurEtRulerOffset(double v)
{
    if (!siDansUnMouvement("userBougeCurseurEtRulerOffset"))
        return;
    cOffset_ = rOffsetIn_ = rOffsetOut_ = -v;
    demarrerBoucle(&ZEVRulerViewer::bougerCurseurEtRuler);
}

void ZEVRulerViewer::bougerCurseurEtRuler(std::uint64_t jeton)
{
    if (!siTickValide(jeton))
        return;
    if (tlContexte_)
        tlContexte_->setOffsetInOffsetOut(tlContexte_->offsetIn() + rOffsetIn_ * rulerRatio_ / 30.0,
                                          tlContexte_->offsetOut() + rOffsetOut_ * rulerRatio_ / 30.0);
    if (curseurEnDeplacement_)
        curseurEnDeplacement_->decalerCurseur(cOffset_ * rulerRatio_ / 30.0);
    displayRuler();
    planifier("_bougerCurseurEtRuler", kPeriodeDesPas, &ZEVRulerViewer::bougerCurseurEtRuler, jeton);
}

void ZEVRulerViewer::userBougeCurseurAGauche() { demarrerPasDeLaVue(kPasDesVues[0]); }
void ZEVRulerViewer::userBougeCurseurADroite() { demarrerPasDeLaVue(kPasDesVues[1]); }
void ZEVRulerViewer::userAgranditContexte() { demarrerPasDeLaVue(kPasDesVues[2]); }
void ZEVRulerViewer::userDiminueContexte() { demarrerPasDeLaVue(kPasDesVues[3]); }

// ---------------------------------------------------------------------------------------------
// The active cursor

bool ZEVRulerViewer::userChangeActifCurseur(KELICurseur* curseur)
{
    if (!curseur) {
        curseurEnDeplacement_ = nullptr;
        return false;
    }
    entrerLaSaisieDuBar();
    bool change = false;
    if (curseur != space_.actifCurseur()) {
        space_.changeDeskForActifCurseur(curseur);
        change = true;
    }
    actifCurseurDidChangeForCurseur(curseur);
    curseurEnDeplacement_ = curseur;
    return change;
}

void ZEVRulerViewer::actifCurseurDidChangeForCurseur(KELICurseur* curseur)
{
    if (ZEVTlineCurseurViewServices* search = curseurViewForCurseur(space_.searchCurseur())) {
        if (curseur == space_.nowCurseur())
            curseurViews_.erase(std::remove(curseurViews_.begin(), curseurViews_.end(), search), curseurViews_.end());
        else if (curseur == space_.searchCurseur() &&
                 std::find(curseurViews_.begin(), curseurViews_.end(), search) == curseurViews_.end())
            curseurViews_.push_back(search);
    }
    if (ZEVTlineCurseurViewServices* v = curseurViewForCurseur(curseur))
        tlineView_->placerDevantCurseurView(v);
    rulerViewbar_->majMenubarForCurseur(curseur);
}

void ZEVRulerViewer::userStartStopCurseur()
{
    KELICurseur* c = curseurEnDeplacement_;
    KELIElemCurseur* e = c ? c->elemCurseur() : nullptr;
    if (!e)
        return;
    if (c->typeInt() == KELICurseur::kFixe)
        e->setTypeRelatifCS(c->curseurSup());
    else if (c->typeInt() == KELICurseur::kRelatifCS)
        e->setTypeFixe(c->curseurSup());
}

// ---------------------------------------------------------------------------------------------
// Date pickers

std::pair<double, double> ZEVRulerViewer::regleProportionnelle(double i, double o, double dIn, double dOut, double a,
                                                               double b)
{
    const double r = b - a;
    const double s = o - i;
    if (!(r > 0) || !(s > 0) || !std::isfinite(r) || !std::isfinite(s))
        return {0.0, 0.0};
    const double g = (dOut - dIn) * r / s;
    const double rIn = dIn + (i - a) - (r + g) * (i - a) / r;
    return {rIn, rIn + g};
}

bool ZEVRulerViewer::siCommande() const
{
    return modifiers_ && modifiers_().testFlag(Qt::ControlModifier);
}

void ZEVRulerViewer::userChangeDatePickerPasseToDate(KELDate d)
{
    logFormat("PASSE   : %f", d);
    if (!std::isfinite(d) || !tlContexte_)
        return;
    if (rulerViewbar_->stateOfRulerButton()) {
        const double i = tlContexte_->nowIn();
        const double o = tlContexte_->nowOut();
        if (!userInitieDeplacementCurseur())
            return;
        const double nouveau = d + kSpanMin < o ? d : o - kSpanMin;
        tlContexte_->setOffsetIn(tlContexte_->offsetIn() + (nouveau - i));
    } else {
        KELICurseur* c = curseurEnDeplacement_;
        if (!c)
            return;
        const double dIn = std::min(d, c->now()) - c->nowIn();
        std::pair<double, double> r{0.0, 0.0};
        if (c == space_.nowCurseur() && !siCommande())
            r = regleProportionnelle(c->nowIn(), c->nowOut(), dIn, 0.0, tlineType_->inDate(), tlineType_->outDate());
        logFormat("userChangeDatePickerPasseToDate: %f", dIn);
        if (!userInitieDeplacementCurseur())
            return;
        tlContexte_->setOffsetInOffsetOut(tlContexte_->offsetIn() + r.first, tlContexte_->offsetOut() + r.second);
        c->decalerContexteIn(dIn);
    }
    userTermineDeplacementCurseur();
}

void ZEVRulerViewer::userChangeDatePickerPresentToDate(KELDate d)
{
    KELICurseur* c = curseurEnDeplacement_;
    if (!std::isfinite(d) || rulerViewbar_->stateOfRulerButton() || !c || c != space_.searchCurseur())
        return;
    if (!userInitieDeplacementCurseur())
        return;
    placeCurseurEtRulerOffset(d - c->now());
    userTermineDeplacementCurseur();
}

void ZEVRulerViewer::userChangeDatePickerFuturToDate(KELDate d)
{
    if (!std::isfinite(d) || !tlContexte_)
        return;
    if (rulerViewbar_->stateOfRulerButton()) {
        const double i = tlContexte_->nowIn();
        const double o = tlContexte_->nowOut();
        if (!userInitieDeplacementCurseur())
            return;
        const double nouveau = i < d - kSpanMin ? d : i + kSpanMin;
        tlContexte_->setOffsetOut(tlContexte_->offsetOut() + (nouveau - o));
    } else {
        KELICurseur* c = curseurEnDeplacement_;
        if (!c || c != space_.nowCurseur())
            return;
        const double dOut = std::max(d, c->now()) - c->nowOut();
        std::pair<double, double> r{0.0, 0.0};
        if (!siCommande())
            r = regleProportionnelle(c->nowIn(), c->nowOut(), 0.0, dOut, tlineType_->inDate(), tlineType_->outDate());
        if (!userInitieDeplacementCurseur())
            return;
        tlContexte_->setOffsetInOffsetOut(tlContexte_->offsetIn() + r.first, tlContexte_->offsetOut() + r.second);
        c->decalerContexteOut(dOut);
    }
    userTermineDeplacementCurseur();
}

// ---------------------------------------------------------------------------------------------
// The presets

ZEVStampServices* ZEVRulerViewer::stampClass()
{
    if (!stampClass_)
        stampClass_ = std::make_unique<ZEVStampClass>(*this, space_);
    return stampClass_.get();
}

void ZEVRulerViewer::setClickPositionForDisplay(KELICurseur* curseur, int code)
{
    if (ZEVTlineCurseurViewServices* v = curseurViewForCurseur(curseur))
        v->setClickPositionForDisplay(code);
    rulerViewbar_->setClickPositionForDisplay(code);
}

void ZEVRulerViewer::showPresetTitleWithTag(KELId stamp, float duration)
{
    rulerViewbar_->showPresetTitleWithTag(stamp, duration);
}

void ZEVRulerViewer::setPresetHooks(std::function<void()> saveHome, std::function<void(KELId)> changePreset)
{
    presetSaveHome_ = std::move(saveHome);
    changePreset_ = std::move(changePreset);
}

void ZEVRulerViewer::menuPresetSaveHome()
{
    if (presetSaveHome_)
        presetSaveHome_();
}

void ZEVRulerViewer::userChangePresetWithStampInt(KELId stamp)
{
    if (changePreset_)
        changePreset_(stamp);
}

// ---------------------------------------------------------------------------------------------
// Other commands and the menus

void ZEVRulerViewer::fermetureRuler()
{
    if (!frontViewer_)
        return;
    if (frontViewer_->siTlineOpened())
        frontViewer_->closeTlineAndTracks();
    else
        frontViewer_->openTlineAndTracks(true);
}

void ZEVRulerViewer::ouvertureRuler()
{
    if (frontViewer_)
        frontViewer_->openTline();
}

void ZEVRulerViewer::userShowRulerPickerPanel(bool shown)
{
    if (frontViewer_)
        frontViewer_->setSiShowCalandar(shown);
    rulerViewbar_->showRulerPickerPanel(shown);
}

void ZEVRulerViewer::userSelectContext(KELId entityInt)
{
    if (ZEVContextViewerServices* c = space_.contextViewer())
        c->userSelectButton(entityInt);
}

// The items' commands are the ruler bar's and the front layer's; the menus are shown from the
// window and the bar once those exist.
void ZEVRulerViewer::construireLesMenus()
{
    auto item = [](QMenu& menu, const QString& title, int tag) {
        QAction* a = menu.addAction(title);
        a->setData(tag);
        a->setCheckable(true);
    };
    windowMenu_ = std::make_unique<QMenu>();
    item(*windowMenu_, QStringLiteral("Full Screen"), kTagFullWindow);
    item(*windowMenu_, QStringLiteral("Show Desktop"), kTagShowDesktop);
    item(*windowMenu_, QStringLiteral("Stay in Front"), kTagFrontSpace);
    windowMenu_->addSeparator();
    rulerbarMenu_ = std::make_unique<QMenu>();
    for (QMenu* m : {windowMenu_.get(), rulerbarMenu_.get()}) {
        item(*m, QStringLiteral("Time Bar"), kTagTimebar);
        item(*m, QStringLiteral("Timeline"), kTagTline);
        item(*m, QStringLiteral("Tracks"), kTagTracks);
        item(*m, QStringLiteral("Toolbar"), kTagToolbar);
    }
    rulerbarMenu_->addSeparator();
    item(*rulerbarMenu_, QStringLiteral("Channels"), kTagChannels);
    for (QMenu* m : {windowMenu_.get(), rulerbarMenu_.get()}) {
        QObject::connect(m, &QMenu::aboutToShow, m, [this, m] { menuWillOpen(m); });
        for (QAction* a : m->actions()) {
            switch (a->data().toInt()) {
            case kTagTimebar:
                QObject::connect(a, &QAction::triggered, m, [this] { userToggleTimebar(); });
                break;
            case kTagTline:
                QObject::connect(a, &QAction::triggered, m, [this] { fermetureRuler(); });
                break;
            case kTagTracks:
                QObject::connect(a, &QAction::triggered, m, [this] { userToggleTracks(); });
                break;
            case kTagToolbar:
                QObject::connect(a, &QAction::triggered, m, [this] { userToggleToolbar(); });
                break;
            case kTagChannels:
                QObject::connect(a, &QAction::triggered, m, [this] { userSelectContext(kTagChannels); });
                break;
            default:
                break;
            }
        }
    }
}

void ZEVRulerViewer::userToggleTimebar()
{
    if (frontViewer_)
        frontViewer_->userToggleTimebar();
}

bool ZEVRulerViewer::stateOfBarButton(BarButton button)
{
    if (!rulerViewbar_)
        return false;
    switch (button) {
    case BarButton::Now:
        return rulerViewbar_->stateOfNowButton();
    case BarButton::Search:
        return rulerViewbar_->stateOfSearchButton();
    case BarButton::Ruler:
        return rulerViewbar_->stateOfRulerButton();
    }
    return false;
}

void ZEVRulerViewer::userToggleTracks()
{
    if (frontViewer_)
        frontViewer_->userToggleTracks();
}

void ZEVRulerViewer::userToggleToolbar()
{
    if (frontViewer_)
        frontViewer_->userToggleToolbar();
}

void ZEVRulerViewer::menuWillOpen(QMenu* menu)
{
    if (!menu || (menu != windowMenu_.get() && menu != rulerbarMenu_.get()))
        return;
    ZEVFrontViewerServices* f = frontViewer_;
    ZEVSpaceWindow* w = space_.spaceWindow();
    const bool fullWindow = f && f->siFullWindow();
    const bool fullScreen = w && w->siFullScreen();
    const bool frontSpace = w && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    for (QAction* a : menu->actions()) {
        switch (a->data().toInt()) {
        case kTagFullWindow:
            a->setChecked(fullWindow);
            a->setEnabled(fullWindow || !fullScreen);
            break;
        case kTagShowDesktop:
            a->setVisible(!fullScreen);
            a->setEnabled(!space_.host().siShowDesktop());
            a->setChecked(!a->isEnabled());
            break;
        case kTagFrontSpace:
            a->setChecked(frontSpace);
            a->setVisible(!fullScreen);
            break;
        default:
            ZEVCocherItemDeBarre(a, f, space_.contextViewer());
            break;
        }
    }
}

} // namespace tallomer
