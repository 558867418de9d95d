// The flicker that points the user at an Object: its icon, or in the titles mode its title,
// blinks a few times and ends as it began.

#include "objects/view/ZEVItemView.h"

#include "runtime/Scheduler.h"
#include "services/ZEVSpaceForObjectViews.h"

namespace tallomer {

namespace {
constexpr char kFlickIcon[] = "_flickIcon";
constexpr char kFlickTitle[] = "_flickTitle";
} // namespace

void ZEVItemView::flick()
{
    ZEVSpaceForObjectViews* s = space();
    const bool titles = s && s->frontMode() == ZEVFrontModeTitles;
    // The counts are even, and a flick during a flicker keeps the total even: it ends as it began.
    if (titles) {
        if (flickTitleCount_ == 0) {
            flickTitleCount_ = 8;
            orderToFront();
            flickTitle();
        } else {
            flickTitleCount_ = 8 - flickTitleCount_;
        }
    } else {
        if (flickIconCount_ == 0) {
            flickIconCount_ = 6;
            flickIcon();
        } else {
            flickIconCount_ = 6 - flickIconCount_;
        }
    }
}

void ZEVItemView::flickIcon()
{
    if (flickIconCount_ <= 0) {
        flickIconCount_ = 0;
        return;
    }
    imageView_->setVisible(!imageView_->isVisible());
    --flickIconCount_;
    if (Scheduler::hasShared())
        Scheduler::shared().perform(cible(), kFlickIcon, kFlickStep, [this] { flickIcon(); }, true);
}

void ZEVItemView::flickTitle()
{
    if (flickTitleCount_ <= 0) {
        flickTitleCount_ = 0;
        return;
    }
    setSiFlickOn(!siFlickOn_);
    --flickTitleCount_;
    if (Scheduler::hasShared())
        Scheduler::shared().perform(cible(), kFlickTitle, kFlickStep, [this] { flickTitle(); }, true);
}

} // namespace tallomer
