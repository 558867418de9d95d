// What the two cursor views of a browser date strip share: where their parts lie, the wheel on
// the window's edges, the steps, and the zoom menus.

#include "browser/GUIRulerCurseurView.h"

#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "platform/sound/Sound.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

namespace tallomer {

namespace {
constexpr const char* kStop = "scrollWheelStop";
}

std::function<Qt::KeyboardModifiers()>& GUIRulerCurseurView::lectureModificateurs()
{
    static std::function<Qt::KeyboardModifiers()> f = [] { return QGuiApplication::queryKeyboardModifiers(); };
    return f;
}

GUIRulerCurseurView::GUIRulerCurseurView(KELICurseur* curseur, GUIRulerView* rulerView,
                                         GUIRulerViewerDelegate* delegate)
    : curseur_(curseur), contexte_(curseur ? curseur->contexte() : nullptr), rulerView_(rulerView),
      delegate_(delegate)
{
    construireLesMenus();
}

GUIRulerCurseurView::~GUIRulerCurseurView() = default;

void GUIRulerCurseurView::calculerGeometrie()
{
    GUIRulerType* type = rulerView_ ? rulerView_->rulerType() : nullptr;
    if (!type || !curseur_)
        return;
    const double P = rulerView_->width() - 1;
    h_ = rulerView_->height();
    xIn_ = type->relativeCoordinateForDate(curseur_->nowIn()) * P;
    xNow_ = type->relativeCoordinateForDate(curseur_->now()) * P;
    xOut_ = type->relativeCoordinateForDate(curseur_->nowOut()) * P;
    const bool search = dynamic_cast<GUIRulerCurseurSearch*>(this) != nullptr;
    const double bande = search ? GUIRulerCurseurSearch::kBande : GUIRulerCurseurRecall::kBande;
    frame_ = QRectF(xIn_ - 10, 0, xOut_ - xIn_ + 20, h_);
    curseurRect_ = QRectF(xNow_ - 4, 0, 8, h_);
    passeRect_ = QRectF(xIn_, 0, xNow_ - xIn_, bande);
    const bool actif = siActif();
    beginRect_ = actif ? QRectF(xIn_ - 10, 1, 10, bande - 2) : QRectF();
    if (search) {
        futurRect_ = endRect_ = QRectF();
    } else {
        futurRect_ = QRectF(xNow_, 0, xOut_ - xNow_, bande);
        endRect_ = actif ? QRectF(xOut_, 1, 10, bande - 2) : QRectF();
    }
}

int GUIRulerCurseurView::clickPositionForEvent(QMouseEvent* event)
{
    locationInWindow_ = event->globalPosition();
    calculerGeometrie();
    if (!rulerView_)
        return kRien;
    return clickPositionForPoint(rulerView_->versHaut(rulerView_->mapFromGlobal(event->globalPosition())));
}

void GUIRulerCurseurView::terminerDeplacementCurseur()
{
    clickPosition_ = clickPositionForDisplay_ = kRien;
    siMouseDragged_ = false;
}

// ---- what the moves are measured with ----

bool GUIRulerCurseurView::siActif() const { return delegate_ && delegate_->actifCurseur() == curseur_; }

double GUIRulerCurseurView::ratio() const { return delegate_ ? delegate_->rulerRatio() : 0.0; }

double GUIRulerCurseurView::spanDuRuler() const
{
    GUIRulerType* type = rulerView_ ? rulerView_->rulerType() : nullptr;
    return type ? type->outDate() - type->inDate() : 0.0;
}

double GUIRulerCurseurView::debutDuRuler() const
{
    GUIRulerType* type = rulerView_ ? rulerView_->rulerType() : nullptr;
    return type ? type->inDate() : 0.0;
}

double GUIRulerCurseurView::secondesParPoint() const
{
    const double P = rulerView_ ? rulerView_->width() - 1 : 0;
    return P > 0 ? spanDuRuler() / P : 0.0;
}

double GUIRulerCurseurView::deltaT(QMouseEvent* event) const
{
    return (event->globalPosition().x() - locationInWindow_.x()) * secondesParPoint();
}

void GUIRulerCurseurView::stockerLocation(QMouseEvent* event) { locationInWindow_ = event->globalPosition(); }

void GUIRulerCurseurView::commencerLeGlisser(QMouseEvent* event, int code)
{
    if (siMouseDragged_)
        return;
    siMouseDragged_ = true;
    // A drag from a press on this view counts from the press, so that its first event moves too;
    // one handed over by the strip starts where it is.
    if (!siInitieDeplacement_)
        stockerLocation(event);
    premiereLocation_ = locationInWindow_;
    clickPositionForDisplay_ = code;
}

std::uint32_t GUIRulerCurseurView::flagsActuels() const
{
    return events::modifierFlags(lectureModificateurs() ? lectureModificateurs()() : Qt::NoModifier);
}

GUIRulerCurseurView::Roue GUIRulerCurseurView::roue(QWheelEvent* event) const
{
    const events::WheelDeltas d = events::wheelDeltas(*event);
    Roue r;
    r.dx = d.x;
    r.dy = d.y;
    r.flags = events::modifierFlags(event->modifiers());
    if (rulerView_)
        r.point = rulerView_->versHaut(event->position());
    return r;
}

bool GUIRulerCurseurView::suivreRuler(double in, double out)
{
    if (!delegate_)
        return false;
    if (delegate_->siRulerEstLaFenetre())
        return true;
    return delegate_->userPlaceRulerOffsetIn(in, out);
}

double GUIRulerCurseurView::limiteParLeParent(double d) const
{
    KELICurseur* sup = curseur_ ? curseur_->curseurSup() : nullptr;
    if (!sup)
        return d;
    const double plancher = sup->offsetDouble() - curseur_->offsetDouble();
    return std::max(d, plancher);
}

void GUIRulerCurseurView::redessiner() const
{
    if (rulerView_)
        rulerView_->update();
}

void GUIRulerCurseurView::arreterBouger()
{
    if (!siBouger_)
        return;
    siBouger_ = false;
    if (delegate_)
        delegate_->userDesactiveBouger();
}

// ---- the wheel on the edges ----

bool GUIRulerCurseurView::commencerRoue()
{
    if (siInitieSrollWheel_)
        return true;
    if (!delegate_ || !delegate_->userInitieDeplacementCurseur())
        return false;
    siInitieSrollWheel_ = true;
    return true;
}

void GUIRulerCurseurView::rearmer()
{
    Scheduler::shared().cancel(this, kStop);
    Scheduler::shared().perform(this, kStop, kArretRoue, [this] { scrollWheelStop(); }, true);
}

void GUIRulerCurseurView::scrollWheelStop()
{
    if (!siInitieSrollWheel_)
        return;
    Scheduler::shared().cancel(this, kStop);
    siInitieSrollWheel_ = false;
    if (delegate_)
        delegate_->userTermineDeplacementCurseur();
}

void GUIRulerCurseurView::pasDeBordRoue(ZEVBord bord, const Roue& r)
{
    if (!curseur_ || !delegate_)
        return;
    const double d = ratio() * r.dy * 10;
    const double R = spanDuRuler();
    const double W = curseur_->nowOut() - curseur_->nowIn();
    const double ecart = bord == ZEVBord::In ? curseur_->now() - curseur_->nowIn() : curseur_->nowOut() - curseur_->now();
    const ZEVPasDeBord p = pasDeBord(bord, d, R, W, ecart);
    if (p.issue == ZEVPasDeBord::Issue::Zero) {
        // A pause of the fingers keeps the move alive.
        if (siInitieSrollWheel_)
            rearmer();
        return;
    }
    if (p.issue != ZEVPasDeBord::Issue::Pas)
        return;
    if (p.coupe)
        Sound::shared().play(QStringLiteral("Tink"));
    if (!commencerRoue())
        return;
    clickPositionForDisplay_ = bord == ZEVBord::In ? kDebut : kFin;
    const ZEVDecalage g = events::hasFlag(r.flags, keys::kOptionFlag)
                              ? glisser(p.e)
                              : reechelonner(bord, p.e, p.r, curseur_->nowIn() - debutDuRuler(), R);
    Scheduler::shared().cancel(this, kStop);
    if (!suivreRuler(g.in, g.out)) {
        scrollWheelStop();
        return;
    }
    if (bord == ZEVBord::In)
        delegate_->userPlaceContexteIn(p.e);
    else
        delegate_->userPlaceContexteOut(p.e);
    delegate_->displayRuler();
    redessiner();
    rearmer();
}

void GUIRulerCurseurView::scrollWheelContexteInWithEvent(QWheelEvent* event) { pasDeBordRoue(ZEVBord::In, roue(event)); }

void GUIRulerCurseurView::scrollWheelContexteOutWithEvent(QWheelEvent* event) { pasDeBordRoue(ZEVBord::Out, roue(event)); }

void GUIRulerCurseurView::scrollWheelContexteWithEvent(QWheelEvent* event)
{
    GUIRulerType* type = rulerView_ ? rulerView_->rulerType() : nullptr;
    if (!type || !curseur_ || !delegate_)
        return;
    const Roue r = roue(event);
    const double d = ratio() * r.dy * -10;
    const double W = rulerView_->width();
    const ZEVPasDuContexte p =
        pasDuContexte(d, W, type->relativeCoordinateForDate(curseur_->now()),
                      type->relativeCoordinateForDate(curseur_->nowIn()),
                      type->relativeCoordinateForDate(curseur_->nowOut()), curseur_->nowOut() - curseur_->nowIn());
    if (!p.pris)
        return;
    if (!commencerRoue())
        return;
    clickPositionForDisplay_ = kFenetre;
    Scheduler::shared().cancel(this, kStop);
    const bool option = events::hasFlag(r.flags, keys::kOptionFlag);
    const bool commande = events::hasFlag(r.flags, keys::kCommandFlag);
    bool ok = true;
    if (option) {
        const double P = W - 1;
        const double m = P > 0 ? r.point.x() / P : 0.0;
        ok = delegate_->userPlaceRulerOffsetIn(m * d, -(1 - m) * d);
    } else {
        if (commande) {
            const double rc = type->relativeCoordinateForDate(curseur_->now());
            ok = suivreRuler(rc * d, -(1 - rc) * d);
        }
        if (ok) {
            delegate_->userPlaceContexteIn(p.in);
            delegate_->userPlaceContexteOut(p.out);
        }
    }
    if (!ok) {
        scrollWheelStop();
        return;
    }
    delegate_->displayRuler();
    redessiner();
    rearmer();
}

// ---- steps ----

void GUIRulerCurseurView::bougerCurseurAGauche()
{
    if (curseur_)
        curseur_->decalerCurseur(-kPas * ratio());
}

void GUIRulerCurseurView::bougerCurseurADroite()
{
    if (curseur_)
        curseur_->decalerCurseur(kPas * ratio());
}

// ---- menus ----

void GUIRulerCurseurView::menuZoom(ZEVZoomFamille famille, ZEVZoomUnite unite)
{
    if (delegate_)
        delegate_->userZoom(famille, unite, curseur_);
}

void GUIRulerCurseurView::menuDidClose(QMenu* menu)
{
    if (menu && menu->activeAction())
        return;
    clickPositionForDisplay_ = kRien;
    redessiner();
}

void GUIRulerCurseurView::construireLesMenus()
{
    struct Item {
        const char* titre;
        ZEVZoomUnite unite;
    };
    static const Item kThis[] = {{"This Minute", ZEVZoomUnite::Minute}, {"This Hour", ZEVZoomUnite::Heure},
                                 {"This Day", ZEVZoomUnite::Jour},       {"This Week", ZEVZoomUnite::Semaine},
                                 {"This Month", ZEVZoomUnite::Mois},     {"This Quarter", ZEVZoomUnite::Trimestre},
                                 {"This Year", ZEVZoomUnite::Annee}};
    static const Item kPrev[] = {{"Prev Minute", ZEVZoomUnite::Minute},   {"Prev Hour", ZEVZoomUnite::Heure},
                                 {"Prev Day", ZEVZoomUnite::Jour},         {"Prev Week", ZEVZoomUnite::Semaine},
                                 {"Prev Month", ZEVZoomUnite::Mois},       {"Prev 6 Months", ZEVZoomUnite::SixMois},
                                 {"Prev Year", ZEVZoomUnite::Annee}};
    static const Item kNext[] = {{"Next Minute", ZEVZoomUnite::Minute},   {"Next Hour", ZEVZoomUnite::Heure},
                                 {"Next Day", ZEVZoomUnite::Jour},         {"Next Week", ZEVZoomUnite::Semaine},
                                 {"Next Month", ZEVZoomUnite::Mois},       {"Next 6 Months", ZEVZoomUnite::SixMois},
                                 {"Next Year", ZEVZoomUnite::Annee}};
    auto nouveau = [this](bool now) {
        auto m = std::make_unique<QMenu>();
        if (now)
            QObject::connect(m->addAction(QStringLiteral("Now")), &QAction::triggered, [this] { menuZoomNow(); });
        QMenu* brut = m.get();
        QObject::connect(brut, &QMenu::aboutToHide, [this, brut] { menuDidClose(brut); });
        return m;
    };
    auto ajouter = [this](QMenu* m, ZEVZoomFamille famille, const auto& items) {
        m->addSeparator();
        for (const Item& i : items) {
            const ZEVZoomUnite unite = i.unite;
            QObject::connect(m->addAction(QString::fromLatin1(i.titre)), &QAction::triggered,
                             [this, famille, unite] { menuZoom(famille, unite); });
        }
    };
    menuCurseur_ = nouveau(true);
    ajouter(menuCurseur_.get(), ZEVZoomFamille::This, kThis);
    menuContexte_ = nouveau(true);
    ajouter(menuContexte_.get(), ZEVZoomFamille::This, kThis);
    ajouter(menuContexte_.get(), ZEVZoomFamille::Prev, kPrev);
    ajouter(menuContexte_.get(), ZEVZoomFamille::Next, kNext);
    menuContexteIn_ = nouveau(true);
    ajouter(menuContexteIn_.get(), ZEVZoomFamille::Prev, kPrev);
    menuContexteOut_ = nouveau(true);
    ajouter(menuContexteOut_.get(), ZEVZoomFamille::Next, kNext);
}

} // namespace tallomer
