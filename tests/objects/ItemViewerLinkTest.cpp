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
