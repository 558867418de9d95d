#pragma once
// The header views of the front layer as the application lays them out: the ruler bar (while the
// user default ZEVShowZevMenu is on) and under it the timeline strip (while ZEVShowRuler is on) over
// the top of the desk canvas, opened and closed when asked, the bar's layout armed. The front viewer
// asks it; the tracks and the toolbar come with the front layer's own header-view layout.

#include "platform/UserDefaults.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>

namespace tallomer {

class ZEVRulerViewbar;
class ZEVTlineView;

class ZEVSpaceFront final : public QObject, public ZEVFrontHeaderViews {
public:
    static constexpr const char* kShowRulerKey = "ZEVShowRuler";
    static constexpr const char* kShowTimebarKey = "ZEVShowZevMenu";

    // `space` and `defaults` are not owned and outlive the front; the space's ruler viewer is made.
    ZEVSpaceFront(ZEVSpaceController& space, UserDefaultsController& defaults);
    ~ZEVSpaceFront() override;

    bool siTlineOpened() override { return siTlineOpened_; }
    bool siTlineClosed() override { return !siTlineOpened_; }
    void openTline() override;
    void openTlineAndTracks(bool) override { openTline(); }
    void closeTlineAndTracks() override;
    bool siTimebarClosed() override { return !siTimebarOpened_; }
    void setSiShowCalandar(bool shown) override { siShowCalandar_ = shown; }
    bool siShowCalandar() const override { return siShowCalandar_; }
    double headerViewsHeight() override;

protected:
    // The bar and the strip follow the content view's width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Not owned: the ruler viewer's strip and bar; nullptr once the viewer is gone.
    ZEVTlineView* strip() const;
    ZEVRulerViewbar* bar() const;
    void placer();
    void openTimebar();
    void closeTimebar();

    ZEVSpaceController& space_;         // not owned
    UserDefaultsController& defaults_;  // not owned
    DefaultsToken token_ = 0;
    DefaultsToken timebarToken_ = 0;
    bool siTlineOpened_ = false;
    bool siTimebarOpened_ = false;
    bool siShowCalandar_ = false;
};

} // namespace tallomer
