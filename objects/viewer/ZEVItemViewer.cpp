#include "objects/viewer/ZEVItemViewer.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"

#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "objects/view/ZEVItemView.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVCoverMap.h"
#include "objects/viewer/ZEVItemViewerModels.h"

#include <QGraphicsScene>

#include <algorithm>

namespace tallomer {

namespace {

// The copies of the last long-press drag, and how many viewers share them: the copies are views
// with fonts, so they go with the last viewer rather than at the end of the process.
std::vector<std::unique_ptr<ZEVItemView>>& copies()
{
    static std::vector<std::unique_ptr<ZEVItemView>> list;
    return list;
}
int viewerCount = 0;

template <class T>
void eraseValue(std::vector<T>& v, const T& value)
{
    v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

} // namespace

ZEVItemViewer::ZEVItemViewer(KELICurseur* curseur, ZEVSpaceForObjectViews* space, ZEVDeskViewerForObjectViews* deskViewer)
    : curseur_(curseur), space_(space), deskViewer_(deskViewer), palette_(space->sharedResources())
{
    ++viewerCount;
    if (space_) {
        siActifFilter_ = !space_->selectedFilterItems().empty();
        siFilterANDOperation_ = space_->siFiltreANDOperation();
    }
    selectedItemViews_.reserve(50);
}

ZEVItemViewer::~ZEVItemViewer()
{
    // Views that outlive their viewer stop asking it anything.
    for (ZEVItemView* v : views_)
        v->detacherItemViewer();
    for (auto& c : copies()) {
        // A copy flying back lies in a desk's scene, which must not delete it.
        if (QGraphicsScene* scene = c->scene())
            scene->removeItem(c.get());
        if (c->itemViewer() == this)
            c->detacherItemViewer();
    }
    if (--viewerCount == 0)
        ViderCopiedItemViews();
}

void ZEVItemViewer::referencerItemClass(ZEVItemClass* itemClass, ZEVDeskClass* deskClass)
{
    itemClass_ = itemClass;
    deskClass_ = deskClass;
    ownModels_ = std::make_unique<ZEVItemViewerDeskModels>(itemClass, deskClass);
    models_ = ownModels_.get();
}

int ZEVItemViewer::frontMode() const { return space_ ? space_->frontMode() : ZEVFrontModeIcons; }

// ---- views ----

std::unique_ptr<ZEVItemViewForDesks> ZEVItemViewer::creerItemView(const ZEVIconPosition& position, KELI* item,
                                                                   float ratio)
{
    if (!item)
        return nullptr;
    auto view = std::make_unique<ZEVItemView>(position, this, item, ratio);
    views_.push_back(view.get());
    return view;
}

void ZEVItemViewer::itemViewDetruite(ZEVItemView* view)
{
    eraseValue(views_, view);
    eraseValue(coveredInPaint_, view);
    eraseValue(forecast_, view);
    eraseValue(selectedItemViews_, view);
    if (menuTarget_ == view)
        menuTarget_ = nullptr;
    for (auto& [parent, list] : parentConnexionsMap_)
        for (auto& c : list)
            c->oublierItemView(view);
}

ZEVItemView* ZEVItemViewer::itemViewForItem(KELI* item) const
{
    if (!deskViewer_ || !item)
        return nullptr;
    return dynamic_cast<ZEVItemView*>(deskViewer_->itemViewForItem(item));
}

bool ZEVItemViewer::isSelectedInMode(int mode, KELI* item) const
{
    return space_ && space_->isSelectedForItemOfMode(mode, item);
}

void ZEVItemViewer::visibleViewsOfMode(int mode, std::vector<ZEVItemView*>& out)
{
    out.clear();
    if (!space_)
        return;
    const std::vector<KELI*> items = space_->selectedItemsOfMode(mode);
    for (KELI* o : items)
        if (ZEVItemView* v = itemViewForItem(o); v && !v->isHidden())
            out.push_back(v);
}

std::vector<ZEVItemViewForDesks*> ZEVItemViewer::visibleItemViewsForMode(int mode)
{
    std::vector<ZEVItemView*> views;
    visibleViewsOfMode(mode, views);
    return std::vector<ZEVItemViewForDesks*>(views.begin(), views.end());
}

void ZEVItemViewer::majSelectedItemViewsForCentered() { visibleViewsOfMode(frontMode(), selectedItemViews_); }

const std::vector<ZEVItemView*>& ZEVItemViewer::majSelectedItemViewsForSelectedItemView(ZEVItemView* view)
{
    selectedItemViews_.clear();
    if (!view)
        return selectedItemViews_;
    const int mode = frontMode();
    KELI* o = view->item();
    if (mode < ZEVFrontModeIcons || mode > ZEVFrontModeLinks)
        return selectedItemViews_;
    if (isSelectedInMode(mode, o))
        visibleViewsOfMode(mode, selectedItemViews_);
    else if (mode == ZEVFrontModeFilters && isSelectedInMode(ZEVFrontModeIcons, o))
        visibleViewsOfMode(ZEVFrontModeIcons, selectedItemViews_);
    else
        selectedItemViews_.push_back(view);
    return selectedItemViews_;
}

void ZEVItemViewer::deleteItemViewForItem(KELI* item)
{
    if (!item)
        return;
    // The Object leaves this desk for good: its drawn Links go with it.
    std::vector<ZEVItemConnexion*> touching;
    for (auto& [parent, list] : parentConnexionsMap_)
        for (auto& c : list)
            if (c->siConnectedToItem(item) || c->parentInt() == item->idInt() || c->enfantInt() == item->idInt())
                touching.push_back(c.get());
    for (ZEVItemConnexion* c : touching)
        delConnexionsForParentIntEnfantInt(c->parentInt(), c->enfantInt());
    ZEVItemView* view = itemViewForItem(item);
    if (!view)
        return;
    eraseValue(selectedItemViews_, view);
    if (QGraphicsScene* scene = view->scene())
        scene->removeItem(view);
    if (deskViewer_)
        deskViewer_->deleteItemView(view); // destroys it
}

// ---- copies of a drag ----

const std::vector<std::unique_ptr<ZEVItemView>>& ZEVItemViewer::CopiedItemViews() { return copies(); }

void ZEVItemViewer::ViderCopiedItemViews() { copies().clear(); }

const std::vector<std::unique_ptr<ZEVItemView>>& ZEVItemViewer::copiedItemViewsForSelectedItemView(ZEVItemView* view)
{
    ViderCopiedItemViews();
    ReferencerInitialCurseur(curseur_);
    if (!view)
        return copies();
    if (space_ && space_->siApplicationActive() && !space_->siGoToPanelVisible())
        if (KELICurseur* now = space_->nowCurseur())
            space_->userChangeActifCurseur(now); // the drop lands on the Now desk
    int mode = frontMode();
    if (mode == ZEVFrontModeFilters)
        mode = ZEVFrontModeIcons;
    std::vector<ZEVItemView*> sources;
    if (mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeLinks && isSelectedInMode(mode, view->item()))
        visibleViewsOfMode(mode, sources);
    else
        sources.push_back(view);
    cancelRecall_ = false;
    for (ZEVItemView* s : sources) {
        auto copy = std::make_unique<ZEVItemViewCopy>(s->frame(), s->imageSizeRatio(), this, s->item());
        copy->setItemType(s->itemType());
        copy->setItemImage(s->itemImageView()->image());
        copy->setTitleForPB(s->itemTitle());
        // The source's place itself, with the numbers it was read from: a copy dropped where it
        // was taken lands exactly there.
        copy->setIconPosition(s->iconPosition(), 0);
        // Where a copy that cannot land flies back to.
        copy->saveIconPosition();
        copies().push_back(std::move(copy));
    }
    return copies();
}

bool ZEVItemViewer::siCopiedItemViewForItem(const KELI* item) const
{
    return std::any_of(copies().begin(), copies().end(), [item](const auto& c) { return c->item() == item; });
}

std::vector<KELI*> ZEVItemViewer::draggedItems() const
{
    std::vector<KELI*> out;
    for (const auto& c : copies())
        out.push_back(c->item());
    return out;
}

std::vector<ZEVItemView*> ZEVItemViewer::draggedItemViews() const
{
    std::vector<ZEVItemView*> out;
    for (const auto& c : copies())
        if (ZEVItemView* v = itemViewForItem(c->item()))
            out.push_back(v);
    return out;
}

ZEVIconPosition ZEVItemViewer::iconPositionForSelectedView(const ZEVItemView* view) const
{
    if (view && view->item())
        for (const auto& c : copies())
            if (c->item() && c->item()->idInt() == view->item()->idInt())
                return c->iconPosition();
    return {};
}

// ---- drawn Links ----

ZEVItemConnexion* ZEVItemViewer::itemConnexionForLienConnexion(KELI* lien)
{
    if (!lien)
        return nullptr;
    auto& list = parentConnexionsMap_[lien->parentInt()];
    for (auto& c : list)
        if (c->enfantInt() == lien->enfantInt())
            return c.get();
    KELI* parent = models_ ? models_->objetForInt(lien->parentInt()) : nullptr;
    KELI* enfant = models_ ? models_->objetForInt(lien->enfantInt()) : nullptr;
    list.push_back(std::make_unique<ZEVItemConnexion>(space_, deskViewer_, lien, parent, enfant));
    return list.back().get();
}

std::vector<ZEVItemConnexion*> ZEVItemViewer::connexionsTouchingItem(KELI* item)
{
    std::vector<ZEVItemConnexion*> out;
    for (ZEVItemConnexion* c : connexionsExistantes_)
        if (c->siConnectedToItem(item))
            out.push_back(c);
    // The set goes by address; the selections need an order that is the same at every run.
    std::sort(out.begin(), out.end(), [](const ZEVItemConnexion* a, const ZEVItemConnexion* b) {
        return std::pair(a->parentInt(), a->enfantInt()) < std::pair(b->parentInt(), b->enfantInt());
    });
    return out;
}

std::size_t ZEVItemViewer::connexionCount() const
{
    std::size_t n = 0;
    for (const auto& [parent, list] : parentConnexionsMap_)
        n += list.size();
    return n;
}

void ZEVItemViewer::majItemConnexion(ZEVItemConnexion* c)
{
    if (c->siAjoute())
        connexionsExistantes_.insert(c);
    else
        connexionsExistantes_.erase(c);
    if (deskViewer_)
        deskViewer_->majConnexion();
}

void ZEVItemViewer::initItemConnexionAvecLienConnexion(KELI* lien, KELDate curseurDate)
{
    ZEVItemConnexion* c = itemConnexionForLienConnexion(lien);
    if (!c)
        return;
    const bool dejaAjoute = c->siAjoute();
    connexionsExistantes_.insert(c);
    c->setSiAjoute(true);
    if (models_ && models_->siIncluLeLien(lien)) {
        c->setSiActif(true);
        c->setSiFutur(true);
    } else if (lien->inDate() > curseurDate) {
        c->setSiFutur(true);
    }
    // Filters selected before the desk starts are applied afterwards from the whole window; a
    // Link of this pair already counted must not count twice.
    if (!dejaAjoute)
        addFilterImpactForConnexion(c);
}

void ZEVItemViewer::moteurCroisementForConnexion(KELI* lien, ZEVCroisement croisement)
{
    ZEVItemConnexion* c = itemConnexionForLienConnexion(lien);
    if (!c)
        return;
    // A Link counts for the filters from its first entry into the window to its last exit.
    const bool contexte = croisement.duContexte();
    if (contexte && croisement.entre() && !c->siAjoute())
        addFilterImpactForConnexion(c);
    ZEVAppliquerCroisement(*c, croisement);
    if (contexte && !croisement.entre() && !c->siAjoute())
        delFilterImpactForConnexion(c);
    majItemConnexion(c);
}

void ZEVItemViewer::oublierConnexion(ZEVItemConnexion* c)
{
    // A forgotten Link leaves the drawn set, its filter impact and the link selection, which
    // would otherwise keep pointing at it.
    if (c->siAjoute())
        delFilterImpactForConnexion(c);
    connexionsExistantes_.erase(c);
    if (space_ && space_->isLinkSelectedForConnexion(c))
        space_->deselectLinkForConnexion(c);
}

void ZEVItemViewer::delConnexionsForParentInt(KELId parentInt)
{
    auto it = parentConnexionsMap_.find(parentInt);
    if (it == parentConnexionsMap_.end())
        return;
    auto lines = std::move(it->second);
    parentConnexionsMap_.erase(it);
    for (auto& c : lines)
        oublierConnexion(c.get());
    if (deskViewer_)
        deskViewer_->majConnexion();
}

void ZEVItemViewer::willPaint(const QGraphicsScene& scene, const QRegion& exposed, const QTransform& viewportTransform,
                              qreal pixelRatio)
{
    didPaint();
    const QRectF sceneRect = viewportTransform.inverted().mapRect(QRectF(exposed.boundingRect()));
    // Its own views, rather than a search of the scene's items: a desk holds five items a view.
    std::vector<ZEVItemView*> shown;
    shown.reserve(views_.size());
    for (ZEVItemView* v : views_)
        if (v->scene() == &scene && v->isVisible())
            shown.push_back(v);
    // A part of an image drawn on its own lands where the whole image would only where a device
    // pixel is a point.
    leaveOutCovered(shown, exposed, sceneRect, viewportTransform, pixelRatio == 1);
    std::vector<ZEVItemTitleView*> titles;
    for (ZEVItemView* v : shown) {
        ZEVItemTitleView* title = v->titleView();
        if (title->isVisible() && title->sceneBoundingRect().intersects(sceneRect))
            titles.push_back(title);
    }
    ZEVItemTitleView::prepareForPaint(titles, viewportTransform, pixelRatio);
}

void ZEVItemViewer::leaveOutCovered(std::vector<ZEVItemView*>& painted, const QRegion& exposed, const QRectF& sceneRect,
                                    const QTransform& viewportTransform, bool cutImages)
{
    // From the top down, each view is left out when all it would draw in the paint lies under
    // the opaque images of those above it, and otherwise, when `cutImages`, its images draw only
    // the parts that do not. Only on a canvas that moves the scene without turning or scaling it,
    // where an image is blitted pixel for pixel.
    if (painted.size() < 2 || viewportTransform.type() > QTransform::TxTranslate)
        return;
    // A desk of icons with transparent margins hides next to nothing, and the pass costs a few
    // percent of the paint: after a pass over many views that left out almost nothing, the next
    // paints draw them all and the pass is tried again later.
    constexpr std::size_t kManyViews = 200;
    constexpr int kPaintsBetweenVainPasses = 30;
    if (paintsWithoutPass_ > 0) {
        --paintsWithoutPass_;
        return;
    }
    // The views the paint reaches, from the top down. Outside the region, or within its bounds but
    // none of its pieces, a view is not painted.
    std::vector<ZEVItemView*> shown;
    std::vector<std::pair<std::pair<double, std::uint64_t>, ZEVItemView*>> stack;
    stack.reserve(painted.size());
    const bool scattered = exposed.rectCount() > 1;
    for (ZEVItemView* v : painted) {
        const QRectF bounds = v->sceneBoundingRect();
        if (!bounds.intersects(sceneRect) ||
            (scattered && !exposed.intersects(viewportTransform.mapRect(bounds).toAlignedRect())))
            continue;
        if (v->sceneTransform().type() > QTransform::TxTranslate)
            shown.push_back(v);
        else
            stack.emplace_back(v->stackingKey(), v);
    }
    std::sort(stack.begin(), stack.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    ZEVCoverMap cover;
    cover.reset(exposed);
    const QRect area = exposed.boundingRect();
    long reached = 0, kept = 0; // pixels of the views within the paint's bounds, and those drawn
    for (const auto& [key, v] : stack) {
        const QTransform toViewport = v->sceneTransform() * viewportTransform;
        const ZEVItemView::PaintReach reach = v->forecastPaint();
        forecast_.push_back(v);
        const QRect drawn = ZEVCoverMap::touched(toViewport.mapRect(reach.drawn));
        const QRect within = drawn.intersected(area);
        reached += long(within.width()) * within.height();
        ZEVPaintCut& cut = v->paintCut();
        cut.clear();
        if (!cutImages) {
            if (!cover.hidden(drawn))
                cut.push_back(within);
        } else {
            cover.uncovered(drawn, cut);
        }
        if (cut.empty()) {
            v->setCoveredInPaint(true);
            coveredInPaint_.push_back(v);
            continue;
        }
        for (const QRect& r : cut)
            kept += long(r.width()) * r.height();
        // All it draws in one part: drawn whole.
        if (cut.size() == 1 && cut.front().contains(within))
            cut.clear();
        if (reach.opaqueRows.runs)
            cover.cover(toViewport.map(reach.opaqueRows.corner), *reach.opaqueRows.runs);
        else if (!reach.opaque.isEmpty())
            cover.cover(ZEVCoverMap::inside(toViewport.mapRect(reach.opaque)));
        shown.push_back(v);
    }
    if (stack.size() >= kManyViews && (reached - kept) * 20 < reached)
        paintsWithoutPass_ = kPaintsBetweenVainPasses;
    painted.swap(shown);
}

void ZEVItemViewer::didPaint()
{
    for (ZEVItemView* v : coveredInPaint_)
        v->setCoveredInPaint(false);
    coveredInPaint_.clear();
    for (ZEVItemView* v : forecast_) {
        v->forgetForecast();
        v->paintCut().clear();
    }
    forecast_.clear();
}

bool ZEVItemViewer::siCoveredByViewsAbove(const ZEVItemView& view) const
{
    QGraphicsScene* scene = view.scene();
    if (!scene || !view.isVisible() || view.sceneTransform().type() > QTransform::TxTranslate)
        return false;
    // What it would draw now, and what it may still show of its last paint.
    const QRect drawn =
        ZEVCoverMap::touched(view.sceneTransform().mapRect(view.paintReach().drawn | view.lastDrawnRect()));
    if (drawn.isEmpty())
        return false;
    ZEVCoverMap cover;
    cover.reset(QRegion(drawn));
    for (ZEVItemView* v : views_) {
        if (v == &view || v->scene() != scene || !v->isVisible() || !view.stacksBelow(*v) ||
            v->sceneTransform().type() > QTransform::TxTranslate || !v->sceneBoundingRect().intersects(drawn))
            continue;
        const QRectF opaque = v->paintReach().opaque;
        if (!opaque.isEmpty())
            cover.cover(ZEVCoverMap::inside(v->sceneTransform().mapRect(opaque)));
    }
    return cover.hidden(drawn);
}

void ZEVItemViewer::delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt)
{
    auto it = parentConnexionsMap_.find(parentInt);
    if (it == parentConnexionsMap_.end())
        return;
    std::vector<std::unique_ptr<ZEVItemConnexion>> gone;
    auto& list = it->second;
    for (auto l = list.begin(); l != list.end();) {
        if ((*l)->enfantInt() == enfantInt) {
            gone.push_back(std::move(*l));
            l = list.erase(l);
        } else {
            ++l;
        }
    }
    if (list.empty())
        parentConnexionsMap_.erase(it);
    for (auto& c : gone)
        oublierConnexion(c.get());
    if (!gone.empty() && deskViewer_)
        deskViewer_->majConnexion();
}

ZEVItemConnexion* ZEVItemViewer::selectedConnexionForPoint(const QPointF& point)
{
    if (!space_ || !space_->siShowLinks())
        return nullptr;
    for (ZEVItemConnexion* c : connexionsExistantes_)
        if (c->siDisplayed() && c->siConnexionContainsPoint(point))
            return c;
    return nullptr;
}

bool ZEVItemViewer::siSelectConnexionForPoint(const QPointF& point, bool commande)
{
    ZEVItemConnexion* c = selectedConnexionForPoint(point);
    if (!c)
        return false;
    ZEVItemViewForDesks* src = c->srcItemView();
    ZEVItemViewForDesks* dst = c->dstItemView();
    auto toFront = [&] {
        if (src)
            src->orderToFront();
        if (dst)
            dst->orderToFront();
    };
    if (commande) {
        toFront();
        space_->cmdSelectLinkForConnexion(c);
    } else if (space_->isLinkSelectedForConnexion(c)) {
        for (ZEVItemViewForDesks* v : {src, dst}) {
            if (!v)
                continue;
            v->showCadreStart();
            Scheduler::shared().cancel(v, "showCadreStop");
            // A view destroyed meanwhile cancels its performs (itemViewDetruite).
            Scheduler::shared().perform(v, "showCadreStop", 0.5, [v] { v->showCadreStop(); });
        }
    } else {
        toFront();
        space_->selectLinkForConnexion(c);
    }
    return true;
}

bool ZEVItemViewer::userAskIfItemIsConnectedWithItem(KELI* a, KELI* b)
{
    return models_ && a && b && models_->siConnected(a, b);
}

// ---- filters ----

void ZEVItemViewer::majItemViews()
{
    if (deskViewer_)
        deskViewer_->majItemViews();
}

void ZEVItemViewer::addImpact(KELI* filtre, KELI* item)
{
    if (!filtre || !item)
        return;
    if (impactParFiltre_[filtre][item]++ == 0)
        ++impactedItemCounts_[item];
}

void ZEVItemViewer::delImpact(KELI* filtre, KELI* item)
{
    auto f = impactParFiltre_.find(filtre);
    if (f == impactParFiltre_.end())
        return;
    auto i = f->second.find(item);
    if (i == f->second.end())
        return;
    if (--i->second > 0)
        return;
    f->second.erase(i);
    if (f->second.empty())
        impactParFiltre_.erase(f);
    auto c = impactedItemCounts_.find(item);
    if (c != impactedItemCounts_.end() && --c->second <= 0)
        impactedItemCounts_.erase(c);
}

void ZEVItemViewer::addFilterImpactForConnexion(ZEVItemConnexion* c)
{
    if (!space_)
        return;
    KELI* p = c->parentItem();
    KELI* e = c->enfantItem();
    bool impact = false;
    if (p && space_->isFilterSelectedForItem(p)) {
        addImpact(p, e);
        impact = true;
    }
    if (e && space_->isFilterSelectedForItem(e)) {
        addImpact(e, p);
        impact = true;
    }
    if (impact)
        majItemViews();
    if ((p && space_->isNodeSelectedForItem(p)) || (e && space_->isNodeSelectedForItem(e)))
        space_->multiSelectLinkForConnexion(c);
}

void ZEVItemViewer::delFilterImpactForConnexion(ZEVItemConnexion* c)
{
    KELI* p = c->parentItem();
    KELI* e = c->enfantItem();
    // Undone by what was counted, not by the selection of the moment: a filter deselected
    // since then has already taken its whole impact away.
    const bool impact = impactParFiltre_.count(p) || impactParFiltre_.count(e);
    delImpact(p, e);
    delImpact(e, p);
    if (impact)
        majItemViews();
    if (space_ && ((p && space_->isNodeSelectedForItem(p)) || (e && space_->isNodeSelectedForItem(e))))
        space_->deselectLinkForConnexion(c);
}

void ZEVItemViewer::ajouteFilterForItem(KELI* item)
{
    if (!item)
        return;
    if (deskViewer_) {
        if (ZEVItemViewForDesks* v = deskViewer_->itemViewForItem(item))
            deskViewer_->majItemView(v);
        else if (models_ && models_->siIconExisteForItem(item))
            if (ZEVItemViewForDesks* nv = deskViewer_->ajouterItemViewAvecItem(item))
                deskViewer_->majItemView(nv);
    }
    // Counted afresh from the window: a filter added twice counts once.
    if (auto f = impactParFiltre_.find(item); f != impactParFiltre_.end()) {
        for (auto& [o, n] : f->second)
            if (auto c = impactedItemCounts_.find(o); c != impactedItemCounts_.end() && --c->second <= 0)
                impactedItemCounts_.erase(c);
        impactParFiltre_.erase(f);
    }
    // From the drawn Links in the window, the same the Link notices keep up to date, so that a
    // pair linked both ways stays counted until its last Link leaves.
    for (ZEVItemConnexion* c : connexionsExistantes_) {
        if (c->parentItem() == item)
            addImpact(item, c->enfantItem());
        if (c->enfantItem() == item)
            addImpact(item, c->parentItem());
    }
    siActifFilter_ = true;
    majItemViews();
}

void ZEVItemViewer::enleveFilterForItem(KELI* item)
{
    if (auto f = impactParFiltre_.find(item); f != impactParFiltre_.end()) {
        for (auto& [o, n] : f->second)
            if (auto c = impactedItemCounts_.find(o); c != impactedItemCounts_.end() && --c->second <= 0)
                impactedItemCounts_.erase(c);
        impactParFiltre_.erase(f);
    }
    siActifFilter_ = space_ && !space_->selectedFilterItems().empty();
    majItemViews();
}

void ZEVItemViewer::enleveFilterForAllItems()
{
    impactParFiltre_.clear();
    impactedItemCounts_.clear();
    siActifFilter_ = false;
    majItemViews();
}

void ZEVItemViewer::setSiFiltreANDOperation(bool oui)
{
    siFilterANDOperation_ = oui;
    majItemViews();
}

int ZEVItemViewer::impactCount(KELI* item) const
{
    auto it = impactedItemCounts_.find(item);
    return it == impactedItemCounts_.end() ? 0 : it->second;
}

bool ZEVItemViewer::siImpactedItem(KELI* item) const { return impactCount(item) > 0; }

std::vector<KELI*> ZEVItemViewer::impactedItemSet() const
{
    std::vector<KELI*> out;
    for (const auto& [o, n] : impactedItemCounts_)
        if (n > 0 && itemViewForItem(o))
            out.push_back(o);
    return out;
}

bool ZEVItemViewer::siLinkedToItem(KELI* item)
{
    if (!space_ || !models_ || !item)
        return false;
    for (KELI* node : space_->selectedNodeItems())
        for (KELI* o : models_->connectedItemsForItem(node))
            if (o == item)
                return true;
    return false;
}

bool ZEVItemViewer::siHideViewForFilterImpactedItem(KELI* item)
{
    if (!siActifFilter_)
        return false;
    const int n = impactCount(item);
    if (siFilterANDOperation_) {
        const std::size_t filtres = space_ ? space_->selectedFilterItems().size() : 0;
        if (static_cast<std::size_t>(n) >= filtres)
            return false;
    } else if (n > 0) {
        return false;
    }
    return !(space_ && space_->isFilterSelectedForItem(item));
}

bool ZEVItemViewer::siHideViewForFilterChosenItem(KELI* item)
{
    if (!siActifFilter_)
        return true;
    return !(space_ && space_->isFilterSelectedForItem(item));
}

void ZEVItemViewer::userRecallIconForItem(KELI* item)
{
    if (!item || !deskClass_ || !curseur_)
        return;
    deskClass_->recallIconForItem(item, curseur_->now());
    relancerCurseur();
}

void ZEVItemViewer::userRecallIconForItemView(ZEVItemViewForDesks* view) { userRecallIconAtViewPlace(view); }

void ZEVItemViewer::userRecallLinkWithItem(KELI* item, KELI* otherItem)
{
    if (!item || !otherItem || item == otherItem || !itemClass_)
        return;
    // One direction for a pair, whichever way it was asked.
    KELI* parent = otherItem->idInt() > item->idInt() ? otherItem : item;
    KELI* enfant = parent == item ? otherItem : item;
    itemClass_->recallLienConnexionWithParent(parent, enfant);
    if (space_)
        space_->displayAllInspectView();
}

} // namespace tallomer
