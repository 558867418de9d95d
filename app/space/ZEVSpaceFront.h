#pragma once
// The least of the front layer that the time ruler and the selections need while the front layer
// is not built: it lays the ruler bar (while the user default ZEVShowZevMenu is on) and under it the
// timeline strip (while ZEVShowRuler is on) over the top of the desk canvas, opens, closes and
// toggles them when asked (the toggles keep the choice in those defaults), closes both for the
// header-views button and opens again what it closed, opens the timeline for a Search move unless
// the user keeps it closed while searching, returns the desk to the Home Time, arms the bar's
// layout, passes the strip's Tab walk to the active desk, has both desks draw their Object views
// again at every selection notice, and hands the main menu's Copy, Cut, Paste, Select All, Select
// Next and Select Previous to the active desk. Every other operation keeps the defaults of
// ZEVFrontViewerServices until the front viewer answers.

#include "platform/UserDefaults.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>

namespace tallomer {

class ZEVRulerViewbar;
class ZEVTlineView;

class ZEVSpaceFront final : public QObject, public ZEVFrontViewerServices {
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
    bool siShowCalandar() const { return siShowCalandar_; }
    void initierDeplacementCurseur() override;
    void menuHomeTime() override;
    void userGoHome() override { siGoingToHome_ = true; }
    bool siCurseurAtHome() override;
    bool siGoingToHome() const { return siGoingToHome_; }
    void userSelectNext() override;
    void userSelectPrevious() override;
    // The edit commands of the main menu go to the active desk.
    bool handlesCommand(std::string_view command) override;
    void userCopy() override { deskEdit(ZEVDeskEditCommand::Copy); }
    void userCut() override { deskEdit(ZEVDeskEditCommand::Cut); }
    void userPaste() override { deskEdit(ZEVDeskEditCommand::Paste); }
    void userSelectAll() override { deskEdit(ZEVDeskEditCommand::SelectAll); }
    void selectionDidChange() override { desksSelectionDidChange(); }
    void iconSelectionDidChange() override { desksSelectionDidChange(); }
    void titleSelectionDidChange() override { desksSelectionDidChange(); }
    void filterSelectionDidChange() override { desksSelectionDidChange(); }
    void linkSelectionDidChange() override { desksSelectionDidChange(); }

protected:
    // The bar and the strip follow the content view's width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Not owned: the ruler viewer's strip and bar; nullptr once the viewer is gone.
    ZEVTlineView* strip() const;
    ZEVRulerViewbar* bar() const;
    void placer();
    void desksSelectionDidChange();
    void deskEdit(ZEVDeskEditCommand command);
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
