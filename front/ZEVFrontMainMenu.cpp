#include "front/ZEVFrontMainMenu.h"

#include "inspectors/base/ZEVInspectViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tallomer {

namespace {

struct MenuMacPlace {
    int menu; // the main-menu tag of the menu that holds it, in itself or in a submenu
    long tag;
};
// By ZEVFrontViewer::MenuMac. Move To, Move To Space, Copy To and Copy To Space lie in the
// Object menu's Handle submenu.
constexpr MenuMacPlace kMenuMac[ZEVFrontViewer::MenuMacCount] = {
    {3, 100}, {3, 101}, {3, 6},  {3, 65}, {3, 62}, {3, 63}, {3, 4},  {3, 5},  {3, 2},  {3, 3},  {4, 1},  {4, 523},
    {4, 21},  {4, 20},  {4, 23}, {4, 22}, {4, 31}, {4, 13}, {4, 7},  {9, 40}, {9, 41}, {9, 44}, {9, 43}};

long tagOf(const QAction* a) { return a->property("tag").toLongLong(); }

// The item of that tag in the menu's own items first, then in its submenus.
QAction* itemWithTag(const QList<QAction*>& actions, long tag)
{
    for (QAction* a : actions)
        if (!a->isSeparator() && !a->menu() && tagOf(a) == tag)
            return a;
    for (QAction* a : actions)
        if (QMenu* sub = a->menu())
            if (QAction* found = itemWithTag(sub->actions(), tag))
                return found;
    return nullptr;
}

} // namespace

QAction* ZEVFrontMainMenu::item(ZEVFrontViewer::MenuMac item)
{
    // The bar comes after the viewer, and may be replaced: the items are captured from the bar
    // the window holds now.
    ZEVSpaceWindow* w = space_.spaceWindow();
    QMenuBar* bar = w ? w->menuBar() : nullptr;
    if (bar_.data() != bar || (bar && !items_[ZEVFrontViewer::MacRemove])) {
        bar_ = bar;
        for (int i = 0; i < ZEVFrontViewer::MenuMacCount; ++i) {
            QAction* found = nullptr;
            if (bar)
                for (QAction* top : bar->actions())
                    if (top->menu() && tagOf(top) == kMenuMac[i].menu) {
                        found = itemWithTag(top->menu()->actions(), kMenuMac[i].tag);
                        break;
                    }
            items_[i] = found;
        }
    }
    return item >= 0 && item < ZEVFrontViewer::MenuMacCount ? items_[item].data() : nullptr;
}

void ZEVFrontMainMenu::updateForMode(int mode)
{
    using enum ZEVFrontViewer::MenuMac;
    ZEVEntityViewer* cible = nullptr;
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        if (v->siFirstResponder()) {
            cible = v;
            break;
        }
    if (!cible)
        cible = space_.viewerForEntityClassName("ZEVIconViewer");
    if (QAction* remove = item(MacRemove))
        remove->setEnabled(true);
    if (cible) {
        // Quick Look follows the toolbar button's rule, whoever has the keys.
        if (QAction* ql = item(MacOpenQL))
            ql->setEnabled(front_.siQuickLookOffert());
        cible->updateMenuMacForMode(mode);
        return;
    }
    // Recall Search and Quick Look are left as they are.
    for (ZEVFrontViewer::MenuMac m :
         {MacCleanAll, MacCleanAndRecall, MacCleanAndRecallBack, MacCleanAndReplace, MacOpen, MacMoveTo, MacMoveToSpace,
          MacCopyTo, MacCopyToSpace, MacAdd, MacRecallNow, MacRetainNow, MacReleaseNow, MacForgetNow, MacRetainSearch,
          MacReleaseSearch, MacForgetSearch, MacCut, MacCopy})
        if (QAction* a = item(m))
            a->setEnabled(false);
    if (QAction* filter = item(MacFilter))
        filter->setEnabled(true);
}

void ZEVFrontMainMenu::updateObjectMenu(QMenu* menu)
{
    if (!menu)
        return;
    if (auto* icons = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        icons->updateMenuObject(menu);
    if (front_.currentFrontMode() != ZEVFrontModeLinks)
        return;
    // In Link mode the links of the mode are the selected ones.
    const std::size_t c = space_.selections().selectedLinks().size();
    if (QAction* remove = itemWithTag(menu->actions(), 13)) {
        remove->setText(c == 0   ? QStringLiteral("Remove Links")
                        : c == 1 ? QStringLiteral("Remove 1 Link")
                                 : QStringLiteral("Remove %1 Links").arg(c));
        remove->setEnabled(c > 0);
    }
}

} // namespace tallomer
