// The ruler bar's commands: the Now, Search and Ruler buttons (and their menu forms), the edits of
// the pickers and the days picked in the calendar. Each turns into moves of the ruler viewer, and
// the cursor commands end by showing the pressed cursor.

#include "ruler/ZEVRulerViewbar.h"

#include "engine/KELICurseur.h"
#include "platform/UserDefaults.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "runtime/Clock.h"
#include "space/ZEVSpaceController.h"

#include <QScopedValueRollback>

#include <cmath>

namespace tallomer {

namespace {

constexpr char kHideRulerWhenSearchKey[] = "ZEVHideRulerWhenSearch";

void beep() { Sound::shared().beep(); }

} // namespace

bool ZEVRulerViewbar::siHideRulerWhenSearch() const
{
    // A missing value reads as an invalid variant: false.
    return spaceController().host().defaults().values(QString::fromLatin1(kHideRulerWhenSearchKey)).toBool();
}

bool ZEVRulerViewbar::siHorsDuStrip(double t) const
{
    const ZEVTlineType* axe = viewer_.tlineType();
    return axe && (t > axe->outDate() || t < axe->inDate());
}

void ZEVRulerViewbar::recentrer(double t)
{
    KELIContexte* tl = viewer_.tlContexte();
    if (!tl || !std::isfinite(t) || !viewer_.userInitieDeplacementCurseur())
        return;
    const double d = t - (tl->nowIn() + tl->nowOut()) / 2;
    viewer_.userPlaceRulerOffsetIn(d, d);
    viewer_.userTermineDeplacementCurseur();
}

void ZEVRulerViewbar::elargirPourLeBordIn(double t, double in)
{
    KELIContexte* tl = viewer_.tlContexte();
    if (!tl)
        return;
    const double a = 2 * (t - in) - (t - tl->nowIn());
    viewer_.userAnimeRuler(kWidenDuration, -a, a);
}

// ---------------------------------------------------------------------------------------------
// The cursor buttons

void ZEVRulerViewbar::menuNowCurseur(QObject* sender)
{
    // A date typed for the Search cursor and left by a press of another cursor is entered first,
    // as leaving the box by a click elsewhere enters it.
    entrerLesDatesTapees();
    ZEVSpaceController& space = spaceController();
    ZEVFrontViewerServices* f = front();
    KELICurseur* now = space.nowCurseur();
    const bool ouverte = f && f->siTlineOpened();
    if (f && !ouverte)
        f->openTlineAndTracks(false);
    if (!viewer_.siAccepteDeplacement()) {
        if (space.actifCurseur() != now)
            beep();
        return;
    }
    if (space.actifCurseur() != now) {
        viewer_.userChangeActifCurseur(now);
    } else if (sender && selectedCurseur_ != tlCurseur_ && now) {
        KELIContexte* tl = viewer_.tlContexte();
        const double t = now->now(), in = now->nowIn(), out = now->nowOut();
        const double vIn = tl ? tl->nowIn() : in, vOut = tl ? tl->nowOut() : out;
        if (siHorsDuStrip(t)) {
            recentrer(t);
        } else if (vIn > in || out > vOut) {
            // The context sticks out of the visible range: the range widens to take it in.
            const double a = vIn > in ? 2 * (t - in) - (t - vIn) : 0.0;
            if (out > vOut) {
                const double b = 2 * (out - t) + a - (vOut - t);
                viewer_.userAnimeRuler(kWidenDuration, -(a + b), b);
            } else {
                viewer_.userAnimeRuler(kWidenDuration, -a, a);
            }
        } else if (stampClass().stateOfNowPresetWithStampInt(kHomeTime) == 1) {
            // Already at the Home Time: nothing to do.
            if (ouverte && selectedCurseur_ == now)
                beep();
        } else if (selectedCurseur_ == now) {
            viewer_.userChangePresetWithStampInt(kHomeTime);
        }
    }
    majMenubarForCurseur(now);
}

void ZEVRulerViewbar::menuSearchCurseur(QObject* sender)
{
    // The cursor is brought into view where the date typed for it takes it.
    entrerLesDatesTapees();
    ZEVSpaceController& space = spaceController();
    ZEVFrontViewerServices* f = front();
    KELICurseur* search = space.searchCurseur();
    const bool ouverte = f && f->siTlineOpened();
    if (f && !ouverte && !siHideRulerWhenSearch())
        f->openTlineAndTracks(false);
    if (!viewer_.siAccepteDeplacement()) {
        if (sender && space.actifCurseur() != search)
            beep();
        return;
    }
    if (space.actifCurseur() != search) {
        viewer_.userChangeActifCurseur(search);
    } else if (sender && selectedCurseur_ != tlCurseur_ && search) {
        KELIContexte* tl = viewer_.tlContexte();
        const double t = search->now(), in = search->nowIn();
        if (siHorsDuStrip(t))
            recentrer(t);
        else if (tl && tl->nowIn() > in)
            elargirPourLeBordIn(t, in);
        else if (ouverte && selectedCurseur_ == search)
            beep();
    }
    majMenubarForCurseur(search);
}

void ZEVRulerViewbar::menuRuler(QObject* sender)
{
    entrerLesDatesTapees();
    ZEVSpaceController& space = spaceController();
    ZEVFrontViewerServices* f = front();
    if (f && !f->siTlineOpened())
        f->openTlineAndTracks(false);
    KELICurseur* actif = space.actifCurseur();
    if (sender && actif) {
        KELICurseur* now = space.nowCurseur();
        KELICurseur* search = space.searchCurseur();
        if (selectedCurseur_ && selectedCurseur_ == tlCurseur_) {
            // A second press swaps the active cursor; the ruler keeps its place relative to it.
            KELICurseur* autre = actif == now ? search : actif == search ? now : nullptr;
            if (autre && viewer_.userInitieDeplacementCurseur()) {
                const double d = autre->now() - actif->now();
                viewer_.userPlaceRulerOffsetIn(d, d);
                viewer_.userTermineDeplacementCurseur();
                viewer_.userChangeActifCurseur(autre);
            }
        } else if (siHorsDuStrip(actif->now())) {
            recentrer(actif->now());
        }
    }
    majMenubarForCurseur(tlCurseur_);
    majPresets(&ZEVStampServices::stateOfRulerPresetWithStampInt);
}

// ---------------------------------------------------------------------------------------------
// Picker edits

void ZEVRulerViewbar::agirSurLeCurseurAffiche()
{
    // The pickers show the selected cursor: their edits move it, whatever a zoom of another
    // cursor left as the moving one.
    ZEVSpaceController& space = spaceController();
    if (selectedCurseur_ && (selectedCurseur_ == space.nowCurseur() || selectedCurseur_ == space.searchCurseur()) &&
        viewer_.siAccepteDeplacement())
        viewer_.setCurseurEnDeplacement(selectedCurseur_);
}

void ZEVRulerViewbar::passeDatePickerChanged()
{
    // A picker's own entry: the move it makes takes no other typing first.
    const QScopedValueRollback<bool> propre(siEntreeDesDates_, true);
    if (const std::optional<KELDate> d = fromDatePicker_->dateChoisie()) {
        agirSurLeCurseurAffiche();
        viewer_.userChangeDatePickerPasseToDate(*d);
    }
}

void ZEVRulerViewbar::presentDatePickerChanged()
{
    // A picker's own entry: the move it makes takes no other typing first.
    const QScopedValueRollback<bool> propre(siEntreeDesDates_, true);
    if (const std::optional<KELDate> d = nowDatePicker_->dateChoisie()) {
        agirSurLeCurseurAffiche();
        viewer_.userChangeDatePickerPresentToDate(*d);
    }
}

void ZEVRulerViewbar::futurDatePickerChanged()
{
    // A picker's own entry: the move it makes takes no other typing first.
    const QScopedValueRollback<bool> propre(siEntreeDesDates_, true);
    if (const std::optional<KELDate> d = toDatePicker_->dateChoisie()) {
        agirSurLeCurseurAffiche();
        viewer_.userChangeDatePickerFuturToDate(*d);
    }
}

void ZEVRulerViewbar::deplacerSearch(double d)
{
    ZEVSpaceController& space = spaceController();
    KELICurseur* search = space.searchCurseur();
    if (!search || !std::isfinite(d))
        return;
    if (space.actifCurseur() != search)
        viewer_.userChangeActifCurseur(search);
    else if (viewer_.siAccepteDeplacement())
        viewer_.setCurseurEnDeplacement(search);
    if (viewer_.userInitieDeplacementCurseur()) {
        viewer_.userPlaceCurseur(d);
        viewer_.userTermineDeplacementCurseur();
    }
}

void ZEVRulerViewbar::presentHourPickerChanged()
{
    // A picker's own entry: the move it makes takes no other typing first.
    const QScopedValueRollback<bool> propre(siEntreeDesDates_, true);
    KELICurseur* search = spaceController().searchCurseur();
    const std::optional<KELDate> p = nowHourPicker_->dateChoisie();
    if (!search || !p)
        return;
    deplacerSearch(*p - search->now());
}

// ---------------------------------------------------------------------------------------------
// Calendar picks

void ZEVRulerViewbar::panelDatePickerChanged(const QDate& day)
{
    panelMouseDown_ = false;
    // The day picked is where the cursor goes: it is measured from where the typing took it.
    entrerLesDatesTapees();
    ZEVSpaceController& space = spaceController();
    KELICurseur* now = space.nowCurseur();
    KELICurseur* search = space.searchCurseur();
    KELICurseur* actif = space.actifCurseur();
    if (!now || !search || !actif)
        return;
    // The day picked, at the time of day the calendar was showing.
    const std::optional<QDateTime> montre = ZEVChampsPourDate(actif->now());
    const std::optional<KELDate> p = montre ? ZEVDatePourChamps(day, montre->time(), actif->now()) : std::nullopt;
    if (!p)
        return;
    if (std::fabs(*p - Clock::shared().now()) < kToday) {
        if (actif != now) {
            viewer_.userChangeActifCurseur(now);
        } else if (siHorsDuStrip(now->now())) {
            recentrer(now->now());
        } else if (stampClass().stateOfNowPresetWithStampInt(kHomeTime) != 1) {
            viewer_.userChangePresetWithStampInt(kHomeTime);
        }
        return;
    }
    const double d = *p - search->now();
    if (actif == search && std::fabs(d) < 1) {
        // The day shown was picked again: the ruler comes to the Search cursor.
        const double t = search->now(), in = search->nowIn();
        KELIContexte* tl = viewer_.tlContexte();
        if (siHorsDuStrip(t))
            recentrer(t);
        else if (tl && tl->nowIn() > in)
            elargirPourLeBordIn(t, in);
    }
    deplacerSearch(d);
}

} // namespace tallomer
