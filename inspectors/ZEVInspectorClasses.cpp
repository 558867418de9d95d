#include "inspectors/ZEVInspectorClasses.h"

#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "space/ZEVSpaceParts.h"

namespace tallomer {

void ZEVRegisterInspectorClasses()
{
    ZEVEntityViewerClasses::ajouter("ZEVIconViewer", [](ZEVSpaceController& space, KELId entity) {
        return std::make_unique<ZEVIconViewer>(space, entity);
    });
    ZEVEntityViewerClasses::ajouter("ZEVLinkViewer", [](ZEVSpaceController& space, KELId entity) {
        return std::make_unique<ZEVLinkViewer>(space, entity);
    });
    ZEVEntityViewerClasses::ajouter("ZEVChannelViewer", [](ZEVSpaceController& space, KELId entity) {
        return std::make_unique<ZEVChannelViewer>(space, entity);
    });
}

} // namespace tallomer
