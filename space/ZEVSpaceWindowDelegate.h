#pragma once
// The Space's answers to what its window tells of itself (it became the active window, it was
// resized, moved, sent to another screen or into full screen), the window's frame and
// full-screen state kept in the user defaults, quitting from the window, and bringing the
// program forward under a drag from another program.

#include "runtime/Scheduler.h"

#include <QRectF>

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceWindowDelegate {
public:
    explicit ZEVSpaceWindowDelegate(ZEVSpaceController& space) : space_(space) {}
    ZEVSpaceWindowDelegate(const ZEVSpaceWindowDelegate&) = delete;
    ZEVSpaceWindowDelegate& operator=(const ZEVSpaceWindowDelegate&) = delete;

    QRectF windowDefaultRect();
    void majWindowDefault();
    void majFullScreenDefault();
    void windowDidBecomeKey();
    void windowDidTakeFocus();
    void windowDidResize();
    void windowDidEndLiveResize();
    void windowDidChangeScreen();
    void windowDidMove();
    void windowDidChangeFullScreenState();
    void userQuit();
    void activateTallomer();
    void activatePreviousApp() { siActivateTallomer_ = false; }
    bool siActivateTallomer() const { return siActivateTallomer_; }

private:
    ZEVSpaceController& space_;
    bool siActivateTallomer_ = false;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
