#pragma once
// The preview from the desk: a panel under the pointer takes the key first; over the selection
// list the row under the pointer is previewed; else the shown Objects of the current mode, or the
// Object under the pointer, and the same command closes the preview again. It keeps whether the
// Space window shows the preview, as the window tells it.

class KELI;

namespace tallomer {

class ZEVFrontViewer;
class ZEVSpaceController;

class ZEVFrontQuickLook final {
public:
    // Both outlive it.
    ZEVFrontQuickLook(ZEVFrontViewer& front, ZEVSpaceController& space) : front_(front), space_(space) {}

    // The toolbar's button passes true: with the preview shown it always closes it.
    void toggle(bool fromButton);
    // The Object view the desk's context menu was opened on, previewed alone.
    void openMenuTarget();
    bool siPointerOverSelectionList() const;
    KELI* rowItemUnderPointer() const;
    void previewFollowsSelection();
    bool siShown() const { return shown_; }
    void setSiShown(bool shown) { shown_ = shown; }

private:
    ZEVFrontViewer& front_;
    ZEVSpaceController& space_;
    bool shown_ = false;
};

} // namespace tallomer
