// The selections of the front modes, against a Space of stand-ins: which changes are announced,
// what Recall, Retain and Release act on, how the link selection follows the nodes, and how the
// filters reach both desks and move the keyboard once a burst of changes is over.

#include "tests/support/NullFrontViewer.h"
#include "services/ZEVInspectorServices.h"
#include "engine/KELLien.h"
#include "runtime/SchedulerClock.h"
#include "space/ZEVSelections.h"
#include "tests/support/NullServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

using namespace tallomer;
using Trace = std::vector<std::string>;

std::string nom(const KELI* o) { return o ? std::to_string(o->idInt()) : "-"; }

std::string noms(const std::vector<KELI*>& v)
{
    std::string s;
    for (KELI* o : v)
        s += (s.empty() ? "" : " ") + nom(o);
    return s;
}

std::string paires(const std::vector<ZEVLinkPair*>& v)
{
    std::string s;
    for (ZEVLinkPair* l : v)
        s += (s.empty() ? "" : " ") + nom(l->parentItem()) + ">" + nom(l->enfantItem());
    return s;
}

// The notices, one letter each: Icons, Titles, Filters, Links.
class Front final : public tallomer::test::NullFrontViewer {
public:
    void iconSelectionDidChange() override { notices += 'I'; }
    void titleSelectionDidChange() override { notices += 'T'; }
    void filterSelectionDidChange() override { notices += 'F'; }
    void linkSelectionDidChange() override { notices += 'L'; }
    int frontMode() override { return mode; }
    std::string notices;
    int mode = 0;
};

class Desk final : public test::NullCursorDesk {
public:
    Desk(Trace& t, std::string n) : trace(t), name(std::move(n)) {}
    void ajouteFilterForItem(KELI* o) override { trace.push_back(name + " ajoute " + nom(o)); }
    void enleveFilterForItem(KELI* o) override { trace.push_back(name + " enleve " + nom(o)); }
    void enleveFilterForAllItems() override { trace.push_back(name + " enleveTout"); }
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int mode) override
    {
        trace.push_back(name + " visibles " + std::to_string(mode));
        return views;
    }
    std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI* o) override
    {
        auto it = lines.find(o);
        return it == lines.end() ? std::vector<ZEVItemConnexion*>{} : it->second;
    }
    Trace& trace;
    std::string name;
    std::vector<ZEVItemViewForDesks*> views;
    std::map<KELI*, std::vector<ZEVItemConnexion*>> lines;
};

class Icons final : public ZEVIconClassServices {
public:
    std::optional<std::string> itemTitleForItem(KELI*) override { return std::nullopt; }
    bool isItemActif(KELI* o) override { return actif.count(o) != 0; }
    bool isItemActifNow(KELI* o) override { return actifNow.count(o) != 0; }
    std::set<KELI*> actif, actifNow;
};

// One pair per drawn line; the lines are opaque handles, as the Space sees them.
class Links final : public ZEVLinkClassServices {
public:
    ZEVLinkPair* linkForConnexion(const ZEVItemConnexion* c) override
    {
        auto it = pairs.find(c);
        return it == pairs.end() ? nullptr : it->second.get();
    }
    std::vector<ZEVLinkPair*> timeLineLinks() override
    {
        std::vector<ZEVLinkPair*> out;
        for (auto& [c, p] : pairs)
            out.push_back(p.get());
        std::sort(out.begin(), out.end(), [](ZEVLinkPair* a, ZEVLinkPair* b) {
            return std::pair(a->parentItem()->idInt(), a->enfantItem()->idInt()) <
                   std::pair(b->parentItem()->idInt(), b->enfantItem()->idInt());
        });
        return out;
    }
    bool isLinkActif(const ZEVLinkPair* l) override { return actif.count(l) != 0; }
    bool isLinkActifNow(const ZEVLinkPair*) override { return false; }
    void delConnexionsForParentInt(KELId) override {}
    void delConnexionsForParentIntEnfantInt(KELId, KELId) override {}
    void delConnexionsForEnfantInt(KELId) override {}
    ZEVItemConnexion* line(KELI* p, KELI* e)
    {
        auto* handle = reinterpret_cast<ZEVItemConnexion*>(&handles[pairs.size()]);
        pairs[handle] = std::make_unique<ZEVItemPair>(p, e);
        return handle;
    }
    std::map<const ZEVItemConnexion*, std::unique_ptr<ZEVItemPair>> pairs;
    std::set<const ZEVLinkPair*> actif;
    char handles[16] = {};
};

class Context final : public ZEVSelectionContext {
public:
    KELId currentChannelInt() override { return canal; }
    int frontMode() override { return front.mode; }
    bool siSearchActif() override { return search; }
    ZEVFrontViewerServices* frontViewer() override { return &front; }
    ZEVIconClassServices* iconClass() override { return &icons; }
    ZEVLinkClassServices* linkClass() override { return &links; }
    KELI* sameItem(KELI* o) override
    {
        auto it = same.find(o);
        return it == same.end() ? nullptr : it->second;
    }
    ZEVCursorDesk* actifDesk() override { return search ? &searchDesk : &nowDesk; }
    std::vector<ZEVCursorDesk*> filterDesks() override { return {&nowDesk, &searchDesk}; }
    void setFirstResponder(ZEVItemViewForDesks* v) override { responders.push_back(v); }
    bool siFirstResponderInTable() override { return tableHasKeys; }

    Trace trace;
    KELId canal = 1;
    bool search = false;
    Front front;
    Icons icons;
    Links links;
    std::map<KELI*, KELI*> same;
    Desk nowDesk{trace, "Now"};
    Desk searchDesk{trace, "Search"};
    std::vector<ZEVItemViewForDesks*> responders;
    bool tableHasKeys = false;
};

class Selections : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&sched);
        Clock::setShared(&clock);
        sel = std::make_unique<ZEVSelections>(ctx);
    }
    void TearDown() override
    {
        sel.reset();
        KELI::oublierLesChannels();
        Scheduler::setShared(nullptr);
        Clock::setShared(nullptr);
    }
    // An Object of that id lying in that Channel.
    KELI* objet(KELId id, KELId canal = 1)
    {
        auto o = std::make_unique<KELI>();
        o->assignerIdInt(id);
        o->setChannelInt(canal);
        objets.push_back(std::move(o));
        return objets.back().get();
    }
    std::string notices() { return std::exchange(ctx.front.notices, {}); }

    ManualScheduler sched{1000.0};
    SchedulerClock clock{sched};
    Context ctx;
    std::unique_ptr<ZEVSelections> sel;
    std::vector<std::unique_ptr<KELI>> objets;
};

TEST_F(Selections, EachChangeIsAnnouncedByItsOwnRule)
{
    KELI* a = objet(11);
    KELI* b = objet(12);
    KELI* c = objet(13);
    struct Row {
        const char* what;
        std::function<void(ZEVSelections&)> before;
        std::function<void(ZEVSelections&)> op;
        const char* notices;
        const char* icons; // the icon list afterwards ("" when not looked at)
    };
    auto icones = [&](std::vector<KELI*> v) { return [v](ZEVSelections& s) { s.selectIconForItemSet(v, nullptr); }; };
    auto rien = [](ZEVSelections&) {};
    const Row rows[] = {
        {"shift-click on a selected icon", icones({a}), [&](ZEVSelections& s) { s.multiSelectIconForItem(a); }, "", "11"},
        {"shift-click appends", icones({b}), [&](ZEVSelections& s) { s.multiSelectIconForItem(a); }, "I", "12 11"},
        {"ctrl-click on a selected icon", icones({a, b}), [&](ZEVSelections& s) { s.cmdSelectIconForItem(a); }, "I", "12"},
        {"an empty set on an empty selection", rien, [](ZEVSelections& s) { s.selectIconForItemSet({}, nullptr); }, "", ""},
        {"an empty set on a selection", icones({a}), [](ZEVSelections& s) { s.selectIconForItemSet({}, nullptr); }, "I", ""},
        {"a set minus a set", icones({a, b}),
         [&](ZEVSelections& s) {
             const std::vector<KELI*> m{a};
             s.selectIconForItemSet({c}, &m);
         },
         "I", "12 13"},
        {"a set in any order is listed by id", rien, [&](ZEVSelections& s) { s.selectIconForItemSet({c, a}, nullptr); }, "I",
         "11 13"},
        {"op 0 replaces", icones({a}), [&](ZEVSelections& s) { s.selectIconForItemSet({b}, 0); }, "I", "12"},
        {"op 4 replaces", icones({a}), [&](ZEVSelections& s) { s.selectIconForItemSet({b}, 4); }, "I", "12"},
        {"op 1 intersects", icones({a, b}), [&](ZEVSelections& s) { s.selectIconForItemSet({b, c}, 1); }, "I", "12"},
        {"op 3 subtracts", icones({a, b}), [&](ZEVSelections& s) { s.selectIconForItemSet({b}, 3); }, "I", "11"},
        {"deselecting none of many", icones({a}), [](ZEVSelections& s) { s.deselectIconForItems({}); }, "I", "11"},
        {"deselecting an unselected icon", icones({a}), [&](ZEVSelections& s) { s.deselectIconForItem(b); }, "", "11"},
        {"reselect all in the Channel", icones({a, b}), [](ZEVSelections& s) { EXPECT_FALSE(s.reselectAllIcons()); }, "",
         "11 12"},
        {"an empty set on empty titles", rien, [](ZEVSelections& s) { s.selectTitleForItemSet({}, nullptr); }, "T", ""},
        {"an empty set on empty filters", rien, [](ZEVSelections& s) { s.selectFilterForItemSet({}, nullptr); }, "F", ""},
        {"removing a filter that is none", rien, [&](ZEVSelections& s) { s.deselectFilterForItem(a); }, "F", ""},
        {"selecting a node", rien, [&](ZEVSelections& s) { s.selectNodeForItem(a); }, "LL", ""},
        {"deselecting a node that is none", rien, [&](ZEVSelections& s) { s.deselectNodeForItem(a); }, "", ""},
        {"deselecting no nodes", rien, [](ZEVSelections& s) { s.deselectNodeForItems({}); }, "L", ""},
        {"deselecting an unselected link", rien, [](ZEVSelections& s) { s.deselectLinkObject(nullptr); }, "L", ""},
    };
    for (const Row& r : rows) {
        sel = std::make_unique<ZEVSelections>(ctx);
        r.before(*sel);
        notices();
        r.op(*sel);
        EXPECT_EQ(notices(), r.notices) << r.what;
        EXPECT_EQ(noms(sel->selectedIconItems()), r.icons) << r.what;
        std::vector<KELI*> inSet, inList = sel->selectedIconItems();
        for (KELI* o : {a, b, c})
            if (sel->isIconSelectedForItem(o))
                inSet.push_back(o);
        std::sort(inList.begin(), inList.end(), [](KELI* x, KELI* y) { return x->idInt() < y->idInt(); });
        EXPECT_EQ(inSet, inList) << r.what << ": the set and the list hold the same Objects";
    }
}

TEST_F(Selections, RecallTakesTheCurrentChannelThenTheOthersWhoseCounterpartIsNotSelected)
{
    KELI* a = objet(21);        // here, off the desk
    KELI* b = objet(22);        // here, on the desk
    KELI* c = objet(31, 2);     // elsewhere, its counterpart b is selected
    KELI* d = objet(32, 2);     // elsewhere, no counterpart
    KELI* e = objet(33, 2);     // elsewhere, counterpart f not selected
    KELI* f = objet(23);
    ctx.same = {{c, b}, {e, f}};
    ctx.icons.actif = {b};
    ctx.icons.actifNow = {a};
    sel->selectIconForItem(d);
    for (KELI* o : {a, c, b, e})
        sel->multiSelectIconForItem(o);
    EXPECT_EQ(noms(sel->recallingSelectedIconItems()), "21 32 33");
    EXPECT_EQ(noms(sel->retainingSelectedIconItems()), "21");
    EXPECT_EQ(noms(sel->releasingSelectedIconItems()), "22");
    EXPECT_EQ(noms(sel->recallingNowSelectedIconItems()), "") << "the Now cursor is active";
    ctx.search = true;
    EXPECT_EQ(noms(sel->recallingNowSelectedIconItems()), "22 32 33");
    EXPECT_EQ(noms(sel->selectedItemsForChannelInt(2)), "32 31 33");

    // The dispatchers by front mode; none outside modes 0 to 3.
    sel->selectTitleForItemSet({a, b}, nullptr);
    ctx.front.mode = 1;
    EXPECT_EQ(noms(sel->recallingSelectedItems()->items), "21");
    ctx.front.mode = 4;
    EXPECT_FALSE(sel->recallingSelectedItems());
    EXPECT_FALSE(sel->selectedItemsForFrontMode());

    // Counterparts take the place of their Objects of other Channels.
    sel->selectIconForItemSet({c, d}, nullptr);
    EXPECT_TRUE(sel->reselectSameIcons());
    EXPECT_EQ(noms(sel->selectedIconItems()), "22 32");
    EXPECT_FALSE(sel->reselectSameIcons()) << "nothing left to replace";
    sel->deselectAllIcons();
    notices();
    EXPECT_TRUE(sel->reselectSameIcons()) << "an empty selection is no failure";
    EXPECT_EQ(notices(), "");
    sel->selectIconForItemSet({a, d}, nullptr);
    EXPECT_TRUE(sel->reselectAllIcons());
    EXPECT_EQ(noms(sel->selectedIconItems()), "21");
}

TEST_F(Selections, TheLinkSelectionFollowsTheNodes)
{
    KELI* p = objet(41);
    KELI* q = objet(42);
    KELI* r = objet(43);
    ZEVItemConnexion* pq = ctx.links.line(p, q);
    ZEVItemConnexion* qr = ctx.links.line(q, r);
    ctx.nowDesk.lines = {{p, {pq}}, {q, {pq, qr}}, {r, {qr}}};

    sel->selectNodeForItem(p);
    EXPECT_EQ(paires(sel->selectedLinks()), "41>42");
    sel->multiSelectNodeForItem(r);
    EXPECT_EQ(paires(sel->selectedLinks()), "41>42 42>43");
    sel->deselectNodeForItem(p);
    EXPECT_EQ(paires(sel->selectedLinks()), "42>43") << "a line goes when neither end is a node";
    sel->multiSelectNodeForItem(q);
    sel->deselectNodeForItem(r);
    EXPECT_EQ(paires(sel->selectedLinks()), "42>43 41>42") << "a line stays while its other end is a node";
    sel->selectNodeForItemSet({r}, nullptr);
    EXPECT_EQ(noms(sel->selectedNodeItemSet()), "43");
    EXPECT_EQ(paires(sel->selectedLinks()), "42>43") << "rebuilt from the nodes";
    EXPECT_TRUE(sel->isLinkSelectedForConnexion(qr));
    EXPECT_FALSE(sel->isLinkSelectedForConnexion(pq));

    // Links alone, and the links between the Objects selected in a mode.
    sel->selectLinkForItemSet({p}, 2);
    EXPECT_EQ(paires(sel->selectedLinks()), "41>42 42>43");
    sel->selectIconForItemSet({p, q}, nullptr);
    EXPECT_EQ(paires(sel->linksForIconMode()), "41>42");
    ctx.links.actif = {ctx.links.linkForConnexion(pq)};
    EXPECT_EQ(paires(sel->releasingSelectedLinkItems()), "41>42");
    EXPECT_EQ(paires(sel->recallingSelectedLinkItems()), "42>43");
    EXPECT_EQ(paires(sel->retainingSelectedLinkItems()), "42>43");

    // A pair about to be destroyed leaves the selection, and an Object that is gone leaves all.
    notices();
    sel->oublierLinks({ctx.links.linkForConnexion(pq)});
    EXPECT_EQ(paires(sel->selectedLinks()), "42>43");
    EXPECT_EQ(notices(), "L");
    sel->oublierItem(q);
    EXPECT_EQ(paires(sel->selectedLinks()), "");
    EXPECT_EQ(noms(sel->selectedIconItems()), "41");
    EXPECT_EQ(notices(), "IL");
}

TEST_F(Selections, FiltersReachTheNowDeskFirstAndABurstMovesTheKeyboardOnce)
{
    KELI* a = objet(51);
    KELI* b = objet(52);
    ctx.front.mode = 2;
    sel->selectFilterForItem(a);
    sched.advance(0.2);
    sel->multiSelectFilterForItem(b);
    sched.advance(0.2);
    sel->deselectFilterForItem(a);
    EXPECT_EQ(ctx.trace, (Trace{"Now enleveTout", "Search enleveTout", "Now ajoute 51", "Search ajoute 51",
                                "Now ajoute 52", "Search ajoute 52", "Now enleve 51", "Search enleve 51"}));
    EXPECT_EQ(noms(sel->selectedFilterItems()), "52");
    sched.advance(0.45);
    EXPECT_TRUE(ctx.responders.empty()) << "0.5 s after the last change, not the first";
    sched.advance(0.1);
    ASSERT_EQ(ctx.responders.size(), 1u);
    EXPECT_EQ(ctx.trace.back(), "Now visibles 2");
    sched.advance(5);
    EXPECT_EQ(ctx.responders.size(), 1u);

    // An inspector's table that has the keys keeps them.
    ctx.tableHasKeys = true;
    sel->selectFilterForItem(a);
    sched.advance(0.6);
    EXPECT_EQ(ctx.responders.size(), 1u);
    ctx.tableHasKeys = false;

    // With no filter left the filters mode counts as the icons mode.
    sel->deselectAllFilters();
    sched.advance(0.6);
    EXPECT_EQ(ctx.trace.back(), "Now visibles 0");
}

TEST_F(Selections, ATitleEditJustEndedHoldsForAFifthOfASecond)
{
    KELI* a = objet(61);
    sel->editTitleForItem(a);
    sched.advance(1);
    EXPECT_TRUE(sel->isTitleEditing());
    EXPECT_FALSE(sel->isTitleJustEdited()) << "starting an edit does not stamp the time";
    sel->editTitleForItem(nullptr);
    sched.advance(0.1);
    EXPECT_TRUE(sel->isTitleJustEdited());
    sched.advance(0.2);
    EXPECT_FALSE(sel->isTitleJustEdited());
    // The edited Object is let go when its title is deselected, selected or not.
    sel->editTitleForItem(a);
    sel->deselectTitleForItem(a);
    EXPECT_FALSE(sel->isTitleEditedForItem(a));
}

} // namespace
