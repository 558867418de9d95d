#include "tests/desk/DeskFixture.h"

#include <cmath>

using namespace desktest;

namespace {
std::int64_t storedBase(const std::string& path, KELI* item)
{
    return storetest::scalar(path, "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(item->idInt()))
        .toInt64();
}
} // namespace

TEST_F(DeskBase, NewObjectHasItsWordsOverAllTimeNoIconAndItsOptions)
{
    KELI* o = items->creerItemWithChannelInt(channel->idInt(), "Notes", "file", "txt", ZEVOPTION_SHOW_TITLE);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->relationInt(), KELRELATION_ITEM);
    EXPECT_EQ(o->enfantInt(), KELMODEL_ITEM);
    EXPECT_EQ(o->parentInt(), o->idInt());
    EXPECT_EQ(o->channelInt(), channel->idInt());
    EXPECT_EQ(items->itemTypeForItem(o), "file");
    EXPECT_EQ(items->itemIconForItem(o), "txt");
    EXPECT_EQ(desk->itemTitleCurseurForItem(o), "Notes");
    for (KELId rel : {KELRELATION_ITEM_TITLE, KELRELATION_ITEM_TYPE, KELRELATION_ITEM_ICON})
        EXPECT_EQ(spans(rel, o), (std::vector<Span>{{KELDateToujours, KELDateOuverte}})) << rel;
    EXPECT_TRUE(spans(KELRELATION_ICON_VIEWER, o, true).empty());
    EXPECT_FALSE(desk->siIconExisteForItem(o));
    EXPECT_EQ(itemOptions(o), ZEVOPTION_SHOW_TITLE);

    ScopedLogCapture log;
    KELI* orphan = items->creerItemWithChannelInt(0, "x", "file", "txt", 0);
    ASSERT_NE(orphan, nullptr);
    EXPECT_TRUE(log.sink.contains("CreateItem ERROR !"));
}

TEST_F(DeskBase, OptionChangesShowAtOnceAndReachTheStoreInOneWriteNextTurn)
{
    KELI* o = newItem();
    sched.runUntilIdle();
    ASSERT_EQ(storedBase(path, o), 0);
    const std::size_t before = sched.pendingCount();
    addItemOption(o, ZEVOPTION_COPYING);
    addItemOption(o, ZEVOPTION_GIF);
    addItemOption(o, ZEVOPTION_ANIMATE);
    clearItemOption(o, ZEVOPTION_NOT_FOUND); // not set: no change, still the same single write
    EXPECT_EQ(sched.pendingCount(), before + 1);
    EXPECT_EQ(itemOptions(o), ZEVOPTION_COPYING | ZEVOPTION_GIF | ZEVOPTION_ANIMATE);
    EXPECT_TRUE(siItemOption(o, ZEVOPTION_MASK_BUSY));
    EXPECT_EQ(storedBase(path, o), 0); // not yet
    sched.runTurn();
    EXPECT_EQ(storedBase(path, o), static_cast<std::int64_t>(ZEVOPTION_COPYING | 0xC00));
    EXPECT_EQ(ZEVItemOptionWrites::pendingCount(), 0u);

    setItemOptions(o, ZEVOPTION_SHOW_TITLE);
    EXPECT_FALSE(siItemOption(o, ZEVOPTION_MASK_BUSY));
    EXPECT_TRUE(siItemOption(o, ZEVOPTION_SHOW_TITLE));
    EXPECT_FALSE(siItemOption(nullptr, ~0ull));
}

TEST_F(DeskBase, OptionChangeJustBeforeQuitIsWrittenByTheQuitFlush)
{
    KELI* a = newItem();
    KELI* b = newItem();
    sched.runUntilIdle();
    addItemOption(a, ZEVOPTION_ERROR);
    setItemOptions(b, ZEVOPTION_MOVING | ZEVOPTION_HOLD_BY_APP);
    EXPECT_EQ(ZEVItemOptionWrites::pendingCount(), 2u);
    ZEVItemOptionWrites::flushPending();
    EXPECT_EQ(storedBase(path, a), static_cast<std::int64_t>(ZEVOPTION_ERROR));
    EXPECT_EQ(storedBase(path, b), static_cast<std::int64_t>(ZEVOPTION_MOVING | ZEVOPTION_HOLD_BY_APP));
    EXPECT_EQ(ZEVItemOptionWrites::pendingCount(), 0u);
    EXPECT_FALSE(sched.isPending(a, "_majbase"));
    EXPECT_FALSE(sched.isPending(b, "_majbase"));
}

TEST_F(DeskBase, TypeChangeReplacesTheTypeWithoutHistory)
{
    KELI* o = items->creerItemWithChannelInt(channel->idInt(), "page", "http", "webloc", ZEVOPTION_QL_ICON);
    const KELIds before = KELServeurDeLiens::LiensNumDuParentIntRelInt(o->idInt(), KELRELATION_ITEM_TYPE);
    ASSERT_TRUE(before);
    items->changeItem(o, "file");
    EXPECT_EQ(items->itemTypeForItem(o), "file");
    EXPECT_EQ(spans(KELRELATION_ITEM_TYPE, o), (std::vector<Span>{{KELDateToujours, KELDateOuverte}}));
    EXPECT_FALSE(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID = " +
                                             std::to_string(before->front()))
                     .toInt64());
}

// ---- The Recall and Retain table

namespace {
constexpr double kAlways = -1e300; // stand-ins for the sentinels in the table, relative to now
constexpr double kOpen = 1e300;

struct LinkCase {
    const char* name;
    bool retain;
    std::vector<Span> before; // offsets from now
    double goToEnd;           // offset, or kOpen outside go-to mode
    std::vector<Span> after;
};

double abs(double now, double offset)
{
    return offset == kAlways ? KELDateToujours : offset == kOpen ? KELDateOuverte : now + offset;
}

class LinkTable : public DeskBase, public ::testing::WithParamInterface<LinkCase> {};
} // namespace

TEST_P(LinkTable, RecallAndRetainOfOneLink)
{
    const LinkCase& c = GetParam();
    KELI* p = newItem();
    KELI* e = newItem();
    const double now = curseur->placeToi();
    for (const Span& s : c.before)
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, p, e, abs(now, s.first),
                                                     abs(now, s.second), curseur),
                  nullptr);
    space.goTo = c.goToEnd != kOpen;
    space.goToEnd = abs(now, c.goToEnd);
    if (c.retain)
        items->retainLienConnexionWithParentRecallDate(p, e, now);
    else
        items->recallLienConnexionWithParentRecallDate(p, e, now);
    std::vector<Span> expected;
    for (const Span& s : c.after)
        expected.emplace_back(abs(now, s.first), abs(now, s.second));
    EXPECT_EQ(spans(KELRELATION_LINK_VIEWER, p), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkTable,
    ::testing::Values(
        LinkCase{"RecallNothingOpensFromNow", false, {}, kOpen, {{0, kOpen}}},
        LinkCase{"RecallInGoToEndsAtTheGoToEnd", false, {}, 900, {{0, 900}}},
        LinkCase{"RecallActiveEndingLaterBecomesOpen", false, {{-50, 100}}, kOpen, {{-50, kOpen}}},
        LinkCase{"RecallActiveStopsAtTheLaterLink", false, {{-50, 100}, {200, 300}}, kOpen, {{-50, 200}, {200, 300}}},
        LinkCase{"RecallBeforeLaterBeyondGoToMakesNewLink", false, {{500, 600}}, 300, {{0, 300}, {500, 600}}},
        LinkCase{"RecallBeforeLaterWithinGoToMovesItBack", false, {{200, 600}}, 300, {{0, 600}}},
        LinkCase{"RetainStretchesTheEarlierLinkToNow", true, {{-100, -10}}, kOpen, {{-100, 0}}},
        LinkCase{"RetainJoinsEarlierAndActive", true, {{-100, -10}, {-5, 50}}, kOpen, {{-100, -5}, {-5, 50}}},
        LinkCase{"RetainActiveAloneExistsSinceAlways", true, {{-5, 50}}, kOpen, {{kAlways, 50}}},
        LinkCase{"RetainNothingMakesSinceAlwaysToNow", true, {}, kOpen, {{kAlways, 0}}}),
    [](const ::testing::TestParamInfo<LinkCase>& i) { return std::string(i.param.name); });

TEST_F(DeskBase, ReleaseAndForgetWithoutActiveLinkStillRerunTheCursor)
{
    KELI* p = newItem();
    KELI* e = newItem();
    KELIContexte* ctx = curseur->contexte();
    ASSERT_NE(ctx, nullptr);
    for (auto act : {&ZEVItemClass::releaseLienConnexionWithParent, &ZEVItemClass::forgetLienConnexionWithParent}) {
        sched.cancel(ctx, "_avanceOut");
        sched.cancel(ctx, "_avanceIn");
        ((*items).*act)(p, e);
        EXPECT_TRUE(sched.isPending(ctx, "_avanceOut"));
        EXPECT_TRUE(sched.isPending(ctx, "_avanceIn"));
        EXPECT_TRUE(spans(KELRELATION_LINK_VIEWER, p).empty());
    }
}

TEST_F(DeskBase, LinkCommandsAtTheCursorAndTheirMessages)
{
    items->enclencherMaj();
    KELI* p = newItem();
    KELI* e = newItem();
    items->recallLienConnexionWithParent(p, e);
    KELI* l = items->lienConnexionWithParent(p, e);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(items->connectedItemsForItem(p), std::vector<KELI*>{e});
    EXPECT_EQ(items->connectedItemsForItem(e), std::vector<KELI*>{p});
    ASSERT_NE(items->impactedLiensForParentFiltreItem(p), nullptr);
    EXPECT_EQ(items->impactedLiensForParentFiltreItem(e), nullptr);
    const std::string id = std::to_string(l->idInt());
    auto heard = [&](const std::string& what) {
        for (const char* edge : {"Futur ", "Passe "})
            if (std::find(itemViewer.events.begin(), itemViewer.events.end(), what + edge + id) !=
                itemViewer.events.end())
                return true;
        return false;
    };
    EXPECT_TRUE(heard("ajoute")); // the context
    EXPECT_TRUE(heard("active")); // the cursor

    sched.advance(10);
    const double t = curseur->placeToi();
    const ZEVItemPair pair(p, e);
    items->releaseLienConnexionForLinkObjects({&pair});
    EXPECT_EQ(spans(KELRELATION_LINK_VIEWER, p).front().second, t);
    EXPECT_EQ(items->lienConnexionWithParent(p, e), nullptr);
    EXPECT_TRUE(heard("desactive"));
    EXPECT_EQ(items->lienConnexionWithParent(nullptr, e), nullptr);
}
