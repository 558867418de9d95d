#pragma once
// The Contacts inspector as far as the inspector framework makes it: its panel opens, moves and
// closes; its rows come with the Contacts inspector itself.

#include "inspectors/base/ZEVLeastInspector.h"

namespace tallomer {

class ZEVPersonViewer final : public ZEVLeastInspectViewer<ZEVPersonView> {
public:
    using ZEVLeastInspectViewer::ZEVLeastInspectViewer;
};

} // namespace tallomer
