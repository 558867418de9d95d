#pragma once
// Pictures from outside (a drop, the clipboard, a record written by any program) are decoded
// under a cap: the declared size is checked before any pixel is allocated, and the decoder itself
// is held to the same allocation limit, so that a few bytes claiming a huge picture cost nothing.

#include <QByteArray>
#include <QImage>

class QImageReader;

#include <optional>

namespace tallomer {

// Encoded bytes beyond this are not even looked at.
inline constexpr qsizetype kMaxEncodedImageBytes = 64 * 1024 * 1024;
// The decoded picture (four bytes a pixel) stays below this.
inline constexpr int kMaxDecodedImageMegabytes = 256;
// A picture larger than a whole decode may take is still read, up to this many pixels, where its
// format decodes straight to a smaller size (a large photo in JPEG): only that size is held.
inline constexpr qint64 kMaxScaledDecodePixels = 1024LL * 1024 * 1024;

// Whether a picture of `declared` size may be decoded by `reader`, whole or, when `fitIn` is
// smaller, straight to the size fitting within it.
bool decodableWithin(QImageReader& reader, const QSize& declared, const QSize& fitIn = {});

// The picture, or absent when the bytes are too many, the picture too large, or not a picture Qt
// reads. `format` ("png", ...) is a hint; empty lets the reader guess from the bytes.
std::optional<QImage> decodeImageBounded(const QByteArray& bytes, const QByteArray& format = {});
// The same, decoded at a size that fits within `fitIn` when the picture is larger (the reader
// scales while decoding where the format lets it). The bounds apply to the declared size.
std::optional<QImage> decodeImageBounded(const QByteArray& bytes, const QByteArray& format, const QSize& fitIn);

// The same for a file, reading at most kMaxEncodedImageBytes of it.
std::optional<QImage> readImageFileBounded(const QString& path);

// Whether the reader may scale while decoding. Qt's reader loses a palette picture's colours when
// it does (a one-colour PNG comes out black): those are read whole, within the bounds, and scaled
// afterwards in true colour.
bool scalesWhileReading(const QImageReader& reader);
// The picture in true colour (RGB32, or premultiplied ARGB32 with alpha): what smooth scaling and
// the views' drawing want, never a palette.
QImage inTrueColour(QImage image);
// The same for a picture drawn many times: one whose pixels all cover is kept without alpha, so
// that drawing it copies rows instead of blending each pixel.
QImage forDrawing(QImage image);

// PNG bytes of the picture; empty for a null picture.
QByteArray pngData(const QImage& image);

} // namespace tallomer
