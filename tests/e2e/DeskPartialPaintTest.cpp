// A Search step paints the desk where it changed: the places the Objects it moves leave and
// take, not the Objects it leaves alone; and what the window then shows is, to the pixel, what a
// full paint of the desk draws.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/view/ZEVDeskBackImageView.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "engine/KELICurseur.h"
#include "objects/view/ZEVItemView.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/support/PaintedRegions.h"

#include <QGraphicsView>
#include <QPainter>
#include <QScreen>

#include <cmath>

namespace e2e {
namespace {

using tallomer::test::PaintedRegions;

class DeskPartialPaint : public E2E {
protected:
    // A rectangle of the view's own (all of it by default), in the canvas' pixels.
    QRect onCanvas(ZEVItemView* v, QRectF inView = {}) const
    {
        if (inView.isNull())
            inView = v->boundingRect();
        return window()->spaceView()->deskCanvas()->mapFromScene(v->mapToScene(inView)).boundingRect();
    }
    // The Search cursor, active, moved by `seconds` as a drag of it on the strip ends.
    void stepSearch(double seconds)
    {
        ZEVRulerViewerServices* r = space()->rulerViewer();
        r->userChangeActifCurseur(space()->searchCurseur());
        r->userInitieDeplacementCurseur();
        r->userPlaceCurseurEtRulerOffset(seconds);
        r->userTermineDeplacementCurseur();
    }
    // The canvas below the header views that lie over its top: the front frame (y-up).
    QRegion openPart() const
    {
        ZEVFrontViewServices* front = window()->spaceView()->deskCanvas()->frontView();
        if (!front)
            return {};
        const QRectF frame = front->frontFrame();
        QWidget* canvas = this->canvas();
        return QRegion(0, int(std::ceil(canvas->height() - frame.height())), canvas->width(), int(frame.height()));
    }
    // What the window shows of the canvas.
    QImage shownCanvas() const
    {
        QWidget* canvas = this->canvas();
        const QPoint corner = canvas->mapTo(window(), QPoint(0, 0));
        return window()
            ->screen()
            ->grabWindow(window()->winId(), corner.x(), corner.y(), canvas->width(), canvas->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // How many pixels of `part` of the window differ from a full paint of the canvas; `compared`
    // counts those looked at.
    long pixelsUnlikeAFullPaint(const QRegion& part, long& compared) const
    {
        const QImage shown = shownCanvas();
        const QImage full = canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (shown.size() != full.size())
            return -1;
        long differing = 0;
        for (const QRect& r : part)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x, ++compared)
                    differing += shown.pixel(x, y) != full.pixel(x, y);
        return differing;
    }
    // The desk's scene rendered into an image of the canvas, without the canvas and its paint:
    // every view drawn whole, from the bottom up.
    QImage straightRender() const
    {
        QGraphicsView* view = window()->spaceView()->deskCanvas();
        QWidget* canvas = this->canvas();
        QImage image(canvas->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view->scene()->render(&painter, QRectF(image.rect()), view->mapToScene(canvas->rect()).boundingRect());
        return image;
    }
    // How many pixels of `part` of the window differ from the desk's scene rendered straight.
    long pixelsUnlikeAStraightRender(const QRegion& part) const
    {
        const QImage shown = shownCanvas();
        const QImage straight = straightRender();
        long differing = 0;
        for (const QRect& r : part)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    differing += shown.pixel(x, y) != straight.pixel(x, y);
        return differing;
    }
    // Sixty Objects many deep at places between pixels on the Now desk of 1,260 x 788.
    void pileOfObjects()
    {
        start();
        sizeDesk(1260, 788);
        QStringList names;
        for (int i = 0; i < 60; ++i)
            names << QStringLiteral("pile%1.%2").arg(i).arg(i % 3 ? QStringLiteral("txt") : QStringLiteral("png"));
        addHomeFiles(names);
        ZEVDeskViewer* desk = nowDesk();
        ASSERT_EQ(desk->itemViewSet().size(), 60u);
        int n = 0;
        for (ZEVItemViewForDesks* v : desk->itemViewSet()) {
            const ZEVIconPosition old = v->iconPosition();
            ZEVIconPosition to = old;
            to.x = 300 + (n % 10) * 23.5;
            to.y = 250 + (n / 10) * 31.25;
            desk->deskClass()->updatePosition(to, old, v->item());
            ++n;
        }
        advance(2.0);
    }
    // Forty Objects on a desk of 1,260 x 788: thirty-six on the left half, more than a pass once
    // repainted the whole desk for, that the next Search step moves back by 30 points; four on the
    // right that it leaves alone. The Search desk is shown, its views in `left` and `right`.
    // The program on a desk of 1,260 x 788 with `n` files of the home folder shown on it.
    ZEVDeskViewer* deskWithFiles(bool animation, const QString& name, int n)
    {
        start();
        sizeDesk(1260, 788);
        values->setValue(QStringLiteral("ZEVShowObjectAnimation"), animation);
        QStringList names;
        for (int i = 0; i < n; ++i)
            names << name.arg(i);
        addHomeFiles(names);
        return nowDesk();
    }
    void placeForTheStep(bool animation, std::vector<ZEVItemView*>& left, std::vector<ZEVItemView*>& right)
    {
        ZEVDeskViewer* desk = deskWithFiles(animation, QStringLiteral("paper%1.txt"), 40);
        ASSERT_EQ(desk->itemViewSet().size(), 40u);

        std::vector<ZEVItemView*> moved, still;
        int n = 0;
        for (ZEVItemViewForDesks* v : desk->itemViewSet()) {
            const ZEVIconPosition old = v->iconPosition();
            ZEVIconPosition to = old;
            if (n < 36) {
                to.x = 40 + (n % 6) * 80;
                to.y = 60 + (n / 6) * 110;
                moved.push_back(dynamic_cast<ZEVItemView*>(v));
            } else {
                to.x = 1000 + (n - 36) % 2 * 120;
                to.y = 300 + (n - 36) / 2 * 160;
                still.push_back(dynamic_cast<ZEVItemView*>(v));
            }
            desk->deskClass()->updatePosition(to, old, v->item());
            ++n;
        }
        advance(2.0);
        // An hour later the left ones shift to the right a little; the step goes back to before that.
        clock.set(clock.now() + 3600);
        advance(1.0);
        for (ZEVItemView* v : moved) {
            const ZEVIconPosition old = v->iconPosition();
            ZEVIconPosition to = old;
            to.x += 30;
            desk->deskClass()->updatePosition(to, old, v->item());
        }
        advance(2.0);
        stepSearch(0);
        advance(2.0);
        ZEVDeskViewer* searchDesk = E2E::desk(space()->searchCurseur());
        ASSERT_NE(searchDesk, nullptr);
        ASSERT_EQ(window()->spaceView()->deskCanvas()->scene(), static_cast<QGraphicsScene*>(searchDesk->deskView()));
        for (ZEVItemViewForDesks* v : searchDesk->itemViewSet()) {
            auto* view = dynamic_cast<ZEVItemView*>(v);
            ASSERT_NE(view, nullptr);
            (view->iconPosition().x < 700 ? left : right).push_back(view);
        }
        ASSERT_EQ(left.size(), 36u);
        ASSERT_EQ(right.size(), 4u);
    }
};

TEST_F(DeskPartialPaint, ASearchStepPaintsOnlyWhereObjectsMovedAndShowsWhatAFullPaintDraws)
{
    std::vector<ZEVItemView*> left, right;
    ASSERT_NO_FATAL_FAILURE(placeForTheStep(false, left, right));
    std::vector<QRect> before;
    for (ZEVItemView* v : left)
        before.push_back(onCanvas(v));

    QWidget* canvas = this->canvas();
    PaintedRegions regions;
    canvas->installEventFilter(&regions);
    stepSearch(-1800);
    advance(1.0);
    ASSERT_TRUE(pumpUntil([&] { return regions.paints > 0; }));
    pump();
    canvas->removeEventFilter(&regions);

    for (std::size_t i = 0; i < left.size(); ++i)
        ASSERT_EQ(onCanvas(left[i]).translated(30, 0), before[i]) << "the step moved every left Object back";
    const QRegion open = openPart();
    ASSERT_FALSE(open.isEmpty());
    for (ZEVItemView* v : right)
        EXPECT_FALSE(regions.painted.intersects(onCanvas(v, v->itemImageView()->rectInView())))
            << "an Object the step left alone was painted again";
    QRegion places;
    for (std::size_t i = 0; i < left.size(); ++i)
        places += QRegion(before[i]) + QRegion(onCanvas(left[i]));
    EXPECT_TRUE((places & open).subtracted(regions.painted).isEmpty()) << "every place left or taken is painted";

    // What the window holds after the partial paints is what a full paint of the canvas draws.
    long compared = 0;
    EXPECT_EQ(pixelsUnlikeAFullPaint(open, compared), 0);
    EXPECT_GT(compared, canvas->width() * canvas->height() / 2);
}

TEST_F(DeskPartialPaint, AStepMovingManyObjectsPaintsEachFrameWhereTheyMoveNotTheWholeDesk)
{
    std::vector<ZEVItemView*> left, right;
    ASSERT_NO_FATAL_FAILURE(placeForTheStep(true, left, right));

    QWidget* canvas = this->canvas();
    PaintedRegions regions;
    canvas->installEventFilter(&regions);
    stepSearch(-1800);
    // The left Objects glide back together, frame by frame.
    ASSERT_TRUE(advanceUntil([] { return ZEVItemView::nbDePlacementsEnCours() > kZEVVuesDeMasse; }, 0.01, 1.0));
    const int before = regions.paints;
    ASSERT_TRUE(advanceUntil([] { return ZEVItemView::nbDePlacementsEnCours() == 0; }, 0.02, 3.0));
    pump();
    canvas->removeEventFilter(&regions);
    EXPECT_GT(regions.paints - before, 10) << "the moves are painted in frames";

    for (ZEVItemView* v : right)
        EXPECT_FALSE(regions.painted.intersects(onCanvas(v, v->itemImageView()->rectInView())))
            << "a frame painted an Object that stood still";
    const QRegion open = openPart();
    EXPECT_GT((open - regions.painted).boundingRect().width(), canvas->width() / 3)
        << "the frames painted the whole desk";

    // The window then holds what a full paint of the canvas draws.
    long compared = 0;
    EXPECT_EQ(pixelsUnlikeAFullPaint(open, compared), 0);
    EXPECT_GT(compared, canvas->width() * canvas->height() / 2);
}

TEST_F(DeskPartialPaint, APileOfObjectsShowsWhatItsSceneRenderedStraightDraws)
{
    // Sixty Objects many deep at places between pixels: each view's paint draws only what those
    // above leave in sight, and the window shows, to the pixel, every view drawn whole.
    ASSERT_NO_FATAL_FAILURE(pileOfObjects());
    const QRegion open = openPart();
    ASSERT_FALSE(open.isEmpty());
    QWidget* canvas = this->canvas();
    const auto unlike = [&] { return pixelsUnlikeAStraightRender(open); };
    EXPECT_TRUE(pumpUntil([&] { return unlike() == 0; })) << unlike() << " pixels unlike a straight render";
    // A whole repaint of the window, as it is shown again.
    PaintedRegions regions;
    canvas->installEventFilter(&regions);
    canvas->update();
    ASSERT_TRUE(pumpUntil([&] { return regions.paints > 0; }));
    canvas->removeEventFilter(&regions);
    EXPECT_EQ(unlike(), 0);
}

TEST_F(DeskPartialPaint, ANewWallpaperUnderAPileIsPaintedAroundTheHeaderAndShowsWhatItsSceneRenderedStraightDraws)
{
    // The whole desk is painted again under the views, around the opaque header laid over the
    // canvas: a region of a few pieces, each painted on its own.
    ASSERT_NO_FATAL_FAILURE(pileOfObjects());
    const QString path = home + "/wall.png";
    QImage wall(1260, 788, QImage::Format_RGB32);
    for (int y = 0; y < wall.height(); ++y)
        for (int x = 0; x < wall.width(); ++x)
            wall.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 200));
    ASSERT_TRUE(wall.save(path));
    adapter()->addFilenames({path});
    advance(2.0);
    const std::vector<KELI*> items = itemsTitled({QStringLiteral("wall.png")});
    ASSERT_EQ(items.size(), 1u);
    ASSERT_NE(items[0], nullptr);

    QWidget* canvas = this->canvas();
    PaintedRegions regions;
    canvas->installEventFilter(&regions);
    ASSERT_TRUE(nowDesk()->background().userChangeBackWithImageItem(items[0], nullptr, KELOBJECT_SCALE_IN, clock.now()));
    ASSERT_TRUE(advanceUntil([&] { return !nowDesk()->deskBackImageView()->backgroundImage().isNull(); }, 0.1, 5.0));
    ASSERT_TRUE(pumpUntil([&] { return regions.paints > 0; }));
    pump();
    canvas->removeEventFilter(&regions);
    const QRegion open = openPart();
    ASSERT_FALSE(open.isEmpty());
    EXPECT_TRUE(open.subtracted(regions.painted).isEmpty()) << "the whole desk below the header is painted";
    EXPECT_GT(regions.painted.rectCount(), 1) << "the header lies over the canvas";
    EXPECT_EQ(pixelsUnlikeAStraightRender(open), 0);
}

TEST_F(DeskPartialPaint, StepsAcrossRenamesAndMovesShowEachObjectsTitleAndPlaceOfTheDateReached)
{
    ZEVDeskViewer* desk = deskWithFiles(false, QStringLiteral("note%1.txt"), 6);
    ASSERT_EQ(desk->itemViewSet().size(), 6u);
    std::vector<KELI*> items;
    std::vector<ZEVIconPosition> places;
    for (ZEVItemViewForDesks* v : desk->itemViewSet()) {
        const ZEVIconPosition old = v->iconPosition();
        ZEVIconPosition to = old;
        to.x = 80 + int(items.size()) * 160;
        to.y = 400;
        desk->deskClass()->updatePosition(to, old, v->item());
        items.push_back(v->item());
        places.push_back(to);
    }
    advance(2.0);
    std::vector<QString> titles;
    for (KELI* item : items)
        titles.push_back(desk->itemViewForItem(item)->itemTitle());

    // An hour later: the first two are moved and renamed at once, the next two only moved, the
    // last two only renamed.
    clock.set(clock.now() + 3600);
    advance(1.0);
    std::vector<ZEVIconPosition> laterPlaces = places;
    std::vector<QString> laterTitles = titles;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < 4) {
            laterPlaces[i].y = 150;
            desk->deskClass()->updatePosition(laterPlaces[i], places[i], items[i]);
        }
        if (i < 2 || i >= 4) {
            laterTitles[i] = QStringLiteral("renamed %1").arg(i);
            desk->deskClass()->updateItemTitle(laterTitles[i].toStdString(), items[i]);
        }
    }
    advance(2.0);

    auto expectShown = [&](const std::vector<ZEVIconPosition>& at, const std::vector<QString>& named,
                           const char* when) {
        ZEVDeskViewer* search = E2E::desk(space()->searchCurseur());
        ASSERT_NE(search, nullptr);
        for (std::size_t i = 0; i < items.size(); ++i) {
            ZEVItemViewForDesks* v = search->itemViewForItem(items[i]);
            ASSERT_NE(v, nullptr) << when;
            EXPECT_EQ(v->itemTitle().toStdString(), named[i].toStdString()) << when << ", Object " << i;
            EXPECT_EQ(v->iconPosition().x, at[i].x) << when << ", Object " << i;
            EXPECT_EQ(v->iconPosition().y, at[i].y) << when << ", Object " << i;
        }
        long compared = 0;
        EXPECT_EQ(pixelsUnlikeAFullPaint(openPart(), compared), 0) << when;
        EXPECT_GT(compared, 0) << when;
    };
    stepSearch(0);
    advance(2.0);
    ASSERT_NO_FATAL_FAILURE(expectShown(laterPlaces, laterTitles, "now"));
    stepSearch(-1800);
    advance(2.0);
    ASSERT_NO_FATAL_FAILURE(expectShown(places, titles, "half an hour back"));
    stepSearch(1800);
    advance(2.0);
    ASSERT_NO_FATAL_FAILURE(expectShown(laterPlaces, laterTitles, "back to now"));
}

} // namespace
} // namespace e2e
