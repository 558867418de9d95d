#include "desk/viewer/ZEVNowThumbnail.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELLien.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QImage>
#include <QPixmap>

namespace tallomer {

QIcon ZEVNowBackThumbnail(ZEVSpaceController& space)
{
    ZEVDeskViewer* nowDesk = space.deskViewerForCurseur(space.nowCurseur());
    ZEVSpaceClass* spaceClass = space.spaceClass();
    if (!nowDesk || !spaceClass)
        return {};
    // The Channel the Channels list has chosen, else the Space's own.
    ZEVChannelClassServices* channels = space.channelClass();
    KELI* channel = channels ? channels->currentChannel() : nullptr;
    const QImage image = spaceClass->imageForImageItem(nowDesk->currentBackImageItem(),
                                                       channel ? channel->idInt() : space.currentChannelInt(),
                                                       nowDesk->currentBackColorItem(), nowDesk->currentBackScaleMot());
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace tallomer
