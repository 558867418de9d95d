#include "space/ZEVSpaceKeyboard.h"

#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceKeys.h"

namespace tallomer {

bool ZEVSpaceKeyboard::spaceKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers)
{
    ZEVSpaceKeyState state;
    state.searchActive = space_.siSearchActif();
    state.shift = modifiers.testFlag(Qt::ShiftModifier);
    state.control = modifiers.testFlag(Qt::MetaModifier);
    state.command = modifiers.testFlag(Qt::ControlModifier);
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (front) {
        state.recallingSelectedItems = front->siRecallingSelectedItems();
        state.recallingNowSelectedItems = front->siRecallingNowSelectedItems();
        state.releasingSelectedItems = front->siReleasingSelectedItems();
    }
    const ZEVSpaceKeyResult result = spaceKeyResult(qtKey, state);
    using A = ZEVSpaceKeyAction;
    switch (result.action) {
    case A::None:
        break;
    case A::RecallSearch:
        if (front)
            front->userRecallSearch();
        break;
    case A::RecallNow:
        if (front)
            front->userRecallNow();
        break;
    case A::StepBack:
        if (front)
            front->userStepBack();
        break;
    case A::ReleaseSearch:
        if (front)
            front->userReleaseSearch();
        break;
    case A::ReleaseNow:
        if (front)
            front->userReleaseNow();
        break;
    case A::HistoryNext:
        space_.menuHistoryNext();
        break;
    case A::HistoryPrevious:
        space_.menuHistoryPrevious();
        break;
    case A::ChannelUp:
        space_.host().menuAction(ZEVSpaceMenuAction::ChannelUp);
        break;
    case A::ChannelDown:
        space_.host().menuAction(ZEVSpaceMenuAction::ChannelDown);
        break;
    case A::SpaceCleanPrevious:
        space_.host().menuAction(ZEVSpaceMenuAction::SpaceCleanPrevious);
        break;
    case A::SpaceCleanNext:
        space_.host().menuAction(ZEVSpaceMenuAction::SpaceCleanNext);
        break;
    case A::GotoPrevious:
        space_.host().menuAction(ZEVSpaceMenuAction::GotoPrevious);
        break;
    case A::GotoNext:
        space_.host().menuAction(ZEVSpaceMenuAction::GotoNext);
        break;
    }
    return !result.passOn;
}

void ZEVSpaceKeyboard::flagsChanged(int key, Qt::KeyboardModifiers modifiers, bool siAcceptsFlagsChanges)
{
    if (siAcceptsFlagsChanges && space_.frontViewer())
        space_.frontViewer()->userChangeFlag(key, modifiers);
    if (!modifiers.testFlag(Qt::ControlModifier))
        space_.setBrowsedSpaceBackImageInt(0);
    if (!modifiers.testFlag(Qt::MetaModifier)) {
        space_.emptyPreviousImageItemIndexSet();
        space_.emptyNextImageLienIndexSet();
    }
}

void ZEVSpaceKeyboard::keyTyped()
{
    if (space_.frontViewer())
        space_.frontViewer()->userTypedKey();
}
} // namespace tallomer
