#include "space/ZEVGotoState.h"

#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceGoto.h"

namespace tallomer {

void ZEVGotoState::reset()
{
    goToDurationMap_ = {{1, 20}, {2, 20}, {3, 20}, {4, 20}, {5, 20}, {100, 100}};
    goToTag_ = 1;
}

void ZEVGotoState::majBoutons()
{
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->majGoToDurationButtons();
}

void ZEVGotoState::setGoToTag(long tag)
{
    // The temporary kind set twice still gives back the kind it first replaced.
    if (tag == ZEVGoto::kTemporaryTag && goToTag_ != ZEVGoto::kTemporaryTag)
        goToTagToRestore_ = goToTag_;
    goToTag_ = tag;
    majBoutons();
}

void ZEVGotoState::restoreGoToTag()
{
    if (goToTag_ == ZEVGoto::kTemporaryTag)
        setGoToTag(goToTagToRestore_);
}

long ZEVGotoState::durationTagForGoToTag(long tag) const
{
    auto it = goToDurationMap_.find(tag);
    return it == goToDurationMap_.end() ? 0 : it->second;
}

void ZEVGotoState::setDurationTag(long durationTag)
{
    goToDurationMap_[goToTag_] = durationTag;
    majBoutons();
}

KELDate ZEVGotoState::outTimeForGoToTime(KELDate t) const { return ZEVGoto::outTimeForGoToTime(t, durationTag()); }

QString ZEVGotoState::durationString()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (!front || !front->siGoToPanelVisible())
        return {};
    return ZEVGoto::durationStringForTag(durationTag());
}

} // namespace tallomer
