#pragma once
// The header views of the front layer as the application lays them out: the ruler bar (while the
// user default ZEVShowZevMenu is on) and under it the timeline strip (while ZEVShowRuler is on) over
// the top of the desk canvas, opened, closed and toggled when asked (the toggles keep the choice in
// those defaults), all closed for the header-views button and what it closed opened again, the
// timeline opened for a Search move unless the user keeps it closed while searching, the bar's
// layout armed; and the return to the Home Time, which drives the bar's buttons. The front viewer
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
    static constexpr const char* kHideRulerWhenSearchKey = "ZEVHideRulerWhenSearch";
    // Home Time called from a menu glides there over this long.
    static constexpr float kHomeDuration = 1.5f;

    // `space` and `defaults` are not owned and outlive the front; the space's ruler viewer is made.
    ZEVSpaceFront(ZEVSpaceController& space, UserDefaultsController& defaults);
    ~ZEVSpaceFront() override;

    bool siTlineOpened() override { return siTlineOpened_; }
    bool siTlineClosed() override { return !siTlineOpened_; }
    void openTline() override;
    void openTlineAndTracks(bool siFocus) override;
    void closeTlineAndTracks() override;
    bool siTimebarClosed() override { return !siTimebarOpened_; }
    void userToggleTimebar() override;
    void userToggleTline() override;
    void closeAllHeaderViews() override;
    void mouseLimitInside() override;
    double headerViewsHeight() override;
    void setSiShowCalandar(bool shown) override { siShowCalandar_ = shown; }
    bool siShowCalandar() const override { return siShowCalandar_; }
    void initierDeplacementCurseur() override;
    void menuHomeTime() override;
    void userGoHome() override { siGoingToHome_ = true; }
    bool siCurseurAtHome() override;
    void tlineKeyDown(QKeyEvent* event) override;
    void tlineKeyUp(QKeyEvent* event) override;
    bool siGoingToHome() const { return siGoingToHome_; }

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
    bool siGoingToHome_ = false;
    // What the header-views button closed, to open again.
    bool rouvrirTimebar_ = false;
    bool rouvrirTline_ = false;
};

} // namespace tallomer
