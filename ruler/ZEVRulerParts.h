#pragma once
// What the ruler viewer asks of the views it owns: the timeline strip, one view per ruler cursor,
// and the ruler bar. The viewer makes them through a ZEVRulerParts: the strip, the cursor views
// and the bar of ZEVRulerViewParts.h.

#include "engine/KELTypes.h"

#include <QColor>
#include <QRectF>

#include <memory>

class KELICurseur;
class QMouseEvent;
class QNativeGestureEvent;
class QObject;
class QWheelEvent;

namespace tallomer {

class ZEVRulerViewer;
class ZEVTlineType;
class ZEVTlineCurseurViewServices;

// The timeline strip (answered by the strip view).
class ZEVTlineViewServices {
public:
    virtual ~ZEVTlineViewServices() = default;
    // In the content view's points, y-up.
    virtual QRectF frame() const = 0;
    // Not owned: the viewer's axis.
    virtual void setTlineType(ZEVTlineType* axis) = 0;
    virtual void assignForegroundColor(const QColor& color) = 0;
    // The part of the ruler the user acts on; 10 is nothing.
    virtual void setClickPositionForDisplay(int code) = 0;
    // The seconds per point changed.
    virtual void rulerDidChange() = 0;
    // Draw again on the next pass.
    virtual void setNeedsDisplay() = 0;
    // The cursor view is drawn in front of the other cursor views.
    virtual void placerDevantCurseurView(ZEVTlineCurseurViewServices* view) = 0;
    // Whether the bar shows the timeline cursor (the strip's tints then follow the ruler's codes).
    virtual void setSiRulerTime(bool siRulerTime) = 0;
    // The wheel over the ruler bar (its background, or its boxes while the Ruler button is on).
    // The events carry the pointer in the window's coordinates as their position.
    virtual void scrollWheel(QWheelEvent* event) = 0;
    virtual void scrollWheelWithFromBox(QWheelEvent* event) = 0;
    virtual void scrollWheelWithPeriodBox(QWheelEvent* event) = 0;
    virtual void scrollWheelWithUntilBox(QWheelEvent* event) = 0;
};

// The view of one ruler cursor on the strip (answered by the Now and Search cursor views).
class ZEVTlineCurseurViewServices {
public:
    virtual ~ZEVTlineCurseurViewServices() = default;
    virtual KELICurseur* curseur() const = 0;
    virtual void initierDeplacementCurseur() = 0;
    virtual void terminerDeplacementCurseur() = 0;
    // The one-step moves of the repeating loops.
    virtual void bougerCurseurAGauche() = 0;
    virtual void bougerCurseurADroite() = 0;
    virtual void agrandirContexte() = 0;
    virtual void diminuerContexte() = 0;
    // The part of the view being worked on (the views' region codes); 10 is nothing.
    virtual void setClickPositionForDisplay(int code) = 0;
    // Events passed on by the viewer. Wheel and pinch events carry the pointer in the window's
    // coordinates as their position.
    virtual void draggCurseurWithEvent(QMouseEvent* event) = 0;
    virtual void draggEntityWithEvent(QMouseEvent* event) = 0;
    virtual void scrollWheelWithEvent(QWheelEvent* event) = 0;
    virtual void magnify(QNativeGestureEvent* event) = 0;
    // The wheel over the ruler bar's From, Period and Until boxes (sent while the bar's Ruler
    // button is off), and over a row of an inspector's table.
    virtual void scrollWheelWithFromBox(QWheelEvent* event) = 0;
    virtual void scrollWheelWithPeriodBox(QWheelEvent* event) = 0;
    virtual void scrollWheelWithUntilBox(QWheelEvent* event) = 0;
    virtual void scrollWheelEntityWithEvent(QWheelEvent* event) = 0;
};

// The ruler bar (answered by the bar view).
class ZEVRulerViewbarServices {
public:
    virtual ~ZEVRulerViewbarServices() = default;
    virtual QRectF frame() const = 0;
    virtual void initierDeplacementCurseur() = 0;
    virtual void terminerDeplacementCurseur() = 0;
    virtual void majDatePicker() = 0;
    virtual void majMenubarForCurseur(KELICurseur* curseur) = 0;
    // The bar's own highlight codes (7 ruler in-edge, 8 ruler out-edge, 9 the whole ruler, and
    // the cursor views' codes); 10 is nothing.
    virtual void setClickPositionForDisplay(int code) = 0;
    virtual void showRulerPickerPanel(bool shown) = 0;
    // Whether the bar's Ruler button is on (the date pickers then act on the visible range); and
    // whether the Now or Search button is on (in the Ruler display the active cursor's button is
    // mixed, which answers false).
    virtual bool stateOfRulerButton() = 0;
    virtual bool stateOfNowButton() = 0;
    virtual bool stateOfSearchButton() = 0;
    // The bar's cursor commands. Without a sender (nullptr) they only change the active cursor and
    // the bar's display: the timeline opens (for the Search cursor unless the user keeps it closed),
    // and the cursor becomes active when no move runs. With one they may also recentre or widen the
    // ruler, go to the Home Time, or swap the cursors (the Ruler command).
    virtual void menuNowCurseur(QObject* sender) = 0;
    virtual void menuSearchCurseur(QObject* sender) = 0;
    virtual void menuRuler(QObject* sender) = 0;
    // Whether the calendar panel shows.
    virtual bool siShowRulerPickerPanel() const = 0;
    // Shows a preset's name for that many seconds.
    virtual void showPresetTitleWithTag(KELId stamp, float duration) = 0;
    // Ends a rename of a preset under way, keeping its text; lights the button of a preset.
    virtual void menuPresetDidRename() = 0;
    // Enters the date or time typed into the cursor's box and not entered yet, as Return would;
    // fields that make no date are refused aloud and kept. Nothing from within a picker's own entry.
    virtual void entrerLesDatesTapees() = 0;
    virtual void highlightButtonWithTag(KELId stamp) = 0;
};

// Makes the parts of one ruler viewer; each is owned by the viewer.
class ZEVRulerParts {
public:
    virtual ~ZEVRulerParts() = default;
    virtual std::unique_ptr<ZEVTlineViewServices> creerTlineView(const QRectF& frame, ZEVRulerViewer& viewer) = 0;
    // siNow: the view of the Now cursor; otherwise a Search cursor's view.
    virtual std::unique_ptr<ZEVTlineCurseurViewServices> creerCurseurView(KELICurseur* curseur, bool siNow,
                                                                        ZEVTlineViewServices& tlineView,
                                                                        ZEVRulerViewer& viewer) = 0;
    virtual std::unique_ptr<ZEVRulerViewbarServices> creerRulerViewbar(const QRectF& frame, ZEVRulerViewer& viewer) = 0;
};

} // namespace tallomer
