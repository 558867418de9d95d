#include "space/ZEVSpaceKeys.h"

namespace tallomer {

ZEVSpaceKeyResult spaceKeyResult(int qtKey, const ZEVSpaceKeyState& s)
{
    using A = ZEVSpaceKeyAction;
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        A a;
        if (s.searchActive && s.shift)
            a = s.recallingSelectedItems ? A::RecallSearch : A::None;
        else if (s.searchActive)
            a = s.recallingNowSelectedItems ? A::RecallNow : A::StepBack;
        else
            a = s.recallingSelectedItems ? A::RecallNow : A::StepBack;
        return {a, true};
    }
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
        A a = A::None;
        if (s.searchActive && s.shift)
            a = s.releasingSelectedItems ? A::ReleaseSearch : A::StepBack;
        else if (!s.searchActive && !s.shift)
            a = s.releasingSelectedItems ? A::ReleaseNow : A::StepBack;
        return {a, false};
    }
    case Qt::Key_Escape:
        // The window's own Escape, when no Object view or list took it: the step back.
        return {A::StepBack, false};
    case Qt::Key_Up:
        return {s.control ? A::HistoryNext : A::ChannelUp, false};
    case Qt::Key_Down:
        return {s.control ? A::HistoryPrevious : A::ChannelDown, false};
    case Qt::Key_Left:
        return {s.control ? A::SpaceCleanPrevious : A::GotoPrevious, false};
    case Qt::Key_Right:
        return {s.control ? A::SpaceCleanNext : A::GotoNext, false};
    default:
        return {A::None, true};
    }
}

} // namespace tallomer
