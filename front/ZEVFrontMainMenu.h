#pragma once
// The main-menu items the front layer enables, found by tag in their menu or its submenus and
// captured from the bar the window holds (the bar comes after the front viewer and may be
// replaced); the focused inspector, or the Icons one, sets them for the mode.

#include "front/ZEVFrontViewer.h"

#include <QPointer>

#include <array>

namespace tallomer {

class ZEVFrontMainMenu final {
public:
    // Both outlive it.
    ZEVFrontMainMenu(ZEVFrontViewer& front, ZEVSpaceController& space) : front_(front), space_(space) {}

    // nullptr when the bar lacks it (or there is no bar).
    QAction* item(ZEVFrontViewer::MenuMac item);
    // With no inspector to set them, the items that need one are disabled.
    void updateForMode(int mode);
    // The Object menu as the Icons inspector sets it; in Link mode its remove item counts the
    // selected links.
    void updateObjectMenu(QMenu* menu);

private:
    ZEVFrontViewer& front_;
    ZEVSpaceController& space_;
    QPointer<QWidget> bar_;
    std::array<QPointer<QAction>, ZEVFrontViewer::MenuMacCount> items_{};
};

} // namespace tallomer
