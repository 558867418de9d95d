#pragma once
// The one application identity: D-Bus name, desktop file and private pasteboard type derive from it.

namespace tallomer {
inline constexpr const char* kAppId = "org.tallomer.Tallomer";
inline constexpr const char* kAppName = "Tallomer";
inline constexpr const char* kItemPasteboardType = "org.tallomer.Tallomer.ZEVItemPB";
} // namespace tallomer
