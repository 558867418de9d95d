#pragma once
// The keyboard walk through the icons of one desk: Tab goes row by row from the top, left to
// right, Shift-Tab the other way; views stacked at one spot are each visited once. Past the last
// icon the first step sounds and keeps the selection, the next deselects all, and the one after
// starts again.

#include <QPointF>

#include <unordered_set>
#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskViewer;
class ZEVItemViewForDesks;

class ZEVDeskTabWalk {
public:
    // `desk` is the viewer that owns this walk (its views, selections and front mode).
    explicit ZEVDeskTabWalk(ZEVDeskViewer& desk);
    ZEVDeskTabWalk(const ZEVDeskTabWalk&) = delete;
    ZEVDeskTabWalk& operator=(const ZEVDeskTabWalk&) = delete;

    void userSelectNext() { pas(true); }
    void userSelectPrevious() { pas(false); }
    // A selection changed; the walk starts afresh unless the change is its own step's.
    void selectionDidChange();
    // The view is going away.
    void oublier(ZEVItemViewForDesks* view) { tabSameItemSet_.erase(view); }

    // The front mode of the step under way; ZEVFrontModeNone between steps.
    int tabFrontMode() const { return tabFrontMode_; }
    QPointF tabStartPoint() const { return tabStartPoint_; }

private:
    void pas(bool forward);
    std::vector<ZEVItemViewForDesks*> visibleSelection(int mode);
    void deselectAll(int mode);
    void selectOne(int mode, KELI* item);

    ZEVDeskViewer& desk_; // not owned: owns this walk
    QPointF tabStartPoint_;
    // Views visited that lie exactly at the start point.
    std::unordered_set<ZEVItemViewForDesks*> tabSameItemSet_;
    int tabFrontMode_;
    bool tabSiEnd_ = false;
    bool tabSiStart_ = false;
};

} // namespace tallomer
