#pragma once
// The Channel list: one row per listed Channel, drawn as a time strip of 48 x 30 background
// pictures laid on the timeline's scale with the Channel's name over it. A magnifier follows the
// pointer and snaps to the Now and Search cursors; the active cursor is marked in every row.
// Presses and drags select Channels and move the Search cursor; the arrows walk Channels, Spaces
// and the history. The rows and pictures come from the Channel model.

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/channels/ZEVChannelClass.h"

#include <QLinearGradient>
#include <QPointer>
#include <QStyledItemDelegate>

#include <array>

class QMenu;

namespace tallomer {

class ZEVRulerViewer;

// The name over a row: white, inset 5 points top and bottom, in the font the model gives.
class ZEVChannelTextCell final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class ZEVChannelTableView final : public ZEVInspectTableView {
public:
    static constexpr double kRowHeight = 30.0;
    // The pointer's x when there is none: after it left or a menu opened, and after a drag that
    // ended outside the rows.
    static constexpr double kPointerGone = -58.0;
    static constexpr double kPointerDraggedOut = -40.0;

    ZEVChannelTableView(ZEVInspectViewer& viewer, ZEVInspectView* panel);
    ~ZEVChannelTableView() override;

    // Not owned; outlives the table. Makes the shades.
    void referencerChannelClass(ZEVChannelClass* model);
    ZEVChannelClass* channelClass() const { return channelClass_; }
    // The pointer moved (viewport points); every row draws its magnifier there.
    void mouseMovedAtPoint(const QPointF& point);
    QPointF pointerPosition() const { return pointerPosition_; }
    bool siMouseDown() const { return siMouseDown_; }
    bool siPointerVertical() const { return siPointerVertical_; }
    // A press of ours started a cursor move that its release will end.
    bool siMoveEnCours() const { return siMoveEnCours_; }
    // The row menu: the row's selection item, its Now item (tag 2000009), then its Spaces.
    QMenu* channelRowMenu() const { return channelRowMenu_; }
    QMenu* menuForRowAt(const QPointF& point);
    int rightRow() const { return rightRow_; }
    void selectAll() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // With Ctrl the wheel walks Channels and Spaces: the panel takes it.
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Vignette {
        ZEVChannelVignette v;
        double x = 0;
        bool siLa = false;
    };
    ZEVRulerViewer* rulerViewer() const;
    // The x of a date on the strip's scale in the viewport, unclamped; nullopt without a scale.
    std::optional<double> xForDate(KELDate date) const;
    void drawChannelRow(QPainter& p, int row);
    void drawVignette(QPainter& p, const ZEVChannelVignette& v, double x, double y);
    QColor colorForColorInt(KELId colorInt) const;
    void selectRowAlone(int row);
    // The window-coordinates copy of a viewport mouse event, as the ruler reads drags.
    void dragToRuler(QMouseEvent* event);

    ZEVChannelClass* channelClass_ = nullptr; // not owned
    QPointF pointerPosition_{kPointerGone, 0};
    bool siMouseDragged_ = false;
    bool siMouseDraggedInside_ = false;
    bool siMouseDown_ = false;
    bool siMoveEnCours_ = false;
    bool siPointerADroite_ = false;
    bool siPointerVertical_ = false;
    bool siPointerNow_ = false;
    bool siPointerSearch_ = false;
    std::array<QLinearGradient, 8> gradients_;
    std::array<QLinearGradient, 8> selGradients_;
    QMenu* channelRowMenu_ = nullptr; // a Qt child
    // The row whose menu shows; -2 for none.
    int rightRow_ = -2;
};

} // namespace tallomer
