// An Object's place carried from the Search desk to the Now desk lands on the very numbers the
// store held: the desk shows places in rounded points, and a copy through those points would move
// and grow the icon a little at every round trip.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVDeskClass.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontViewer.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSpaceParts.h"
#include "space/ZEVConstants.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

namespace e2e {
namespace {

class ExactPlaces : public E2E {
protected:
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // The X, Y and size numbers of the Object valid at a moment, as the store holds them (-1 where
    // not exactly one link holds one).
    std::vector<double> numbersAt(KELId item, double t) const
    {
        std::vector<double> out;
        const std::string date = QString::number(t, 'f', 3).toStdString();
        for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_Y, KELRELATION_ICON_RATIO_S}) {
            const Rows r = sql(database(), "SELECT n.NUMBER FROM ZEVLETS l JOIN NUMBER n ON n.ZEVLET_ID = l.CHILD_ZEVLET "
                                           "WHERE l.RELATION = " + std::to_string(rel) + " AND l.PARENT_ZEVLET = " +
                                               std::to_string(item) + " AND l.DATE_IN <= " + date +
                                               " AND l.DATE_OUT > " + date);
            out.push_back(r.size() == 1 ? std::stod(r.at(0, 0)) : -1);
        }
        return out;
    }
    // Placed at x 5000, y 550 and a size near 800 desk units, numbers that the desk's whole points
    // cannot show exactly at this window's scale; answers the numbers stored (none on a failure).
    std::vector<double> placeAtNumbersTheDeskCannotShow(KELI* item)
    {
        ZEVDeskClass* now = nowDesk()->deskClass();
        const ZEVDeskGeometry& g = space()->deskGeometry();
        now->updatePosition({g.xForBase(5000), g.yForBase(550), 800 / g.spaceRatioSR(), 0},
                            now->rectCurseurForItem(item), item);
        advance(1.0);
        const std::vector<double> placed = numbersAt(item->idInt(), space()->nowCurseur()->now());
        EXPECT_EQ(placed[0], 5000);
        EXPECT_EQ(placed[1], 550);
        EXPECT_NEAR(placed[2], 800, g.spaceRatioSR());
        EXPECT_NE(g.baseNumForX(g.xForBaseNum(5000)), 5000.0f) << "the window's scale would hide the fault";
        return ::testing::Test::HasFailure() ? std::vector<double>{} : placed;
    }
    // Moved elsewhere on the Now desk, then released there with the keyboard.
    void moveThenReleaseAtNow(KELI* item)
    {
        ZEVDeskClass* now = nowDesk()->deskClass();
        ZEVIconPosition elsewhere = now->rectCurseurForItem(item);
        elsewhere.x += 40;
        elsewhere.y += 30;
        elsewhere.size += 10;
        now->updatePosition(elsewhere, now->rectCurseurForItem(item), item);
        advance(1.0);
        space()->rulerViewer()->userChangeActifCurseur(space()->nowCurseur());
        advance(1.0);
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_Delete);
        advance(30.0);
        EXPECT_FALSE(now->siIconExisteForItem(item));
    }
    void searchActiveAt(KELDate date)
    {
        ZEVRulerViewerServices* r = space()->rulerViewer();
        ASSERT_TRUE(r->userChangeActifCurseur(space()->searchCurseur()));
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurEtRulerOffset(date - space()->searchCurseur()->now());
        r->userTermineDeplacementCurseur();
        advance(1.0);
    }
    // The Object view's menu on the active desk, opened by a right click on its picture, and its
    // Recall Now item chosen with the mouse.
    void recallNowFromTheObjectsMenu(KELI* item)
    {
        ZEVDeskViewer* d = desk(space()->actifCurseur());
        auto* v = dynamic_cast<ZEVItemView*>(d ? d->itemViewForItem(item) : nullptr);
        ASSERT_NE(v, nullptr);
        const QPoint p = onScreen(v->itemImageView()->sceneBoundingRect());
        QTest::mouseMove(canvas(), p);
        QTest::mouseClick(canvas(), Qt::RightButton, {}, p);
        pump();
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        QAction* recallNow = space()->itemViewerForCurseur(space()->actifCurseur())->itemMenu()->action(ZEVItemMenuSlot::RecallNow);
        ASSERT_NE(recallNow, nullptr);
        EXPECT_TRUE(recallNow->text().startsWith(QStringLiteral("Recall Now Object")));
        chooseInMenu(popup, recallNow);
        advance(1.0);
    }
};

TEST_F(ExactPlaces, RecallNowFromTheSearchDeskKeepsXYAndSizeExactlyAtEveryRoundTrip)
{
    start();
    addHomeFiles({"a.txt"});
    ZEVItemView* v = viewTitled(QStringLiteral("a.txt"));
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const KELId id = item->idInt();
    const std::vector<double> placed = placeAtNumbersTheDeskCannotShow(item);
    ASSERT_FALSE(placed.empty());
    ZEVDeskClass* now = nowDesk()->deskClass();

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const double shown = space()->nowCurseur()->now();
        advance(30.0);
        moveThenReleaseAtNow(item);
        ASSERT_NE(numbersAt(id, space()->nowCurseur()->now()), placed);
        // Recalled at Now from where the Search desk shows it.
        searchActiveAt(shown + 10);
        recallNowFromTheObjectsMenu(item);
        ASSERT_TRUE(now->siIconExisteForItem(item));
        EXPECT_EQ(numbersAt(id, space()->nowCurseur()->now()), placed);
    }
}

// A Recall Now whose place finds no room on the disk recalls nothing: the icon does not come back
// at Now on the place it had before.
TEST_F(ExactPlaces, ARecallNowWhosePlaceFindsNoRoomRecallsNothing)
{
    start();
    alerts.clear();
    addHomeFiles({"a.txt"});
    ZEVItemView* v = viewTitled(QStringLiteral("a.txt"));
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const std::vector<double> placed = placeAtNumbersTheDeskCannotShow(item);
    ASSERT_FALSE(placed.empty());
    ZEVDeskClass* now = nowDesk()->deskClass();
    const double shown = space()->nowCurseur()->now();
    advance(30.0);
    moveThenReleaseAtNow(item);
    const std::size_t icons = iconLinks(item->idTxt()).size();
    searchActiveAt(shown + 10);
    {
        FullLinkBase full(KELRELATION_ICON_RATIO_X);
        recallNowFromTheObjectsMenu(item);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_FALSE(now->siIconExisteForItem(item)) << "recalled without its place";
    EXPECT_EQ(iconLinks(item->idTxt()).size(), icons);
}

// The past Space's Objects brought to Now by Clean and Replace land on the numbers they had there.
TEST_F(ExactPlaces, CleanAndReplaceBringsThePastSpacesObjectsOnTheirExactNumbers)
{
    start();
    addHomeFiles({"a.txt"});
    ZEVItemView* v = viewTitled(QStringLiteral("a.txt"));
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const std::vector<double> placed = placeAtNumbersTheDeskCannotShow(item);
    ASSERT_FALSE(placed.empty());
    const double shown = space()->nowCurseur()->now();
    advance(30.0);
    moveThenReleaseAtNow(item);

    searchActiveAt(shown + 10);
    alertAnswer = 0; // Yes to the replacement
    chooseMenuItem(KELMainMenu::kMenuSpaces, 43);
    for (int i = 0; i < 60 && front()->siTransitionRunning(); ++i)
        advance(0.5);
    ASSERT_FALSE(front()->siTransitionRunning());
    ASSERT_TRUE(nowDesk()->deskClass()->siIconExisteForItem(item));
    EXPECT_EQ(numbersAt(item->idInt(), space()->nowCurseur()->now()), placed);
}

// Clean and Replace when the disk has room to bring back one of the past Space's two Objects only:
// neither comes back, instead of half the past Space at Now.
TEST_F(ExactPlaces, CleanAndReplaceTheDiskCannotFinishBringsBackNoneOfThePastSpacesObjects)
{
    start();
    alerts.clear();
    addHomeFiles({"a.txt", "b.txt"});
    ZEVItemView* a = viewTitled(QStringLiteral("a.txt"));
    ZEVItemView* b = viewTitled(QStringLiteral("b.txt"));
    ASSERT_TRUE(a && b);
    const double shown = space()->nowCurseur()->now();
    advance(30.0);
    // Both released at Now: the past Space holds them, the present one not.
    moveThenReleaseAtNow(a->item());
    ZEVDeskClass* now = nowDesk()->deskClass();
    ASSERT_FALSE(now->siIconExisteForItem(b->item()));
    searchActiveAt(shown + 10);
    alertAnswer = 0; // Yes to the replacement
    {
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_ICON_VIEWER) +
                          " AND NEW.CHILD_ZEVLET = " + b->item()->idTxt());
        chooseMenuItem(KELMainMenu::kMenuSpaces, 43);
        for (int i = 0; i < 60 && front()->siTransitionRunning(); ++i)
            advance(0.5);
    }
    ASSERT_FALSE(front()->siTransitionRunning());
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, QStringLiteral("Your changes could not be saved."));
    EXPECT_FALSE(now->siIconExisteForItem(a->item())) << "half the past Space came back";
    EXPECT_FALSE(now->siIconExisteForItem(b->item()));
}

} // namespace
} // namespace e2e
