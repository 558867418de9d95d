#include "tests/objects/ObjectsFakes.h"

using namespace objectstest;

TEST(ZEVItemViewerConnexions, SamePairSameLineAndAForgottenLineComesBackAtZero)
{
    Desk d;
    KELI* p = d.objects.objet(20);
    KELI* e = d.objects.objet(10);
    KELI* l1 = d.objects.lien(100, p, e);
    KELI* l2 = d.objects.lien(101, p, e); // a later link of the same pair
    d.viewer->moteurAjoutePasseForConnexion(l1);
    d.viewer->moteurActivePasseForConnexion(l1);
    ZEVItemConnexion* c = d.viewer->itemConnexionForLienConnexion(l2);
    EXPECT_EQ(c, d.viewer->itemConnexionForLienConnexion(l1));
    EXPECT_EQ(d.viewer->connexionCount(), 1u);
    EXPECT_EQ(c->parentItem(), p);
    EXPECT_EQ(c->enfantItem(), e);
    EXPECT_TRUE(c->siAjoute() && c->siActif() && c->siFutur());
    EXPECT_EQ(d.viewer->connexionsExistantes().count(c), 1u);
    // Forgetting the pair takes its line out of the drawn set and the link selection too.
    d.space.links.insert(c);
    d.viewer->delConnexionsForParentIntEnfantInt(20, 10);
    EXPECT_TRUE(d.viewer->connexionsExistantes().empty());
    EXPECT_TRUE(d.space.links.empty());
    EXPECT_EQ(counts(*d.viewer->itemConnexionForLienConnexion(l1)), std::tuple(0, 0, 0));
    // By parent: every child's line goes.
    d.viewer->moteurAjouteFuturForConnexion(d.objects.lien(102, p, d.objects.objet(11)));
    d.viewer->moteurAjoutePasseForConnexion(l1);
    EXPECT_EQ(d.viewer->connexionsExistantes().size(), 2u);
    d.viewer->delConnexionsForParentInt(20);
    EXPECT_TRUE(d.viewer->connexionsExistantes().empty());
    EXPECT_EQ(d.viewer->connexionCount(), 0u);
}

TEST(ZEVItemViewerConnexions, CountersFollowTheNotices)
{
    Desk d;
    KELI* l = d.objects.lien(100, d.objects.objet(20), d.objects.objet(10));
    ZEVItemConnexion* c = d.viewer->itemConnexionForLienConnexion(l);
    // Leaving on the future side with no future count: stays at zero, never below.
    d.viewer->moteurAjoutePasseForConnexion(l);
    d.viewer->moteurEnleveFuturForConnexion(l);
    EXPECT_EQ(counts(*c), std::tuple(0, 0, 0));
    d.viewer->moteurEnlevePasseForConnexion(l);
    EXPECT_EQ(c->siAjouteCount(), 0);
    EXPECT_TRUE(d.viewer->connexionsExistantes().empty());
    // Active is not clamped: three falls need four rises.
    for (bool flag : {false, false, false, true, true, true})
        c->setSiActif(flag);
    EXPECT_FALSE(c->siActif());
    c->setSiActif(true);
    EXPECT_TRUE(c->siActif());
    // Future is held at zero while the line is not added.
    KELI* m = d.objects.lien(200, d.objects.objet(2), d.objects.objet(1));
    ZEVItemConnexion* k = d.viewer->itemConnexionForLienConnexion(m);
    k->setSiFutur(true);
    EXPECT_FALSE(k->siFutur());
    // Comes into the window ahead of the cursor, then starts, then ends.
    d.viewer->moteurAjouteFuturForConnexion(m);
    EXPECT_TRUE(k->siFutur());
    d.viewer->moteurActiveFuturForConnexion(m);
    d.viewer->moteurDesactivePasseForConnexion(m);
    EXPECT_EQ(counts(*k), std::tuple(1, 0, 0));
}

TEST(ZEVItemViewerConnexions, InitialStateFromTheCursorDate)
{
    Desk d;
    KELI* a = d.objects.objet(1);
    KELI* b = d.objects.objet(2);
    KELI* c = d.objects.objet(3);
    // At date 100: one link that the cursor includes, one that starts later, one that ended before.
    KELI* included = d.objects.lien(100, b, a, 10);
    KELI* later = d.objects.lien(101, c, a, 500);
    KELI* earlier = d.objects.lien(102, c, b, 5);
    d.objects.inclus.insert(included);
    for (KELI* l : {included, later, earlier})
        d.viewer->initItemConnexionAvecLienConnexion(l, 100);
    EXPECT_EQ(counts(*d.viewer->itemConnexionForLienConnexion(included)), std::tuple(1, 1, 1));
    EXPECT_EQ(counts(*d.viewer->itemConnexionForLienConnexion(later)), std::tuple(1, 0, 1));
    EXPECT_EQ(counts(*d.viewer->itemConnexionForLienConnexion(earlier)), std::tuple(1, 0, 0));
    EXPECT_EQ(d.viewer->connexionsExistantes().size(), 3u);
}

TEST(ZEVItemViewerConnexions, NoLineKeepsADestroyedView)
{
    Desk d;
    KELI* p = d.objects.objet(20);
    KELI* e = d.objects.objet(10);
    KELI* other = d.objects.objet(30);
    d.desk.add(p);
    d.desk.add(e, {300, 0, 64, 0});
    d.desk.add(other, {600, 0, 64, 0});
    d.viewer->moteurAjoutePasseForConnexion(d.objects.lien(100, p, e));
    KELI* po = d.objects.lien(101, p, other);
    d.viewer->moteurAjoutePasseForConnexion(po);
    ZEVItemConnexion* line = d.viewer->itemConnexionForLienConnexion(po);
    ASSERT_TRUE(line->siEffective()); // both views found and kept
    // The desk viewer drops a view on its own: the line forgets it and looks again next time.
    d.desk.views.erase(other);
    EXPECT_EQ(line->dstItemView(), nullptr);
    EXPECT_FALSE(line->siEffective());
    // Removing an Object's view removes its lines as well.
    d.viewer->deleteItemViewForItem(e);
    EXPECT_EQ(d.desk.itemViewForItem(e), nullptr);
    EXPECT_EQ(d.viewer->connexionsExistantes().size(), 1u);
    for (ZEVItemConnexion* c : d.viewer->connexionsExistantes())
        EXPECT_FALSE(c->siConnectedToItem(e));
}

TEST(ZEVItemViewerConnexions, ClicksHitOnlyDisplayedLinesNearTheirAxis)
{
    Desk d;
    KELI* p = d.objects.objet(20);
    KELI* e = d.objects.objet(10);
    d.desk.add(p);                   // image centre (32, 32)
    d.desk.add(e, {200, 0, 64, 0}); // image centre (232, 32)
    KELI* l = d.objects.lien(100, p, e);
    d.viewer->moteurAjoutePasseForConnexion(l);
    ZEVItemConnexion* c = d.viewer->itemConnexionForLienConnexion(l);
    c->dragSrcPoint();
    c->dragDstPoint();
    EXPECT_EQ(d.viewer->selectedConnexionForPoint({132, 34}), nullptr); // not drawn yet
    c->setSiDisplayed(true);
    EXPECT_EQ(d.viewer->selectedConnexionForPoint({132, 34}), c);
    EXPECT_EQ(d.viewer->selectedConnexionForPoint({132, 36}), nullptr);
    EXPECT_EQ(d.viewer->selectedConnexionForPoint({40, 32}), nullptr); // inside the end circle
    d.space.showLinks = false;
    EXPECT_FALSE(d.viewer->siSelectConnexionForPoint({132, 32}, false));
    d.space.showLinks = true;
    EXPECT_TRUE(d.viewer->siSelectConnexionForPoint({132, 32}, false));
    EXPECT_TRUE(d.space.isLinkSelectedForConnexion(c));
    // Ends closer than the two radii make no line at all.
    auto [s, t] = ZEVItemConnexion::RadiusCorrection({0, 0}, {32, 0}, 16, 16);
    EXPECT_EQ(s, t);
}

TEST(ZEVItemViewerConnexions, HighlightByFrontMode)
{
    Desk d;
    KELI* p = d.objects.objet(20);
    KELI* e = d.objects.objet(10);
    KELI* x = d.objects.objet(30);
    ZEVItemConnexion* c = d.viewer->itemConnexionForLienConnexion(d.objects.lien(100, p, e));
    d.space.icons = {e};
    EXPECT_TRUE(c->siConnectedForFrontMode(ZEVFrontModeIcons));
    EXPECT_TRUE(c->siConnectedForFrontMode(ZEVFrontModeFilters)); // no filter: the icons decide
    EXPECT_FALSE(c->siConnectedForFrontMode(ZEVFrontModeTitles));
    EXPECT_FALSE(c->siConnectedForFrontMode(ZEVFrontModeLinks));
    d.space.filters = {x};
    EXPECT_FALSE(c->siConnectedForFrontMode(ZEVFrontModeFilters));
    d.space.dragging = p;
    EXPECT_TRUE(c->siConnectedForFrontMode(ZEVFrontModeLinks));
    d.space.dragging = x;
    EXPECT_FALSE(c->siConnectedForFrontMode(ZEVFrontModeLinks));
}

namespace {

// Filters A and B; X linked to A only, Y linked to both, Z to none.
struct FilterDesk : Desk {
    FilterDesk()
    {
        for (KELI* o : {a, b, x, y, z})
            desk.add(o);
        add(100, a, x);
        add(101, y, a);
        add(102, b, y);
    }
    KELI* add(KELId id, KELI* p, KELI* e)
    {
        KELI* l = objects.lien(id, p, e);
        viewer->moteurAjoutePasseForConnexion(l);
        return l;
    }
    void select(std::vector<KELI*> filters)
    {
        space.filters = filters;
        viewer->enleveFilterForAllItems();
        for (KELI* f : filters)
            viewer->ajouteFilterForItem(f);
    }
    KELI *a = objects.objet(1), *b = objects.objet(2);
    KELI *x = objects.objet(10), *y = objects.objet(11), *z = objects.objet(12);
};

} // namespace

TEST(ZEVItemViewerFilters, AndNeedsEveryFilterOrNeedsOne)
{
    FilterDesk d;
    // Whether the views of x, y and z are hidden for not being reached.
    auto hidden = [&] {
        return std::vector<bool>{d.viewer->siHideViewForFilterImpactedItem(d.x),
                                 d.viewer->siHideViewForFilterImpactedItem(d.y),
                                 d.viewer->siHideViewForFilterImpactedItem(d.z)};
    };
    EXPECT_EQ(hidden(), (std::vector<bool>{false, false, false})); // filtering off
    EXPECT_TRUE(d.viewer->siHideViewForFilterChosenItem(d.z));
    d.select({d.a, d.b});
    d.viewer->setSiFiltreANDOperation(true);
    EXPECT_EQ(hidden(), (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(d.viewer->siHideViewForFilterImpactedItem(d.a)); // a filter is never hidden
    EXPECT_FALSE(d.viewer->siHideViewForFilterChosenItem(d.b));
    d.viewer->setSiFiltreANDOperation(false);
    EXPECT_EQ(hidden(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(d.viewer->impactedItemSet().size(), 2u); // x and y
    // Deselecting the last filter turns filtering off and shows everything again.
    d.space.filters = {d.b};
    d.viewer->enleveFilterForItem(d.a);
    EXPECT_TRUE(d.viewer->siHideViewForFilterImpactedItem(d.x));
    d.space.filters.clear();
    d.viewer->enleveFilterForItem(d.b);
    EXPECT_FALSE(d.viewer->siActifFilter());
    EXPECT_EQ(hidden(), (std::vector<bool>{false, false, false}));
}

TEST(ZEVItemViewerFilters, AnObjectLinkedBothWaysCountsOnceUntilItsLastLinkLeaves)
{
    FilterDesk d;
    KELI* back = d.add(103, d.x, d.a); // x is now linked to a both ways
    d.select({d.a});
    EXPECT_EQ(d.viewer->impactCount(d.x), 1);
    // A link that enters while the filter is selected adds no second count for the same filter.
    KELI* w = d.objects.objet(13);
    KELI* wa = d.add(104, w, d.a);
    KELI* aw = d.add(105, d.a, w);
    EXPECT_EQ(d.viewer->impactCount(w), 1);
    // One of the two links leaves: x is still reached.
    d.viewer->moteurEnlevePasseForConnexion(back);
    EXPECT_EQ(d.viewer->impactCount(d.x), 1);
    d.viewer->moteurEnlevePasseForConnexion(wa);
    d.viewer->moteurEnlevePasseForConnexion(aw);
    EXPECT_EQ(d.viewer->impactCount(w), 0);
    // Forgetting a line takes its impact away too.
    d.viewer->delConnexionsForParentIntEnfantInt(d.a->idInt(), d.x->idInt());
    EXPECT_FALSE(d.viewer->siImpactedItem(d.x));
}

// The eight notices of a Link move its counters as they move an icon's view, and only a Link's
// first entry into the context window and its last exit change what it counts for the filters.
TEST(ZEVItemViewerFilters, EveryNoticeMovesTheCountersAndOnlyTheContextMovesTheFilterCount)
{
    struct Row {
        void (ZEVItemViewer::*notice)(KELI*);
        std::tuple<int, int, int> counts; // added, active, future, from (1, 1, 1)
        int impact;                       // what z counts for filter a, from 1
    };
    const Row rows[] = {
        {&ZEVItemViewer::moteurAjouteFuturForConnexion, {2, 1, 2}, 1},
        {&ZEVItemViewer::moteurAjoutePasseForConnexion, {2, 1, 1}, 1},
        {&ZEVItemViewer::moteurEnleveFuturForConnexion, {0, 1, 0}, 0},
        {&ZEVItemViewer::moteurEnlevePasseForConnexion, {0, 1, 1}, 0},
        {&ZEVItemViewer::moteurActiveFuturForConnexion, {1, 2, 1}, 1},
        {&ZEVItemViewer::moteurActivePasseForConnexion, {1, 2, 2}, 1},
        {&ZEVItemViewer::moteurDesactiveFuturForConnexion, {1, 0, 1}, 1},
        {&ZEVItemViewer::moteurDesactivePasseForConnexion, {1, 0, 0}, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        FilterDesk d;
        d.select({d.a});
        KELI* l = d.add(106, d.a, d.z); // enters the window while a is selected
        d.viewer->moteurActivePasseForConnexion(l);
        ZEVItemConnexion* c = d.viewer->itemConnexionForLienConnexion(l);
        ASSERT_EQ(counts(*c), std::tuple(1, 1, 1));
        ASSERT_EQ(d.viewer->impactCount(d.z), 1);
        ((*d.viewer).*r.notice)(l);
        EXPECT_EQ(counts(*c), r.counts);
        EXPECT_EQ(d.viewer->impactCount(d.z), r.impact);
    }
}

TEST(ZEVItemViewerFilters, AddingAFilterShowsItsIcon)
{
    Desk d;
    KELI* f = d.objects.objet(1);
    d.objects.icons.insert(f);
    d.space.filters = {f};
    d.viewer->ajouteFilterForItem(f);
    EXPECT_NE(d.desk.itemViewForItem(f), nullptr);
    EXPECT_TRUE(d.viewer->siActifFilter());
    EXPECT_GT(d.desk.majViews, 0);
}

TEST(ZEVItemViewerSelection, VisibleViewsAndTheViewsOfAGesture)
{
    Desk d;
    KELI* a = d.objects.objet(1);
    KELI* b = d.objects.objet(2);
    KELI* hidden = d.objects.objet(4, 9); // another Channel
    ZEVItemView* va = d.desk.add(a);
    ZEVItemView* vb = d.desk.add(b);
    ZEVItemView* vc = d.desk.add(d.objects.objet(3));
    d.desk.add(hidden);
    d.space.icons = {b, hidden, a, d.objects.objet(5)}; // 5 has no view
    EXPECT_EQ(d.viewer->visibleItemViewsForMode(ZEVFrontModeIcons), (std::vector<ZEVItemViewForDesks*>{vb, va}));
    EXPECT_TRUE(d.viewer->visibleItemViewsForMode(7).empty());
    EXPECT_EQ(d.viewer->majSelectedItemViewsForSelectedItemView(va), (std::vector<ZEVItemView*>{vb, va}));
    EXPECT_EQ(d.viewer->majSelectedItemViewsForSelectedItemView(vc), (std::vector<ZEVItemView*>{vc}));
    // Filters mode falls back on the icon selection.
    d.space.mode = ZEVFrontModeFilters;
    EXPECT_EQ(d.viewer->majSelectedItemViewsForSelectedItemView(vb).size(), 2u);
    d.space.mode = 6;
    EXPECT_TRUE(d.viewer->majSelectedItemViewsForSelectedItemView(vb).empty());
    // A destroyed view leaves the selected list.
    d.space.mode = ZEVFrontModeIcons;
    d.viewer->majSelectedItemViewsForSelectedItemView(va);
    d.desk.views.erase(b);
    EXPECT_EQ(d.viewer->selectedItemViews(), (std::vector<ZEVItemView*>{va}));
    // Copies of a drag: one per selected view, same frame and Object, in order.
    const auto& copies = d.viewer->copiedItemViewsForSelectedItemView(va);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->item(), a);
    EXPECT_EQ(copies[0]->frame(), va->frame());
    EXPECT_TRUE(d.viewer->siCopiedItemViewForItem(a));
    EXPECT_EQ(d.viewer->draggedItemViews(), (std::vector<ZEVItemView*>{va}));
    ZEVItemViewer::ViderCopiedItemViews();
}
