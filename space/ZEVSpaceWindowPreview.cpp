// The Space window serves the preview window: the Object views it is given become the preview's
// items, and the front layer hears whether the preview shows.

#include "space/ZEVSpaceWindow.h"

#include "engine/KELLien.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpacePreview.h"

#include <QKeyEvent>

namespace tallomer {

ZEVSpacePreview& ZEVSpaceWindow::preview()
{
    if (!preview_)
        preview_ = std::make_unique<ZEVSpacePreview>(this, [this](bool shows) {
            if (ZEVFrontViewerServices* f = spaceController_ ? spaceController_->frontViewer() : nullptr)
                f->setSiShowQLPreview(shows);
        });
    return *preview_;
}

void ZEVSpaceWindow::setPreviewItems(const std::vector<ZEVItemViewForDesks*>& views)
{
    // Read now: a view may leave its desk while the preview shows.
    std::vector<ZEVSpacePreview::Item> items;
    items.reserve(views.size());
    for (ZEVItemViewForDesks* v : views) {
        if (!v)
            continue;
        ZEVSpacePreview::Item i;
        i.itemInt = v->item() ? v->item()->idInt() : 0;
        i.entry.path = v->previewItemURL();
        i.entry.title = v->itemTitle();
        i.entry.image = v->previewItemTransitionImage();
        items.push_back(std::move(i));
    }
    preview().setPreviewItems(std::move(items));
}

void ZEVSpaceWindow::reloadPreviewPanel() { preview().reloadPreviewPanel(); }

void ZEVSpaceWindow::orderOutPreviewPanel() { preview().orderOutPreviewPanel(); }

void ZEVSpaceWindow::orderFrontPreviewPanel() { preview().orderFrontPreviewPanel(); }

bool ZEVSpaceWindow::siPreviewPanelVisible() const { return preview_ && preview_->siVisible(); }

bool ZEVSpaceWindow::previewKeyPress(const QKeyEvent& event)
{
    if (!preview_)
        return false;
    if (event.key() == Qt::Key_Space)
        return preview_->spaceKeyPressed(event.timestamp());
    if (event.key() != Qt::Key_Escape || !preview_->siVisible())
        return false;
    preview_->orderOutPreviewPanel();
    return true;
}

} // namespace tallomer
