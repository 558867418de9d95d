// The rows core and the Files model on a real link base: counts by reason, the engine's notices
// routed by window, the lists against a fresh build after random edits, moves, selections, finds
// and Channel switches, the Channels made later, and the walk of Files changes.

#include "tests/inspectors/InspectorFixture.h"
#include "tests/inspectors/RowListsProperty.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVNewInterval.h"
#include "inspectors/core/ZEVEngineRouter.h"
#include "inspectors/core/ZEVRowList.h"
#include "inspectors/files/ZEVFileClass.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "space/ZEVSelections.h"

#include <cstdio>
#include <map>
#include <random>

namespace inspecttest {
namespace {

// ---------------------------------------------------------------------------------------------
// The row list alone

TEST(InspectRows, CountsByReasonKeepArrivalOrderAndNeverFallBelowZero)
{
    KELI a, b, c;
    ZEVRowList l;
    EXPECT_TRUE(l.ajouter(&a, ZEVRowReason::Lego));
    EXPECT_TRUE(l.ajouter(&b, ZEVRowReason::Retenu));
    EXPECT_FALSE(l.ajouter(&a, ZEVRowReason::Lego)) << "a second lego, the same row";
    EXPECT_TRUE(l.ajouter(&c, ZEVRowReason::Trouve));
    EXPECT_EQ(l.itemsVector(), (std::vector<KELI*>{&a, &b, &c}));
    EXPECT_EQ(l.count(&a), 2);
    // A reason never held is not taken: the Lego reason of b stays at 0, and b stays.
    EXPECT_FALSE(l.enlever(&b, ZEVRowReason::Lego));
    EXPECT_EQ(l.count(&b, ZEVRowReason::Lego), 0);
    EXPECT_EQ(l.count(&b), 1);
    EXPECT_FALSE(l.enlever(&a, ZEVRowReason::Lego)) << "one lego ends, the row stays";
    EXPECT_TRUE(l.enlever(&a, ZEVRowReason::Lego));
    EXPECT_FALSE(l.contient(&a));
    EXPECT_EQ(l.elements().size(), 2u);
    EXPECT_EQ(l.elements()[0].item, &b);
    // Back again, it comes last.
    l.ajouter(&a, ZEVRowReason::Retenu);
    EXPECT_EQ(l.itemsVector(), (std::vector<KELI*>{&b, &c, &a}));
    EXPECT_EQ(l.indexOf(&a), 2);
    EXPECT_TRUE(l.invariant());
}

// ---------------------------------------------------------------------------------------------
// On the link base

class FileRows : public RowLists {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        canalA = space->currentChannelInt();
        KELI* b = space->newIdentityNamed("Second");
        ASSERT_NE(b, nullptr);
        canalB = b->idInt();
        settle();
    }
    KELI* objet(const std::string& titre, KELId canal)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* o = items->creerItemWithChannelInt(canal, titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    KELI* lego(KELI* o, KELId canal, KELDate in, KELDate out)
    {
        return presence(KELRELATION_FILE_VIEWER, o, canal, in, out);
    }
    ZEVFileViewer* ouvrir()
    {
        auto* v = dynamic_cast<ZEVFileViewer*>(creer("ZEVFileViewer", kFiles));
        v->showInspectView(true);
        settle();
        return v;
    }
    // The lego counts of a list, by Object.
    static std::map<KELI*, int> legos(const ZEVRowList* l) { return legoCounts(l); }
    // Every list's lego counts equal those of a model built afresh.
    void commeNeuf(ZEVFileClass& m, const std::string& etape)
    {
        ZEVFileClass neuf(nullptr, *space);
        neuf.initialiser();
        expectListsAsFresh(m, neuf, {canalA, canalB}, etape);
    }

    KELId canalA = 0, canalB = 0;
    // The Objects' maker (the fixture's Space has no desks).
    std::unique_ptr<ZEVItemClass> items;
};

TEST_F(FileRows, ListsFollowTheEngineAndEqualAFreshBuildAfterRandomSteps)
{
    std::vector<KELI*> objets;
    for (int i = 0; i < 6; ++i)
        objets.push_back(objet("doc" + std::to_string(i) + (i % 2 ? "-odd" : "-even"), i < 3 ? canalA : canalB));
    ZEVFileViewer* v = ouvrir();
    ZEVFileClass& m = v->fileClass();
    // A failing run is replayed with its seed in TALLOMER_SEED.
    Dice hasard("FileRows");
    SCOPED_TRACE("seed " + std::to_string(hasard.seed));
    std::vector<KELI*> legosFaits;
    for (int pas = 0; pas < 50; ++pas) {
        std::string etape = "step " + std::to_string(pas) + ": ";
        switch (hasard(6)) {
        case 0: {
            KELI* o = objets[std::size_t(hasard(6))];
            const KELDate in = now() + (hasard(21) - 10) * kHeure;
            const KELDate out = hasard(3) ? in + (1 + hasard(20)) * kHeure : KELDateOuverte;
            legosFaits.push_back(lego(o, hasard(2) ? canalA : canalB, in, out));
            etape += "lego";
            break;
        }
        case 1:
            if (!legosFaits.empty()) {
                const std::size_t i = std::size_t(hasard(int(legosFaits.size())));
                KELServeurDeLiens::DegagerLien(legosFaits[i], space->nowCurseur());
                legosFaits.erase(legosFaits.begin() + long(i));
            }
            etape += "forget";
            break;
        case 2:
            moveSearch((hasard(21) - 10) * kHeure);
            etape += "move";
            break;
        case 3: {
            std::vector<KELI*> choisis;
            for (KELI* o : objets)
                if (hasard(3) == 0)
                    choisis.push_back(o);
            space->selections().selectIconForItemSet(choisis, nullptr);
            v->itemSelectionDidChange();
            etape += "select";
            break;
        }
        case 4:
            m.selectItemsWithString(*m.inspectTableView(), hasard(2) ? "ODD" : "doc", hasard(4));
            etape += "find";
            break;
        default:
            space->updateChannelWithIdentityInt(hasard(2) ? canalA : canalB);
            etape += "channel";
            break;
        }
        settle();
        commeNeuf(m, etape);
        if (HasFatalFailure())
            return;
        // Every row of the table has a reason: a lego, a retained selection or a find.
        for (KELI* o : m.actifListe().items())
            ASSERT_TRUE(m.actifListe().count(o, ZEVRowReason::Lego) > 0 || m.selectedItemSet().count(o) ||
                        m.foundedItemSet().count(o))
                << etape;
    }
}

TEST_F(FileRows, TwoLegosCountTwiceAChannelMadeLaterIsFilledAndFoundCountsGoBackWhereTheyWent)
{
    KELI* x = objet("report", canalA);
    KELI* y = objet("notes", canalB);
    // Two legos apart from each other, both in the Now window (an hour either side).
    lego(x, canalA, now() - 0.8 * kHeure, now() - 0.6 * kHeure);
    KELI* second = lego(x, canalA, now() - 0.5 * kHeure, KELDateOuverte);
    lego(y, canalB, now() - kHeure, KELDateOuverte);
    ZEVFileViewer* v = ouvrir();
    ZEVFileClass& m = v->fileClass();
    ASSERT_EQ(m.actifItems(), std::vector<KELI*>{x});
    EXPECT_EQ(m.actifListe().count(x), 2) << "two legos in the window, one row";
    KELServeurDeLiens::DegagerLien(second, space->nowCurseur());
    settle();
    EXPECT_EQ(m.actifListe().count(x), 1);
    EXPECT_EQ(m.actifItems(), std::vector<KELI*>{x});

    // Found in A, then a switch to B: the found count goes back in A's lists, B's stay as built.
    m.selectItemsWithString(*m.inspectTableView(), "REP", 0);
    EXPECT_EQ(m.foundedItemSet().count(x), 1u);
    EXPECT_EQ(m.liste(canalA, ZEVRowScope::Now)->count(x, ZEVRowReason::Trouve), 1);
    space->selections().deselectAllIcons();
    v->itemSelectionDidChange();
    space->updateChannelWithIdentityInt(canalB);
    settle();
    EXPECT_TRUE(m.foundedItemSet().empty()) << "a Channel change drops the found set";
    EXPECT_EQ(m.liste(canalA, ZEVRowScope::Now)->count(x, ZEVRowReason::Trouve), 0);
    EXPECT_EQ(m.liste(canalA, ZEVRowScope::Now)->count(x), 1) << "its lego still lists it";
    EXPECT_EQ(m.actifItems(), std::vector<KELI*>{y});

    // A Channel made now, with a presence already: its lists have it when it is shown.
    KELI* c = space->newIdentityNamed("Third");
    ASSERT_NE(c, nullptr);
    KELI* z = objet("late", c->idInt());
    lego(z, c->idInt(), now() - kHeure, KELDateOuverte);
    space->updateChannelWithIdentityInt(c->idInt());
    settle();
    EXPECT_EQ(m.actifItems(), std::vector<KELI*>{z});
    EXPECT_EQ(m.liste(c->idInt(), ZEVRowScope::Now)->count(z, ZEVRowReason::Lego), 1);
    ZEVFileClass neuf(nullptr, *space);
    neuf.initialiser();
    ASSERT_NE(m.liste(c->idInt(), ZEVRowScope::Search), nullptr);
    EXPECT_EQ(m.liste(c->idInt(), ZEVRowScope::Search)->count(z, ZEVRowReason::Lego), 1) << "the Search window has it too";
    EXPECT_EQ(legos(m.liste(c->idInt(), ZEVRowScope::Search)), legos(neuf.liste(c->idInt(), ZEVRowScope::Search)));
}

TEST_F(FileRows, AnEndedLegoWhoseObjectIsNotInMemoryIsLoggedAndSkipped)
{
    ZEVFileViewer* v = ouvrir();
    ZEVFileClass& m = v->fileClass();
    // A notice of a link whose child no one woke: logged, no row, no count below zero.
    KELI lien;
    lien.assignerIdInt(987654);
    lien.assignerRelationInt(KELRELATION_FILE_VIEWER);
    lien.assignerParentInt(canalA);
    lien.assignerEnfantInt(987653);
    log.clear();
    space->nowCurseur()->contexte()->informerDesactivation(KELRELATION_FILE_VIEWER, &lien);
    EXPECT_TRUE(log.contains("not in memory")) << "logged";
    EXPECT_TRUE(m.actifItems().empty());
}

TEST_F(FileRows, TheWalkStopsAtTheChangesOfTheKindsAskedAndOfTheTargets)
{
    KELI* x = objet("walked", canalA);
    KELI* y = objet("other", canalA);
    KELI* w = objet("elsewhere", canalB);
    const KELDate t = now();
    // All in the Now window (an hour either side of now).
    lego(x, canalA, t - 0.9 * kHeure, t - 0.8 * kHeure);
    lego(y, canalA, t - 0.7 * kHeure, KELDateOuverte);
    lego(w, canalB, t - 0.5 * kHeure, KELDateOuverte);
    ZEVFileViewer* v = ouvrir();
    ZEVFileClass& m = v->fileClass();
    settle();
    // Defaults: recalls and releases, not titles; written when missing.
    EXPECT_TRUE(m.siRecallChanges());
    EXPECT_TRUE(m.siReleaseChanges());
    EXPECT_FALSE(m.siTitleChanges());
    EXPECT_EQ(defaults.values("ZEVGotoTitleFileChanges"), QVariant(false));

    // No target: the newest change of Channel A before now is y's recall (w's is B's).
    EXPECT_DOUBLE_EQ(m.previousDate(), t - 0.7 * kHeure - 0.7);
    // Releases off: still y's recall; recalls off too: nothing.
    defaults.setValue("ZEVGotoReleaseFileChanges", false);
    EXPECT_DOUBLE_EQ(m.previousDate(), t - 0.7 * kHeure - 0.7);
    defaults.setValue("ZEVGotoRecallFileChanges", false);
    EXPECT_EQ(m.previousDate(), 0.0);
    EXPECT_EQ(m.nextDate(), 0.0);
    defaults.setValue("ZEVGotoRecallFileChanges", true);
    defaults.setValue("ZEVGotoReleaseFileChanges", true);

    // x selected: y's recall is skipped; x's release is the change.
    space->selections().selectIconForItemSet(std::vector<KELI*>{x}, nullptr);
    v->itemSelectionDidChange();
    ASSERT_EQ(m.selectedItemSet().count(x), 1u);
    EXPECT_DOUBLE_EQ(m.previousDate(), t - 0.8 * kHeure - 0.7);

    // A title change of x counts while the Channel lists x at its date, not after.
    defaults.setValue("ZEVGotoTitleFileChanges", true);
    defaults.setValue("ZEVGotoRecallFileChanges", false);
    defaults.setValue("ZEVGotoReleaseFileChanges", false);
    auto* mots = dynamic_cast<KELIModelMot*>(KELServeurDeLiens::LienForInt(3, space->nowCurseur()));
    ASSERT_NE(mots, nullptr);
    KELI* titre1 = mots->ajouterLeMot("walked again", space->nowCurseur());
    KELI* titre2 = mots->ajouterLeMot("walked later", space->nowCurseur());
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM_TITLE, x, titre1, t - 0.85 * kHeure, t - 0.75 * kHeure, space->nowCurseur());
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM_TITLE, x, titre2, t - 0.75 * kHeure, KELDateOuverte, space->nowCurseur());
    settle();
    EXPECT_DOUBLE_EQ(m.previousDate(), t - 0.85 * kHeure - 0.7) << "the later title change is not held by A";
    // Forward from far back: the held one, 0.05 s after it.
    moveSearch(-5 * kHeure);
    EXPECT_DOUBLE_EQ(m.nextDate(), t - 0.85 * kHeure + 0.05);
}

// ---------------------------------------------------------------------------------------------
// The table

class FileTable : public FileRows {};

TEST_F(FileTable, CellsStatusPrefixesAndTheSelectionBothWays)
{
    KELI* x = objet("alpha", canalA);
    KELI* y = objet("beta", canalA);
    KELI* w = objet("gamma", canalB);
    lego(x, canalA, now() - kHeure, KELDateOuverte);
    lego(y, canalA, now() - kHeure, KELDateOuverte);
    lego(w, canalB, now() - kHeure, KELDateOuverte);
    ZEVFileViewer* v = ouvrir();
    ZEVFileClass& m = v->fileClass();
    ZEVTableView& t = *m.inspectTableView();
    ASSERT_EQ(t.numberOfRows(), 2);
    auto texte = [&](int row, int role = Qt::DisplayRole) { return t.tableModel()->data(t.tableModel()->index(row, 5), role); };

    // The first status bit in order wins; the colour is the status's.
    addItemOption(x, ZEVOPTION_ERROR | ZEVOPTION_DOWNLOADING);
    const int rx = m.actifListe().indexOf(x);
    EXPECT_EQ(texte(rx).toString(), QStringLiteral("Downloading\u2026 \u2013 alpha"));
    EXPECT_EQ(texte(rx, Qt::ForegroundRole).value<QColor>(), space->host().sharedResources().movingColor());
    clearItemOption(x, ZEVOPTION_DOWNLOADING);
    EXPECT_EQ(texte(rx).toString(), QStringLiteral("Error ! \u2013 alpha"));
    clearItemOption(x, ZEVOPTION_ERROR);
    EXPECT_EQ(texte(rx).toString(), QStringLiteral("alpha"));
    EXPECT_TRUE(texte(rx, Qt::FontRole).value<QFont>().bold()) << "present at the cursor";

    // An Object of another Channel selected on the desk shows as a row, oblique, while selected.
    space->selections().selectIconForItemSet(std::vector<KELI*>{w}, nullptr);
    v->itemSelectionDidChange();
    ASSERT_EQ(t.numberOfRows(), 3);
    const int rw = m.actifListe().indexOf(w);
    EXPECT_EQ(texte(rw).toString(), QStringLiteral("gamma"));
    EXPECT_TRUE(texte(rw, Qt::FontRole).value<QFont>().italic());
    EXPECT_EQ(t.selectionModel()->selectedRows().size(), 1) << "its row is the selected one";
    EXPECT_EQ(v->nbOfSelectedRows(), 1u);
    space->selections().deselectAllIcons();
    v->itemSelectionDidChange();
    EXPECT_EQ(t.numberOfRows(), 2);

    // While the table has no focus a proposal passes and nothing goes to the desk.
    m.ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    EXPECT_EQ(m.selectionIndexesForProposedSelection(t, {0}, {}, Qt::NoModifier), std::vector<int>{0});
    EXPECT_TRUE(space->selections().selectedIconItems().empty());
    // Focused: a click replaces the desk's selection; Ctrl takes the unproposed rows away.
    m.ZEVInspectClass::setSiAccepteMajSelectedRows(false);
    m.selectionIndexesForProposedSelection(t, {0, 1}, {}, Qt::NoModifier);
    EXPECT_EQ(space->selections().selectedIconItems().size(), 2u);
    const int ry = m.actifListe().indexOf(y);
    m.selectionIndexesForProposedSelection(t, {rx}, {rx, ry}, Qt::ControlModifier);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{x});
    m.ZEVInspectClass::setSiAccepteMajSelectedRows(true);

    // Type-select over two searches: 2 adds, 1 intersects, 3 removes.
    m.selectItemsWithString(t, "ALPHA", 0);
    m.selectItemsWithString(t, "beta", 2);
    EXPECT_EQ(m.foundedItemSet(), (std::unordered_set<KELI*>{x, y}));
    m.selectItemsWithString(t, "a", 1);
    EXPECT_EQ(m.foundedItemSet(), (std::unordered_set<KELI*>{x, y})) << "both hold an a";
    m.selectItemsWithString(t, "ph", 1);
    EXPECT_EQ(m.foundedItemSet(), std::unordered_set<KELI*>{x});
    m.selectItemsWithString(t, "beta", 2);
    m.selectItemsWithString(t, "alp", 3);
    EXPECT_EQ(m.foundedItemSet(), std::unordered_set<KELI*>{y});
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{y}) << "the desk follows in Icon mode";

    // The row menu's select commands toggle the right-clicked row's Object in one mode.
    m.updateRowMenu(nullptr, t, ZEVTableElement{x, nullptr});
    m.selectTitleInTableView(t);
    EXPECT_TRUE(space->selections().isTitleSelectedForItem(x));
    m.selectTitleInTableView(t);
    EXPECT_FALSE(space->selections().isTitleSelectedForItem(x));
    m.selectIconInTableView(t);
    EXPECT_EQ(space->selections().selectedIconItems(), (std::vector<KELI*>{y, x})) << "added to the others";
}

} // namespace
} // namespace inspecttest

namespace inspecttest {
namespace {

TEST(NewInterval, TheDraggedIntervalThenTheGoToEndThenTheCallersEnd)
{
    KELI lego;
    lego.assignerInDate(100);
    lego.assignerOutDate(200);
    // Dropped on the dragged interval, or before its end: the interval is copied.
    EXPECT_EQ(ZEVNewIntervalForDate(150, &lego, true, 170, 190).in, 100);
    EXPECT_EQ(ZEVNewIntervalForDate(200, &lego, true, 170, 190).out, 200);
    // After its end: from the date on, open.
    const ZEVInterval apres = ZEVNewIntervalForDate(250, &lego, true, 270, 290);
    EXPECT_EQ(apres.in, 250);
    EXPECT_EQ(apres.out, KELDateOuverte);
    // No drag: the go-to end in go-to mode, else the caller's.
    EXPECT_EQ(ZEVNewIntervalForDate(250, nullptr, true, 270, 290).out, 270);
    EXPECT_EQ(ZEVNewIntervalForDate(250, nullptr, false, 270, 290).out, 290);
}

TEST_F(FileRows, AnImportedObjectsPresenceIsOpenOrEndsAtTheGoToEnd)
{
    KELI* x = objet("imported", canalA);
    KELI* y = objet("imported in go-to", canalA);
    ZEVFileViewer* v = ouvrir();
    ZEVFileClass& m = v->fileClass();
    const KELDate t = now();
    KELI* l = m.creerLienFileViewerForItem(x, t);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->parentInt(), canalA);
    EXPECT_EQ(l->inDate(), t);
    EXPECT_EQ(l->outDate(), KELDateOuverte);
    space->setSiGoToMode(true);
    KELI* g = m.creerLienFileViewerForItem(y, t);
    space->setSiGoToMode(false);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->outDate(), space->outTimeForGoToTime(t));
    // A tag of 3 or more and no go-to date of its own: the date given, to the go-to end.
    space->setGoToTag(3);
    KELI* h = m.creerLienFileViewerForItem(objet("tagged", canalA), t + 10);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->inDate(), t + 10);
    EXPECT_EQ(h->outDate(), space->outTimeForGoToTime(t + 10));
    settle();
    EXPECT_EQ(m.liste(canalA, ZEVRowScope::Now)->count(x, ZEVRowReason::Lego), 1) << "the engine told the rows";
}

} // namespace
} // namespace inspecttest

namespace inspecttest {
namespace {

TEST_F(FileRows, TheTimelineListsHoldTheSpansPresencesOfEveryChannelOrOfEach)
{
    KELI* x = objet("span one", canalA);
    KELI* y = objet("span two", canalB);
    lego(x, canalA, now() - 0.5 * kHeure, KELDateOuverte);
    lego(y, canalB, now() - 0.5 * kHeure, KELDateOuverte);
    settle();
    ZEVFileClass une(nullptr, *space);
    une.enclencherTimeline(false);
    ZEVFileClass chacune(nullptr, *space);
    chacune.enclencherTimeline(true);
    ASSERT_NE(une.liste(canalA, ZEVRowScope::Timeline), nullptr);
    EXPECT_EQ(une.liste(canalA, ZEVRowScope::Timeline), une.liste(canalB, ZEVRowScope::Timeline)) << "one list";
    EXPECT_TRUE(une.liste(0, ZEVRowScope::Timeline)->contient(x));
    EXPECT_TRUE(une.liste(0, ZEVRowScope::Timeline)->contient(y));
    ASSERT_NE(chacune.liste(canalB, ZEVRowScope::Timeline), nullptr);
    EXPECT_EQ(chacune.liste(canalB, ZEVRowScope::Timeline)->itemsVector(), std::vector<KELI*>{y});
    // A presence made in the span comes in through the notices.
    KELI* z = objet("span three", canalB);
    KELI* l = lego(z, canalB, now() - 0.2 * kHeure, KELDateOuverte);
    settle();
    EXPECT_TRUE(chacune.liste(canalB, ZEVRowScope::Timeline)->contient(z));
    KELServeurDeLiens::DegagerLien(l, space->nowCurseur());
    settle();
    EXPECT_FALSE(chacune.liste(canalB, ZEVRowScope::Timeline)->contient(z));
    EXPECT_FALSE(une.liste(0, ZEVRowScope::Timeline)->contient(z));
}

} // namespace
} // namespace inspecttest
