#pragma once
// The handle of the tracks (the toolbar or the split bar): a press gives the desk the keyboard, a
// drag sizes the tracks between none and thirty rows with the row counts shown at both ends, and
// the release keeps that height as the tracks' own; a press without a drag shows the front view
// again.

#include <QPointF>

namespace tallomer {

class ZEVFrontViewer;
class ZEVSpaceController;

class ZEVTracksHandle final {
public:
    // Both outlive it.
    ZEVTracksHandle(ZEVFrontViewer& front, ZEVSpaceController& space) : front_(front), space_(space) {}

    // Points in the window, y-up.
    void mouseDown(const QPointF& p);
    void mouseDragged(const QPointF& p);
    void mouseUp();

private:
    ZEVFrontViewer& front_;
    ZEVSpaceController& space_;
    // Where the drag stands as the layout last took it, and whether the press moved.
    QPointF initialLoc_;
    bool siMouseDragged_ = false;
};

} // namespace tallomer
