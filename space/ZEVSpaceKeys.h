#pragma once
// What a key pressed in the Space window does: Return recalls, Delete releases, the arrows move
// between Channels, history marks and Spaces, Ctrl with A, C, X or V selects all, copies, cuts or
// pastes on the active desk. Kept apart from the window so that the whole table
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
    // The desk's edit commands, which the main menu will carry.
    SelectAll,
    Copy,
    Cut,
    Paste,
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
