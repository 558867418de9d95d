#include "inspectors/ZEVInspectorClasses.h"

#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "space/ZEVSpaceParts.h"

namespace tallomer {

namespace {
template <class Viewer>
void inscrire(const char* className)
{
    ZEVEntityViewerClasses::ajouter(className, [](ZEVSpaceController& space, KELId entity) {
        return std::make_unique<Viewer>(space, entity);
    });
}
} // namespace

void ZEVRegisterInspectorClasses()
{
    inscrire<ZEVIconViewer>("ZEVIconViewer");
    inscrire<ZEVLinkViewer>("ZEVLinkViewer");
    inscrire<ZEVFileViewer>("ZEVFileViewer");
    inscrire<ZEVPersonViewer>("ZEVPersonViewer");
    inscrire<ZEVBackViewer>("ZEVBackViewer");
    inscrire<ZEVChannelViewer>("ZEVChannelViewer");
}

} // namespace tallomer
