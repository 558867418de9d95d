#include "objects/view/ZEVItemFlicker.h"

#include "objects/view/ZEVItemView.h"
#include "runtime/Scheduler.h"
#include "services/ZEVSpaceForObjectViews.h"

namespace tallomer {

namespace {
constexpr char kFlickIcon[] = "_flickIcon";
constexpr char kFlickTitle[] = "_flickTitle";
} // namespace

void ZEVItemFlicker::flick()
{
    ZEVSpaceForObjectViews* s = view_.space();
    const bool titles = s && s->frontMode() == ZEVFrontModeTitles;
    // The counts are even, and a flick during a flicker keeps the total even: it ends as it began.
    if (titles) {
        if (titleCount_ == 0) {
            titleCount_ = 8;
            view_.orderToFront();
            flickTitle();
        } else {
            titleCount_ = 8 - titleCount_;
        }
    } else {
        if (iconCount_ == 0) {
            iconCount_ = 6;
            flickIcon();
        } else {
            iconCount_ = 6 - iconCount_;
        }
    }
}

void ZEVItemFlicker::flickIcon()
{
    if (iconCount_ <= 0) {
        iconCount_ = 0;
        return;
    }
    ZEVItemImageView* image = view_.itemImageView();
    image->setVisible(!image->isVisible());
    --iconCount_;
    if (Scheduler::hasShared())
        Scheduler::shared().perform(
            view_.cible(), kFlickIcon, ZEVItemView::kFlickStep, [this] { flickIcon(); }, true);
}

void ZEVItemFlicker::flickTitle()
{
    if (titleCount_ <= 0) {
        titleCount_ = 0;
        return;
    }
    view_.setSiFlickOn(!view_.siFlickOn());
    --titleCount_;
    if (Scheduler::hasShared())
        Scheduler::shared().perform(
            view_.cible(), kFlickTitle, ZEVItemView::kFlickStep, [this] { flickTitle(); }, true);
}

} // namespace tallomer
