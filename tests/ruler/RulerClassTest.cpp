// The ruler's model on the template link base: its cursors and the timeline context, what it
// answers when the links are missing, and how the visible range is stored at quit.

#include "tests/ruler/RulerFixture.h"

#include "engine/KELElements.h"
#include "engine/KELModels.h"
#include "engine/store/Sqlite.h"
#include "ruler/ZEVRulerClass.h"
#include "space/ZEVSpaceClass.h"

#include <cmath>

using namespace rulertest;

namespace {

using RulerClass = spacetest::Space;

constexpr KELId kTimelineElem = 271;

// The stored offsets of the timeline context: the open link of each relation, and how many
// links each relation has had.
struct Stored {
    double in = NAN, out = NAN;
    long long links = 0;
};

Stored stored(const std::string& path)
{
    Stored s;
    Sqlite db;
    EXPECT_TRUE(db.open(path, false));
    for (const auto& [rel, value] : {std::pair{45, &s.in}, std::pair{46, &s.out}}) {
        const auto rows = db.executeQuery("SELECT n.NUMBER FROM ZEVLETS l JOIN NUMBER n ON n.ZEVLET_ID = l.CHILD_ZEVLET "
                                          "WHERE l.PARENT_ZEVLET = 271 AND l.DATE_OUT > 4e15 AND l.RELATION = " +
                                          std::to_string(rel));
        if (rows && rows->size() == 1)
            *value = (*rows)[0].valueAt(0).toDouble();
    }
    const auto count = db.executeQuery("SELECT COUNT(*) FROM ZEVLETS WHERE PARENT_ZEVLET = 271 AND RELATION IN (45, 46)");
    if (count && !count->empty())
        s.links = (*count)[0].valueAt(0).toInt64();
    return s;
}

} // namespace

TEST_F(RulerClass, ReadsTheCursorsAndTheTimelineOfTheRuler)
{
    build();
    ZEVRulerClass* ruler = host.rulerClass;
    ASSERT_NE(ruler, nullptr);
    EXPECT_EQ(ruler->ruler()->idInt(), KELOBJECT_RULER);
    ASSERT_EQ(ruler->curseurs().size(), 2u);
    EXPECT_EQ(nomDuCurseur(ruler->curseurs()[0]), "Now");
    EXPECT_EQ(nomDuCurseur(ruler->curseurs()[1]), "Search");
    EXPECT_EQ(ruler->nowCurseurInitial(), ruler->curseurs()[0]);
    EXPECT_EQ(ruler->searchCurseurInitial(), ruler->curseurs()[1]);
    EXPECT_EQ(ruler->actifCurseurInitial(), ruler->nowCurseurInitial());
    ASSERT_NE(ruler->lienActifInitial(), nullptr);
    EXPECT_EQ(ruler->lienActifInitial()->relationInt(), KELRELATION_RULER_CURSEUR);
    ASSERT_NE(ruler->tlContexte(), nullptr);
    EXPECT_EQ(ruler->tlContexte()->elemContexte()->idInt(), kTimelineElem);
    EXPECT_EQ(ruler->tlContexte()->offsetIn(), -43200.0);
    EXPECT_EQ(ruler->tlContexte()->offsetOut(), 43200.0);
    EXPECT_EQ(ruler->rulerViewer(), host.rulerViewer);
    // The Space takes its cursors and the visible range from it.
    EXPECT_EQ(space->nowCurseur(), ruler->nowCurseurInitial());
    EXPECT_EQ(space->searchCurseur(), ruler->searchCurseurInitial());
    EXPECT_EQ(space->tlContexte(), ruler->tlContexte());
}

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

TEST_F(RulerClass, TheVisibleRangeIsStoredToATenthOfASecondAndOnlyWhenItChanged)
{
    build();
    ZEVRulerClass* ruler = host.rulerClass;
    KELIContexte* tl = ruler->tlContexte();
    ASSERT_NE(tl, nullptr);
    const Stored before = stored(path);
    EXPECT_EQ(before.in, -43200.0);
    EXPECT_EQ(before.out, 43200.0);

    // Unchanged: nothing is written.
    ruler->updateTimeline();
    EXPECT_EQ(stored(path).links, before.links);

    const struct {
        double in, out, storedIn, storedOut;
    } cases[] = {
        {-60.04, 120.06, -60.0, 120.1},
        {-0.25, 0.25, -0.3, 0.3},
        {-3600.05, 7200.15, -3600.1, 7200.2},
        {-86400, 86400.04, -86400, 86400},
    };
    long long links = before.links;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.in) + " " + std::to_string(c.out));
        sched.advance(1.0); // each change of its own moment
        tl->setOffsetInOffsetOut(c.in, c.out);
        ruler->updateTimeline();
        const Stored s = stored(path);
        EXPECT_DOUBLE_EQ(s.in, c.storedIn);
        EXPECT_DOUBLE_EQ(s.out, c.storedOut);
        EXPECT_GT(s.links, links);
        links = s.links;
        // A second call writes nothing.
        ruler->updateTimeline();
        EXPECT_EQ(stored(path).links, links);
    }
    EXPECT_EQ(ZEVRulerClass::arrondiAuDixieme(-0.25), -0.3);
    EXPECT_EQ(ZEVRulerClass::arrondiAuDixieme(0.25), 0.3);
    EXPECT_EQ(ZEVRulerClass::arrondiAuDixieme(-0.04), -0.0);
}
