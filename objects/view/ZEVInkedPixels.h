#pragma once
// The part of an image that holds anything: icons and titles keep or blit only that part.

#include <QImage>
#include <QRect>
#include <QSize>

namespace tallomer {

// The pixels of `image` (premultiplied, 32 bits) within `pixels` from its corner whose alpha is
// not zero; empty when none is.
QRect inkedPixels(const QImage& image, const QSize& pixels);

} // namespace tallomer
