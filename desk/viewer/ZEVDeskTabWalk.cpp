#include "desk/viewer/ZEVDeskTabWalk.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewerForDesks.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include <QGraphicsItem>

namespace tallomer {

namespace {

QPointF origine(ZEVItemViewForDesks* v)
{
    const QRectF f = v->frame();
    return QPointF(f.x(), f.y());
}

} // namespace

ZEVDeskTabWalk::ZEVDeskTabWalk(ZEVDeskViewer& desk) : desk_(desk), tabFrontMode_(ZEVFrontModeNone)
{
    tabSameItemSet_.reserve(200);
}

std::vector<ZEVItemViewForDesks*> ZEVDeskTabWalk::visibleSelection(int mode)
{
    return desk_.itemViewer() ? desk_.itemViewer()->visibleItemViewsForMode(mode) : std::vector<ZEVItemViewForDesks*>{};
}

void ZEVDeskTabWalk::deselectAll(int mode)
{
    ZEVSpaceForDeskViewers* space = desk_.space();
    if (!space)
        return;
    switch (mode) {
    case ZEVFrontModeIcons:
        space->deselectAllIcons();
        break;
    case ZEVFrontModeTitles:
        space->deselectAllTitles();
        break;
    case ZEVFrontModeFilters:
        space->deselectAllFilters();
        break;
    case ZEVFrontModeLinks:
        space->deselectAllNodes();
        break;
    default:
        break;
    }
}

void ZEVDeskTabWalk::selectOne(int mode, KELI* item)
{
    ZEVSpaceForDeskViewers* space = desk_.space();
    if (!space)
        return;
    switch (mode) {
    case ZEVFrontModeIcons:
        space->selectIconForItem(item);
        break;
    case ZEVFrontModeTitles:
        space->selectTitleForItem(item);
        break;
    case ZEVFrontModeFilters:
        space->selectFilterForItem(item);
        break;
    case ZEVFrontModeLinks:
        space->selectNodeForItem(item);
        break;
    default:
        break;
    }
}

void ZEVDeskTabWalk::pas(bool forward)
{
    // The selection notices raised by the walk's own changes must not reset it.
    (forward ? tabSiStart_ : tabSiEnd_) = false;
    ZEVSpaceForDeskViewers* space = desk_.space();
    int mode = desk_.frontMode();
    if (mode == ZEVFrontModeFilters && (!space || space->selectedFilterItems().empty()))
        mode = ZEVFrontModeIcons;
    tabFrontMode_ = mode;

    const QRectF desk = desk_.deskViewFrame();
    const double W = desk.width(), H = desk.height();
    const QPointF reset = forward ? QPointF(-1000, H + 1000) : QPointF(W + 1000, -1000);
    const std::vector<ZEVItemViewForDesks*> selection = visibleSelection(mode);
    if (selection.size() == 1) {
        tabStartPoint_ = origine(selection.front());
        tabSameItemSet_.insert(selection.front());
    } else {
        if (selection.size() >= 2)
            deselectAll(mode);
        tabStartPoint_ = reset;
        tabSameItemSet_.clear();
    }

    const double sx = tabStartPoint_.x(), sy = tabStartPoint_.y();
    ZEVItemViewForDesks* best = nullptr;
    double bx = forward ? W + 1000 : -1000, by = forward ? -1000 : H + 1000;
    for (ZEVItemViewForDesks* v : desk_.itemViewSet()) {
        if (v->isHidden())
            continue;
        const QPointF o = origine(v);
        const double x = o.x(), y = o.y();
        const bool auDepart = x == sx && y == sy;
        const bool candidat = forward ? (y < sy || (y == sy && x > sx)) : (y > sy || (y == sy && x < sx));
        if (auDepart) {
            if (tabSameItemSet_.count(v))
                continue;
            best = v;
            bx = x;
            by = y;
            continue;
        }
        if (!candidat)
            continue;
        const bool mieux = forward ? (y > by || (y == by && x < bx)) : (y < by || (y == by && x > bx));
        if (mieux) {
            best = v;
            bx = x;
            by = y;
        }
    }

    bool& siFin = forward ? tabSiEnd_ : tabSiStart_;
    if (best) {
        tabStartPoint_ = origine(best);
        best->orderToFront();
        if (forward)
            if (QGraphicsItem* g = best->graphicsItem())
                g->setFocus();
        selectOne(mode, best->item());
    } else if (!selection.empty()) {
        if (siFin) {
            siFin = false;
            deselectAll(mode);
        } else {
            siFin = true;
            if (space)
                space->playSystemSound("Tink");
        }
    }
    if (space)
        space->addToHistory();
    tabFrontMode_ = ZEVFrontModeNone;
}

void ZEVDeskTabWalk::selectionDidChange()
{
    if (tabFrontMode_ != ZEVFrontModeNone)
        return;
    tabSiEnd_ = false;
    tabSiStart_ = false;
    tabSameItemSet_.clear();
}

} // namespace tallomer
