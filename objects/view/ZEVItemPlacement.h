#pragma once
// An Object view's animated move to another place and size, in frames eased in and out through
// the one scheduler, and the blinking that offers to restore a moved icon. Each keeps its own
// state; the view asks them and they move and redraw it.

#include "services/ZEVIconPosition.h"

#include <QRectF>

#include <cstddef>

class QGraphicsScene;

namespace tallomer {

class ZEVItemView;

class ZEVItemPlacement {
public:
    explicit ZEVItemPlacement(ZEVItemView& view) : view_(view) {}
    ~ZEVItemPlacement() { setRunning(false); }
    ZEVItemPlacement(const ZEVItemPlacement&) = delete;
    ZEVItemPlacement& operator=(const ZEVItemPlacement&) = delete;

    // Moves the view to `position` over `duration` seconds, from where it stands (a running move
    // is replaced); at once without a scheduler, for a snap, or when it stands there already.
    // Throughout, the view's icon position is where it goes.
    void moveTo(const ZEVIconPosition& position, double duration);
    bool running() const { return running_; }
    // How many views of any desk are moving now.
    static std::size_t runningCount();
    // Whether the views moving in the frame due now cover most of the desk of `scene`.
    static bool frameCoversMostOf(const QGraphicsScene& scene);

private:
    void step();
    // Keeps the count of running moves with the flag.
    void setRunning(bool running);
    // Takes back the places this move counted on its desk and, while it runs and a frame has
    // asked about that desk, counts where it stands and where its next frame takes it.
    void recount();
    void uncount();

    ZEVItemView& view_;
    bool running_ = false;
    QRectF from_;
    QRectF to_;
    ZEVIconPosition target_;
    int steps_ = 0;
    int step_ = 0;
    double delay_ = 0;
    // The desk and places counted for this move, as they were counted.
    const QGraphicsScene* countedOn_ = nullptr;
    QRectF countedHere_;
    QRectF countedNext_;
};

// On for 0.5 s, off for 0.25 s, until cancelled: the drawing reads both flags.
class ZEVItemRestoreBlink {
public:
    explicit ZEVItemRestoreBlink(ZEVItemView& view) : view_(view) {}
    ZEVItemRestoreBlink(const ZEVItemRestoreBlink&) = delete;
    ZEVItemRestoreBlink& operator=(const ZEVItemRestoreBlink&) = delete;

    // Starts blinking, lit first; nothing when it blinks already.
    void start();
    // Stops a running blink; nothing when none runs.
    void cancel();
    // Stops whatever runs.
    void stop();
    // Both flags as given, without a blink of its own.
    void set(bool on, bool lit);
    bool on() const { return on_; }
    bool lit() const { return lit_; }

private:
    void toggle();
    void off();

    ZEVItemView& view_;
    bool on_ = false;
    bool lit_ = false;
};

} // namespace tallomer
