#pragma once
// One title cell drawn once into an image and blitted at every paint after: a full desk shows
// thousands of titles, and shaping their glyphs twice each (shadow and text) at every repaint
// was most of a frame. The image is drawn again only when what it shows changes: the shown
// text, its colours, the font, the cell's width or the device pixels per point.
//
// Thousands of them were the largest part of a full desk's memory: each holds only the pixels
// its drawing inks, and no painting engine of its own.

#include "objects/view/ZEVPaintCut.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QStaticText>
#include <QString>
#include <QTransform>

#include <optional>

class QPainter;

namespace tallomer {

// What a title cell looks like, with its colours already taken from the palette.
struct ZEVItemTitleLook {
    QSizeF size;
    QRgb text = 0xffffffff;
    std::optional<QRgb> fill;
    std::optional<QRgb> stroke;
    bool wholeCell = false;
    bool shadow = true;
    int shadowAlpha = 160;

    bool operator==(const ZEVItemTitleLook&) const = default;
};

class ZEVItemTitleCell {
public:
    // The cell's pixels drawn for a scale, and where they go in the cell.
    struct Drawn {
        QImage image;
        QPointF origin;
    };

    // Draws `shown` (laid out in `font`, whose key is `fontKey`) in `look` with the cell's corner
    // at `corner`.
    void paint(QPainter& painter, const QStaticText& shown, const QFont& font, const QString& fontKey,
               const ZEVItemTitleLook& look, const QPointF& corner = QPointF(0, 0));
    // The same with the painter's blit scale known: a widget answers its pixel ratio slowly. A
    // blit draws only the cell's parts within `cut`, if any.
    void paint(QPainter& painter, std::optional<qreal> scale, const QStaticText& shown, const QFont& font,
               const QString& fontKey, const ZEVItemTitleLook& look, const QPointF& corner,
               const ZEVPaintCut* cut = nullptr);
    // The device pixels per point a painter with this transform, on a device of `pixelRatio`,
    // blits cells at; none for a turned or stretched one, which gets the straight drawing.
    static std::optional<qreal> blitScale(const QTransform& transform, qreal pixelRatio);
    // The blit scale of `painter` as it stands.
    static std::optional<qreal> blitScale(const QPainter& painter);
    // Whether a paint at `scale` would blit the image held rather than draw it anew.
    bool current(const QStaticText& shown, const QString& fontKey, const ZEVItemTitleLook& look, qreal scale) const
    {
        return drawn_ && scale == scale_ && look == look_ && shown_ && shown == *shown_ && fontKey == fontKey_;
    }
    // The pixels a paint at `scale` would hold. Touches nothing shared: any thread may draw, each
    // with a font and a layout of its own.
    static Drawn render(const QStaticText& shown, const QFont& font, const ZEVItemTitleLook& look, qreal scale);
    // Holds `drawn`, drawn elsewhere from a layout of the same text as `shown`, as a paint at
    // `scale` would have drawn it.
    void adopt(Drawn drawn, const QStaticText& shown, const QString& fontKey, const ZEVItemTitleLook& look,
               qreal scale);
    // Drops the image; the next paint draws it again.
    void clear()
    {
        image_ = QImage();
        drawn_ = false;
    }
    // How often the cell was drawn into its image.
    int redraws() const { return redraws_; }
    // The pixels held, and their bytes.
    QSize heldPixels() const { return image_.size(); }
    qsizetype heldBytes() const { return image_.sizeInBytes(); }

    // Draws the cell straight onto `painter`, as the image holds it.
    static void draw(QPainter& painter, const QStaticText& shown, const QFont& font, const ZEVItemTitleLook& look);

private:
    QImage image_;
    bool drawn_ = false;
    QPointF origin_;
    ZEVItemTitleLook look_;
    // The layout drawn, shared with the title's own: an unchanged title is known by one pointer
    // compare, not by comparing its text at every paint. None until the first paint: a layout
    // made for nothing costs each of thousands of never painted cells (the other desk's) its bytes.
    std::optional<QStaticText> shown_;
    QString fontKey_;
    qreal scale_ = 0;
    int redraws_ = 0;
};

} // namespace tallomer
