#pragma once
// The least of the front layer that the time ruler and the selections need while the front layer
// is not built: it lays the timeline strip over the top of the desk canvas while the user default
// ZEVShowRuler is on, opens and closes it when asked, passes the strip's Tab walk to the active
// desk, and has both desks draw their Object views again at every selection notice. Every other
// operation keeps the defaults of ZEVFrontViewerServices until the front viewer answers.

#include "platform/UserDefaults.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>

namespace tallomer {

class ZEVTlineView;

class ZEVSpaceFront final : public QObject, public ZEVFrontViewerServices {
public:
    static constexpr const char* kShowRulerKey = "ZEVShowRuler";

    // `space` and `defaults` are not owned and outlive the front; the space's ruler viewer is made.
    ZEVSpaceFront(ZEVSpaceController& space, UserDefaultsController& defaults);
    ~ZEVSpaceFront() override;

    bool siTlineOpened() override { return siTlineOpened_; }
    bool siTlineClosed() override { return !siTlineOpened_; }
    void openTline() override;
    void openTlineAndTracks(bool) override { openTline(); }
    void closeTlineAndTracks() override;
    void userSelectNext() override;
    void userSelectPrevious() override;
    void selectionDidChange() override { desksSelectionDidChange(); }
    void iconSelectionDidChange() override { desksSelectionDidChange(); }
    void titleSelectionDidChange() override { desksSelectionDidChange(); }
    void filterSelectionDidChange() override { desksSelectionDidChange(); }
    void linkSelectionDidChange() override { desksSelectionDidChange(); }

protected:
    // The strip follows the content view's width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Not owned: the ruler viewer's strip; nullptr once the viewer is gone.
    ZEVTlineView* strip() const;
    void placer();
    void desksSelectionDidChange();

    ZEVSpaceController& space_;         // not owned
    UserDefaultsController& defaults_;  // not owned
    DefaultsToken token_ = 0;
    bool siTlineOpened_ = false;
};

} // namespace tallomer
