#include "front/ZEVFrontViewer.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "objects/view/ZEVItemView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QCursor>

#include <set>

namespace tallomer {

// ---------------------------------------------------------------------------------------------
// Edit commands

bool ZEVFrontViewer::handlesCommand(std::string_view c)
{
    static const std::set<std::string_view> answered = {
        "userCopy",       "userCut",        "userPaste",         "userSelectAll",  "userDeselectAll",
        "userSelectNext", "userSelectPrevious", "menuModeIcon", "menuModeTitle", "menuModeFilter",
        "menuModeLink",   "userToggleTimebar", "userToggleTline", "userToggleTracks", "userToggleToolbar", "userToggleFullScreen",
        "userRecallNow", "userRetainNow", "userReleaseNow", "userForgetNow", "userRecallSearch", "userRetainSearch",
        "userReleaseSearch", "userForgetSearch", "userShowTitle", "userShowQLIcon", "userOpenOnClick", "userAnimate",
        "userSendToBack", "userSendToFront", "userDelete", "userShowOriginal", "userSwap", "userSwapIcons", "userSwapTitles", "userGoNow", "userOpen", "userGetInfo", "userFilter", "userToggleQL",
        "userEditTitle", "userStepBack", "userSpaceStartHome", "userSpaceCleanAll", "userSpaceCleanAndRecall",
        "userSpaceCleanAndRecallBack", "userSpaceCleanAndReplace", "userOpenOverfly", "userMoveTo", "userMoveToSpace",
        "userCopyTo", "userCopyToSpace", "userDuplicateTo", "userDuplicateToSpace", "userFind", "userFindInChannels",
        "userFindTextInChannels", "userGotoPrevious", "userGotoNext", "menuInspectPrevious", "menuInspectNext"};
    return answered.count(c) != 0;
}

void ZEVFrontViewer::deskEdit(int command)
{
    if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur()))
        d->deskEditCommand(ZEVDeskEditCommand(command));
}

ZEVTableView* ZEVFrontViewer::focusedSelectionList() const
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    QWidget* f = w ? w->focusWidget() : nullptr;
    return f && (f == itemList_.data() || f == linkList_.data()) ? static_cast<ZEVTableView*>(f) : nullptr;
}

ZEVTableView* ZEVFrontViewer::focusedInspectorTable() const
{
    ZEVInspectViewer* iv = focusedInspectorFor({});
    ZEVInspectView* v = iv ? iv->inspectViewIfBuilt() : nullptr;
    return v ? v->inspectTableView() : nullptr;
}

void ZEVFrontViewer::userCopy()
{
    if (ZEVTableView* t = focusedInspectorTable())
        t->copy();
    else if (ZEVTableView* t = focusedSelectionList())
        t->copy();
    else
        deskEdit(int(ZEVDeskEditCommand::Copy));
}

void ZEVFrontViewer::userCut()
{
    if (ZEVTableView* t = focusedInspectorTable())
        t->cut();
    else if (ZEVTableView* t = focusedSelectionList())
        t->cut();
    else
        deskEdit(int(ZEVDeskEditCommand::Cut));
}
void ZEVFrontViewer::userSelectAll() { deskEdit(int(ZEVDeskEditCommand::SelectAll)); }

void ZEVFrontViewer::userPaste()
{
    // A focused inspector table imports what is pasted; nothing is pasted into a selection list.
    if (ZEVTableView* t = focusedInspectorTable()) {
        t->paste();
        return;
    }
    if (ZEVTableView* t = focusedSelectionList()) {
        t->paste();
        return;
    }
    // The pointer in the window, y-up: the pasted Objects land under it whatever the window's form.
    if (ZEVSpaceWindow* w = space_.spaceWindow()) {
        const QPoint p = w->mapFromGlobal(QCursor::pos());
        space_.mouseMovedInLocation(QPointF(p.x(), w->height() - p.y()));
    }
    deskEdit(int(ZEVDeskEditCommand::Paste));
}

void ZEVFrontViewer::userDeselectAll()
{
    // With the Channels list focused, Deselect All is the list's.
    if (ZEVEntityViewer* channels = space_.channelViewer())
        if (channels->siFirstResponder()) {
            channels->userDeselect();
            return;
        }
    ZEVSelections& s = space_.selections();
    s.deselectAllIcons();
    s.deselectAllNodes();
    s.deselectAllFilters();
    s.deselectAllTitles();
    space_.addToHistory();
}

void ZEVFrontViewer::userEditTitle()
{
    ZEVSelections& sel = space_.selections();
    const std::vector<ZEVItemViewForDesks*> views = shownModeViews();
    ZEVItemViewForDesks* candidate = nullptr;
    if (views.size() == 1) {
        // The one Object whose title is open: the command closes it, keeping what was typed.
        if (sel.isTitleEditedForItem(views.front()->item())) {
            endTitleEdits();
            return;
        }
        candidate = views.front();
    } else if ((candidate = hoveredItemView())) {
        // None or several: the Object under the pointer, shown so the user sees which.
        flash(candidate);
    }
    if (sel.isTitleEditing()) {
        endTitleEdits();
        return;
    }
    auto* view = dynamic_cast<ZEVItemView*>(candidate);
    if (!view || view->isHidden() || !view->editTitle())
        beep();
}

void ZEVFrontViewer::endTitleEdits()
{
    ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur());
    if (!d)
        return;
    for (ZEVItemViewForDesks* v : d->itemViewSet())
        if (auto* view = dynamic_cast<ZEVItemView*>(v); view && space_.selections().isTitleEditedForItem(view->item()))
            view->endTitleEdit(true);
}

void ZEVFrontViewer::userEditTitleForItemView(ZEVItemViewForDesks* d)
{
    auto* view = dynamic_cast<ZEVItemView*>(d);
    if (view && !view->isHidden())
        view->editTitle();
}

void ZEVFrontViewer::userSelectNext()
{
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        d->userSelectNext();
    space_.majWindowTitle();
}

void ZEVFrontViewer::userSelectPrevious()
{
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        d->userSelectPrevious();
    space_.majWindowTitle();
}

} // namespace tallomer
