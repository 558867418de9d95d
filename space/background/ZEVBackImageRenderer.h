#pragma once
// Background pictures: the size a picture is shown at for a desk frame and a scale word, the part
// of it a Channel's small picture shows, and their rendering from a file (PDF first page or a
// raster image). Rendering is pure and thread-safe: it runs on worker threads, never touches a
// widget, and its result is handed back to the main thread by the caller (ZEVBackImageLoad).
// Pictures come from outside: a file whose header claims more pixels than the decoder's
// allocation limit reads as unreadable, at the cost of its header only.

#include "engine/KELTypes.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace tallomer {

inline constexpr KELId kZEVScaleIn = 2000084;
inline constexpr KELId kZEVScaleOut = 2000085;
// The box of a Channel's small picture, and the height of a thumbnail.
inline constexpr double kZEVChannelImageWidth = 48;
inline constexpr double kZEVChannelImageHeight = 30;
inline constexpr double kZEVThumbnailHeight = 300;

// The size of a picture of width-over-height `ratio` on a desk of `width` by `height` points:
// the height is taken as at most width / 1.6; "In" with a wide picture or "Out" with a narrow
// one fills a 16:9 width, any other case the height.
QSizeF ZEVBackImageSize(double ratio, double width, double height, KELId scaleId);

// What a Channel's small picture shows of a source of `iw` by `ih` points: the same frame choice
// as above in a 30-point-high 16:9 frame, the middle of the source kept where the picture would
// pass the 48 x 30 box, and the offset that centres it in the box.
struct ZEVChannelCrop {
    QRectF source; // in the source's points
    QSizeF size;   // of the picture, at most 48 x 30
    QPointF point; // of the picture in the box
};
ZEVChannelCrop ZEVChannelImageCrop(double iw, double ih, KELId scaleId);

struct ZEVBackRender {
    QImage image;      // null when the file could not be read
    double ratio = 0;  // width over height of the picture; 0 when unknown
    QPointF point;     // a Channel picture's offset in its box
    QString error;     // why the image is null
};

// Width over height of the picture in a file; 0 when it cannot be read.
double ZEVBackImageRatio(const QString& path);

// Reads the picture and renders it at the size above for that frame and scale.
ZEVBackRender ZEVRenderBackImage(const QString& path, double width, double height, KELId scaleId);
// The whole picture, 300 points high.
ZEVBackRender ZEVRenderThumbnail(const QString& path);
// The Channel's small picture (ZEVChannelImageCrop), with its offset in `point`.
ZEVBackRender ZEVRenderChannelImage(const QString& path, KELId scaleId);
// The same drawn at its offset on a 48 x 30 image of the colour.
ZEVBackRender ZEVRenderChannelImageColor(const QString& path, KELId scaleId, const QColor& color);

} // namespace tallomer
