#include "objects/view/ZEVInkedPixels.h"

#include <algorithm>
#include <vector>

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

QRect opaquePixels(const QImage& image)
{
    const int width = image.width();
    // Per column, how many opaque pixels stand above and on the current row; the largest
    // rectangle under that skyline is found with a stack of rising heights.
    std::vector<int> heights(std::size_t(width) + 1, 0);
    std::vector<int> rising;
    rising.reserve(std::size_t(width) + 1);
    QRect best;
    long bestArea = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            heights[std::size_t(x)] = qAlpha(line[x]) == 255 ? heights[std::size_t(x)] + 1 : 0;
        rising.clear();
        for (int x = 0; x <= width; ++x) {
            while (!rising.empty() && heights[std::size_t(rising.back())] >= heights[std::size_t(x)]) {
                const int h = heights[std::size_t(rising.back())];
                rising.pop_back();
                const int left = rising.empty() ? 0 : rising.back() + 1;
                if (long(h) * (x - left) > bestArea) {
                    bestArea = long(h) * (x - left);
                    best = QRect(left, y - h + 1, x - left, h);
                }
            }
            rising.push_back(x);
        }
    }
    return best;
}

ZEVOpaqueRuns opaqueRuns(const QImage& image)
{
    ZEVOpaqueRuns runs(std::size_t(std::max(0, image.height())), {0, 0});
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto& best = runs[std::size_t(y)];
        for (int x = 0; x < image.width();) {
            if (qAlpha(line[x]) != 255) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < image.width() && qAlpha(line[x]) == 255)
                ++x;
            if (x - start > best.second - best.first)
                best = {start, x};
        }
    }
    return runs;
}

} // namespace tallomer
