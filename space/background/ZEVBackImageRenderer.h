#pragma once
// Background pictures: the size a picture is shown at for a desk frame and a scale word, and its
// rendering from a file (PDF first page or a raster image). Rendering is pure and thread-safe: it
// runs on worker threads, never touches a widget, and its result is handed back to the main
// thread by the caller (ZEVBackRenderCache).

#include "engine/KELTypes.h"

#include <QImage>
#include <QSizeF>
#include <QString>

namespace tallomer {

inline constexpr KELId kZEVScaleIn = 2000084;
inline constexpr KELId kZEVScaleOut = 2000085;

// The size of a picture of width-over-height `ratio` on a desk of `width` by `height` points:
// the height is taken as at most width / 1.6; "In" with a wide picture or "Out" with a narrow
// one fills a 16:9 width, any other case the height.
QSizeF ZEVBackImageSize(double ratio, double width, double height, KELId scaleId);

struct ZEVBackRender {
    QImage image;      // null when the file could not be read
    double ratio = 0;  // width over height of the picture; 0 when unknown
    QString error;     // why the image is null
};

// Width over height of the picture in a file; 0 when it cannot be read.
double ZEVBackImageRatio(const QString& path);

// Reads the picture and renders it at the size above for that frame and scale.
ZEVBackRender ZEVRenderBackImage(const QString& path, double width, double height, KELId scaleId);

} // namespace tallomer
