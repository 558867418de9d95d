#pragma once
// The Icons inspector, the least of it the Space asks for: its model answers whether an Object's
// icon lies on the active desk or on the Now desk, and the Object's title there. The panel comes
// with the inspector framework.

#include "inspectors/services/ZEVInspectorServices.h"
#include "space/ZEVSpaceParts.h"

namespace tallomer {

class ZEVSpaceController;

class ZEVIconClass final : public ZEVIconClassServices {
public:
    // `space` is not owned and outlives the model.
    explicit ZEVIconClass(ZEVSpaceController& space) : space_(space) {}
    std::optional<std::string> itemTitleForItem(KELI* item) override;
    bool isItemActif(KELI* item) override;
    bool isItemActifNow(KELI* item) override;

private:
    bool siIconAuCurseur(KELI* item, KELICurseur* curseur);
    ZEVSpaceController& space_;
};

class ZEVIconViewer final : public ZEVEntityViewer, public ZEVIconViewerServices {
public:
    ZEVIconViewer(ZEVSpaceController& space, KELId entityInt) : ZEVEntityViewer(entityInt), model_(space) {}
    ZEVIconClassServices* iconClass() override { return &model_; }

private:
    ZEVIconClass model_;
};

} // namespace tallomer
