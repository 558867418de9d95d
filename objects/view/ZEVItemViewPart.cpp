#include "objects/view/ZEVItemViewPart.h"

#include "objects/view/ZEVItemView.h"

namespace tallomer {

void ZEVItemViewPart::setPos(const QPointF& pos)
{
    if (pos == pos_)
        return;
    update();
    pos_ = pos;
    update();
}

bool ZEVItemViewPart::isVisible() const { return visible_ && (!view_ || view_->isVisible()); }

void ZEVItemViewPart::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    update();
}

QRectF ZEVItemViewPart::sceneBoundingRect() const { return view_ ? view_->mapRectToScene(rectInView()) : rectInView(); }

void ZEVItemViewPart::update() const
{
    if (view_ && !size_.isEmpty())
        view_->update(rectInView());
}

bool ZEVItemViewPart::resize(const QSizeF& size)
{
    if (size == size_)
        return false;
    update();
    size_ = size;
    update();
    return true;
}

} // namespace tallomer
