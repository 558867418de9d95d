#pragma once
// Desk coordinates: icon places and sizes are stored in units of a virtual desk of 19200 by
// 12000 units (16 : 10), whatever the size or shape of the Space window. This value class holds
// the space controller's mapping between the window's content view (points) and that desk, the
// size limits derived from it and the default placement of new icons. ZEVSpaceController owns
// one and forwards its operations of the same names to it.
//
// Everything here is y-up (origin at the lower left), as the desk model and the drawing
// formulas are; only qtY() and its companions convert, at the Qt edge.

#include <QPointF>
#include <QRectF>
#include <QTransform>

namespace tallomer {

// Bounds for icon centres, in window points. Not an origin and a size: four bounds.
struct ZEVLimitRect {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
};

class ZEVDeskGeometry {
public:
    static constexpr double kDeskWidth = 19200;
    static constexpr double kDeskHeight = 12000;
    static constexpr double kDeskAspect = kDeskWidth / kDeskHeight; // 1.6

    // Until a content view is known, one point is one unit.
    ZEVDeskGeometry();
    ZEVDeskGeometry(double width, double height);

    // Recomputes the ratio, the limits and the default icon place for a content view of that
    // size. A view without area has no ratio: the call is refused (logged) and nothing changes.
    bool updateSpaceRatio(double width, double height);

    // Conversions; x and y in window points, b in desk units.
    double baseForX(double x) const { return x * spaceRatioSR_ - spaceRatioXD_; }
    double baseForY(double y) const { return y * spaceRatioSR_ - spaceRatioYD_; }
    double xForBase(double b) const { return (b + spaceRatioXD_) / spaceRatioSR_; }
    double yForBase(double b) const { return (b + spaceRatioYD_) / spaceRatioSR_; }

    // The stored forms: single precision, rounded to whole numbers, halves away from zero.
    float baseNumForX(double x) const;
    float baseNumForY(double y) const;
    float xForBaseNum(float b) const;
    float yForBaseNum(float b) const;
    float baseNumForS(double s) const;
    float sForBaseNum(float b) const;

    double spaceRatioSR() const { return spaceRatioSR_; }
    double spaceRatioXD() const { return spaceRatioXD_; }
    double spaceRatioYD() const { return spaceRatioYD_; }
    ZEVLimitRect spaceRatioLimitRect() const { return spaceRatioLimitRect_; }
    double spaceRatioMaxSize() const { return spaceRatioMaxSize_; }
    double spaceRatioMinSize() const { return spaceRatioMinSize_; }
    double spaceRatioDefaultSize() const { return spaceRatioDefaultSize_; }
    double spaceRatioDropShift() const { return spaceRatioDropShift_; }
    double spaceRatioGrid() const { return spaceRatioGrid_; }

    // `rect` moved so that `infoRect` (its origin read as a centre, its size as full extents)
    // keeps touching the limit area; the size of `rect` never changes.
    QRectF spaceRatioCheckRect(const QRectF& rect, const QRectF& infoRect) const;

    // Where the next icon without a drop point goes (x, y, default size, 0); advances the column
    // and wraps back to the first column on the same row when the desk is full.
    QRectF nextIconDefaultPosition();
    QRectF iconDefaultPosition() const { return iconDefaultPosition_; }
    long iconDefaultNumber() const { return iconDefaultNumber_; }

private:
    double firstColumnX() const;
    double columnX(long n) const;

    double spaceRatioSR_ = 1;
    double spaceRatioXD_ = 0;
    double spaceRatioYD_ = 0;
    ZEVLimitRect spaceRatioLimitRect_;
    double spaceRatioMaxSize_ = 0;
    double spaceRatioMinSize_ = 0;
    double spaceRatioDefaultSize_ = 0;
    double spaceRatioDropShift_ = 0;
    double spaceRatioGrid_ = 0;
    QRectF iconDefaultPosition_;
    long iconDefaultNumber_ = 0;
};

// Display flags the desk, Object and front layers read from the space controller.
struct ZEVDeskDisplayOptions {
    bool siShowAnimation = false;
    bool siHideItemTitle = false;
    bool siShowLinksForAllObjects = false;
    bool siShowLinksForSelections = false;
    bool siFiltreANDOperation = false;
    bool siNSCursorHidden = false;

    bool siShowLinks() const { return siShowLinksForAllObjects || siShowLinksForSelections; }
    // The title being edited and the selected filters always keep their titles.
    bool siHideItemTitleFor(bool titleBeingEdited, bool selectedFilter) const
    {
        return siHideItemTitle && !titleBeingEdited && !selectedFilter;
    }
};

// The Qt edge: y-up (origin lower left) to Qt's y-down, for something of `height` inside a
// parent of `parentHeight`. The formula is its own inverse.
inline double qtY(double parentHeight, double y, double height)
{
    return parentHeight - y - height;
}
inline QRectF qtRect(double parentHeight, const QRectF& r)
{
    return QRectF(r.x(), qtY(parentHeight, r.y(), r.height()), r.width(), r.height());
}
inline QPointF qtPoint(double parentHeight, const QPointF& p)
{
    return QPointF(p.x(), qtY(parentHeight, p.y(), 0));
}
// The same conversion as a transform, for paths built in y-up coordinates.
inline QTransform qtFlip(double parentHeight)
{
    return QTransform(1, 0, 0, -1, 0, parentHeight);
}

} // namespace tallomer
