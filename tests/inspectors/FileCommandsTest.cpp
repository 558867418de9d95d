// The Files commands on a real link base: Release, Forget, Recall Now, Recall and Retain and the
// intervals they give; removal of file Objects held and unheld, the one holder test, lego
// deletion; the row and lego menus' texts; the add panel's folder; the finds' operations.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/files/ZEVFileClass.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>

namespace inspecttest {
namespace {

class FileCommands : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        canal = space->currentChannelInt();
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        auto* v = dynamic_cast<ZEVFileViewer*>(creer("ZEVFileViewer", kFiles));
        ASSERT_NE(v, nullptr);
        v->showInspectView(true);
        viewer = v;
        settle();
    }
    ZEVFileClass& m() { return viewer->fileClass(); }
    KELI* objet(const std::string& titre, KELId c = 0)
    {
        KELI* o = items->creerItemWithChannelInt(c ? c : canal, titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    KELI* lien(KELId rel, KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(rel, parent, enfant, in, out, space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    KELI* lego(KELI* o, KELDate in, KELDate out)
    {
        return lien(KELRELATION_FILE_VIEWER, space->channelForIdentityInt(canal), o, in, out);
    }
    KELDate now() const { return space->nowCurseur()->now(); }
    // The Object's live Files legos of the current Channel, by in-date.
    std::vector<std::pair<KELDate, KELDate>> legos(KELI* o)
    {
        std::vector<std::pair<KELDate, KELDate>> out;
        const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(o->idInt(), KELRELATION_FILE_VIEWER);
        for (KELId id : ids.value_or(std::vector<KELId>{}))
            if (KELI* l = KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal());
                !deskmodel::siOublie(l))
                out.emplace_back(l->inDate(), l->outDate());
        std::sort(out.begin(), out.end());
        return out;
    }
    static bool oublie(KELI* l)
    {
        return deskmodel::siOublie(KELServeurDeLiens::LienForInt(l->idInt(), KELServeurDeLiens::CurseurGlobal()));
    }

    KELId canal = 0;
    ZEVFileViewer* viewer = nullptr;
    std::unique_ptr<ZEVItemClass> items;
};

// ---------------------------------------------------------------------------------------------
// Presence

TEST_F(FileCommands, RecallNowCutsEachObjectAtItsOwnLaterLegoAndSkipsThePresent)
{
    KELI* a = objet("a");
    KELI* b = objet("b");
    KELI* c = objet("c");
    const KELDate t0 = now();
    lego(a, t0 + 2 * kHeure, t0 + 5 * kHeure);
    lego(c, t0 - kHeure, KELDateOuverte);
    settle();
    const KELDate t1 = now();
    m().recallNowFilesForItems({a, b, c});
    settle();
    // a ends where its later lego begins; b, computed afresh from the common end, stays open.
    EXPECT_EQ(legos(a),
              (std::vector<std::pair<KELDate, KELDate>>{{t1, t0 + 2 * kHeure}, {t0 + 2 * kHeure, t0 + 5 * kHeure}}));
    EXPECT_EQ(legos(b), (std::vector<std::pair<KELDate, KELDate>>{{t1, KELDateOuverte}}));
    EXPECT_EQ(legos(c).size(), 1u) << "present at Now: nothing made";
}

TEST_F(FileCommands, ADraggedIntervalIsCopiedBeforeItsEndAndOpensAfterIt)
{
    KELI* o = objet("dragged");
    const KELDate t0 = now();
    KELI* d = lego(o, t0 - 10 * kHeure, t0 - 2 * kHeure);
    // The date before the dragged end: the dragged interval itself.
    const ZEVInterval avant = ZEVPresenceCommands::commonInterval(t0 - 5 * kHeure, d, false, 0);
    EXPECT_EQ(avant.in, t0 - 10 * kHeure);
    EXPECT_EQ(avant.out, t0 - 2 * kHeure);
    // After it: from the date to the open end, whatever the go-to end.
    const ZEVInterval apres = ZEVPresenceCommands::commonInterval(t0, d, true, t0 + kHeure);
    EXPECT_EQ(apres.in, t0);
    EXPECT_EQ(apres.out, KELDateOuverte);
    // No drag: the go-to end in go-to mode, else open.
    EXPECT_EQ(ZEVPresenceCommands::commonInterval(t0, nullptr, true, t0 + kHeure).out, t0 + kHeure);
    EXPECT_EQ(ZEVPresenceCommands::commonInterval(t0, nullptr, false, t0 + kHeure).out, KELDateOuverte);
    EXPECT_EQ(ZEVPresenceCommands::endBefore(KELDateOuverte, t0 + kHeure), t0 + kHeure);
    EXPECT_EQ(ZEVPresenceCommands::endBefore(t0, t0 + kHeure), t0);
    EXPECT_EQ(ZEVPresenceCommands::endBefore(t0, 0), t0) << "no later lego";
}

TEST_F(FileCommands, RetainStretchesTheEarlierLegoOrKeepsFromAlways)
{
    KELI* seul = objet("never");
    KELI* avant = objet("before");
    const KELDate t0 = now();
    lego(avant, t0 - 5 * kHeure, t0 - 3 * kHeure);
    settle();
    const KELDate d = now();
    m().retainFilesForItems({seul, avant});
    settle();
    EXPECT_EQ(legos(seul), (std::vector<std::pair<KELDate, KELDate>>{{KELDateToujours, d}}));
    EXPECT_EQ(legos(avant), (std::vector<std::pair<KELDate, KELDate>>{{t0 - 5 * kHeure, d}}));
}

TEST_F(FileCommands, ReleaseEndsAndForgetErasesBeforeTheCursorSkippingTheAbsent)
{
    KELI* r = objet("released");
    KELI* f = objet("forgotten");
    KELI* absent = objet("absent");
    const KELDate t0 = now();
    lego(r, t0 - kHeure, KELDateOuverte);
    lego(f, t0 - kHeure, KELDateOuverte);
    lego(absent, t0 + kHeure, t0 + 2 * kHeure);
    settle();
    const KELDate t1 = now();
    m().releaseFilesForItems({r, absent});
    m().forgetFilesForItems({f, absent});
    settle();
    EXPECT_EQ(legos(r), (std::vector<std::pair<KELDate, KELDate>>{{t0 - kHeure, t1}}));
    EXPECT_EQ(legos(f), (std::vector<std::pair<KELDate, KELDate>>{{t1, KELDateOuverte}}));
    EXPECT_EQ(legos(absent), (std::vector<std::pair<KELDate, KELDate>>{{t0 + kHeure, t0 + 2 * kHeure}}));
}

TEST_F(FileCommands, RecallSkipsAnObjectWithoutAnEquivalentAndSelectsTheOthers)
{
    KELI* autre = space->newIdentityNamed("Other");
    ASSERT_NE(autre, nullptr);
    // An Object of another Channel with no file: nothing can stand for it here.
    KELI* etranger = objet("foreign", autre->idInt());
    KELI* ici = objet("here");
    settle();
    m().recallFilesForItems({etranger, ici});
    settle();
    EXPECT_TRUE(log.contains("Object " + std::to_string(etranger->idInt()) + " has no equivalent"));
    EXPECT_EQ(legos(ici).size(), 1u);
    EXPECT_TRUE(legos(etranger).empty());
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{ici});
}

// ---------------------------------------------------------------------------------------------
// Removal

class InspectDelete : public FileCommands {};

TEST_F(InspectDelete, AnUnheldObjectLosesPresencesWordsAndLinksBothWaysAndItsDataOnce)
{
    KELI* autre = space->newIdentityNamed("Other");
    KELI* o = objet("gone");
    KELI* voisin = objet("neighbour");
    const KELDate t0 = now();
    KELI* l1 = lego(o, t0 - kHeure, KELDateOuverte);
    KELI* l2 = lien(KELRELATION_FILE_VIEWER, autre, o, t0 - kHeure, KELDateOuverte);
    KELI* versVoisin = lien(KELRELATION_LINK_VIEWER, o, voisin, t0 - kHeure, KELDateOuverte);
    KELI* duVoisin = lien(KELRELATION_LINK_VIEWER, voisin, o, t0 - kHeure, KELDateOuverte);
    KELI* legoVoisin = lego(voisin, t0 - kHeure, KELDateOuverte);
    const KELIds titres = KELServeurDeLiens::LiensNumDuParentIntRelInt(o->idInt(), KELRELATION_ITEM_TITLE);
    ASSERT_TRUE(titres.has_value());
    settle();
    m().deleteFiles({o});
    settle();
    for (KELI* l : {l1, l2, versVoisin, duVoisin})
        EXPECT_TRUE(oublie(l)) << l->idInt();
    for (KELId id : *titres)
        EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal())));
    EXPECT_TRUE(oublie(o)) << "the Object's own link";
    EXPECT_FALSE(oublie(legoVoisin));
    EXPECT_FALSE(oublie(voisin));
    EXPECT_EQ(host.deletedData, std::vector<KELI*>{o}) << "one removal of its data and files";
    EXPECT_FALSE(m().actifListe().contient(o));
}

TEST_F(InspectDelete, AnObjectHeldElsewhereKeepsEverythingButItsFilesPresences)
{
    const KELDate t0 = now();
    KELI* canalI = space->channelForIdentityInt(canal);
    // On a desk; a Channel's background (the fault: its file would have gone to the Trash).
    KELI* surLeBureau = objet("on a desk");
    KELI* fond = objet("background");
    KELI* l1 = lego(surLeBureau, t0 - kHeure, KELDateOuverte);
    KELI* l2 = lego(fond, t0 - kHeure, KELDateOuverte);
    KELI* icone = lien(KELRELATION_ICON_VIEWER, canalI, surLeBureau, t0 - kHeure, KELDateOuverte);
    lien(KELRELATION_IDENTITY_BACK_ITEM, canalI, fond, t0 - kHeure, KELDateOuverte);
    settle();
    m().deleteFiles({surLeBureau, fond});
    settle();
    EXPECT_TRUE(oublie(l1));
    EXPECT_TRUE(oublie(l2));
    EXPECT_FALSE(oublie(icone));
    EXPECT_FALSE(oublie(surLeBureau));
    EXPECT_FALSE(oublie(fond));
    EXPECT_TRUE(host.deletedData.empty());
    EXPECT_TRUE(KELServeurDeLiens::LiensNumDuParentIntRelInt(fond->idInt(), KELRELATION_ITEM_TITLE).has_value());
}

TEST_F(InspectDelete, OneHolderTestForEveryRelationButTheOneRemoved)
{
    KELI* canalI = space->channelForIdentityInt(canal);
    const KELDate t0 = now();
    for (KELId rel : ZEVHoldingRelations()) {
        KELI* o = objet("held " + std::to_string(rel));
        EXPECT_FALSE(ZEVSiItemHeld(o->idInt(), 0));
        KELI* l = lien(rel, canalI, o, t0, KELDateOuverte);
        EXPECT_TRUE(ZEVSiItemHeld(o->idInt(), 0)) << rel;
        EXPECT_FALSE(ZEVSiItemHeld(o->idInt(), rel)) << "the relation being removed does not hold " << rel;
        KELServeurDeLiens::DegagerLien(l, space->nowCurseur());
        EXPECT_FALSE(ZEVSiItemHeld(o->idInt(), 0)) << "a forgotten link holds nothing " << rel;
    }
    // A link relation is no holder.
    KELI* o = objet("linked");
    lien(KELRELATION_LINK_VIEWER, canalI, o, t0, KELDateOuverte);
    EXPECT_FALSE(ZEVSiItemHeld(o->idInt(), 0));
}

TEST_F(InspectDelete, DeletingALegoTakesTheObjectOnlyWithItsLastLego)
{
    KELI* deux = objet("two");
    KELI* un = objet("one");
    const KELDate t0 = now();
    KELI* a = lego(deux, t0 - 3 * kHeure, t0 - 2 * kHeure);
    KELI* b = lego(deux, t0 - kHeure, KELDateOuverte);
    KELI* seul = lego(un, t0 - kHeure, KELDateOuverte);
    settle();
    ZEVTableView& table = *m().inspectTableView();
    // The lego menus as they read for each.
    QMenu* menu = m().updateLegoMenu(nullptr, table, a);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text(), "Delete Interval");
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDuration)->text(),
              ZEVSpaceController::durationStringForDuration(kHeure));
    menu = m().updateLegoMenu(nullptr, table, seul);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text(), "Remove File Object");
    // Chosen: it acts on the lego it was opened on.
    m().updateLegoMenu(nullptr, table, a);
    ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->trigger();
    settle();
    EXPECT_TRUE(oublie(a));
    EXPECT_FALSE(oublie(b));
    EXPECT_FALSE(oublie(deux));
    m().deleteLego(seul, table);
    settle();
    EXPECT_TRUE(oublie(seul));
    EXPECT_TRUE(oublie(un));
    EXPECT_EQ(host.deletedData, std::vector<KELI*>{un});
}

TEST_F(InspectDelete, TheRowMenuOfAnObjectRemovedMeanwhileDoesNothing)
{
    KELI* o = objet("short-lived");
    lego(o, now() - kHeure, KELDateOuverte);
    settle();
    ZEVTableView& table = *m().inspectTableView();
    const int row = m().actifListe().indexOf(o);
    ASSERT_GE(row, 0);
    ASSERT_NE(m().updateRowMenu(nullptr, table, *table.element(row)), nullptr);
    EXPECT_EQ(m().rightItem(), o);
    m().deleteFiles({o});
    settle();
    EXPECT_EQ(m().rightItem(), nullptr);
    const std::size_t avant = KELServeurDeLiens::LienCount();
    for (auto action : {&ZEVFileClass::releaseSelectionInTableView, &ZEVFileClass::recallSelectionInTableView,
                        &ZEVFileClass::recallNowSelectionInTableView, &ZEVFileClass::retainSelectionInTableView,
                        &ZEVFileClass::forgetSelectionInTableView, &ZEVFileClass::openSelectionInTableView})
        (m().*action)(table);
    settle();
    EXPECT_EQ(KELServeurDeLiens::LienCount(), avant) << "nothing made for a removed Object";
    EXPECT_TRUE(legos(o).empty());
}

// ---------------------------------------------------------------------------------------------
// Menus, folder, finds

TEST_F(FileCommands, TheRowMenuReadsByPresenceModeAndNow)
{
    ZEVInspectMenus menus(ZEVFileClass::nouns());
    auto find = [](const std::vector<ZEVRowMenuItem>& items, long tag) {
        return *std::find_if(items.begin(), items.end(), [tag](const ZEVRowMenuItem& i) { return i.tag == tag; });
    };
    ZEVRowMenuState s;
    s.title = QStringLiteral("A title of thirty characters!!");
    s.gotoSuffix = QStringLiteral(" (1 h)");
    s.frontMode = 1;
    std::vector<ZEVRowMenuItem> items = menus.rowItems(s);
    EXPECT_EQ(find(items, ZEVRowTagHeader).title, "\"A title of thirty charac\u2026\"");
    EXPECT_EQ(find(items, ZEVRowTagRecall).title, "Recall File (1 h)");
    EXPECT_TRUE(find(items, ZEVRowTagRecall).enabled);
    EXPECT_EQ(find(items, ZEVRowTagRelease).title, "Release");
    EXPECT_FALSE(find(items, ZEVRowTagRelease).enabled);
    EXPECT_EQ(find(items, ZEVRowTagRecallNow).title, "Recall File Now (1 h)");
    EXPECT_TRUE(find(items, ZEVRowTagRecallNow).visible);
    EXPECT_EQ(find(items, ZEVRowTagTitle).title, "Title");
    EXPECT_TRUE(find(items, ZEVRowTagTitle).modeImage);
    EXPECT_EQ(find(items, ZEVRowTagIcon).title, "     Icon");
    EXPECT_FALSE(find(items, ZEVRowTagDuplicateToSpace).enabled) << "this panel does not duplicate";
    s.present = true;
    s.nowActif = true;
    s.frontMode = 4;
    items = menus.rowItems(s);
    EXPECT_EQ(find(items, ZEVRowTagRelease).title, "Release File");
    EXPECT_EQ(find(items, ZEVRowTagForget).title, "Forget File");
    EXPECT_EQ(find(items, ZEVRowTagRetain).title, "Retain");
    EXPECT_FALSE(find(items, ZEVRowTagRetain).enabled);
    EXPECT_FALSE(find(items, ZEVRowTagRecallNow).visible) << "Now active hides Recall Now";
    EXPECT_TRUE(find(items, ZEVRowTagIcon).title.isNull()) << "outside the four modes the titles stay";
    EXPECT_EQ(ZEVInspectMenus::headerTitle(QString(24, 'x')), "\"" + QString(24, 'x') + "\"");
    EXPECT_EQ(menus.nouns().forCount(0), "File");
    EXPECT_EQ(menus.nouns().forCount(1), "File");
    EXPECT_EQ(menus.nouns().forCount(12), "Files");
}

TEST_F(FileCommands, TheRowMenuOfARowActsOnItsObject)
{
    KELI* o = objet("row menu");
    const KELDate t0 = now();
    lego(o, t0 - kHeure, KELDateOuverte);
    settle();
    ZEVTableView& table = *m().inspectTableView();
    QMenu* menu = m().updateRowMenu(nullptr, table, *table.element(m().actifListe().indexOf(o)));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagHeader)->text(), "\"row menu\"");
    QAction* release = ZEVMenuItemWithTag(menu, ZEVRowTagRelease);
    EXPECT_EQ(release->text(), "Release File");
    ASSERT_TRUE(release->isEnabled());
    const KELDate t1 = now();
    release->trigger();
    settle();
    EXPECT_EQ(legos(o), (std::vector<std::pair<KELDate, KELDate>>{{t0 - kHeure, t1}}));
}

TEST_F(FileCommands, TheAddPanelFolderAsksTheFileSystem)
{
    const QString dir = store + "/project";
    ASSERT_TRUE(QDir().mkpath(dir + "/sub.d"));
    QFile f(dir + "/Makefile");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(ZEVFileClass::folderForPath(dir + "/Makefile"), dir) << "a file without extension: its parent";
    EXPECT_EQ(ZEVFileClass::folderForPath(dir + "/sub.d"), dir + "/sub.d") << "a folder with one: itself";
    EXPECT_EQ(ZEVFileClass::folderForPath(dir + "/missing.txt"), QString());
    // Two Objects selected: no single file to start from.
    KELI* a = objet("a");
    KELI* b = objet("b");
    lego(a, now() - kHeure, KELDateOuverte);
    lego(b, now() - kHeure, KELDateOuverte);
    settle();
    space->selections().selectIconForItemSet({a, b}, nullptr);
    const QString folder = m().openPanelFolderUrlWithItem(nullptr);
    const QString documents = QDir::homePath() + "/Documents";
    EXPECT_TRUE(folder == documents || folder == QDir::homePath()) << folder.toStdString();
}

TEST(FileFinds, TheModifiersGiveTheOperation)
{
    using R = ZEVRowsClass;
    struct Cas {
        Qt::KeyboardModifiers mods;
        int operation;
    };
    const Cas cas[] = {
        {Qt::NoModifier, R::Remplacer},
        {Qt::ShiftModifier | Qt::AltModifier, R::Remplacer},
        {Qt::ControlModifier, R::Ajouter},
        {Qt::ControlModifier | Qt::AltModifier, R::Intersecter},
        {Qt::ControlModifier | Qt::ShiftModifier, R::Retirer},
        {Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, R::Retirer},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(R::operationForModifiers(c.mods), c.operation) << int(c.mods);
}

class FileFindsWithHistory : public FileCommands {
protected:
    void SetUp() override
    {
        host.withHistory = true;
        FileCommands::SetUp();
    }
};

TEST_F(FileFindsWithHistory, AFindByHolderTakesItsOperationFromTheModifiersThenMarksTheHistory)
{
    KELI* o = objet("mine");
    lego(o, now() - kHeure, KELDateOuverte);
    settle();
    ASSERT_NE(host.history, nullptr);
    const int avant = host.history->marques;
    m().findHeldWithModifiers(ZEVFileClass::HeldBySystem, Qt::NoModifier);
    settle();
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{o}) << "a file held by the system";
    EXPECT_EQ(host.history->marques, avant + 1) << "one step of the history";
    m().findHeldWithModifiers(ZEVFileClass::HeldBySystem, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_TRUE(space->selections().selectedIconItems().empty()) << "Ctrl+Shift removes it";
}

} // namespace
} // namespace inspecttest
