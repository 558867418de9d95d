#pragma once
// The selection view: the container of the tracks (the selection list) over the toolbar or the
// split bar, under the time line; the header layout sets its frame. It takes no drop itself: it
// only follows a drag that passes over it (from the Finder-like desktop or from the desk itself),
// so that the Space knows a drag session runs and can open the header views as the pointer nears
// the window's top edge.

#include "runtime/Scheduler.h"

#include <QWidget>

namespace tallomer {

class ZEVFrontViewerServices;
class ZEVSpaceController;

class ZEVFrontSelectionView final : public QWidget {
public:
    // The session ends this long after the drag left the strip (unless another view took it).
    static constexpr double kStopDelay = 0.8;
    // A drag over an inactive application reports the pointer this much higher (y-up): the
    // window's title bar is not counted then.
    static constexpr double kInactiveLift = 23.0;

    // Neither is owned; both outlive the strip.
    ZEVFrontSelectionView(QWidget* parent, ZEVSpaceController& space, ZEVFrontViewerServices& frontViewer);
    ~ZEVFrontSelectionView() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The pointer in the window, y-up.
    QPointF pointerInWindow() const;

    ZEVSpaceController& space_;
    ZEVFrontViewerServices& frontViewer_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
