#pragma once
// The Links inspector's controller, as far as it is built: it makes the model at start-up, has it
// count the links of the visible range and listen to the engine, and passes on the changes of
// Channel and of active cursor; its panel opens, moves and closes.

#include "inspectors/base/ZEVLeastInspector.h"
#include "inspectors/links/ZEVLinkClass.h"

namespace tallomer {

class ZEVSpaceController;

class ZEVLinkViewer final : public ZEVInspectViewer, public ZEVLinkViewerServices {
public:
    ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt);
    ZEVLinkClassServices* linkClass() override { return &model_; }
    ZEVLinkClass& model() { return model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    void buttonInspectCancel() override { fermerParLaBarre(); }
    // The front mode's link pairs forgotten for good: every link of each pair, its drawn line on
    // both desks and its row; a beep when the mode gives none.
    void userDelete() override;

    void channelDidChangeWithIdentityInt(KELId identityInt) override;

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVLinkView>(*this); }

private:
    ZEVLinkClass model_;
};

} // namespace tallomer
