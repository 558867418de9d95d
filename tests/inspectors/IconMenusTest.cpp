// The Icons panel's menu tables: the Object items by front mode and count, the temporal items of
// each cursor, and one enabling per command whether the menu bar, the Edit menu or the panel's
// buttons show it.

#include "inspectors/icons/ZEVIconMenus.h"
#include "tests/inspectors/MenuLinesByTag.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace tallomer;
using menutest::parTag;
using menutest::Vu;

ZEVIconMenuCounts objets(int mode, quint64 n)
{
    ZEVIconMenuCounts c;
    c.mode = mode;
    c.n = n;
    return c;
}

void attendre(const std::map<long, Vu>& vus, long tag, const char* title, bool enabled)
{
    ASSERT_TRUE(vus.count(tag)) << "no line for " << tag;
    EXPECT_EQ(vus.at(tag).title.toStdString(), title) << tag;
    EXPECT_EQ(vus.at(tag).enabled, enabled) << tag << " " << title;
}

TEST(IconMenus, TheObjectItemsNameTheModesObjectsByCount)
{
    {
        SCOPED_TRACE("Icons, nothing selected");
        const auto v = parTag(ZEVIconObjectLines(objets(0, 0)));
        attendre(v, 31, "Add Documents\u2026", true);
        attendre(v, 32, "Find Objects", true);
        attendre(v, 1, "Open (no Icon)", false);
        attendre(v, 13, "Remove Objects", false);
        attendre(v, 7, "Filter (no Icon)", false);
        EXPECT_EQ(v.at(7).state, 0);
        attendre(v, 4333, "Handle Objects", true);
        attendre(v, 21, "Move to\u2026", false);
        attendre(v, 22, "Copy in Tallomer", false);
        attendre(v, 24, "Duplicate in Tallomer", false);
    }
    {
        SCOPED_TRACE("Icons, one and three");
        auto v = parTag(ZEVIconObjectLines(objets(0, 1)));
        attendre(v, 1, "Open 1 Object", true);
        attendre(v, 13, "Remove 1 Object", true);
        attendre(v, 7, "Filter 1 Object", true);
        v = parTag(ZEVIconObjectLines(objets(0, 3)));
        attendre(v, 1, "Open 3 Objects", true);
        attendre(v, 13, "Remove 3 Objects", true);
    }
    {
        SCOPED_TRACE("Titles with filters applied");
        ZEVIconMenuCounts c = objets(1, 0);
        c.filters = 2;
        const auto v = parTag(ZEVIconObjectLines(c));
        attendre(v, 1, "Open (no Title)", false);
        attendre(v, 7, "Deselect all Filters", true);
        EXPECT_EQ(v.at(7).state, 1);
    }
    {
        SCOPED_TRACE("Filters: none filtered offers the two selected icons");
        ZEVIconMenuCounts c = objets(2, 0);
        c.icons = 2;
        auto v = parTag(ZEVIconObjectLines(c));
        attendre(v, 31, "Add Documents\u2026", true);
        attendre(v, 1, "Open (no Filter)", false);
        attendre(v, 7, "Filter 2 Objects", true);
        v = parTag(ZEVIconObjectLines(objets(2, 2)));
        attendre(v, 31, "Add and link Objects\u2026", true);
        attendre(v, 1, "Open 2 Filters", true);
        attendre(v, 7, "Deselect all Filters", true);
    }
    {
        SCOPED_TRACE("Links: Remove and Filter count the nodes");
        ZEVIconMenuCounts c = objets(3, 2);
        c.nodes = 1;
        auto v = parTag(ZEVIconObjectLines(c));
        attendre(v, 1, "Open 2 linked Objects", true);
        attendre(v, 13, "Remove 1 Node", true);
        attendre(v, 7, "Filter 1 Node", true);
        v = parTag(ZEVIconObjectLines(objets(3, 0)));
        attendre(v, 1, "Open (no Link)", false);
        attendre(v, 13, "Remove Objects", false);
        attendre(v, 7, "Filter (no Node)", false);
    }
    {
        SCOPED_TRACE("the Handle submenu counts each command's own Objects");
        ZEVIconMenuCounts c = objets(0, 3);
        c.moveTo = 1;
        c.copyToSpace = 3;
        c.duplicateTo = 2;
        const auto v = parTag(ZEVIconObjectLines(c));
        attendre(v, 21, "Move 1 Object to\u2026", true);
        attendre(v, 20, "Move in Tallomer", false);
        attendre(v, 22, "Copy 3 Objects in Tallomer", true);
        attendre(v, 25, "Duplicate 2 Objects to\u2026", true);
        attendre(v, 24, "Duplicate 2 Objects in Tallomer", true);
    }
    {
        SCOPED_TRACE("no front mode: only Add, Find and Filter's check mark");
        const auto v = parTag(ZEVIconObjectLines(objets(4, 3)));
        EXPECT_FALSE(v.count(1));
        EXPECT_FALSE(v.count(13));
        EXPECT_TRUE(v.at(31).title.isEmpty());
    }
}

TEST(IconMenus, EachCursorShowsItsOwnTemporalItemsTitledByTheirCounts)
{
    ZEVIconMenuCounts c;
    c.mode = 0;
    c.recalling = 5;
    c.retaining = 2;
    c.releasing = 1;
    c.duration = QStringLiteral(" (1 day)");
    {
        SCOPED_TRACE("at Now the item tagged 6 is Recall, the Search items are hidden");
        const auto v = parTag(ZEVIconEditLines(c));
        attendre(v, 6, "Recall 5 Objects (1 day)", true);
        attendre(v, 65, "Retain 2 Objects", true);
        attendre(v, 62, "Release 1 Object", true);
        attendre(v, 63, "Forget 1 Object", true);
        for (long tag : {6L, 65L, 62L, 63L})
            EXPECT_TRUE(v.at(tag).visible) << tag;
        for (long tag : {4L, 5L, 2L, 3L})
            EXPECT_FALSE(v.at(tag).visible) << tag;
    }
    c.isSearch = true;
    {
        SCOPED_TRACE("at Search: Recall Now hidden with nothing to recall at Now");
        const auto v = parTag(ZEVIconEditLines(c));
        EXPECT_FALSE(v.at(6).visible);
        attendre(v, 4, "Recall 5 Objects (1 day)", true);
        attendre(v, 5, "Retain 2 Objects", true);
        attendre(v, 2, "Release 1 Object", true);
        for (long tag : {65L, 62L, 63L})
            EXPECT_FALSE(v.at(tag).visible) << tag;
    }
    {
        SCOPED_TRACE("Filter mode with two to recall at Now");
        c.mode = 2;
        c.recallingNow = 2;
        c.retaining = 0;
        const auto v = parTag(ZEVIconEditLines(c));
        EXPECT_TRUE(v.at(6).visible);
        attendre(v, 6, "Recall Now 2 Filters (1 day)", true);
        attendre(v, 5, "Retain", false);
    }
    {
        SCOPED_TRACE("Link mode with nothing to take names the link");
        const auto v = parTag(ZEVIconEditLines(objets(3, 0)));
        attendre(v, 6, "Recall Link", false);
        attendre(v, 65, "Retain Link", false);
        attendre(v, 62, "Release Link", false);
        attendre(v, 63, "Forget Link", false);
    }
    {
        SCOPED_TRACE("no front mode: the layout only");
        const auto v = parTag(ZEVIconEditLines(objets(4, 0)));
        EXPECT_TRUE(v.at(65).title.isEmpty());
        EXPECT_FALSE(v.at(4).visible);
    }
}

// The item of each command at each cursor, and the panel's button for it.
struct Commande {
    const char* nom;
    long nowTag, searchTag;
    bool ZEVIconButtonStates::*bouton;
};
constexpr Commande kCommandes[] = {
    {"Recall", 6, 4, &ZEVIconButtonStates::recall},
    {"Retain", 65, 5, &ZEVIconButtonStates::retain},
    {"Release", 62, 2, &ZEVIconButtonStates::release},
    {"Forget", 63, 3, &ZEVIconButtonStates::forget},
};

TEST(IconMenus, OneCommandIsEnabledAlikeInTheMenuBarTheEditMenuAndOnTheButtons)
{
    for (int mode = 0; mode <= 4; ++mode)
        for (bool search : {false, true})
            for (quint64 r : {0, 1, 3})
                for (quint64 t : {0, 2})
                    for (quint64 l : {0, 1})
                        for (quint64 rN : {0, 2}) {
                            ZEVIconMenuCounts c;
                            c.mode = mode;
                            c.isSearch = search;
                            c.recalling = r;
                            c.retaining = t;
                            c.releasing = l;
                            c.recallingNow = search ? rN : 0;
                            SCOPED_TRACE(testing::Message() << "mode " << mode << (search ? " Search" : " Now") << " r "
                                                            << r << " t " << t << " l " << l << " rN " << rN);
                            const auto edit = parTag(ZEVIconEditLines(c));
                            const auto bar = parTag(ZEVIconMacLines(c), ZEVMenuPlace::Edit);
                            const ZEVIconButtonStates boutons = ZEVIconButtons(c);
                            for (const Commande& k : kCommandes) {
                                const long tag = search ? k.searchTag : k.nowTag;
                                const long autre = search ? k.nowTag : k.searchTag;
                                const bool menu = edit.count(tag) ? edit.at(tag).enabled : false;
                                const bool offert = mode <= 3 && menu;
                                EXPECT_EQ(bar.at(tag).enabled, offert) << k.nom << " in the menu bar";
                                EXPECT_EQ(boutons.*k.bouton, offert) << k.nom << " on the button";
                                if (autre != 6) {
                                    EXPECT_FALSE(bar.at(autre).enabled) << k.nom << " of the other cursor";
                                }
                            }
                            if (search) {
                                EXPECT_EQ(bar.at(6).enabled, mode <= 3 && rN > 0) << "Recall Now";
                            }
                        }
}

TEST(IconMenus, TheMenuBarEnablesByWhatTheCommandsWouldTake)
{
    ZEVIconMenuCounts c;
    c.mode = 3;
    c.n = 2;
    auto v = parTag(ZEVIconMacLines(c));
    EXPECT_TRUE(v.at(1).enabled) << "Open takes the ends of the selected links";
    c.mode = 0;
    c.isSearch = true;
    c.deskHasItems = true;
    v = parTag(ZEVIconMacLines(c));
    EXPECT_FALSE(v.at(40).enabled) << "no Clean All at Search";
    EXPECT_TRUE(v.at(44).enabled);
    // Open, Filter and Remove as the Object menu will show them.
    for (quint64 filtres : {0, 1}) {
        ZEVIconMenuCounts vide;
        vide.filters = filtres;
        const auto bar = parTag(ZEVIconMacLines(vide), ZEVMenuPlace::Object);
        const auto menu = parTag(ZEVIconObjectLines(vide));
        for (long tag : {1L, 7L, 13L})
            EXPECT_EQ(bar.at(tag).enabled, menu.at(tag).enabled) << tag << " with filters " << filtres;
    }
    c.mode = 4;
    v = parTag(ZEVIconMacLines(c));
    EXPECT_FALSE(v.count(60)) << "Show Original keeps its state with no front mode";
}

} // namespace
