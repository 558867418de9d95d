#pragma once
// Calling a preset of the ruler bar (stamps 2000009 to 2000017) from the keyboard or the menus:
// the cursor the preset moves becomes active first.

#include "engine/KELTypes.h"

namespace tallomer {

class ZEVSpaceController;

class ZEVRulerPresets {
public:
    explicit ZEVRulerPresets(ZEVSpaceController& space) : space_(space) {}
    ZEVRulerPresets(const ZEVRulerPresets&) = delete;
    ZEVRulerPresets& operator=(const ZEVRulerPresets&) = delete;

    void userChangePresetWithStampInt(KELId stamp);

private:
    ZEVSpaceController& space_;
};

} // namespace tallomer
