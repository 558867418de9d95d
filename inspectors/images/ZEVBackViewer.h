#pragma once
// The Images inspector as far as the inspector framework makes it: its panel opens, moves and
// closes; its rows come with the Images inspector itself.

#include "inspectors/base/ZEVLeastInspector.h"

namespace tallomer {

class ZEVBackViewer final : public ZEVLeastInspectViewer<ZEVBackView> {
public:
    using ZEVLeastInspectViewer::ZEVLeastInspectViewer;
};

} // namespace tallomer
