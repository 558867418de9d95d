// The desk at any window size: icons follow the desk's scale when the Space window is resized,
// none left at its old pixel place or cut off at the top or the right.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVDeskClass.h"
#include "objects/view/ZEVItemView.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceWindow.h"

#include <QFile>
#include <QGraphicsView>
#include <QLineEdit>
#include <QTest>

namespace e2e {
namespace {

class DeskAtScale : public E2E {
protected:
    // Every view stands where its stored place puts it at the desk's present scale, inside the canvas.
    void expectViewsAtTheirStoredPlaces(const char* when)
    {
        SCOPED_TRACE(when);
        ZEVDeskViewer* desk = nowDesk();
        ZEVDeskClass* model = desk->deskClass();
        const QRectF visible(QPointF(0, 0), QSizeF(window()->spaceView()->deskCanvas()->viewport()->size()));
        ASSERT_FALSE(desk->itemViewSet().empty());
        for (ZEVItemViewForDesks* v : desk->itemViewSet()) {
            auto* view = dynamic_cast<ZEVItemView*>(v);
            ASSERT_NE(view, nullptr);
            const ZEVIconPosition stored = model->rectCurseurForItem(view->item());
            const QRectF yUp = view->viewFrameForIconPosition(stored);
            const QRectF scene(yUp.x(), desk->deskHeight() - yUp.y() - yUp.height(), yUp.width(), yUp.height());
            EXPECT_NEAR(view->pos().x(), scene.x(), 0.5) << view->item()->idInt();
            EXPECT_NEAR(view->pos().y(), scene.y(), 0.5) << view->item()->idInt();
            EXPECT_NEAR(view->frame().width(), yUp.width(), 0.5) << view->item()->idInt();
            const QPointF centre = view->imageCentre();
            EXPECT_TRUE(visible.contains(centre.x(), desk->deskHeight() - centre.y()))
                << view->item()->idInt() << " is cut off";
        }
    }
};

TEST_F(DeskAtScale, AResizeOfTheWindowRescalesTheDeskAndItsIconsAtEverySize)
{
    start();
    sizeDesk(1260, 788);
    addHomeFiles({"one.txt", "two.txt", "three.txt"});
    ZEVDeskViewer* desk = nowDesk();
    ASSERT_EQ(desk->itemViewSet().size(), 3u);

    // One icon near the top right corner, one near the bottom left, one in the middle, moved as a
    // drag ends moves them.
    const std::vector<QPointF> places{{1160, 690}, {90, 90}, {630, 394}};
    std::size_t n = 0;
    for (ZEVItemViewForDesks* v : desk->itemViewSet()) {
        const ZEVIconPosition old = v->iconPosition();
        ZEVIconPosition to = old;
        to.x = places[n].x() - old.size / 2;
        to.y = places[n].y() - old.size / 2;
        desk->deskClass()->updatePosition(to, old, v->item());
        ++n;
    }
    // Past the move's animation.
    advance(2.0);
    expectViewsAtTheirStoredPlaces("at 1260 x 788");

    // While the window is being resized, and once the resize has ended.
    sizeDesk(800, 500);
    expectViewsAtTheirStoredPlaces("at 800 x 500, resizing");
    advance(2.0);
    expectViewsAtTheirStoredPlaces("at 800 x 500");

    // And larger again, at a shape of another ratio.
    sizeDesk(1000, 720);
    expectViewsAtTheirStoredPlaces("at 1000 x 720, resizing");
    advance(2.0);
    expectViewsAtTheirStoredPlaces("at 1000 x 720");
}

// Two Objects of one type show one shared image, not a copy each; a renamed Object's title is
// drawn anew at once, in the next paint of the canvas, while the others keep their drawn cells.
TEST_F(DeskAtScale, ObjectsOfOneTypeShareOneImageAndARenamedObjectShowsItsNewTitleAtOnce)
{
    start();
    sizeDesk(1260, 788);
    addHomeFiles({"first.zzq", "second.zzq", "notes.txt"});
    advance(2.0);
    auto* first = dynamic_cast<ZEVItemView*>(viewTitled("first.zzq"));
    auto* second = dynamic_cast<ZEVItemView*>(viewTitled("second.zzq"));
    auto* notes = dynamic_cast<ZEVItemView*>(viewTitled("notes.txt"));
    ASSERT_TRUE(first && second && notes);
    ASSERT_FALSE(first->itemImageView()->image().isNull());
    EXPECT_EQ(first->itemImageView()->image().cacheKey(), second->itemImageView()->image().cacheKey());

    QGraphicsView* view = window()->spaceView()->deskCanvas();
    QImage frame(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    auto paintCanvas = [&] {
        frame.fill(Qt::black);
        view->viewport()->render(&frame);
        return frame.copy(view->mapFromScene(first->titleView()->sceneBoundingRect()).boundingRect());
    };
    const QImage before = paintCanvas();
    const int othersDrawn = second->titleView()->cellRedraws() + notes->titleView()->cellRedraws();

    ASSERT_TRUE(first->editTitle());
    QLineEdit* editor = first->titleEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Quarterly"));
    QTest::keyClick(editor, Qt::Key_Return);
    advance(1.0);
    EXPECT_EQ(first->titleView()->shownText(), QStringLiteral("Quarterly"));
    EXPECT_NE(paintCanvas(), before) << "the new title shows in the first paint after the rename";
    EXPECT_EQ(second->titleView()->cellRedraws() + notes->titleView()->cellRedraws(), othersDrawn)
        << "the other titles are blitted from their cells";
    EXPECT_EQ(first->itemImageView()->image().cacheKey(), second->itemImageView()->image().cacheKey())
        << "a new title leaves the shared image";
}

} // namespace
} // namespace e2e
