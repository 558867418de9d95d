#pragma once
// The part of an image that holds anything: icons and titles keep or blit only that part.

#include <QImage>
#include <QRect>
#include <QSize>

#include <utility>
#include <vector>

namespace tallomer {

// The pixels of `image` (premultiplied, 32 bits) within `pixels` from its corner whose alpha is
// not zero; empty when none is.
QRect inkedPixels(const QImage& image, const QSize& pixels);

// The largest rectangle of `image` (premultiplied, 32 bits) whose pixels are all wholly opaque:
// what a blit of it hides beneath, whatever lies there. Empty when no pixel is opaque.
QRect opaquePixels(const QImage& image);

// Per row of `image` (premultiplied, 32 bits), its longest run of wholly opaque pixels, from the
// first column to the one after the last; an empty run where the row has none. Finer than the
// largest rectangle for rounded or folded shapes.
using ZEVOpaqueRuns = std::vector<std::pair<int, int>>;
ZEVOpaqueRuns opaqueRuns(const QImage& image);

} // namespace tallomer
