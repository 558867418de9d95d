#include "ruler/ZEVBarItems.h"

#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceParts.h"

#include <QAction>

namespace tallomer {

bool ZEVCocherItemDeBarre(QAction* a, ZEVFrontViewerServices* f, ZEVContextViewerServices* c)
{
    if (!a)
        return false;
    switch (a->data().toInt()) {
    case ZEVBarTagTimebar:
        a->setChecked(!(f ? f->siTimebarClosed() : true));
        return true;
    case ZEVBarTagTline:
        a->setChecked(!(f ? f->siTlineClosed() : true));
        return true;
    case ZEVBarTagTracks:
        a->setChecked(!(f ? f->siTracksClosed() : true));
        return true;
    case ZEVBarTagToolbar:
        a->setChecked(!(f ? f->siToolbarClosed() : true));
        return true;
    case ZEVBarTagChannels:
        a->setChecked(c && c->isShowedEntityWithInt(ZEVBarTagChannels));
        return true;
    default:
        return false;
    }
}

} // namespace tallomer
