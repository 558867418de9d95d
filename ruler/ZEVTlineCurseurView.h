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
#include "runtime/Date.h"
#include "runtime/Scheduler.h"

#include <QPointF>
#include <QRectF>

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

private:
    static inline ZEVTlineMouseTarget* owner_ = nullptr;
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

    // ---- ZEVTlineCurseurViewServices ----
    KELICurseur* curseur() const override { return curseur_; }
    void initierDeplacementCurseur() override {}
    void terminerDeplacementCurseur() override;
    // The cursor views' own wheel, pinch and one-step moves are not built yet: until they are,
    // these do nothing.
    void bougerCurseurAGauche() override {}
    void bougerCurseurADroite() override {}
    void agrandirContexte() override {}
    void diminuerContexte() override {}
    void draggCurseurWithEvent(QMouseEvent*) override {}
    void draggEntityWithEvent(QMouseEvent*) override {}
    void scrollWheelWithEvent(QWheelEvent*) override {}
    void magnify(QNativeGestureEvent*) override {}

    virtual bool siNow() const = 0;

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
    void setClickPositionForDisplay(int code) override { clickPositionForDisplay_ = code; }

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
    std::unique_ptr<QMenu> menuContexte_;
    std::unique_ptr<QMenu> menuContexteIn_;
    std::unique_ptr<QMenu> menuContexteOut_;
    static inline double grabOffset_ = 0;

private:
    void construireLesMenus();
    virtual void calculerBandes() = 0;
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

private:
    MenuChoisi menuForRegion(int region) override;
    void calculerBandes() override;
    void remplirBracketOut(QPainter& painter, const QColor& colour) const;

    QColor passeUnactifColor_;
    QColor futurUnactifColor_;
    KELICurseur* previousCurseur_ = nullptr; // not owned
    bool siCurseurDragged_ = false;
    ScheduledTarget guard_{this};
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

private:
    MenuChoisi menuForRegion(int region) override;
    void calculerBandes() override;
    void quitterModeRuler(int highlight);
    void entrerModeRuler();

    KELICurseur* nowCurseur_ = nullptr; // not owned
    bool siFirstClick_ = false;
};

} // namespace tallomer
