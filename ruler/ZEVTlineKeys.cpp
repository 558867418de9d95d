#include "ruler/ZEVTlineKeys.h"

namespace tallomer {

ZEVTlineKeyAction tlineKeyDown(const events::KeyInfo& key, const ZEVTlineKeyState& s)
{
    using A = ZEVTlineKeyAction;
    if (key.characters.isEmpty())
        return A::Nothing;
    const std::uint32_t f = key.flags;
    const bool cmd = events::hasFlag(f, keys::kCommandFlag);
    const bool opt = events::hasFlag(f, keys::kOptionFlag);
    const bool ctl = events::hasFlag(f, keys::kControlFlag);
    const bool shift = events::hasFlag(f, keys::kShiftFlag);
    const char16_t c = key.characters.at(0).unicode();

    if (events::hasFlag(f, keys::kNumericPadFlag)) {
        if (s.itemViewsTakeKeys)
            return A::ItemView;
        if (key.characters.size() != 1 || s.lasso)
            return A::Nothing;
        switch (c) {
        case events::kUpArrowCharacter:
            return ctl ? A::HistoryNext : A::ChannelUp;
        case events::kDownArrowCharacter:
            return ctl ? A::HistoryPrevious : A::ChannelDown;
        case events::kLeftArrowCharacter:
            return ctl ? A::SpaceCleanPrevious : A::GotoPrevious;
        case events::kRightArrowCharacter:
            return ctl ? A::SpaceCleanNext : A::GotoNext;
        default:
            return A::Nothing;
        }
    }

    switch (key.keyCode) {
    case events::kKeySection:
        return A::SelectPrevious;
    case events::kKeyTab:
        return A::SelectNext;
    case events::kKeyBackslash:
        return shift ? A::SelectPrevious : A::SelectNext;
    default:
        break;
    }
    if (key.repeat)
        return A::Nothing;
    if ((c == u'F' && !cmd) || (c == u'f' && opt && !cmd))
        return A::Filter;
    // Any modifier at all keeps the preview closed.
    if (c == u' ' && f == 0)
        return A::ToggleQL;

    switch (key.keyCode) {
    case events::kKeyDelete:
        if (s.searchActive)
            return shift ? (s.releasingItems ? A::ReleaseSearch : A::StepBack) : A::Nothing;
        return shift ? A::Nothing : (s.releasingItems ? A::ReleaseNow : A::StepBack);
    case events::kKeyKeypadEnter:
        if (ctl) {
            if (cmd)
                return A::CleanAndRecallBack;
            if (shift)
                return A::CleanAndRecall;
            return s.searchActive ? A::CleanAndReplace : A::Nothing;
        }
        if (cmd)
            return shift ? A::RetainSearch : A::RecallSearch;
        return shift ? A::RetainNow : A::RecallNow;
    case events::kKeyForwardDelete:
        if (ctl)
            return s.searchActive ? A::Nothing : A::CleanAll;
        if (cmd)
            return shift ? A::ForgetSearch : A::ReleaseSearch;
        return shift ? A::ForgetNow : A::ReleaseNow;
    case events::kKeyOne:
        return cmd ? A::HomeTimePreset : A::Default;
    case events::kKeyReturn:
        if (s.searchActive && shift)
            return s.recallingItems ? A::RecallSearch : A::Nothing;
        if (s.searchActive)
            return s.recallingNowItems ? A::RecallNow : A::StepBack;
        return s.recallingItems ? A::RecallNow : A::StepBack;
    default:
        break;
    }
    if ((c == u'A' && cmd) || (c == u'a' && cmd && opt))
        return A::SelectAll;
    return A::Default;
}

} // namespace tallomer
