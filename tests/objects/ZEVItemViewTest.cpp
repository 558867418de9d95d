#include "tests/objects/ObjectsFakes.h"

#include <QPainter>

#include <type_traits>

using namespace tallomer;
using namespace objectstest;

TEST(ZEVItemViewGeometry, FrameAndIconPositionRoundTripAtRatioOneAndTwo)
{
    const ZEVIconPosition p{200, 300, 100, 0.25};
    // A square image takes the wide rule: S by S inside margins of 50, 50 and 55.
    EXPECT_EQ(ZEVItemView::viewFrameForIconPosition(p, 1.0f), QRectF(150, 245, 200, 205));
    // Twice as tall as wide: 50 by 100, frame 150 by 205.
    EXPECT_EQ(ZEVItemView::viewFrameForIconPosition(p, 2.0f), QRectF(150, 245, 150, 205));
    for (float ratio : {1.0f, 2.0f, 0.5f}) {
        const ZEVIconPosition back =
            ZEVItemView::iconPositionForViewFrame(ZEVItemView::viewFrameForIconPosition(p, ratio), ratio, p.angle);
        EXPECT_DOUBLE_EQ(back.x, p.x) << ratio;
        EXPECT_DOUBLE_EQ(back.y, p.y) << ratio;
        EXPECT_DOUBLE_EQ(back.size, p.size) << ratio;
        EXPECT_DOUBLE_EQ(back.angle, p.angle) << ratio;
    }
}

TEST(ZEVItemViewGeometry, DeskViewStartsSquareAndSceneIsTurnedOver)
{
    Desk d;
    // A wide ratio still gets the square frame until the first placement.
    auto made = d.viewer->creerItemView({200, 300, 100, 0.5}, d.objects.objet(10), 0.5f);
    auto* v = static_cast<ZEVItemView*>(made.get());
    EXPECT_EQ(v->frame(), QRectF(150, 245, 200, 205));
    EXPECT_EQ(v->imageFrame(), QRectF(200, 300, 100, 100));
    // y-up 245..450 in a desk 1000 high lies at scene y 550.
    EXPECT_EQ(v->pos(), QPointF(150, 1000 - 245 - 205));

    v->setIconPosition({200, 300, 100, 0.5}, 0);
    EXPECT_EQ(v->frame(), QRectF(150, 245, 200, 155));
    EXPECT_EQ(v->imageCentre(), QPointF(250, 325));
    // The angle read at creation is carried into positions computed from frames.
    v->setFrame(QRectF(0, 0, 300, 155));
    EXPECT_DOUBLE_EQ(v->iconPosition().size, 200);
    EXPECT_DOUBLE_EQ(v->iconPosition().angle, 0.5);
    // The parts sit at their places inside the view, turned over: the image 50 from the top.
    EXPECT_DOUBLE_EQ(v->itemImageView()->pos().y(), 50);
    EXPECT_DOUBLE_EQ(v->titleView()->pos().y(), 155 - 19 - 18);
    ASSERT_NE(v->dragView(), nullptr);
}

TEST(ZEVItemViewCounters, FutureClampsAtZeroAndIsHeldAtZeroWhileNotAdded)
{
    Desk d;
    ZEVItemView& v = *d.desk.add(d.objects.objet(10));
    v.setSiFutur(true); // not added: no future side
    EXPECT_EQ(v.siFuturCount(), 0);
    v.setSiFutur(false);
    EXPECT_EQ(v.siFuturCount(), 0);

    v.setSiAjoute(true);
    v.setSiFutur(true);
    EXPECT_TRUE(v.siFutur());
    v.setSiFutur(false);
    v.setSiFutur(false);
    EXPECT_EQ(counts(v), std::tuple(1, 0, 0));
    // Added and active have no floor.
    v.setSiAjoute(false);
    v.setSiAjoute(false);
    EXPECT_EQ(v.siAjouteCount(), -1);
    v.setSiAjoute(true);
    EXPECT_FALSE(v.siAjoute());
    v.setSiAjoute(true);
    EXPECT_TRUE(v.siAjoute());
    // A future count left while added drops to 0 as soon as added does.
    v.setSiFutur(true);
    EXPECT_TRUE(v.siFutur());
    v.setSiAjoute(false);
    v.setSiFutur(true);
    EXPECT_EQ(counts(v), std::tuple(0, 0, 0));
    EXPECT_EQ(v.timeState(), ZEVItemTimeState::Outside);
    v.setSiActif(true);
    EXPECT_EQ(v.timeState(), ZEVItemTimeState::Present);
}

TEST(ZEVItemViewVisibility, HiddenInAnotherChannelOrWhenTheChannelIsNotActive)
{
    Desk d; // showing Channel 1
    ZEVItemView* a = d.desk.add(d.objects.objet(10, 1));
    ZEVItemView* b = d.desk.add(d.objects.objet(11, 2));
    EXPECT_TRUE(a->isVisible());
    // setHidden(NO) never shows a view of another Channel.
    EXPECT_TRUE(b->isHidden());
    EXPECT_FALSE(b->isVisible());
    // The desk's Channel is not shown: setHidden(NO) keeps it hidden.
    d.viewer->setSiChannelActif(false);
    a->setHidden(true);
    a->setHidden(false);
    EXPECT_TRUE(a->isHidden());
    EXPECT_FALSE(a->isVisible());
    d.viewer->setSiChannelActif(true);
    // A view hidden by request stays hidden through a Channel change back to its own.
    a->setHidden(true);
    a->majChannelInt(1, true);
    EXPECT_FALSE(a->isVisible());
    a->setHidden(false);
    EXPECT_TRUE(a->isVisible());
    // Switching Channels shows the other one's views and hides this one's.
    a->majChannelInt(2, true);
    b->majChannelInt(2, true);
    EXPECT_FALSE(a->isVisible());
    EXPECT_TRUE(b->isVisible());
    b->majChannelInt(2, false);
    EXPECT_FALSE(b->isVisible());
}

TEST(ZEVItemViewStacking, FrontAndBackMoveOnlyAmongObjectViews)
{
    Desk d;
    QGraphicsRectItem* background = d.desk.scene.addRect(0, 0, 10, 10);
    background->setZValue(0);
    ZEVItemView* a = d.desk.add(d.objects.objet(10));
    ZEVItemView* b = d.desk.add(d.objects.objet(11));
    ZEVItemView* c = d.desk.add(d.objects.objet(12));
    a->orderToFront();
    EXPECT_EQ(ZEVItemView::itemViewsInStackingOrder(&d.desk.scene), (std::vector<ZEVItemView*>{b, c, a}));
    a->orderToFront(); // already last: stays last
    EXPECT_EQ(ZEVItemView::itemViewsInStackingOrder(&d.desk.scene).back(), a);
    c->orderToBack();
    EXPECT_EQ(ZEVItemView::itemViewsInStackingOrder(&d.desk.scene), (std::vector<ZEVItemView*>{c, b, a}));
    // Never below the background.
    EXPECT_GT(c->zValue(), background->zValue());
}

TEST(ZEVItemViewDrawing, RedrawPaintsItsStateSetsTitleAndWritesAlphaOnlyOnChange)
{
    Desk d;
    KELI* o = d.objects.objet(10);
    ZEVItemView* v = d.desk.add(o, {50, 55, 100, 0});
    v->setItemTitle("A title long enough to be cut in the middle of its words");
    // Cut in the middle, in the title font (ZEVItemTitleText's own test checks the cut).
    const QString shown = v->titleView()->shownText();
    EXPECT_TRUE(shown.startsWith("A ti") && shown.endsWith("ords") && shown.contains(QChar(0x2026)))
        << shown.toStdString();
    v->setSiAjoute(true);
    v->setSiFutur(true);
    ZEVItemDrawPlan plan;
    auto draw = [&] {
        QImage img(v->boundingRect().size().toSize(), QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        plan = v->drawRect(p);
        return img;
    };
    // Future, not selected, icons mode: 0.35.
    draw();
    EXPECT_EQ(plan.imageAlpha, 0.35);
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.35);
    EXPECT_TRUE(v->titleView()->isVisible());
    // The same state twice: the alpha is not written again.
    v->itemImageView()->setOpacity(0.35 + 1e-9);
    draw();
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.35 + 1e-9);
    // Selected: full alpha, and the plate and tab painted in place (the painter's own test
    // covers every state): the plate grows the image by 10, the tab's point is at mid-height.
    d.space.icons = {o};
    const QImage selected = draw();
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 1.0);
    EXPECT_TRUE(near(at(selected, 45, 60), d.viewer->palette().colour(ZEVColourRole::FuturActif)));
    EXPECT_TRUE(near(at(selected, 156, 105), d.viewer->palette().colour(ZEVColourRole::Futur)));
    // Titles mode with a selected title: 0.6.
    d.space.icons.clear();
    d.space.mode = ZEVFrontModeTitles;
    d.space.titles = {o};
    draw();
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.6);
    // A flick step hides the title.
    d.space.titles.clear();
    d.space.mode = ZEVFrontModeIcons;
    v->setSiFlickOn(true);
    draw();
    EXPECT_FALSE(v->titleView()->isVisible());
    v->setSiFlickOn(false);
    // Outside: nothing drawn, nothing changed.
    v->setSiFutur(false);
    v->setSiAjoute(false);
    v->itemImageView()->setOpacity(0.42);
    draw();
    EXPECT_TRUE(plan.ops.empty());
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.42);
}

TEST(ZEVItemViewIcon, ModifiableOnlyWhenActive)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10));
    EXPECT_FALSE(v->siModifiableIcon(true));
    v->setSiActif(true);
    EXPECT_TRUE(v->siModifiableIcon(true));
    EXPECT_TRUE(v->siModifiableIcon(false)); // no active cursor known: not in any past
}

TEST(ZEVItemViewTypeImage, EveryKindOfObjectHasAPictureUntilItsOwnIsKnown)
{
    for (const char* type : {"file", "http", "zevp", "ABPerson", "message", "folder", "pdf", "no-such-type"})
        EXPECT_FALSE(ZEVItemView::imageDuType(QString::fromLatin1(type)).isNull()) << type;
}

TEST(ZEVItemViewTypeImage, AViewsStandInIsItsTypesPictureItself)
{
    // One image a type for the program: the views' stand-ins and the picture asked by type name
    // are the same, so that every view scales and holds it once.
    Desk d;
    KELId id = 10;
    for (const char* type : {"file", "http", "message", "folder"}) {
        ZEVItemView* v = d.desk.add(d.objects.objet(id++));
        v->setItemType(QString::fromLatin1(type));
        EXPECT_EQ(v->itemImageView()->image().cacheKey(),
                  ZEVItemView::imageDuType(QString::fromLatin1(type)).cacheKey())
            << type;
    }
    EXPECT_EQ(ZEVItemView::imageDuType(QStringLiteral("no-such-type")).cacheKey(),
              ZEVItemView::imageDuType(QStringLiteral("no-such-type")).cacheKey());
    EXPECT_NE(ZEVItemView::imageDuType(QStringLiteral("file")).cacheKey(),
              ZEVItemView::imageDuType(QStringLiteral("folder")).cacheKey());
}

TEST(ZEVItemViewDownload, TheBarTakesTheIconsPlaceUntilTheEndWhateverTheEnd)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {100, 100, 64, 0});
    v->setItemTitle(QStringLiteral("today"));
    const QString shownTitle = v->titleView()->text();
    v->downloadBegin();
    EXPECT_EQ(v->progressView(), nullptr) << "nothing shows before the response";
    EXPECT_TRUE(v->itemImageView()->isVisible());

    struct Step {
        float fraction;
        const char* text;
    };
    v->downloadStart(true);
    ASSERT_NE(v->progressView(), nullptr);
    EXPECT_FALSE(v->itemImageView()->isVisible());
    EXPECT_EQ(v->progressView()->pos(), v->itemImageView()->pos()) << "the bar lies where the icon was";
    EXPECT_EQ(v->progressView()->text(), "0.0%");
    for (const Step s : {Step{0.4567f, "45.7%"}, Step{1.0f, "100.0%"}, Step{1.5f, "100.0%"}, Step{-1.0f, "0.0%"}}) {
        v->downloadSetStatus(s.fraction);
        EXPECT_EQ(v->progressView()->text(), s.text) << s.fraction;
    }
    v->downloadFinish();
    EXPECT_EQ(v->progressView(), nullptr);
    EXPECT_TRUE(v->itemImageView()->isVisible());
    EXPECT_EQ(v->titleView()->text(), shownTitle);

    // Without a length: a busy bar and no percentage; an error ends it the same way, and an
    // Object without a title shows "No Name".
    ZEVItemView* blank = d.desk.add(d.objects.objet(11), {300, 100, 64, 0});
    blank->downloadStart(false);
    blank->downloadSetStatus(0.5f);
    ASSERT_NE(blank->progressView(), nullptr);
    EXPECT_FALSE(blank->progressView()->determinate());
    EXPECT_EQ(blank->progressView()->text(), "");
    QImage canvas(400, 400, QImage::Format_ARGB32);
    QPainter painter(&canvas);
    blank->progressView()->paint(&painter, nullptr, nullptr); // draws without a percentage
    painter.end();
    blank->downloadError();
    EXPECT_EQ(blank->progressView(), nullptr);
    EXPECT_TRUE(blank->itemImageView()->isVisible());
    EXPECT_EQ(blank->titleView()->text(), "No Name");
}

// The desk's view does not save the painter around each item: an item that left a pen, a hint
// or a transform behind would draw every later icon of the frame with it.
TEST(ZEVItemViewDrawing, EveryPartLeavesThePainterAsItFoundIt)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {100, 100, 64, 0});
    v->setItemTitle(QStringLiteral("A title"));
    v->setSiAjoute(true);
    v->setSiActif(true);
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    v->itemImageView()->setImage(picture);

    QImage canvas(400, 400, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas);
    p.setPen(QPen(Qt::green, 3));
    p.setBrush(Qt::blue);
    p.setFont(QFont(QStringLiteral("Serif"), 31));
    p.setOpacity(0.75);
    auto state = [&p] {
        return std::tuple(p.pen(), p.brush(), p.font(), int(p.renderHints()), p.opacity(), p.transform(),
                          int(p.compositionMode()));
    };
    auto paints = [&](auto* part, const QTransform& t, const char* what) {
        p.setTransform(t);
        const auto before = state();
        if constexpr (std::is_base_of_v<QGraphicsItem, std::remove_pointer_t<decltype(part)>>)
            part->paint(&p, nullptr, nullptr);
        else
            part->paint(p);
        EXPECT_TRUE(state() == before) << what;
    };
    // Each on the plain path and on the resampled one (a turned desk).
    for (const QTransform& t : {QTransform::fromTranslate(10.5, 20.25), QTransform().rotate(30).scale(1.5, 1.5)}) {
        paints(v, t, "the view's own marks");
        paints(v->itemImageView(), t, "the image");
        paints(v->titleView(), t, "the title");
    }
    v->downloadBegin();
    for (bool determinate : {true, false}) {
        v->downloadStart(determinate);
        v->downloadSetStatus(0.5f);
        ASSERT_NE(v->progressView(), nullptr);
        paints(v->progressView(), QTransform(), determinate ? "the bar with its percentage" : "the hatched bar");
        v->downloadFinish();
        v->downloadBegin();
    }
}
