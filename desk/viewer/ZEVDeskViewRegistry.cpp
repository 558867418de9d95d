#include "desk/viewer/ZEVDeskViewRegistry.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "services/ZEVFrontViewerServices.h"
#include "runtime/Clock.h"
#include "services/ZEVItemViewerForDesks.h"
#include "widgets/ZEVRepaintExtent.h"

#include <QGraphicsItem>

#include <algorithm>

namespace tallomer {

namespace {

constexpr char kDifferer[] = "_differerDisplayItemViews";

double maintenant() { return Clock::shared().now(); }

} // namespace

ZEVDeskViewRegistry::ZEVDeskViewRegistry(ZEVDeskViewer& desk, double maintenant)
    : desk_(desk), currentTimeDeskView_(maintenant)
{
    lienViewMap_.reserve(7000);
    itemViewSet_.reserve(200);
    toDisplayItemViewSet_.reserve(200);
    placeSeulement_.reserve(200);
}

ZEVDeskViewRegistry::~ZEVDeskViewRegistry()
{
    // The lists are emptied before the views go, so that nothing a dying view reaches holds it.
    toDisplayItemViewSet_.clear();
    placeSeulement_.clear();
    itemViewSet_.clear();
    itemViewIndex_.clear();
    lienViewMap_.clear();
}

ZEVItemViewForDesks* ZEVDeskViewRegistry::itemViewForItem(KELI* item) const
{
    auto it = lienViewMap_.find(item);
    return it == lienViewMap_.end() ? nullptr : it->second.get();
}

ZEVItemViewForDesks* ZEVDeskViewRegistry::enregistrer(KELI* item, std::unique_ptr<ZEVItemViewForDesks> view)
{
    ZEVItemViewForDesks* raw = view.get();
    lienViewMap_[item] = std::move(view);
    return raw;
}

void ZEVDeskViewRegistry::deleteItemView(ZEVItemViewForDesks* view)
{
    if (!view)
        return;
    enleverDuSet(view);
    for (std::size_t k = toDisplayItemViewSet_.size(); k-- > 0;)
        if (toDisplayItemViewSet_[k] == view) {
            toDisplayItemViewSet_.erase(toDisplayItemViewSet_.begin() + std::ptrdiff_t(k));
            placeSeulement_.erase(placeSeulement_.begin() + std::ptrdiff_t(k));
        }
    toutEnSuite_.erase(view);
    if (passEnCours_)
        std::replace(passEnCours_->begin(), passEnCours_->end(), view, static_cast<ZEVItemViewForDesks*>(nullptr));
    auto it = lienViewMap_.find(view->item());
    if (it == lienViewMap_.end() || it->second.get() != view)
        it = std::find_if(lienViewMap_.begin(), lienViewMap_.end(),
                          [view](const auto& e) { return e.second.get() == view; });
    if (it != lienViewMap_.end())
        lienViewMap_.erase(it);
}

void ZEVDeskViewRegistry::ajouterAuSet(ZEVItemViewForDesks* view)
{
    if (itemViewIndex_.insert(view).second)
        itemViewSet_.push_back(view);
}

void ZEVDeskViewRegistry::enleverDuSet(ZEVItemViewForDesks* view)
{
    if (itemViewIndex_.erase(view))
        std::erase(itemViewSet_, view);
}

// ---------------------------------------------------------------------------------------------
// Deferred refresh

void ZEVDeskViewRegistry::programmerPasse()
{
    siAccepteDisplayDeskView_ = false;
    Scheduler::shared().perform(this, kDifferer, kDelaiMaj, [this] { _differerDisplayItemViews(); }, true);
}

void ZEVDeskViewRegistry::majItemView(ZEVItemViewForDesks* view)
{
    if (!view)
        return;
    // Marked before asking: the ask may force the pass at once.
    if (!view->siItemViewAccepteMaj())
        toutEnSuite_.insert(view);
    demander(view, false);
}

void ZEVDeskViewRegistry::majPlaceDeItemView(ZEVItemViewForDesks* view)
{
    if (view)
        demander(view, true);
}

bool ZEVDeskViewRegistry::demander(ZEVItemViewForDesks* view, bool placeSeulement)
{
    const double t = maintenant();
    const bool nouvelle = view->siItemViewAccepteMaj();
    if (nouvelle) {
        view->itemViewRefuseMaj();
        toDisplayItemViewSet_.push_back(view);
        placeSeulement_.push_back(placeSeulement);
        currentTimeDeskView_ = t;
    }
    if (siAccepteDisplayDeskView_) {
        programmerPasse();
    } else if (t - maxTimeDeskView_ > kForceMaj) {
        Scheduler::shared().cancel(this, kDifferer);
        _differerDisplayItemViews();
        maxTimeDeskView_ = t;
    }
    return nouvelle;
}

void ZEVDeskViewRegistry::majItemViews()
{
    maxTimeDeskView_ = kJamais;
    const std::vector<ZEVItemViewForDesks*> views = itemViewSet_;
    for (ZEVItemViewForDesks* v : views)
        majItemView(v);
    maxTimeDeskView_ = maintenant();
}

void ZEVDeskViewRegistry::majConnexion()
{
    if (siAccepteDisplayDeskView_)
        programmerPasse();
}

bool ZEVDeskViewRegistry::joindreALaPasse(const void* cle, std::function<void()> travail)
{
    if (siAccepteDisplayDeskView_ || siEnPasse_)
        return false;
    quitterLaPasse(cle);
    avantLaPasse_.emplace_back(cle, std::move(travail));
    return true;
}

void ZEVDeskViewRegistry::quitterLaPasse(const void* cle)
{
    std::erase_if(avantLaPasse_, [cle](const auto& e) { return e.first == cle; });
}

void ZEVDeskViewRegistry::_differerDisplayItemViews()
{
    // Before the views: what joined may itself ask views for this pass. Whatever would join from
    // now on runs at once, inside this pass.
    const bool dejaEnPasse = siEnPasse_;
    siEnPasse_ = true;
    std::vector<std::pair<const void*, std::function<void()>>> avant;
    avant.swap(avantLaPasse_);
    for (auto& [cle, travail] : avant)
        travail();
    if (!toDisplayItemViewSet_.empty()) {
        ++nbDePasses_;
        const bool dejaPremiere = premierePasse_;
        premierePasse_ = nbDePasses_ == 1;
        // Views queued while this pass runs wait for the next one. A view deleted during the pass
        // (a refresh may replace a view) is blanked out of it by deleteItemView.
        std::vector<ZEVItemViewForDesks*> queue = std::move(toDisplayItemViewSet_);
        std::vector<char> placeSeulement = std::move(placeSeulement_);
        toDisplayItemViewSet_.clear();
        placeSeulement_.clear();
        std::vector<ZEVItemViewForDesks*>* outer = passEnCours_;
        passEnCours_ = &queue;
        for (std::size_t k = 0; k < queue.size(); ++k)
            if (ZEVItemViewForDesks* v = queue[k]) {
                const bool toutEnSuite = !toutEnSuite_.empty() && toutEnSuite_.erase(v);
                majAttributs(v, !placeSeulement[k] || toutEnSuite);
            }
        passEnCours_ = outer;
        premierePasse_ = dejaPremiere;
        // Marks of views no longer queued (a pass forced inside another leaves the outer one's).
        if (!outer && toDisplayItemViewSet_.empty())
            toutEnSuite_.clear();
    }
    if (ZEVFrontViewerServices* front = desk_.frontViewer())
        front->updateFrontViewLinks();
    siEnPasse_ = dejaEnPasse;
    siAccepteDisplayDeskView_ = true;
}

void ZEVDeskViewRegistry::repeindreSiDeMasse(const std::vector<std::pair<QGraphicsItem*, QRectF>>& avant)
{
    ZEVDeskView* scene = desk_.deskView();
    if (!scene || avant.size() <= kZEVVuesDeMasse)
        return;
    ZEVRepaintExtent extent(scene->sceneRect());
    std::size_t moved = 0;
    for (const auto& [item, before] : avant) {
        const QRectF after = item->sceneBoundingRect();
        if (after == before)
            continue;
        ++moved;
        extent.add(before);
        extent.add(after);
    }
    // Asked after the moves: the views' own repaints, not yet gathered, are then dropped for it.
    if (moved > kZEVVuesDeMasse && extent.mostOfTheArea())
        scene->update();
}

void ZEVDeskViewRegistry::majAttributs(ZEVItemViewForDesks* view, bool titre)
{
    KELI* item = view->item();
    ZEVDeskClass* deskClass = desk_.deskClass();
    ZEVItemViewerForDesks* itemViewer = desk_.itemViewer();
    if (view->siAjoute()) {
        ajouterAuSet(view);
        view->setHidden(itemViewer && itemViewer->siHideViewForFilterImpactedItem(item));
        if (deskClass && item) {
            const bool actif = view->siActif();
            const ZEVIconPosition p =
                actif ? deskClass->rectCurseurForItem(item) : deskClass->rectContexteOutForItem(item);
            view->setIconPosition(p, 1.0);
            if (titre) {
                const std::optional<std::string> title =
                    actif ? deskClass->itemTitleCurseurForItem(item) : deskClass->itemTitleContexteOutForItem(item);
                view->setItemTitle(QString::fromStdString(title.value_or(std::string())));
            }
            view->setSiRetablir(false);
            if (view->itemType().isEmpty())
                if (std::optional<std::string> type = deskClass->itemTypeForItem(item))
                    view->setItemType(QString::fromStdString(*type));
        }
        // A step asks hundreds of views, most of which look as they did: only those whose state
        // changed are painted again (a place, a title or an image repaints by itself). The desk's
        // first pass brings every view, none drawn yet, for one paint of them all: whether a view
        // lies hidden under others would be asked of every view above it, for nothing.
        if (QGraphicsItem* g = premierePasse_ ? view->graphicsItem() : nullptr)
            g->update();
        else
            view->updateIfDrawChanged();
    } else if (!itemViewer || itemViewer->siHideViewForFilterChosenItem(item)) {
        view->setHidden(true);
        enleverDuSet(view);
    } else {
        view->setHidden(false);
        ajouterAuSet(view);
    }
    view->itemViewAccepteMaj();
}

void ZEVDeskViewRegistry::displayItemViews()
{
    if (KELICurseur* curseur = desk_.curseur())
        curseur->placeToi();
    ZEVDeskClass* deskClass = desk_.deskClass();
    std::vector<std::pair<QGraphicsItem*, QRectF>> avant;
    if (itemViewSet_.size() > kZEVVuesDeMasse)
        for (ZEVItemViewForDesks* v : itemViewSet_)
            if (QGraphicsItem* g = v->graphicsItem(); g && g->isVisible())
                avant.emplace_back(g, g->sceneBoundingRect());
    for (ZEVItemViewForDesks* v : itemViewSet_) {
        KELI* item = v->item();
        v->setSiRetablir(false);
        if (!deskClass || !item)
            continue;
        const bool actif = v->siActif();
        v->setIconPosition(actif ? deskClass->rectCurseurForItem(item) : deskClass->rectContexteOutForItem(item), 0);
        const std::optional<std::string> title =
            actif ? deskClass->itemTitleCurseurForItem(item) : deskClass->itemTitleContexteOutForItem(item);
        v->setItemTitle(QString::fromStdString(title.value_or(std::string())));
    }
    repeindreSiDeMasse(avant);
}

} // namespace tallomer
