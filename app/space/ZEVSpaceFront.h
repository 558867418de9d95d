#pragma once
// The time ruler's side of the front layer's header views: the ruler bar and the timeline strip,
// which the front viewer's header layout places at the top of its stack, the shared user defaults
// it observes, the keys and the wheel the strip takes, and the return to the Home Time, which
// drives the bar's buttons.

#include "platform/UserDefaults.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>

namespace tallomer {

class ZEVRulerViewbar;
class ZEVTlineView;

class ZEVSpaceFront final : public QObject, public ZEVFrontHeaderViews {
public:
    // Home Time called from a menu glides there over this long.
    static constexpr float kHomeDuration = 1.5f;

    // `space` and `defaults` are not owned and outlive the front; the space's ruler viewer is made.
    ZEVSpaceFront(ZEVSpaceController& space, UserDefaultsController& defaults);
    ~ZEVSpaceFront() override;

    QWidget* timebarWidget() override;
    QWidget* tlineWidget() override;
    UserDefaultsController* defaults() override { return &defaults_; }
    void menuHomeTime() override { menuHomeTimeWithDuration(kHomeDuration); }
    void menuHomeTimeWithDuration(float duration) override;
    void userShowRulerPickerPanel(bool shown) override;
    bool siShowRulerPickerPanel() override;
    void userGoHome() override { siGoingToHome_ = true; }
    bool siCurseurAtHome() override;
    void clearGoingToHome() override { siGoingToHome_ = false; }
    void menuNowCurseur() override;
    void tlineKeyDown(QKeyEvent* event) override;
    void tlineKeyUp(QKeyEvent* event) override;
    void tlineWheel(QWheelEvent* event) override;
    bool stateOfRulerButton() override;
    void menuSearchCurseur() override;
    bool siPresetJustEdited() override;
    bool siGoingToHome() override { return siGoingToHome_; }

private:
    // Not owned: the ruler viewer's strip and bar; nullptr once the viewer is gone.
    ZEVTlineView* strip() const;
    ZEVRulerViewbar* bar() const;

    ZEVSpaceController& space_;         // not owned
    UserDefaultsController& defaults_;  // not owned
    bool siGoingToHome_ = false;
};

} // namespace tallomer
