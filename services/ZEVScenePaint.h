#pragma once
// A scene that the desk canvas tells, before each paint, which part of it the paint is about to
// draw: items that draw once and keep what they drew (the Object views' titles) draw it then for
// all of them together, rather than one by one as the paint reaches each; and items that the
// paint would draw wholly under opaque ones above them are left out of it.

#include <QRegion>
#include <QTransform>

namespace tallomer {

class ZEVScenePaint {
public:
    virtual ~ZEVScenePaint() = default;
    // What lies in `exposed` (the viewport's pixels) is painted next through `viewportTransform`,
    // on a device of `pixelRatio` device pixels per viewport pixel.
    virtual void willPaint(const QRegion& exposed, const QTransform& viewportTransform, qreal pixelRatio) = 0;
    // That paint is over: whatever it left out is painted again by the next that reaches it.
    virtual void didPaint() = 0;
    // The next paint draws all of the scene again (a change under every item asked it): an item
    // that changes meanwhile is painted with it whether or not it shows.
    virtual bool paintsWholeNext() const = 0;
};

} // namespace tallomer
