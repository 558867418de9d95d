#pragma once
// The views of the Now and Search cursors on the timeline strip. They are not widgets: the strip
// asks each to draw its context bands before the scale and its needle after it, hit-tests them
// (the active cursor's view on top) and hands them the presses on their part of the strip. Each
// view turns its presses and drags into moves of its cursor, of the cursor's context edges and of
// the visible range, through the ruler viewer's move protocol.
//
// Geometry is y-up in the strip's points (its bottom edge at 0); pointer places come as Qt window
// positions and are converted once, here.

#include "ruler/ZEVRulerParts.h"
#include "ruler/ZEVTlineWheelSteps.h"
#include "runtime/Date.h"
#include "runtime/Scheduler.h"

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <memory>
#include <optional>

class KELICurseur;
class KELIContexte;
class QMenu;
class QPainter;

namespace tallomer {

class KELSharedResources;
class ZEVFrontViewerServices;
class ZEVTlineView;

// What the wheel and pinch handlers read of an event: the amounts in lines, the wheel's direction
// factor, the pinch's magnification, the modifier flags and the pointer in window coordinates.
struct ZEVGeste {
    double dx = 0;
    double dy = 0;
    double inv = 1;
    double magnification = 0;
    std::uint32_t flags = 0;
    QPointF fenetre;

    static ZEVGeste deRoue(const QWheelEvent& event);
    static ZEVGeste dePincement(const QNativeGestureEvent& event);
    bool commande() const;
    bool option() const;
    bool majuscule() const;
    bool vertical() const;
    bool horizontal() const;
};

// The strip and the cursor views: whoever accepted the last press gets its drags and its release,
// passed on by the view that happens to receive them. One process-wide owner, which forgets a
// view that goes.
class ZEVTlineMouseTarget {
public:
    virtual ~ZEVTlineMouseTarget();
    virtual void mouseDragged(QMouseEvent* event) = 0;
    virtual void mouseUp(QMouseEvent* event) = 0;
    // Not owned; nullptr when no press is held or its view went.
    static ZEVTlineMouseTarget* mouseDownOwner() { return owner_; }

protected:
    void devenirProprietaire() { owner_ = this; }
    bool siProprietaire() const { return owner_ == this; }
    // Passes the event to the owner when it is another view; answers whether it did.
    bool passerAuProprietaire(QMouseEvent* event, bool release);

    // The move a press began, known by its number: another party may end it meanwhile (an
    // animation's cancel) and begin its own, which the press then neither steps nor ends.
    // Answers whether the viewer granted the move.
    bool initierDeplacementPropre(ZEVRulerViewer& viewer);
    bool siDeplacementPropre(const ZEVRulerViewer& viewer) const;
    // Ends the press's move if it still runs, and forgets it either way.
    void terminerDeplacementPropre(ZEVRulerViewer& viewer);

private:
    static inline ZEVTlineMouseTarget* owner_ = nullptr;
    std::uint64_t deplacementPropre_ = 0;
};

class ZEVTlineCurseurView : public ZEVTlineCurseurViewServices, public ZEVTlineMouseTarget {
public:
    // Region and highlight codes, one numbering.
    enum Code : int {
        kInEdge = 0,
        kOutEdge = 1,
        kPasseBand = 2,
        kFuturBand = 3,
        kWholeContext = 4, // the Search view's past band
        kHandle = 5,
        kActiveColours = 6,
        kNone = 10,
    };
    static constexpr double kGripWidth = 14;
    static constexpr double kHandleWidth = 8;
    // Menu item tags the Now view shows and the Search view hides.
    static constexpr int kTagHomeTime = 2000009;
    static constexpr int kTagSaveHomeTime = 1;

    // `curseur`, `strip` and `viewer` are not owned and outlive the view.
    ZEVTlineCurseurView(KELICurseur* curseur, ZEVTlineView& strip, ZEVRulerViewer& viewer);
    ~ZEVTlineCurseurView() override;
    ZEVTlineCurseurView(const ZEVTlineCurseurView&) = delete;
    ZEVTlineCurseurView& operator=(const ZEVTlineCurseurView&) = delete;

    // The delays after which a wheel or pinch gesture ends without a new event, and the shorter
    // one after the Now cursor's past side was pushed against its limit.
    static constexpr double kArretRoue = 0.4;
    static constexpr double kArretPincement = 0.7;
    static constexpr double kArretLimite = 0.2;
    // One key step, in points of the strip.
    static constexpr double kPasClavier = 8;

    // ---- ZEVTlineCurseurViewServices ----
    KELICurseur* curseur() const override { return curseur_; }
    void initierDeplacementCurseur() override {}
    void terminerDeplacementCurseur() override;
    void draggCurseurWithEvent(QMouseEvent*) override {}
    void draggEntityWithEvent(QMouseEvent*) override {}
    void scrollWheelWithEvent(QWheelEvent* event) override;
    void magnify(QNativeGestureEvent* event) override;
    void scrollWheelWithFromBox(QWheelEvent* event) override;
    void scrollWheelWithPeriodBox(QWheelEvent* event) override;
    void scrollWheelWithUntilBox(QWheelEvent* event) override;
    void scrollWheelEntityWithEvent(QWheelEvent* event) override;
    void setClickPositionForDisplay(int code) override { clickPositionForDisplay_ = code; }

    virtual bool siNow() const = 0;

    // ---- wheel and pinch ----
    // The wheel over the view's frame (the strip passes it); the event's position is the pointer
    // in window coordinates.
    virtual void scrollWheel(QWheelEvent* event) = 0;
    // The gesture's own handlers, on what was read of the event.
    virtual void scrollWheelWithGeste(const ZEVGeste& g) = 0;
    virtual void magnifyWithGeste(const ZEVGeste& g) = 0;
    virtual void scrollWheelFromBoxGeste(const ZEVGeste& g) = 0;
    virtual void scrollWheelPeriodBoxGeste(const ZEVGeste& g) = 0;
    virtual void scrollWheelUntilBoxGeste(const ZEVGeste&) {}
    virtual void scrollWheelEntityWithGeste(const ZEVGeste& g) = 0;
    // Ends a wheel or pinch gesture: the move it was granted ends, and nothing else.
    virtual void scrollWheelStop();
    // A wheel or pinch gesture is under way, whether or not it was granted a move.
    bool siInitieSrollWheel() const { return siInitieSrollWheel_; }
    // The gesture holds the move under way.
    bool siMouvementDuGeste() const;
    // The direction lock: 0 none, 1 horizontal, 2 vertical, 3 Ctrl (Search view).
    int scrollDirection() const { return scrollDirection_; }

    // ---- geometry, recomputed at every drawing ----
    void calculerGeometrie();
    // Where the view lies over its cursor and context: 14 points beyond each end of the context.
    const QRectF& frame() const { return frame_; }
    const QRectF& curseurRect() const { return curseurRect_; }
    const QRectF& curseurLine() const { return curseurLine_; }
    const QRectF& passeRect() const { return passeRect_; }
    const QRectF& futurRect() const { return futurRect_; }
    const QRectF& beginRect() const { return beginRect_; }
    const QRectF& endRect() const { return endRect_; }
    // The region under a point of the strip (y-up); kNone outside every region.
    virtual int clickPositionForPoint(const QPointF& stripPoint) const = 0;
    // The same for the event's place, which is kept as the last pointer position.
    int clickPositionForEvent(QMouseEvent* event);
    // Whether the Now view's handle holds the window position (Qt's); never for the Search view.
    virtual bool siContainsPoint(const QPointF& windowPosition) const { return false; }
    int clickPosition() const { return clickPosition_; }
    int clickPositionForDisplay() const { return clickPositionForDisplay_; }

    // ---- drawing into the strip's y-up painter ----
    virtual void drawCurseurView(QPainter& painter) = 0;
    virtual void drawAiguille(QPainter& painter) = 0;

    // ---- the press ----
    virtual void mouseDown(QMouseEvent* event) = 0;

    // ---- menus ----
    // The menu for a secondary press on the view, or nullptr for none.
    QMenu* menuForEvent(QMouseEvent* event);
    QMenu* menuContexte() const { return menuContexte_.get(); }
    QMenu* menuContexteIn() const { return menuContexteIn_.get(); }
    QMenu* menuContexteOut() const { return menuContexteOut_.get(); }
    // Brings the view's cursor to the present: the Now view with the visible range, the Search
    // view alone.
    virtual void menuZoomNow() = 0;

    // The grab offset of an entity drag, shared by every view (process-wide).
    static double grabOffset() { return grabOffset_; }

protected:
    // The menu's region and highlight for a region under the active cursor's view; nullptr gives
    // the strip's menu.
    struct MenuChoisi {
        QMenu* menu = nullptr;
        std::optional<int> highlight;
    };
    virtual MenuChoisi menuForRegion(int region) = 0;

    bool siActif() const;
    ZEVFrontViewerServices* front() const;
    const KELSharedResources& resources() const;
    ZEVRulerViewbarServices& bar() const;
    // The strip point (y-up) of a Qt window position.
    QPointF pointDansLeStrip(const QPointF& windowPosition) const;
    // The pointer's horizontal move in time since the stored location; 0 on a strip under 2
    // points.
    double deltaT(QMouseEvent* event) const;
    // D(xw / (F - 1)); none on a strip under 2 points wide.
    std::optional<KELDate> dateAtWindowX(double xw) const;
    double frameWidth() const;
    // Ends the continuous move this view started, if any.
    void arreterBouger();
    // Starts a gesture when none is under way: the bar shows `highlight` and the ruler is asked for
    // a move, whose end is scheduled when granted. Answers whether the gesture holds the move.
    bool commencerGeste(int highlight, double delai);
    // A gesture that holds no move (it only switches cursors or Channels).
    void commencerGesteSansMouvement(double delai);
    // The pending end of the gesture goes back to `delai` from now.
    void rearmer(double delai);
    // The Channel wheel: after 4.0 of movement the next (or previous) Channel, then after 8.0 more.
    void changerDeChannel(double dy);
    // What every wheel amount of the views is measured with.
    double ratio() const;
    double spanDuRuler() const;
    double debutDuRuler() const;
    // Moves the range by those amounts; the ruler's answer.
    bool placerRuler(const ZEVDecalage& d);
    // The wheel's gesture, or nothing when the wheel is not this view's to take: no event, the view
    // inactive or the strip's own gesture under way (the strip takes it), a drag under way.
    std::optional<ZEVGeste> gesteDeLaRoue(QWheelEvent* event);
    // One move around `what`, refused silently while another runs.
    template <class F>
    void dansUnMouvement(F what);
    void remplirBracketIn(QPainter& painter, const QColor& colour) const;

    KELICurseur* curseur_;      // not owned
    KELIContexte* contexte_;    // not owned
    ZEVTlineView& strip_;       // not owned
    ZEVRulerViewer& viewer_;    // not owned
    QColor passeColor_;
    QColor futurColor_;
    QRectF frame_, curseurRect_, curseurLine_, passeRect_, futurRect_, beginRect_, endRect_;
    double xIn_ = 0, xNow_ = 0, xOut_ = 0, w_ = 0, h_ = 0;
    double spaceHeight_ = 0;
    // Qt window coordinates.
    QPointF locationInWindow_;
    int clickPosition_ = kNone;
    int clickPositionForDisplay_ = kNone;
    bool siBouger_ = false;
    bool siMouseDragged_ = false;
    bool siCommandKey_ = false;
    bool siInitieDeplacement_ = false;
    bool siInitieSrollWheel_ = false;
    // The number of the move the gesture was granted; 0 for none.
    std::uint64_t mouvementDuGeste_ = 0;
    int scrollDirection_ = 0;
    bool fermetureRulerFlag_ = false;
    bool ouvertureRulerFlag_ = false;
    // The Channel wheel's movement (and the Search view's gap to the Now cursor).
    double initialDelta_ = 0;
    std::unique_ptr<QMenu> menuContexte_;
    std::unique_ptr<QMenu> menuContexteIn_;
    std::unique_ptr<QMenu> menuContexteOut_;
    static inline double grabOffset_ = 0;

private:
    void construireLesMenus();
    virtual void calculerBandes() = 0;

protected:
    ScheduledTarget guard_{this};
};

// The Now cursor's view: a past and a future band, two edge grips and the handle.
class ZEVTlineCurseurRecall final : public ZEVTlineCurseurView {
public:
    static constexpr double kBandHeight = 17;
    // The delay after a drag of the handle before the Home Time is saved.
    static constexpr double kSaveHomeDelay = 0.05;

    ZEVTlineCurseurRecall(KELICurseur* curseur, ZEVTlineView& strip, ZEVRulerViewer& viewer);

    bool siNow() const override { return true; }
    int clickPositionForPoint(const QPointF& stripPoint) const override;
    bool siContainsPoint(const QPointF& windowPosition) const override;
    void drawCurseurView(QPainter& painter) override;
    void drawAiguille(QPainter& painter) override;
    void mouseDown(QMouseEvent* event) override;
    void mouseDragged(QMouseEvent* event) override;
    void mouseUp(QMouseEvent* event) override;
    void draggCurseurWithEvent(QMouseEvent* event) override;
    void draggEntityWithEvent(QMouseEvent* event) override;
    void menuZoomNow() override;

    // ---- wheel, pinch and key steps ----
    void scrollWheel(QWheelEvent* event) override;
    void scrollWheelWithGeste(const ZEVGeste& g) override;
    void magnifyWithGeste(const ZEVGeste& g) override;
    void scrollWheelFromBoxGeste(const ZEVGeste& g) override;
    void scrollWheelPeriodBoxGeste(const ZEVGeste& g) override;
    void scrollWheelUntilBoxGeste(const ZEVGeste& g) override;
    void scrollWheelEntityWithGeste(const ZEVGeste& g) override { scrollWheelPeriodBoxGeste(g); }
    void bougerCurseurAGauche() override;
    void bougerCurseurADroite() override;
    void agrandirContexte() override;
    void diminuerContexte() override;
    // The steps by region: the in-edge, the past side, the out-edge, the future side, and the
    // whole context around the cursor (z seconds of the strip's scale; a positive z narrows).
    void scrollWheelContexteIn(const ZEVGeste& g);
    void scrollWheelContextePasse(const ZEVGeste& g);
    void scrollWheelContexteOut(const ZEVGeste& g);
    void scrollWheelContexteFutur(const ZEVGeste& g);
    void scrollWheelContexte(const ZEVGeste& g);
    void magnifyContexte(const ZEVGeste& g);
    // The key steps of an edge: nothing for 0; the range slides with Alt, else rescales.
    void updateContexteIn(double e);
    void updateContexteOut(double e);

private:
    MenuChoisi menuForRegion(int region) override;
    void calculerBandes() override;
    void remplirBracketOut(QPainter& painter, const QColor& colour) const;
    // The past and out-edge steps open or toggle the timeline once per gesture.
    void pasDeBordNow(const ZEVGeste& g, ZEVBord bord, bool cote);
    void pasDuContexteNow(double z, const ZEVGeste& g, double delai);
    void updateContexte(ZEVBord bord, double e);

    QColor passeUnactifColor_;
    QColor futurUnactifColor_;
    KELICurseur* previousCurseur_ = nullptr; // not owned
    bool siCurseurDragged_ = false;
};

// The Search cursor's view: a past band, the in-edge grip and the handle.
class ZEVTlineCurseurSearch final : public ZEVTlineCurseurView {
public:
    static constexpr double kBandHeight = 10;
    // The Shift drag's slow-down grows with the pointer's distance from the window's top edge.
    static double facteurFin(double distanceFromTop, double windowHeight);

    ZEVTlineCurseurSearch(KELICurseur* curseur, ZEVTlineView& strip, ZEVRulerViewer& viewer);

    bool siNow() const override { return false; }
    int clickPositionForPoint(const QPointF& stripPoint) const override;
    void drawCurseurView(QPainter& painter) override;
    void drawAiguille(QPainter& painter) override;
    void mouseDown(QMouseEvent* event) override;
    void mouseDragged(QMouseEvent* event) override;
    void mouseUp(QMouseEvent* event) override;
    void draggCurseurWithEvent(QMouseEvent* event) override;
    void draggEntityWithEvent(QMouseEvent* event) override;
    void menuZoomNow() override;

    // ---- wheel, pinch and key steps ----
    void scrollWheel(QWheelEvent* event) override;
    void scrollWheelWithGeste(const ZEVGeste& g) override;
    void magnifyWithGeste(const ZEVGeste& g) override;
    void scrollWheelFromBoxGeste(const ZEVGeste& g) override;
    void scrollWheelPeriodBoxGeste(const ZEVGeste& g) override;
    void scrollWheelEntityWithGeste(const ZEVGeste& g) override;
    void scrollWheelStop() override;
    void bougerCurseurAGauche() override;
    void bougerCurseurADroite() override;
    void agrandirContexte() override;
    void diminuerContexte() override;
    // The steps by region: the in-edge, the past band (with its own direction lock), the handle,
    // the wheel elsewhere (with Ctrl the past edge and the range, else the cursor or the Channels).
    void scrollWheelContexteIn(const ZEVGeste& g);
    void scrollWheelContextePasse(const ZEVGeste& g);
    void scrollWheelCurseur(const ZEVGeste& g);
    void scrollWheelContextePasseXY(const ZEVGeste& g);
    void magnifyContexte(const ZEVGeste& g);
    // The cursor was stopped on the Now cursor by the wheel; the Now cursor becomes active when the
    // gesture ends.
    bool siSurPlace() const { return siSurPlace_; }

private:
    MenuChoisi menuForRegion(int region) override;
    void calculerBandes() override;
    void quitterModeRuler(int highlight);
    void entrerModeRuler();
    // A horizontal wheel step of the cursor alone, held on the Now cursor when it would pass it.
    void pasHorizontal(const ZEVGeste& g);
    void entrerVerrou(int verrou, int highlight);
    // One wheel or pinch step `a` of the in-edge, the range sliding or rescaling with it; the
    // gesture re-armed for `delai`, or ended where the range or the context refuses.
    void pasDuBordIn(double a, bool reechelonne, double delai);
    // The cursor slides with the wheel's horizontal part, with the range under Ctrl.
    void glisserLeCurseur(const ZEVGeste& g);
    // The in-edge moved by `a` of the range's span in proportion, the range rescaled too when
    // `avecLeRuler`, and the cursor and the range slid by the horizontal part.
    void pasDuCurseurEtDuContexte(double a, const ZEVGeste& g, bool avecLeRuler);

    KELICurseur* nowCurseur_ = nullptr; // not owned
    bool siFirstClick_ = false;
    bool siSurPlace_ = false;
    bool siSurPlaceBeep_ = false;
};

} // namespace tallomer
