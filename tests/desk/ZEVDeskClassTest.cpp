#include "tests/desk/DeskFixture.h"

#include <random>

using namespace desktest;

TEST_F(DeskBase, RecallOfANeverPlacedObjectPlacesItToTheEndOfTheSpace)
{
    KELI* o = newItem();
    const double now = curseur->placeToi();
    space.spaceEnd = now + 1000;
    desk->recallIconForItem(o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, o, true), (std::vector<Span>{{now, now + 1000}}));
    ASSERT_EQ(deskViewer.placed.size(), 1u);
    for (KELId rel :
         {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S, KELRELATION_ICON_ANGLE})
        EXPECT_EQ(spans(rel, o), kAllTime) << rel;
    EXPECT_LT(offBy(desk->rectCurseurForItem(o), deskViewer.placed[0].x, deskViewer.placed[0].y), 0.1);
    EXPECT_NEAR(desk->rectCurseurForItem(o).size, space.geometry.spaceRatioDefaultSize(), 0.1);
    EXPECT_TRUE(desk->siIconExisteForItem(o));
    EXPECT_EQ(desk->itemsForIconViewerRelation(), std::vector<KELI*>{o});

    // Already on a desk (here: of another Channel): nothing more.
    space.current = other;
    desk->recallIconForItem(o, now);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, o, true).size(), 1u);
    EXPECT_TRUE(desk->itemsForIconViewerRelation().empty());
}

// Recall, Retain, Release and Forget of an icon that had icons before; dates are offsets from now.
TEST_F(DeskBase, IconActsStopAtTheNextIconOrTheSpaceEndAndReachBackToTheLastIconOrAlways)
{
    enum Act { Recall, Retain, Release, Forget };
    struct Case {
        const char* name;
        Act act;
        std::vector<Span> before;
        double spaceEnd;
        std::vector<Span> after;
    };
    const Case cases[] = {
        {"recall stops at the next icon", Recall, {{500, 600}}, 1000, {{0, 500}, {500, 600}}},
        {"recall stops at the end of the space", Recall, {{500, 600}}, 300, {{0, 300}, {500, 600}}},
        {"retain stretches the last icon", Retain, {{-100, -20}}, kOpen, {{-100, 0}}},
        {"retain reaches back to always", Retain, {{50, 80}}, kOpen, {{kAlways, 0}, {50, 80}}},
        {"release ends the active icon now", Release, {{-100, kOpen}}, kOpen, {{-100, 0}}},
        {"release without an active icon", Release, {{-100, -50}}, kOpen, {{-100, -50}}},
        {"forget begins the active icon now", Forget, {{-100, kOpen}}, kOpen, {{0, kOpen}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KELI* o = newItem();
        const double now = curseur->placeToi();
        for (const Span& s : c.before)
            desk->creerIconForItem(o, dateAt(now, s.first), dateAt(now, s.second));
        space.spaceEnd = dateAt(now, c.spaceEnd);
        switch (c.act) {
        case Recall: desk->recallIconForItem(o, now); break;
        case Retain: desk->retainIconForItem(o); break;
        case Release: desk->releaseIconForItem(o); break;
        case Forget: desk->forgetIconForItem(o); break;
        }
        EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, o, true), datesAt(now, c.after));
    }
    EXPECT_TRUE(deskViewer.placed.empty()); // all had icons before: no new geometry
}

TEST_F(DeskBase, RetainOfNeverPlacedObjectsSpreadsThemOut)
{
    std::vector<KELI*> os{newItem(), newItem(), newItem()};
    desk->retainIconForItems(os);
    ASSERT_EQ(deskViewer.placed.size(), 3u);
    // The default column moves one place per icon and each drop shifts one step further right.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(parts(deskViewer.placed[i]), std::tuple(50.0 + 110 * i, 55.0, 80.0, 0.0)) << i;
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
    desk->updatePosition({100, 100, 100.26, 0}, old, o, now); // the same half point: no change
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_S, o).size(), 1u);
    desk->updatePosition({100, 100, 100.2, 0}, old, o, now); // rounds to 100
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

// Ten desk units to the point here: 5005 units are shown at 501 points (rounded), which a plain
// conversion would store back as 5010. A place read from the store goes back as its own numbers
// wherever it still stands; a coordinate that moved is converted.
TEST_F(DeskBase, APlaceCarriedToAnotherMomentKeepsTheNumbersItWasReadFrom)
{
    KELI* o = newItem();
    const double now = curseur->placeToi();
    desk->creerIconAttributsForItem(o, ZEVDeskClass::placeLue(space.geometry, 5005, 555, 805, 0));
    desk->creerIconForItem(o, KELDateToujours, KELDateOuverte);
    const ZEVIconPosition lue = desk->rectCurseurForItem(o);
    ASSERT_TRUE(lue.stored.known);
    EXPECT_EQ(lue.x, 501);
    EXPECT_EQ(space.geometry.baseNumForX(lue.x), 5010) << "what the points alone would give back";
    auto nombres = [&](double at) {
        sched.advance(at - curseur->now());
        curseur->placeToi();
        const ZEVIconPosition p = desk->rectCurseurForItem(o);
        return std::vector<float>{p.stored.numX, p.stored.numY, p.stored.numS};
    };
    EXPECT_EQ(nombres(now), (std::vector<float>{5005, 555, 805}));

    // Moved elsewhere later, then the place read at first carried to a later moment: exact again.
    desk->updatePosition({300, 300, 50, 0}, lue, o, now + 10);
    EXPECT_EQ(nombres(now + 15), (std::vector<float>{3000, 3000, 500}));
    desk->updatePosition(lue, desk->rectCurseurForItem(o), o, now + 20);
    EXPECT_EQ(nombres(now + 25), (std::vector<float>{5005, 555, 805}));

    // Only x moved: it is converted, y and the size keep their numbers and their links.
    ZEVIconPosition moved = desk->rectCurseurForItem(o);
    moved.x += 10;
    desk->updatePosition(moved, desk->rectCurseurForItem(o), o, now + 30);
    EXPECT_EQ(nombres(now + 35), (std::vector<float>{5110, 555, 805}));
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_Y, o).size(), 3u);
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_S, o).size(), 3u);

    // A place given in points only, standing where the old one was read: nothing changes.
    const ZEVIconPosition avant = desk->rectCurseurForItem(o);
    desk->updatePosition({avant.x, avant.y, avant.size, 0}, avant, o, now + 40);
    EXPECT_EQ(nombres(now + 45), (std::vector<float>{5110, 555, 805}));
    EXPECT_EQ(spans(KELRELATION_ICON_RATIO_X, o).size(), 4u);
}

// A change dated before an earlier one, whether that lies ahead (inside an earlier span) or is the
// active link, splits the link valid at its date and keeps the later dates.
TEST_F(DeskBase, PositionChangeDatedBeforeAnotherSplitsTheLinkValidThen)
{
    KELI* o = nullptr;
    double now = 0;
    for (auto [first, second, xNow] : {std::tuple{1000.0, 0.0, 300.0}, {-50.0, -80.0, 200.0}}) {
        SCOPED_TRACE(first);
        o = newItem();
        now = curseur->placeToi();
        desk->creerIconAttributsForItem(o, {100, 100, 80, 0});
        desk->updatePosition({200, 100, 80, 0}, {100, 100, 80, 0}, o, now + first);
        desk->updatePosition({300, 100, 80, 0}, {200, 100, 80, 0}, o, now + second);
        EXPECT_EQ(spans(KELRELATION_ICON_RATIO_X, o), datesAt(now, {{kAlways, second}, {second, first}, {first, kOpen}}));
        EXPECT_NEAR(desk->rectCurseurForItem(o).x, xNow, 0.1);
    }

    // The same holds for titles, and a title change on a bare Object starts at its date.
    desk->updateItemTitle("later", o, now + 100);
    desk->updateItemTitle("earlier", o, now - 100);
    EXPECT_TRUE(disjoint(spans(KELRELATION_ITEM_TITLE, o)));
    EXPECT_EQ(spans(KELRELATION_ITEM_TITLE, o).size(), 3u);
    EXPECT_EQ(desk->itemTitleCurseurForItem(o), "earlier");

    // A Space's title is renamed over all time.
    KELI* b = newItem(nullptr, "old");
    desk->updateSpaceTitle("renamed", b);
    EXPECT_EQ(spans(KELRELATION_ITEM_TITLE, b), kAllTime);
    EXPECT_EQ(desk->itemTitleCurseurForItem(b), "renamed");
}

// Many Objects recalled at once read their next icons in one go: each icon still stops at its own
// Object's first later icon, or at the end of the Space.
TEST_F(DeskBase, ARecallOfManyObjectsStopsEachAtItsOwnNextIconAsOneAtATimeWould)
{
    KELI* a = newItem();
    KELI* b = newItem();
    KELI* c = newItem();
    const double now = curseur->placeToi();
    desk->creerIconForItem(a, now - 100, now - 50);
    desk->creerIconForItem(a, now + 700, now + 800);
    desk->creerIconForItem(a, now + 500, now + 600);
    desk->creerIconForItem(b, now + 200, now + 300);
    desk->creerIconForItem(c, now - 300, now - 200);
    space.spaceEnd = now + 1000;
    const ZEVDeskClass::NextIcons next = ZEVDeskClass::nextIconsAfter(now);
    for (KELI* o : {a, b, c})
        EXPECT_TRUE(desk->recallIconForItem(o, now, {10, 10, 50, 0}, desk->rectCurseurForItem(o), &next));
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true),
              (std::vector<Span>{{now - 100, now - 50}, {now, now + 500}, {now + 500, now + 600}, {now + 700, now + 800}}));
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, b, true), (std::vector<Span>{{now, now + 200}, {now + 200, now + 300}}));
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, c, true), (std::vector<Span>{{now - 300, now - 200}, {now, now + 1000}}));
}

TEST_F(DeskBase, IconAndGeometryMessagesReachTheDeskViewer)
{
    desk->enclencherMaj();
    KELI* o = newItem();
    const double now = curseur->placeToi();
    desk->recallIconForItem(o, now);
    items->refresh();
    EXPECT_TRUE(heard(deskViewer.events, "active", o));
    deskViewer.events.clear();
    desk->updatePosition({10, 10, 50, 0}, desk->rectCurseurForItem(o), o, now);
    items->refresh();
    EXPECT_TRUE(heard(deskViewer.events, "view", o));
    desk->releaseIconForItem(o);
    items->refresh();
    EXPECT_TRUE(heard(deskViewer.events, "desactive", o));
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
                ASSERT_TRUE(disjoint(spans(rel, x))) << "step " << step << " rel " << rel;
    }
}
