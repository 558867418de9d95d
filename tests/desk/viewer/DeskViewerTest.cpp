#include "tests/desk/DeskFixture.h"

namespace desktest {

TEST_F(DeskViewerBase, RefreshesCoalesceAndAreForcedAtMostEveryTenthOfASecond)
{
    ZEVDeskViewer* d = makeDesk(now);
    std::vector<std::unique_ptr<FakeView>> v; // outside any map: the refresh only needs their flags
    for (int i = 0; i < 5; ++i)
        v.push_back(std::make_unique<FakeView>(nullptr, ZEVIconPosition{}, nullptr));

    // Right after a forced pass: five calls, one pass 0.05 s later.
    d->initMajItemViews();
    for (auto& x : v)
        d->majItemView(x.get());
    d->majItemView(v[0].get()); // queued once
    EXPECT_EQ(d->nbEnAttente(), 5u);
    EXPECT_EQ(d->nbDePasses(), 0u);
    sched.advance(0.049);
    EXPECT_EQ(d->nbDePasses(), 0u);
    sched.advance(0.002);
    EXPECT_EQ(d->nbDePasses(), 1u);
    EXPECT_EQ(d->nbEnAttente(), 0u);
    for (auto& x : v)
        EXPECT_TRUE(x->accepte);

    // More than 0.1 s without a forced pass: the second call runs a pass at once for two views,
    // the third schedules the next one, which takes the last three.
    sched.advance(0.5);
    d->majItemView(v[0].get());
    EXPECT_EQ(d->nbDePasses(), 1u);
    d->majItemView(v[1].get());
    EXPECT_EQ(d->nbDePasses(), 2u);
    EXPECT_TRUE(v[0]->accepte && v[1]->accepte);
    for (int i : {2, 3, 4})
        d->majItemView(v[i].get());
    EXPECT_EQ(d->nbEnAttente(), 3u);
    sched.advance(0.06);
    EXPECT_EQ(d->nbDePasses(), 3u);
    EXPECT_EQ(d->nbEnAttente(), 0u);
}

// Placing one view may delete another that waits in the same pass (its Object got a new view):
// the pass goes on without it.
TEST_F(DeskViewerBase, AViewDeletedDuringARefreshPassIsLeftOutOfIt)
{
    ZEVDeskViewer* d = makeDesk(now);
    KELI* a = newItem("a");
    KELI* b = newItem("b");
    FakeView* va = fake(d->creerItemViewWithItem(a, QPointF(100, 100), 0));
    FakeView* vb = fake(d->creerItemViewWithItem(b, QPointF(300, 100), 0));
    ASSERT_TRUE(va && vb);
    sched.advance(1.0);
    const std::size_t placedBefore = d->nbDeItemViews();
    va->onPlace = [&] { d->deleteItemView(vb); };
    d->majItemView(va);
    d->majItemView(vb);
    sched.advance(0.06);
    EXPECT_EQ(d->itemViewForItem(b), nullptr);
    EXPECT_EQ(d->itemViewForItem(a), va);
    EXPECT_EQ(d->nbDeItemViews(), placedBefore - 1);
    EXPECT_EQ(d->nbEnAttente(), 0u);
}

TEST_F(DeskViewerBase, RefreshingEveryViewNeverForcesAPass)
{
    ZEVDeskViewer* d = makeDesk(now);
    for (int i = 0; i < 4; ++i)
        d->creerItemViewWithItem(newItem(), QPointF(100 + 100 * i, 100), 0);
    sched.advance(1.0);
    const std::size_t passes = d->nbDePasses();
    d->initMajItemViews();
    sched.advance(0.5); // long past the forcing delay
    d->majItemViews();
    EXPECT_EQ(d->nbDePasses(), passes);
    sched.advance(0.06);
    EXPECT_EQ(d->nbDePasses(), passes + 1);
}

TEST_F(DeskViewerBase, RelaysRaiseAndLowerTheCountersAndCreateViewsOnlyWhereTheyShould)
{
    ZEVDeskViewer* d = makeDesk(now);
    struct Row {
        void (ZEVDeskViewer::*relay)(KELI*);
        bool creates;
        int ajoute, actif, futur;
    };
    // Counts from a view at (1, 1, 1) where a relay does not create one.
    const Row rows[] = {
        {&ZEVDeskViewer::moteurAjouteFuturItem, true, 1, 0, 1},
        {&ZEVDeskViewer::moteurAjoutePasseItem, true, 1, 0, 0},
        {&ZEVDeskViewer::moteurActiveFuturItem, true, 0, 1, 0},
        {&ZEVDeskViewer::moteurEnleveFuturItem, false, 0, 1, 0},
        {&ZEVDeskViewer::moteurEnlevePasseItem, false, 0, 1, 0}, // future held at 0 without added
        {&ZEVDeskViewer::moteurActivePasseItem, false, 1, 2, 2},
        {&ZEVDeskViewer::moteurDesactiveFuturItem, false, 1, 0, 1},
        {&ZEVDeskViewer::moteurDesactivePasseItem, false, 1, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        KELI* o = newItem();
        (d->*r.relay)(o);
        EXPECT_EQ(d->itemViewForItem(o) != nullptr, r.creates);
        if (!r.creates) {
            d->moteurAjouteFuturItem(o = newItem()); // ajoute 1, futur 1
            d->moteurActiveFuturItem(o);             // actif 1
            (d->*r.relay)(o);
        }
        FakeView* v = fake(d->itemViewForItem(o));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(std::make_tuple(v->ajoute, v->actif, v->futur), std::make_tuple(r.ajoute, r.actif, r.futur));
        // Hidden until a refresh places it.
        EXPECT_EQ(std::pair(v->isHidden(), v->channel), std::pair(true, KELOBJECT_HOME_CHANNEL));
    }
}

TEST_F(DeskViewerBase, NewIconsAreClampedIntoTheLimitsAndShiftedRightAndDown)
{
    ZEVDeskViewer* d = makeDesk(now);
    // 1920 x 1200 points: limits 20..1900 x 20..1140, default size 80.
    EXPECT_EQ(d->clampedLocation(QPointF(5000, 500)), QPointF(1900, 500));
    EXPECT_EQ(d->clampedLocation(QPointF(-3, -3)), QPointF(20, 20));
    EXPECT_EQ(d->clampedLocation(QPointF(300, 400)), QPointF(300, 400));

    KELI* a = newItem();
    ZEVItemViewForDesks* v = d->creerItemViewWithItem(a, QPointF(300, 400), 30);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(parts(v->iconPosition()), std::tuple(330.0, 370.0, 80.0, 0.0));
    EXPECT_EQ(presence(d, v), std::tuple(true, false, true));
    EXPECT_LT(offBy(desks.front()->rectCurseurForItem(a), 330, 370), 0.5); // the model holds the same place
    EXPECT_EQ(parts(d->creerItemViewWithItem(newItem(), QPointF(1890, 30), 30)->iconPosition()),
              std::tuple(1900.0, 20.0, 80.0, 0.0));
}

TEST_F(DeskViewerBase, DroppingAnObjectOnTheDeskFlicksOrMovesItWithCtrlAndRecallsAViewThatLeft)
{
    ZEVDeskViewer* d = makeDesk(now);
    KELI* a = newItem();
    FakeView* v = fake(d->creerItemViewWithItem(a, QPointF(300, 400), 0));
    ASSERT_NE(v, nullptr);
    const std::size_t links = spans(KELRELATION_ICON_VIEWER, a, true).size();

    double shift = 0;
    EXPECT_EQ(d->recallExistingItemViewWithItem(a, QPointF(900, 900), &shift, false), nullptr);
    EXPECT_EQ(v->flicks, 1);
    EXPECT_TRUE(space.has(0, a));
    EXPECT_DOUBLE_EQ(shift, 0);
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 300);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true).size(), links);

    // With Ctrl it moves to the drop point, keeps its size, loses its angle; the shift grows.
    sched.advance(5);
    space.sel(0).clear();
    space.mode = 1;
    EXPECT_EQ(d->recallExistingItemViewWithItem(a, QPointF(900, 700), &shift, true), nullptr);
    EXPECT_EQ(std::pair(v->flicks, v->fronts), std::pair(1, 1));
    EXPECT_EQ(parts(v->iconPosition()), std::tuple(900.0, 700.0, 80.0, 0.0));
    EXPECT_DOUBLE_EQ(v->lastDuration, 0.7);
    EXPECT_DOUBLE_EQ(shift, space.geometry.spaceRatioDropShift());
    EXPECT_TRUE(space.has(1, a));
    EXPECT_LT(offBy(desks.front()->rectCurseurForItem(a), 900, 700), 0.5);
    EXPECT_TRUE(itemViewers.front()->recalledViews.empty());

    // One whose icon left the desk: its view is recalled.
    space.mode = 0;
    ZEVItemViewForDesks* left = d->recallExistingItemViewWithItem(newItem(), QPointF(500, 500), &shift, false);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(std::pair(fake(left)->flicks, fake(left)->fronts), std::pair(0, 1));
    EXPECT_EQ(itemViewers.front()->recalledViews, std::vector<ZEVItemViewForDesks*>{left});
    EXPECT_TRUE(space.sel(0).empty());

    // Without a location: an active view flicks, another is recalled through its Object.
    KELI* b = newItem();
    EXPECT_NE(d->recallExistingItemViewWithItem(b), nullptr);
    EXPECT_EQ(itemViewers.front()->recalledItems, std::vector<KELI*>{b});
}

TEST_F(DeskViewerBase, MovingTheSearchCursorOverAnIconsIntervalShowsThenHidesItsView)
{
    ZEVDeskViewer* d = makeDesk(search);
    ZEVDeskClass* model = desks.front().get();
    model->initialiser();
    KELI* a = newItem();
    const double t = sched.now();
    model->creerIconAttributsForItem(a, ZEVIconPosition{400, 300, 80, 0});
    model->creerIconForItem(a, t + 100, t + 200);
    deskmodel::relancer(search);
    sched.advance(0.1);
    ZEVItemViewForDesks* v = d->itemViewForItem(a);
    EXPECT_TRUE(v == nullptr || v->isHidden());

    moveSearchTo(search->now() + 150);
    v = d->itemViewForItem(a);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(presence(d, v), std::tuple(true, false, true));
    EXPECT_NEAR(v->iconPosition().x, 400, 0.5);

    moveSearchTo(search->now() + 250);
    EXPECT_EQ(presence(d, v), std::tuple(false, true, false));
    EXPECT_FALSE(v->siAjoute());
    EXPECT_EQ(d->itemViewForItem(a), v); // hidden views stay in the map
}

// A refresh reads a view's title again only when something other than its place links asked for
// it: a rename at the date of a move, or heard while a pass is forced, still shows.
TEST_F(DeskViewerBase, ARefreshShowsTheTitleOfTheDateReachedWhateverAskedForTheViewFirst)
{
    ZEVDeskViewer* d = makeDesk(search);
    ZEVDeskClass* model = desks.front().get();
    model->initialiser();
    KELI* a = newItem("before");
    const double t = sched.now();
    const ZEVIconPosition first{400, 300, 80, 0}, moved{200, 100, 80, 0};
    model->creerIconAttributsForItem(a, first);
    model->creerIconForItem(a, t + 100, t + 1000);
    model->updatePosition(moved, first, a, t + 300);
    model->updateItemTitle("after", a, t + 300);
    deskmodel::relancer(search);
    sched.advance(0.1);

    moveSearchTo(search->now() + 150);
    FakeView* v = fake(d->itemViewForItem(a));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->title.toStdString(), "before");
    EXPECT_NEAR(v->iconPosition().x, 400, 0.5);
    moveSearchTo(search->now() + 200);
    EXPECT_EQ(v->title.toStdString(), "after");
    EXPECT_NEAR(v->iconPosition().x, 200, 0.5);

    // Queued by a place link, then asked for by a title link whose ask forces the pass at once.
    v->title = QStringLiteral("stale");
    sched.advance(0.5);
    const std::size_t passes = d->nbDePasses();
    d->moteurChangeItemViewForItem(a);
    d->moteurChangeItemTitleForItem(a);
    EXPECT_EQ(d->nbDePasses(), passes + 1);
    EXPECT_EQ(v->title.toStdString(), "after");

    // Asked for by place links alone, the view keeps the title it has.
    v->title = QStringLiteral("kept");
    d->moteurChangeItemViewForItem(a);
    sched.advance(0.1);
    EXPECT_EQ(v->title.toStdString(), "kept");
    EXPECT_NEAR(v->iconPosition().x, 200, 0.5);
}

TEST_F(DeskViewerBase, AnIconLinkWithoutAnObjectIsLoggedAndMakesNoView)
{
    ZEVDeskViewer* d = makeDesk(now);
    ScopedLogCapture log;
    KELI lien;
    lien.assignerIdInt(123456);
    d->initItemViewAvecIcon(&lien, now->now());
    EXPECT_TRUE(log.sink.contains("ZEVDeskViewer ERROR: initItemViewAvecIcon:123456"));
    EXPECT_EQ(d->nbDeItemViews(), 0u);
}

class TabWalk : public DeskViewerBase {
protected:
    void SetUp() override
    {
        DeskViewerBase::SetUp();
        d = makeDesk(now, 1000, 800);
        // Rows from the top: b (y 600), then a and c (y 300, a left of c), e stacked on a.
        for (auto [name, x, y] : {std::tuple{"a", 200, 300}, {"b", 500, 600}, {"c", 700, 300}, {"e", 200, 300}}) {
            KELI* i = newItem(name);
            d->creerItemViewWithItem(i, QPointF(x, y), 0);
            byName[name] = i;
        }
    }
    // The titles of the selected icons; next() and previous() take a step of the walk first.
    std::string selected()
    {
        std::string s;
        for (KELI* i : space.sel(0))
            s += desks.front()->itemTitleCurseurForItem(i).value_or("?");
        return s;
    }
    std::string next() { d->userSelectNext(); return selected(); }
    std::string previous() { d->userSelectPrevious(); return selected(); }
    ZEVDeskViewer* d = nullptr;
    std::map<std::string, KELI*> byName;
};

TEST_F(TabWalk, RowsFromTheTopLeftToRightStackedViewsOnceThenTheEndCycle)
{
    std::string walk;
    for (int i = 0; i < 4; ++i)
        walk += next() + " ";
    // b first; then the row at 300 from the left: the two stacked views one after the other.
    EXPECT_TRUE(walk == "b a e c " || walk == "b e a c ") << walk;
    EXPECT_TRUE(space.sounds.empty());

    EXPECT_EQ(next(), "c"); // past the end: the sound, the selection stays
    EXPECT_EQ(space.sounds, std::vector<std::string>{"Tink"});
    EXPECT_EQ(next(), ""); // then everything is deselected
    EXPECT_EQ(next(), "b"); // and the walk starts again
    EXPECT_EQ(space.history, 7);
    EXPECT_EQ(d->tabFrontMode(), 4);
}

TEST_F(TabWalk, SeveralSelectedRestartFromTheTopAndShiftTabStartsBottomRight)
{
    space.sel(0) = {byName["c"], byName["a"]};
    EXPECT_EQ(next(), "b");

    space.sel(0).clear();
    d->iconSelectionDidChange();
    EXPECT_EQ(previous(), "c");
    const std::string second = previous();
    EXPECT_TRUE(second == "a" || second == "e");
    space.mode = 2; // filters with none selected walk the icons
    EXPECT_EQ(previous(), second == "a" ? "e" : "a");
}

} // namespace desktest
