#pragma once
// The step back: one level of the present state undone per use. Each use walks a chain in order
// against the event being handled and performs the first step that applies; repeated use peels
// away edits, a drag, panels, selections, the cursor and the time line, the header views, the
// inspector panels, the link lines, the full window, the Channel, and last the window itself.
//
// It keeps what the chain reads besides the front viewer's state: the event being handled
// (recorded by an application filter) and the list the desk last took the keyboard from.

#include "front/ZEVFrontEvents.h"

#include <QMetaObject>
#include <QPointer>

#include <memory>

namespace tallomer {

class ZEVFrontViewer;
class ZEVSpaceController;
class ZEVTableView;

class ZEVFrontStepBack final {
public:
    // Both outlive it.
    ZEVFrontStepBack(ZEVFrontViewer& front, ZEVSpaceController& space);
    ~ZEVFrontStepBack();
    ZEVFrontStepBack(const ZEVFrontStepBack&) = delete;
    ZEVFrontStepBack& operator=(const ZEVFrontStepBack&) = delete;

    // One step of the chain, the first that applies to the event being handled (Escape, Return
    // or Delete, a click on the empty desk).
    void userStepBack();
    // Return or Delete with nothing to act on.
    void stepBackKey();
    // Closes the frontmost panel other than the Channels one, or raises it from behind it; false
    // when there is none.
    bool siCloseViewer();
    // With ZEVStepBackShowApps on, the Space window steps aside (minimised) so that the other
    // applications show; false when off. No input is ever posted to the system.
    bool cmdTab();
    // The pointer hides until it next moves.
    void hidePointer();
    const ZEVCurrentEvent& currentEvent() const;
    bool siPointerHidden() const { return currentEvent_ && currentEvent_->siPointerHidden(); }
    ZEVTableView* firstResponderWasOnTableView() const { return firstResponderWasOnTableView_.data(); }

private:
    void rememberTableLeftForDesk();

    ZEVFrontViewer& front_;
    ZEVSpaceController& space_;
    std::unique_ptr<ZEVCurrentEventRecorder> currentEvent_;
    QPointer<ZEVTableView> firstResponderWasOnTableView_;
    QMetaObject::Connection focusWatch_;
};

} // namespace tallomer
