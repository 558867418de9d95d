#pragma once
// A copy of an Object view that a long-press drag carries: only its icon shows, at 0.4, without
// title, marks or states. Its place is where the drop recalls the Object; a copy whose Object
// was already on the desk flies back to where that icon stands. Escape on a copy cancels the
// recall of the drag.

#include "objects/view/ZEVItemView.h"

#include <memory>
#include <vector>

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

private:
    QString titleForPB_;
};

} // namespace tallomer
