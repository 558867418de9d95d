#pragma once
// The content view of the Space window and its desk canvas: the canvas shows the scene of the
// active cursor's desk, and the view chooses the mouse pointer.

#include "runtime/Scheduler.h"

#include <QGraphicsView>
#include <QWidget>

namespace tallomer {

class ZEVFrontViewServices;
class ZEVSpaceController;

// The desk canvas: it leaves keys to the window unless an item of the scene has the focus, and
// hands its pinches to the scene, which the view would not do. The front view, once there is one,
// sees every event of the viewport first and paints over the scene.
class ZEVDeskCanvas final : public QGraphicsView {
    Q_OBJECT
public:
    explicit ZEVDeskCanvas(QWidget* parent);
    // Not owned; nullptr: none.
    void referencerFrontView(ZEVFrontViewServices* front) { front_ = front; }
    ZEVFrontViewServices* frontView() const { return front_; }

protected:
    // A change of the system font lays the titles out again.
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    // A scene that wants it is told first which part of it the paint draws, and then that it is done.
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Tab walks the icons of the desk, never the focus chain of the window.
    bool focusNextPrevChild(bool) override { return false; }

private:
    // The largest number of pieces of a region painted one at a time.
    static constexpr int kMostPiecesPaintedApart = 4;
    void paintPiece(QPaintEvent* event);

    ZEVFrontViewServices* front_ = nullptr; // not owned
    QRect piece_; // the piece of the region being painted, in the viewport's pixels; null: all of it
};

// The content view: it holds the desk canvas and chooses the mouse pointer.
class ZEVSpaceView final : public QWidget {
    Q_OBJECT
public:
    // `spaceController` is not owned; it may be null (a bare window).
    ZEVSpaceView(QWidget* parent, ZEVSpaceController* spaceController);
    ~ZEVSpaceView() override;

    ZEVDeskCanvas* deskCanvas() const { return canvas_; }
    // Chooses the pointer for the state of the drag session and the active cursor.
    void resetCursorRects();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ZEVSpaceController* spaceController_; // not owned
    ZEVDeskCanvas* canvas_;               // owned by this view as its Qt child
    ScheduledTarget guard_{this};
};

} // namespace tallomer
