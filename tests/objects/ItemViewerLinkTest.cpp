// The item viewer links two Objects the way every caller expects: one link per pair, the Object
// of the greater id as its parent, whichever way round it was asked.

#include "objects/viewer/ZEVItemViewer.h"
#include "tests/desk/DeskFixture.h"

namespace desktest {

TEST_F(LinkBase, RecallingALinkBetweenTwoObjectsMakesOneLinkFromTheGreaterId)
{
    space.current = linkFor(KELOBJECT_HOME_CHANNEL);
    ZEVItemClass items(now, &space);
    ZEVItemViewer viewer(now, &space, nullptr);
    viewer.referencerItemClass(&items, nullptr);
    KELI* first = items.creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "first", "file", "txt", 0);
    KELI* second = items.creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "second", "file", "txt", 0);
    ASSERT_TRUE(first && second && first->idInt() < second->idInt());

    viewer.userRecallLinkWithItem(first, second);
    sched.advance(1);
    viewer.userRecallLinkWithItem(second, first);
    viewer.userRecallLinkWithItem(first, first);
    const std::vector<Span> links = spans(KELRELATION_LINK_VIEWER, second);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].second, KELDateOuverte);
    EXPECT_TRUE(spans(KELRELATION_LINK_VIEWER, first).empty()) << "the smaller id is never the parent";
    EXPECT_EQ(space.inspectorRedisplays, 2) << "once per link recalled";
}

} // namespace desktest

namespace desktest {

// The item viewer's icon and link actions on a desk of the Now cursor, through the real models.
class ItemViewerActions : public DeskBase {
protected:
    void SetUp() override
    {
        DeskBase::SetUp();
        viewer = std::make_unique<ZEVItemViewer>(curseur, &space, nullptr);
        viewer->referencerItemClass(items.get(), desk.get());
        desk->referencerItemClass(items.get());
    }
    void TearDown() override
    {
        viewer.reset();
        DeskBase::TearDown();
    }
    std::unique_ptr<ZEVItemViewer> viewer;
};

TEST_F(ItemViewerActions, RecallOfAnIconOnTheDeskChangesNothingAndRetainOfANeverShownObjectStartsAtTheStartOfTime)
{
    KELI* shown = newItem();
    viewer->userRecallIconForItem(shown);
    const std::vector<Span> once = spans(KELRELATION_ICON_VIEWER, shown, true);
    ASSERT_EQ(once.size(), 1u);
    sched.advance(5);
    viewer->userRecallIconForItem(shown);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, shown, true), once) << "already on the desk";
    EXPECT_TRUE(curseur->siIncluLeLien(linkFor(*KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(
        shown->idInt(), KELRELATION_ICON_VIEWER)->begin())))
        << "the cursor was placed again and shows the new icon";

    KELI* never = newItem();
    sched.advance(5);
    viewer->userRetainIconForItem(never);
    const std::vector<Span> kept = spans(KELRELATION_ICON_VIEWER, never, true);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].first, KELDateToujours);
    EXPECT_DOUBLE_EQ(kept[0].second, curseur->now());

    // Released from now on, then forgotten before now: the record keeps no presence before.
    sched.advance(5);
    viewer->userReleaseIconForItem(shown);
    EXPECT_DOUBLE_EQ(spans(KELRELATION_ICON_VIEWER, shown, true).back().second, curseur->now());
}

TEST_F(ItemViewerActions, LinkActionsNameOnePairWhicheverWayRoundAndReleaseEndsItNow)
{
    KELI* a = newItem();
    KELI* b = newItem();
    viewer->userRecallLinkWithItem(b, a);
    sched.advance(5);
    viewer->userReleaseLinkWithItem(a, b);
    KELI* parent = a->idInt() > b->idInt() ? a : b;
    KELI* enfant = parent == a ? b : a;
    const std::vector<Span> l = spans(KELRELATION_LINK_VIEWER, parent);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_DOUBLE_EQ(l[0].second, curseur->now());
    EXPECT_TRUE(spans(KELRELATION_LINK_VIEWER, enfant).empty());
    viewer->userReleaseLinkWithItem(a, a);
    EXPECT_EQ(spans(KELRELATION_LINK_VIEWER, parent).size(), 1u);
}

} // namespace desktest
