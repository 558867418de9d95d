#pragma once
// The one application identity: D-Bus name, desktop file and private pasteboard type derive from it.

namespace tallomer {
inline constexpr const char* kAppId = "org.tallomer.Tallomer";
inline constexpr const char* kAppName = "Tallomer";
inline constexpr const char* kItemPasteboardType = "org.tallomer.Tallomer.ZEVItemPB";
// KeyTime steps, and the rows dragged inside one step table.
inline constexpr const char* kStepPasteboardType = "org.tallomer.Tallomer.ZEVStepPB";
inline constexpr const char* kMovedRowsPasteboardType = "org.tallomer.Tallomer.ZEVMovedRowsPB";
} // namespace tallomer
