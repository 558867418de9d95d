// The main menu's one table: every item with its menu, tag, title and action, and the keys set
// by physical key.

#include "app/menu/KELMainMenu.h"

#include "platform/Keys.h"

namespace tallomer {

namespace {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kCmd = keys::kCommandFlag;
constexpr std::uint32_t kCtl = keys::kControlFlag;
constexpr std::uint32_t kSh = keys::kShiftFlag;
} // namespace

// Menu tags below 100 are main-menu submenus; 4333 (Handle), 4321 (Open With), 300 and 301 (the
// zoom submenus, whose items carry those tags) and 2000000 (presets) are submenus inside them.
const std::vector<KELMainMenu::Entry>& KELMainMenu::table()
{
    static const std::vector<Entry> entries = {
        // The application menu.
        {kMenuApplication, 0, "Preferences…", "showPreferences:"},
        {kMenuApplication, 0, nullptr, nullptr},
        {kMenuApplication, 0, "Export Tallomer…", "menuExport:"},
        {kMenuApplication, 0, "Import Tallomer…", "menuImport:"},
        {kMenuApplication, 0, "Uninstall Tallomer…", "menuUninstall:"},
        {kMenuApplication, 0, nullptr, nullptr},
        {kMenuApplication, 0, "Hide Others", "hideOtherApplications:"},
        {kMenuApplication, 0, nullptr, nullptr},
        {kMenuApplication, 0, "Quit Tallomer", "terminate:"},

        // File: the KeyTime documents.
        {kMenuFile, 1, "New KeyTime Document", "newKeyTimeDocument:"},
        {kMenuFile, 2, "Open KeyTime Document…", "openKeyTimeDocument:"},
        {kMenuFile, 0, nullptr, nullptr},
        {kMenuFile, 3, "Save", "saveKeyTimeDocument:"},
        {kMenuFile, 4, "Save As…", "saveKeyTimeDocumentAs:"},
        {kMenuFile, 0, nullptr, nullptr},
        {kMenuFile, 5, "Add Step", "keyTimeAddStep:"},
        {kMenuFile, 6, "Start KeyTime", "keyTimeStartStop:", "_menuKeyTimeStart"},
        {kMenuFile, 0, nullptr, nullptr},
        {kMenuFile, 0, "Import…", "menuActionImport:"},

        // Edit.
        {kMenuEdit, 100, "Cut", "cut:"},
        {kMenuEdit, 101, "Copy", "copy:"},
        {kMenuEdit, 102, "Paste", "paste:"},
        {kMenuEdit, 103, "Select All", "selectAll:"},
        {kMenuEdit, 104, "Deselect All", "menuDeselect:"},
        {kMenuEdit, 105, "Swap", "menuSwap:"},
        {kMenuEdit, 106, "Select Next", "menuSelectNext:"},
        {kMenuEdit, 107, "Select Previous", "menuSelectPrevious:"},
        {kMenuEdit, 0, nullptr, nullptr},
        {kMenuEdit, 6, "Recall Now", "menuActionRecallNow:"},
        {kMenuEdit, 65, "Retain Now", "menuActionRetainNow:"},
        {kMenuEdit, 62, "Release Now", "menuActionReleaseNow:"},
        {kMenuEdit, 63, "Forget Now", "menuActionForgetNow:"},
        {kMenuEdit, 0, nullptr, nullptr},
        {kMenuEdit, 4, "Recall Search", "menuActionRecallSearch:"},
        {kMenuEdit, 5, "Retain Search", "menuActionRetainSearch:"},
        {kMenuEdit, 2, "Release Search", "menuActionReleaseSearch:"},
        {kMenuEdit, 3, "Forget Search", "menuActionForgetSearch:"},
        {kMenuEdit, 0, nullptr, nullptr},
        {kMenuEdit, 110, "Swap Icons", "menuSwapIcons:"},
        {kMenuEdit, 111, "Swap Titles", "menuSwapTitles:"},
        {kMenuEdit, 112, "Delete", "menuActionDelete:"},

        // Object.
        {kMenuObject, 1, "Open", "menuActionOpen:"},
        {kMenuObject, 0, "Open Overfly", "menuActionOpenOverfly:", "_menuObjectOpenOverfly"},
        {kMenuObject, 4321, "Open With", nullptr},
        {kMenuObject, 523, "Quick Look", "menuActionOpenQL:"},
        {kMenuObject, 522, "Get Info", "menuActionGetInfo:", "_menuObjectGetInfo"},
        {kMenuObject, 4333, "Handle", nullptr},
        {kMenuObject, 0, nullptr, nullptr},
        {kMenuObject, 31, "Add…", "menuActionAdd:"},
        {kMenuObject, 33, "Add Documents…", "menuAddDocuments:"},
        {kMenuObject, 34, "New Folder…", "menuAddFolder:"},
        {kMenuObject, 35, "Add Person…", "menuAddPerson:"},
        {kMenuObject, 13, "Remove", "menuActionDelete:"},
        {kMenuObject, 0, nullptr, nullptr},
        {kMenuObject, 32, "Find", "menuActionFind:"},
        {kMenuObject, 36, "Find in Channels", "menuActionFindInChannels:"},
        {kMenuObject, 37, "Find Text in Channels", "menuActionFindTextInChannels:"},
        {kMenuObject, 7, "Filter", "menuActionFilter:", "_menuObjectFilter"},
        {kMenuObject, 0, nullptr, nullptr},
        {kMenuObject, 5741, "Previous in the List", "menuActionGotoPreviousSameSpace:"},
        {kMenuObject, 5742, "Next in the List", "menuActionGotoNextSameSpace:"},
        {kMenuObject, 0, "Send to Back", "menuSendToBack:", "_menuObjectSendToBack"},
        {kMenuObject, 0, "Send to Front", "menuSendToFront:", "_menuObjectSendToFront"},
        {kMenuObject, 0, nullptr, nullptr},
        {kMenuObject, 0, "Quick Look Icon", "menuOptionQLIcon:", "_menuObjectOptionQLIcon"},
        {kMenuObject, 0, "Always Show Title", "menuOptionShowTitle:", "_menuObjectOptionAlwaysTitle"},
        {kMenuObject, 0, "Edit Title", "menuOptionEditTitle:", "_menuObjectOptionEditTitle"},
        {kMenuObject, 0, "Animate", "menuOptionIsAnimated:", "_menuObjectOptionIsAnimated"},
        {kMenuObject, 0, "Open on Click", "menuOptionOpenOnClick:", "_menuObjectOptionOpenOnClick"},
        {kMenuObject, 0, nullptr, nullptr},
        {kMenuObject, 2000003, "Icons Inspector", "menuEntityOpen:"},
        {kMenuObject, 2000004, "Links Inspector", "menuEntityOpen:"},
        // Handle.
        {4333, 21, "Move To…", "menuActionMoveTo:"},
        {4333, 20, "Move To Space", "menuActionMoveToSpace:"},
        {4333, 23, "Copy To…", "menuActionCopyTo:"},
        {4333, 22, "Copy To Space", "menuActionCopyToSpace:"},
        {4333, 25, "Duplicate To…", "menuActionDuplicateTo:"},
        {4333, 24, "Duplicate To Space", "menuActionDuplicateToSpace:"},
        {4333, 60, "Show Original", "menuActionShowOriginal:"},

        // Time.
        {kMenuTime, 1, "Now", "menuTLNow:"},
        {kMenuTime, 11, "Zoom Now to Today", "menuZoomThisDay:"},
        {kMenuTime, 12, "Zoom Now to This Week", "menuZoomThisWeek:"},
        {kMenuTime, 13, "Zoom Now to This Month", "menuZoomThisMonth:"},
        {kMenuTime, 2, "Search", "menuTLSearch:"},
        {kMenuTime, 21, "Zoom Search to Its Day", "menuZoomThisDay:"},
        {kMenuTime, 22, "Zoom Search to Its Week", "menuZoomThisWeek:"},
        {kMenuTime, 3, "Ruler", "menuTLRuler:"},
        {kMenuTime, 0, nullptr, nullptr},
        {kMenuTime, 24, "Calendar", "menuViewCalandar:"},
        {kMenuTime, 26, "Go To…", "menuTimeGoTo:"},
        {kMenuTime, 25, "Go to Now", "menuTimeGoNow:"},
        {kMenuTime, 0, nullptr, nullptr},
        {kMenuTime, 31, "Zoom", nullptr},
        {kMenuTime, 32, "Zoom the Ruler", nullptr},
        {kMenuTime, 33, "Save Home Time", "menuPresetSaveHome:"},
        {kMenuTime, 0, nullptr, nullptr},
        {kMenuTime, 2000009, "Home Time", "menuPresetHome:"},
        {kMenuTime, 2000010, "Preset 2", "menuPreset:"},
        {kMenuTime, 2000011, "Preset 3", "menuPreset:"},
        {kMenuTime, 2000012, "Preset 4", "menuPreset:"},
        {kMenuTime, 2000013, "Preset 5", "menuPreset:"},
        {kMenuTime, 2000014, "Preset 6", "menuPreset:"},
        {kMenuTime, 2000015, "Preset 7", "menuPreset:"},
        {kMenuTime, 2000016, "Preset 8", "menuPreset:"},
        {kMenuTime, 2000017, "Preset 9", "menuPreset:"},
        // The zooms around the active cursor (tag 300) and of the ruler itself (tag 301).
        {300, 300, "This Minute", "menuZoomThisMinute:"},
        {300, 300, "This Hour", "menuZoomThisHour:"},
        {300, 300, "This Day", "menuZoomThisDay:"},
        {300, 300, "This Week", "menuZoomThisWeek:"},
        {300, 300, "This Month", "menuZoomThisMonth:"},
        {300, 300, "This Quarter", "menuZoomThisQuarter:"},
        {300, 300, "This Year", "menuZoomThisYear:"},
        {300, 0, nullptr, nullptr},
        {300, 300, "Previous Minute", "menuZoomPrevMinute:"},
        {300, 300, "Previous Hour", "menuZoomPrevHour:"},
        {300, 300, "Previous Day", "menuZoomPrevDay:"},
        {300, 300, "Previous Week", "menuZoomPrevWeek:"},
        {300, 300, "Previous Month", "menuZoomPrevMonth:"},
        {300, 300, "Previous Six Months", "menuZoomPrevSixMonth:"},
        {300, 300, "Previous Year", "menuZoomPrevYear:"},
        {300, 0, nullptr, nullptr},
        {300, 300, "Next Minute", "menuZoomNextMinute:"},
        {300, 300, "Next Hour", "menuZoomNextHour:"},
        {300, 300, "Next Day", "menuZoomNextDay:"},
        {300, 300, "Next Week", "menuZoomNextWeek:"},
        {300, 300, "Next Month", "menuZoomNextMonth:"},
        {300, 300, "Next Six Months", "menuZoomNextSixMonth:"},
        {300, 300, "Next Year", "menuZoomNextYear:"},
        {301, 301, "This Minute", "menuZoomThisMinute:"},
        {301, 301, "This Hour", "menuZoomThisHour:"},
        {301, 301, "This Day", "menuZoomThisDay:"},
        {301, 301, "This Week", "menuZoomThisWeek:"},
        {301, 301, "This Month", "menuZoomThisMonth:"},
        {301, 301, "This Quarter", "menuZoomThisQuarter:"},
        {301, 301, "This Year", "menuZoomThisYear:"},
        {301, 0, nullptr, nullptr},
        {301, 301, "Previous Minute", "menuZoomPrevMinute:"},
        {301, 301, "Previous Hour", "menuZoomPrevHour:"},
        {301, 301, "Previous Day", "menuZoomPrevDay:"},
        {301, 301, "Previous Week", "menuZoomPrevWeek:"},
        {301, 301, "Previous Month", "menuZoomPrevMonth:"},
        {301, 301, "Previous Six Months", "menuZoomPrevSixMonth:"},
        {301, 301, "Previous Year", "menuZoomPrevYear:"},
        {301, 0, nullptr, nullptr},
        {301, 301, "Next Minute", "menuZoomNextMinute:"},
        {301, 301, "Next Hour", "menuZoomNextHour:"},
        {301, 301, "Next Day", "menuZoomNextDay:"},
        {301, 301, "Next Week", "menuZoomNextWeek:"},
        {301, 301, "Next Month", "menuZoomNextMonth:"},
        {301, 301, "Next Six Months", "menuZoomNextSixMonth:"},
        {301, 301, "Next Year", "menuZoomNextYear:"},

        // Inspectors.
        {kMenuInspectors, 2000003, "Icons", "menuEntityOpen:"},
        {kMenuInspectors, 2000004, "Links", "menuEntityOpen:"},
        {kMenuInspectors, 2000005, "Files", "menuEntityOpen:"},
        {kMenuInspectors, 2000006, "Contacts", "menuEntityOpen:"},
        {kMenuInspectors, 2000007, "Images", "menuEntityOpen:"},
        {kMenuInspectors, 2000194, "Channels", "menuEntityOpen:"},
        {kMenuInspectors, 0, nullptr, nullptr},
        {kMenuInspectors, 50, "Close All", "menuEntityCloseAll:"},

        // Front modes.
        {kMenuModes, 1, "Icons", "menuModeIcon:"},
        {kMenuModes, 2, "Titles", "menuModeTitle:"},
        {kMenuModes, 3, "Filters", "menuModeFilter:"},
        {kMenuModes, 4, "Links", "menuModeLink:"},

        // View.
        {kMenuView, 1, "Menu Bar", "menuToggleMacMenu:"},
        {kMenuView, 2, "Time Bar", "menuToggleTimebar:"},
        {kMenuView, 3, "Timeline", "menuToggleTline:"},
        {kMenuView, 4, "Tracks", "menuToggleTracks:"},
        {kMenuView, 5, "Toolbar", "menuToggleToolbar:"},
        {kMenuView, 2000194, "Channels", "menuEntityOpen:"},
        {kMenuView, 0, nullptr, nullptr},
        {kMenuView, 0, "Show Titles", "menuOptionShowTitle:", "_menuViewShowTitle"},
        {kMenuView, 0, "Show Animation", "menuOptionIsAnimated:", "_menuViewShowAnimation"},
        {kMenuView, 0, nullptr, nullptr},
        {kMenuView, 10, "Icons", nullptr},
        {kMenuView, 51, "Deselect All Icons", "menuDeselect:"},
        {kMenuView, 52, "Swap Icons", "menuSwapIcons:"},
        {kMenuView, 20, "Titles", nullptr},
        {kMenuView, 53, "Deselect All Titles", "menuDeselect:"},
        {kMenuView, 54, "Swap Titles", "menuSwapTitles:"},
        {kMenuView, 30, "Links", nullptr},
        {kMenuView, 55, "Deselect All Links", "menuDeselect:"},
        {kMenuView, 40, "Filters", nullptr},
        {kMenuView, 57, "Deselect All Filters", "menuDeselect:"},
        {kMenuView, 58, "Swap Filters", "menuSwap:"},
        {kMenuView, 56, "Swap", "menuSwap:"},
        {kMenuView, 0, nullptr, nullptr},
        {kMenuView, 5732, "Full Screen", "menuToggleFullScreen:"},
        {kMenuView, 5733, "Show Desktop", "hideOtherApplications:"},
        {kMenuView, 5734, "Keep in Front", "menuToggleFront:"},
        {kMenuView, 0, nullptr, nullptr},
        {kMenuView, 0, "Close Window", "menuClose:"},
        {kMenuView, 0, "Minimize", "menuMiniaturize:"},

        // Spaces: the listed Spaces go from index 12.
        {kMenuSpaces, 40, "Clean All", "menuSpaceClean:"},
        {kMenuSpaces, 41, "Clean and Recall", "menuSpaceCleanAndRecall:"},
        {kMenuSpaces, 44, "Clean and Recall Back", "menuSpaceCleanAndRecallBack:"},
        {kMenuSpaces, 43, "Clean and Replace", "menuSpaceCleanAndReplace:"},
        {kMenuSpaces, 5744, "New Space…", "menuSpaceNew:"},
        {kMenuSpaces, 0, "Rename Space…", "menuSpaceRename:"},
        {kMenuSpaces, 5740, "Previous Space", "menuActionGotoPrevious:"},
        {kMenuSpaces, 5743, "Next Space", "menuActionGotoNext:"},
        {kMenuSpaces, 0, "Step Back", "menuSpaceStepBack:"},
        {kMenuSpaces, 0, "Copy Place", "menuCopyZevSpace:"},
        {kMenuSpaces, 0, nullptr, nullptr},
        {kMenuSpaces, 2000009, "Now", "menuPresetHome:"},
        {kMenuSpaces, 0, nullptr, nullptr},
        {kMenuSpaces, 0, "Previous Distinct Space", "menuSpaceCleanPreviousDistinct:"},
        {kMenuSpaces, 0, "Next Distinct Space", "menuSpaceCleanNextDistinct:"},
        {kMenuSpaces, 0, "Previous Space in the List", "menuSpaceCleanPrevious:"},
        {kMenuSpaces, 0, "Next Space in the List", "menuSpaceCleanNext:"},
        {kMenuSpaces, 0, "Start at Home", "menuSpaceStart:"},

        // Channels: the listed Channels go from index 6.
        {kMenuChannels, 0, "New Channel…", "menuChannelAdd:"},
        {kMenuChannels, 0, "Rename Channel…", "menuChannelRename:"},
        {kMenuChannels, 0, "Set as Home", "menuChannelSetAsHome:"},
        {kMenuChannels, 0, "Bind to the Drop Folder", "menuChannelSetAsZevFolder:"},
        {kMenuChannels, 0, "Home Channel", "menuChannelSelectHome:"},
        {kMenuChannels, 0, "Copy Moment", "menuCopyZevTime:"},
        {kMenuChannels, 0, nullptr, nullptr},
        {kMenuChannels, 0, "Channel Up", "menuActionChannelUp:"},
        {kMenuChannels, 0, "Channel Down", "menuActionChannelDown:"},

        // History: the marks go from index 0.
        {kMenuHistory, 0, nullptr, nullptr},
        {kMenuHistory, 0, "Back", "menuHistoryPrevious:"},
        {kMenuHistory, 0, "Forward", "menuHistoryNext:"},
        {kMenuHistory, 0, "Clear History", "menuHistoryDelete:"},

        // Help.
        {kMenuHelp, 0, "Tallomer User Guide", "menuHelpShowUserGuide:"},
    };
    return entries;
}

// The keys by physical key, in the order they are set (mac key codes; the US key in comments).
const std::vector<KELMainMenu::KeyEntry>& KELMainMenu::keyTable()
{
    static const std::vector<KeyEntry> keys = {
        {kMenuView, 5734, nullptr, 1, kCtl},   // S
        {kMenuView, 5733, nullptr, 2, kCtl},   // D
        {kMenuView, 5732, nullptr, 3, kCtl},   // F
        {kMenuSpaces, 5744, nullptr, 45, kCtl}, // N
        {kMenuSpaces, 5740, nullptr, 32, kNone}, // U
        {kMenuSpaces, 5743, nullptr, 34, kNone}, // I
        {kMenuObject, 5741, nullptr, 31, kNone}, // O
        {kMenuObject, 5742, nullptr, 35, kNone}, // P
        {kMenuObject, 0, "_menuObjectSendToBack", 11, kNone},  // B
        {kMenuObject, 0, "_menuObjectSendToFront", 45, kNone}, // N
        {kMenuObject, 31, nullptr, 45, kCmd},  // N
        {kMenuObject, 33, nullptr, 45, kSh},   // N
        {kMenuObject, 32, nullptr, 3, kCmd},   // F
        {kMenuObject, 7, nullptr, 3, kNone},   // F
        {kMenuObject, 0, "_menuObjectOptionQLIcon", 12, kNone},      // Q
        {kMenuObject, 0, "_menuObjectOptionAlwaysTitle", 13, kNone}, // W
        {kMenuObject, 0, "_menuObjectOptionEditTitle", 14, kNone},   // E
        {kMenuObject, 0, "_menuObjectOptionIsAnimated", 15, kNone},  // R
        {kMenuObject, 1, nullptr, 31, kCmd},   // O
        {kMenuObject, 522, nullptr, 34, kCmd}, // I
        {4333, 21, nullptr, 1, kCmd},          // S
        {4333, 23, nullptr, 40, kCmd},         // K
        {4333, 25, nullptr, 2, kCmd},          // D
        {4333, 20, nullptr, 1, kCmd | kSh},    // S
        {4333, 22, nullptr, 40, kCmd | kSh},   // K
        {4333, 24, nullptr, 2, kCmd | kSh},    // D
        {4333, 60, nullptr, 15, kCmd},         // R
        {kMenuEdit, 105, nullptr, 39, kNone},  // '
        {kMenuEdit, 106, nullptr, 48, kNone},  // Tab
        {kMenuEdit, 107, nullptr, 10, kNone},  // section (ISO)
        {kMenuTime, 1, nullptr, 0, kNone},     // A
        {kMenuTime, 2000009, nullptr, 4, kNone}, // H
        {kMenuTime, 2000010, nullptr, 19, kCmd}, // 2
        {kMenuTime, 2000011, nullptr, 20, kCmd}, // 3
        {kMenuTime, 2000012, nullptr, 21, kCmd}, // 4
        {kMenuTime, 2000013, nullptr, 23, kCmd}, // 5
        {kMenuTime, 2000014, nullptr, 22, kCmd}, // 6
        {kMenuTime, 2000015, nullptr, 26, kCmd}, // 7
        {kMenuTime, 2000016, nullptr, 28, kCmd}, // 8
        {kMenuTime, 2000017, nullptr, 25, kCmd}, // 9
        {kMenuTime, 2, nullptr, 1, kNone},     // S
        {kMenuTime, 24, nullptr, 40, kNone},   // K
        {kMenuTime, 26, nullptr, 5, kNone},    // G
        {kMenuTime, 25, nullptr, 38, kNone},   // J
        {kMenuTime, 3, nullptr, 2, kNone},     // D
        {kMenuInspectors, 2000003, nullptr, 18, kNone}, // 1
        {kMenuInspectors, 2000004, nullptr, 19, kNone}, // 2
        {kMenuInspectors, 50, nullptr, 29, kNone},      // 0
        {kMenuInspectors, 2000005, nullptr, 20, kNone}, // 3
        {kMenuInspectors, 2000006, nullptr, 21, kNone}, // 4
        {kMenuInspectors, 2000007, nullptr, 23, kNone}, // 5
        {kMenuInspectors, 2000194, nullptr, 22, kNone}, // 6
        {kMenuModes, 1, nullptr, 6, kNone},    // Z
        {kMenuModes, 2, nullptr, 7, kNone},    // X
        {kMenuModes, 4, nullptr, 8, kNone},    // C
        {kMenuModes, 3, nullptr, 9, kNone},    // V
        {kMenuView, 1, nullptr, 46, kNone},    // M
        {kMenuView, 2, nullptr, 43, kNone},    // ,
        {kMenuView, 3, nullptr, 47, kNone},    // .
        {kMenuView, 4, nullptr, 44, kSh},      // /
        {kMenuView, 5, nullptr, 44, kNone},    // /
        {kMenuView, 2000194, nullptr, 44, kCmd}, // /
        {kMenuView, 0, "_menuViewShowTitle", 17, kNone},     // T
        {kMenuView, 0, "_menuViewShowAnimation", 16, kNone}, // Y
        {kMenuView, 52, nullptr, 37, kNone},   // L
    };
    return keys;
}

} // namespace tallomer
