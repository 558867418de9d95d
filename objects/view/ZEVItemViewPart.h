#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace tallomer {

class ZEVItemView;

// A part of an Object view that the view draws within its own paint, rather than an item of the
// desk's scene: each painted item costs a full desk its transforms and a table of where it was
// last painted (over a kilobyte), for thousands of views on two desks.
// It is placed, shown and hidden like an item, in its view's coordinates, and each change asks its
// view to repaint the part's rectangle.
class ZEVItemViewPart {
public:
    explicit ZEVItemViewPart(ZEVItemView* view) : view_(view) {}
    ZEVItemViewPart(const ZEVItemViewPart&) = delete;
    ZEVItemViewPart& operator=(const ZEVItemViewPart&) = delete;

    QRectF boundingRect() const { return QRectF(QPointF(0, 0), size_); }
    QPointF pos() const { return pos_; }
    void setPos(const QPointF& pos);
    // Shown when neither it nor its view is hidden.
    bool isVisible() const;
    void setVisible(bool visible);
    // Its rectangle in its view's coordinates, and in the scene's.
    QRectF rectInView() const { return boundingRect().translated(pos_); }
    QRectF sceneBoundingRect() const;
    ZEVItemView* itemView() const { return view_; }

protected:
    // Asks the view to repaint the part's rectangle.
    void update() const;
    // Another size: the old rectangle and the new are repainted. False when it is the same.
    bool resize(const QSizeF& size);
    bool hiddenItself() const { return !visible_; }

    QSizeF size_;

private:
    ZEVItemView* view_; // not owned: the view owns its parts
    QPointF pos_;
    bool visible_ = true;
};

} // namespace tallomer
