#pragma once
// A Space transition: the current Space of the current Channel ends at a moment T and a new one
// starts, in stages that let the panels, cursors, header views and animations settle between
// them. The seven kinds and what each stage does for them.

#include "runtime/Date.h"

#include <functional>

#include <vector>

class KELI;

namespace tallomer {

enum class ZEVTransitionKind {
    StartHome = 0,        // to the Home Time and the home Channel, the pointer hidden
    Start = 1,            // the same without the Channel or the pointer
    CleanAll = 2,         // a new Space, same background, no Objects
    CleanAndRecall = 3,   // a new Space, same background, the selected Objects
    CleanAndRecallBack = 4, // the same with the Search desk's background
    CleanAndReplace = 5,  // a new Space with the Search desk's Objects and background
    NewSpace = 6,         // a new Space from the active cursor with a given background
};

struct ZEVSpaceTransition {
    ZEVTransitionKind kind = ZEVTransitionKind::Start;
    // The Objects kept (recall kinds and Clean and Replace), in order.
    std::vector<KELI*> items;
    // The new background (Recall Back, Replace, New Space); the scale word's id is used.
    KELI* backImageItem = nullptr;
    KELI* backColorItem = nullptr;
    KELI* backScaleMot = nullptr;
    // Where the old Space ends and the new begins (set at stage 1).
    KELDate T = 0;
    // New Space: makes the background above inside the transition's act; false when it cannot.
    std::function<bool(ZEVSpaceTransition&)> make;
    // Told once whether the store kept the transition's act (false when none was stored).
    std::function<void(bool stored)> done;

    ZEVSpaceTransition() = default;
    explicit ZEVSpaceTransition(ZEVTransitionKind k) : kind(k) {}

    int option() const { return int(kind); }
    bool starts() const { return option() <= 1; }
    // The kinds that make the new Space on the Now desk from kept Objects.
    bool keepsObjects() const { return option() >= 3 && option() <= 5; }
    // The kinds whose background comes from elsewhere than the desk's own.
    bool takesBackground() const { return option() >= 4; }
    // Recall kinds end once the selections are empty; the header views stay.
    bool endsAtStage5() const { return option() == 3 || option() == 4; }
};

// The waits between stages, in seconds.
struct ZEVTransitionDelays {
    static constexpr double kQuickLook = 0.4;
    static constexpr double kPanelsClosed = 0.9;
    static constexpr double kCursorSwitch = 0.3;
    static constexpr double kHomeTime = 1.7;
    static constexpr double kModeSwitch = 0.4;
    static constexpr double kDeselect = 0.3;
    static constexpr double kAfterHeaders = 0.3;
    // A start asked while a cursor moves asks again this much later.
    static constexpr double kRetry = 0.3;
};

} // namespace tallomer
