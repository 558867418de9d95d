#include "objects/view/ZEVInkedPixels.h"

#include <algorithm>

namespace tallomer {

QRect inkedPixels(const QImage& image, const QSize& pixels)
{
    const int width = std::min(pixels.width(), image.width());
    const int height = std::min(pixels.height(), image.height());
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width && !qAlpha(line[x]))
            ++x;
        if (x == width)
            continue;
        int last = width - 1;
        while (!qAlpha(line[last]))
            --last;
        left = std::min(left, x);
        right = std::max(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace tallomer
