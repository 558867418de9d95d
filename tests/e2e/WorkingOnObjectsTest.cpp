// Working on the Objects of the desk in the running program: dragging an icon, turning the wheel
// over it and typing the arrows store its place and size, each series once; Escape during a drag
// takes the icon back and stores nothing. A move or a new title that the disk, filling up, cannot
// store whole leaves the old place or title, in the store and on the desk.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "app/menu/KELMainMenu.h"

#include "engine/KELICurseur.h"
#include "objects/view/ZEVItemView.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

namespace e2e {
namespace {

constexpr KELId kX = 1000192;
constexpr KELId kY = 1000197;
constexpr KELId kS = 1000202;

class WorkingOnObjects : public E2E {
protected:
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }

    ZEVItemViewForDesks* placeOneFile()
    {
        QFile f(home + "/note.txt");
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("note");
        f.close();
        addFiles({f.fileName()}, 1.5);
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->itemTitle() == QStringLiteral("note.txt"))
                return v;
        ADD_FAILURE() << "the file has no icon on the Now desk";
        return nullptr;
    }

    // The value of an Object's place or size now, as stored (desk units), and how many values it
    // ever had.
    double stored(KELI* item, KELId relation) const
    {
        const std::string now = QString::number(clock.now(), 'f', 3).toStdString();
        const Rows r = sql(database(), "SELECT n.NUMBER FROM ZEVLETS l JOIN NUMBER n ON n.ZEVLET_ID = l.CHILD_ZEVLET "
                                       "WHERE l.PARENT_ZEVLET = " + std::to_string(item->idInt()) +
                                           " AND l.RELATION = " + std::to_string(relation) + " AND l.DATE_IN <= " +
                                           now + " AND l.DATE_OUT > " + now);
        EXPECT_EQ(r.size(), 1u) << "relation " << relation;
        return r.empty() ? NAN : std::stod(r.at(0, 0));
    }
    std::size_t values(KELI* item, KELId relation) const
    {
        return sql(database(), "SELECT 1 FROM ZEVLETS WHERE PARENT_ZEVLET = " + std::to_string(item->idInt()) +
                                   " AND RELATION = " + std::to_string(relation))
            .size();
    }

    void click(const QPointF& p)
    {
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(p));
        pump();
    }
    void wheel(const QPointF& p, int notches)
    {
        const QPoint w = at(p);
        QWheelEvent e(w, canvas()->mapToGlobal(w), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas(), &e);
        pump();
    }
    const ZEVDeskGeometry& geometry() const { return space()->deskGeometry(); }

    // The Search cursor taken to a moment, as a ruler gesture takes it; Search is then active.
    void searchAt(double date)
    {
        ZEVRulerViewerServices* ruler = space()->rulerViewer();
        KELICurseur* search = space()->searchCurseur();
        ASSERT_TRUE(ruler->userChangeActifCurseur(search));
        ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
        search->decalerCurseur(date - search->now());
        ruler->userTermineDeplacementCurseur();
        advance(1.5);
    }

    // The program's drags replayed over the canvas: in where it starts, along, and dropped at `to`.
    void replayDragsTo(QPoint from, QPoint to)
    {
        ZEVItemView::setDragRunner([this, from, to](QMimeData* data, const QImage&, ZEVItemView*) {
            std::unique_ptr<QMimeData> owned(data);
            carried.push_back(data->formats());
            const Qt::DropActions offered = Qt::CopyAction | Qt::LinkAction;
            QDragEnterEvent enter(from, offered, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas(), &enter);
            QDragMoveEvent move(to, offered, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas(), &move);
            QDropEvent drop(QPointF(to), offered, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas(), &drop);
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        });
    }
    void TearDown() override
    {
        ZEVItemView::setDragRunner({});
        E2E::TearDown();
    }
    std::size_t copiesShown() const
    {
        std::size_t n = 0;
        for (QGraphicsItem* i : window()->spaceView()->deskCanvas()->scene()->items())
            n += dynamic_cast<ZEVItemViewCopy*>(i) != nullptr;
        return n;
    }

    std::vector<QStringList> carried;
};

TEST_F(WorkingOnObjects, DraggingAnIconStoresItsNewPlaceFromNow)
{
    start();
    ZEVItemViewForDesks* v = placeOneFile();
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const ZEVIconPosition before = v->iconPosition();
    const std::size_t xs = values(item, kX);

    const QPointF from = v->imageFrame().center();
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(canvas(), at(from + QPointF(30 * i, 20 * i)));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(from + QPointF(120, 80)));
    pump();
    advance(1.2);

    EXPECT_NEAR(v->iconPosition().x, before.x + 120, 1);
    EXPECT_NEAR(v->iconPosition().y, before.y + 80, 1);
    EXPECT_NEAR(geometry().xForBaseNum(float(stored(item, kX))), before.x + 120, 1);
    EXPECT_NEAR(geometry().yForBaseNum(float(stored(item, kY))), before.y + 80, 1);
    EXPECT_EQ(values(item, kX), xs + 1) << "one move, one new place";
    EXPECT_TRUE(v->siItemViewAccepteMaj()) << "the view follows the store again";
}

// The disk fills up between the new X and the new Y of a dragged icon: the store keeps neither,
// nor the end of the old places, and the icon goes back where it was stored.
TEST_F(WorkingOnObjects, AnIconDraggedAsTheDiskFillsUpKeepsItsPlaceInTheStoreAndOnTheDesk)
{
    start();
    alerts.clear();
    ZEVItemViewForDesks* v = placeOneFile();
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const ZEVIconPosition before = v->iconPosition();
    const double x = stored(item, kX), y = stored(item, kY);
    const std::size_t xs = values(item, kX);
    const QPointF from = v->imageFrame().center();
    {
        FullLinkBase full(kY);
        QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(canvas(), at(from + QPointF(30 * i, 20 * i)));
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(from + QPointF(120, 80)));
        pump();
        advance(1.2);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(values(item, kX), xs) << "the new X was stored without the new Y";
    EXPECT_EQ(stored(item, kX), x) << "the old X was ended";
    EXPECT_EQ(stored(item, kY), y);
    EXPECT_NEAR(v->iconPosition().x, before.x, 0.5) << "the desk shows a place the store does not hold";
    EXPECT_NEAR(v->iconPosition().y, before.y, 0.5);
}

// A title typed when the disk has no room for it: the Object keeps its old title from now on,
// in the store and under its icon, instead of losing it.
TEST_F(WorkingOnObjects, ATitleTheDiskHasNoRoomForLeavesTheOldTitle)
{
    start();
    alerts.clear();
    ZEVItemViewForDesks* v = placeOneFile();
    auto* view = dynamic_cast<ZEVItemView*>(v);
    ASSERT_NE(view, nullptr);
    // The titles that hold from now on (an hour on, past the cursor's own now).
    const auto titlesNow = [&] {
        const std::string later = QString::number(clock.now() + 3600, 'f', 3).toStdString();
        return sql(database(), "SELECT w.WORD FROM ZEVLETS l JOIN WORD w ON w.ZEVLET_ID = l.CHILD_ZEVLET WHERE "
                               "l.RELATION = 1000217 AND l.PARENT_ZEVLET = " + v->item()->idTxt() +
                                   " AND l.DATE_IN <= " + later + " AND l.DATE_OUT > " + later);
    };
    click(v->imageFrame().center());
    chooseMenuItemTitled(KELMainMenu::kMenuObject, QStringLiteral("Edit Title"));
    pump();
    QLineEdit* editor = view->titleEditor();
    ASSERT_NE(editor, nullptr);
    {
        FullLinkBase full(1000217);
        QTest::keyClicks(editor, QStringLiteral("Plans"));
        QTest::keyClick(editor, Qt::Key_Return);
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    const Rows kept = titlesNow();
    ASSERT_EQ(kept.size(), 1u) << "the Object was left without a title";
    EXPECT_EQ(kept.at(0, 0), "note.txt");
    EXPECT_EQ(v->itemTitle(), QStringLiteral("note.txt"));
}

TEST_F(WorkingOnObjects, TheWheelOverASelectedIconStoresOneSizeHalfASecondAfterTheLastTurn)
{
    start();
    ZEVItemViewForDesks* v = placeOneFile();
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    click(v->imageFrame().center());
    ASSERT_TRUE(space()->selections().isIconSelectedForItem(item)) << "a click selects the icon";
    const double size = v->iconPosition().size;
    const double s0 = stored(item, kS);
    const std::size_t ss = values(item, kS);

    for (int i = 0; i < 10; ++i) {
        wheel(v->imageFrame().center(), 2);
        advance(0.1);
    }
    EXPECT_NEAR(v->iconPosition().size, size * std::pow(1.01, 10), 0.5) << "0.5 % per line, two lines a notch";
    advance(0.3);
    EXPECT_EQ(stored(item, kS), s0) << "nothing stored while the wheel still turns";
    advance(0.3);
    EXPECT_EQ(values(item, kS), ss + 1) << "one store for the whole turn";
    EXPECT_NEAR(geometry().sForBaseNum(float(stored(item, kS))), size * std::pow(1.01, 10), 1);
}

TEST_F(WorkingOnObjects, ArrowsMoveTheSelectedIconOnTheGridAndStoreTheSeriesOnce)
{
    start();
    ZEVItemViewForDesks* v = placeOneFile();
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    click(v->imageFrame().center());
    ASSERT_TRUE(space()->selections().isIconSelectedForItem(item));
    const double x0 = stored(item, kX);
    const double y0 = stored(item, kY);
    const std::size_t xs = values(item, kX);

    key(Qt::Key_Right);
    advance(0.3);
    key(Qt::Key_Right);
    advance(0.3);
    EXPECT_EQ(stored(item, kX), x0) << "the series is still going";
    key(Qt::Key_Up, Qt::ShiftModifier);
    advance(0.7);

    EXPECT_EQ(stored(item, kX), std::round(x0 / 200) * 200 + 400) << "onto the raster, then two steps of 200";
    EXPECT_EQ(stored(item, kY), std::round(y0 / 200) * 200 + 400) << "Shift steps 400";
    EXPECT_EQ(values(item, kX), xs + 1) << "three presses, one store";
}

TEST_F(WorkingOnObjects, EscapeDuringADragTakesTheIconBackAndStoresNothing)
{
    start();
    ZEVItemViewForDesks* v = placeOneFile();
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const ZEVIconPosition before = v->iconPosition();
    const std::size_t xs = values(item, kX);

    const QPointF from = v->imageFrame().center();
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    QTest::mouseMove(canvas(), at(from + QPointF(40, 40)));
    QTest::mouseMove(canvas(), at(from + QPointF(90, 60)));
    pump();
    ASSERT_NEAR(v->iconPosition().x, before.x + 90, 1) << "the icon follows the pointer";
    key(Qt::Key_Escape);
    advance(0.4);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(from + QPointF(90, 60)));
    pump();
    advance(1.0);

    EXPECT_NEAR(v->iconPosition().x, before.x, 0.5);
    EXPECT_NEAR(v->iconPosition().y, before.y, 0.5);
    EXPECT_EQ(values(item, kX), xs) << "nothing stored";
}

TEST_F(WorkingOnObjects, ALongPressOnASearchDeskIconDroppedOnTheDeskRecallsItAtNow)
{
    start();
    ZEVItemViewForDesks* atNow = placeOneFile();
    ASSERT_NE(atNow, nullptr);
    KELI* item = atNow->item();
    const double placed = clock.now();
    advance(120);
    // Gone from the desk since a minute ago; the Search cursor goes back to when it was there.
    space()->itemViewerForCurseur(space()->nowCurseur())->userReleaseIconForItem(item);
    advance(60);
    searchAt(placed + 60);
    KELICurseur* search = space()->searchCurseur();
    ASSERT_EQ(space()->actifCurseur(), search);
    ZEVItemViewForDesks* v = desk(search)->itemViewForItem(item);
    ASSERT_TRUE(v && !v->isHidden()) << "the Search desk shows the icon";
    ASSERT_EQ(iconLinks(std::to_string(item->idInt())).size(), 1u);

    const QPointF from = v->imageFrame().center();
    const QPoint to = at(from + QPointF(100, 0));
    replayDragsTo(at(from), to);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    advance(0.5);
    EXPECT_TRUE(carried.empty()) << "not before 0.7 s";
    advance(0.3);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
    advance(1.5);

    ASSERT_EQ(carried.size(), 1u) << "one drag";
    EXPECT_TRUE(carried[0].contains(QStringLiteral("text/uri-list"))) << "a file's drag carries its URL";
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "the drag makes Now the active cursor";
    const Rows links = iconLinks(std::to_string(item->idInt()));
    ASSERT_EQ(links.size(), 2u) << "recalled: a second presence";
    EXPECT_NEAR(std::stod(links.at(1, 0)), clock.now() - 1.5, 1.0) << "from Now on";
    ZEVItemViewForDesks* back = nowDesk()->itemViewForItem(item);
    ASSERT_TRUE(back && !back->isHidden()) << "the Now desk shows it again";
    EXPECT_NEAR(back->iconPosition().x, v->iconPosition().x + 100, 1.5) << "where its copy was dropped";
}

TEST_F(WorkingOnObjects, ACopyOfAnIconAlreadyAtNowFliesBackAndTheStoreKeepsItsPlace)
{
    start();
    ZEVItemViewForDesks* atNow = placeOneFile();
    ASSERT_NE(atNow, nullptr);
    KELI* item = atNow->item();
    const double placed = clock.now();
    const ZEVIconPosition there = atNow->iconPosition();
    advance(120);
    searchAt(placed + 60);
    ZEVItemViewForDesks* v = desk(space()->searchCurseur())->itemViewForItem(item);
    ASSERT_TRUE(v && !v->isHidden());
    const std::size_t xs = values(item, kX);

    const QPointF from = v->imageFrame().center();
    replayDragsTo(at(from), at(from + QPointF(150, 0)));
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    advance(0.75);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(from + QPointF(150, 0)));
    ASSERT_EQ(carried.size(), 1u);
    advance(0.5);
    EXPECT_EQ(copiesShown(), 1u) << "the copy flies back over the desk";
    advance(0.7);
    EXPECT_EQ(copiesShown(), 0u) << "and is gone at 1.1 s";

    EXPECT_EQ(iconLinks(std::to_string(item->idInt())).size(), 1u) << "already on the desk at Now";
    EXPECT_EQ(values(item, kX), xs) << "dragged from another desk without Ctrl: not moved";
    EXPECT_NEAR(nowDesk()->itemViewForItem(item)->iconPosition().x, there.x, 0.5);
}

} // namespace
} // namespace e2e
