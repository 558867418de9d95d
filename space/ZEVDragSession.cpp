#include "space/ZEVDragSession.h"

#include "runtime/Scheduler.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

namespace {

constexpr const char* kDraggingSessionDidStop = "draggingSessionDidStop";

} // namespace

void ZEVDragSession::resetCursorRects()
{
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->resetCursorRects();
}

void ZEVDragSession::draggingSessionStartedWithInteger(long session)
{
    Scheduler::shared().cancel(&space_, kDraggingSessionDidStop);
    draggingSessionInteger_ = session;
    siDraggingSession_ = true;
    siCancelDraggingSession_ = false;
}

void ZEVDragSession::cancelDraggingSession()
{
    siDraggingSession_ = false;
    siCancelDraggingSession_ = true;
    resetCursorRects();
}

void ZEVDragSession::draggingSessionDidStop()
{
    Scheduler::shared().cancel(&space_, kDraggingSessionDidStop);
    draggingSessionInteger_ = -1;
    if (space_.frontViewer())
        space_.frontViewer()->draggingSessionDidStop();
    siDraggingSession_ = false;
    siCancelDraggingSession_ = false;
    resetCursorRects();
}

void ZEVDragSession::setDraggingItem(KELI* item)
{
    draggingItem_ = item;
    if (!item && space_.frontViewer())
        space_.frontViewer()->displayFrontView();
}

} // namespace tallomer
