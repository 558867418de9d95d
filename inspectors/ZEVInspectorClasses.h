#pragma once
// Registers the inspector viewers built so far by their class names, as the link base names
// them (ZEVIconViewer, ZEVLinkViewer, ZEVChannelViewer), so that the Space makes them.

namespace tallomer {

void ZEVRegisterInspectorClasses();

} // namespace tallomer
