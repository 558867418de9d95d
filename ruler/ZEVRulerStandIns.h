#pragma once
// Stand-ins for the parts of the ruler that are not built yet: the timeline strip (the strip view
// will answer), the Now and Search cursor views (the cursor views will) and the ruler bar (the bar
// view will). They draw nothing; each keeps what it was last told and counts the rest, so that the
// viewer's protocol can be followed, at no cost that grows with time.

#include "ruler/ZEVRulerParts.h"

namespace tallomer {

class ZEVTlineViewStandIn final : public ZEVTlineViewServices {
public:
    explicit ZEVTlineViewStandIn(const QRectF& frame) : frame_(frame) {}
    QRectF frame() const override { return frame_; }
    void setTlineType(ZEVTlineType* axis) override { tlineType = axis; }
    void assignForegroundColor(const QColor& color) override { foregroundColor = color; }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    void rulerDidChange() override { ++rulerDidChangeCount; }
    void setNeedsDisplay() override { ++displayCount; }
    void placerDevantCurseurView(ZEVTlineCurseurViewServices* view) override { frontCurseurView = view; }

    ZEVTlineType* tlineType = nullptr;                      // not owned
    QColor foregroundColor;
    int clickPosition = 10;
    long rulerDidChangeCount = 0;
    long displayCount = 0;
    ZEVTlineCurseurViewServices* frontCurseurView = nullptr; // not owned

private:
    QRectF frame_;
};

class ZEVTlineCurseurStandIn final : public ZEVTlineCurseurViewServices {
public:
    ZEVTlineCurseurStandIn(KELICurseur* curseur, bool siNow) : siNow(siNow), curseur_(curseur) {}
    KELICurseur* curseur() const override { return curseur_; }
    void initierDeplacementCurseur() override { ++initierCount; }
    void terminerDeplacementCurseur() override { ++terminerCount; }
    void bougerCurseurAGauche() override { ++stepCount; }
    void bougerCurseurADroite() override { ++stepCount; }
    void agrandirContexte() override { ++stepCount; }
    void diminuerContexte() override { ++stepCount; }
    void draggCurseurWithEvent(QMouseEvent*) override { ++eventCount; }
    void draggEntityWithEvent(QMouseEvent*) override { ++eventCount; }
    void scrollWheelWithEvent(QWheelEvent*) override { ++eventCount; }
    void magnify(QNativeGestureEvent*) override { ++eventCount; }

    bool siNow;
    long initierCount = 0;
    long terminerCount = 0;
    long stepCount = 0;
    long eventCount = 0;

private:
    KELICurseur* curseur_; // not owned
};

class ZEVRulerViewbarStandIn final : public ZEVRulerViewbarServices {
public:
    explicit ZEVRulerViewbarStandIn(const QRectF& frame) : frame_(frame) {}
    QRectF frame() const override { return frame_; }
    void initierDeplacementCurseur() override { ++initierCount; }
    void terminerDeplacementCurseur() override { ++terminerCount; }
    void majDatePicker() override { ++majDatePickerCount; }
    void majMenubarForCurseur(KELICurseur* curseur) override { menubarCurseur = curseur; }
    void showRulerPickerPanel(bool shown) override { pickerPanelShown = shown; }
    // Without a bar there is no Ruler button to be on.
    bool stateOfRulerButton() override { return false; }

    long initierCount = 0;
    long terminerCount = 0;
    long majDatePickerCount = 0;
    KELICurseur* menubarCurseur = nullptr; // not owned
    bool pickerPanelShown = false;

private:
    QRectF frame_;
};

// The parts of a ruler viewer until the strip, the cursor views and the bar exist.
class ZEVRulerStandInParts final : public ZEVRulerParts {
public:
    std::unique_ptr<ZEVTlineViewServices> creerTlineView(const QRectF& frame, ZEVRulerViewer&) override
    {
        return std::make_unique<ZEVTlineViewStandIn>(frame);
    }
    std::unique_ptr<ZEVTlineCurseurViewServices> creerCurseurView(KELICurseur* curseur, bool siNow,
                                                                ZEVTlineViewServices&, ZEVRulerViewer&) override
    {
        return std::make_unique<ZEVTlineCurseurStandIn>(curseur, siNow);
    }
    std::unique_ptr<ZEVRulerViewbarServices> creerRulerViewbar(const QRectF& frame, ZEVRulerViewer&) override
    {
        return std::make_unique<ZEVRulerViewbarStandIn>(frame);
    }
};

} // namespace tallomer
