// The front viewer's viewbar and main-menu state: the toolbar's action buttons by the mode in
// force, its selection and the toolbar's width; the edit buttons' pictures by the active cursor;
// the main-menu items the front layer enables, the Object menu's remove item; and the Quick Look
// panel's state.

#include "front/ZEVFrontViewer.h"

#include "front/ZEVFrontQuickLook.h"
#include "desk/model/ZEVItemClass.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"
#include "look/KELSharedResources.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tallomer {

namespace {

// Below these widths of the toolbar the buttons go.
constexpr double kWideToolbar = 870;
constexpr double kOpenToolbar = 450;

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

// ---------------------------------------------------------------------------------------------
// The toolbar's action buttons

void ZEVFrontViewer::updateToolbarButtons()
{
    const int mode = currentFrontMode_;
    if (mode < 0 || mode > 3)
        return;
    if (toolbar_) {
        ZEVSelections& s = space_.selections();
        const double W = toolbar_->width();
        const std::int64_t counts[4] = {nbOfIcons_, nbOfTitles_, nbOfFilters_, nbOfLinks_};
        const std::int64_t n = counts[mode];
        const std::int64_t own = mode == ZEVFrontModeLinks ? nbOfNodes_ : mode == ZEVFrontModeTitles ? nbOfTitles_ : nbOfIcons_;
        auto button = [this](const char* name) { return toolbar_->button(QString::fromLatin1(name)); };
        auto show = [&](const char* name, bool visible) {
            if (ZEVButton* b = button(name))
                b->setVisible(visible);
        };
        show("btnActionOpen", n > 0 && W >= kOpenToolbar);
        show("btnActionToggleQL", siQuickLookOffert() && W >= kWideToolbar);
        show("btnActionFilter", (own > 0 || nbOfFilters_ > 0) && W >= kWideToolbar);
        // Get Info reaches files only: it shows while a file Object is among the mode's selection.
        bool file = false;
        if (W >= kWideToolbar) {
            ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur());
            const std::vector<KELI*> selection = mode == ZEVFrontModeIcons    ? s.selectedIconItems()
                                                 : mode == ZEVFrontModeTitles ? s.selectedTitleItems()
                                                 : mode == ZEVFrontModeFilters ? s.selectedFilterItems()
                                                                               : s.selectedNodeItemSet();
            for (KELI* o : selection)
                if (items && items->itemTypeForItem(o).value_or(std::string()) == "file") {
                    file = true;
                    break;
                }
        }
        show("btnActionGetInfo", file);
        // Or and And show the filters' operation; outside Filter mode the one in force is mixed.
        const bool andOp = space_.displayOptions().siFiltreANDOperation;
        const int strong = mode == ZEVFrontModeFilters ? 1 : -1;
        if (ZEVButton* b = button("btnActionOr"))
            b->setState(andOp ? 0 : strong);
        if (ZEVButton* b = button("btnActionAnd"))
            b->setState(andOp ? strong : 0);
        if (mode == ZEVFrontModeFilters) {
            // The Or and And buttons need two filters and the wide toolbar.
            const bool orAnd = nbOfFilters_ >= 2 && W >= kWideToolbar;
            show("btnActionOr", orAnd);
            show("btnActionAnd", orAnd);
            if (ZEVButton* add = button("btnAddItems"))
                add->setEnabled(true);
        } else {
            show("btnActionOr", false);
            show("btnActionAnd", false);
        }
        if (ZEVButton* edit = button("btnActionEdit"))
            edit->setEnabled(mode == ZEVFrontModeLinks ? nbOfLinks_ > 0 : n > 0);
    }
    updateMenuMacForMode(mode);
}

void ZEVFrontViewer::updateBtnImagesSiRecall(bool siRecall)
{
    if (!toolbar_)
        return;
    const KELSharedResources& r = space_.host().sharedResources();
    const QString set = siRecall ? QStringLiteral("Now") : QStringLiteral("Search");
    for (const char* op : {"Recall", "Retain", "Release", "Forget"}) {
        ZEVButton* b = toolbar_->button(QStringLiteral("btnEdit") + QLatin1String(op));
        if (!b)
            continue;
        const QString name = QStringLiteral("edit%1%2.tiff").arg(set, QLatin1String(op));
        b->setIcon(QIcon(r.imageNamed(name)));
        b->setProperty("image", name);
    }
}

// ---------------------------------------------------------------------------------------------
// The main menu

QAction* ZEVFrontViewer::menuMacItem(MenuMac item)
{
    // The bar comes after the viewer, and may be replaced: the items are captured from the bar
    // the window holds now.
    ZEVSpaceWindow* w = space_.spaceWindow();
    QMenuBar* bar = w ? w->menuBar() : nullptr;
    if (menuMacBar_.data() != bar || (bar && !menuMac_[MacRemove])) {
        menuMacBar_ = bar;
        for (int i = 0; i < MenuMacCount; ++i) {
            QAction* found = nullptr;
            if (bar)
                for (QAction* top : bar->actions())
                    if (top->menu() && tagOf(top) == kMenuMac[i].menu) {
                        found = itemWithTag(top->menu()->actions(), kMenuMac[i].tag);
                        break;
                    }
            menuMac_[i] = found;
        }
    }
    return item >= 0 && item < MenuMacCount ? menuMac_[item].data() : nullptr;
}

void ZEVFrontViewer::updateMenuMacForMode(int mode)
{
    ZEVEntityViewer* cible = nullptr;
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        if (v->siFirstResponder()) {
            cible = v;
            break;
        }
    if (!cible)
        cible = space_.viewerForEntityClassName("ZEVIconViewer");
    if (QAction* remove = menuMacItem(MacRemove))
        remove->setEnabled(true);
    if (cible) {
        // Quick Look follows the toolbar button's rule, whoever has the keys.
        if (QAction* ql = menuMacItem(MacOpenQL))
            ql->setEnabled(siQuickLookOffert());
        cible->updateMenuMacForMode(mode);
        return;
    }
    // Recall Search and Quick Look are left as they are.
    for (MenuMac m : {MacCleanAll, MacCleanAndRecall, MacCleanAndRecallBack, MacCleanAndReplace, MacOpen, MacMoveTo,
                      MacMoveToSpace, MacCopyTo, MacCopyToSpace, MacAdd, MacRecallNow, MacRetainNow, MacReleaseNow,
                      MacForgetNow, MacRetainSearch, MacReleaseSearch, MacForgetSearch, MacCut, MacCopy})
        if (QAction* a = menuMacItem(m))
            a->setEnabled(false);
    if (QAction* filter = menuMacItem(MacFilter))
        filter->setEnabled(true);
}

void ZEVFrontViewer::updateMenuObject(QMenu* menu)
{
    if (!menu)
        return;
    if (auto* icons = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        icons->updateMenuObject(menu);
    if (currentFrontMode_ != ZEVFrontModeLinks)
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

// ---------------------------------------------------------------------------------------------
// Quick Look

bool ZEVFrontViewer::siQuickLookOffert() const
{
    const std::int64_t counts[4] = {nbOfIcons_, nbOfTitles_, nbOfFilters_, nbOfLinks_};
    const int mode = currentFrontMode_;
    return (mode >= 0 && mode < 4 && counts[mode] > 0) || siShowQLPanel();
}

void ZEVFrontViewer::setSiShowQLPreview(bool shown)
{
    quickLook_->setSiShown(shown);
    ZEVButton* ql = toolbar_ ? toolbar_->button(QStringLiteral("btnActionToggleQL")) : nullptr;
    if (shown) {
        if (ql)
            ql->setVisible(toolbar_->width() >= kWideToolbar);
    } else {
        updateToolbarButtons();
    }
    if (ql)
        ql->setState(shown ? 1 : 0);
    if (QAction* item = menuMacItem(MacOpenQL)) {
        item->setProperty("state", shown ? 1 : 0);
        item->setCheckable(true);
        item->setChecked(shown);
        // A shown preview can always be closed from the menu (hidden, the refresh above set it).
        if (shown)
            item->setEnabled(true);
    }
}

} // namespace tallomer
