#pragma once
// The desk's own menus: the context menu of the empty desk, and the Space and Channel menus (which
// the front layer's buttons will pop; until then nothing shows them). The context menu is filled
// as it is asked for and retitles its tool, time and inspector items while the pointer moves over
// them; the Space and Channel menus preview the highlighted Space or Channel on the desk and bring
// it back when left or closed without a choice.
//
// The context menu offers the tools, the time cursors, the calendar and go-to panel, the
// inspectors, the application's Object and Edit menus, Add Object, Find Object and Change
// Background, the filter operators, the view toggles and the presets. Each item but the filter
// operators runs the main menu's command of the same action and is enabled by the same rule: an
// item whose receiver is not built yet (no main menu, the front layer's tools, the inspector
// toggle bar) is disabled.

#include "space/ZEVMenuPreview.h"

#include <QObject>

#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace tallomer {

class ZEVSpaceController;

class ZEVDeskMenus final : public QObject {
public:
    // `space` is not owned and outlives the menus.
    explicit ZEVDeskMenus(ZEVSpaceController& space);
    ~ZEVDeskMenus() override;

    // The context menu, filled; nullptr while the front layer is in a modifier quasimode.
    QMenu* menuForFrontView();
    QMenu* menuFrontView() const { return menuFrontView_.get(); }
    QMenu* menuSpace() const { return menuSpace_.get(); }
    QMenu* menuChannel() const { return menuChannel_.get(); }
    ZEVMenuPreview& spacePreview() { return *spacePreview_; }
    ZEVMenuPreview& channelPreview() { return *channelPreview_; }

    // The filter items of the context menu, and their actions.
    QAction* filtreAND() const { return filtreAND_; }
    QAction* filtreOR() const { return filtreOR_; }
    void menuFiltreWithAndOperator();
    void menuFiltreWithOrOperator();

    // Plain or active titles of the three groups; `highlighted` takes its long title.
    void updateTitles(QAction* highlighted = nullptr);
    // The ruler bar's button that is on: 0 Now, 1 Search, 2 Ruler; -1 for none.
    int barButtonOn() const;

    // Change Background: the Images inspector opens, where the backgrounds are chosen.
    void userOpenBackInspectView();

private:
    void build();
    // An item that runs the main menu's `action` (the tag, when not 0, goes with it).
    QAction* routed(QMenu* into, const QString& title, const char* action, long tag = 0);
    void updateFilterItems();
    // Full screen, desktop, front Space and the four bars: states and the main menu's rules.
    void updateViewItems();

    ZEVSpaceController& space_;
    ZEVSpacePreviewTarget target_;
    std::unique_ptr<QMenu> menuFrontView_;
    std::unique_ptr<QMenu> menuSpace_;
    std::unique_ptr<QMenu> menuChannel_;
    std::unique_ptr<ZEVMenuPreview> spacePreview_;
    std::unique_ptr<ZEVMenuPreview> channelPreview_;
    QAction* tools_[4] = {};  // icon, title, link, filter; owned by the context menu
    QAction* times_[3] = {};  // Now, Search, Ruler
    QAction* entities_[4] = {}; // Channels, Files, Contacts, Images
    QAction* calendar_ = nullptr;
    QAction* goTo_ = nullptr;
    // The Object and Edit menus go before this separator.
    QAction* objectAndEditAt_ = nullptr;
    QAction* changeBack_ = nullptr;
    QAction* filtreAND_ = nullptr;
    QAction* filtreOR_ = nullptr;
    QAction* fullScreen_ = nullptr;
    QAction* showDesktop_ = nullptr;
    QAction* frontSpace_ = nullptr;
    QAction* menuBar_ = nullptr;
    QAction* timebar_ = nullptr;
    QAction* tline_ = nullptr;
    QAction* tracks_ = nullptr;
    QAction* toolbar_ = nullptr;
    QMenu* presets_ = nullptr;
    // The items that run a main-menu command, presets included.
    std::vector<QAction*> routed_;
};

} // namespace tallomer
