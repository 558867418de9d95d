#pragma once
// The least of an inspector kind whose own parts are still to come: its model on the base (the
// active cursor and the Channel followed, every list the base's default), its controller (its
// panel, closed through the toggle bar by its close button) and its panel with the kind's keys.

#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"

#include <memory>

namespace tallomer {

template <class Panel>
class ZEVLeastInspectViewer : public ZEVInspectViewer {
public:
    ZEVLeastInspectViewer(ZEVSpaceController& space, KELId entityInt)
        : ZEVInspectViewer(space, entityInt), model_(space)
    {
    }
    ZEVInspectClass* inspectClass() override { return &model_; }
    void buttonInspectCancel() override { fermerParLaBarre(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override
    {
        ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
        model_.channelDidChangeWithIdentityInt(identityInt);
    }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<Panel>(*this); }

private:
    ZEVInspectClass model_;
};

} // namespace tallomer
