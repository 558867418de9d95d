#include "tests/desk/DeskFixture.h"

using namespace desktest;

namespace {
std::int64_t storedBase(const std::string& db, KELI* o)
{
    return storetest::scalar(db, "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(o->idInt())).toInt64();
}
} // namespace

TEST_F(DeskBase, NewObjectHasItsWordsOverAllTimeNoIconAndItsOptions)
{
    KELI* o = items->creerItemWithChannelInt(channel->idInt(), "Notes", "file", "txt", ZEVOPTION_SHOW_TITLE);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(std::tuple(o->relationInt(), o->enfantInt(), o->parentInt(), o->channelInt()),
              std::tuple(KELRELATION_ITEM, KELMODEL_ITEM, o->idInt(), channel->idInt()));
    EXPECT_EQ(std::tuple(items->itemTypeForItem(o), items->itemIconForItem(o), desk->itemTitleCurseurForItem(o)),
              std::tuple("file", "txt", "Notes"));
    for (KELId rel : {KELRELATION_ITEM_TITLE, KELRELATION_ITEM_TYPE, KELRELATION_ITEM_ICON})
        EXPECT_EQ(spans(rel, o), kAllTime) << rel;
    EXPECT_TRUE(spans(KELRELATION_ICON_VIEWER, o, true).empty());
    EXPECT_FALSE(desk->siIconExisteForItem(o));
    EXPECT_EQ(itemOptions(o), ZEVOPTION_SHOW_TITLE);

    ScopedLogCapture log;
    ASSERT_NE(items->creerItemWithChannelInt(0, "x", "file", "txt", 0), nullptr);
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
    EXPECT_FALSE(sched.isPending(a, "_majbase") || sched.isPending(b, "_majbase"));
}

TEST_F(DeskBase, TypeChangeReplacesTheTypeWithoutHistory)
{
    KELI* o = items->creerItemWithChannelInt(channel->idInt(), "page", "http", "webloc", ZEVOPTION_QL_ICON);
    const KELIds before = KELServeurDeLiens::LiensNumDuParentIntRelInt(o->idInt(), KELRELATION_ITEM_TYPE);
    ASSERT_TRUE(before);
    items->changeItem(o, "file");
    EXPECT_EQ(items->itemTypeForItem(o), "file");
    EXPECT_EQ(spans(KELRELATION_ITEM_TYPE, o), kAllTime);
    const std::string id = std::to_string(before->front());
    EXPECT_FALSE(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID = " + id).toInt64());
}

// Recall and Retain of one link between two Objects; dates are offsets from now.
TEST_F(DeskBase, RecallAndRetainOfOneLink)
{
    struct Case {
        const char* name;
        bool retain;
        std::vector<Span> before;
        double goToEnd; // kOpen outside go-to mode
        std::vector<Span> after;
    };
    const Case cases[] = {
        {"recall of nothing opens from now", false, {}, kOpen, {{0, kOpen}}},
        {"recall in go-to mode ends at the go-to end", false, {}, 900, {{0, 900}}},
        {"recall of an active link ending later opens it", false, {{-50, 100}}, kOpen, {{-50, kOpen}}},
        {"recall of an active link stops at the later link", false, {{-50, 100}, {200, 300}}, kOpen, {{-50, 200}, {200, 300}}},
        {"recall before a link beyond the go-to end makes a new link", false, {{500, 600}}, 300, {{0, 300}, {500, 600}}},
        {"recall before a link within the go-to end moves it back", false, {{200, 600}}, 300, {{0, 600}}},
        {"retain stretches the earlier link to now", true, {{-100, -10}}, kOpen, {{-100, 0}}},
        {"retain joins the earlier and the active link", true, {{-100, -10}, {-5, 50}}, kOpen, {{-100, -5}, {-5, 50}}},
        {"retain of an active link alone reaches back to always", true, {{-5, 50}}, kOpen, {{kAlways, 50}}},
        {"retain of nothing makes a link from always to now", true, {}, kOpen, {{kAlways, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KELI* p = newItem();
        KELI* e = newItem();
        const double now = curseur->placeToi();
        for (const auto& [in, out] : datesAt(now, c.before))
            ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, p, e, in, out, curseur), nullptr);
        space.goTo = c.goToEnd != kOpen;
        space.goToEnd = dateAt(now, c.goToEnd);
        if (c.retain)
            items->retainLienConnexionWithParentRecallDate(p, e, now);
        else
            items->recallLienConnexionWithParentRecallDate(p, e, now);
        EXPECT_EQ(spans(KELRELATION_LINK_VIEWER, p), datesAt(now, c.after));
    }
}

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
    EXPECT_TRUE(items->impactedLiensForParentFiltreItem(p) && !items->impactedLiensForParentFiltreItem(e));
    EXPECT_TRUE(heard(itemViewer.events, "ajoute", l)); // the context
    EXPECT_TRUE(heard(itemViewer.events, "active", l)); // the cursor

    sched.advance(10);
    const double t = curseur->placeToi();
    const ZEVItemPair pair(p, e);
    items->releaseLienConnexionForLinkObjects({&pair});
    EXPECT_EQ(spans(KELRELATION_LINK_VIEWER, p).front().second, t);
    EXPECT_EQ(items->lienConnexionWithParent(p, e), nullptr);
    EXPECT_TRUE(heard(itemViewer.events, "desactive", l));
    EXPECT_EQ(items->lienConnexionWithParent(nullptr, e), nullptr);
}

TEST_F(DeskBase, AnObjectWhoseRecordIsRefusedIsTakenBackWholeAndOneWrittenIsKept)
{
    sched.runUntilIdle();
    // The words stay, as every word does; the Object and its links to them are what counts.
    std::string rows = "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION IN (";
    for (KELId rel : {KELRELATION_ITEM, KELRELATION_ITEM_TITLE, KELRELATION_ITEM_TYPE, KELRELATION_ITEM_ICON})
        rows += std::to_string(rel) + (rel == KELRELATION_ITEM_ICON ? ")" : ", ");
    const std::int64_t before = storetest::scalar(path, rows).toInt64();
    KELI* seen = nullptr;
    // The refused one asked for an option write too: none may come back for a row that is gone.
    KELI* refused =
        items->creerItemWithRecord(channel->idInt(), "Refused", "file", "txt", ZEVOPTION_SHOW_TITLE, [&](KELI* made) {
            seen = made;
            return false;
        });
    EXPECT_EQ(refused, nullptr);
    ASSERT_NE(seen, nullptr) << "the record writer was never asked";
    sched.runUntilIdle();
    EXPECT_EQ(storetest::scalar(path, rows).toInt64(), before) << "links kept without their record";

    KELI* kept = items->creerItemWithRecord(channel->idInt(), "Kept", "file", "txt", 0, [](KELI*) { return true; });
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->channelInt(), channel->idInt());
    EXPECT_EQ(std::tuple(items->itemTypeForItem(kept), desk->itemTitleCurseurForItem(kept)),
              std::tuple("file", "Kept"));
    sched.runUntilIdle();
    EXPECT_EQ(storetest::scalar(path, rows).toInt64(), before + 4) << "the Object and its three word links";
}
