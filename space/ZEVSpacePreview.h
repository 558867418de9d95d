#pragma once
// The Space window's side of the preview window: which Objects it previews, when the window opens
// and closes, and what the space bar's release does.
//
// The window shows what it was last given when it opens or is told to reload. While it shows, the
// front layer hears that the Space window controls it (and hears again when it closes, however it
// closed). Released quickly on a new Object, the space bar leaves the preview open; released
// after 0.2 s of preview, or on the Object previewed last time, it closes it.

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"
#include "widgets/ZEVPreviewWindow.h"

#include <QPointer>

#include <functional>
#include <vector>

namespace tallomer {

class ZEVSpacePreview {
public:
    struct Item {
        KELId itemInt = 0; // the Object's id; 0 for none
        ZEVPreviewEntry entry;
    };

    // The window opens over `over` (not owned, may be null). `showState` hears true when the
    // window opens and false when it closes.
    explicit ZEVSpacePreview(QWidget* over, std::function<void(bool)> showState = {});
    ~ZEVSpacePreview();
    ZEVSpacePreview(const ZEVSpacePreview&) = delete;
    ZEVSpacePreview& operator=(const ZEVSpacePreview&) = delete;

    // Kept for the next reload or opening; when not empty, notes whether the first is the Object
    // previewed last.
    void setPreviewItems(std::vector<Item> items);
    const std::vector<Item>& previewItems() const { return items_; }
    // The window shows the items again, read anew.
    void reloadPreviewPanel();
    // Closes the window, once: a second call does nothing until it opens again.
    void orderOutPreviewPanel();
    // Opens the window on the items (reads them again when it already shows).
    void orderFrontPreviewPanel();
    bool siVisible() const;
    // Shows the item `by` places on from the one shown, when there is one there.
    void step(int by);
    // The space bar was released.
    void spaceKeyUp();
    // The space bar's presses and releases as the window first sees them. X repeats a held key as
    // a release and a press of one same moment, which Qt does not always tell from the user's own:
    // a release is acted on a moment later, unless a press of its moment follows it, and such a
    // press is a repeat (answers true: the window drops it); any other press lets a waiting
    // release act first. A timestamp of 0 is no moment.
    bool spaceKeyPressed(quint64 timestamp);
    void spaceKeyReleased(quint64 timestamp);

    // nullptr until the window is first opened.
    ZEVPreviewWindow* window() const { return window_; }
    bool siPreviousSame() const { return siPreviousSame_; }
    bool siStartPreview() const { return siStartPreview_; }
    KELId previousItemInt() const { return previousItemInt_; }

    // How long the preview must have run before the space bar's release closes it.
    static constexpr double kStartPreviewDelay = 0.2;
    // How long a release waits for a press of its moment.
    static constexpr double kReleaseSettle = 0.05;

private:
    ZEVPreviewWindow* ensureWindow();
    void visibilityChanged(bool visible);
    void beginControl();
    void endControl();
    void loadItems();

    QWidget* over_;                       // not owned
    std::function<void(bool)> showState_;
    QPointer<ZEVPreviewWindow> window_;   // a Qt child of over_ when there is one, else owned here
    bool ownsWindow_ = false;
    bool siControl_ = false;
    std::vector<Item> items_;
    KELId previousItemInt_ = 0;
    bool siPreviousSame_ = false;
    bool siStartPreview_ = false;
    bool siOrderOut_ = false;
    quint64 lastRelease_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
