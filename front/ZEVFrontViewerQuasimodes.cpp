#include "front/ZEVFrontViewer.h"

#include "platform/Keys.h"
#include "runtime/Clock.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

namespace {

// The time of the last Shift press, for the whole program (0: none counts).
double gPreviousShiftPress = 0;

} // namespace

// ---------------------------------------------------------------------------------------------
// Quasimodes

void ZEVFrontViewer::userChangeFlag(int key, Qt::KeyboardModifiers modifiers)
{
    int quasi = ZEVFrontModeNone;
    bool down = false;
    if (key == Qt::Key_Shift) {
        quasi = ZEVFrontModeIcons;
        down = modifiers.testFlag(keys::kShift);
    } else if (key == Qt::Key_Alt) {
        quasi = ZEVFrontModeFilters;
        down = modifiers.testFlag(keys::kOption);
    } else if (key == keys::kFnKey) {
        quasi = ZEVFrontModeTitles;
        // The Menu key is no modifier: the window tells its press and release through the flag.
        down = modifiers.testFlag(keys::kFnModifier);
        siFnDown_ = down;
    }

    if (key == Qt::Key_Shift && down) {
        const double now = Clock::shared().now();
        if (gPreviousShiftPress > 0 && now - gPreviousShiftPress < kDoubleShift) {
            ZEVContextViewerServices* ctx = space_.contextViewer();
            ZEVEntityViewer* channels = space_.channelViewer();
            if (!ctx || !ctx->isShowedEntityWithInt(kChannelsEntity) || !channels) {
                space_.host().ouvrirEntityWithInt(kChannelsEntity);
            } else if (channels->siFirstResponder()) {
                if (ZEVSpaceWindow* w = space_.spaceWindow())
                    w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
            } else {
                channels->setFirstResponder();
            }
            gPreviousShiftPress = 0;
        } else {
            gPreviousShiftPress = now;
        }
    }

    if (quasi != ZEVFrontModeNone) {
        if (down) {
            if (previousFrontMode_ == ZEVFrontModeNone && currentFrontMode_ != quasi && !siLasso_) {
                previousFrontMode_ = currentFrontMode_;
                currentFrontMode_ = temporaryFrontMode_ = quasi;
                siAvoidGraphicalLarsen_ = true;
                setModeButtons(quasi, previousFrontMode_);
                tellInspectors(true);
                space_.majWindowTitle();
            }
        } else if (temporaryFrontMode_ == quasi) {
            const int restored = previousFrontMode_;
            currentFrontMode_ = restored;
            previousFrontMode_ = temporaryFrontMode_ = ZEVFrontModeNone;
            siAvoidGraphicalLarsen_ = false;
            setModeButtons(restored);
            tellInspectors(true);
            space_.majWindowTitle();
        }
    }
    displayFrontView();
}

void ZEVFrontViewer::userTypedKey()
{
    gPreviousShiftPress = 0;
}

void ZEVFrontViewer::leaveQuasimode()
{
    if (previousFrontMode_ >= 0 && previousFrontMode_ < 4) {
        currentFrontMode_ = previousFrontMode_;
        previousFrontMode_ = temporaryFrontMode_ = ZEVFrontModeNone;
        setModeButtons(currentFrontMode_);
        displayFrontView();
    }
}

void ZEVFrontViewer::userWillSwitchApp()
{
    // The quiet kept during the quasimode goes with it: left set, no later selection change would
    // reach the inspectors.
    if (temporaryFrontMode_ != ZEVFrontModeNone)
        siAvoidGraphicalLarsen_ = false;
    leaveQuasimode();
    siFnDown_ = false;
    space_.majWindowTitle();
}

void ZEVFrontViewer::userRereadFlags(Qt::KeyboardModifiers modifiers)
{
    // The release of the quasimode's key may have gone to another window.
    const bool held = (temporaryFrontMode_ == ZEVFrontModeIcons && modifiers.testFlag(keys::kShift)) ||
                      (temporaryFrontMode_ == ZEVFrontModeFilters && modifiers.testFlag(keys::kOption)) ||
                      (temporaryFrontMode_ == ZEVFrontModeTitles && siFnDown_);
    if (temporaryFrontMode_ != ZEVFrontModeNone && !held) {
        siAvoidGraphicalLarsen_ = false;
        leaveQuasimode();
        tellInspectors(true);
        space_.majWindowTitle();
    }
}

void ZEVFrontViewer::setSiAvoidGraphicalLarsen(bool avoid)
{
    const bool etait = siAvoidGraphicalLarsen_;
    siAvoidGraphicalLarsen_ = avoid;
    if (etait && !avoid)
        tellInspectors(false);
}

void ZEVFrontViewer::tellInspectors(bool modeChanged)
{
    for (ZEVEntityViewer* v : space_.entityViewerSet()) {
        if (modeChanged)
            v->frontModeDidChange();
        else
            v->itemSelectionDidChange();
    }
}

} // namespace tallomer
