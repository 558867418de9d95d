#pragma once
// The Files inspector as far as the inspector framework makes it: its panel opens, moves and
// closes; its rows come with the Files inspector itself.

#include "inspectors/base/ZEVLeastInspector.h"

namespace tallomer {

class ZEVFileViewer final : public ZEVLeastInspectViewer<ZEVFileView> {
public:
    using ZEVLeastInspectViewer::ZEVLeastInspectViewer;
};

} // namespace tallomer
