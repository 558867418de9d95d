#pragma once
// Registers the six inspector controllers by their class names, as the link base names them
// (ZEVIconViewer, ZEVLinkViewer, ZEVFileViewer, ZEVPersonViewer, ZEVBackViewer, ZEVChannelViewer),
// so that the Space makes them.

namespace tallomer {

void ZEVRegisterInspectorClasses();

} // namespace tallomer
