#include "front/ZEVFrontViewer.h"

#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELLien.h"
#include "front/ZEVFrontView.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

namespace {

enum Family { Icons = 0, Titles = 1, Filters = 2, Links = 3 };

} // namespace

// ---------------------------------------------------------------------------------------------
// Notices

bool ZEVFrontViewer::siFocus()
{
    if (siLasso_)
        return false;
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return false;
    // An Object view holding the keyboard has it, not the front layer.
    ZEVDeskCanvas* canvas = w->spaceView()->deskCanvas();
    return canvas->hasFocus() && !(canvas->scene() && canvas->scene()->focusItem());
}

void ZEVFrontViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    // The selection list's class (the inspector framework's front list) will be told too, once it
    // exists.
    if (identityInt)
        currentChannelInt_ = identityInt;
    if (frontClass_)
        frontClass_->channelDidChangeWithIdentityInt(identityInt);
}

void ZEVFrontViewer::actifCurseurDidChangeForCurseur(KELICurseur* curseur)
{
    // The front view reads the active desk and item viewer from the Space at each use, so it
    // follows without being told; the selection tables and the edit buttons' pictures belong to
    // the selection list and the toolbar, still to come.
    actifCurseur_ = curseur;
    siCleanAll_ = false;
    if (frontClass_)
        frontClass_->actifCurseurDidChangeForCurseur(curseur);
    if (curseur && curseur == space_.nowCurseur())
        space_.setGoToTag(1);
    else if (space_.goToTag() == 1)
        space_.setGoToTag(2);
    updateNbOfItems();
    updateToolbarButtons();
    updateBtnImagesSiRecall(curseur && curseur == space_.nowCurseur());
    displayFrontView();
}

void ZEVFrontViewer::updateNbOfItems()
{
    ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur());
    // The views of the other Channels stay with the desk, hidden, for when the window goes back to
    // one of them: they are not on the desk shown.
    const KELId channel = space_.currentChannelInt();
    nbOfItems_ = 0;
    if (d)
        for (ZEVItemViewForDesks* v : d->itemViewSet())
            if (KELI* item = v->item(); item && item->channelInt() == channel)
                ++nbOfItems_;
    if (toolbar_)
        toolbar_->updateNbOfItems(nbOfItems_);
}

void ZEVFrontViewer::displayAllInspectView()
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        v->displayInspectView();
    // The shown list too: its intervals lie on the time line's scale.
    if (ZEVTableView* t = selectionTableView())
        t->viewport()->update();
}

void ZEVFrontViewer::entityWillChange()
{
    // A focus change comes as a loss and a gain in the same turn: one follow-up for both.
    Scheduler& s = Scheduler::shared();
    s.cancel(this, "entityDidChange");
    s.perform(this, "entityDidChange", 0.0, [this] { entityDidChange(); });
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        if (ZEVDeskView* v = d->deskView())
            v->update();
}

void ZEVFrontViewer::entityDidChange()
{
    siCleanAll_ = false;
    updateMenuMacForMode(currentFrontMode_);
}

void ZEVFrontViewer::selectionDidChange()
{
    if (currentFrontMode_ >= 0 && currentFrontMode_ < 4)
        selectionRefresh(currentFrontMode_);
}

void ZEVFrontViewer::iconSelectionDidChange() { selectionRefresh(Icons); }
void ZEVFrontViewer::titleSelectionDidChange() { selectionRefresh(Titles); }
void ZEVFrontViewer::filterSelectionDidChange() { selectionRefresh(Filters); }
void ZEVFrontViewer::linkSelectionDidChange() { selectionRefresh(Links); }
void ZEVFrontViewer::filterOperationDidChange()
{
    updateToolbarButtons();
    displayFrontView();
}

void ZEVFrontViewer::selectionRefresh(int family)
{
    ZEVSelections& s = space_.selections();
    switch (family) {
    case Icons:
        nbOfIcons_ = std::int64_t(s.selectedIconItems().size());
        break;
    case Titles:
        nbOfTitles_ = std::int64_t(s.selectedTitleItems().size());
        break;
    case Filters:
        nbOfFilters_ = std::int64_t(s.selectedFilterItems().size());
        break;
    default:
        nbOfLinks_ = std::int64_t(s.selectedLinks().size());
        nbOfNodes_ = std::int64_t(s.selectedNodeItemSet().size());
        break;
    }
    siCleanAll_ = false;
    // Both desks draw their Object views again: a selection shows on the Search desk too. (The
    // viewbar's mode buttons, the selection list's rows and the header views' refresh follow here
    // once the header toolbar and the selection list exist.)
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->selectionDidChange();
    if (currentFrontMode_ == family && !siAvoidGraphicalLarsen_) {
        tellInspectors(siFrontModeDidChange_);
        siFrontModeDidChange_ = false;
        previewFollowsSelection();
    } else if (family == Icons && currentFrontMode_ == Filters && temporaryFrontMode_ == Filters &&
               previousFrontMode_ == Icons) {
        // Alt held over Icon mode: the icons picked meanwhile are still Icon mode's selection,
        // so the next refreshes reach the inspectors (and the list will follow them).
        siAvoidGraphicalLarsen_ = false;
    }
    if (family == currentFrontMode_ || (currentFrontMode_ == ZEVFrontModeLinks && family == Links))
        majSelectionLists();
    updateViewbarModes();
    updateToolbarButtons();
    // The tracks follow the row count.
    if (layout_)
        layout_->refresh();
    updateNbOfItems();
    displayFrontView();
    displayAllInspectView();
    space_.majWindowTitle();
}

void ZEVFrontViewer::displayFrontView()
{
    if (frontView_)
        frontView_->display();
}

void ZEVFrontViewer::updateFrontView()
{
    displayFrontView();
    updateNbOfItems();
}

void ZEVFrontViewer::updateFrontViewLinks()
{
    if (frontView_)
        frontView_->displayLinks();
    updateNbOfItems();
}

void ZEVFrontViewer::lassoDidStart()
{
    siLasso_ = true;
    lassoFrontMode_ = currentFrontMode_;
    displaySelectionView();
    if (currentFrontMode_ == ZEVFrontModeFilters) {
        // The lasso picks icons: while its first event is handled the mode reads Icons, and on
        // the next turn Filters again.
        currentFrontMode_ = ZEVFrontModeIcons;
        updateViewbarModes();
        tellInspectors(false);
        Scheduler::shared().cancel(this, "_lassoDidStart");
        Scheduler::shared().perform(this, "_lassoDidStart", 0.0, [this] { currentFrontMode_ = ZEVFrontModeFilters; });
    }
}

void ZEVFrontViewer::lassoDidStop()
{
    siLasso_ = false;
    lassoFrontMode_ = ZEVFrontModeNone;
    if (frontView_)
        frontView_->clearLasso();
    displaySelectionView();
    updateViewbarModes();
    tellInspectors(false);
    space_.addToHistory();
}

void ZEVFrontViewer::setSiShowCadre(bool shown)
{
    if (frontView_)
        frontView_->setSiShowCadre(shown);
}

} // namespace tallomer
