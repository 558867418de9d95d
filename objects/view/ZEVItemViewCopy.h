#pragma once
// A copy of an Object view that a long-press drag carries: only its icon shows, at 0.4, without
// title, marks or states. Its place is where the drop recalls the Object; a copy whose Object
// was already on the desk flies back to where that icon stands. Escape on a copy cancels the
// recall of the drag.

#include "objects/view/ZEVItemView.h"

#include <QPointer>

#include <memory>
#include <vector>

class QAbstractItemView;

namespace tallomer {

class ZEVItemViewCopy final : public ZEVItemView {
public:
    ZEVItemViewCopy(const QRectF& frame, float ratio, ZEVItemViewer* viewer, KELI* item);

    // Moves there, over `duration` seconds on the scheduler when not 0; never rescaled, whatever
    // the animation setting.
    void setIconPosition(const ZEVIconPosition& position, double duration) override;
    // The title the drag writes after the Object's record.
    void setTitleForPB(const QString& title) { titleForPB_ = title; }
    const QString& titleForPB() const { return titleForPB_; }
    void cancelOperation() override;
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

    // What a drag of these copies carries, in their order: a file's URL; a web page's address,
    // read from the record in the copy's own Channel; else the Object's record (of the Channel
    // `channelInt`) and then the copy's title. A copy without its URL or record adds nothing.
    static std::unique_ptr<QMimeData> mimeDataForCopies(const std::vector<ZEVItemViewCopy*>& copies,
                                                        KELId channelInt);

    // The inspector table cell whose row shows this Object, and the margin of the icon in it.
    void setSourceTableView(QAbstractItemView* table, int column, int row, double inset);
    // Where a preview of the Object zooms from, in screen coordinates: the icon drawn in its
    // table cell. The zero rectangle without a table; an empty one at the window's origin when
    // the cell is scrolled away or the image has no ratio.
    QRectF previewItemSourceFrame() const;
    // The icon of ratio r (height over width) inside a cell, y-up from the cell's lower left
    // corner: across the width less the insets when it fits, else up the height.
    static QRectF sourceFrameInCell(const QSizeF& cell, float ratio, double inset);

protected:
    bool siBestImage() const override { return false; }

private:
    QString titleForPB_;
    QPointer<QAbstractItemView> sourceTable_;
    int column_ = 0;
    int row_ = 0;
    double inset_ = 0;
};

} // namespace tallomer
