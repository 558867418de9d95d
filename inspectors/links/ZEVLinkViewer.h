#pragma once
// The Links inspector's controller, as far as it is built: it makes the model at start-up, has it
// count the links of the visible range and listen to the engine, and passes on the changes of
// Channel and of active cursor. The panel comes with the inspector framework.

#include "inspectors/links/ZEVLinkClass.h"
#include "space/ZEVSpaceParts.h"

namespace tallomer {

class ZEVSpaceController;

class ZEVLinkViewer final : public ZEVEntityViewer, public ZEVLinkViewerServices {
public:
    ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt);
    ZEVLinkClassServices* linkClass() override { return &model_; }
    ZEVLinkClass& model() { return model_; }

    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void actifCurseurDidChange() override;

private:
    ZEVSpaceController& space_; // not owned
    ZEVLinkClass model_;
};

} // namespace tallomer
