// The Files panel's commands in the running program: the Object menu's Remove with the panel
// focused erases an Object that no desk holds (its presences, words and links both ways forgotten
// in the store, its drop folder in the Trash, its row gone) and only forgets the presences of one
// that lies on a desk; a row's right-click menu releases its Object at the cursor, and links it
// with (or unlinks it from) every selected Object or, on a full disk, none; a lego's menu deletes
// that interval only.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QClipboard>
#include <QMimeData>
#include <QGuiApplication>
#include <QTest>

namespace e2e {
namespace {

class FilesCommands : public E2E {
protected:
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVFileViewer* files() const
    {
        return dynamic_cast<ZEVFileViewer*>(space()->viewerForEntityClassName("ZEVFileViewer"));
    }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = files() ? files()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    // Files given to the program, whose icons the Now desk shows; their Objects in order.
    // Two files of the home Channel listed there until a moment ago, then another Channel shown
    // with the store of its records: where a Recall from another Channel begins.
    struct Elsewhere {
        std::vector<KELI*> items;
        KELI* channel = nullptr;
        ZEVItemData* store = nullptr;
        std::string presences; // counts the home Channel's file presences
    };
    // Fatal failures stop the caller through ASSERT_NO_FATAL_FAILURE: `e` is whole when it returns.
    void twoFilesAbsentSeenFromAnotherChannel(Elsewhere& e)
    {
        startWithTheBar();
        e.items = placer({"first.txt", "second.txt"});
        ASSERT_EQ(e.items.size(), 2u);
        const KELDate now = space()->nowCurseur()->now();
        for (KELI* o : e.items)
            presence(o, now - kJour, now + 1.0);
        advance(30.0);
        e.channel = showNewChannel("Elsewhere");
        ASSERT_NE(e.channel, nullptr);
        if (!ZEVItemDataChannels::ItemDataForChannelInt(e.channel->idInt()))
            ZEVItemDataChannels::CreateItemDataForChannelInt(e.channel->idInt());
        e.store = ZEVItemDataChannels::ItemDataForChannelInt(e.channel->idInt());
        ASSERT_NE(e.store, nullptr);
        KELI* home = space()->channelForIdentityInt(space()->currentChannelInt());
        ASSERT_NE(home, nullptr);
        e.presences = "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = " + std::to_string(KELRELATION_FILE_VIEWER) +
                      " AND PARENT_ZEVLET = " + home->idTxt();
    }
    std::size_t fileObjectsStored()
    {
        return std::stoul(sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 1000050").at(0, 0));
    }

    std::vector<KELI*> placer(const QStringList& names)
    {
        addHomeFiles(names);
        std::vector<KELI*> items = itemsTitled(names);
        EXPECT_EQ(items.size(), std::size_t(names.size()));
        space()->selections().deselectAllIcons();
        advance(1.0);
        return items;
    }
    KELI* presence(KELI* item, KELDate in, KELDate out)
    {
        KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
        KELI* l =
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER, canal, item, in, out, space()->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    void ouvrir()
    {
        ZEVButton* bouton = context()->buttonForEntityInt(kFiles);
        ASSERT_NE(bouton, nullptr);
        click(bouton);
        advance(1.0);
        ASSERT_NE(table(), nullptr);
        ASSERT_TRUE(table()->isVisible());
    }
    int rowOf(KELI* item) const { return rowOfItem(table(), item); }
    QPoint titlePoint(int row) const { return table()->visualRect(table()->tableModel()->index(row, 5)).center(); }
    QPoint pointOnLego(int row, KELI* lego) const
    {
        const QRect r = table()->visualRect(table()->tableModel()->index(row, 5));
        table()->viewWillDraw();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = 0; x < table()->viewport()->width(); ++x)
                if (KELI* hit = table()->legoAtPoint(row, QPointF(x, y)); hit && hit->idInt() == lego->idInt())
                    return QPoint(x, y);
        ADD_FAILURE() << "the lego is not drawn in its row";
        return {};
    }
    QMenu* rightClick(const QPoint& at) { return rightClickIn(table(), at); }
    // The Object taken off every desk and listed in the panel for a week, as its neighbour is,
    // linked both ways with it since yesterday and with a file in its drop folder; its row is then
    // selected in the panel, opened. Answers the drop folder.
    QString listOnNoDeskLinkedTo(KELI* o, KELI* voisin)
    {
        const KELDate now = space()->nowCurseur()->now();
        offEveryDesk(o);
        presence(o, now - 7 * kJour, KELDateOuverte);
        presence(voisin, now - 7 * kJour, KELDateOuverte);
        KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, o, voisin, now - kJour, KELDateOuverte,
                                           space()->nowCurseur());
        KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, voisin, o, now - kJour, KELDateOuverte,
                                           space()->nowCurseur());
        const QString dossier = ZEVItemData::Current().itemDropFolder(o->idInt());
        EXPECT_TRUE(QDir().mkpath(dossier));
        QFile dedans(dossier + "/note.txt");
        EXPECT_TRUE(dedans.open(QIODevice::WriteOnly));
        dedans.close();
        advance(1.0);
        ouvrir();
        const int row = rowOf(o);
        EXPECT_GE(row, 0);
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(row));
        pump();
        EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{o});
        EXPECT_TRUE(files()->siFirstResponder());
        return dossier;
    }
    void offEveryDesk(KELI* o)
    {
        const KELIds icones = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(o->idInt(), KELRELATION_ICON_VIEWER);
        EXPECT_TRUE(icones.has_value());
        for (KELId l : icones.value_or(std::vector<KELId>()))
            KELServeurDeLiens::DegagerLien(KELServeurDeLiens::LienForInt(l, space()->nowCurseur()), space()->nowCurseur());
    }
    // The panel opened with these rows selected as a person selects them: the first clicked, the
    // others Ctrl-clicked. Whether the desk's selection is those Objects, told when it is not.
    bool openWithRowsSelected(const std::vector<KELI*>& rows)
    {
        advance(1.0);
        ouvrir();
        if (HasFatalFailure())
            return false;
        Qt::KeyboardModifiers touches = {};
        for (KELI* o : rows) {
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, touches, titlePoint(rowOf(o)));
            touches = Qt::ControlModifier;
        }
        pump();
        EXPECT_EQ(space()->selections().selectedIconItems().size(), rows.size());
        return space()->selections().selectedIconItems().size() == rows.size();
    }
    enum Desks { StayOnTheDesk, OnNoDesk };
    // The files listed in the panel since yesterday, the panel open with the rows of the first
    // `selected` of them selected. Their Objects in order, none when the set-up failed.
    std::vector<KELI*> listedAndSelected(const QStringList& names, std::size_t selected, Desks desks = StayOnTheDesk)
    {
        const std::vector<KELI*> items = placer(names);
        if (items.size() != std::size_t(names.size()) || selected > items.size())
            return {};
        const KELDate now = space()->nowCurseur()->now();
        for (KELI* o : items) {
            if (desks == OnNoDesk)
                offEveryDesk(o);
            presence(o, now - kJour, KELDateOuverte);
        }
        const std::vector<KELI*> rows(items.begin(), items.begin() + std::ptrdiff_t(selected));
        return openWithRowsSelected(rows) ? items : std::vector<KELI*>{};
    }
    // The panel's words, counted.
    void removeFromTheObjectMenu() { chooseObjectMenuItem(13, "Remove 1 File Object"); }
    // Three listed files, the panel open with the last two selected on the desk: hub, near, far.
    std::vector<KELI*> hubWithTwoSelected()
    {
        const std::vector<KELI*> items = placer({"hub.txt", "near.txt", "far.txt"});
        EXPECT_EQ(items.size(), 3u);
        if (items.size() != 3u)
            return {};
        const KELDate now = space()->nowCurseur()->now();
        for (KELI* o : items)
            presence(o, now - kJour, KELDateOuverte);
        openWithRowsSelected({items[1], items[2]});
        return items;
    }
    // The row menu's item of that tag chosen on the hub's row, the disk full for the Links of far.
    void linkCommandOnHubWithFarFull(const std::vector<KELI*>& items, long tag)
    {
        QMenu* popup = rightClick(titlePoint(rowOf(items[0])));
        ASSERT_NE(popup, nullptr);
        QAction* a = menuItemTagged(popup, tag);
        ASSERT_TRUE(a && a->isVisible() && a->isEnabled());
        const std::string far = items[2]->idTxt();
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_LINK_VIEWER) + " AND (NEW.PARENT_ZEVLET = " +
                          far + " OR NEW.CHILD_ZEVLET = " + far + ")");
        chooseInMenu(popup, a);
        advance(1.0);
    }
    // The store's Links between two Objects, either way: (in, out).
    Rows linksBetween(const KELI* a, const KELI* b) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(KELRELATION_LINK_VIEWER) + " AND ((PARENT_ZEVLET = " + a->idTxt() +
                                   " AND CHILD_ZEVLET = " + b->idTxt() + ") OR (PARENT_ZEVLET = " + b->idTxt() +
                                   " AND CHILD_ZEVLET = " + a->idTxt() + "))");
    }
    bool linkedOnTheDesk(const KELI* a, const KELI* b) const
    {
        for (ZEVItemConnexion* c : space()->itemViewerForCurseur(space()->nowCurseur())->connexionsExistantes())
            if (c->siActif() && ((c->parentItem() == a && c->enfantItem() == b) ||
                                 (c->parentItem() == b && c->enfantItem() == a)))
                return true;
        return false;
    }

};

TEST_F(FilesCommands, RemoveErasesAnObjectOnNoDeskWithItsLinksAndDropFolder)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"gone.txt", "neighbour.txt"});
    ASSERT_EQ(items.size(), 2u);
    KELI* o = items[0];
    KELI* voisin = items[1];
    const KELId id = o->idInt();
    const QString dossier = listOnNoDeskLinkedTo(o, voisin);
    ASSERT_FALSE(HasFatalFailure());

    removeFromTheObjectMenu();

    for (KELId rel : {KELRELATION_FILE_VIEWER, KELRELATION_LINK_VIEWER})
        EXPECT_EQ(liveLinksAround(id, rel, true), 0) << rel;
    for (KELId rel : {KELRELATION_ITEM_ICON, KELRELATION_ITEM_TITLE, KELRELATION_ITEM_TYPE, KELRELATION_LINK_VIEWER}) {
        EXPECT_FALSE(linksAround(id, rel, false).empty()) << "the rows stay, forgotten " << rel;
        EXPECT_EQ(liveLinksAround(id, rel, false), 0) << rel;
    }
    const Rows propre = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(id));
    ASSERT_EQ(propre.size(), 1u);
    EXPECT_GE(std::stod(propre.at(0, 0)), kForgottenDate) << "the Object itself is forgotten";
    EXPECT_EQ(liveLinksAround(voisin->idInt(), KELRELATION_FILE_VIEWER, true), 1) << "its neighbour keeps its presence";
    EXPECT_FALSE(QFileInfo::exists(dossier)) << "the drop folder went";
    const QStringList jetes = QDir(home + "/.local/share/Trash/files").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(jetes.size(), 1) << "into the Trash, once";
    EXPECT_EQ(rowOf(o), -1) << "its row went";
    EXPECT_GE(rowOf(voisin), 0);
}

// The disk fills up in the middle of a Remove (at the Object's title): the store keeps none of
// it, and the Object stays whole where it was, listed, titled, linked and with its drop folder,
// instead of half gone on no desk and in no panel.
TEST_F(FilesCommands, ARemoveTheDiskCannotFinishLeavesTheObjectWhole)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = placer({"kept.txt", "neighbour.txt"});
    ASSERT_EQ(items.size(), 2u);
    KELI* o = items[0];
    const KELId id = o->idInt();
    const QString dossier = listOnNoDeskLinkedTo(o, items[1]);
    ASSERT_FALSE(HasFatalFailure());
    {
        FullLinkBase full(KELRELATION_ITEM_TITLE);
        removeFromTheObjectMenu();
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(liveLinksAround(id, KELRELATION_FILE_VIEWER, true), 1) << "its presence was forgotten";
    EXPECT_EQ(liveLinksAround(id, KELRELATION_LINK_VIEWER, true), 1);
    for (KELId rel : {KELRELATION_ITEM_ICON, KELRELATION_ITEM_TITLE, KELRELATION_ITEM_TYPE, KELRELATION_LINK_VIEWER})
        EXPECT_EQ(liveLinksAround(id, rel, false), 1) << rel;
    const Rows propre = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(id));
    ASSERT_EQ(propre.size(), 1u);
    EXPECT_LT(std::stod(propre.at(0, 0)), kForgottenDate);
    EXPECT_FALSE(deskmodel::siOublie(o)) << "in memory as in the store";
    EXPECT_TRUE(QFileInfo::exists(dossier + "/note.txt")) << "the drop folder of an Object that stays went";
    EXPECT_GE(rowOf(o), 0) << "its row went";
}

// Two Objects on no desk removed together from the panel as the disk fills up at the second:
// both stay whole, listed and titled, instead of one erased and one kept.
TEST_F(FilesCommands, ARemoveOfTwoObjectsTheDiskCannotFinishLeavesBothWhole)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = listedAndSelected({"one.txt", "two.txt"}, 2, OnNoDesk);
    ASSERT_EQ(items.size(), 2u);
    ASSERT_TRUE(files()->siFirstResponder());
    {
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_ITEM_TITLE) +
                          " AND NEW.PARENT_ZEVLET = " + items[1]->idTxt());
        chooseObjectMenuItem(13, "Remove 2 File Objects");
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* o : items) {
        EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_FILE_VIEWER, true), 1) << o->idTxt() << " erased alone";
        EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_ITEM_TITLE, false), 1);
        EXPECT_FALSE(deskmodel::siOublie(o)) << "in memory as in the store";
        EXPECT_GE(rowOf(o), 0) << "its row went";
    }
}

// Two listed files released together from the panel as the disk fills up (at the second one's
// presence): neither is released, instead of one released and one not.
TEST_F(FilesCommands, AReleaseOfTwoFilesTheDiskCannotFinishReleasesNeither)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = listedAndSelected({"first.txt", "second.txt"}, 2);
    ASSERT_EQ(items.size(), 2u);
    const Rows second = linksAround(items[1]->idInt(), KELRELATION_FILE_VIEWER, true);
    ASSERT_EQ(second.size(), 1u);
    ZEVButton* release = files()->inspectViewIfBuilt()->btnRelease();
    ASSERT_TRUE(release && release->isEnabled());
    {
        FullLinkBase full("NEW.ZEVLET_ID = " + second.at(0, 0));
        click(release);
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* o : items) {
        const Rows p = linksAround(o->idInt(), KELRELATION_FILE_VIEWER, true);
        ASSERT_EQ(p.size(), 1u);
        EXPECT_GE(std::stod(p.at(0, 2)), KELDateOuverte) << o->idTxt() << " released alone";
    }
}

// A row linked from its menu with the two Objects selected on the desk when the disk has room
// for one Link only: it is linked with neither, told, instead of with one of the two.
TEST_F(FilesCommands, ARowLinkedWithTwoSelectedObjectsTheDiskHasRoomForOnlyOneOfLinksNeither)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = hubWithTwoSelected();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(items.size(), 3u);
    linkCommandOnHubWithFarFull(items, ZEVRowTagLinkWith);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_TRUE(linksBetween(items[0], items[1]).empty()) << "linked with one of the two";
    EXPECT_TRUE(linksBetween(items[0], items[2]).empty());
    EXPECT_FALSE(linkedOnTheDesk(items[0], items[1])) << "a Link the store does not hold is drawn";

    // With room again the same command links it with both.
    QMenu* popup = rightClick(titlePoint(rowOf(items[0])));
    ASSERT_NE(popup, nullptr);
    chooseInMenu(popup, menuItemTagged(popup, ZEVRowTagLinkWith));
    advance(1.0);
    EXPECT_EQ(linksBetween(items[0], items[1]).size(), 1u);
    EXPECT_EQ(linksBetween(items[0], items[2]).size(), 1u);
    EXPECT_TRUE(linkedOnTheDesk(items[0], items[2]));
}

// A row unlinked from its two linked, selected Objects as the disk fills up: both Links go on,
// told, instead of one ended and one not.
TEST_F(FilesCommands, ARowUnlinkedFromTwoSelectedObjectsTheDiskCannotFinishEndsNeither)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = hubWithTwoSelected();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(items.size(), 3u);
    const KELDate now = space()->nowCurseur()->now();
    for (KELI* o : {items[1], items[2]})
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, o, items[0], now - kJour, KELDateOuverte,
                                                     space()->nowCurseur()),
                  nullptr);
    advance(1.0);
    ASSERT_TRUE(linkedOnTheDesk(items[0], items[1]));
    linkCommandOnHubWithFarFull(items, ZEVRowTagUnlinkWith);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* o : {items[1], items[2]}) {
        const Rows l = linksBetween(items[0], o);
        ASSERT_EQ(l.size(), 1u);
        EXPECT_GE(std::stod(l.at(0, 1)), KELDateOuverte) << o->idTxt() << " unlinked alone";
    }
    EXPECT_TRUE(linkedOnTheDesk(items[0], items[1])) << "a Link the store holds is no longer drawn";
}

// Two files released from the panel, then recalled together as the disk fills up (at the
// second one's new presence): neither is listed again, instead of one recalled and one not.
TEST_F(FilesCommands, ARecallOfTwoFilesTheDiskCannotFinishRecallsNeither)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = listedAndSelected({"first.txt", "second.txt"}, 2);
    ASSERT_EQ(items.size(), 2u);
    const KELDate now = space()->nowCurseur()->now();
    click(files()->inspectViewIfBuilt()->btnRelease());
    advance(30.0);
    ZEVButton* recall = files()->inspectViewIfBuilt()->btnRecall();
    ASSERT_TRUE(recall && recall->isEnabled());
    {
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_FILE_VIEWER) +
                          " AND NEW.CHILD_ZEVLET = " + items[1]->idTxt() + " AND NEW.DATE_IN > " + std::to_string(now));
        click(recall);
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* o : items) {
        const Rows p = linksAround(o->idInt(), KELRELATION_FILE_VIEWER, true);
        EXPECT_EQ(p.size(), 1u) << o->idTxt() << " recalled alone";
        EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_FILE_VIEWER, true), 1);
    }
    EXPECT_TRUE(recall->isEnabled()) << "the buttons show a recall the store does not hold";
    EXPECT_FALSE(files()->inspectViewIfBuilt()->btnRelease()->isEnabled());
}

// Two files of the home Channel recalled together from another Channel's panel: each is given an
// equivalent there (an Object, its words, its record) and a presence. The disk full at the second
// presence, the store keeps neither Object and no record is left of them; with room again the
// same Recall makes both.
TEST_F(FilesCommands, ARecallFromAnotherChannelTheDiskCannotFinishMakesNoEquivalent)
{
    Elsewhere e;
    ASSERT_NO_FATAL_FAILURE(twoFilesAbsentSeenFromAnotherChannel(e));
    const auto records = [&] {
        return QDir(e.store->zevDataURL()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const std::size_t avant = fileObjectsStored();
    const QStringList recordsAvant = records();
    KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
    ASSERT_NE(canal, nullptr);
    advance(1.0);
    ouvrir();
    // Both selected and the panel told of it: a selected Object is one of its rows, here absent.
    const auto choisir = [&] {
        space()->selections().selectIconForItemSet(e.items, nullptr);
        files()->itemSelectionDidChange();
        advance(1.0);
    };
    choisir();
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 2u);
    ZEVButton* recall = files()->inspectViewIfBuilt()->btnRecall();
    ASSERT_TRUE(recall && recall->isEnabled());
    alerts.clear();
    {
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_FILE_VIEWER) + " AND NEW.PARENT_ZEVLET = " +
                          canal->idTxt() + " AND EXISTS (SELECT 1 FROM ZEVLETS WHERE RELATION = " +
                          std::to_string(KELRELATION_FILE_VIEWER) + " AND PARENT_ZEVLET = " + canal->idTxt() + ")");
        click(recall);
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(fileObjectsStored(), avant) << "an equivalent was stored alone";
    EXPECT_EQ(sql(database(), e.presences).at(0, 0), "0") << "a presence was stored alone";
    EXPECT_EQ(records(), recordsAvant) << "a record names an Object the store does not hold";

    // With room again the Recall makes both, each with its record.
    choisir();
    ASSERT_TRUE(recall->isEnabled());
    click(recall);
    advance(1.0);
    EXPECT_EQ(fileObjectsStored(), avant + 2);
    EXPECT_EQ(sql(database(), e.presences).at(0, 0), "2");
    EXPECT_EQ(records().size(), recordsAvant.size() + 2);
}

// A Recall inside a larger act has no commit of its own: the larger act's decides for both. When
// the disk refuses a write of the larger act after the Recall's own went well, the equivalents
// are lost with it, and neither their records nor their drop folders are left to name them.
TEST_F(FilesCommands, ARecallInsideALargerActTheDiskRefusesLeavesNothingOfItsEquivalents)
{
    Elsewhere e;
    ASSERT_NO_FATAL_FAILURE(twoFilesAbsentSeenFromAnotherChannel(e));
    const auto entries = [](const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const std::size_t avant = fileObjectsStored();
    const QStringList recordsAvant = entries(e.store->zevDataURL());
    advance(1.0);
    ouvrir();
    space()->selections().selectIconForItemSet(e.items, nullptr);
    files()->itemSelectionDidChange();
    advance(1.0);
    ZEVButton* recall = files()->inspectViewIfBuilt()->btnRecall();
    ASSERT_TRUE(recall && recall->isEnabled());
    alerts.clear();
    std::vector<KELId> equivalents;
    {
        const KELServeurDeLiens::Acte plusGrand(0);
        ASSERT_TRUE(plusGrand.complet());
        click(recall);
        ASSERT_TRUE(alerts.empty()) << "the Recall's own writes were refused";
        // The Recall selects what it recalled: here the equivalents.
        for (KELI* o : space()->selections().selectedIconItems())
            if (o && o->channelInt() == e.channel->idInt())
                equivalents.push_back(o->idInt());
        EXPECT_EQ(equivalents.size(), 2u);
        const QStringList recordsFaits = entries(e.store->zevDataURL());
        EXPECT_GT(recordsFaits.size(), recordsAvant.size()) << "the Recall made no record to take back";
        FullLinkBase full(KELRELATION_IMAGE_COLOR);
        KELServeurDeLiens::CreerLienRelInt(KELRELATION_IMAGE_COLOR, e.items[0], e.items[1], KELDateToujours,
                                           KELDateOuverte, space()->nowCurseur());
    }
    advance(1.0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(fileObjectsStored(), avant) << "an equivalent was stored";
    EXPECT_EQ(sql(database(), e.presences).at(0, 0), "0") << "a presence was stored";
    EXPECT_EQ(entries(e.store->zevDataURL()), recordsAvant) << "a record names an Object the store does not hold";
    for (KELId id : equivalents)
        EXPECT_FALSE(QFileInfo(e.store->itemDropFolder(id)).exists()) << "the drop folder of " << id << " stays";
}

TEST_F(FilesCommands, RemoveOfAnObjectOnADeskOnlyForgetsItsPresences)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"kept.txt"});
    ASSERT_EQ(items.size(), 1u);
    KELI* o = items[0];
    const KELDate now = space()->nowCurseur()->now();
    presence(o, now - 7 * kJour, now - kJour);
    presence(o, now - kJour / 2, KELDateOuverte);
    advance(1.0);
    ouvrir();
    const int row = rowOf(o);
    ASSERT_GE(row, 0);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(row));
    pump();
    ASSERT_TRUE(files()->siFirstResponder());

    removeFromTheObjectMenu();

    EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_FILE_VIEWER, true), 0);
    EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_ICON_VIEWER, true), 1) << "it still lies on the desk";
    EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_ITEM_TITLE, false), 1) << "with its title";
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(o->idInt(), space()->nowCurseur())));
    bool icone = false;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        icone = icone || v->item() == o;
    EXPECT_TRUE(icone) << "and its icon stays";
}

TEST_F(FilesCommands, TheRowMenuReleasesItsObjectAndTheLegoMenuDeletesOneInterval)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"alpha.txt", "beta.txt"});
    ASSERT_EQ(items.size(), 2u);
    KELI* alpha = items[0];
    KELI* beta = items[1];
    const KELDate now = space()->nowCurseur()->now();
    presence(alpha, now - kJour, KELDateOuverte);
    advance(1.0);
    ouvrir();

    // The row's right-click menu: its header and the temporal items for a present Object.
    const int row = rowOf(alpha);
    ASSERT_GE(row, 0);
    QMenu* m = rightClick(titlePoint(row));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(m, ZEVRowTagHeader)->text(), "\"alpha.txt\"");
    EXPECT_FALSE(ZEVMenuItemWithTag(m, ZEVRowTagRecallNow)->isVisible()) << "Now is the active cursor";
    EXPECT_FALSE(ZEVMenuItemWithTag(m, ZEVRowTagRecall)->isEnabled());
    QAction* release = ZEVMenuItemWithTag(m, ZEVRowTagRelease);
    EXPECT_EQ(release->text(), "Release File");
    const KELDate t = space()->nowCurseur()->now();
    chooseInMenu(m, release);
    advance(1.0);
    const Rows a = linksAround(alpha->idInt(), KELRELATION_FILE_VIEWER, true);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(a.at(0, 2)), t) << "its interval ends at the cursor";

    // Two legos where the panel shows them: the table draws a date at the strip's x for it.
    ZEVTlineType* axe = ruler()->tlineType();
    ASSERT_NE(axe, nullptr);
    table()->viewWillDraw();
    const double largeur = table()->viewport()->width();
    auto dateAt = [&](double part) {
        const int pasN = 4000;
        for (int i = 0; i <= pasN; ++i) {
            const KELDate d = axe->inDate() + (axe->outDate() - axe->inDate()) * i / pasN;
            if (table()->scale().x(d) >= largeur * part)
                return d;
        }
        ADD_FAILURE() << "no date falls in the panel";
        return now;
    };
    KELI* ancien = presence(beta, dateAt(0.2), dateAt(0.35));
    KELI* actuel = presence(beta, dateAt(0.5), KELDateOuverte);
    advance(1.0);

    // A lego clicked, then right-clicked: Delete Interval forgets that interval only.
    const int rb = rowOf(beta);
    ASSERT_GE(rb, 0);
    table()->selectRow(rb);
    const QPoint on = pointOnLego(rb, ancien);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, on);
    pump();
    ASSERT_NE(table()->selectedLego(), nullptr);
    m = rightClick(on);
    ASSERT_NE(m, nullptr);
    QAction* del = ZEVMenuItemWithTag(m, ZEVRowTagDeleteLego);
    ASSERT_NE(del, nullptr) << "the lego's menu";
    EXPECT_EQ(del->text(), "Delete Interval");
    chooseInMenu(m, del);
    advance(1.0);
    EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(ancien->idInt(), space()->nowCurseur())));
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(actuel->idInt(), space()->nowCurseur())));
    EXPECT_EQ(liveLinksAround(beta->idInt(), KELRELATION_FILE_VIEWER, true), 1);
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(beta->idInt(), space()->nowCurseur())));
}

TEST_F(FilesCommands, DeleteOnARowWithNowActiveEndsItsIntervalAtNow)
{
    startWithTheBar();
    const std::vector<KELI*> items = listedAndSelected({"delta.txt", "epsilon.txt"}, 1);
    ASSERT_EQ(items.size(), 2u);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    ASSERT_TRUE(files()->siFirstResponder());
    advance(30.0);
    const KELDate t = space()->nowCurseur()->now();
    QTest::keyClick(table(), Qt::Key_Delete);
    advance(1.0);
    const Rows r = linksAround(items[0]->idInt(), KELRELATION_FILE_VIEWER, true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(r.at(0, 2)), t) << "its interval ends at Now";
    EXPECT_EQ(liveLinksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true), 1) << "its icon is not touched";
    const Rows autre = linksAround(items[1]->idInt(), KELRELATION_FILE_VIEWER, true);
    ASSERT_EQ(autre.size(), 1u);
    EXPECT_GE(std::stod(autre.at(0, 2)), 4503599627370496.0) << "the other row stays open";
}

TEST_F(FilesCommands, ReturnRecallsAndCtrlXCopiesThenReleasesTheFocusedRowsObject)
{
    startWithTheBar();
    const std::vector<KELI*> items = listedAndSelected({"zeta.txt", "eta.txt"}, 1);
    ASSERT_EQ(items.size(), 2u);
    ASSERT_TRUE(files()->siFirstResponder());
    advance(30.0);
    const KELDate cut = space()->nowCurseur()->now();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(table(), Qt::Key_X, Qt::ControlModifier);
    advance(1.0);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasUrls() || copied->hasText()) << "the cut copied the row's Object first";
    Rows r = linksAround(items[0]->idInt(), KELRELATION_FILE_VIEWER, true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(r.at(0, 2)), cut) << "then released it at Now";
    EXPECT_GE(std::stod(linksAround(items[1]->idInt(), KELRELATION_FILE_VIEWER, true).at(0, 2)), 4503599627370496.0);

    advance(30.0);
    const KELDate back = space()->nowCurseur()->now();
    ASSERT_GE(rowOf(items[0]), 0) << "the released row is still listed";
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(rowOf(items[0])));
    pump();
    QTest::keyClick(table(), Qt::Key_Return);
    advance(1.0);
    r = linksAround(items[0]->idInt(), KELRELATION_FILE_VIEWER, true);
    ASSERT_EQ(r.size(), 2u) << "Return recalled it: a second presence";
    bool ouverte = false;
    for (std::size_t i = 0; i < r.size(); ++i)
        ouverte |= std::stod(r.at(i, 1)) >= back - 1.0 && std::stod(r.at(i, 2)) >= 4503599627370496.0;
    EXPECT_TRUE(ouverte) << "from Now on, open";
}

} // namespace
} // namespace e2e
