#include "front/ZEVTracksHandle.h"

#include "desk/view/ZEVDeskView.h"
#include "front/ZEVFrontViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
// At most thirty rows over the toolbar.
constexpr double kHandleLimit = ZEVHeaderLayout::kTracksHeightLimit;
} // namespace

void ZEVTracksHandle::mouseDown(const QPointF& p)
{
    initialLoc_ = p;
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
    siMouseDragged_ = false;
}

void ZEVTracksHandle::mouseDragged(const QPointF& p)
{
    const ZEVHeaderFrames& frames = front_.headerLayout().frames();
    QRectF F = frames.front;
    QRectF S = frames.selection;
    const double bar = front_.headerLayout().toolbarHeight();
    double d = p.y() - initialLoc_.y();
    const double h = S.height() - d;
    siMouseDragged_ = true;
    QString rows;
    if (h < bar) {
        d -= bar - h;
        initialLoc_.ry() += d;
        rows = QStringLiteral("0");
    } else if (h > bar + kHandleLimit) {
        d += h - (bar + kHandleLimit);
        initialLoc_.ry() += d;
        rows = QStringLiteral("30");
    } else {
        initialLoc_ = p;
        rows = QString::number(int(std::floor((S.height() - bar - 1) / ZEVHeaderLayout::kRowHeight)) + 1);
    }
    d = std::round(d);
    F.setHeight(F.height() + d);
    S.setY(S.y() + d);
    front_.headerLayout().setSelectionAndFrontFrames(S, F);
    // The two counts at both ends of the handle.
    for (int i = 0; i < 2; ++i)
        if (QLabel* f = front_.rowField(i)) {
            f->setText(rows);
            f->adjustSize();
            const int y = int(S.height() - bar) - f->height();
            f->move(i == 0 ? 7 : int(S.width()) - f->width() - 7, std::max(0, y));
            f->show();
            f->raise();
        }
}

void ZEVTracksHandle::mouseUp()
{
    for (int i = 0; i < 2; ++i)
        if (QLabel* f = front_.rowField(i))
            f->hide();
    if (!siMouseDragged_) {
        front_.displayFrontView();
        return;
    }
    siMouseDragged_ = false;
    const double bar = front_.headerLayout().toolbarHeight();
    const double S = front_.headerLayout().frames().selection.height();
    if (S == bar) {
        front_.setUpDownImages(front_.currentNbOfRowsShown() >= 1);
        return;
    }
    front_.headerLayout().setTracksHeightMax(S - bar);
    front_.headerLayout().refresh();
}

} // namespace tallomer
