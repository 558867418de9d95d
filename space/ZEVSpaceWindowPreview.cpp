// The Space window serves the preview window: the Object views it is given become the preview's
// items, and the front layer hears whether the preview shows.

#include "space/ZEVSpaceWindow.h"

#include "engine/KELLien.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpacePreview.h"

#include "widgets/TextEntry.h"

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

bool ZEVSpaceWindow::previewKeyPress(const QKeyEvent& event, QObject* watched)
{
    if (!preview_)
        return false;
    if (event.key() == Qt::Key_Space)
        return preview_->spaceKeyPressed(event.timestamp());
    // With several items the preview is the keys' own, as a panel made key would be: the arrows
    // step through them rather than move the Objects on the desk (a title edited on the desk keeps
    // its arrows).
    if ((event.key() == Qt::Key_Left || event.key() == Qt::Key_Right) &&
        !(event.modifiers() & ~Qt::KeypadModifier) && preview_->siVisible() &&
        preview_->previewItems().size() > 1 && !isTextEntry(watched)) {
        preview_->step(event.key() == Qt::Key_Left ? -1 : 1);
        return true;
    }
    if (event.key() != Qt::Key_Escape || !preview_->siVisible())
        return false;
    preview_->orderOutPreviewPanel();
    return true;
}

} // namespace tallomer
