#pragma once

#include "objects/drawing/ZEVItemTitleColours.h"
#include "objects/view/ZEVItemTitleCell.h"
#include "objects/view/ZEVItemViewPart.h"

#include <QFont>
#include <QStaticText>
#include <QString>
#include <QTransform>

#include <optional>
#include <vector>

class QPainter;

namespace tallomer {

// The title under the icon, in the system sans font, cut in the middle when too long.
class ZEVItemTitleView final : public ZEVItemViewPart {
public:
    explicit ZEVItemTitleView(ZEVItemView* view) : ZEVItemViewPart(view) {}
    // Draws the title as if the painter stood at the part's corner.
    void paint(QPainter& painter);
    // Draws it within its view's paint, at its place, within `cut` if any.
    void paintInView(QPainter& painter, const ZEVPaintCut* cut = nullptr);

    void setSize(const QSizeF& size);
    void setText(const QString& text);
    const QString& text() const { return text_; }
    // The text as drawn in the current width.
    QString shownText() const;
    // The colours it is drawn in now, from its Object view's state (none: white on nothing).
    void setColours(const std::optional<ZEVItemTitleColours>& colours);
    // How often the title was drawn anew rather than blitted from its cached cell.
    int cellRedraws() const { return cell_.redraws(); }
    // Whether the title holds its shown text and the bytes of its cell's image: none until it is
    // first painted or made ready for a paint.
    bool laidOut() const { return layout_.has_value(); }
    qsizetype cellBytes() const { return cell_.heldBytes(); }

    // `titles` are about to be painted through `viewportTransform` on a device of `pixelRatio`:
    // those shown whose cells would be drawn anew in that paint are drawn now, many at once on
    // worker threads, and the paint only blits them. A few are left to their paint: the
    // hand-off costs more than it spares.
    static void prepareForPaint(const std::vector<ZEVItemTitleView*>& titles, const QTransform& viewportTransform,
                                qreal pixelRatio);
    // How many titles were drawn so, ahead of their paint, in this run.
    static quint64 drawnAhead();

private:
    // The shown text laid out once for its width: thousands of titles paint in one frame.
    const QStaticText& layout() const;
    // Forgets the layout when the title font is really another since it was made.
    void followFont() const;
    // The cell's look in these colours, from its Object view's palette.
    ZEVItemTitleLook look(const std::optional<ZEVItemTitleColours>& colours) const;
    // Draws the title with its corner at `corner`, in the painter's coordinates.
    void paintAt(QPainter& painter, const QPointF& corner, const ZEVPaintCut* cut = nullptr);

    QString text_;
    std::optional<ZEVItemTitleColours> colours_;
    mutable std::optional<QStaticText> layout_;
    mutable QFont font_;
    mutable QString fontKey_;
    mutable quint64 fontGeneration_ = 0;
    mutable bool shownEmpty_ = true; // of the layout, read at every paint
    // Whether the layout holds its glyphs. A title made ready for its paint elsewhere holds its
    // shown text alone until a paint must draw from it (another look or scale, a turned desk).
    mutable bool prepared_ = false;
    ZEVItemTitleCell cell_;
};

} // namespace tallomer
