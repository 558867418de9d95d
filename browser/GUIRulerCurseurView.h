#pragma once
// The views of one time cursor on a browser date strip: the cursor line, its window's edges and
// the window's past and future parts. They are not widgets: the strip draws them into its own
// painter, hit-tests them and hands them the presses, drags, wheel turns and secondary presses on
// their parts. Each computes its rectangles while it draws and sends every move to the strip's
// controller. The Recall view shows the whole window; the Search view only its past part and its
// start edge.
//
// Geometry is y-up in the strip's points (its bottom edge at 0); Qt's positions are converted by
// the strip.

#include "browser/GUIRulerView.h"
#include "ruler/ZEVTlineWheelSteps.h"
#include "ruler/ZEVZoomPeriods.h"
#include "runtime/Scheduler.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <functional>
#include <memory>

class KELICurseur;
class KELIContexte;
class QMenu;
class QMouseEvent;
class QPainter;
class QWheelEvent;

namespace tallomer {

class GUIRulerCurseurView : public GUIRulerMouseTarget {
public:
    // Part codes, for the part pressed and the part drawn as active.
    enum Code : int {
        kDebut = 0,    // the window's start edge
        kFin = 1,      // its end edge
        kPasse = 2,    // the past part
        kFutur = 3,    // the future part
        kFenetre = 4,  // the whole window
        kCurseur = 5,  // the cursor, lower part, or a cursor move
        kCurseurHaut = 6,
        kRien = 7,
    };
    // How long a wheel move on the window's edges lasts after its last event.
    static constexpr double kArretRoue = 0.7;
    // One step of the keys and the continuous moves, in points of the strip.
    static constexpr double kPas = 8;

    // `curseur`, `rulerView` and `delegate` are not owned; the controller that keeps the view in
    // its curseurViews outlives it.
    GUIRulerCurseurView(KELICurseur* curseur, GUIRulerView* rulerView, GUIRulerViewerDelegate* delegate);
    ~GUIRulerCurseurView() override;
    GUIRulerCurseurView(const GUIRulerCurseurView&) = delete;
    GUIRulerCurseurView& operator=(const GUIRulerCurseurView&) = delete;

    KELICurseur* curseur() const { return curseur_; }
    GUIRulerView* rulerView() const { return rulerView_; }
    void setClickPositionForDisplay(int code) { clickPositionForDisplay_ = code; }
    int clickPositionForDisplay() const { return clickPositionForDisplay_; }
    int clickPosition() const { return clickPosition_; }
    bool siInitieDeplacement() const { return siInitieDeplacement_; }
    bool siInitieSrollWheel() const { return siInitieSrollWheel_; }
    bool siBouger() const { return siBouger_; }

    // ---- geometry, recomputed at every drawing (or on request) ----
    void calculerGeometrie();
    const QRectF& frame() const { return frame_; }
    const QRectF& curseurRect() const { return curseurRect_; }
    const QRectF& passeRect() const { return passeRect_; }
    const QRectF& futurRect() const { return futurRect_; }
    const QRectF& beginRect() const { return beginRect_; }
    const QRectF& endRect() const { return endRect_; }
    // The part under a y-up point of the strip, as of the last drawing.
    virtual int clickPositionForPoint(QPointF point) const = 0;
    // The same for the event's place, which is kept as the last location.
    int clickPositionForEvent(QMouseEvent* event);

    virtual void drawCurseurViewInCGContext(QPainter& painter) = 0;

    // ---- mouse ----
    // A press on a part begins the controller's move, when it grants one; a press elsewhere goes
    // to the strip.
    void mouseDown(QMouseEvent* event);
    void mouseUp(QMouseEvent* event) override;
    virtual void draggCurseurWithEvent(QMouseEvent* event) = 0;
    // The menu of a secondary press, nullptr for the strip's own handling.
    QMenu* menuForEvent(QMouseEvent* event);
    QMenu* menuCurseur() const { return menuCurseur_.get(); }
    QMenu* menuContexte() const { return menuContexte_.get(); }
    QMenu* menuContexteIn() const { return menuContexteIn_.get(); }
    QMenu* menuContexteOut() const { return menuContexteOut_.get(); }

    // ---- wheel ----
    virtual void scrollWheel(QWheelEvent* event) = 0;
    virtual void scrollWheelWithEvent(QWheelEvent* event) { scrollWheelContexteInWithEvent(event); }
    virtual void scrollWheelContexteInWithEvent(QWheelEvent* event);
    void scrollWheelContexteOutWithEvent(QWheelEvent* event);
    void scrollWheelContexteWithEvent(QWheelEvent* event);
    void scrollWheelStop();

    // ---- steps, called by the controller on its active cursor's view ----
    virtual void bougerCurseurAGauche();
    virtual void bougerCurseurADroite();
    virtual void agrandirContexte() {}
    virtual void diminuerContexte() {}
    virtual void initierDeplacementCurseur() {}
    virtual void terminerDeplacementCurseur();

    // ---- menus ----
    virtual void menuZoomNow() = 0;
    // A zoom item: the controller zooms this view's cursor.
    virtual void menuZoom(ZEVZoomFamille famille, ZEVZoomUnite unite);
    // The display code goes back to rest when a menu closed without a highlighted item.
    void menuDidClose(QMenu* menu);

    // Where the views read the keys held; the keyboard's by default.
    static std::function<Qt::KeyboardModifiers()>& lectureModificateurs();

protected:
    // Wheel amounts with the keys they were turned with.
    struct Roue {
        double dx = 0;
        double dy = 0;
        std::uint32_t flags = 0;
        QPointF point; // y-up, in the strip
    };
    Roue roue(QWheelEvent* event) const;
    std::uint32_t flagsActuels() const;
    bool siActif() const;
    double ratio() const;
    double spanDuRuler() const;
    double debutDuRuler() const;
    // The ruler's span in seconds per point of the strip's width less one: a drag's scale.
    double secondesParPoint() const;
    // d = (x - previous x) in seconds of the ruler, from the stored location.
    double deltaT(QMouseEvent* event) const;
    void stockerLocation(QMouseEvent* event);
    // The first event of a drag: where the drag counts from, and `code` drawn as active while it
    // lasts. Later events of the same drag leave both.
    void commencerLeGlisser(QMouseEvent* event, int code);
    // A granted press: the part drawn as active (the part pressed by default).
    virtual void marquerLaSaisie() { clickPositionForDisplay_ = clickPosition_; }
    // Its release, before the controller's move ends.
    virtual void relacherLaSaisie() {}
    // The menu for a secondary press on part `code`, marking the part drawn meanwhile.
    virtual QMenu* menuPourPartie(int code) = 0;
    // The wheel goes to the strip when this view is not active or the strip's own wheel move runs;
    // answers whether the view leaves the event (a press's move also keeps it out).
    bool siRoueAilleurs(QWheelEvent* event);
    // The ruler follows a window move unless the ruler is the window itself.
    bool suivreRuler(double in, double out);
    // A step of an edge by the wheel: `pasDeBord` on the amount, the ruler rescaled about the
    // window (or slid with Alt). Answers the step's issue after acting on it.
    void pasDeBordRoue(ZEVBord bord, const Roue& r);
    // Starts the wheel move if none runs; false when refused.
    bool commencerRoue();
    void rearmer();
    void arreterBouger();
    // The step to the left that keeps the cursor's offset at or above its parent's.
    double limiteParLeParent(double d) const;
    void redessiner() const;
    void construireLesMenus();

    KELICurseur* curseur_;
    KELIContexte* contexte_;
    GUIRulerView* rulerView_;
    GUIRulerViewerDelegate* delegate_;
    QRectF frame_, curseurRect_, passeRect_, futurRect_, beginRect_, endRect_;
    double xIn_ = 0, xNow_ = 0, xOut_ = 0, h_ = 0;
    // Qt window coordinates.
    QPointF locationInWindow_;
    QPointF premiereLocation_;
    int clickPosition_ = kRien;
    int clickPositionForDisplay_ = kRien;
    bool siBouger_ = false;
    bool siMouseDragged_ = false;
    bool siInitieDeplacement_ = false;
    bool siInitieSrollWheel_ = false;
    std::unique_ptr<QMenu> menuCurseur_;
    std::unique_ptr<QMenu> menuContexte_;
    std::unique_ptr<QMenu> menuContexteIn_;
    std::unique_ptr<QMenu> menuContexteOut_;
    ScheduledTarget guard_{this};
};

// A cursor with its whole window: the past and future parts, both edges and the cursor, each
// draggable.
class GUIRulerCurseurRecall final : public GUIRulerCurseurView {
public:
    static constexpr double kBande = 17;

    GUIRulerCurseurRecall(KELICurseur* curseur, GUIRulerView* rulerView, GUIRulerViewerDelegate* delegate);

    int clickPositionForPoint(QPointF point) const override;
    void drawCurseurViewInCGContext(QPainter& painter) override;
    void mouseDragged(QMouseEvent* event) override;
    void draggCurseurWithEvent(QMouseEvent* event) override;
    void scrollWheel(QWheelEvent* event) override;
    void scrollWheelWithEvent(QWheelEvent* event) override;
    void menuZoomNow() override;
    void bougerCurseurAGauche() override;
    void bougerCurseurADroite() override;
    void agrandirContexte() override;
    void diminuerContexte() override;
    void agrandirContexteIn() { updateContexteIn(-kPas * ratio()); }
    void agrandirContexteOut() { updateContexteOut(kPas * ratio()); }
    void diminuerContexteIn();
    void diminuerContexteOut() { updateContexteOut(-kPas * ratio()); }
    // An edge moved by s, the ruler rescaled so that the window keeps its place (slid with Alt).
    void updateContexteIn(double s) { updateContexte(ZEVBord::In, s); }
    void updateContexteOut(double s) { updateContexte(ZEVBord::Out, s); }

protected:
    void marquerLaSaisie() override;
    void relacherLaSaisie() override;
    QMenu* menuPourPartie(int code) override;

private:
    void updateContexte(ZEVBord bord, double s);

    QColor unselectedPasseColor_{QColor::fromRgbF(0.55f, 0.64f, 0.55f)};
    QColor unselectedFuturColor_{QColor::fromRgbF(0.55f, 0.55f, 0.64f)};
};

// A cursor with the past part of its window and its start edge, moved by dragging the cursor.
class GUIRulerCurseurSearch final : public GUIRulerCurseurView {
public:
    static constexpr double kBande = 10;

    GUIRulerCurseurSearch(KELICurseur* curseur, GUIRulerView* rulerView, GUIRulerViewerDelegate* delegate);

    int clickPositionForPoint(QPointF point) const override;
    void drawCurseurViewInCGContext(QPainter& painter) override;
    void mouseDragged(QMouseEvent* event) override;
    void draggCurseurWithEvent(QMouseEvent* event) override;
    void scrollWheel(QWheelEvent* event) override;
    void scrollWheelContexteInWithEvent(QWheelEvent* event) override;
    void menuZoomNow() override;
    // The This items frame nothing for a Search cursor.
    void menuZoom(ZEVZoomFamille famille, ZEVZoomUnite unite) override;
    void bougerCurseurAGauche() override;
    void bougerCurseurADroite() override;
    void agrandirContexte() override;
    void diminuerContexte() override;

protected:
    QMenu* menuPourPartie(int code) override;
};

} // namespace tallomer
