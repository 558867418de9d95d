#include "space/ZEVSpaceWindowFrame.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tallomer {

namespace {

std::optional<double> finiteNumber(const QVariantMap& map, const char* key)
{
    const QVariant v = map.value(QString::fromLatin1(key));
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

QRectF defaultRect(const QRectF& screen)
{
    const double w = std::min(ZEVSpaceWindowFrame::kDefaultWidth, std::max(screen.width(), ZEVSpaceWindowFrame::kMinFrameWidth));
    const double h = w == ZEVSpaceWindowFrame::kDefaultWidth
                         ? ZEVSpaceWindowFrame::kDefaultHeight
                         : w / ZEVSpaceWindowFrame::kContentAspect + ZEVSpaceWindowFrame::kTitleBarHeight;
    return QRectF(screen.x() + (screen.width() - w) * 0.5, screen.y() + (screen.height() - h) * 0.5, w, h);
}

} // namespace

QRectF ZEVSpaceWindowFrame::windowDefaultRect(const QVariant& stored, const QRectF& screen)
{
    const QVariantMap map = stored.toMap();
    const auto width = finiteNumber(map, "width");
    const auto xRatio = finiteNumber(map, "xRatio");
    const auto yRatio = finiteNumber(map, "yRatio");
    if (!width || !xRatio || !yRatio || *width < kMinFrameWidth)
        return defaultRect(screen);
    const double w = std::max(kMinFrameWidth, std::min(*width, screen.width()));
    const double h = storedFrameHeight(static_cast<float>(w));
    const double x = std::clamp((screen.width() - w) * *xRatio, 0.0, std::max(0.0, screen.width() - w));
    // The top edge stays on the screen. The bottom may sink by the stored title bar's height: a
    // window manager's decorations are thinner than that, so its frame still ends on the screen.
    const double lowest = -kTitleBarHeight;
    const double y = std::clamp((screen.height() - h - kTitleBarHeight) * *yRatio, lowest,
                                std::max(lowest, screen.height() - h));
    return QRectF(screen.x() + x, screen.y() + y, w, h);
}

double ZEVSpaceWindowFrame::storedFrameHeight(float width)
{
    return static_cast<double>(width) / kContentAspect + kTitleBarHeight;
}

QVariant ZEVSpaceWindowFrame::windowDefaultFor(const QRectF& frame, const QRectF& screen)
{
    const float width = static_cast<float>(frame.width());
    const double freeWidth = screen.width() - width;
    if (!(freeWidth > 0))
        return {};
    // The ratios are read back with the height the stored width gives, not with the window's own
    // (whole pixels, a menu bar, the manager's decorations): written with that same height below
    // the same top edge, they give the top edge back. With any other height the difference comes
    // back multiplied by the ratio, which is large for a window about as tall as the screen: such
    // a window crept down a few pixels at every start.
    const double h = storedFrameHeight(width);
    const double y = frame.y() + frame.height() - h;
    const double freeHeight = screen.height() - h - kTitleBarHeight;
    const double xRatio = (frame.x() - screen.x()) / freeWidth;
    const double yRatio = freeHeight != 0 ? (y - screen.y()) / freeHeight : 0.0;
    QVariantMap map;
    map.insert(QStringLiteral("width"), width);
    map.insert(QStringLiteral("xRatio"), static_cast<float>(xRatio));
    map.insert(QStringLiteral("yRatio"), static_cast<float>(yRatio));
    return map;
}

QRectF ZEVSpaceWindowFrame::contentRectForFrame(const QRectF& frame)
{
    return QRectF(frame.x(), frame.y(), frame.width(), std::max(0.0, frame.height() - kTitleBarHeight));
}

QRectF ZEVSpaceWindowFrame::frameRectForContent(const QRectF& content)
{
    return QRectF(content.x(), content.y(), content.width(), content.height() + kTitleBarHeight);
}

QSizeF ZEVSpaceWindowFrame::constrainedContentSize(const QSizeF& requested)
{
    double w = requested.width();
    if (!std::isfinite(w))
        w = kMinContentWidth;
    w = std::max(w, kMinContentWidth);
    return QSizeF(w, w / kContentAspect);
}

bool ZEVSpaceWindowFrame::siContentSizeAllowed(const QSizeF& size)
{
    return size.width() >= kMinContentWidth && size.height() >= kMinContentHeight
           && std::abs(size.width() / kContentAspect - size.height()) < 1.0;
}

QSize ZEVSpaceWindowFrame::fittedContentSize(const QSize& given, const QSize& room)
{
    const int limitWidth = std::min(given.width(), room.width());
    const int limitHeight = std::min(given.height(), room.height());
    // The height decides when it is the tighter bound; a width within limitHeight x 8/5 rounds to
    // a height within limitHeight.
    int w = std::min(limitWidth, int(std::floor(limitHeight * kContentAspect)));
    w = std::max(w, int(kMinContentWidth));
    return QSize(w, int(std::lround(w / kContentAspect)));
}

QRect ZEVSpaceWindowFrame::largestFrame(const QRect& available, const QMargins& margins)
{
    const QSize room = available.size().shrunkBy(margins);
    const QSize frame = fittedContentSize(room, room).grownBy(margins);
    return QRect(QPoint(available.left() + (available.width() - frame.width()) / 2,
                        available.top() + (available.height() - frame.height()) / 2),
                 frame);
}

} // namespace tallomer
