#pragma once
// The image blits of one paint of the desk, handed to several threads that draw them while the
// paint goes on, each within a band of the device's rows: a full desk blends thousands of images,
// which would keep one core busy while the others idle. Every blit is drawn through a painter in
// the state it was asked in, onto the same pixels, and within a band in the order it was asked,
// so the pixels are those the painter would have drawn at once.
//
// A paint holds blits back only on a raster image at one device pixel a point, within a
// rectangular clip. Whatever draws on the painter other than through drawImage below asks
// flush() first, so that nothing drawn later is drawn under blits held back. GUI thread only.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QTransform>

#include <memory>
#include <vector>

namespace tallomer {

class ZEVBlitBatch {
public:
    // Starts holding back what is drawn through `painter` by drawImage below, when its device
    // allows it; a batch already under way is drawn first.
    static void begin(QPainter& painter);
    // Draws what is held back for `painter`, if anything, and goes on holding back.
    static void flush(const QPainter& painter);
    // Draws what is held back and stops holding back.
    static void end(const QPainter& painter);
    // The same for whatever paint holds blits back, whether or not its painter is still there.
    static void close();
    // Whether blits through `painter` are held back now.
    static bool holds(const QPainter& painter);

    // As QPainter::drawImage does, at once or held back.
    static void drawImage(QPainter& painter, const QPointF& at, const QImage& image);
    static void drawImage(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source);

    // Whether paints may hold blits back at all; on by default.
    static void setEnabled(bool enabled);
    // The blits held back and drawn in bands since the program started.
    static quint64 blitsDeferred();

private:
    // The painter's state a blit is drawn in; consecutive blits of one view share it.
    struct State {
        QTransform transform;
        qreal opacity = 1;
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        QPainter::RenderHints hints;
    };
    // Small, as thousands are written a paint while other cores read those written before.
    struct Blit {
        // Held once a paint by the stream, however many blits draw it (see Stream::images).
        const QImage* image = nullptr;
        const State* state = nullptr;
        QRectF target;
        QRectF source; // null: the whole image at the target's corner
        int top = 0, bottom = 0; // the device rows it may touch, the last excluded
    };
    // One band of rows and the painter that draws it.
    class Band;
    // The blits of one paint and the bands drawing them, shared with the threads.
    struct Stream;

    static void hold(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source);
    // Waits until every band has drawn every blit held so far; with `last`, the bands stop.
    void catchUp(bool last);

    const QPainter* painter_ = nullptr;
    std::shared_ptr<Stream> stream_;
    // Where the blits are written, kept from paint to paint: memory new to the process would
    // fault in at every paint.
    // GUI thread only: no worker reads a chunk once its paint is over.
    std::vector<std::unique_ptr<Blit[]>> spare_;
};

} // namespace tallomer
