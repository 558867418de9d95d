// The Icons panel in the running program: it lists the Objects of every Channel's desk, another
// Channel's in its own style; the Object menu's Remove with the panel focused takes an Object off
// the desks and erases it only when no other panel holds it; Delete in its table releases the desk's
// selection at Now without erasing anything; the Object menu's previous change keeps to the
// current Space; the toolbar's Find menu selects the desk's files, mails and the like by kind.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "app/menu/KELMainMenu.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "front/ZEVFrontPanels.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "platform/AppId.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVItemView.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpacePreview.h"
#include "tests/support/LocalHttpServer.h"
#include "widgets/ZEVPreviewWindow.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDropEvent>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <set>

namespace e2e {
namespace {

class IconsPanel : public E2E {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }
    ZEVIconViewer* icons() const
    {
        return dynamic_cast<ZEVIconViewer*>(space()->viewerForEntityClassName("ZEVIconViewer"));
    }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = icons() ? icons()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // Files given to the program, whose icons the Now desk shows; their Objects in order.
    std::vector<KELI*> placer(const QStringList& names)
    {
        QStringList paths;
        for (const QString& n : names) {
            QDir().mkpath(QFileInfo(home + "/" + n).absolutePath());
            QFile f(home + "/" + n);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(n.toUtf8());
            paths << f.fileName();
        }
        adapter()->addFilenames(paths);
        advance(1.0);
        std::vector<KELI*> items;
        for (const QString& n : names)
            for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
                if (v->itemTitle() == QFileInfo(n).fileName())
                    items.push_back(v->item());
        EXPECT_EQ(items.size(), std::size_t(names.size()));
        space()->selections().deselectAllIcons();
        advance(1.0);
        return items;
    }
    void ouvrir()
    {
        chooseMenuItem(KELMainMenu::kMenuObject, kIcons);
        advance(1.0);
        ASSERT_NE(table(), nullptr) << "the Object menu's Icons item opened the panel";
        ASSERT_TRUE(table()->isVisible());
    }
    int rowOf(KELI* item) const { return rowOfItem(table(), item); }
    QPoint titlePoint(int row) const { return table()->visualRect(table()->tableModel()->index(row, 5)).center(); }
    void clickRow(KELI* item)
    {
        const int row = rowOf(item);
        ASSERT_GE(row, 0);
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(row));
        pump();
        ASSERT_TRUE(icons()->siFirstResponder());
    }
    // The Object listed in the Files panel too, from an hour ago. Whether the store took it.
    bool heldByTheFilesPanel(KELI* o)
    {
        KELI* ici = space()->channelForIdentityInt(space()->currentChannelInt());
        return KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER, ici, o, space()->nowCurseur()->now() - kHeure,
                                                  KELDateOuverte, space()->nowCurseur()) != nullptr;
    }
    // The files placed (the first `held` of them also in the Files panel), the panel opened and
    // the rows of the files at `selected` selected as a person selects them: the first clicked, the
    // others Ctrl-clicked. Their Objects in order, none when the set-up failed.
    std::vector<KELI*> placedWithRowsSelected(const QStringList& names, const std::vector<std::size_t>& selected,
                                              std::size_t held = 0)
    {
        const std::vector<KELI*> items = placer(names);
        if (items.size() != std::size_t(names.size()))
            return {};
        for (std::size_t i = 0; i < held; ++i)
            if (!heldByTheFilesPanel(items.at(i))) {
                ADD_FAILURE() << "the Files panel does not hold " << names.at(qsizetype(i)).toStdString();
                return {};
            }
        if (held > 0)
            advance(1.0);
        ouvrir();
        for (std::size_t i = 0; i < selected.size() && !HasFatalFailure(); ++i) {
            if (i == 0) {
                clickRow(items.at(selected[i]));
                continue;
            }
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              titlePoint(rowOf(items.at(selected[i]))));
            pump();
        }
        if (HasFatalFailure())
            return {};
        if (space()->selections().selectedIconItems().size() != selected.size()) {
            ADD_FAILURE() << "the rows clicked are not the desk's selection";
            return {};
        }
        return items;
    }
    void removeFromTheObjectMenu() { chooseObjectMenuItem(13, "Remove 1 Object"); }
    // The Object menu's previous change: the Search cursor stops just before that change.
    void previousChangeGoesJustBefore(KELDate change)
    {
        chooseMenuItem(KELMainMenu::kMenuObject, 5741);
        advance(0.1);
        ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
        EXPECT_NEAR(space()->searchCurseur()->now(), change - 0.7, 0.15);
    }
    KELI* elsewhere(KELI*& canal, const std::string& type = "file")
    {
        KELICurseur* now = space()->nowCurseur();
        canal = space()->newIdentityNamed("Elsewhere");
        EXPECT_NE(canal, nullptr);
        KELI* o = space()->itemClassForCurseur(now)->creerItemWithChannelInt(canal->idInt(), "far.txt", type, "txt", 0);
        EXPECT_NE(o, nullptr);
        EXPECT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER, canal, o, now->now() - kHeure,
                                                     KELDateOuverte, now),
                  nullptr);
        return o;
    }
};

TEST_F(IconsPanel, ItListsEveryChannelsObjectsAndRemoveKeepsAnObjectTheFilesPanelHolds)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"one.txt", "two.txt", "three.txt"});
    ASSERT_EQ(items.size(), 3u);
    KELI* canal = nullptr;
    KELI* loin = elsewhere(canal);
    // The first file is also listed in the Files panel.
    ASSERT_TRUE(heldByTheFilesPanel(items[0]));
    advance(1.0);
    ouvrir();

    ASSERT_EQ(table()->numberOfRows(), 4);
    for (KELI* o : items)
        EXPECT_GE(rowOf(o), 0);
    const int rl = rowOf(loin);
    ASSERT_GE(rl, 0) << "another Channel's Object is a row too";
    // Drawn in the other-Channel style: italic, in its own colour, where a row of this Channel is not.
    const QImage grab = table()->viewport()->grab().toImage();
    auto encre = [&](int row) {
        const QRect r = table()->visualRect(table()->tableModel()->index(row, 5));
        int sombres = 0;
        long rouge = 0, bleu = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (const QColor c = grab.pixelColor(x, y); c.lightness() < 128) {
                    ++sombres;
                    rouge += c.red();
                    bleu += c.blue();
                }
        return std::pair<int, long>{sombres, rouge - bleu};
    };
    EXPECT_GT(encre(rl).first, 0) << "its title is drawn";
    EXPECT_GT(encre(rl).second, encre(rowOf(items[1])).second) << "its ink is the reddish other-Channel colour";
    EXPECT_TRUE(table()->tableModel()->data(table()->tableModel()->index(rl, 5), Qt::FontRole).value<QFont>().italic());
    EXPECT_FALSE(
        table()->tableModel()->data(table()->tableModel()->index(rowOf(items[1]), 5), Qt::FontRole).value<QFont>().italic());
    EXPECT_EQ(icons()->inspectViewIfBuilt()->inspectField()->text(), "4 Objects");
    // At the panel's first width the count reads whole beside the bar's buttons.
    space()->selections().selectIconForItemSet(items, nullptr);
    advance(0.5);
    ZEVInspectView* panneau = icons()->inspectViewIfBuilt();
    QLabel* count = panneau->inspectField();
    ASSERT_EQ(count->text(), "3/4 Objects");
    EXPECT_EQ(panneau->width(), 280);
    EXPECT_GE(count->width(), count->fontMetrics().horizontalAdvance(count->text()));
    EXPECT_LT(count->geometry().right(), panneau->btnEntity()->geometry().left());
    EXPECT_LT(panneau->btnEntity()->geometry().right(), panneau->btnFind()->geometry().left());
    space()->selections().deselectAllIcons();
    advance(0.5);

    // Removing the file the Files panel lists: off the desks, its presence and title kept.
    const KELId id = items[0]->idInt();
    ASSERT_GT(liveLinksAround(id, KELRELATION_ICON_RATIO_X, false), 0) << "an icon has a position";
    clickRow(items[0]);
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[0]});
    removeFromTheObjectMenu();
    EXPECT_EQ(liveLinksAround(id, KELRELATION_ICON_VIEWER, true), 0);
    for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S})
        EXPECT_EQ(liveLinksAround(id, rel, false), 0) << rel;
    EXPECT_EQ(liveLinksAround(id, KELRELATION_FILE_VIEWER, true), 1) << "the Files panel still lists it";
    EXPECT_EQ(liveLinksAround(id, KELRELATION_ITEM_TITLE, false), 1) << "with its title";
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, space()->nowCurseur())));
    advance(1.0);
    EXPECT_EQ(rowOf(items[0]), -1) << "its row went";
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        EXPECT_NE(v->item(), items[0]) << "its view left the desk";

    // One on no other panel goes altogether, its title with it.
    const KELId id2 = items[1]->idInt();
    clickRow(items[1]);
    removeFromTheObjectMenu();
    EXPECT_EQ(liveLinksAround(id2, KELRELATION_ICON_VIEWER, true), 0);
    EXPECT_EQ(liveLinksAround(id2, KELRELATION_ITEM_TITLE, false), 0);
    const Rows propre = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(id2));
    ASSERT_EQ(propre.size(), 1u);
    EXPECT_GE(std::stod(propre.at(0, 0)), kForgottenDate) << "the Object itself is forgotten";
    EXPECT_EQ(liveLinksAround(items[2]->idInt(), KELRELATION_ICON_VIEWER, true), 1) << "the others stay";
    EXPECT_EQ(liveLinksAround(loin->idInt(), KELRELATION_ICON_VIEWER, true), 1);
}

TEST_F(IconsPanel, ATitlesAccentsOverCapitalsAndItsTailsAreDrawnWholeInItsRow)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({QString::fromUtf8("\xc3\x85\xc3\x89\xc3\x9c\xc3\x96 gjpy.txt"),
                                             QStringLiteral("AEUO gjpy.txt")});
    ASSERT_EQ(items.size(), 2u);
    ouvrir();
    const QImage grab = table()->viewport()->grab().toImage();
    // The rows of black ink in a row's title cell, from the cell's top.
    auto lignesEncrees = [&](KELI* o) {
        const QRect r = table()->visualRect(table()->tableModel()->index(rowOf(o), 5));
        std::vector<int> lignes;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (grab.pixelColor(x, y).lightness() < 40) {
                    lignes.push_back(y - r.top());
                    break;
                }
        return std::pair{lignes, r.height()};
    };
    const auto [accents, hauteur] = lignesEncrees(items[0]);
    const auto [simples, h2] = lignesEncrees(items[1]);
    ASSERT_FALSE(accents.empty());
    ASSERT_FALSE(simples.empty());
    EXPECT_GE(accents.front(), 1) << "the accents are not cut by the row's top";
    EXPECT_LE(accents.front() + 2, simples.front()) << "the accents show above the capitals";
    EXPECT_LT(accents.back(), hauteur - 1) << "the tails are not cut by the row's bottom";
    EXPECT_LT(simples.back(), h2 - 1);
}

TEST_F(IconsPanel, ARowClickedKeepsTheKeysWhileTheDesksSelectionFollowsIt)
{
    startWithTheBar();
    const std::vector<KELI*> items = placedWithRowsSelected({"one.txt", "two.txt"}, {1});
    ASSERT_EQ(items.size(), 2u);
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[1]});
    // The selection's change hands the keys to the desk half a second later, unless a table has them.
    advance(1.0);
    EXPECT_TRUE(icons()->siFirstResponder());
}

// The panel's Release button releases the desk's selection at Now, as the Edit menu does; the
// buttons then offer what the Edit menu offers: Recall and Retain, no longer Release nor Forget.
// Recall brings the icon back and the buttons turn again.
TEST_F(IconsPanel, ItsReleaseAndRecallButtonsActOnTheDeskAndThenOfferWhatTheEditMenuOffers)
{
    startWithTheBar();
    const std::vector<KELI*> items = placedWithRowsSelected({"alpha.txt", "beta.txt"}, {0});
    ASSERT_EQ(items.size(), 2u);
    advance(30.0);
    ZEVInspectView* p = icons()->inspectViewIfBuilt();
    ASSERT_TRUE(p->btnRelease()->isVisible());
    EXPECT_TRUE(p->btnRelease()->isEnabled());
    EXPECT_TRUE(p->btnForget()->isEnabled());
    EXPECT_FALSE(p->btnRecall()->isEnabled());
    EXPECT_FALSE(p->btnRetain()->isEnabled());

    const KELDate t = space()->nowCurseur()->now();
    QTest::mouseClick(p->btnRelease(), Qt::LeftButton);
    advance(1.0);
    const Rows r = linksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(std::stod(r.at(0, 2)), t, 0.5) << "its icon link ends at Now";
    QMenu* edit = openMenu(KELMainMenu::kMenuEdit);
    ASSERT_NE(edit, nullptr);
    QAction* recall = menuItemTagged(edit, 6);
    ASSERT_NE(recall, nullptr);
    EXPECT_EQ(recall->text(), QStringLiteral("Recall 1 Object"));
    EXPECT_TRUE(recall->isEnabled());
    edit->close();
    pump();
    EXPECT_TRUE(p->btnRecall()->isEnabled());
    EXPECT_TRUE(p->btnRetain()->isEnabled());
    EXPECT_FALSE(p->btnRelease()->isEnabled());
    EXPECT_FALSE(p->btnForget()->isEnabled());

    advance(10.0);
    QTest::mouseClick(p->btnRecall(), Qt::LeftButton);
    advance(1.0);
    EXPECT_EQ(linksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true).size(), 2u) << "back on the desk";
    EXPECT_NE(nowDesk()->itemViewForItem(items[0]), nullptr);
    EXPECT_FALSE(p->btnRecall()->isEnabled());
    EXPECT_TRUE(p->btnRelease()->isEnabled());
}

// Release and Recall given to the desk's selection from the Edit menu and with the desk's keys,
// the panel open beside it: after each, the panel's four buttons offer what the Edit menu offers.
TEST_F(IconsPanel, ItsButtonsFollowReleaseAndRecallGivenFromTheEditMenuAndTheKeys)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"alpha.txt", "beta.txt"});
    ASSERT_EQ(items.size(), 2u);
    ouvrir();
    ZEVInspectView* p = icons()->inspectViewIfBuilt();
    ZEVItemView* alpha = viewTitled(QStringLiteral("alpha.txt"));
    ASSERT_NE(alpha, nullptr);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, onScreen(alpha->itemImageView()->sceneBoundingRect()));
    pump();
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[0]});
    ASSERT_FALSE(icons()->siFirstResponder()) << "the desk, not the panel, has the keys";

    // The Edit menu's items at Now (Recall, Retain, Release, Forget), each enabled or not, against
    // the panel's buttons; and the Recall item's title.
    auto buttonsFollowTheEditMenu = [&](const QString& recallTitle) {
        QMenu* edit = openMenu(KELMainMenu::kMenuEdit);
        ASSERT_NE(edit, nullptr);
        const std::pair<long, ZEVButton*> pairs[] = {
            {6, p->btnRecall()}, {65, p->btnRetain()}, {62, p->btnRelease()}, {63, p->btnForget()}};
        for (const auto& [tag, button] : pairs) {
            QAction* a = menuItemTagged(edit, tag);
            ASSERT_NE(a, nullptr) << tag;
            EXPECT_EQ(button->isEnabled(), a->isEnabled()) << "item " << tag << " " << a->text().toStdString();
        }
        EXPECT_EQ(menuItemTagged(edit, 6)->text(), recallTitle);
        edit->close();
        pump();
    };
    ASSERT_NO_FATAL_FAILURE(buttonsFollowTheEditMenu(QStringLiteral("Recall")));
    EXPECT_TRUE(p->btnRelease()->isEnabled());

    const KELDate t = space()->nowCurseur()->now();
    chooseMenuItem(KELMainMenu::kMenuEdit, 62);
    advance(1.0);
    const Rows r = linksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(std::stod(r.at(0, 2)), t, 0.5) << "Edit ▸ Release ended its icon at Now";
    EXPECT_TRUE(p->btnRecall()->isEnabled());
    EXPECT_FALSE(p->btnRelease()->isEnabled());
    ASSERT_NO_FATAL_FAILURE(buttonsFollowTheEditMenu(QStringLiteral("Recall 1 Object")));

    advance(10.0);
    chooseMenuItem(KELMainMenu::kMenuEdit, 6);
    advance(1.0);
    ASSERT_EQ(linksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true).size(), 2u) << "back on the desk";
    EXPECT_FALSE(p->btnRecall()->isEnabled());
    EXPECT_TRUE(p->btnRelease()->isEnabled());
    ASSERT_NO_FATAL_FAILURE(buttonsFollowTheEditMenu(QStringLiteral("Recall")));

    // Delete on the desk releases the selection again; Return recalls it.
    advance(10.0);
    key(Qt::Key_Delete);
    advance(1.0);
    ASSERT_EQ(liveLinksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true), 2);
    EXPECT_TRUE(p->btnRecall()->isEnabled());
    EXPECT_FALSE(p->btnForget()->isEnabled());
    ASSERT_NO_FATAL_FAILURE(buttonsFollowTheEditMenu(QStringLiteral("Recall 1 Object")));
    advance(10.0);
    key(Qt::Key_Return);
    advance(1.0);
    EXPECT_FALSE(p->btnRetain()->isEnabled());
    EXPECT_TRUE(p->btnForget()->isEnabled());
    ASSERT_NO_FATAL_FAILURE(buttonsFollowTheEditMenu(QStringLiteral("Recall")));
}

// The Go To menu of the panel's arrows ticks the change kinds the steps of the same Objects stop
// at: appearances, disappearances, size and position changes, not title changes, at first. A kind
// clicked off there is kept, shows unticked, and the steps pass over its changes. The menu leaves
// the arrows as they were.
TEST_F(IconsPanel, TheGoToMenusTicksChooseTheKindsOfChangeTheStepsStopAt)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"alpha.txt", "beta.txt"});
    ASSERT_EQ(items.size(), 2u);
    ouvrir();
    ZEVDeskClass* desk = space()->deskClassForCurseur(space()->nowCurseur());
    ASSERT_NE(desk, nullptr);
    // Alpha's icon moved a minute later, beta's released a minute after that.
    advance(60.0);
    const KELDate moved = space()->nowCurseur()->now();
    ZEVIconPosition place = desk->rectCurseurForItem(items[0]);
    place.x += 40;
    desk->creerIconAttributsForItem(items[0], place);
    advance(60.0);
    desk->releaseIconForItem(items[1]);
    advance(60.0);

    ZEVInspectView* p = icons()->inspectViewIfBuilt();
    auto goTo = [&]() -> QMenu* {
        QWidget* arrow = p->btnGotoPrevious();
        const QPoint at = arrow->mapTo(window(), arrow->rect().center());
        QTest::mouseMove(window()->windowHandle(), at);
        QTest::mouseClick(window()->windowHandle(), Qt::RightButton, {}, at);
        return shownPopupMenu();
    };
    // An arrow still lit from a step stays lit through the menu, the other stays off.
    p->btnGotoNext()->setState(kZEVStateOn);
    QMenu* m = goTo();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(p->btnGotoPrevious()->state(), kZEVStateOff);
    EXPECT_EQ(p->btnGotoNext()->state(), kZEVStateOn);
    const std::pair<const char*, bool> kinds[] = {{"Appearances", true},   {"Disappearances", true},
                                                  {"Title Changes", false}, {"Size Changes", true},
                                                  {"Position Changes", true}};
    for (long tag = 1; tag <= 5; ++tag) {
        QAction* a = menuItemTagged(m, tag);
        ASSERT_NE(a, nullptr) << tag;
        EXPECT_EQ(a->text(), QString::fromLatin1(kinds[tag - 1].first));
        EXPECT_TRUE(a->isEnabled());
        EXPECT_EQ(a->isChecked(), kinds[tag - 1].second) << kinds[tag - 1].first;
    }
    chooseInMenu(m, menuItemTagged(m, 2));
    advance(0.2);
    EXPECT_EQ(values->values(QStringLiteral("ZEVGotoReleaseObjectChanges")).toBool(), false);
    m = goTo();
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(menuItemTagged(m, 2)->isChecked());
    EXPECT_TRUE(menuItemTagged(m, 5)->isChecked());
    m->close();
    pump();
    EXPECT_EQ(p->btnGotoNext()->state(), kZEVStateOn);
    EXPECT_EQ(p->btnGotoPrevious()->state(), kZEVStateOff);

    // Without disappearances the step back passes over beta's release to alpha's move.
    previousChangeGoesJustBefore(moved);
}

// The disk fills up while an Object the Files panel holds is removed from the desks, at its icon
// link after its places were forgotten: the store keeps none of it, and the icon stays on the desk
// where it was, instead of standing in the store without its place.
TEST_F(IconsPanel, RemoveTheDiskCannotFinishLeavesTheIconAndItsPlace)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = placedWithRowsSelected({"held.txt"}, {0}, 1);
    ASSERT_EQ(items.size(), 1u);
    KELI* o = items[0];
    const KELId id = o->idInt();
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        removeFromTheObjectMenu();
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(liveLinksAround(id, KELRELATION_ICON_VIEWER, true), 1);
    for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S})
        EXPECT_EQ(liveLinksAround(id, rel, false), 1) << "the icon lost its place " << rel;
    EXPECT_NE(nowDesk()->itemViewForItem(o), nullptr) << "its view left the desk";
    advance(1.0);
    EXPECT_GE(rowOf(o), 0);
}

// Two Objects removed from the desks together as the disk fills up at the second, which no other
// panel holds: the store keeps none of it, and both icons stay where they were, the first's with
// its place, instead of the first taken off the desks alone.
TEST_F(IconsPanel, ARemoveOfTwoObjectsTheDiskCannotFinishLeavesBothIcons)
{
    startWithTheBar();
    alerts.clear();
    const std::vector<KELI*> items = placedWithRowsSelected({"held.txt", "free.txt"}, {0, 1}, 1);
    ASSERT_EQ(items.size(), 2u);
    {
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_ITEM_TITLE) +
                          " AND NEW.PARENT_ZEVLET = " + items[1]->idTxt());
        chooseObjectMenuItem(13, "Remove 2 Objects");
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* o : items) {
        const KELId id = o->idInt();
        EXPECT_EQ(liveLinksAround(id, KELRELATION_ICON_VIEWER, true), 1) << id << " taken off the desks alone";
        for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S})
            EXPECT_EQ(liveLinksAround(id, rel, false), 1) << id << " lost its place " << rel;
        EXPECT_EQ(liveLinksAround(id, KELRELATION_ITEM_TITLE, false), 1);
        EXPECT_NE(nowDesk()->itemViewForItem(o), nullptr) << id << ": its view left the desk";
    }
    advance(1.0);
    EXPECT_GE(rowOf(items[0]), 0);
    EXPECT_GE(rowOf(items[1]), 0);
}

TEST_F(IconsPanel, DeleteInTheTableReleasesTheIconAtNowAndErasesNothing)
{
    startWithTheBar();
    const std::vector<KELI*> items = placedWithRowsSelected({"alpha.txt", "beta.txt"}, {0});
    ASSERT_EQ(items.size(), 2u);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    advance(30.0);
    const KELDate t = space()->nowCurseur()->now();
    QTest::keyClick(table(), Qt::Key_Delete);
    advance(1.0);
    const Rows r = linksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(std::stod(r.at(0, 2)), t, 0.5) << "its icon link ends at Now";
    EXPECT_EQ(liveLinksAround(items[0]->idInt(), KELRELATION_ITEM_TITLE, false), 1) << "the Object stays";
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(items[0]->idInt(), space()->nowCurseur())));
    const Rows autre = linksAround(items[1]->idInt(), KELRELATION_ICON_VIEWER, true);
    ASSERT_EQ(autre.size(), 1u);
    EXPECT_GE(std::stod(autre.at(0, 2)), 4503599627370496.0) << "the other icon stays";

    // Return in the table recalls the desk's selection it still shows: the icon is back from Now.
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[0]});
    ASSERT_TRUE(icons()->siFirstResponder());
    advance(10.0);
    const KELDate retour = space()->nowCurseur()->now();
    QTest::keyClick(table(), Qt::Key_Return);
    advance(1.0);
    const Rows deux = linksAround(items[0]->idInt(), KELRELATION_ICON_VIEWER, true);
    ASSERT_EQ(deux.size(), 2u);
    const std::size_t dernier = std::stod(deux.at(1, 1)) > std::stod(deux.at(0, 1)) ? 1 : 0;
    EXPECT_NEAR(std::stod(deux.at(dernier, 1)), retour, 0.5);
    EXPECT_GE(std::stod(deux.at(dernier, 2)), 4503599627370496.0);
    EXPECT_NE(nowDesk()->itemViewForItem(items[0]), nullptr) << "it lies on the desk again";
}

TEST_F(IconsPanel, PreviousChangeInTheSameSpaceGoesJustBeforeTheChannelsLastIconChange)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"first.txt", "last.txt"});
    ASSERT_EQ(items.size(), 2u);
    // Another Channel's later change is not this Space's.
    KELI* canal = nullptr;
    KELI* loin = elsewhere(canal);
    ASSERT_NE(loin, nullptr);
    advance(60.0);
    const Rows r = linksAround(items[1]->idInt(), KELRELATION_ICON_VIEWER, true);
    ASSERT_EQ(r.size(), 1u);
    KELDate derniere = -1e300;
    for (KELI* o : items)
        for (KELId l : KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(o->idInt(), KELRELATION_ICON_VIEWER)
                           .value_or(std::vector<KELId>()))
            derniere = std::max(derniere, KELServeurDeLiens::InDateForLienNum(l));
    previousChangeGoesJustBefore(derniere);
}

TEST_F(IconsPanel, TheToolbarsFindMenuSelectsTheDesksFilesAndMailsByKind)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"note.txt", "letter.eml", "SHOUT.EML"});
    ASSERT_EQ(items.size(), 3u);
    ZEVButton* find = front()->toolbar()->button(QStringLiteral("searchButton"));
    ASSERT_TRUE(find && find->isVisible());
    auto choisir = [&](long tag, Qt::KeyboardModifiers touches = {}) {
        QTest::mousePress(find, Qt::LeftButton, {}, find->rect().center());
        advance(0.05);
        QTest::mouseRelease(find, Qt::LeftButton, {}, find->rect().center());
        auto* menu = shownPopupMenu();
        ASSERT_NE(menu, nullptr);
        QAction* a = nullptr;
        for (QAction* x : menu->actions())
            if (x->property("tag").toLongLong() == tag)
                a = x;
        ASSERT_NE(a, nullptr);
        QTest::mouseClick(menu, Qt::LeftButton, touches, menu->actionGeometry(a).center());
        pump();
    };
    auto tri = [](std::vector<KELI*> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    ZEVSelections& sel = space()->selections();
    choisir(22022);
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[1]}) << "a mail by its exact extension";
    choisir(22020);
    EXPECT_EQ(tri(sel.selectedIconItems()), tri({items[0], items[2]})) << "\"EML\" is a file";
    choisir(22021);
    EXPECT_TRUE(sel.selectedIconItems().empty()) << "no contact: the selection empties";

    // The keys held as the find is chosen: Ctrl adds, Ctrl-Shift removes, Ctrl-Alt intersects.
    choisir(22022);
    choisir(22020, Qt::ControlModifier);
    EXPECT_EQ(tri(sel.selectedIconItems()), tri(items)) << "the files added to the mail";
    choisir(22022, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tri(sel.selectedIconItems()), tri({items[0], items[2]})) << "the mail taken out";
    sel.selectIconForItemSet({items[0], items[1]}, nullptr);
    choisir(22020, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[0]}) << "only what is both selected and a file";
    choisir(22021, Qt::ControlModifier);
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[0]}) << "adding nothing keeps the selection";
}

TEST_F(IconsPanel, CopyGivesAWebObjectsLocationFileRowsLeaveOnlyFromTheIconColumnAndPasteAddsNothing)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"note.txt"});
    ASSERT_EQ(items.size(), 1u);
    // The page comes from the test's own server: nothing leaves the machine.
    tallomer::test::LocalHttpServer server;
    server.route("/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/today").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(400, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.5);
    KELI* web = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemType() == QStringLiteral("http"))
            web = v->item();
    ASSERT_NE(web, nullptr);
    space()->selections().deselectAllIcons();
    advance(1.0);
    ouvrir();

    clickRow(web);
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    ASSERT_EQ(copied->urls().size(), 1);
    const QString webloc = copied->urls().front().toLocalFile();
    EXPECT_TRUE(webloc.endsWith(".webloc")) << webloc.toStdString();
    QFile f(webloc);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(server.url("/today").toString().toUtf8())) << "the location file holds the address";

    // Rows out: from the icon column only, a file as its URL, a web Object as its location file.
    ZEVInspectDrag& drag = icons()->model().drag();
    QMimeData out;
    EXPECT_FALSE(drag.writeRowsForDrag(*table(), {rowOf(items[0])}, 5, &out)) << "the title column gives nothing";
    ASSERT_TRUE(drag.writeRowsForDrag(*table(), {rowOf(items[0]), rowOf(web)}, 4, &out));
    ASSERT_EQ(out.urls().size(), 2);
    EXPECT_EQ(out.urls()[0].toLocalFile(), home + "/note.txt");
    EXPECT_TRUE(out.urls()[1].toLocalFile().endsWith(".webloc"));

    // Paste in the focused table: nothing comes in.
    const std::size_t avant = sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = " +
                                                  std::to_string(KELRELATION_ICON_VIEWER)).size();
    auto more = std::make_unique<QMimeData>();
    more->setText(server.url("/today").toString() + "?again");
    QGuiApplication::clipboard()->setMimeData(more.release());
    clickRow(items[0]);
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.5);
    EXPECT_EQ(sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = " + std::to_string(KELRELATION_ICON_VIEWER))
                  .size(),
              avant);
    EXPECT_EQ(table()->numberOfRows(), 2);
}

TEST_F(IconsPanel, ALinkHandleDroppedOnARowLinksTheDesksSelectionToIt)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"from.txt", "to.txt"});
    ASSERT_EQ(items.size(), 2u);
    ouvrir();
    space()->selections().selectIconForItem(items[0]);
    advance(0.5);
    const int row = rowOf(items[1]);
    ASSERT_GE(row, 0);
    const QPoint at = titlePoint(row);
    QMimeData handle;
    handle.setData(kZEVItemDragViewMime, "1");
    ZEVInspectDrag& drag = icons()->model().drag();
    QDragEnterEvent enter(at, Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(drag.draggingEntered(&enter, *table()), Qt::LinkAction);
    QDragMoveEvent over(at, Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    drag.draggingUpdated(&over, *table());
    EXPECT_TRUE(drag.siDropedItem(items[1])) << "the row under the handle is marked";
    QDropEvent drop(QPointF(at), Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(drag.performDragOperation(&drop, *table()));
    advance(1.0);
    const Rows l = sql(database(), "SELECT PARENT_ZEVLET, CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = " +
                                       std::to_string(KELRELATION_LINK_VIEWER));
    ASSERT_EQ(l.size(), 1u) << "one link";
    const std::set<std::string> bouts{l.at(0, 0), l.at(0, 1)};
    EXPECT_EQ(bouts, (std::set<std::string>{std::to_string(items[0]->idInt()), std::to_string(items[1]->idInt())}));

    // A file from another program is refused: the panel imports nothing.
    QMimeData fichier;
    fichier.setUrls({QUrl::fromLocalFile(home + "/from.txt")});
    QDragEnterEvent autre(at, Qt::CopyAction, &fichier, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(drag.draggingEntered(&autre, *table()), Qt::IgnoreAction);
    drag.draggingExited(*table());
}

TEST_F(IconsPanel, WhileThePreviewShowsTheFocusedPanelsSelectionIsWhatItPreviews)
{
    startWithTheBar();
    const std::vector<KELI*> items = placedWithRowsSelected({"first.txt", "second.txt"}, {0});
    ASSERT_EQ(items.size(), 2u);
    icons()->userToggleQL(true);
    pump();
    ASSERT_TRUE(pumpUntil([&] { return window()->siPreviewPanelVisible(); }));
    ZEVPreviewWindow* w = window()->preview().window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "first.txt");
    clickRow(items[1]);
    advance(0.5);
    EXPECT_TRUE(pumpUntil([&] { return w->windowTitle() == "second.txt"; }))
        << "the preview follows the row clicked, not the desk's view: " << w->windowTitle().toStdString();
}

TEST_F(IconsPanel, TheRowMenusAddOpensAddDocumentsInTheFolderOfTheRowsFile)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"papers/report.txt", "notes.txt"});
    ASSERT_EQ(items.size(), 2u);
    ouvrir();
    const int row = rowOf(items[0]);
    ASSERT_GE(row, 0);
    QTest::mousePress(table()->viewport(), Qt::RightButton, {}, titlePoint(row));
    auto* menu = shownPopupMenu();
    ASSERT_NE(menu, nullptr) << "the row menu";
    QAction* add = ZEVMenuItemWithTag(menu, ZEVRowTagAdd);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->text(), QStringLiteral("Add Documents\u2026"));
    chooseInMenu(menu, add);
    ZEVFrontAddPanel* panel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<ZEVFrontAddPanel*>(w); p && p->isVisible())
            panel = p;
    ASSERT_NE(panel, nullptr) << "no Add Documents panel";
    EXPECT_EQ(QDir::cleanPath(panel->directory().absolutePath()).toStdString(), QDir::cleanPath(home + "/papers").toStdString())
        << "it opens where the row's file lies";
    panel->reject();
    pump();

    // A row of another Channel: its file is that Channel's record.
    KELI* canal = nullptr;
    KELI* loin = elsewhere(canal);
    ASSERT_NE(loin, nullptr);
    QDir().mkpath(home + "/far");
    QFile f(home + "/far/far.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("far");
    f.close();
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canal->idInt()));
    ASSERT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(canal->idInt())->createFileURL(f.fileName(), QUrl(), loin));
    advance(1.0);
    const int autre = rowOf(loin);
    ASSERT_GE(autre, 0);
    QTest::mousePress(table()->viewport(), Qt::RightButton, {}, titlePoint(autre));
    menu = shownPopupMenu();
    ASSERT_NE(menu, nullptr);
    chooseInMenu(menu, ZEVMenuItemWithTag(menu, ZEVRowTagAdd));
    panel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<ZEVFrontAddPanel*>(w); p && p->isVisible())
            panel = p;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(QDir::cleanPath(panel->directory().absolutePath()).toStdString(), QDir::cleanPath(home + "/far").toStdString())
        << "its own Channel's record gives the folder";
    panel->reject();
    pump();
}

TEST_F(IconsPanel, AnotherChannelsObjectIsCopiedWithItsOwnChannel)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"here.txt"});
    ASSERT_EQ(items.size(), 1u);
    KELI* canal = nullptr;
    KELI* loin = elsewhere(canal, "message");
    ASSERT_NE(loin, nullptr);
    advance(1.0);
    ouvrir();
    const int row = rowOf(loin);
    ASSERT_GE(row, 0);
    clickRow(loin);
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    ASSERT_TRUE(copied->hasFormat(QString::fromLatin1(kItemPasteboardType)));
    const std::vector<ZEVItemPB> records = ZEVItemPB::unarchive(copied->data(QString::fromLatin1(kItemPasteboardType)));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].itemInt(), loin->idInt());
    EXPECT_EQ(records[0].channelInt(), canal->idInt()) << "its own Channel, not the one shown";
    EXPECT_NE(canal->idInt(), space()->currentChannelInt());
}

} // namespace
} // namespace e2e
