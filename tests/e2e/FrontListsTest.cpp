// The front's Objects list in the running program: a lasso's Objects become its rows, Copy in the
// list puts their files on the clipboard in row order, and its type-select selects by title.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "space/ZEVConstants.h"
#include "front/ZEVFrontViewer.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSpaceParts.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "space/ZEVSelections.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace e2e {
namespace {

class FrontLists : public E2EWithSound<RecordingSound> {
protected:
    ZEVFrontViewer* front() const { return space() ? dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()) : nullptr; }
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    QPoint at(double x, double y) const { return QPoint(int(x), int(canvas()->height() - y)); }
    QString title(ZEVTableView* t, int row) const
    {
        return t->model()->data(t->model()->index(row, ZEVFrontClass::itemColumns().indexOf("title")), Qt::DisplayRole).toString();
    }

    // a.txt, b.txt and c.txt placed from the desktop, then a.txt and b.txt lasso-selected with the
    // mouse; their views in that order.
    std::vector<ZEVItemViewForDesks*> lassoTwoOfThree()
    {
        addHomeFiles({"a.txt", "b.txt", "c.txt"});
        std::vector<ZEVItemViewForDesks*> views = viewsTitled({"a.txt", "b.txt", "c.txt"});
        if (views.size() != 3u) {
            ADD_FAILURE() << "the three files were not placed";
            return {};
        }
        // The placed icons come selected: a lasso over nothing deselects them, then one over the
        // first two selects those.
        QTest::mousePress(canvas(), Qt::LeftButton, {}, at(5, 5));
        QTest::mouseMove(canvas(), at(10, 10));
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(15, 15));
        pump();
        EXPECT_TRUE(space()->selections().selectedIconItems().empty());
        const QRectF two = views[0]->imageFrame().united(views[1]->imageFrame());
        EXPECT_FALSE(two.adjusted(-4, -4, 4, 4).intersects(views[2]->imageFrame()));
        const QPoint from = at(two.left() - 4, two.bottom() + 4);
        const QPoint to = at(two.right() + 4, two.top() - 4);
        QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas(), (from + to) / 2);
        QTest::mouseMove(canvas(), to);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
        pump();
        EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u);
        return views;
    }
    // The list shown (as the header views show it in the tracks) and given the keyboard.
    void focusList(ZEVTableView* list)
    {
        list->resize(600, 200);
        list->show();
        list->setFocus(Qt::OtherFocusReason);
        pump();
    }
    int row(ZEVTableView* list, const QString& name)
    {
        for (int r = 0; r < list->numberOfRows(); ++r)
            if (title(list, r) == name)
                return r;
        return -1;
    }
};

TEST_F(FrontLists, ALassoFillsTheObjectsListWhoseCopyAndTypeSelectWorkOnTheDesk)
{
    start();
    ZEVFrontViewer* f = front();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->frontClass(), nullptr) << "the front viewer makes the front class";
    ZEVTableView* list = f->selectionItemTableView();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->zevClass(), f->frontClass());
    EXPECT_EQ(adapter()->deskServices()->frontSelectionTable(), static_cast<ZEVLegoSource*>(list))
        << "the desks' intervals are dragged from the Objects list";

    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 2u);

    // The list holds the two, titles bold (on the desk now), one interval each.
    ASSERT_EQ(list->numberOfRows(), 2);
    QStringList titles{title(list, 0), title(list, 1)};
    titles.sort();
    EXPECT_EQ(titles, QStringList({"a.txt", "b.txt"}));
    const int titleColumn = ZEVFrontClass::itemColumns().indexOf("title");
    for (int row = 0; row < 2; ++row) {
        const QVariant font = list->model()->data(list->model()->index(row, titleColumn), Qt::FontRole);
        EXPECT_TRUE(font.value<QFont>().bold()) << "row " << row;
        EXPECT_EQ(f->frontClass()->legosForRow(*list, row).size(), 1u) << "row " << row;
    }
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 2) << "the desk's selection selects the rows";

    focusList(list);
    ASSERT_EQ(window()->focusWidget(), list);
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    const QList<QUrl> urls = copied->urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(QFileInfo(urls[0].toLocalFile()).fileName(), title(list, 0)) << "in row order";
    EXPECT_EQ(QFileInfo(urls[1].toLocalFile()).fileName(), title(list, 1));
    EXPECT_TRUE(QFile::exists(urls[0].toLocalFile()));

    // "b" and Return in the type-select: only b.txt stays icon-selected.
    list->showSearchField();
    pump();
    QLineEdit* field = list->typeSelect()->field();
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isVisible());
    QTest::keyClicks(field, "b");
    QTest::keyClick(field, Qt::Key_Return);
    pump();
    const auto& selected = space()->selections().selectedIconItems();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0], views[1]->item());
}

// The list's intervals lie on the time line's scale: a zoom of the ruler draws them again at once.
TEST_F(FrontLists, AZoomOfTheRulerDrawsTheListsIntervalsAgain)
{
    start();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ZEVTableView* list = front()->selectionItemTableView();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return list->isVisible() && list->numberOfRows() == 2; }));
    advance(1.0);
    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++count;
            return false;
        }
    } paints;
    list->viewport()->installEventFilter(&paints);
    pump();
    paints.count = 0;
    ruler()->userZoomThisHour(space()->actifCurseur());
    advance(1.0);
    EXPECT_GT(paints.count, 0) << "the intervals drawn where the old scale put them";
    list->viewport()->removeEventFilter(&paints);
}

TEST_F(FrontLists, ACtrlClickOnARowInTitlesModeRemovesOnlyThatObjectAndTellsTheDeskOnce)
{
    start();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ZEVFrontViewer* f = front();
    f->menuModeTitle();
    space()->selections().selectTitleForItemSet({views[0]->item(), views[1]->item(), views[2]->item()}, nullptr);
    pump();
    ZEVTableView* list = f->selectionItemTableView();
    ASSERT_EQ(list->numberOfRows(), 3);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 3);
    focusList(list);
    const int b = row(list, "b.txt");
    ASSERT_GE(b, 0);
    int notices = 0;
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, [&] { ++notices; });
    // In a selection list the mode columns take the clicks; the title column flicks the view.
    const QPoint onB = list->visualRect(list->model()->index(b, ZEVFrontClass::itemColumns().indexOf("imageTitle"))).center();
    QTest::mouseMove(list->viewport(), onB);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, onB);
    pump();
    const auto& titles = space()->selections().selectedTitleItems();
    EXPECT_EQ(titles.size(), 2u);
    EXPECT_FALSE(space()->selections().isTitleSelectedForItem(views[1]->item()));
    EXPECT_TRUE(space()->selections().isTitleSelectedForItem(views[0]->item()));
    EXPECT_TRUE(space()->selections().isTitleSelectedForItem(views[2]->item()));
    EXPECT_EQ(notices, 1) << "the desk's answer does not come back to the list";
    EXPECT_EQ(list->numberOfRows(), 3) << "the rows stay while the list has the keyboard";
    // Once the list lets go, the rows are the desk's selection again.
    canvas()->setFocus(Qt::OtherFocusReason);
    pump();
    EXPECT_EQ(list->numberOfRows(), 2);
}

TEST_F(FrontLists, CutReleasesOnlyAfterACopyThatWroteAndTypeSelectWithNoMatchOnNothingChangesNothing)
{
    start();
    ZEVFrontViewer* f = front();
    ZEVTableView* list = f->selectionItemTableView();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    focusList(list);
    // No row selected in the list: Copy writes nothing, beeps once, and nothing is released.
    list->selectionModel()->clearSelection();
    const int before = sound.beeps;
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_X, Qt::ControlModifier);
    pump();
    EXPECT_EQ(sound.beeps, before + 1);
    EXPECT_EQ(nowDesk()->itemViewSet().size(), 3u) << "a failed copy releases nothing";

    // With no match and nothing selected, the type-select changes nothing.
    space()->selections().deselectAllIcons();
    pump();
    f->frontClass()->selectItemsWithString(*list, "zzz", 0);
    EXPECT_TRUE(space()->selections().selectedIconItems().empty());
    // Any letter case, and Objects not shown in the list.
    ASSERT_LT(row(list, "c.txt"), 0);
    f->frontClass()->selectItemsWithString(*list, "C.TXT", 0);
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 1u);
    EXPECT_EQ(space()->selections().selectedIconItems()[0], views[2]->item());
    // Add (2) and remove (3).
    f->frontClass()->selectItemsWithString(*list, "a.", 2);
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u);
    f->frontClass()->selectItemsWithString(*list, "c", 3);
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 1u);
}

TEST_F(FrontLists, AForeignDragRestingOnAnIntervalMovesTheSearchCursorToItsStart)
{
    start();
    ZEVFrontViewer* f = front();
    ZEVTableView* list = f->selectionItemTableView();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ZEVFrontClass* fc = f->frontClass();
    const int a = row(list, "a.txt");
    ASSERT_GE(a, 0);
    const std::vector<KELI*> legos = fc->legosForRow(*list, a);
    ASSERT_EQ(legos.size(), 1u);
    // The right end of the table is the axis' end: within a.txt's open interval.
    const double width = 600;
    fc->dragHover(a, width - 1, width, true);
    EXPECT_EQ(fc->draggingLegoInt(), 0u) << "drags of desk views move Objects, not time";
    fc->dragHover(a, width - 1, width, false);
    EXPECT_EQ(fc->draggingLegoInt(), legos[0]->idInt());
    advance(0.9);
    EXPECT_NE(space()->actifCurseur(), space()->searchCurseur()) << "nothing before a full second";
    advance(0.2);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_EQ(space()->goToTag(), 100);
    EXPECT_NEAR(space()->searchCurseur()->now(), legos[0]->inDate(), 0.5);
    EXPECT_EQ(list->draggingLego(), legos[0]);
    // Leaving and coming back over the marked interval unmarks it half a second later.
    fc->dragExited(false);
    fc->dragHover(a, width - 1, width, false);
    advance(0.6);
    EXPECT_EQ(list->draggingLego(), nullptr);
    // Through the list's own drag events: a file from another program resting over the interval.
    fc->dragExited(false);
    advance(1.0);
    list->resize(int(width), 200);
    list->show();
    pump();
    QMimeData foreign;
    foreign.setUrls({QUrl::fromLocalFile(home + "/a.txt")});
    const QPoint over(list->viewport()->width() - 1, list->visualRect(list->model()->index(a, 0)).center().y());
    QDragEnterEvent enter(over, Qt::CopyAction, &foreign, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted()) << "the enter is taken so that the moves keep coming";
    QDragMoveEvent move(over, Qt::CopyAction, &foreign, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list->viewport(), &move);
    EXPECT_FALSE(move.isAccepted()) << "the list takes no drop";
    EXPECT_EQ(fc->draggingLegoInt(), legos[0]->idInt());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(list->viewport(), &leave);
    EXPECT_EQ(fc->draggingLegoInt(), 0u);
    // A table under 2 points wide has no scale: nothing is found.
    fc->dragExited(false);
    fc->dragHover(a, 1, 1.5, false);
    EXPECT_EQ(fc->draggingLegoInt(), 0u);
    // An interval that goes during the wait is kept by id: once gone, the wait ends in nothing.
    list->setDraggingLego(nullptr);
    const int b = row(list, "b.txt");
    ASSERT_GE(b, 0);
    fc->dragHover(b, width - 1, width, false);
    ASSERT_NE(fc->draggingLegoInt(), 0u);
    space()->userDeleteItem(views[1]->item());
    advance(1.1);
    EXPECT_EQ(list->draggingLego(), nullptr);
}

TEST_F(FrontLists, RowsAreDraggedOutByTheirIconColumnOnlyAsTheirFiles)
{
    start();
    ZEVFrontViewer* f = front();
    ZEVTableView* list = f->selectionItemTableView();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ZEVFrontClass* fc = f->frontClass();
    const QStringList ids = ZEVFrontClass::itemColumns();
    QMimeData byTitle;
    EXPECT_FALSE(fc->writeRowsForDrag(*list, {0, 1}, int(ids.indexOf("title")), &byTitle));
    EXPECT_TRUE(byTitle.formats().isEmpty());
    QMimeData byIcon;
    ASSERT_TRUE(fc->writeRowsForDrag(*list, {1, 0}, int(ids.indexOf("itemIcon")), &byIcon));
    const QList<QUrl> urls = byIcon.urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(QFileInfo(urls[0].toLocalFile()).fileName(), title(list, 0)) << "ascending rows";
    EXPECT_FALSE(fc->writeRowsForDrag(*f->selectionLinkTableView(), {0}, int(ids.indexOf("itemIcon")), &byIcon))
        << "the links list drags nothing";
}

TEST_F(FrontLists, InLinksModeTheLinksListShowsTheSelectedPairAndAClickSelectsLinksThroughTheSpace)
{
    start();
    ZEVFrontViewer* f = front();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, views[0]->item(), views[1]->item(),
                                                 clock.now() - 1, KELDateOuverte, space()->nowCurseur()),
              nullptr);
    advance(1.0);
    f->menuModeLink();
    space()->selections().selectNodeForItemSet({views[0]->item(), views[1]->item()}, nullptr);
    pump();
    ZEVTableView* links = f->selectionLinkTableView();
    ASSERT_EQ(f->selectionTableView(), links);
    ASSERT_EQ(links->numberOfRows(), 1);
    EXPECT_EQ(links->selectionModel()->selectedRows().size(), 1) << "the pair is a selected link";
    const int parentColumn = ZEVFrontClass::linkColumns().indexOf("Parent");
    const int enfantColumn = ZEVFrontClass::linkColumns().indexOf("Enfant");
    QStringList both{links->model()->data(links->model()->index(0, parentColumn), Qt::DisplayRole).toString(),
                     links->model()->data(links->model()->index(0, enfantColumn), Qt::DisplayRole).toString()};
    both.sort();
    EXPECT_EQ(both, QStringList({"a.txt", "b.txt"}));

    // A Ctrl-click on the row deselects it: the Space's link selection follows, not the nodes.
    focusList(links);
    const QPoint onLink = links->visualRect(links->model()->index(0, ZEVFrontClass::linkColumns().indexOf("imageLink"))).center();
    QTest::mouseMove(links->viewport(), onLink);
    QTest::mouseClick(links->viewport(), Qt::LeftButton, Qt::ControlModifier, onLink);
    pump();
    EXPECT_TRUE(space()->selections().selectedLinks().empty());
}

TEST_F(FrontLists, AnIntervalStartingAtTheAxisStartIsNeverSelectedByHovering)
{
    start();
    ZEVFrontViewer* f = front();
    ZEVTableView* list = f->selectionItemTableView();
    const auto views = lassoTwoOfThree();
    ASSERT_EQ(views.size(), 3u);
    ZEVFrontClass* fc = f->frontClass();
    const int a = row(list, "a.txt");
    ASSERT_GE(a, 0);
    const std::vector<KELI*> legos = fc->legosForRow(*list, a);
    ASSERT_EQ(legos.size(), 1u);
    ZEVTlineType* axe = dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer())->tlineType();
    axe->setInDate(legos[0]->inDate(), legos[0]->inDate() + 3600);
    KELICurseur* actif = space()->actifCurseur();
    fc->dragHover(a, 599, 600, false);
    EXPECT_EQ(fc->draggingLegoInt(), legos[0]->idInt()) << "the interval is hovered";
    advance(1.1);
    EXPECT_EQ(list->draggingLego(), nullptr);
    EXPECT_EQ(space()->actifCurseur(), actif);
    EXPECT_NE(space()->goToTag(), 100);
}

} // namespace
} // namespace e2e
