#pragma once
// The go-to state of the Space: how many go-to modes are on, the kind of go-to chosen (a
// temporary kind remembers the one it replaces), and the duration chosen for each kind.

#include "runtime/Date.h"

#include <QString>

#include <map>

namespace tallomer {

class ZEVSpaceController;

class ZEVGotoState {
public:
    explicit ZEVGotoState(ZEVSpaceController& space) : space_(space) {}
    ZEVGotoState(const ZEVGotoState&) = delete;
    ZEVGotoState& operator=(const ZEVGotoState&) = delete;

    // Every kind back to its first duration, the first kind chosen.
    void reset();
    void setSiGoToMode(bool goTo) { goToModeCount_ += goTo ? 1 : -1; }
    bool siGoToMode() const { return goToModeCount_ > 0; }
    long goToTag() const { return goToTag_; }
    void setGoToTag(long tag);
    void restoreGoToTag();
    long durationTagForGoToTag(long tag) const;
    void setDurationTagForGoToTag(long durationTag, long tag) { goToDurationMap_[tag] = durationTag; }
    long durationTag() const { return durationTagForGoToTag(goToTag_); }
    void setDurationTag(long durationTag);
    KELDate outTimeForGoToTime(KELDate t) const;
    QString durationString();

private:
    // The front layer's duration buttons show the current kind's duration.
    void majBoutons();

    ZEVSpaceController& space_;
    std::map<long, long> goToDurationMap_;
    long goToTag_ = 1;
    long goToTagToRestore_ = 1;
    long goToModeCount_ = 0;
};

} // namespace tallomer
