// The Links panel's controller: Quick Look's order and de-duplication and how it comes forward,
// the Edit, Object and menu-bar tables counting links and Objects apart, the finds by holder,
// the count field and the refresh gate over a burst of engine changes.

#include "tests/inspectors/LinksFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVSelections.h"
#include "tests/inspectors/MenuLinesByTag.h"

#include <QLabel>

#include <map>

namespace inspecttest {
namespace {

using menutest::parTag;
using menutest::Vu;

ZEVInspectCounts comptes(int mode, quint64 a, quint64 i, quint64 n, bool search, quint64 objets)
{
    ZEVInspectCounts c;
    c.mode = mode;
    c.nActive = a;
    c.nInactive = i;
    c.nNotNow = n;
    c.isSearch = search;
    c.nTotal = objets;
    c.duration = search ? QStringLiteral(" (2h)") : QString();
    return c;
}

class LinkViewer : public LinksFixture {
protected:
    // Linked from an hour ago on.
    KELI* lien(KELI* parent, KELI* enfant)
    {
        return LinksFixture::lien(parent, enfant, space->nowCurseur()->now() - kHeure, KELDateOuverte);
    }
    QString champ() { return viewer->inspectViewIfBuilt()->inspectField()->text(); }
};

TEST_F(LinkViewer, TheEditItemsCountLinksActiveAndNotAndRecallNowOnlyAtSearch)
{
    auto e = parTag(ZEVLinkViewer::editLines(comptes(3, 0, 0, 0, false, 0)));
    EXPECT_FALSE(e[6].visible) << "hidden while Now is active";
    EXPECT_EQ(e[4].title, "Recall Link");
    EXPECT_FALSE(e[4].enabled);
    EXPECT_EQ(e[2].title, "Release Link");
    EXPECT_FALSE(e[3].enabled);

    e = parTag(ZEVLinkViewer::editLines(comptes(0, 2, 1, 0, false, 3)));
    EXPECT_EQ(e[4].title, "Recall 1 Link");
    EXPECT_EQ(e[5].title, "Retain 1 Link");
    EXPECT_EQ(e[2].title, "Release 2 Links");
    EXPECT_EQ(e[3].title, "Forget 2 Links");
    EXPECT_TRUE(e[2].enabled && e[4].enabled);

    e = parTag(ZEVLinkViewer::editLines(comptes(1, 0, 3, 2, true, 4)));
    EXPECT_TRUE(e[6].visible);
    EXPECT_EQ(e[6].title, "Recall Now 2 Links (2h)");
    EXPECT_EQ(e[4].title, "Recall 3 Links (2h)");
    EXPECT_FALSE(e[2].enabled);
    e = parTag(ZEVLinkViewer::editLines(comptes(1, 0, 1, 1, true, 2)));
    EXPECT_EQ(e[6].title, "Recall Now 1 Link (2h)");
}

TEST_F(LinkViewer, TheObjectItemsByModeAndTheMenuBarsAddOnlyInFilterMode)
{
    // Icon mode, one link between two Objects.
    auto o = parTag(ZEVLinkViewer::objectLines(comptes(0, 1, 0, 0, false, 2), 1));
    EXPECT_EQ(o[31].title, "Add\u2026");
    EXPECT_FALSE(o[31].enabled);
    EXPECT_EQ(o[1].title, "Open 2 linked Objects");
    EXPECT_EQ(o[7].title, "Filter 2 linked Objects");
    EXPECT_EQ(o[13].title, "Remove 1 Link");
    EXPECT_EQ(o[32].title, "Find Links");
    EXPECT_EQ(o[4333].title, "Handle linked Objects");
    // Title mode with nothing.
    o = parTag(ZEVLinkViewer::objectLines(comptes(1, 0, 0, 0, false, 0), 0));
    EXPECT_EQ(o[1].title, "Open (no linked Title)");
    EXPECT_FALSE(o[1].enabled);
    EXPECT_EQ(o[7].title, "Filter (no linked Title)");
    EXPECT_EQ(o[13].title, "Remove Links");
    EXPECT_FALSE(o[13].enabled);
    // Filter mode with filters, and without any but with linked icons.
    o = parTag(ZEVLinkViewer::objectLines(comptes(2, 0, 2, 0, false, 1), 2));
    EXPECT_EQ(o[31].title, "Add and link Objects\u2026");
    EXPECT_EQ(o[1].title, "Open 1 Filter");
    EXPECT_EQ(o[7].title, "Deselect all Filters");
    EXPECT_EQ(o[7].state, 1);
    EXPECT_EQ(o[13].title, "Remove 2 Links");
    ZEVInspectCounts sansFiltre = comptes(2, 0, 0, 0, false, 0);
    sansFiltre.iconMode = 3;
    o = parTag(ZEVLinkViewer::objectLines(sansFiltre, 0));
    EXPECT_EQ(o[31].title, "Add Objects\u2026");
    EXPECT_EQ(o[1].title, "Open");
    EXPECT_FALSE(o[1].enabled);
    EXPECT_EQ(o[7].title, "Filter 3 linked Objects");
    // Link mode, filters selected elsewhere.
    ZEVInspectCounts liens = comptes(3, 1, 1, 0, false, 3);
    liens.filters = 1;
    liens.moveTo = 1;
    liens.copyToSpace = 2;
    o = parTag(ZEVLinkViewer::objectLines(liens, 2));
    EXPECT_EQ(o[1].title, "Open 3 linked Objects");
    EXPECT_EQ(o[7].title, "Deselect all Filters");
    EXPECT_EQ(o[21].title, "Move 1 Object to\u2026");
    EXPECT_EQ(o[22].title, "Copy 2 Objects in Tallomer");
    EXPECT_EQ(o[23].title, "Copy to\u2026");
    EXPECT_FALSE(o[23].enabled);

    for (int mode = 0; mode < 4; ++mode) {
        const auto m = parTag(ZEVLinkViewer::macLines(comptes(mode, 1, 1, 0, false, 2)), ZEVMenuPlace::Object);
        EXPECT_EQ(m.at(31).enabled, mode == 2) << "Add, mode " << mode;
        const auto edit = parTag(ZEVLinkViewer::macLines(comptes(mode, 1, 1, 0, false, 2)), ZEVMenuPlace::Edit);
        EXPECT_EQ(edit.at(100).enabled, mode != 3) << "Cut, mode " << mode;
        EXPECT_EQ(edit.at(101).enabled, mode != 3) << "Copy, mode " << mode;
        EXPECT_FALSE(parTag(ZEVLinkViewer::macLines(comptes(mode, 1, 1, 0, false, 2)), ZEVMenuPlace::Handle).at(60).enabled)
            << "Show Original, mode " << mode;
    }
}

TEST_F(LinkViewer, QuickLookOrdersEachPairByTheColumnAndShowsAnObjectOnceOnAToggle)
{
    KELI* a = reinterpret_cast<KELI*>(0x10);
    KELI* b = reinterpret_cast<KELI*>(0x20);
    KELI* c = reinterpret_cast<KELI*>(0x30);
    ZEVItemPair ab(a, b);
    ZEVItemPair cb(c, b);
    const std::vector<ZEVLinkPair*> liens{&ab, &cb};
    EXPECT_EQ(ZEVLinkViewer::quickLookItems(liens, 4, false), (std::vector<KELI*>{a, b, c, b}));
    EXPECT_EQ(ZEVLinkViewer::quickLookItems(liens, 6, false), (std::vector<KELI*>{b, a, b, c}));
    EXPECT_EQ(ZEVLinkViewer::quickLookItems(liens, 5, true), (std::vector<KELI*>{b, a, c}));
    EXPECT_EQ(ZEVLinkViewer::quickLookItems(liens, -1, true), (std::vector<KELI*>{a, b, c}));
    using P = ZEVLinkViewer::Presentation;
    EXPECT_EQ(ZEVLinkViewer::presentationForCount(1), P::None);
    EXPECT_EQ(ZEVLinkViewer::presentationForCount(2), P::Front) << "one link: not over everything";
    EXPECT_EQ(ZEVLinkViewer::presentationForCount(3), P::Key);
}

TEST_F(LinkViewer, TheCountReadsLinksAndABurstOfChangesIsOneRefresh)
{
    viewer->showInspectView(true);
    settle();
    ASSERT_NE(viewer->inspectViewIfBuilt(), nullptr);
    EXPECT_EQ(champ(), "0 Link");
    std::vector<KELI*> o;
    for (const char* t : {"a", "b", "c", "d", "e", "f"})
        o.push_back(objet(t));
    // The engine's notices come in a burst: nothing is redrawn until the delay has passed.
    for (int i = 0; i < 5; ++i)
        lien(o[std::size_t(i)], o[std::size_t(i) + 1]);
    EXPECT_FALSE(viewer->siAccepteDisplay());
    EXPECT_EQ(champ(), "0 Link");
    sched.advance(ZEVInspectViewer::kRefreshDelay + 0.01);
    EXPECT_TRUE(viewer->siAccepteDisplay());
    EXPECT_EQ(champ(), "5 Links");
    EXPECT_EQ(viewer->inspectViewIfBuilt()->inspectTableView()->numberOfRows(), 5);
    // Icon mode, two of them with both ends selected.
    host.front->mode = 0;
    viewer->frontModeDidChange();
    space->selections().selectIconForItemSet({o[0], o[1], o[2]}, nullptr);
    viewer->itemSelectionDidChange();
    EXPECT_EQ(champ(), "2/5 Links");
}

TEST_F(LinkViewer, AFindByHolderSelectsTheRowsOfTheQualifyingEnds)
{
    KELI* tenu = objet("held");
    KELI* autre = objet("other");
    KELI* loin = objet("far");
    KELI* encore = objet("more");
    addItemOption(tenu, ZEVOPTION_HOLD_BY_ZEV);
    lien(tenu, autre);
    lien(loin, encore);
    settle();
    viewer->showInspectView(true);
    settle();
    ZEVSelections& s = space->selections();
    // Icon mode: a found end brings the other.
    host.front->mode = 0;
    viewer->frontModeDidChange();
    m().findHeldWithOperation(ZEVLinkClass::HeldByZev, 0);
    EXPECT_TRUE(s.isIconSelectedForItem(tenu));
    EXPECT_TRUE(s.isIconSelectedForItem(autre));
    EXPECT_FALSE(s.isIconSelectedForItem(loin));
    // Held by the system: every end with none of the holder bits; added to what is selected.
    m().findHeldWithOperation(ZEVLinkClass::HeldBySystem, 2);
    EXPECT_TRUE(s.isIconSelectedForItem(tenu)) << "added to";
    EXPECT_TRUE(s.isIconSelectedForItem(loin));
    // Link mode: the links of the found end.
    host.front->mode = 3;
    viewer->frontModeDidChange();
    m().findHeldWithOperation(ZEVLinkClass::HeldByZev, 0);
    ASSERT_EQ(s.selectedLinks().size(), 1u);
    EXPECT_EQ(s.selectedLinks().front()->parentItem(), tenu);
}

} // namespace
} // namespace inspecttest
