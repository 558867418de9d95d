#pragma once
// The timeline strip of the Space window: a band 36 points high that maps the visible range
// linearly onto its width and draws, back to front, the past and future tints, the cursor views'
// bands, the ticks and labels of the calendar units that fit, and the cursor views' needles.
// Presses on it place the Search cursor, drags scrub it, Ctrl-clicks step it, the wheel zooms
// and pans the range, keys go to the front layer, and files or Objects dragged over it move the
// Search cursor; every change runs through the ruler viewer's move protocol.
//
// The drawing formulas are y-up (the strip's bottom edge at 0) and converted to Qt once, in
// paintEvent. Main thread only.

#include "ruler/ZEVBarItems.h"
#include "ruler/ZEVRulerParts.h"
#include "ruler/ZEVTlineCurseurView.h"
#include "ruler/ZEVTlineScale.h"
#include "runtime/Date.h"
#include "runtime/Scheduler.h"

#include <QColor>
#include <QWidget>

#include <optional>
#include <vector>

class QAction;
class QMenu;

namespace tallomer {

class ZEVTlineView final : public QWidget, public ZEVTlineViewServices, public ZEVTlineMouseTarget {
    Q_OBJECT
public:
    static constexpr double kHeight = 36;
    // The tags of the strip's menu items.
    enum MenuTag : int {
        kTagNow = 11,
        kTagSearch = 22,
        kTagRuler = 33,
        kTagTimebar = ZEVBarTagTimebar,
        kTagTline = ZEVBarTagTline,
        kTagTracks = ZEVBarTagTracks,
        kTagToolbar = ZEVBarTagToolbar,
        kTagChannels = ZEVBarTagChannels,
        // The zooms of the timeline to the minute ... year of the active cursor, 321 to 327.
        kTagZoomThisMinute = 321,
    };
    // A wheel gesture ends this long after its last event; a drag must stay this long over the
    // strip before the Search cursor follows it.
    static constexpr double kWheelStopDelay = 0.3;
    static constexpr double kDragFollowDelay = 0.3;
    static constexpr double kDragSessionStopDelay = 0.8;

    // The strip at `frame` (y-up, in `parent`'s points), hidden until the front layer shows it.
    // `viewer` is not owned and outlives the strip.
    ZEVTlineView(const QRectF& frame, ZEVRulerViewer& viewer, QWidget* parent);
    ~ZEVTlineView() override;

    // ---- ZEVTlineViewServices ----
    QRectF frame() const override;
    void setTlineType(ZEVTlineType* axis) override;
    void assignForegroundColor(const QColor& color) override;
    void setClickPositionForDisplay(int code) override;
    void rulerDidChange() override;
    void setNeedsDisplay() override { update(); }
    void placerDevantCurseurView(ZEVTlineCurseurViewServices* view) override;
    void setSiRulerTime(bool siRulerTime) override;
    void scrollWheel(QWheelEvent* event) override;
    // The wheel over the bar's boxes while its Ruler button is on: the From box moves the range's
    // in-edge, the Until box its out-edge, the cursor's box zooms and pans it like the strip.
    void scrollWheelWithFromBox(QWheelEvent* event) override;
    void scrollWheelWithPeriodBox(QWheelEvent* event) override;
    void scrollWheelWithUntilBox(QWheelEvent* event) override;

    // ---- state ----
    // Moves the strip to `frame` (y-up, in the parent's points).
    void setFrameYUp(const QRectF& frame);
    ZEVRulerViewer& rulerViewer() const { return viewer_; }
    ZEVTlineType* tlineType() const { return tlineType_; }
    const QColor& foregroundColor() const { return foregroundColor_; }
    double largeur() const { return width(); }
    double hauteur() const { return height(); }
    bool siRulerTime() const { return siRulerTime_; }
    bool siCmd() const { return siCmd_; }
    int clickPosition() const { return clickPosition_; }
    const QColor& rulerPasseColor() const { return rulerColours_.passe; }
    const QColor& rulerFuturColor() const { return rulerColours_.futur; }
    // The units shown, chosen again after a resize, a new axis or a change of the span.
    const ZEVTlineUnitChoice& displayedUnits();
    bool siUnitsChosen() const { return choix_.has_value(); }

    // ---- cursor views, which the viewer owns ----
    void ajouterCurseurView(ZEVTlineCurseurView* view);
    // The view whose frame holds the point (y-up), the one in front first; nullptr for none.
    ZEVTlineCurseurView* curseurViewAt(const QPointF& stripPoint) const;

    // ---- coordinates ----
    // Through the axis, with the relative coordinate x / width.
    KELDate dateForPoint(const QPointF& stripPoint) const;
    QPointF pointForDate(KELDate date) const;
    // The date under a strip x for the pointer, x / (width - 1); none under 2 points.
    std::optional<KELDate> dateAtX(double x) const;
    // A Qt window position as a strip point, y-up.
    QPointF pointDansLeStrip(const QPointF& windowPosition) const;

    // ---- the strip's own gestures (the cursor views pass it presses outside their regions) ----
    void mouseDown(QMouseEvent* event);
    void mouseDragged(QMouseEvent* event) override;
    void mouseUp(QMouseEvent* event) override;
    QMenu* menuForEvent(QMouseEvent* event);
    void rightMouseDragged(QMouseEvent* event);
    void rightMouseUp(QMouseEvent* event);
    bool siScrollWheelStart() const { return siInitieScrollWheel_; }
    void scrollWheelStop();
    void keyDown(QKeyEvent* event);
    void keyUp(QKeyEvent* event);
    // The Ctrl-click step: within a window around a round duration, the duration, D's sign kept.
    static double snapCommandClickStep(double d);

    QMenu* menuRuler() const { return menuRuler_; }
    void menuWillOpen(QMenu* menu);
    void menuWillHighlightItem(QMenu* menu, QAction* item);
    void menuDidClose(QMenu* menu);

    // ---- drags over the strip ----
    void startDraggingUpdate();
    bool siStartDraggingUpdate() const { return siStartDraggingUpdate_; }

    // Draws the strip's content with a y-up painter already set on the strip.
    void drawRuler(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void construireLeMenu();
    // The units are chosen again at the next paint.
    void oublierLesUnites();
    // Whether Qt may leave out what lies under the strip.
    void majOpacite();
    ZEVFrontViewerServices* front() const;
    ZEVRulerViewbarServices* bar() const;
    void activerSearch();
    void scrollWheelRuler(QWheelEvent* event);
    // One event of a wheel over a box of the bar: the gesture's move begins with the codes given.
    enum class Boite { From, Period, Until };
    void scrollWheelBox(QWheelEvent* event, Boite boite);
    void rearmerScrollWheelStop();
    bool initierMouvementDeLaRoue();
    bool siMouvementDeLaRoue() const;
    void oublierUneRoueInterrompue();
    // The visible range slides so that the active cursor lies at `a` of the width.
    void cadrerLeCurseur(double a);
    void dragUpdated(const QPointF& windowPosition);
    void terminerMonMouvement();

    ZEVRulerViewer& viewer_;          // not owned
    ZEVTlineType* tlineType_ = nullptr; // not owned: the viewer's axis
    QColor foregroundColor_;
    QColor futurColor_;
    QColor passeColor_;
    ZEVTlineRulerColours rulerColours_;
    std::optional<ZEVTlineUnitChoice> choix_;
    bool siRulerTime_ = false;
    bool siCmd_ = false;
    bool siRow_ = false;
    int clickPosition_ = 10;
    // Strip point (y-up) of the press, and the last pointer position (Qt window coordinates).
    QPointF initialLoc_;
    QPointF locationInWindow_;
    // The wheel's pointer, for the anchor mark.
    double pointerXInWindow_ = 0;
    bool siMouseDragged_ = false;
    bool siInitieDeplacement_ = false;
    bool siInitieScrollWheel_ = false;
    // The number of the move the wheel's gesture was granted; 0 for none.
    std::uint64_t mouvementDeLaRoue_ = 0;
    bool siStartDraggingUpdate_ = false;
    QPointF dragLocation_;
    // Not owned: the viewer's cursor views, the last one in front.
    std::vector<ZEVTlineCurseurView*> curseurViews_;
    // The view (or the strip) that got the primary press Qt is delivering.
    ZEVTlineMouseTarget* pressTarget_ = nullptr;
    QMenu* menuRuler_ = nullptr; // owned as a Qt child
    QAction* menuRulerPast_ = nullptr;
    QAction* menuRulerPeriod_ = nullptr;
    QAction* menuRulerFuture_ = nullptr;
    QAction* menuRulerLegosDuration_ = nullptr;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
