#include "front/ZEVFrontQuickLook.h"

#include "front/ZEVFrontViewer.h"
#include "inspectors/table/ZEVTableView.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

namespace {

std::vector<ZEVItemViewForDesks*> modeViews(ZEVSpaceController& space, int mode)
{
    ZEVCursorDesk* desk = space.deskForCurseur(space.actifCurseur());
    return desk ? desk->visibleItemViewsForMode(mode) : std::vector<ZEVItemViewForDesks*>();
}

} // namespace

void ZEVFrontQuickLook::openMenuTarget()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    ZEVItemView* target = iv ? iv->menuItemViewTarget() : nullptr;
    if (!w || !target)
        return;
    w->setPreviewItems({target});
    if (w->siPreviewPanelVisible())
        w->reloadPreviewPanel();
    else
        w->orderFrontPreviewPanel();
}

void ZEVFrontQuickLook::toggle(bool fromButton)
{
    // A panel under the pointer takes the key first.
    for (ZEVInspectViewer* iv : front_.frontPanelViewers())
        if (iv->userToggleQL(fromButton))
            return;
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    if (KELI* row = rowItemUnderPointer(); row || siPointerOverSelectionList()) {
        if (!row) {
            w->orderOutPreviewPanel();
            return;
        }
        // The row's Object as its view on the desk shows it, else as a bare copy of it.
        ZEVItemViewForDesks* v = nullptr;
        if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur()))
            v = dv->itemViewForItem(row);
        std::unique_ptr<ZEVItemViewCopy> copy;
        if (!v) {
            copy = std::make_unique<ZEVItemViewCopy>(QRectF(), 1.0f, nullptr, row);
            copy->setChannelInt(row->channelInt());
            if (ZEVDeskClass* desk = space_.deskClassForCurseur(space_.actifCurseur())) {
                copy->setItemType(QString::fromStdString(desk->itemTypeForItem(row).value_or("")));
                copy->setItemTitle(QString::fromStdString(desk->itemTitleCurseurForItem(row).value_or("")));
            }
            v = copy.get();
        }
        const bool shown = w->siPreviewPanelVisible();
        w->setPreviewItems({v});
        w->reloadPreviewPanel();
        if (!shown)
            w->orderFrontPreviewPanel();
        return;
    }
    const std::vector<ZEVItemViewForDesks*> views = modeViews(space_, front_.currentFrontMode());
    if (!w->siPreviewPanelVisible()) {
        std::vector<ZEVItemViewForDesks*> items = views;
        if (items.empty())
            if (ZEVItemViewForDesks* h = front_.hoveredItemView())
                items.push_back(h);
        if (items.empty())
            return;
        w->setPreviewItems(items);
        w->orderFrontPreviewPanel();
        return;
    }
    if (fromButton || !views.empty()) {
        w->orderOutPreviewPanel();
        return;
    }
    if (ZEVItemViewForDesks* h = front_.hoveredItemView()) {
        w->setPreviewItems({h});
        w->reloadPreviewPanel();
    } else {
        w->orderOutPreviewPanel();
    }
}

bool ZEVFrontQuickLook::siPointerOverSelectionList() const
{
    ZEVTableView* table = front_.selectionTableView();
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!table || !w || !table->isVisible())
        return false;
    const QPointF p = space_.mouseLimitPoint();
    const QPoint local = table->mapFrom(w, QPoint(int(p.x()), int(w->height() - p.y())));
    return table->rect().contains(local);
}

KELI* ZEVFrontQuickLook::rowItemUnderPointer() const
{
    if (!siPointerOverSelectionList())
        return nullptr;
    ZEVTableView* table = front_.selectionTableView();
    ZEVSpaceWindow* w = space_.spaceWindow();
    const QPointF p = space_.mouseLimitPoint();
    const QPoint local = table->viewport()->mapFrom(w, QPoint(int(p.x()), int(w->height() - p.y())));
    const int row = table->rowAt(local.y());
    const int column = table->columnAt(local.x());
    const ZEVTableElement* e = row < 0 ? nullptr : table->element(row);
    return e ? e->objetPourColonne(column) : nullptr;
}

void ZEVFrontQuickLook::previewFollowsSelection()
{
    // A panel with the keys previews its own selection.
    for (ZEVInspectViewer* iv : front_.frontPanelViewers())
        if (iv->previewFollowsSelection())
            return;
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w || !w->siPreviewPanelVisible())
        return;
    w->setPreviewItems(modeViews(space_, front_.currentFrontMode()));
    w->reloadPreviewPanel();
}

} // namespace tallomer
