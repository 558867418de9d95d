// The Links panel's table on a real link base: which side of a pair a column means, the titles'
// font and colour, a selection made in the table in each mode, type-select, deleting pairs and
// intervals, swap, and a row menu whose pair went while it was open.

#include "tests/inspectors/LinksFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QFont>
#include <QMenu>

namespace inspecttest {
namespace {

class LinkTable : public LinksFixture {
protected:
    void SetUp() override
    {
        LinksFixture::SetUp();
        if (HasFatalFailure())
            return;
        viewer->showInspectView(true);
        settle();
        ASSERT_NE(viewer->inspectViewIfBuilt(), nullptr);
    }
    ZEVTableView& table() { return *viewer->inspectViewIfBuilt()->inspectTableView(); }
    ZEVSelections& sel() { return space->selections(); }
    KELDate now() const { return space->nowCurseur()->now(); }
    // The table's rows made again from the model.
    void recharger()
    {
        settle();
        viewer->majInspectView();
    }
    int rowOf(KELI* parent, KELI* enfant)
    {
        for (int r = 0; r < table().numberOfRows(); ++r)
            if (ZEVLinkObject* o = m().rowAt(table(), r); o && o->parentItem() == parent && o->enfantItem() == enfant)
                return r;
        return -1;
    }
    void mode(int mode)
    {
        host.front->mode = mode;
        viewer->frontModeDidChange();
    }
    // The pointer over a column of the table, as a hover leaves it.
    void survoler(int column)
    {
        const QRect c = table().visualRect(table().tableModel()->index(0, column));
        table().mouseMovedAtPoint(QPointF(c.center()));
    }
    static bool oublie(KELI* l)
    {
        return deskmodel::siOublie(KELServeurDeLiens::LienForInt(l->idInt(), KELServeurDeLiens::CurseurGlobal()));
    }
    // The user's own selection: the table has the keys.
    std::vector<int> proposer(const std::vector<int>& rows, const std::vector<int>& before,
                              Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        m().setSiAccepteMajSelectedRows(false, table());
        return m().selectionIndexesForProposedSelection(table(), rows, before, mods);
    }

};

TEST_F(LinkTable, AColumnMeansTheParentUpToItsTitleAndTheRowMenuTakesTheChildsFilterForTheParent)
{
    for (int c : {-1, 0, 1, 2, 3, 4})
        EXPECT_FALSE(ZEVLinkClass::siColonneEnfant(c)) << c;
    for (int c : {5, 6})
        EXPECT_TRUE(ZEVLinkClass::siColonneEnfant(c)) << c;
    for (int c : {-1, 0, 4, 5})
        EXPECT_FALSE(ZEVLinkClass::siColonneEnfantDuMenu(c)) << c;
    EXPECT_TRUE(ZEVLinkClass::siColonneEnfantDuMenu(6));
    EXPECT_EQ(ZEVLinkClass::columnIdentifiers().indexOf("filterEnfant"), 5);
    EXPECT_EQ(ZEVLinkClass::columnIdentifiers().indexOf("enfant"), 6);
}

TEST_F(LinkTable, TitlesAreBoldWhileTheLinkHoldsAtTheCursorAndWhiteWhileBothEndsAreSelectedTitles)
{
    KELI* a = objet("alpha");
    KELI* b = objet("beta");
    KELI* c = objet("gamma");
    const KELDate t = now();
    lien(a, b, t - kHeure, KELDateOuverte);
    // Over, but still inside the visible range.
    lien(a, c, t - kHeure / 3, t - kHeure / 6);
    recharger();
    const int ab = rowOf(a, b);
    const int ac = rowOf(a, c);
    ASSERT_GE(ab, 0);
    ASSERT_GE(ac, 0);
    auto gras = [&](int row, const char* col) {
        return m().objectValue(table(), QString::fromLatin1(col), row, Qt::FontRole).value<QFont>().bold();
    };
    auto couleur = [&](int row, const char* col) {
        return m().objectValue(table(), QString::fromLatin1(col), row, Qt::ForegroundRole).value<QColor>();
    };
    EXPECT_TRUE(gras(ab, "parent"));
    EXPECT_TRUE(gras(ab, "enfant"));
    EXPECT_FALSE(gras(ac, "parent"));
    EXPECT_EQ(m().objectValue(table(), "enfant", ab, Qt::DisplayRole).toString(), "beta");
    EXPECT_EQ(m().objectValue(table(), "parent", ab, Qt::FontRole).value<QFont>().pointSizeF(), 13.0);
    EXPECT_EQ(couleur(ab, "parent"), QColor(Qt::black));

    sel().selectTitleForItemSet({a, b}, nullptr);
    EXPECT_EQ(couleur(ab, "parent"), QColor(Qt::white));
    EXPECT_EQ(couleur(ab, "enfant"), QColor(Qt::white));
    EXPECT_EQ(couleur(ac, "enfant"), QColor(Qt::black)) << "gamma is not a selected title";
    EXPECT_FALSE(m().objectValue(table(), "imageTitle", ac, Qt::DecorationRole).isValid());
    EXPECT_TRUE(m().objectValue(table(), "imageTitle", ab, Qt::DecorationRole).isValid());
    EXPECT_FALSE(m().objectValue(table(), "unknown", ab, Qt::DisplayRole).isValid());
}

TEST_F(LinkTable, ASelectionMadeInTheTableBecomesTheModesSelection)
{
    KELI* a = objet("a");
    KELI* b = objet("b");
    KELI* c = objet("c");
    const KELDate t = now();
    lien(a, b, t - kHeure, KELDateOuverte);
    lien(a, c, t - kHeure, KELDateOuverte);
    recharger();
    const int ab = rowOf(a, b);
    const int ac = rowOf(a, c);
    ASSERT_GE(ab, 0);
    ASSERT_GE(ac, 0);

    // Filter mode: the child's columns give the children, the others the parents.
    mode(2);
    survoler(6);
    EXPECT_EQ(proposer({ab, ac}, {}), (std::vector<int>{ab, ac})) << "the proposal stands";
    EXPECT_EQ(sel().selectedFilterItems().size(), 2u);
    EXPECT_TRUE(sel().isFilterSelectedForItem(b) && sel().isFilterSelectedForItem(c));
    survoler(1);
    proposer({ab}, {});
    EXPECT_EQ(sel().selectedFilterItems(), std::vector<KELI*>{a});
    // The mode switch follows 0.1 s later, once for a burst of selections.
    host.front->switches.clear();
    proposer({ac}, {});
    sched.advance(0.05);
    proposer({ab}, {});
    EXPECT_TRUE(host.front->switches.empty());
    sched.advance(0.11);
    EXPECT_EQ(host.front->switches, std::vector<int>{2});

    // A selection changed from elsewhere reads the side from the last column under the pointer,
    // the parent when there was none.
    sel().selectFilterForItemSet({c}, nullptr);
    survoler(5);
    EXPECT_EQ(m().rowsSelectedInMode(table(), 2), std::vector<int>{ac});
    table().mouseMovedAtPoint(QPointF(-50, 5));
    EXPECT_TRUE(m().rowsSelectedInMode(table(), 2).empty()) << "c is no parent";

    // Icon mode, Ctrl taking a row off: its Objects go, those of the rows kept stay.
    mode(0);
    proposer({ab, ac}, {});
    EXPECT_EQ(sel().selectedIconItems().size(), 3u);
    proposer({ac}, {ab, ac}, Qt::ControlModifier);
    EXPECT_TRUE(sel().isIconSelectedForItem(a)) << "a ends the kept row too";
    EXPECT_TRUE(sel().isIconSelectedForItem(c));
    EXPECT_FALSE(sel().isIconSelectedForItem(b));

    // Link mode: the rows themselves.
    mode(3);
    proposer({ab}, {});
    ASSERT_EQ(sel().selectedLinks().size(), 1u);
    EXPECT_EQ(sel().selectedLinks().front(), m().rowAt(table(), ab));
}

TEST_F(LinkTable, TypeSelectMatchesEitherTitleAndSelectsBothEnds)
{
    KELI* a = objet("Anchor");
    KELI* b = objet("Beacon");
    KELI* c = objet("Cargo");
    KELI* d = objet("Dune");
    const KELDate t = now();
    lien(a, b, t - kHeure, KELDateOuverte);
    lien(c, d, t - kHeure, KELDateOuverte);
    recharger();
    mode(0);
    m().selectItemsWithString(table(), "beac", 0);
    EXPECT_TRUE(sel().isIconSelectedForItem(a)) << "the parent comes with its child";
    EXPECT_TRUE(sel().isIconSelectedForItem(b));
    EXPECT_FALSE(sel().isIconSelectedForItem(c));
    const QModelIndexList rows = table().selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().row(), rowOf(a, b));
    // No match: an empty set, with the operation given.
    m().selectItemsWithString(table(), "zzz", 0);
    EXPECT_TRUE(sel().selectedIconItems().empty());
}

TEST_F(LinkTable, DeletingAPairForgetsEveryIntervalOfThatDirectionOnly)
{
    KELI* a = objet("a");
    KELI* b = objet("b");
    const KELDate t = now();
    KELI* l1 = lien(a, b, t - 3 * kHeure, t - 2 * kHeure);
    KELI* l2 = lien(a, b, t - 90 * kHeure, t - 80 * kHeure);
    KELI* l3 = lien(a, b, t - kHeure, KELDateOuverte);
    KELI* inverse = lien(b, a, t - kHeure, KELDateOuverte);
    recharger();
    ZEVLinkObject* ab = m().rowForPair(a->idInt(), b->idInt());
    ASSERT_NE(ab, nullptr);
    const int avant = table().numberOfRows();
    m().deleteLinks({ab});
    settle();
    for (KELI* l : {l1, l2, l3})
        EXPECT_TRUE(oublie(l));
    EXPECT_FALSE(oublie(inverse));
    EXPECT_EQ(m().rowForPair(a->idInt(), b->idInt()), nullptr);
    EXPECT_NE(m().rowForPair(b->idInt(), a->idInt()), nullptr);
    EXPECT_EQ(table().numberOfRows(), avant - 1);
    for (int r = 0; r < table().numberOfRows(); ++r)
        EXPECT_NE(m().rowAt(table(), r), nullptr);
}

TEST_F(LinkTable, TheLegoMenuRemovesTheLinkOnlyForTheChildsLastLiveLink)
{
    KELI* a = objet("a");
    KELI* b = objet("b");
    const KELDate t = now();
    KELI* vieux = lien(a, b, t - 3 * kHeure, t - 2 * kHeure);
    KELI* ouvert = lien(a, b, t - kHeure, KELDateOuverte);
    recharger();
    auto titre = [&](KELI* lego) {
        QMenu* menu = m().updateLegoMenu(nullptr, table(), lego);
        return menu ? ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text() : QString();
    };
    EXPECT_EQ(titre(vieux), "Delete Interval");
    m().deleteLego(vieux, table());
    settle();
    EXPECT_TRUE(oublie(vieux));
    EXPECT_FALSE(oublie(ouvert));
    EXPECT_NE(m().rowForPair(a->idInt(), b->idInt()), nullptr);
    EXPECT_EQ(titre(ouvert), "Remove Link");
    m().deleteLego(ouvert, table());
    settle();
    EXPECT_TRUE(oublie(ouvert));
    EXPECT_EQ(m().rowForPair(a->idInt(), b->idInt()), nullptr) << "the pair went with its last link";
}

TEST_F(LinkTable, SwapBeepsWithNothingLinkedAndOtherwiseSelectsTheLinkedObjects)
{
    KELI* a = objet("a");
    KELI* b = objet("b");
    KELI* seul = objet("alone");
    const KELDate t = now();
    lien(a, b, t - kHeure, KELDateOuverte);
    recharger();
    mode(0);
    sel().selectIconForItemSet({seul}, nullptr);
    const int beeps = sound.beeps;
    m().swapForFrontMode();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(sel().selectedIconItems(), std::vector<KELI*>{seul}) << "the selection stays";
    sel().selectIconForItemSet({b}, nullptr);
    m().swapForFrontMode();
    EXPECT_TRUE(sel().isIconSelectedForItem(a));
    EXPECT_TRUE(sel().isIconSelectedForItem(b));
    EXPECT_EQ(sound.beeps, beeps + 1);
}

TEST_F(LinkTable, ARowMenuWhosePairWasDeletedMeanwhileDoesNothing)
{
    KELI* a = objet("a rather long title for a file");
    KELI* b = objet("b");
    const KELDate t = now();
    lien(a, b, t - kHeure, KELDateOuverte);
    recharger();
    const int ab = rowOf(a, b);
    ASSERT_GE(ab, 0);
    mode(0);
    QMenu* menu = m().updateRowMenu(table().rowMenu(), table(), *table().element(ab));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagHeader)->text(), "\"a rather long title for \u2026\" \u2013 \"b\"");
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagRelease)->text(), "Release Link");
    EXPECT_TRUE(ZEVMenuItemWithTag(menu, ZEVRowTagRelease)->isEnabled());
    EXPECT_FALSE(ZEVMenuItemWithTag(menu, ZEVRowTagRecall)->isEnabled());
    EXPECT_FALSE(ZEVMenuItemWithTag(menu, ZEVRowTagRecallNow)->isVisible()) << "at Now, present";
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagIcon)->text(), "Icon");
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagFilter)->text(), "     Filter \"a rather long title for \u2026\"");
    ASSERT_EQ(m().rightMenuObject(), a);

    m().deleteLinks({m().rightMenuLink()});
    settle();
    EXPECT_EQ(m().rightMenuLink(), nullptr);
    EXPECT_EQ(m().rightMenuObject(), nullptr);
    m().selectIconInTableView(table());
    m().selectNodeInTableView(table());
    m().selectFilterInTableView(table());
    m().releaseSelectionInTableView(table());
    m().recallSelectionInTableView(table());
    EXPECT_TRUE(sel().selectedIconItems().empty());
    EXPECT_TRUE(sel().selectedLinks().empty());
    EXPECT_TRUE(sel().selectedFilterItems().empty());
    const KELIds vivants = KELServeurDeLiens::LiensNumDuParentIntRelInt(a->idInt(), KELRELATION_LINK_VIEWER);
    for (KELId id : vivants.value_or(std::vector<KELId>{}))
        EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal())))
            << "no link came back";
}

} // namespace
} // namespace inspecttest
