#include "inspectors/contacts/ZEVPersonViewer.h"

#include "engine/KELLien.h"
#include "runtime/Log.h"

namespace tallomer {

ZEVPersonViewer::ZEVPersonViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(space, this)
{
}

void ZEVPersonViewer::retrieveItem(KELI* item)
{
    logFormat("ZEVPersonViewer retrieveItem: no contact to bind Object %ld to yet", item ? long(item->idInt()) : 0L);
}

void ZEVPersonViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

std::unique_ptr<ZEVInspectView> ZEVPersonViewer::creerInspectView() { return std::make_unique<ZEVPersonView>(*this); }

} // namespace tallomer
