// The Icons inspector's model and controller on a real link base: the walks over the five kinds of
// icon change, the mode's Objects in Link mode, removing Objects from the desks (kept while a panel
// or a Channel's background holds them), the last lego's removal, and the finds' tests by kind.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"

#include <QLabel>
#include <QAction>
#include <QDragEnterEvent>
#include <QMenu>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace inspecttest {
namespace {

class IconModel : public Inspectors {
protected:
    KELI* canal() { return space->channelForIdentityInt(space->currentChannelInt()); }
    KELI* objet(const std::string& titre, KELId channel = 0)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* o = items->creerItemWithChannelInt(channel ? channel : space->currentChannelInt(), titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    KELI* lien(KELId relation, KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(relation, parent, enfant, in, out, space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    ZEVIconViewer* icons() { return dynamic_cast<ZEVIconViewer*>(viewer("ZEVIconViewer")); }
    ZEVIconClass& model() { return icons()->model(); }
    bool oublie(KELI* o) { return deskmodel::siOublie(KELServeurDeLiens::LienForInt(o->idInt(), space->nowCurseur())); }
    int vivants(KELId item, KELId relation) { return ZEVLiveLinkCount(item, relation); }
    std::unique_ptr<ZEVItemClass> items;
};

using IconViewer = IconModel;
using IconTable = IconModel;

TEST_F(IconModel, TheWalksStopAtTheirKindsOfChangeOnlyAndAtExactlyTheirOffsets)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* ailleurs = space->newIdentityNamed("elsewhere");
    ASSERT_NE(ailleurs, nullptr);
    KELI* a = objet("a");
    KELI* b = objet("b", ailleurs->idInt());
    KELI* valeur = objet("value");
    lien(KELRELATION_ICON_VIEWER, canal(), a, t - 10 * kHeure, t - 8 * kHeure);
    lien(KELRELATION_ICON_RATIO_S, a, valeur, t - 9.5 * kHeure, KELDateOuverte);
    lien(KELRELATION_ICON_ANGLE, a, valeur, t - 9 * kHeure, KELDateOuverte);
    lien(KELRELATION_ICON_VIEWER, ailleurs, b, t - 6 * kHeure, KELDateOuverte);
    lien(KELRELATION_ICON_RATIO_X, b, valeur, t - 5 * kHeure, KELDateOuverte);
    settle();
    ZEVIconClass& m = model();
    m.actifCurseurDidChangeForCurseur(space->nowCurseur());

    // Appearances and disappearances of any Channel, whatever the switches.
    EXPECT_DOUBLE_EQ(m.previousDate(), t - 6 * kHeure - 0.7);
    EXPECT_DOUBLE_EQ(m.previousDateForAllChanges(), t - 6 * kHeure - 0.7);
    // This Channel's: the other Channel's icon and its move are passed over; the size change of a
    // desk icon counts.
    EXPECT_DOUBLE_EQ(m.previousDateItemSiSame(false), t - 8 * kHeure - 0.7);
    // The other Channel's Object, followed by its id, is found at its move.
    EXPECT_DOUBLE_EQ(m.previousDateForIndexSet({b->idInt()}), t - 5 * kHeure - 0.7);

    // From just before a's end: its size change next, then its appearance; the angle never.
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(false));
    sched.advance(0.05);
    ASSERT_EQ(space->actifCurseur(), space->searchCurseur());
    m.actifCurseurDidChangeForCurseur(space->searchCurseur());
    EXPECT_DOUBLE_EQ(m.nextDateItemSiSame(false), t - 8 * kHeure + 0.05);
    EXPECT_DOUBLE_EQ(m.previousDateItemSiSame(false), t - 9.5 * kHeure - 0.7);
    m.setSiChanges(ZEVIconClass::Sizing, false);
    EXPECT_FALSE(m.siChanges(ZEVIconClass::Sizing)) << "the model follows its default";
    EXPECT_DOUBLE_EQ(m.previousDateItemSiSame(false), t - 10 * kHeure - 0.7) << "sizes switched off";
    m.setSiChanges(ZEVIconClass::Sizing, true);
}

TEST_F(IconModel, KeepingToTheSpaceWithNoBackgroundAtTheCursorWalksToTheBound)
{
    const KELDate t = space->nowCurseur()->now();
    // Every background of the Channel ends before the icon's change: no Space at the cursor.
    for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(canal()->idInt(), KELRELATION_IDENTITY_BACK_ITEM)
                        .value_or(std::vector<KELId>()))
        if (KELI* l = KELServeurDeLiens::LienForInt(id, space->nowCurseur()); l && l->outDate() > t - 20 * kHeure)
            l->placeOutDate(std::max(l->inDate() + 1, t - 20 * kHeure), space->nowCurseur());
    space->setBrowsedSpaceBackImageInt(0);
    KELI* a = objet("a");
    lien(KELRELATION_ICON_VIEWER, canal(), a, t - 3 * kHeure, KELDateOuverte);
    settle();
    model().actifCurseurDidChangeForCurseur(space->nowCurseur());
    EXPECT_NO_FATAL_FAILURE(model().nextDateItemSiSame(true));
    EXPECT_GT(model().previousDateItemSiSame(true), 0.0) << "no image: the walk is not cut";
}

TEST_F(IconModel, LinkModesObjectsAreBothEndsOfTheSelectedLinksOnce)
{
    KELI* a = objet("a");
    KELI* b = objet("b");
    KELI* c = objet("c");
    ZEVItemPair ab(a, b);
    ZEVItemPair bc(b, c);
    space->selections().selectLinkForLinkSet({&ab, &bc});
    host.front->mode = 3;
    const auto items = model().itemsForFrontMode();
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(*items, (std::vector<KELI*>{a, b, c}));
    model().majSelectedIconIndexSet();
    EXPECT_EQ(model().selectedIconIndexSet().size(), 3u);
    space->selections().deselectAllLinks();
}

TEST_F(IconModel, RemovingKeepsAnObjectAPanelOrABackgroundHoldsAndErasesTheOthersBothWays)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* liste = objet("listed");
    KELI* fond = objet("background");
    KELI* seul = objet("alone");
    KELI* voisin = objet("neighbour");
    KELI* valeur = objet("value");
    for (KELI* o : {liste, fond, seul}) {
        lien(KELRELATION_ICON_VIEWER, canal(), o, t - kHeure, KELDateOuverte);
        lien(KELRELATION_ICON_RATIO_X, o, valeur, t - kHeure, KELDateOuverte);
    }
    lien(KELRELATION_FILE_VIEWER, canal(), liste, t - kHeure, KELDateOuverte);
    lien(KELRELATION_IDENTITY_BACK_ITEM, canal(), fond, t + 10 * kHeure, KELDateOuverte);
    // The erased Object is the child of a link: that link goes too.
    KELI* versSeul = lien(KELRELATION_LINK_VIEWER, voisin, seul, t - kHeure, KELDateOuverte);
    settle();

    model().deleteIcons({liste, fond, seul});
    settle();
    for (KELI* o : {liste, fond, seul}) {
        EXPECT_EQ(vivants(o->idInt(), KELRELATION_ICON_VIEWER), 0);
        for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(o->idInt(), KELRELATION_ICON_RATIO_X)
                            .value_or(std::vector<KELId>()))
            EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, space->nowCurseur())))
                << "its geometry went";
    }
    EXPECT_FALSE(oublie(liste)) << "the Files panel holds it";
    EXPECT_EQ(vivants(liste->idInt(), KELRELATION_FILE_VIEWER), 1);
    EXPECT_FALSE(oublie(fond)) << "a Channel's background holds it: its picture must not go";
    EXPECT_TRUE(oublie(seul));
    EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(versSeul->idInt(), space->nowCurseur())));
    EXPECT_FALSE(oublie(voisin));
    EXPECT_TRUE(model().timeLineItems().empty() ||
                std::none_of(model().timeLineItems().begin(), model().timeLineItems().end(),
                             [&](KELI* o) { return o == liste || o == fond || o == seul; }))
        << "their rows went with their icons";
}

TEST_F(IconTable, TheLastLegoRemovesTheObjectAndAnotherOnlyItsInterval)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* deux = objet("two");
    KELI* un = objet("one");
    KELI* ancien = lien(KELRELATION_ICON_VIEWER, canal(), deux, t - 3 * kHeure, t - 2 * kHeure);
    KELI* actuel = lien(KELRELATION_ICON_VIEWER, canal(), deux, t - kHeure, KELDateOuverte);
    KELI* seul = lien(KELRELATION_ICON_VIEWER, canal(), un, t - kHeure, KELDateOuverte);
    settle();
    icons()->showInspectView(true);
    settle();
    ZEVTableView& table = *icons()->inspectView()->inspectTableView();
    QMenu* legoMenu = model().updateLegoMenu(nullptr, table, ancien);
    ASSERT_NE(legoMenu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(legoMenu, ZEVRowTagDeleteLego)->text(), "Delete Interval");
    EXPECT_EQ(ZEVMenuItemWithTag(model().updateLegoMenu(nullptr, table, seul), ZEVRowTagDeleteLego)->text(),
              "Remove Object");
    // The row menu of an Object on the desk shown: its temporal items by its icon there.
    QMenu* rowMenu = model().updateRowMenu(nullptr, table, ZEVTableElement{un});
    ASSERT_NE(rowMenu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(rowMenu, ZEVRowTagHeader)->text(), "\"one\"");
    EXPECT_EQ(ZEVMenuItemWithTag(rowMenu, ZEVRowTagRelease)->text(), "Release Object");
    EXPECT_TRUE(ZEVMenuItemWithTag(rowMenu, ZEVRowTagForget)->isEnabled());
    EXPECT_FALSE(ZEVMenuItemWithTag(rowMenu, ZEVRowTagRecall)->isEnabled());
    EXPECT_FALSE(ZEVMenuItemWithTag(rowMenu, ZEVRowTagRecallNow)->isVisible()) << "Now is the active cursor";

    // Files dragged from another program are refused: the table takes only link handles.
    QMimeData fichiers;
    fichiers.setUrls({QUrl::fromLocalFile(store + "/dropped.txt")});
    QDragEnterEvent entree(QPoint(5, 5), Qt::CopyAction | Qt::LinkAction, &fichiers, Qt::LeftButton, {});
    EXPECT_EQ(model().draggingEntered(&entree, table), Qt::IgnoreAction);

    model().deleteLego(ancien, table);
    EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(ancien->idInt(), space->nowCurseur())));
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(actuel->idInt(), space->nowCurseur())));
    EXPECT_FALSE(oublie(deux));

    model().deleteLego(seul, table);
    EXPECT_TRUE(oublie(un)) << "its only lego took the Object";
}

TEST_F(IconViewer, TheFindsByKindTellMailsFromFilesByTheExactExtension)
{
    using K = ZEVIconViewer::Kind;
    const struct {
        const char* type;
        const char* path;
        bool files, persons, emails, bookmarks;
    } cas[] = {
        {"file", "/h/a.txt", true, false, false, false},   {"file", "/h/a.eml", false, false, true, false},
        {"file", "/h/A.EML", true, false, false, false},   {"message", "/h/a.txt", false, false, true, false},
        {"message", "", false, false, true, false},        {"ABPerson", "", false, true, false, false},
        {"http", "/h/page.eml", false, false, false, true}, {"folder", "/h/x.eml", false, false, false, false},
    };
    for (const auto& c : cas) {
        const QString p = QString::fromLatin1(c.path);
        EXPECT_EQ(ZEVIconViewer::siKind(K::Files, c.type, p), c.files) << c.type << " " << c.path;
        EXPECT_EQ(ZEVIconViewer::siKind(K::Persons, c.type, p), c.persons) << c.type << " " << c.path;
        EXPECT_EQ(ZEVIconViewer::siKind(K::Emails, c.type, p), c.emails) << c.type << " " << c.path;
        EXPECT_EQ(ZEVIconViewer::siKind(K::Bookmarks, c.type, p), c.bookmarks) << c.type << " " << c.path;
    }
}

TEST_F(IconViewer, HeldFindsKeepToTheCurrentChannelUnlessSentFromAMenuAndTheCountFollowsTheRows)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* ailleurs = space->newIdentityNamed("elsewhere");
    KELI* ici = objet("here");
    KELI* loin = objet("there", ailleurs->idInt());
    lien(KELRELATION_ICON_VIEWER, canal(), ici, t - kHeure, KELDateOuverte);
    lien(KELRELATION_ICON_VIEWER, ailleurs, loin, t - kHeure, KELDateOuverte);
    for (KELI* o : {ici, loin})
        addItemOption(o, ZEVOPTION_HOLD_BY_ZEV);
    settle();
    icons()->showInspectView(true);
    settle();
    EXPECT_EQ(icons()->inspectView()->inspectField()->text(), "2 Objects");
    icons()->findZevHeld(false);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{ici});
    icons()->findZevHeld(true);
    std::vector<KELI*> deux = space->selections().selectedIconItems();
    std::sort(deux.begin(), deux.end());
    std::vector<KELI*> attendus{ici, loin};
    std::sort(attendus.begin(), attendus.end());
    EXPECT_EQ(deux, attendus);
    icons()->itemSelectionDidChange();
    EXPECT_EQ(icons()->inspectView()->inspectField()->text(), "2/2 Objects");
    icons()->menuFindExtHeld();
    EXPECT_TRUE(space->selections().selectedIconItems().empty()) << "nothing found empties the selection";
}

TEST_F(IconViewer, TheEditMenuCountsTheModesObjectsOnTheDeskShown)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* a = objet("a");
    KELI* b = objet("b");
    for (KELI* o : {a, b})
        lien(KELRELATION_ICON_VIEWER, canal(), o, t - kHeure, KELDateOuverte);
    settle();
    QMenu menu;
    for (long tag : {6L, 65L, 62L, 63L, 4L, 5L, 2L, 3L})
        menu.addAction(QStringLiteral("?"))->setProperty("tag", qlonglong(tag));
    auto titre = [&](long tag) { return ZEVMenuItemWithTag(&menu, tag)->text(); };
    auto actif = [&](long tag) { return ZEVMenuItemWithTag(&menu, tag)->isEnabled(); };
    ASSERT_EQ(space->actifCurseur(), space->nowCurseur());
    const struct {
        std::vector<KELI*> selection;
        const char* release;
        const char* forget;
        bool enabled;
    } cas[] = {{{}, "Release", "Forget", false},
               {{a}, "Release 1 Object", "Forget 1 Object", true},
               {{a, b}, "Release 2 Objects", "Forget 2 Objects", true}};
    for (const auto& c : cas) {
        space->selections().deselectAllIcons();
        space->selections().selectIconForItemSet(c.selection, nullptr);
        icons()->updateMenuEdit(&menu);
        // At Now the Now column carries the commands: Release and Forget are 62 and 63.
        EXPECT_EQ(titre(62), c.release);
        EXPECT_EQ(titre(63), c.forget);
        EXPECT_EQ(actif(62), c.enabled);
        EXPECT_FALSE(actif(6)) << "on the desk already: nothing to recall";
        EXPECT_FALSE(ZEVMenuItemWithTag(&menu, 2)->isVisible()) << "the Search column is hidden";
    }
}

TEST_F(IconTable, TypeSelectSelectsEveryRowWhoseTitleHoldsTheTextInAnyCase)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* rapport = objet("Report 2026");
    KELI* autre = objet("letter");
    KELI* second = objet("old REPORT");
    for (KELI* o : {rapport, autre, second})
        lien(KELRELATION_ICON_VIEWER, canal(), o, t - kHeure, KELDateOuverte);
    settle();
    icons()->showInspectView(true);
    settle();
    ZEVTableView& table = *icons()->inspectView()->inspectTableView();
    host.front->mode = 1;
    model().selectItemsWithString(table, QStringLiteral("report"), ZEVRowsClass::Remplacer);
    std::vector<KELI*> titres = space->selections().selectedTitleItems();
    std::sort(titres.begin(), titres.end());
    std::vector<KELI*> attendus{rapport, second};
    std::sort(attendus.begin(), attendus.end());
    EXPECT_EQ(titres, attendus) << "Title mode selects titles";
    EXPECT_TRUE(space->selections().selectedIconItems().empty());
    std::vector<KELI*> lignes;
    for (const QModelIndex& i : table.selectionModel()->selectedRows())
        lignes.push_back(table.element(i.row())->item);
    std::sort(lignes.begin(), lignes.end());
    EXPECT_EQ(lignes, attendus) << "exactly those rows";
    host.front->mode = 0;
}

TEST_F(IconViewer, TheMainMenusRetainAndForgetActAsThePanelsButtonsOnTheDesk)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* passe = objet("past");
    KELI* present = objet("present");
    lien(KELRELATION_ICON_VIEWER, canal(), passe, t - 3 * kHeure, t - 2 * kHeure);
    lien(KELRELATION_ICON_VIEWER, canal(), present, t - kHeure, KELDateOuverte);
    settle();
    icons()->showInspectView(true);
    settle();
    space->selections().selectIconForItemSet({passe}, nullptr);
    icons()->majActionButtons();
    icons()->userRetain();
    EXPECT_EQ(host.front->retains, 1) << "Retain is the desk's, through the button";
    icons()->userForget();
    EXPECT_EQ(host.front->forgets, 0) << "nothing on the desk to forget: the button is off";
    space->selections().selectIconForItemSet({present}, nullptr);
    icons()->majActionButtons();
    icons()->userForget();
    EXPECT_EQ(host.front->forgets, 1);
}

} // namespace
} // namespace inspecttest
