#pragma once
// The Contacts inspector's controller, as far as the inspector framework makes it and contact
// Objects need: its panel opens, moves and closes; its model answers for contact Objects. Its rows
// come with the Contacts inspector itself.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/contacts/ZEVPersonClass.h"
#include "inspectors/services/ZEVPersonClassServices.h"

namespace tallomer {

class ZEVPersonViewer final : public ZEVInspectViewer, public ZEVPersonViewerServices {
public:
    ZEVPersonViewer(ZEVSpaceController& space, KELId entityInt);

    ZEVInspectClass* inspectClass() override { return &model_; }
    ZEVPersonClass& model() { return model_; }
    ZEVPersonClassServices* personClass() override { return &model_; }
    // The retrieve panel, which binds the Object to another contact, comes with the Contacts
    // inspector's adding panels; until then the request is logged.
    void retrieveItem(KELI* item) override;

    void buttonInspectCancel() override { fermerParLaBarre(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override;

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override;

private:
    ZEVPersonClass model_;
};

} // namespace tallomer
