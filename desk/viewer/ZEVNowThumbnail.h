#pragma once
// The picture every menu that goes back to Now shows beside its Now entry: the Now desk's
// background, with its colour and scale, for the current Channel.

#include <QIcon>

namespace tallomer {

class ZEVSpaceController;

// A null icon while there is no Now desk or nothing to draw.
QIcon ZEVNowBackThumbnail(ZEVSpaceController& space);

} // namespace tallomer
