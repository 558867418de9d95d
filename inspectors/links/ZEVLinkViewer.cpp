#include "inspectors/links/ZEVLinkViewer.h"

#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVLinkViewer::ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

void ZEVLinkViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

} // namespace tallomer
