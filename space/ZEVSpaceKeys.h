#pragma once
// What a key pressed in the Space window does: Return recalls, Delete releases, the arrows move
// between Channels, history marks and Spaces. The edit keys (Ctrl with A, C, X or V) are the main
// menu's, so that no key runs a command twice. Kept apart from the window so that the whole table
// can be checked without events.

#include <QKeyEvent>

namespace tallomer {

enum class ZEVSpaceKeyAction {
    None,
    RecallSearch,
    RecallNow,
    StepBack,
    ReleaseSearch,
    ReleaseNow,
    HistoryNext,
    HistoryPrevious,
    ChannelUp,
    ChannelDown,
    SpaceCleanPrevious,
    SpaceCleanNext,
    GotoPrevious,
    GotoNext,
};

// What the window knows when the key comes.
struct ZEVSpaceKeyState {
    bool searchActive = false;
    bool shift = false;
    // The Control key of the design, which is Meta here.
    bool control = false;
    // The Command key of the design, which is Ctrl here.
    bool command = false;
    bool recallingSelectedItems = false;    // something to recall at the active cursor
    bool recallingNowSelectedItems = false; // something to recall at Now from the Search desk
    bool releasingSelectedItems = false;
};

struct ZEVSpaceKeyResult {
    ZEVSpaceKeyAction action = ZEVSpaceKeyAction::None;
    // Whether the window's standard key handling also sees the key.
    bool passOn = true;
};

ZEVSpaceKeyResult spaceKeyResult(int qtKey, const ZEVSpaceKeyState& state);

} // namespace tallomer
