// The commands that hand over to an inspector: open of the Object under the pointer, the file
// commands through the Icons inspector, the finds, and the steps to the previous or next change,
// with the go buttons lit for a moment after each.

#include "front/ZEVFrontViewer.h"
#include "front/ZEVFrontToolButtons.h"

#include "front/ZEVFrontBars.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QGuiApplication>
#include <QLineEdit>

namespace tallomer {

namespace {


ZEVInspectViewer* icons(ZEVSpaceController& space)
{
    return dynamic_cast<ZEVInspectViewer*>(space.viewerForEntityClassName("ZEVIconViewer"));
}

} // namespace

void ZEVFrontViewer::userOpenOverfly()
{
    ZEVItemViewForDesks* h = hoveredItemView();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!h || !viewer)
        return;
    flash(h);
    viewer->userOpenItem(h->item(), false);
}

// ---- file commands ----

void ZEVFrontViewer::fileCommand(void (ZEVInspectViewer::*command)())
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
        (iv->*command)();
        return;
    }
    if (ZEVInspectViewer* iv = icons(space_))
        (iv->*command)();
    else
        beep();
    displaySelectionView();
}

void ZEVFrontViewer::userMoveTo() { fileCommand(&ZEVInspectViewer::userMoveTo); }
void ZEVFrontViewer::userMoveToSpace() { fileCommand(&ZEVInspectViewer::userMoveToSpace); }
void ZEVFrontViewer::userCopyTo() { fileCommand(&ZEVInspectViewer::userCopyTo); }
void ZEVFrontViewer::userCopyToSpace() { fileCommand(&ZEVInspectViewer::userCopyToSpace); }
void ZEVFrontViewer::userDuplicateTo() { fileCommand(&ZEVInspectViewer::userDuplicateTo); }
void ZEVFrontViewer::userDuplicateToSpace() { fileCommand(&ZEVInspectViewer::userDuplicateToSpace); }

// ---- finds ----

void ZEVFrontViewer::userFind()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
        iv->userFind();
        return;
    }
    menuInspectFind();
}

void ZEVFrontViewer::menuInspectFind()
{
    attachSearchField();
    ZEVTableView* table = selectionTableView();
    if (!table)
        return;
    const std::initializer_list<int> modes = {ZEVFrontModeFilters, ZEVFrontModeLinks, ZEVFrontModeTitles};
    if (table->hideSearchField()) {
        siSearchingField_ = false;
        for (int m : modes)
            if (ZEVButton* b = modeButtons_[m])
                b->setHidden(false);
    } else {
        // The mode buttons whose right edge comes within 5 points of the field make room for it.
        if (QLineEdit* field = table->typeSelect()->field()) {
            const double fieldX = field->mapToGlobal(QPoint(0, 0)).x();
            for (int m : modes)
                if (ZEVButton* b = modeButtons_[m])
                    if (b->mapToGlobal(QPoint(b->width(), 0)).x() + 5 > fieldX)
                        b->setHidden(true);
        }
        table->showSearchField();
        siSearchingField_ = true;
        siSearchingToolbar_ = layout_->flags(ZEVHeaderView::Toolbar).opened;
        layout_->request(-1, -1, -1, 1);
    }
    space_.addToHistory();
}

bool ZEVFrontViewer::userFindInChannels()
{
    auto* iv = dynamic_cast<ZEVIconViewerServices*>(space_.viewerForEntityClassName("ZEVIconViewer"));
    const auto items = space_.selections().selectedItemsForFrontMode();
    const bool many = iv && items && iv->findInChannelsForItems(*items, false);
    userShowTracks();
    return many;
}

void ZEVFrontViewer::userFindTextInChannels()
{
    auto* iv = dynamic_cast<ZEVIconViewerServices*>(space_.viewerForEntityClassName("ZEVIconViewer"));
    if (const auto items = space_.selections().selectedItemsForFrontMode(); iv && items)
        iv->findInChannelsForItems(*items, true);
    userShowTracks();
}

void ZEVFrontViewer::findHeld(void (ZEVInspectViewer::*action)(), bool focusFirst)
{
    if (focusFirst)
        if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
            (iv->*action)();
            return;
        }
    const char* kind = currentFrontMode_ == ZEVFrontModeLinks ? "ZEVLinkViewer" : "ZEVIconViewer";
    if (auto* iv = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName(kind)))
        (iv->*action)();
}

void ZEVFrontViewer::userFindZevHeld() { findHeld(&ZEVInspectViewer::menuFindZevHeld, true); }
void ZEVFrontViewer::userFindZevFolderHeld() { findHeld(&ZEVInspectViewer::menuFindZevFolderHeld, true); }
void ZEVFrontViewer::userFindMacHeld() { findHeld(&ZEVInspectViewer::menuFindMacHeld, true); }
void ZEVFrontViewer::userFindExtHeld() { findHeld(&ZEVInspectViewer::menuFindExtHeld, true); }
void ZEVFrontViewer::menuFindZevHeld() { findHeld(&ZEVInspectViewer::menuFindZevHeld, false); }
void ZEVFrontViewer::menuFindZevFolderHeld() { findHeld(&ZEVInspectViewer::menuFindZevFolderHeld, false); }
void ZEVFrontViewer::menuFindMacHeld() { findHeld(&ZEVInspectViewer::menuFindMacHeld, false); }
void ZEVFrontViewer::menuFindExtHeld() { findHeld(&ZEVInspectViewer::menuFindExtHeld, false); }
void ZEVFrontViewer::menuFindFiles() { findHeld(&ZEVInspectViewer::menuFindFiles, false); }
void ZEVFrontViewer::menuFindPersons() { findHeld(&ZEVInspectViewer::menuFindPersons, false); }
void ZEVFrontViewer::menuFindEmails() { findHeld(&ZEVInspectViewer::menuFindEmails, false); }
void ZEVFrontViewer::menuFindBookmarks() { findHeld(&ZEVInspectViewer::menuFindBookmarks, false); }

// ---- previous or next change ----

void ZEVFrontViewer::userGotoPrevious()
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        if (auto* iv = dynamic_cast<ZEVInspectViewer*>(v); iv && iv->siFirstResponder() && iv->userGotoPrevious())
            return;
    menuInspectPrevious(true);
}

void ZEVFrontViewer::userGotoNext()
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        if (auto* iv = dynamic_cast<ZEVInspectViewer*>(v); iv && iv->siFirstResponder() && iv->userGotoNext())
            return;
    menuInspectNext(true);
}

void ZEVFrontViewer::menuInspectPrevious(bool fromControl) { inspectStep(true, fromControl); }
void ZEVFrontViewer::menuInspectNext(bool fromControl) { inspectStep(false, fromControl); }

void ZEVFrontViewer::btnInspectPrevious()
{
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
    menuInspectPrevious(true);
}

void ZEVFrontViewer::btnInspectNext()
{
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
    menuInspectNext(true);
}

void ZEVFrontViewer::inspectStep(bool previous, bool fromControl)
{
    // The same-Space items send nothing and always keep to the Space; a button or the plain
    // items keep to it only while Ctrl is held.
    const bool siSame = !fromControl || QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    displaySelectionView();
    auto* iv = dynamic_cast<ZEVIconViewerServices*>(space_.viewerForEntityClassName("ZEVIconViewer"));
    if (!iv) {
        beep();
        return;
    }
    const bool siNow = previous ? iv->userGotoPreviousItemSiSame(siSame) : iv->userGotoNextItemSiSame(siSame);
    lightGoButtons(previous, siNow);
}

void ZEVFrontViewer::selectionPreviousObject(bool siNow) { lightGoButtons(true, siNow); }
void ZEVFrontViewer::selectionNextObject(bool siNow) { lightGoButtons(false, siNow); }

void ZEVFrontViewer::lightGoButtons(bool previous, bool siNow)
{
    if (tools_) {
        if (previous)
            tools_->selectionPreviousObject(siNow);
        else
            tools_->selectionNextObject(siNow);
    }
    // The Channels panel's twin buttons light with the toolbar's and rest with it 0.2 s later.
    if (ZEVChannelViewerServices* channels = space_.channelViewerServices()) {
        if (previous)
            channels->selectionPreviousObject(siNow);
        else
            channels->selectionNextObject(siNow);
    }
}

} // namespace tallomer
