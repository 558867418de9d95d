#include "objects/view/ZEVItemTitleCell.h"

#include "objects/view/ZEVInkedPixels.h"
#include "widgets/ZEVBlitBatch.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// Where the text starts: centred in the cell both ways.
QPointF textOrigin(const QStaticText& shown, const QSizeF& cell)
{
    const QSizeF laid = shown.size();
    return QPointF((cell.width() - laid.width()) / 2, (cell.height() - laid.height()) / 2);
}

// The part of the cell the drawing touches: the whole cell under a plate, else only the text
// with its shadow, so that a desk of plain titles holds small images.
QRectF drawnRect(const QStaticText& shown, const ZEVItemTitleLook& look)
{
    const QRectF cell(QPointF(0, 0), look.size);
    if (look.fill)
        return cell;
    const QRectF text(textOrigin(shown, look.size), shown.size());
    // One point around for antialiasing, and one below for the shadow.
    return text.adjusted(-1, -1, 1, look.shadow ? 2 : 1).intersected(cell.adjusted(-1, -1, 1, 2));
}

// One painting surface per thread for every cell it draws anew, cleared to transparent over
// `pixels`: a cell painted into its own image would keep that image's painting engine for as long
// as it lives.
QImage& scratch(const QSize& pixels, qreal scale)
{
    thread_local QImage image;
    if (image.width() < pixels.width() || image.height() < pixels.height())
        image = QImage(pixels.expandedTo(image.size()), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    for (int y = 0; y < pixels.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), pixels.width(), QRgb(0));
    return image;
}

} // namespace

void ZEVItemTitleCell::draw(QPainter& painter, const QStaticText& shown, const QFont& font, const ZEVItemTitleLook& look)
{
    const QRectF r(QPointF(0, 0), look.size);
    painter.setFont(font);
    if (look.fill) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor::fromRgba(*look.fill));
        if (look.stroke)
            painter.setPen(QPen(QColor::fromRgba(*look.stroke), 1));
        else
            painter.setPen(Qt::NoPen);
        if (look.wholeCell)
            painter.drawRect(r);
        else
            painter.drawRoundedRect(r.adjusted(1, 1, -1, -1), 9, 9);
    }
    const QPointF at = textOrigin(shown, look.size);
    if (look.shadow) {
        // A dark edge keeps light text readable on light backgrounds.
        painter.setPen(QColor(0, 0, 0, look.shadowAlpha));
        painter.drawStaticText(at + QPointF(0, 1), shown);
    }
    painter.setPen(QColor::fromRgba(look.text));
    painter.drawStaticText(at, shown);
}

ZEVItemTitleCell::Drawn ZEVItemTitleCell::render(const QStaticText& shown, const QFont& font,
                                                 const ZEVItemTitleLook& look, qreal scale)
{
    // Its corner on a whole device pixel, so that the glyphs keep their places in the blit.
    const QRectF area = drawnRect(shown, look);
    Drawn drawn;
    drawn.origin = QPointF(std::floor(area.left() * scale) / scale, std::floor(area.top() * scale) / scale);
    const QSize pixels(std::max(1, int(std::ceil((area.right() - drawn.origin.x()) * scale))),
                       std::max(1, int(std::ceil((area.bottom() - drawn.origin.y()) * scale))));
    QImage& canvas = scratch(pixels, scale);
    {
        QPainter p(&canvas);
        p.translate(-drawn.origin);
        draw(p, shown, font, look);
    }
    // The line's room above the capitals and below the letters without descenders is most
    // of a title's pixels.
    const QRect ink = inkedPixels(canvas, pixels);
    drawn.image = ink.isEmpty() ? QImage() : canvas.copy(ink);
    drawn.image.setDevicePixelRatio(scale);
    drawn.origin += QPointF(ink.left() / scale, ink.top() / scale);
    return drawn;
}

void ZEVItemTitleCell::adopt(Drawn drawn, const QStaticText& shown, const QString& fontKey,
                             const ZEVItemTitleLook& look, qreal scale)
{
    image_ = std::move(drawn.image);
    origin_ = drawn.origin;
    drawn_ = true;
    scale_ = scale;
    look_ = look;
    shown_ = shown;
    fontKey_ = fontKey;
    ++redraws_;
}

std::optional<qreal> ZEVItemTitleCell::blitScale(const QTransform& t, qreal pixelRatio)
{
    // Only a plain or evenly scaled painter can take a blit pixel for pixel.
    if (t.type() > QTransform::TxScale || t.m11() != t.m22() || t.m11() <= 0)
        return std::nullopt;
    return pixelRatio * t.m11();
}

std::optional<qreal> ZEVItemTitleCell::blitScale(const QPainter& painter)
{
    return blitScale(painter.transform(), painter.device() ? painter.device()->devicePixelRatioF() : 1.0);
}

void ZEVItemTitleCell::paint(QPainter& painter, const QStaticText& shown, const QFont& font, const QString& fontKey,
                             const ZEVItemTitleLook& look, const QPointF& corner)
{
    paint(painter, blitScale(painter), shown, font, fontKey, look, corner);
}

void ZEVItemTitleCell::paint(QPainter& painter, std::optional<qreal> scale, const QStaticText& shown, const QFont& font,
                             const QString& fontKey, const ZEVItemTitleLook& look, const QPointF& corner,
                             const ZEVPaintCut* cut)
{
    if (!scale) {
        // A turned or stretched desk is drawn straight, as before.
        clear();
        ZEVBlitBatch::flush(painter);
        // The desk's view leaves the painter's state to the items that change it.
        painter.save();
        painter.translate(corner);
        draw(painter, shown, font, look);
        painter.restore();
        return;
    }
    if (!current(shown, fontKey, look, *scale))
        adopt(render(shown, font, look, *scale), shown, fontKey, look, *scale);
    if (!image_.isNull())
        drawImageCut(painter, corner + origin_, image_, cut);
}

} // namespace tallomer
