#include "tests/desk/DeskFixture.h"

#include <random>

using namespace desktest;

namespace {
bool hasEvent(const std::vector<std::string>& events, const std::string& e)
{
    return std::find(events.begin(), events.end(), e) != events.end();
}
} // namespace

TEST_F(DeskBase, RecallOfANeverPlacedObjectPlacesItToTheEndOfTheSpace)
{
    KELI* o = newItem();
    const double now = curseur->placeToi();
    space.spaceEnd = now + 1000;
    desk->recallIconForItem(o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, o, true), (std::vector<Span>{{now, now + 1000}}));
    ASSERT_EQ(deskViewer.placed.size(), 1u);
    for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S,
                      KELRELATION_ICON_ANGLE})
        EXPECT_EQ(spans(rel, o), (std::vector<Span>{{KELDateToujours, KELDateOuverte}})) << rel;
    const ZEVIconPosition p = desk->rectCurseurForItem(o);
    EXPECT_NEAR(p.x, deskViewer.placed[0].x, 0.1);
    EXPECT_NEAR(p.y, deskViewer.placed[0].y, 0.1);
    EXPECT_NEAR(p.size, space.geometry.spaceRatioDefaultSize(), 0.1);
    EXPECT_TRUE(desk->siIconExisteForItem(o));
    EXPECT_EQ(desk->itemsForIconViewerRelation(), std::vector<KELI*>{o});

    // Already on a desk (here: of another Channel): nothing more.
    space.current = other;
    desk->recallIconForItem(o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, o, true).size(), 1u);
    EXPECT_TRUE(desk->itemsForIconViewerRelation().empty());
}

TEST_F(DeskBase, RecallStopsAtTheNextIconOrTheEndOfTheSpace)
{
    KELI* a = newItem();
    KELI* b = newItem();
    const double now = curseur->placeToi();
    for (KELI* o : {a, b})
        desk->creerIconForItem(o, now + 500, now + 600);
    space.spaceEnd = now + 1000;
    desk->recallIconForItem(a, now);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true), (std::vector<Span>{{now, now + 500}, {now + 500, now + 600}}));
    space.spaceEnd = now + 300;
    desk->recallIconForItem(b, now);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, b, true), (std::vector<Span>{{now, now + 300}, {now + 500, now + 600}}));
    EXPECT_TRUE(deskViewer.placed.empty()); // both had icons before: no new geometry
}

TEST_F(DeskBase, RetainStretchesTheLastIconOrReachesBackToAlways)
{
    KELI* a = newItem();
    KELI* b = newItem();
    const double now = curseur->placeToi();
    desk->creerIconForItem(a, now - 100, now - 20);
    desk->creerIconForItem(b, now + 50, now + 80);
    desk->retainIconForItem(a);
    desk->retainIconForItem(b);
    const double d = curseur->now();
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true), (std::vector<Span>{{now - 100, d}}));
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, b, true), (std::vector<Span>{{KELDateToujours, d}, {now + 50, now + 80}}));
}

TEST_F(DeskBase, RetainOfNeverPlacedObjectsSpreadsThemOut)
{
    std::vector<KELI*> os{newItem(), newItem(), newItem()};
    const ZEVDeskGeometry start = space.geometry;
    desk->retainIconForItems(os);
    ASSERT_EQ(deskViewer.placed.size(), 3u);
    ZEVDeskGeometry g = start;
    const double step = g.spaceRatioDropShift();
    const double k1 = std::trunc(step), k2 = std::trunc(k1 + step);
    const double shifts[] = {0, k1, k2};
    for (int i = 0; i < 3; ++i) {
        const QRectF r = g.nextIconDefaultPosition();
        EXPECT_DOUBLE_EQ(deskViewer.placed[i].x, r.x() + shifts[i]) << i;
        EXPECT_DOUBLE_EQ(deskViewer.placed[i].y, r.y()) << i;
        EXPECT_DOUBLE_EQ(deskViewer.placed[i].size, g.spaceRatioDefaultSize()) << i;
        EXPECT_EQ(deskViewer.placed[i].angle, 0) << i;
        EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, os[i], true).size(), 1u);
    }
}

TEST_F(DeskBase, SizeIsComparedToTheHalfPointAndOnlyChangedAttributesMove)
{
    KELI* o = newItem();
    const double now = curseur->placeToi();
    desk->creerIconAttributsForItem(o, {100, 100, 100.5, 0});
    desk->creerIconForItem(o, KELDateToujours, KELDateOuverte);
    const ZEVIconPosition old{100, 100, 100.5, 0};
    desk->updatePosition({100, 100, 100.26, 0}, old, o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_S, o).size(), 1u);
    EXPECT_DOUBLE_EQ(ZEVDeskClass::tailleArrondie(100.26), 100.5);
    EXPECT_DOUBLE_EQ(ZEVDeskClass::tailleArrondie(100.2), 100.0);
    desk->updatePosition({100, 100, 100.2, 0}, old, o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_S, o), (std::vector<Span>{{KELDateToujours, now}, {now, KELDateOuverte}}));
    desk->updatePosition({140, 100, 100, 0}, {100, 100, 100, 0}, o, now + 10);
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_X, o).size(), 2u);
    for (KELId rel : {KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_ANGLE})
        EXPECT_EQ(spans(rel, o).size(), 1u);
    sched.advance(20);
    curseur->placeToi();
    EXPECT_NEAR(desk->rectCurseurForItem(o).x, 140, 0.1);
    EXPECT_NEAR(desk->rectCurseurForItem(o).size, 100, 0.1);
    desk->updatePosition({140, 100, 100, std::nan("")}, {140, 100, 100, std::nan("")}, o, now + 30);
    EXPECT_EQ(spans(KELRELATION_ICON_ANGLE, o).size(), 2u); // a NaN always counts as a change
}

TEST_F(DeskBase, PositionChangeInsideAnEarlierSpanKeepsLaterDates)
{
    KELI* o = newItem();
    const double now = curseur->placeToi();
    desk->creerIconAttributsForItem(o, {100, 100, 80, 0});
    const double b = now + 1000;
    desk->updatePosition({200, 100, 80, 0}, {100, 100, 80, 0}, o, b); // X: [always, B) + [B, open)
    desk->updatePosition({150, 100, 80, 0}, {100, 100, 80, 0}, o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_X, o),
              (std::vector<Span>{{KELDateToujours, now}, {now, b}, {b, KELDateOuverte}}));
}

TEST_F(DeskBase, PositionChangeDatedBeforeTheActiveLinkSplitsTheLinkValidThen)
{
    KELI* o = newItem();
    const double now = curseur->placeToi();
    desk->creerIconAttributsForItem(o, {100, 100, 80, 0});
    desk->updatePosition({200, 100, 80, 0}, {100, 100, 80, 0}, o, now - 50); // active: [now-50, open)
    desk->updatePosition({300, 100, 80, 0}, {200, 100, 80, 0}, o, now - 80); // before its in-date
    const auto x = spans(KELRELATION_ICON_RATIO_X, o);
    EXPECT_EQ(x, (std::vector<Span>{{KELDateToujours, now - 80}, {now - 80, now - 50}, {now - 50, KELDateOuverte}}));
    for (const Span& s : x)
        EXPECT_LE(s.first, s.second);
    EXPECT_NEAR(desk->rectCurseurForItem(o).x, 200, 0.1);

    // The same holds for titles, and a title change on a bare Object starts at its date.
    desk->updateItemTitle("later", o, now + 100);
    desk->updateItemTitle("earlier", o, now - 100);
    EXPECT_TRUE(disjoint(spans(KELRELATION_ITEM_TITLE, o)));
    EXPECT_EQ(spans(KELRELATION_ITEM_TITLE, o).size(), 3u);
    EXPECT_EQ(desk->itemTitleCurseurForItem(o), "earlier");
}

TEST_F(DeskBase, ReleaseEndsNowForgetBeginsNowAndSpaceTitleKeepsItsSpan)
{
    KELI* a = newItem();
    KELI* b = newItem(nullptr, "old");
    const double now = curseur->placeToi();
    desk->creerIconForItem(a, now - 100, KELDateOuverte);
    desk->creerIconForItem(b, now - 100, KELDateOuverte);
    desk->releaseIconForItem(a);
    desk->forgetIconForItem(b);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true), (std::vector<Span>{{now - 100, now}}));
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, b, true), (std::vector<Span>{{now, KELDateOuverte}}));
    desk->releaseIconForItem(a); // no active icon now: nothing
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true).size(), 1u);

    desk->updateSpaceTitle("renamed", b);
    EXPECT_EQ(spans(KELRELATION_ITEM_TITLE, b), (std::vector<Span>{{KELDateToujours, KELDateOuverte}}));
    EXPECT_EQ(desk->itemTitleCurseurForItem(b), "renamed");
}

TEST_F(DeskBase, IconAndGeometryMessagesReachTheDeskViewer)
{
    desk->enclencherMaj();
    KELI* o = newItem();
    const double now = curseur->placeToi();
    desk->recallIconForItem(o, now);
    items->refresh();
    const std::string id = std::to_string(o->idInt());
    EXPECT_TRUE(hasEvent(deskViewer.events, "activePasse " + id) || hasEvent(deskViewer.events, "activeFutur " + id));
    deskViewer.events.clear();
    desk->updatePosition({10, 10, 50, 0}, desk->rectCurseurForItem(o), o, now);
    items->refresh();
    EXPECT_TRUE(hasEvent(deskViewer.events, "view " + id));
    desk->releaseIconForItem(o);
    items->refresh();
    EXPECT_TRUE(hasEvent(deskViewer.events, "desactivePasse " + id) ||
                hasEvent(deskViewer.events, "desactiveFutur " + id));
}

// Whatever the user does, in whatever order and at whatever dates, each attribute of an Object
// has at most one value at any moment.
TEST_F(DeskBase, NoTwoLinksOfOneAttributeOverlapAfterAnySequenceOfActs)
{
    std::mt19937 rng(7);
    std::vector<KELI*> os{newItem(), newItem(), newItem()};
    const double now = curseur->placeToi();
    std::uniform_int_distribution<int> act(0, 6), pick(0, 2), offset(-300, 300);
    for (int step = 0; step < 150; ++step) {
        KELI* o = os[pick(rng)];
        const double d = now + offset(rng);
        const ZEVIconPosition p{double(offset(rng) + 500), double(offset(rng) + 500), double(pick(rng) * 20 + 60), 0};
        switch (act(rng)) {
        case 0: desk->updatePosition(p, desk->rectCurseurForItem(o), o, d); break;
        case 1: desk->updateItemTitle("t" + std::to_string(step), o, d); break;
        case 2: desk->recallIconForItem(o, d); break;
        case 3: desk->releaseIconForItem(o); break;
        case 4: desk->retainIconForItem(o); break;
        case 5: desk->forgetIconForItem(o); break;
        default: desk->recallIconForItem(o, curseur->now(), p, desk->rectCurseurForItem(o)); break;
        }
        if (step % 10 == 0)
            sched.advance(pick(rng) * 7.0);
        for (KELI* x : os)
            for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S,
                              KELRELATION_ICON_ANGLE, KELRELATION_ITEM_TITLE})
                for (const Span& s : spans(rel, x)) {
                    ASSERT_LE(s.first, s.second) << "step " << step << " rel " << rel;
                    ASSERT_TRUE(disjoint(spans(rel, x))) << "step " << step << " rel " << rel;
                }
    }
}
