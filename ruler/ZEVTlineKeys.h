#pragma once
// What a key typed on the timeline strip does: the arrows move between Channels, places and
// Spaces, Tab and the keys beside it walk the selection, Return and Delete recall and release,
// keypad Enter and Delete recall, retain, release and forget at either cursor, Ctrl+1 calls the
// Home Time. Kept apart from the strip so that the whole table can be checked without events.

#include "platform/Events.h"

namespace tallomer {

enum class ZEVTlineKeyAction {
    Default, // the key goes on as if the strip had not looked at it
    Nothing,
    ItemView, // the last visible Object view of the active desk takes the key
    ChannelUp,
    ChannelDown,
    HistoryNext,
    HistoryPrevious,
    GotoPrevious,
    GotoNext,
    SpaceCleanPrevious,
    SpaceCleanNext,
    SelectPrevious,
    SelectNext,
    Filter,
    ToggleQL,
    StepBack,
    RecallNow,
    RecallSearch,
    RetainNow,
    RetainSearch,
    ReleaseNow,
    ReleaseSearch,
    ForgetNow,
    ForgetSearch,
    CleanAll,
    CleanAndRecall,
    CleanAndRecallBack,
    CleanAndReplace,
    HomeTimePreset,
    // The key goes on as Ctrl+A.
    SelectAll,
};

struct ZEVTlineKeyState {
    bool searchActive = false;
    // The active desk shows Object views in the front mode and the front layer has the focus.
    bool itemViewsTakeKeys = false;
    bool lasso = false;
    bool releasingItems = false;
    bool recallingItems = false;
    bool recallingNowItems = false;
};

ZEVTlineKeyAction tlineKeyDown(const events::KeyInfo& key, const ZEVTlineKeyState& state);

} // namespace tallomer
