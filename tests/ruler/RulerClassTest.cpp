// The ruler's model on the template link base: what it answers when the links are missing, and
// how the visible range is rounded for the store (the end-to-end tests store it at quit).

#include "tests/ruler/RulerFixture.h"

#include "engine/KELElements.h"
#include "engine/KELModels.h"
#include "ruler/ZEVRulerClass.h"

using namespace rulertest;

namespace {

using RulerClass = spacetest::Space;

} // namespace

TEST_F(RulerClass, MissingLinksGiveNothingAndOneCursorGivesNoSearchCursor)
{
    // A ruler element without any of the four relations' links, and none at all.
    for (KELI* element : {KELServeurDeLiens::LienForInt(KELOBJECT_HOME_CHANNEL, timeline), static_cast<KELI*>(nullptr)}) {
        ZEVRulerClass ruler(element, timeline);
        EXPECT_TRUE(ruler.curseurs().empty());
        EXPECT_EQ(ruler.actifCurseurInitial(), nullptr);
        EXPECT_EQ(ruler.lienActifInitial(), nullptr);
        EXPECT_EQ(ruler.nowCurseurInitial(), nullptr);
        EXPECT_EQ(ruler.searchCurseurInitial(), nullptr);
        EXPECT_EQ(ruler.tlContexte(), nullptr);
        ruler.updateTimeline(); // nothing to store
    }
    // Under two cursors there is no Search cursor, rather than a read past the end.
    auto* curseurs = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_RULER_CURSEURS, timeline));
    KELI* ruler = KELServeurDeLiens::LienForInt(KELOBJECT_RULER, timeline);
    ASSERT_TRUE(curseurs && ruler);
    const auto* liens = curseurs->liensDuParent(ruler, timeline);
    ASSERT_TRUE(liens && liens->size() == 2u);
    KELServeurDeLiens::EraseLien(liens->back(), timeline);
    ZEVRulerClass one(ruler, timeline);
    EXPECT_EQ(one.curseurs().size(), 1u);
    EXPECT_NE(one.nowCurseurInitial(), nullptr);
    EXPECT_EQ(one.searchCurseurInitial(), nullptr);
}

TEST(RulerRange, OffsetsAreStoredToATenthOfASecondHalvesAwayFromZero)
{
    const std::pair<double, double> cases[] = {{-60.04, -60.0}, {120.06, 120.1}, {-0.25, -0.3}, {0.25, 0.3},
                                               {-3600.05, -3600.1}, {86400.04, 86400}, {-0.04, -0.0}};
    for (const auto& [v, stored] : cases)
        EXPECT_EQ(ZEVRulerClass::arrondiAuDixieme(v), stored) << v;
}
