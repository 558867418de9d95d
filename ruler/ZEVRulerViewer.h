#pragma once
// The controller of the time ruler of the Space window. It owns the timeline strip with its time
// axis, one view per ruler cursor and the ruler bar, and it runs the one move protocol through
// which every change of a cursor or of the visible range passes: initiate (refused while another
// move runs), any number of place and step operations, terminate (the ruler redraws, every
// participant is told, the history records the place). It redraws the ruler periodically, at a
// rate tied to its scale. Main thread only.
//
// The ruler knows three cursors, all held by the space controller: the Now cursor, the Search
// cursor and the timeline cursor, whose context is the visible range of the strip. The moving
// cursor is the one the place and step operations work on.

#include "ruler/ZEVBarItems.h"
#include "ruler/ZEVRulerParts.h"
#include "ruler/ZEVZoomPeriods.h"
#include "runtime/Date.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceParts.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class KELICurseur;
class KELIContexte;
class QMenu;
class QMouseEvent;
class QNativeGestureEvent;
class QWheelEvent;

namespace tallomer {

class ZEVSpaceController;
class ZEVStampClass;
class ZEVTlineType;

class ZEVRulerViewer final : public ZEVRulerViewerServices {
public:
    // The seconds per point of the strip are the visible span divided by half the content view's
    // width at creation; a span narrower than this is never set by a move.
    static constexpr double kSpanMin = 60.0;
    // Nor is a span wider than ten thousand years: the proportional rule of the zooms would
    // otherwise take the range past any date the link base and the calendar can hold.
    static constexpr double kSpanMax = 10000 * 365.25 * 86400;
    // How close a context edge may come to its cursor.
    static constexpr double kEcartMin = 0.1;
    // Tags of the items of the window menu and the ruler bar menu.
    enum MenuTag : int {
        kTagFullWindow = 5732,
        kTagShowDesktop = 5733,
        kTagFrontSpace = 5734,
        kTagTimebar = ZEVBarTagTimebar,
        kTagTline = ZEVBarTagTline,
        kTagTracks = ZEVBarTagTracks,
        kTagToolbar = ZEVBarTagToolbar,
        kTagChannels = ZEVBarTagChannels,
    };

    // The ruler of the space controller's window, on the ruler model, with the calendar units of
    // `<resourceFolder>/timeline/zevDateTline.table`. The parts are the strip, the cursor views and
    // the bar when none are given. `rulerClass` and `space` are not owned and outlive the viewer.
    ZEVRulerViewer(ZEVRulerClassServices& rulerClass, ZEVSpaceController& space, const QString& resourceFolder,
                   std::unique_ptr<ZEVRulerParts> parts = nullptr);
    ~ZEVRulerViewer() override;
    ZEVRulerViewer(const ZEVRulerViewer&) = delete;
    ZEVRulerViewer& operator=(const ZEVRulerViewer&) = delete;

    // ---- ZEVRulerViewerServices ----
    void referencerFrontViewer(ZEVFrontViewerServices* frontViewer) override { frontViewer_ = frontViewer; }
    bool userChangeActifCurseur(KELICurseur* curseur) override;
    void actifCurseurDidChangeForCurseur(KELICurseur* curseur) override;
    bool siAccepteDeplacement() const override { return etat_ == Etat::Repos; }
    bool userInitieDeplacementCurseur() override;
    void userPlaceCurseurEtRulerOffset(double d) override;
    void userTermineDeplacementCurseur() override;
    ZEVStampServices* stampClass() override;
    void setClickPositionForDisplay(KELICurseur* curseur, int code) override;
    void showPresetTitleWithTag(KELId stamp, float duration) override;

    // ---- accessors ----
    ZEVSpaceController& spaceController() const { return space_; }
    ZEVTlineType* tlineType() const { return tlineType_.get(); }
    ZEVTlineViewServices* tlineView() const { return tlineView_.get(); }
    // The strip's frame (y-up); empty when there is no strip.
    QRectF tlineViewRect() const override;
    double tlineSpan() const override;
    double tlineWidth() const override;
    // A strip one point wide gives the axis' in-date.
    KELDate dateForTlinePoint(double x) const override;
    // The cursor views the strip draws: the Now cursor's always, the Search cursor's while it is
    // active.
    const std::vector<ZEVTlineCurseurViewServices*>& curseurViews() const { return curseurViews_; }
    ZEVRulerViewbarServices* rulerViewbar() const { return rulerViewbar_.get(); }
    bool stateOfBarButton(BarButton button) override;
    QMenu* windowMenu() const { return windowMenu_.get(); }
    QMenu* rulerbarMenu() const { return rulerbarMenu_.get(); }
    double rulerRatio() const { return rulerRatio_; }
    double rulerWidth() const { return rulerWidth_; }
    // The delay of the next periodic redraw.
    double prochaineRecharge() const { return prochaineRecharge_; }
    KELICurseur* curseurEnDeplacement() const { return curseurEnDeplacement_; }
    void setCurseurEnDeplacement(KELICurseur* curseur) override { curseurEnDeplacement_ = curseur; }
    KELICurseur* tlCurseur() const { return tlCurseur_; }
    KELIContexte* tlContexte() const { return tlContexte_; }
    KELICurseur* actifCurseur() const;
    KELICurseur* nowCurseur() const;
    KELICurseur* searchCurseur() const;
    // nullptr for a cursor without a view (the timeline cursor).
    ZEVTlineCurseurViewServices* curseurViewForCurseur(KELICurseur* curseur) const;
    ZEVTlineCurseurViewServices* curseurViewForActifCurseur() const;

    // ---- events, passed to the active cursor's view ----
    void draggWithEvent(QMouseEvent* event) override;
    void draggEntityWithEvent(QMouseEvent* event);
    // Wheel events from the desk and elsewhere, and pinches; their position is the pointer in the
    // window's coordinates.
    void scrollWheelWithEvent(QWheelEvent* event) override;
    void magnify(QNativeGestureEvent* event) override;

    // ---- the move protocol ----
    // The number of the move under way; 0 while none runs. A gesture that was granted a move
    // compares it to know whether that move is still its own.
    std::uint64_t mouvementEnCours() const { return etat_ == Etat::EnMouvement ? jeton_ : 0; }
    // How many moves were begun and ended so far.
    std::uint64_t mouvementsCommences() const { return jeton_; }
    std::uint64_t mouvementsTermines() const { return termines_; }
    // Cancels every pending step tick; the next step starter begins a new loop.
    void userDesactiveBouger();
    // Cancels every pending animation tick and ends the move.
    void userDesactiveAnimer();
    // Place operations act on the engine only (the caller redraws, except where said). Outside a
    // move they change nothing and log a line.
    void userPlaceCurseur(double d);
    void userPlaceCurseurToDate(KELDate date) override;
    // The moving cursor and the visible range move together by d.
    void placeCurseurEtRulerOffset(double d);
    // The cursor moves inside a context that stays where it is, never closer than 0.1 s to its
    // edges.
    void userPlaceCurseurDansContexteFixe(double d);
    // Moves the edges of the visible range by a and b; false, and nothing moved, below a span of
    // 60 s or beyond ten thousand years.
    bool userPlaceRulerOffsetIn(double a, double b) override;
    // Moves the moving cursor's context by d, its edges stopping 0.1 s from the cursor.
    void userPlaceContexte(double d);
    // Moves the context and the visible range together by -a, clamped the same way.
    void userPlaceContexteEtRulerOffset(double a);
    void userPlaceContexteIn(double d);
    void userPlaceContexteOut(double d);
    void userPlaceContexteInToZero() override;
    void userPlaceContexteOutToZero() override;
    // Repeating step moves within a move (the caller initiates it): the first call starts the
    // loop, later ones change only its speed, until the move ends or userDesactiveBouger.
    void userBougeCurseur(double v);
    void userBougeRulerOffsetIn(double a, double b);
    void userBougeCurseurEtRulerOffset(double v);
    void userBougeCurseurAGauche();
    void userBougeCurseurADroite();
    void userAgranditContexte();
    void userDiminueContexte();

    // The moving cursor switches between following its parent cursor and standing still.
    void userStartStopCurseur();

    // ---- animations ----
    // Each starts a move (a refused start stores nothing), takes its first step at once and then
    // one every 0.03 s, each step the part left divided by the ticks left, so that everything is
    // applied by the deadline however late the ticks come; the last tick ends the move. The
    // cursor ones move the moving cursor, over 1.5 s.
    void userAnimeCurseurToDate(KELDate date);
    // The moving cursor and the visible range together.
    void userAnimeCurseurEtRulerToDate(KELDate date);
    // The moving cursor by c and its in-edge offset by -cOffsetIn.
    void userAnimeCurseurOffset(double c, double cOffsetIn);
    // The moving cursor's context edges and the visible range's edges by these amounts.
    void userAnimeNow(float duration, double cOffsetIn, double cOffsetOut, double rOffsetIn, double rOffsetOut);
    // The moving cursor to a date, its in-edge and the visible range's edges by these amounts.
    void userAnimeSearch(float duration, KELDate date, double cOffsetIn, double rOffsetIn, double rOffsetOut) override;
    void userAnimeRuler(float duration, double rOffsetIn, double rOffsetOut) override;

    // ---- zooms ----
    // Frame the period of the cursor's moment (This), or widen its future (Next) or past (Prev)
    // side by one unit, as one animation; the Now cursor's visible range follows so that its
    // context keeps its share of the strip, unless Ctrl is held or the bar's Ruler button is on.
    // The timeline cursor zooms the visible range itself. Nothing while a move runs, and nothing
    // for a unit the family lacks (a This six months, a Prev or Next quarter).
    void userZoom(ZEVZoomFamille famille, ZEVZoomUnite unite, KELICurseur* curseur);
    void userZoomThisMinute(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Minute, c); }
    void userZoomThisHour(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Heure, c); }
    void userZoomThisDay(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Jour, c); }
    void userZoomThisWeek(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Semaine, c); }
    void userZoomThisMonth(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Mois, c); }
    void userZoomThisQuarter(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Trimestre, c); }
    void userZoomThisYear(KELICurseur* c) { userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Annee, c); }
    void userZoomNextMinute(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::Minute, c); }
    void userZoomNextHour(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::Heure, c); }
    void userZoomNextDay(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::Jour, c); }
    void userZoomNextWeek(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::Semaine, c); }
    void userZoomNextMonth(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::Mois, c); }
    void userZoomNext6Months(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::SixMois, c); }
    void userZoomNextYear(KELICurseur* c) { userZoom(ZEVZoomFamille::Next, ZEVZoomUnite::Annee, c); }
    void userZoomPrevMinute(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Minute, c); }
    void userZoomPrevHour(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Heure, c); }
    void userZoomPrevDay(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Jour, c); }
    void userZoomPrevWeek(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Semaine, c); }
    void userZoomPrevMonth(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Mois, c); }
    void userZoomPrev6Months(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::SixMois, c); }
    void userZoomPrevYear(KELICurseur* c) { userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Annee, c); }
    // The cursor's in-edge glides onto it (stopping 0.1 s before it), or goes there at once; the
    // Now cursor's range follows whatever the keys and the Ruler button. Not for the timeline cursor.
    void userZoomPrevZero(KELICurseur* curseur);
    void userPrevZero(KELICurseur* curseur);
    // The cursor a zoom item of the main menu acts on: the active cursor for tags below 301, the
    // timeline cursor from 301 on.
    KELICurseur* curseurForMenuTag(int tag) const;

    // ---- display ----
    void displayRuler() override;

    // ---- date pickers of the ruler bar ----
    void userChangeDatePickerPasseToDate(KELDate d);
    void userChangeDatePickerPresentToDate(KELDate d);
    void userChangeDatePickerFuturToDate(KELDate d);
    // The ruler's in and out deltas that keep a context with edges i, o moved by dIn, dOut at its
    // place and share of an axis a..b; (0, 0) for an empty context or axis.
    static std::pair<double, double> regleProportionnelle(double i, double o, double dIn, double dOut, double a,
                                                          double b);
    // Where the pickers, the zooms and the cursor views' key steps read the keys held (Ctrl stands
    // for Command); the keyboard's by default.
    void setModifiersReader(std::function<Qt::KeyboardModifiers()> reader) { modifiers_ = std::move(reader); }
    Qt::KeyboardModifiers modificateursCourants() const { return modifiers_ ? modifiers_() : Qt::NoModifier; }

    // ---- the presets ----
    // What the application connects: the Home Time saved from the current places (the bar's
    // save), and a preset called by its stamp (the Space's). Unconnected, both do nothing.
    void setPresetHooks(std::function<void()> saveHome, std::function<void(KELId)> changePreset);
    void menuPresetSaveHome();
    // The header views' items of the strip's and the bar's menus.
    void userToggleTimebar();
    void userToggleTracks();
    void userToggleToolbar();
    void userChangePresetWithStampInt(KELId stamp);

    // ---- other commands ----
    void fermetureRuler();
    void ouvertureRuler();
    void userShowRulerPickerPanel(bool shown);
    void userSelectContext(KELId entityInt);
    // The states of the items of the window menu and the ruler bar menu, before they show.
    void menuWillOpen(QMenu* menu);

private:
    enum class Etat { Repos, EnMouvement, EnFin };

    // Before a move or a change of cursor: the date typed into the bar and not entered.
    void entrerLaSaisieDuBar();

    void majProchaineRecharge();
    void recharger();
    double delaiDeRecharge() const;
    // Whether a move runs; otherwise logs that `operation` is refused.
    bool siDansUnMouvement(const char* operation) const;
    bool siTickValide(std::uint64_t jeton) const { return etat_ == Etat::EnMouvement && jeton == jeton_; }
    // Starts a step loop at once when none runs in this move.
    void demarrerBoucle(void (ZEVRulerViewer::*tick)(std::uint64_t));
    void planifier(const char* nom, double delai, void (ZEVRulerViewer::*tick)(std::uint64_t), std::uint64_t jeton,
                   bool commonModes = false);
    // A step loop that the moved cursor's view makes itself: the operation refused outside a
    // move, the view's step, and the name its tick is scheduled (and cancelled) under.
    struct PasDeVue {
        const char* operation;
        void (ZEVTlineCurseurViewServices::*pas)();
        const char* nom;
    };
    static const PasDeVue kPasDesVues[4];
    void demarrerPasDeLaVue(const PasDeVue& p);
    // One step, then the next one.
    void pasDeLaVue(std::uint64_t jeton, const PasDeVue& p);
    void bougerCurseur(std::uint64_t jeton);
    void bougerRuler(std::uint64_t jeton);
    void bougerCurseurEtRuler(std::uint64_t jeton);
    void annulerLesPas();
    void annulerLesAnimations();
    // Starts the move of an animation of that duration; false when refused.
    bool commencerAnimation(float duration);
    // The ticks left of an animation of that duration, as a 32-bit float.
    float ticksRestants(double duration) const;
    // What one tick of an animation takes of each remainder: its step while ticks are left, all of
    // it on the last.
    struct Tranche {
        float n;
        bool dernier;
        double operator()(double& reste) const;
    };
    // An animation: the name its ticks are scheduled (and cancelled) under, whether it lasts the
    // fixed 1.5 s or the duration it was started with, and its move of one tick.
    struct Animation {
        const char* nom;
        bool dureeFixe;
        void (ZEVRulerViewer::*pas)(const Tranche&);
        bool commonModes;
    };
    static const Animation kAnimerCurseurToDate, kAnimerCurseurEtRuler, kAnimerCurseurEtContexteIn, kAnimerNow,
        kAnimerSearch, kAnimerRuler;
    // Takes the first tick at once.
    void lancerAnimation(const Animation& a);
    // One tick, valid only in its own move: the last ends the move, another schedules the next.
    void animer(std::uint64_t jeton, const Animation& a);
    void pasCurseurToDate(const Tranche& t);
    void pasCurseurEtRuler(const Tranche& t);
    void pasCurseurEtContexteIn(const Tranche& t);
    void pasNow(const Tranche& t);
    void pasSearch(const Tranche& t);
    void pasRuler(const Tranche& t);
    // Adds to the visible range's offsets, without the 60-s floor of userPlaceRulerOffsetIn.
    void decalerRuler(double in, double out);
    // Whether these deltas leave the visible range between 60 s and ten thousand years long; logs
    // a refusal.
    bool siRulerAdmis(const char* operation, double rOffsetIn, double rOffsetOut) const;
    // The visible range's deltas that keep the Now cursor's context, moved by dIn and dOut, at its
    // place and share of the strip.
    std::pair<double, double> partDuRuler(KELICurseur* now, double dIn, double dOut) const;
    // Prepares a zoom of that cursor: false while a move runs; the cursor becomes the moving one.
    bool preparerZoom(KELICurseur* curseur);
    void marquer(KELICurseur* curseur, int code);
    // The visible range's offsets become in, out unless that leaves less than 60 s or more than
    // ten thousand years.
    bool placerRuler(double in, double out);
    ZEVTlineCurseurViewServices* vueEnDeplacement() const;
    bool siCommande() const;
    void construireLesMenus();

    ZEVSpaceController& space_;                    // not owned
    ZEVRulerClassServices& rulerClass_;            // not owned
    KELICurseur* tlCurseur_ = nullptr;             // not owned; links live for the run
    KELIContexte* tlContexte_ = nullptr;           // not owned
    ZEVFrontViewerServices* frontViewer_ = nullptr; // not owned
    std::unique_ptr<ZEVRulerParts> parts_;
    std::vector<ZEVTlineCurseurViewServices*> curseurViews_; // views held by the map
    std::map<KELICurseur*, std::unique_ptr<ZEVTlineCurseurViewServices>> mapCurseurCurseurView_;
    std::unique_ptr<ZEVTlineType> tlineType_;
    std::unique_ptr<ZEVTlineViewServices> tlineView_;
    std::unique_ptr<ZEVRulerViewbarServices> rulerViewbar_;
    // The presets model, made when first asked for.
    std::unique_ptr<ZEVStampClass> stampClass_;
    std::unique_ptr<QMenu> windowMenu_;
    std::unique_ptr<QMenu> rulerbarMenu_;
    double majRuler_ = 0;
    double prochaineRecharge_ = 10.0;
    double rulerWidth_ = 1;
    double rulerRatio_ = 0;
    KELICurseur* curseurEnDeplacement_ = nullptr; // not owned
    Etat etat_ = Etat::Repos;
    // Each move has its own number; a tick of an earlier move does nothing.
    std::uint64_t jeton_ = 0;
    std::uint64_t termines_ = 0;
    bool siPremierDeplacement_ = true;
    // The amounts of the step moves, and the totals and the parts left of the animations.
    double rOffsetIn_ = 0;
    double rOffsetInTemp_ = 0;
    double rOffsetOut_ = 0;
    double rOffsetOutTemp_ = 0;
    double cOffset_ = 0;
    double cOffsetTemp_ = 0;
    double cOffsetIn_ = 0;
    double cOffsetInTemp_ = 0;
    double cOffsetOut_ = 0;
    double cOffsetOutTemp_ = 0;
    float duration_ = 0;
    double animationStart_ = 0;
    std::function<Qt::KeyboardModifiers()> modifiers_;
    std::function<void()> presetSaveHome_;
    std::function<void(KELId)> changePreset_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
