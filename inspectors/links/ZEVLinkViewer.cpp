#include "inspectors/links/ZEVLinkViewer.h"

#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVLinkViewer::ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVEntityViewer(entityInt), space_(space), model_(space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

void ZEVLinkViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVLinkViewer::actifCurseurDidChange() { model_.actifCurseurDidChangeForCurseur(space_.actifCurseur()); }

} // namespace tallomer
