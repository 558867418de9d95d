#pragma once
// The Object views of one desk: exactly one per Object shown (owned here, hidden ones included),
// the views that make up the desk's current display, and their refresh. A refresh of a view's
// place, title and visibility waits for a pass that collects every view asked for meanwhile: the
// link base raises hundreds of notices while a cursor moves, and one pass applies them together.

#include "runtime/Date.h"
#include "runtime/Scheduler.h"
#include "services/ZEVItemViewForDesks.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskViewer;

class ZEVDeskViewRegistry {
public:
    // A pass runs this long after the first view asked for it, and is forced this often while
    // views keep asking.
    static constexpr double kDelaiMaj = 0.05;
    static constexpr double kForceMaj = 0.1;
    // maxTime value that disables forced passes.
    static constexpr double kJamais = KELDateOuverte;

    using LienViewMap = std::unordered_map<KELI*, std::unique_ptr<ZEVItemViewForDesks>>;

    // `desk` is the viewer that owns this registry (its desk model, item viewer and front viewer).
    ZEVDeskViewRegistry(ZEVDeskViewer& desk, double maintenant);
    ~ZEVDeskViewRegistry();
    ZEVDeskViewRegistry(const ZEVDeskViewRegistry&) = delete;
    ZEVDeskViewRegistry& operator=(const ZEVDeskViewRegistry&) = delete;

    ZEVItemViewForDesks* itemViewForItem(KELI* item) const;
    // Keeps the view as the Object's; an older view of the Object must have been deleted first.
    ZEVItemViewForDesks* enregistrer(KELI* item, std::unique_ptr<ZEVItemViewForDesks> view);
    // Forgets and destroys the view, also out of a refresh pass under way.
    void deleteItemView(ZEVItemViewForDesks* view);
    const LienViewMap& lienViewMap() const { return lienViewMap_; }
    std::size_t nbDeItemViews() const { return lienViewMap_.size(); }
    const std::vector<ZEVItemViewForDesks*>& itemViewSet() const { return itemViewSet_; }
    bool siInItemViewSet(ZEVItemViewForDesks* view) const { return itemViewIndex_.count(view) != 0; }

    // ---- refresh ----
    void initMajItemViews(double maintenant) { maxTimeDeskView_ = maintenant; }
    void majItemView(ZEVItemViewForDesks* view);
    // Asked because a place link of its Object came or went: the pass need not read its title
    // again unless something else asks for the view before it runs.
    void majPlaceDeItemView(ZEVItemViewForDesks* view);
    void majItemViews();
    void majConnexion();
    // Places the view at once at its place and title at the cursor (or at the end of the context
    // window when it is not active there), and shows it, hides it or leaves the display.
    void majAttributs(ZEVItemViewForDesks* view) { majAttributs(view, true); }
    // Every view of the display at its place and title at once, without animation.
    void displayItemViews();
    bool siAccepteDisplayDeskView() const { return siAccepteDisplayDeskView_; }
    // Runs `travail` at the start of the pass now pending, so that what it changes on screen is
    // painted with the views that pass moves, in one paint; false, running nothing, when no pass
    // is pending. Joined again under the same key, only the last work runs.
    bool joindreALaPasse(const void* cle, std::function<void()> travail);
    // The work joined under that key will not run (its owner goes).
    void quitterLaPasse(const void* cle);
    std::size_t nbEnAttente() const { return toDisplayItemViewSet_.size(); }
    std::size_t nbDePasses() const { return nbDePasses_; }

private:
    void _differerDisplayItemViews();
    void programmerPasse();
    // Queues the view; answers whether it was not queued yet.
    bool demander(ZEVItemViewForDesks* view, bool placeSeulement);
    void majAttributs(ZEVItemViewForDesks* view, bool titre);
    void ajouterAuSet(ZEVItemViewForDesks* view);
    void enleverDuSet(ZEVItemViewForDesks* view);
    // Views placed at once, each from its place before: beyond kZEVVuesDeMasse of them over most
    // of the desk, the whole desk is repainted; else each view repaints its two places.
    void repeindreSiDeMasse(const std::vector<std::pair<QGraphicsItem*, QRectF>>& avant);

    ZEVDeskViewer& desk_; // not owned: owns this registry

    LienViewMap lienViewMap_;
    std::vector<ZEVItemViewForDesks*> itemViewSet_;
    std::unordered_set<ZEVItemViewForDesks*> itemViewIndex_;
    std::vector<ZEVItemViewForDesks*> toDisplayItemViewSet_;
    // Beside each queued view, whether only place links asked for it when it was queued: a step
    // asks hundreds of them, and their titles, read from the link base, have not changed. The
    // few asked for everything afterwards, while queued, are kept apart.
    std::vector<char> placeSeulement_;
    std::unordered_set<ZEVItemViewForDesks*> toutEnSuite_;
    // What joined the pending pass, by key, in the order it joined.
    std::vector<std::pair<const void*, std::function<void()>>> avantLaPasse_;
    // The queue of the refresh pass under way, if any (not owned: it lives on that pass's stack).
    std::vector<ZEVItemViewForDesks*>* passEnCours_ = nullptr;

    bool siAccepteDisplayDeskView_ = true;
    bool siEnPasse_ = false;
    bool premierePasse_ = false; // while the desk's first pass places its views
    double maxTimeDeskView_ = kJamais;
    double currentTimeDeskView_ = 0;
    std::size_t nbDePasses_ = 0;

    ScheduledTarget guard_{this};
};

} // namespace tallomer
