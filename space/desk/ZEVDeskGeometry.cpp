#include "space/desk/ZEVDeskGeometry.h"

#include "runtime/Log.h"

#include <cmath>

namespace tallomer {

namespace {

// Single precision, then the nearest whole number with halves away from zero (roundf).
float stored(double v)
{
    return std::round(static_cast<float>(v));
}

} // namespace

ZEVDeskGeometry::ZEVDeskGeometry()
{
    updateSpaceRatio(kDeskWidth, kDeskHeight);
}

ZEVDeskGeometry::ZEVDeskGeometry(double width, double height)
{
    if (!updateSpaceRatio(width, height))
        updateSpaceRatio(kDeskWidth, kDeskHeight);
}

bool ZEVDeskGeometry::updateSpaceRatio(double width, double height)
{
    // A zero or negative size (a window being built or collapsed) would give an infinite or
    // negative ratio and poison every stored place computed from it.
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) {
        logFormat("ZEVDeskGeometry updateSpaceRatio: refused content size %g x %g", width, height);
        return false;
    }
    const double r = width / height;
    double sr = 0;
    ZEVLimitRect limit;
    if (r < kDeskAspect) {
        // Taller than the desk: empty bands above and below.
        sr = kDeskWidth / width;
        spaceRatioXD_ = 0;
        spaceRatioYD_ = (kDeskWidth / r - kDeskHeight) / 2;
        const double m = (height - width / kDeskAspect) / 2;
        limit.minX = 200 / sr;
        limit.maxX = width - 200 / sr;
        limit.minY = m + 200 / sr;
        limit.maxY = height - m - 200 / sr - 400 / sr;
    } else {
        // As wide as the desk or wider: empty bands left and right.
        sr = kDeskHeight / height;
        spaceRatioXD_ = (r * kDeskHeight - kDeskWidth) / 2;
        spaceRatioYD_ = 0;
        const double m = (width - kDeskAspect * height) / 2;
        limit.minX = m + 200 / sr;
        limit.maxX = width - m - 200 / sr;
        limit.minY = 200 / sr;
        limit.maxY = height - 200 / sr - 400 / sr;
    }
    spaceRatioSR_ = sr;
    spaceRatioLimitRect_ = limit;
    spaceRatioMaxSize_ = 10000 / sr;
    spaceRatioMinSize_ = 400 / sr;
    spaceRatioDefaultSize_ = 800 / sr;
    spaceRatioDropShift_ = 200 / sr;
    spaceRatioGrid_ = 200 / sr;

    const double y = (limit.minY - 200 / sr) + 550 / sr;
    iconDefaultPosition_ = QRectF(columnX(iconDefaultNumber_), y, spaceRatioDefaultSize_, 0);
    return true;
}

float ZEVDeskGeometry::baseNumForX(double x) const
{
    return stored(baseForX(x));
}

float ZEVDeskGeometry::baseNumForY(double y) const
{
    return stored(baseForY(y));
}

float ZEVDeskGeometry::xForBaseNum(float b) const
{
    return stored((static_cast<double>(b) + spaceRatioXD_) / spaceRatioSR_);
}

float ZEVDeskGeometry::yForBaseNum(float b) const
{
    return stored((static_cast<double>(b) + spaceRatioYD_) / spaceRatioSR_);
}

float ZEVDeskGeometry::baseNumForS(double s) const
{
    return stored(s * spaceRatioSR_);
}

float ZEVDeskGeometry::sForBaseNum(float b) const
{
    return stored(static_cast<double>(b) / spaceRatioSR_);
}

QRectF ZEVDeskGeometry::spaceRatioCheckRect(const QRectF& rect, const QRectF& infoRect) const
{
    const ZEVLimitRect& l = spaceRatioLimitRect_;
    const double cx = infoRect.x();
    const double cy = infoRect.y();
    const double hw = infoRect.width() / 2;
    const double hh = infoRect.height() / 2;
    double x = rect.x();
    double y = rect.y();
    if (cx - hw > l.maxX)
        x -= cx - hw - l.maxX;
    else if (cx + hw < l.minX)
        x += l.minX - (cx + hw);
    if (cy - hh > l.maxY)
        y -= cy - hh - l.maxY;
    else if (cy + hh < l.minY)
        y += l.minY - (cy + hh);
    return QRectF(x, y, rect.width(), rect.height());
}

double ZEVDeskGeometry::firstColumnX() const
{
    // 500 units from the desk's left edge.
    return (spaceRatioLimitRect_.minX - 200 / spaceRatioSR_) + 500 / spaceRatioSR_;
}

double ZEVDeskGeometry::columnX(long n) const
{
    // One column every 900 units: a 100-unit gap and one default icon.
    return firstColumnX() + static_cast<double>(n) * (100 / spaceRatioSR_ + spaceRatioDefaultSize_);
}

QRectF ZEVDeskGeometry::nextIconDefaultPosition()
{
    const double x = columnX(iconDefaultNumber_);
    iconDefaultPosition_.moveLeft(x);
    const double deskRight = spaceRatioLimitRect_.maxX + 200 / spaceRatioSR_;
    if (x + spaceRatioDefaultSize_ + 500 / spaceRatioSR_ > deskRight) {
        iconDefaultPosition_.moveLeft(firstColumnX());
        iconDefaultNumber_ = 1;
    } else {
        ++iconDefaultNumber_;
    }
    return iconDefaultPosition_;
}

} // namespace tallomer
