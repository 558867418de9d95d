// The desk viewer's selection walk (Tab, Shift-Tab), Select All, and the relays by which the
// desk model and the link base change the Object views.

#include "desk/viewer/ZEVDeskViewer.h"

#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewRegistry.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "front/ZEVFrontViewer.h"
#include "services/ZEVItemViewerForDesks.h"

#include <QGraphicsItem>

namespace tallomer {

namespace {

QPointF origine(ZEVItemViewForDesks* v)
{
    const QRectF f = v->frame();
    return QPointF(f.x(), f.y());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Select All

void ZEVDeskViewer::selectAll(int mode)
{
    std::vector<KELI*> items;
    for (const auto& [item, view] : views_->lienViewMap())
        if (!view->isHidden())
            items.push_back(item);
    if (space_) {
        switch (mode) {
        case 0:
            space_->selectIconForItemSet(items, {});
            break;
        case 1:
            space_->selectTitleForItemSet(items, {});
            break;
        case 2:
            space_->selectFilterForItemSet(items, {});
            break;
        case 3:
            space_->selectNodeForItemSet(items, {});
            break;
        default:
            break;
        }
    }
    deskView_->update();
}

void ZEVDeskViewer::userSelectAllIcons() { selectAll(0); }
void ZEVDeskViewer::userSelectAllTitles() { selectAll(1); }
void ZEVDeskViewer::userSelectAllFiltres() { selectAll(2); }
void ZEVDeskViewer::userSelectAllNodes() { selectAll(3); }

// ---------------------------------------------------------------------------------------------
// Tab walk

std::vector<ZEVItemViewForDesks*> ZEVDeskViewer::visibleSelection(int mode)
{
    return itemViewer_ ? itemViewer_->visibleItemViewsForMode(mode) : std::vector<ZEVItemViewForDesks*>{};
}

void ZEVDeskViewer::deselectAll(int mode)
{
    if (!space_)
        return;
    switch (mode) {
    case 0:
        space_->deselectAllIcons();
        break;
    case 1:
        space_->deselectAllTitles();
        break;
    case 2:
        space_->deselectAllFilters();
        break;
    case 3:
        space_->deselectAllNodes();
        break;
    default:
        break;
    }
}

void ZEVDeskViewer::selectOne(int mode, KELI* item)
{
    if (!space_)
        return;
    switch (mode) {
    case 0:
        space_->selectIconForItem(item);
        break;
    case 1:
        space_->selectTitleForItem(item);
        break;
    case 2:
        space_->selectFilterForItem(item);
        break;
    case 3:
        space_->selectNodeForItem(item);
        break;
    default:
        break;
    }
}

void ZEVDeskViewer::selectionStep(bool forward)
{
    // The selection notices raised by the walk's own changes must not reset it.
    (forward ? tabSiStart_ : tabSiEnd_) = false;
    int mode = frontMode();
    if (mode == 2 && (!space_ || space_->selectedFilterItems().empty()))
        mode = 0;
    tabFrontMode_ = mode;

    const QRectF desk = deskViewFrame();
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
    for (ZEVItemViewForDesks* v : views_->itemViewSet()) {
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
            if (space_)
                space_->playSystemSound("Tink");
        }
    }
    if (space_)
        space_->addToHistory();
    tabFrontMode_ = 4;
}

void ZEVDeskViewer::userSelectNext() { selectionStep(true); }
void ZEVDeskViewer::userSelectPrevious() { selectionStep(false); }

void ZEVDeskViewer::selectionDidChange()
{
    if (tabFrontMode_ != 4)
        return;
    tabSiEnd_ = false;
    tabSiStart_ = false;
    tabSameItemSet_.clear();
}

// ---------------------------------------------------------------------------------------------
// Relays of the desk model

void ZEVDeskViewer::moteurCroisementItem(KELI* item, ZEVCroisement croisement)
{
    if (!item)
        return;
    ZEVItemViewForDesks* v = itemViewForItem(item);
    // A view is made for an icon coming into the context, or into the cursor at its future edge;
    // any other notice about an Object without a view has nothing to change.
    const bool creer = croisement.kind == ZEVCroisement::Ajoute ||
                       croisement == ZEVCroisement{ZEVCroisement::Active, ZEVCroisement::Futur};
    if (!v && creer)
        v = ajouterItemViewAvecItem(item);
    if (!v)
        return;
    ZEVAppliquerCroisement(*v, croisement);
    v->setChannelInt(item->channelInt());
    majItemView(v);
}

void ZEVDeskViewer::moteurChangeItemViewForItem(KELI* item)
{
    if (ZEVItemViewForDesks* v = itemViewForItem(item))
        majItemView(v);
}

void ZEVDeskViewer::moteurChangeItemTitleForItem(KELI* item)
{
    if (ZEVItemViewForDesks* v = itemViewForItem(item))
        majItemView(v);
    if (frontViewer_)
        frontViewer_->displayAllInspectView();
}

} // namespace tallomer
