// The ruler viewer's animations and the zooms built on them. An animation is one move: its
// starter initiates it, its ticks carry the move's number, so that a tick that comes after the
// move ended (cancelled, ended elsewhere, or a new move) moves nothing, and its last tick ends it.

#include "engine/KELICurseur.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <cmath>
#include <utility>

namespace tallomer {

namespace {

constexpr double kPeriode = 0.03;
// The duration of the cursor animations and of every zoom.
constexpr float kDureeFixe = 1.5f;

// The next step of a remainder with n ticks left, taken off the remainder.
double pas(double& reste, float n)
{
    const double p = reste / double(n);
    reste -= p;
    return p;
}

// The whole remainder, on the last tick.
double tout(double& reste) { return std::exchange(reste, 0.0); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Starting

bool ZEVRulerViewer::commencerAnimation(float duration)
{
    if (!userInitieDeplacementCurseur())
        return false;
    duration_ = duration;
    return true;
}

void ZEVRulerViewer::lancerAnimation(const Animation& a)
{
    animationStart_ = Clock::shared().now();
    if (!siPremierDeplacement_)
        return;
    siPremierDeplacement_ = false;
    animer(jeton_, a);
}

float ZEVRulerViewer::ticksRestants(double duration) const
{
    return float((duration - (Clock::shared().now() - animationStart_)) / kPeriode);
}

void ZEVRulerViewer::decalerRuler(double in, double out)
{
    if (tlContexte_ && std::isfinite(in) && std::isfinite(out))
        tlContexte_->setOffsetInOffsetOut(tlContexte_->offsetIn() + in, tlContexte_->offsetOut() + out);
}

void ZEVRulerViewer::userAnimeCurseurToDate(KELDate date)
{
    if (!std::isfinite(date) || !commencerAnimation(kDureeFixe))
        return;
    cOffset_ = date;
    lancerAnimation(kAnimerCurseurToDate);
}

void ZEVRulerViewer::userAnimeCurseurEtRulerToDate(KELDate date)
{
    if (!std::isfinite(date) || !commencerAnimation(kDureeFixe))
        return;
    cOffset_ = date;
    lancerAnimation(kAnimerCurseurEtRuler);
}

void ZEVRulerViewer::userAnimeCurseurOffset(double c, double cOffsetIn)
{
    if (!std::isfinite(c) || !std::isfinite(cOffsetIn) || !commencerAnimation(kDureeFixe))
        return;
    cOffsetTemp_ = c;
    cOffsetInTemp_ = -cOffsetIn;
    lancerAnimation(kAnimerCurseurEtContexteIn);
}

bool ZEVRulerViewer::siRulerAdmis(const char* operation, double rOffsetIn, double rOffsetOut) const
{
    if (!tlContexte_)
        return false;
    const double span = (tlContexte_->offsetOut() + rOffsetOut) - (tlContexte_->offsetIn() + rOffsetIn);
    // The steps add to the span in proportion: it stays above its floor all the way when it ends
    // there.
    if (span >= kSpanMin - 1e-6 && span <= kSpanMax)
        return true;
    logFormat("ZEVRulerViewer %s: the visible range would be %g s long, outside %g to %g s; it stays where it is",
              operation, span, kSpanMin, kSpanMax);
    return false;
}

void ZEVRulerViewer::userAnimeNow(float duration, double cOffsetIn, double cOffsetOut, double rOffsetIn,
                                  double rOffsetOut)
{
    for (double v : {double(duration), cOffsetIn, cOffsetOut, rOffsetIn, rOffsetOut})
        if (!std::isfinite(v))
            return;
    if (!siRulerAdmis("userAnimeNow", rOffsetIn, rOffsetOut))
        rOffsetIn = rOffsetOut = 0;
    if (!commencerAnimation(duration))
        return;
    cOffsetIn_ = cOffsetInTemp_ = cOffsetIn;
    cOffsetOut_ = cOffsetOutTemp_ = cOffsetOut;
    rOffsetIn_ = rOffsetInTemp_ = rOffsetIn;
    rOffsetOut_ = rOffsetOutTemp_ = rOffsetOut;
    lancerAnimation(kAnimerNow);
}

void ZEVRulerViewer::userAnimeSearch(float duration, KELDate date, double cOffsetIn, double rOffsetIn,
                                     double rOffsetOut)
{
    for (double v : {double(duration), date, cOffsetIn, rOffsetIn, rOffsetOut})
        if (!std::isfinite(v))
            return;
    if (!siRulerAdmis("userAnimeSearch", rOffsetIn, rOffsetOut))
        rOffsetIn = rOffsetOut = 0;
    if (!commencerAnimation(duration))
        return;
    cOffset_ = date;
    cOffsetIn_ = cOffsetInTemp_ = cOffsetIn;
    rOffsetIn_ = rOffsetInTemp_ = rOffsetIn;
    rOffsetOut_ = rOffsetOutTemp_ = rOffsetOut;
    lancerAnimation(kAnimerSearch);
}

void ZEVRulerViewer::userAnimeRuler(float duration, double rOffsetIn, double rOffsetOut)
{
    for (double v : {double(duration), rOffsetIn, rOffsetOut})
        if (!std::isfinite(v))
            return;
    if (!siRulerAdmis("userAnimeRuler", rOffsetIn, rOffsetOut) || !commencerAnimation(duration))
        return;
    rOffsetIn_ = rOffsetInTemp_ = rOffsetIn;
    rOffsetOut_ = rOffsetOutTemp_ = rOffsetOut;
    lancerAnimation(kAnimerRuler);
}

// ---------------------------------------------------------------------------------------------
// The ticks

const ZEVRulerViewer::Animation ZEVRulerViewer::kAnimerCurseurToDate{"_animerCurseurToDate", true,
                                                                    &ZEVRulerViewer::pasCurseurToDate, false};
const ZEVRulerViewer::Animation ZEVRulerViewer::kAnimerCurseurEtRuler{"_animerCurseurEtRuler", true,
                                                                     &ZEVRulerViewer::pasCurseurEtRuler, false};
const ZEVRulerViewer::Animation ZEVRulerViewer::kAnimerCurseurEtContexteIn{
    "_animerCurseurEtContexteIn", true, &ZEVRulerViewer::pasCurseurEtContexteIn, false};
const ZEVRulerViewer::Animation ZEVRulerViewer::kAnimerNow{"_animerNow", false, &ZEVRulerViewer::pasNow, false};
const ZEVRulerViewer::Animation ZEVRulerViewer::kAnimerSearch{"_animerSearch", false, &ZEVRulerViewer::pasSearch, true};
const ZEVRulerViewer::Animation ZEVRulerViewer::kAnimerRuler{"_animerRuler", false, &ZEVRulerViewer::pasRuler, true};

double ZEVRulerViewer::Tranche::operator()(double& reste) const { return dernier ? tout(reste) : pas(reste, n); }

void ZEVRulerViewer::animer(std::uint64_t jeton, const Animation& a)
{
    if (!siTickValide(jeton))
        return;
    const float n = ticksRestants(a.dureeFixe ? kDureeFixe : duration_);
    const Tranche t{n, !(n > 1)};
    (this->*a.pas)(t);
    if (t.dernier) {
        userTermineDeplacementCurseur();
        return;
    }
    // A tick that ended the move itself (through a participant) schedules nothing more.
    if (siTickValide(jeton))
        Scheduler::shared().perform(this, a.nom, kPeriode, [this, &a, jeton] { animer(jeton, a); }, a.commonModes);
    displayRuler();
}

void ZEVRulerViewer::pasCurseurToDate(const Tranche& t)
{
    KELICurseur* c = curseurEnDeplacement_;
    // The part left is measured again at every tick: the cursor may follow the clock meanwhile.
    double reste = c ? cOffset_ - c->now() : 0.0;
    const double s = t(reste);
    if (c)
        c->decalerCurseur(s);
}

void ZEVRulerViewer::pasCurseurEtRuler(const Tranche& t)
{
    KELICurseur* c = curseurEnDeplacement_;
    double reste = c ? cOffset_ - c->now() : 0.0;
    const double s = t(reste);
    decalerRuler(s, s);
    if (c)
        c->decalerCurseur(s);
}

void ZEVRulerViewer::pasCurseurEtContexteIn(const Tranche& t)
{
    const double c = t(cOffsetTemp_);
    const double in = t(cOffsetInTemp_);
    if (KELICurseur* k = curseurEnDeplacement_) {
        k->decalerCurseur(c);
        k->decalerContexteIn(in);
    }
}

void ZEVRulerViewer::pasNow(const Tranche& t)
{
    const double rIn = t(rOffsetInTemp_);
    const double rOut = t(rOffsetOutTemp_);
    const double cIn = t(cOffsetInTemp_);
    const double cOut = t(cOffsetOutTemp_);
    decalerRuler(rIn, rOut);
    if (KELICurseur* k = curseurEnDeplacement_) {
        k->decalerContexteIn(cIn);
        k->decalerContexteOut(cOut);
    }
}

void ZEVRulerViewer::pasSearch(const Tranche& t)
{
    KELICurseur* k = curseurEnDeplacement_;
    double reste = k ? cOffset_ - k->now() : 0.0;
    const double c = t(reste);
    const double cIn = t(cOffsetInTemp_);
    const double rIn = t(rOffsetInTemp_);
    const double rOut = t(rOffsetOutTemp_);
    if (k) {
        k->decalerCurseur(c);
        k->decalerContexteIn(cIn);
    }
    decalerRuler(rIn, rOut);
}

void ZEVRulerViewer::pasRuler(const Tranche& t)
{
    decalerRuler(t(rOffsetInTemp_), t(rOffsetOutTemp_));
    if (t.dernier)
        tlineView_->setClickPositionForDisplay(10);
}

// ---------------------------------------------------------------------------------------------
// The zooms

std::pair<double, double> ZEVRulerViewer::partDuRuler(KELICurseur* now, double dIn, double dOut) const
{
    return regleProportionnelle(now->nowIn(), now->nowOut(), dIn, dOut, tlineType_->inDate(), tlineType_->outDate());
}

bool ZEVRulerViewer::preparerZoom(KELICurseur* curseur)
{
    if (!curseur || !siAccepteDeplacement())
        return false;
    // The animations move the moving cursor: the zoomed cursor becomes it, as it does when it is
    // made active. The timeline's zooms move the visible range alone.
    if (curseur != tlCurseur_)
        curseurEnDeplacement_ = curseur;
    return true;
}

void ZEVRulerViewer::marquer(KELICurseur* curseur, int code)
{
    if (ZEVTlineCurseurViewServices* v = curseurViewForCurseur(curseur))
        v->setClickPositionForDisplay(code);
    rulerViewbar_->setClickPositionForDisplay(code);
}

KELICurseur* ZEVRulerViewer::curseurForMenuTag(int tag) const { return tag < 301 ? space_.actifCurseur() : tlCurseur_; }

void ZEVRulerViewer::userZoom(ZEVZoomFamille famille, ZEVZoomUnite unite, KELICurseur* k)
{
    if (!k || !siAccepteDeplacement() || !tlContexte_)
        return;
    KELICurseur* now = space_.nowCurseur();
    const bool siNow = k == now;
    const bool siSearch = k == space_.searchCurseur();
    const bool siTimeline = k == tlCurseur_;
    // The timeline's zooms take the moment of the active cursor, the others that of their cursor.
    KELICurseur* moment = siTimeline ? space_.actifCurseur() : k;
    if (!moment)
        return;
    const double t = moment->now();
    const bool rulerFixe = siCommande() || rulerViewbar_->stateOfRulerButton();
    auto part = [&](double dIn, double dOut) {
        return rulerFixe ? std::pair<double, double>{0.0, 0.0} : partDuRuler(now, dIn, dOut);
    };

    switch (famille) {
    case ZEVZoomFamille::This: {
        const std::optional<ZEVPeriode> p = periodeContenant(unite, t);
        if (!p || !(siNow || siSearch || siTimeline) || !preparerZoom(k))
            return;
        if (siTimeline) {
            tlineView_->setClickPositionForDisplay(4);
            rulerViewbar_->setClickPositionForDisplay(9);
            userAnimeRuler(kDureeFixe, p->debut - tlineType_->inDate(), p->fin - tlineType_->outDate());
        } else if (siNow) {
            const double dIn = p->debut - k->nowIn();
            const double dOut = p->fin - k->nowOut();
            const auto r = part(dIn, dOut);
            marquer(k, 4);
            userAnimeNow(kDureeFixe, dIn, dOut, r.first, r.second);
        } else {
            marquer(k, 4);
            userAnimeCurseurOffset(p->fin - t, (p->fin - p->debut) - (t - k->nowIn()));
        }
        return;
    }
    case ZEVZoomFamille::Next: {
        const std::optional<KELDate> cible = dateDecalee(unite, t, 1);
        if (!cible || !(siNow || siTimeline) || !preparerZoom(k))
            return;
        if (siTimeline) {
            tlineView_->setClickPositionForDisplay(1);
            rulerViewbar_->setClickPositionForDisplay(8);
            userAnimeRuler(kDureeFixe, 0, *cible - tlContexte_->nowOut());
        } else {
            const double dOut = *cible - k->nowOut();
            const auto r = part(0, dOut);
            marquer(k, 1);
            userAnimeNow(kDureeFixe, 0, dOut, r.first, r.second);
        }
        return;
    }
    case ZEVZoomFamille::Prev: {
        const std::optional<KELDate> cible = dateDecalee(unite, t, -1);
        if (!cible || !preparerZoom(k))
            return;
        if (siTimeline) {
            tlineView_->setClickPositionForDisplay(0);
            rulerViewbar_->setClickPositionForDisplay(7);
            userAnimeRuler(kDureeFixe, *cible - tlContexte_->nowIn(), 0);
            return;
        }
        const double dIn = *cible - k->nowIn();
        const auto r = siNow ? part(dIn, 0) : std::pair<double, double>{0.0, 0.0};
        marquer(k, 0);
        userAnimeNow(kDureeFixe, dIn, 0, r.first, r.second);
        return;
    }
    }
}

void ZEVRulerViewer::userZoomPrevZero(KELICurseur* k)
{
    if (k == tlCurseur_ || !preparerZoom(k))
        return;
    const double dIn = k->now() - k->nowIn();
    const auto r = k == space_.nowCurseur() ? partDuRuler(k, dIn, 0) : std::pair<double, double>{0.0, 0.0};
    marquer(k, 0);
    userAnimeNow(kDureeFixe, dIn, 0, r.first, r.second);
}

void ZEVRulerViewer::userPrevZero(KELICurseur* k)
{
    if (k == tlCurseur_ || !preparerZoom(k))
        return;
    const double dIn = k->now() - k->nowIn();
    auto r = k == space_.nowCurseur() ? partDuRuler(k, dIn, 0) : std::pair<double, double>{0.0, 0.0};
    if (!siRulerAdmis("userPrevZero", r.first, r.second))
        r = {0.0, 0.0};
    if (!userInitieDeplacementCurseur())
        return;
    decalerRuler(r.first, r.second);
    k->placeToi();
    k->decalerContexteIn(dIn);
    userTermineDeplacementCurseur();
}

} // namespace tallomer
