#pragma once
// The Space window's frame: where it opens, what is remembered of it in the user default
// "ZEVSpaceWindow", and the shape it keeps. Frames here are y-up screen rectangles (origin at the
// lower left of the screen), with a title bar of 23 points on top of the content.

#include <QMargins>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QVariant>

namespace tallomer {

struct ZEVSpaceWindowFrame {
    static constexpr double kTitleBarHeight = 23.0;
    // Content width over height.
    static constexpr double kContentAspect = 8.0 / 5.0;
    static constexpr double kMinFrameWidth = 432.0;
    static constexpr double kMinFrameHeight = 293.0;
    static constexpr double kMinContentWidth = kMinFrameWidth;
    static constexpr double kMinContentHeight = kMinFrameHeight - kTitleBarHeight;
    static constexpr double kDefaultWidth = 1260.0;
    static constexpr double kDefaultHeight = 787.5;

    // The frame to open with out of full screen, from the stored dictionary ("width", "xRatio",
    // "yRatio"). A dictionary that lacks a key, holds something other than finite numbers or a
    // width below the minimum is refused: the default frame, centred, is answered instead. A width
    // wider than the screen is narrowed to it and the frame is kept on the screen. A frame may
    // reach the top of the screen (the stored ratio leaves room for a menu bar the desktop does
    // not have), so ratios up to the top edge are honoured.
    static QRectF windowDefaultRect(const QVariant& stored, const QRectF& screen);
    // The dictionary to store for that frame, or an invalid value when nothing is to be written
    // (a window as wide as the screen). What is kept is the frame's top edge and left side: read
    // back by windowDefaultRect, they come back to the same pixel.
    static QVariant windowDefaultFor(const QRectF& frame, const QRectF& screen);
    // The height of a stored frame of that width: its content at 8 : 5 and the title bar.
    static double storedFrameHeight(float width);
    // The content rectangle inside a frame (the title bar taken off the top).
    static QRectF contentRectForFrame(const QRectF& frame);
    static QRectF frameRectForContent(const QRectF& content);
    // A content size kept at 8 : 5 (its width decides) and never below the minimum.
    static QSizeF constrainedContentSize(const QSizeF& requested);
    static bool siContentSizeAllowed(const QSizeF& size);
    // The largest content at 8 : 5 that fits both in `given` (what the window manager gave) and in
    // `room` (the content a screen's available area leaves): never wider or taller than either,
    // only ever the minimum when even that does not fit. Whole pixels.
    static QSize fittedContentSize(const QSize& given, const QSize& room);
    // The outer frame (y-down screen pixels) of the largest window at 8 : 5 that the available
    // area holds with these margins around its content (the manager's decorations and the menu
    // bar), centred on it.
    static QRect largestFrame(const QRect& available, const QMargins& margins);
};

} // namespace tallomer
