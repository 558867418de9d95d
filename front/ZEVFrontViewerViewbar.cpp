// The front viewer's viewbar: the toolbar's action buttons by the mode in force, its selection
// and the toolbar's width; the edit buttons' pictures by the active cursor; and the Quick Look
// button and item as the preview shows or hides.

#include "front/ZEVFrontViewer.h"

#include "front/ZEVFrontMainMenu.h"
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

QAction* ZEVFrontViewer::menuMacItem(MenuMac item) { return mainMenu_->item(item); }
void ZEVFrontViewer::updateMenuMacForMode(int mode) { mainMenu_->updateForMode(mode); }
void ZEVFrontViewer::updateMenuObject(QMenu* menu) { mainMenu_->updateObjectMenu(menu); }

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
