#include "objects/drawing/ZEVItemPainter.h"

#include "widgets/ZEVPathArc.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>

namespace tallomer {

namespace {

QPainterPath roundedRect(const QRectF& r, qreal radius)
{
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

QPainterPath tab(const QRectF& r, bool right)
{
    const qreal depth = ZEVItemPainter::kTabDepth;
    const qreal edge = right ? r.x() + r.width() : r.x();
    const qreal inward = right ? -depth : depth;
    const qreal my = r.y() + r.height() / 2;
    QPainterPath p;
    p.moveTo(edge, my - depth);
    addArcToPoint(p, QPointF(edge + inward, my), QPointF(edge, my + depth), depth);
    p.lineTo(edge, my + depth);
    p.closeSubpath();
    return p;
}

QPainterPath circle(const QPointF& centre, qreal side)
{
    QPainterPath p;
    p.addEllipse(centre, side / 2, side / 2);
    return p;
}

QPen penFor(const ZEVDrawOp& op, const QColor& colour)
{
    QPen pen(colour, op.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (op.dash != ZEVDash::None && op.width > 0) {
        // Qt measures dashes in pen widths, the formulas in points.
        const auto& pattern = op.dash == ZEVDash::A ? ZEVItemDashPatterns::kA : ZEVItemDashPatterns::kB;
        pen.setDashPattern({pattern[0] / op.width, pattern[1] / op.width});
        pen.setDashOffset(op.dashPhase / op.width);
    }
    return pen;
}

} // namespace

ZEVItemDrawGeometry ZEVItemDrawGeometry::forViewSize(const QSizeF& size)
{
    ZEVItemDrawGeometry g;
    g.viewSize = size;
    g.imageFrame = QRectF(50, 55, size.width() - 100, size.height() - 105);
    g.titleFrame = QRectF(12, 19, size.width() - 24, 18);
    return g;
}

QPainterPath ZEVItemPainter::shape(ZEVItemShape shape, const ZEVItemDrawGeometry& g)
{
    switch (shape) {
    case ZEVItemShape::Plate:
        return roundedRect(g.backFrame(), 7);
    case ZEVItemShape::Line:
        return roundedRect(g.backFrame(), 6);
    case ZEVItemShape::FutureTab:
        return tab(g.backFrame(), true);
    case ZEVItemShape::PastTab:
        return tab(g.backFrame(), false);
    case ZEVItemShape::TitlePlate:
        return roundedRect(g.titleFrame.adjusted(1, 1, -1, -1), 9);
    case ZEVItemShape::NodeRing:
        return circle(g.centre(), 32);
    case ZEVItemShape::InnerFilterRing:
        return circle(g.centre(), 24);
    case ZEVItemShape::OuterFilterRing:
        return circle(g.centre(), 32);
    }
    return {};
}

void ZEVItemPainter::paint(QPainter& painter, const ZEVItemDrawPlan& plan, const ZEVItemDrawGeometry& g,
                           const ZEVItemPalette& palette, ZEVShadowCache& shadows)
{
    if (plan.ops.empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double height = g.viewSize.height();
    const QTransform flip = qtFlip(height);
    const ZEVShadowStyle shadow = palette.itemShadow();
    const QPointF shadowOffset = flip.map(shadow.offset) - flip.map(QPointF(0, 0));
    for (const ZEVDrawOp& op : plan.ops) {
        const QPainterPath path = flip.map(shape(op.shape, g));
        const QColor colour = palette.colour(op.colour);
        if (op.kind == ZEVDrawOp::Kind::Fill) {
            if (op.shadow)
                shadows.draw(painter, path, shadowOffset, shadow.blur, shadow.colour);
            painter.fillPath(path, colour);
        } else {
            const QPen pen = penFor(op, colour);
            if (op.shadow) {
                QPainterPathStroker stroker(pen);
                shadows.draw(painter, stroker.createStroke(path), shadowOffset, shadow.blur, shadow.colour);
            }
            painter.strokePath(path, pen);
        }
    }
    painter.restore();
}

} // namespace tallomer
