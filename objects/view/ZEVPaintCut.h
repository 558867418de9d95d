#pragma once
// The parts of the viewport a view's images must still draw in the paint of the desk under way:
// on a full desk icons lie many deep, and most of each one's pixels lie under opaque images of
// the views above it, which would overwrite them.

#include <QRect>

#include <vector>

class QImage;
class QPainter;
class QPointF;

namespace tallomer {

// Rectangles in the viewport's pixels; whatever of a drawing lies outside them is hidden.
using ZEVPaintCut = std::vector<QRect>;

// Draws `image` with its corner at `at`, as a painter that only moves blits it: the parts within
// `cut` alone, or the whole image without a cut, on a turned or scaled painter, or where the
// corner falls about half way between device pixels.
void drawImageCut(QPainter& painter, const QPointF& at, const QImage& image, const ZEVPaintCut* cut);

} // namespace tallomer
