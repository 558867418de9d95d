// The Files panel's menu tables on a few states of its selection: the Edit items, the Object
// items and the menu bar's enabling, and their application to a menu with a submenu.

#include "inspectors/base/ZEVInspectMenus.h"
#include "inspectors/files/ZEVFileClass.h"
#include "tests/inspectors/MenuLinesByTag.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace tallomer;

const ZEVInspectNouns kFiles = ZEVFileClass::nouns();

using menutest::parTag;
using menutest::Vu;

struct Attendu {
    long tag;
    const char* title; // nullptr: not checked
    bool enabled;
};

struct Etat {
    const char* nom;
    ZEVInspectCounts counts;
    bool recallNowShown;
    std::vector<Attendu> edit;
    std::vector<Attendu> object;
};

ZEVInspectCounts comptes(int mode, quint64 actifs, quint64 inactifs, quint64 pasMaintenant, bool search,
                         quint64 filtres = 0, QString duree = {})
{
    ZEVInspectCounts c;
    c.mode = mode;
    c.nActive = actifs;
    c.nInactive = inactifs;
    c.nNotNow = pasMaintenant;
    c.nTotal = actifs + inactifs;
    c.isSearch = search;
    c.filters = filtres;
    c.duration = std::move(duree);
    return c;
}

TEST(FileMenus, EditAndObjectItemsOnAFewStatesOfTheSelection)
{
    const std::vector<Etat> etats = {
        {"nothing selected",
         comptes(0, 0, 0, 0, false),
         false,
         {{4, "Recall", false}, {5, "Retain", false}, {2, "Release", false}, {3, "Forget", false}},
         {{1, "Open (no File)", false},
          {7, "Filter (no File)", false},
          {13, "Remove File Objects", false},
          {31, "Add Files\u2026", true},
          {32, "Find Files", true},
          {4333, "Handle Files", true},
          {21, "Move to\u2026", false},
          {22, "Copy in zevFiles", false},
          {25, "Duplicate to\u2026", false}}},
        {"one Object absent at Search and at Now, with the go-to suffix",
         comptes(0, 0, 1, 1, true, 0, QStringLiteral(" (1 day)")),
         true,
         {{6, "Recall Now 1 File (1 day)", true},
          {4, "Recall 1 File (1 day)", true},
          {5, "Retain 1 File", true},
          {2, "Release", false}},
         {{1, "Open 1 File", true}, {7, "Filter 1 File", true}, {13, "Remove 1 File Object", true}}},
        {"two present in title mode",
         comptes(1, 2, 0, 0, false),
         false,
         {{2, "Release 2 Files", true}, {3, "Forget 2 Files", true}, {4, "Recall", false}},
         {{1, "Open 2 Files", true}, {13, "Remove 2 File Objects", true}}},
        {"filter mode with filters",
         comptes(2, 1, 1, 0, false, 2),
         false,
         {{2, "Release 1 Filter", true}, {4, "Recall 1 Filter", true}},
         {{31, "Add and link Files\u2026", true}, {7, "Deselect all Filters", true}, {1, "Open 2 Filters", true}}},
        {"link mode",
         comptes(3, 3, 0, 0, false),
         false,
         {{2, "Release 3 Nodes", true}},
         {{1, "Open 3 Nodes", true}, {7, "Filter 3 Nodes", true}, {31, "Add Files\u2026", true}}},
    };
    for (const Etat& e : etats) {
        const auto edit = parTag(ZEVInspectEditLines(e.counts, kFiles));
        const auto object = parTag(ZEVInspectObjectLines(e.counts, kFiles));
        EXPECT_EQ(edit.at(6).visible, e.recallNowShown) << e.nom;
        for (const Attendu& a : e.edit) {
            if (a.title) {
                EXPECT_EQ(edit.at(a.tag).title, QString::fromUtf8(a.title)) << e.nom << " tag " << a.tag;
            }
            if (a.tag != 6) {
                EXPECT_EQ(edit.at(a.tag).enabled, a.enabled) << e.nom << " tag " << a.tag;
            }
        }
        for (const Attendu& a : e.object) {
            EXPECT_EQ(object.at(a.tag).title, QString::fromUtf8(a.title)) << e.nom << " tag " << a.tag;
            EXPECT_EQ(object.at(a.tag).enabled, a.enabled) << e.nom << " tag " << a.tag;
        }
    }
}

TEST(FileMenus, FilterStatesAndTheFilterModeWithoutFilters)
{
    auto filtre = [](const ZEVInspectCounts& c) { return parTag(ZEVInspectObjectLines(c, kFiles)).at(7); };
    EXPECT_EQ(filtre(comptes(0, 1, 0, 0, false)).state, 0);
    const Vu avec = filtre(comptes(0, 1, 0, 0, false, 1));
    EXPECT_EQ(avec.title, QStringLiteral("Deselect all Filters"));
    EXPECT_EQ(avec.state, 1);
    // Filter mode, nothing filtered: Filter counts the icon mode's Objects.
    ZEVInspectCounts c = comptes(2, 0, 0, 0, false);
    EXPECT_EQ(filtre(c).title, QStringLiteral("Filter (no Icon)"));
    EXPECT_FALSE(filtre(c).enabled);
    c.iconMode = 4;
    EXPECT_EQ(filtre(c).title, QStringLiteral("Filter 4 Files"));
    EXPECT_TRUE(filtre(c).enabled);
    EXPECT_EQ(parTag(ZEVInspectObjectLines(c, kFiles)).at(1).title, QStringLiteral("Open (no File filtered)"));
    // Outside the four modes the Edit items are left alone.
    EXPECT_TRUE(ZEVInspectEditLines(comptes(5, 1, 1, 0, false), kFiles).empty());
}

TEST(FileMenus, TheMenuBarFollowsTheCursorTheModeAndNeverOffersDuplicateForFiles)
{
    auto bar = [](const ZEVInspectCounts& c) { return parTag(ZEVInspectMacLines(c, kFiles)); };
    // Now active, one Object present and one absent: Recall Now stays off (nNotNow is only
    // counted at Search), the Now items follow the counts, and so do the panel's plain Recall and
    // Release, which the Edit menu offers at Now too.
    ZEVInspectCounts now = comptes(0, 1, 1, 0, false);
    auto m = bar(now);
    EXPECT_FALSE(m.at(6).enabled);
    EXPECT_TRUE(m.at(65).enabled);
    EXPECT_TRUE(m.at(62).enabled);
    EXPECT_TRUE(m.at(4).enabled);
    EXPECT_TRUE(m.at(2).enabled);
    EXPECT_FALSE(bar(comptes(0, 0, 1, 0, false)).at(2).enabled) << "nothing present to release";
    EXPECT_FALSE(parTag(ZEVInspectEditLines(now, kFiles)).at(6).visible);
    // At Search the other way round.
    m = bar(comptes(0, 1, 1, 1, true));
    EXPECT_TRUE(m.at(6).enabled);
    EXPECT_FALSE(m.at(65).enabled);
    EXPECT_TRUE(m.at(4).enabled);
    EXPECT_TRUE(m.at(3).enabled);
    EXPECT_TRUE(m.at(44).enabled);
    // Link mode: Cut and Copy off even with Nodes; Icon mode: on.
    EXPECT_FALSE(bar(comptes(3, 2, 0, 0, false)).at(100).enabled);
    EXPECT_FALSE(bar(comptes(3, 2, 0, 0, false)).at(101).enabled);
    EXPECT_TRUE(bar(comptes(0, 2, 0, 0, false)).at(101).enabled);
    // Remove, which the front layer turns on for any focused list, follows the panel's count.
    EXPECT_FALSE(bar(comptes(0, 0, 0, 0, false)).at(13).enabled);
    EXPECT_TRUE(bar(comptes(0, 0, 1, 0, false)).at(13).enabled);
    // Duplicate: counted, yet off for Files, in the bar and in the Object menu.
    ZEVInspectCounts d = comptes(0, 3, 0, 0, false);
    d.duplicateTo = 3;
    d.moveTo = 3;
    EXPECT_FALSE(bar(d).at(25).enabled);
    EXPECT_FALSE(bar(d).at(24).enabled);
    EXPECT_TRUE(bar(d).at(21).enabled);
    const auto o = parTag(ZEVInspectObjectLines(d, kFiles));
    EXPECT_EQ(o.at(25).title, QStringLiteral("Duplicate 3 Files to\u2026"));
    EXPECT_EQ(o.at(24).title, QStringLiteral("Duplicate 3 Files in zevFiles"));
    EXPECT_FALSE(o.at(25).enabled);
    EXPECT_EQ(o.at(21).title, QStringLiteral("Move 3 Files to\u2026"));
    // A kind that duplicates gets them by count.
    ZEVInspectNouns autre = kFiles;
    autre.duplicates = true;
    EXPECT_TRUE(parTag(ZEVInspectMacLines(d, autre)).at(25).enabled);
}

TEST(FileMenus, LinesReachItemsInSubmenusAndOnlyInTheirOwnMenu)
{
    QMenu edit;
    QAction* release = edit.addAction(QStringLiteral("Release Search"));
    release->setEnabled(false);
    release->setProperty("tag", 2);
    QMenu object;
    QMenu* handle = object.addMenu(QStringLiteral("Handle"));
    handle->menuAction()->setProperty("tag", 4333);
    QAction* move = handle->addAction(QStringLiteral("Move"));
    move->setProperty("tag", 21);
    QAction* open = object.addAction(QStringLiteral("Open"));
    open->setProperty("tag", 1);
    EXPECT_EQ(ZEVMenuItemWithTag(&object, 21), move);

    const ZEVInspectCounts c = comptes(0, 1, 0, 0, false);
    ZEVApplyMenuLines(&object, ZEVInspectObjectLines(c, kFiles));
    EXPECT_EQ(handle->menuAction()->text(), QStringLiteral("Handle Files"));
    EXPECT_EQ(move->text(), QStringLiteral("Move to\u2026"));
    EXPECT_FALSE(move->isEnabled());
    EXPECT_EQ(open->text(), QStringLiteral("Open 1 File"));

    // The bar's lines carry their menu: the Edit menu's 2 is not the Object menu's.
    const std::vector<ZEVMenuLine> mac = ZEVInspectMacLines(c, kFiles);
    ZEVApplyMenuLines(&edit, mac, ZEVMenuPlace::Edit);
    EXPECT_TRUE(release->isEnabled()) << "the panel's Release, with Now active";
    open->setEnabled(false);
    ZEVApplyMenuLines(&object, mac, ZEVMenuPlace::Object);
    EXPECT_TRUE(open->isEnabled());
}

} // namespace
