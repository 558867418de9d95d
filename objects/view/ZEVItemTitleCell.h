#pragma once
// One title cell drawn once into a pixmap and blitted at every paint after: a full desk shows
// thousands of titles, and shaping their glyphs twice each (shadow and text) at every repaint
// was most of a frame. The pixmap is drawn again only when what it shows changes: the shown
// text, its colours, the font, the cell's width or the device pixels per point.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointF>
#include <QSizeF>
#include <QStaticText>
#include <QString>

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
    // Draws `shown` (laid out in `font`, whose key is `fontKey`) in `look` at the painter's origin.
    void paint(QPainter& painter, const QStaticText& shown, const QFont& font, const QString& fontKey,
               const ZEVItemTitleLook& look);
    // Drops the pixmap; the next paint draws it again.
    void clear() { pixmap_ = QPixmap(); }
    // How often the cell was drawn into its pixmap.
    int redraws() const { return redraws_; }

    // Draws the cell straight onto `painter`, as the pixmap holds it.
    static void draw(QPainter& painter, const QStaticText& shown, const QFont& font, const ZEVItemTitleLook& look);

private:
    QPixmap pixmap_;
    QPointF origin_;
    ZEVItemTitleLook look_;
    // The layout drawn, shared with the title's own: an unchanged title is known by one pointer
    // compare, not by comparing its text at every paint.
    QStaticText shown_;
    QString fontKey_;
    qreal scale_ = 0;
    int redraws_ = 0;
};

} // namespace tallomer
