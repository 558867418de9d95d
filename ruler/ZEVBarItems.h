#pragma once
// The items of the front's bars that the window menu, the ruler bar's menu and the strip's menu
// all carry: their tags, and the state each shows when its menu opens.

class QAction;

namespace tallomer {

class ZEVContextViewerServices;
class ZEVFrontViewerServices;

enum ZEVBarTag : int {
    ZEVBarTagTimebar = 2,
    ZEVBarTagTline = 3,
    ZEVBarTagTracks = 4,
    ZEVBarTagToolbar = 5,
    ZEVBarTagChannels = 2000194,
};

// The item checked while its bar is open (the Channels item while the context bar shows the
// Channels); false, and the item left alone, for another tag.
bool ZEVCocherItemDeBarre(QAction* item, ZEVFrontViewerServices* front, ZEVContextViewerServices* context);

} // namespace tallomer
