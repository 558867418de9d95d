#pragma once
// The drag session under way over the Space window: its number, the Object dragged, and whether
// it was cancelled. Its end may be scheduled by the views a drag leaves, under the controller's
// name "draggingSessionDidStop", which a new session cancels.

class KELI;

namespace tallomer {

class ZEVSpaceController;

class ZEVDragSession {
public:
    explicit ZEVDragSession(ZEVSpaceController& space) : space_(space) {}
    ZEVDragSession(const ZEVDragSession&) = delete;
    ZEVDragSession& operator=(const ZEVDragSession&) = delete;

    void draggingSessionStartedWithInteger(long session);
    void cancelDraggingSession();
    void draggingSessionDidStop();
    void setDraggingItem(KELI* item);
    KELI* draggingItem() const { return draggingItem_; }
    long draggingSessionInteger() const { return draggingSessionInteger_; }
    bool siDraggingSession() const { return siDraggingSession_; }
    bool siCancelDraggingSession() const { return siCancelDraggingSession_; }

private:
    // The views no longer show the drag's pointer.
    void resetCursorRects();

    ZEVSpaceController& space_;
    long draggingSessionInteger_ = -1;
    KELI* draggingItem_ = nullptr; // not owned
    bool siDraggingSession_ = false;
    bool siCancelDraggingSession_ = false;
};

} // namespace tallomer
