// The sticker an Object view wears, the same on its views of both desks.

#include "objects/view/ZEVItemView.h"

#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "objects/view/ZEVItemStickers.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include <algorithm>

namespace tallomer {

void ZEVItemView::addSticker(int code)
{
    const QString name = ZEVItemStickers::nameForCode(code, item_ ? itemOptions(item_) : ZEVItemOption(0));
    std::vector<ZEVItemView*> views;
    if (auto* s = dynamic_cast<ZEVSpaceForDeskViewers*>(space()))
        for (KELICurseur* c : {s->nowCurseur(), s->searchCurseur()})
            if (ZEVDeskViewer* d = c ? s->deskViewerForCurseur(c) : nullptr)
                if (auto* v = dynamic_cast<ZEVItemView*>(d->itemViewForItem(item_)))
                    views.push_back(v);
    if (std::find(views.begin(), views.end(), this) == views.end())
        views.push_back(this);
    for (ZEVItemView* v : views)
        v->setStickerImage(name);
}

void ZEVItemView::setStickerImage(const QString& name)
{
    const QImage image = ZEVItemStickers::imageNamed(name);
    stickerName_ = image.isNull() ? QString() : name;
    if (dragView_)
        dragView_->setSticker(image);
}

} // namespace tallomer
