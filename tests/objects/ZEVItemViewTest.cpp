#include "tests/objects/ObjectsFakes.h"

#include "desk/model/ZEVItemOptions.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace tallomer;
using namespace objectstest;

namespace {

void expectSameRect(const QRectF& a, const QRectF& b)
{
    EXPECT_DOUBLE_EQ(a.x(), b.x());
    EXPECT_DOUBLE_EQ(a.y(), b.y());
    EXPECT_DOUBLE_EQ(a.width(), b.width());
    EXPECT_DOUBLE_EQ(a.height(), b.height());
}

::testing::AssertionResult near(const QColor& got, const QColor& want)
{
    const int d = std::max({std::abs(got.red() - want.red()), std::abs(got.green() - want.green()),
                            std::abs(got.blue() - want.blue()), std::abs(got.alpha() - want.alpha())});
    if (d <= 3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.name(QColor::HexArgb).toStdString() << ", want "
                                         << want.name(QColor::HexArgb).toStdString();
}

} // namespace

TEST(ZEVItemViewGeometry, FrameAndIconPositionRoundTripAtRatioOneAndTwo)
{
    const ZEVIconPosition p{200, 300, 100, 0.25};
    // A square image takes the wide rule: S by S inside margins of 50, 50 and 55.
    expectSameRect(ZEVItemView::viewFrameForIconPosition(p, 1.0f), QRectF(150, 245, 200, 205));
    // Twice as tall as wide: 50 by 100, frame 150 by 205.
    const QRectF tall = ZEVItemView::viewFrameForIconPosition(p, 2.0f);
    expectSameRect(tall, QRectF(150, 245, 150, 205));
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
    KELI* o = d.objects.objet(10);
    // A wide ratio still gets the square frame until the first placement.
    auto made = d.viewer->creerItemView({200, 300, 100, 0.5}, o, 0.5f);
    auto* v = static_cast<ZEVItemView*>(made.get());
    expectSameRect(v->frame(), QRectF(150, 245, 200, 205));
    expectSameRect(v->imageFrame(), QRectF(200, 300, 100, 100));
    // y-up 245..450 in a desk 1000 high lies at scene y 550.
    EXPECT_DOUBLE_EQ(v->pos().y(), 1000 - 245 - 205);
    EXPECT_DOUBLE_EQ(v->pos().x(), 150);

    v->setIconPosition({200, 300, 100, 0.5}, 0);
    expectSameRect(v->frame(), QRectF(150, 245, 200, 155));
    EXPECT_DOUBLE_EQ(v->imageCentre().x(), 250);
    EXPECT_DOUBLE_EQ(v->imageCentre().y(), 325);
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
    auto made = d.viewer->creerItemView({0, 0, 64, 0}, d.objects.objet(10), 1.0f);
    ZEVItemViewServices& v = *made;
    v.setSiFutur(true); // not added: no future side
    EXPECT_EQ(v.siFuturCount(), 0);
    v.setSiFutur(false);
    EXPECT_EQ(v.siFuturCount(), 0);

    v.setSiAjoute(true);
    v.setSiFutur(true);
    EXPECT_TRUE(v.siFutur());
    v.setSiFutur(false);
    v.setSiFutur(false);
    EXPECT_EQ(v.siFuturCount(), 0);

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
    EXPECT_EQ(v.siFuturCount(), 0);
    EXPECT_EQ(static_cast<ZEVItemView&>(v).timeState(), ZEVItemTimeState::Outside);
    v.setSiActif(true);
    EXPECT_EQ(static_cast<ZEVItemView&>(v).timeState(), ZEVItemTimeState::Present);
}

TEST(ZEVItemViewVisibility, HiddenInAnotherChannelOrWhenTheChannelIsNotActive)
{
    Desk d;
    d.space.channel = 1;
    KELI* here = d.objects.objet(10, 1);
    KELI* elsewhere = d.objects.objet(11, 2);
    ZEVItemView* a = d.desk.add(here, {0, 0, 64, 0});
    ZEVItemView* b = d.desk.add(elsewhere, {0, 0, 64, 0});
    EXPECT_FALSE(a->isHidden());
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
    ZEVItemView* a = d.desk.add(d.objects.objet(10), {0, 0, 64, 0});
    ZEVItemView* b = d.desk.add(d.objects.objet(11), {0, 0, 64, 0});
    ZEVItemView* c = d.desk.add(d.objects.objet(12), {0, 0, 64, 0});
    a->orderToFront();
    EXPECT_EQ(ZEVItemView::itemViewsInStackingOrder(&d.desk.scene), (std::vector<ZEVItemView*>{b, c, a}));
    a->orderToFront(); // already last: stays last
    EXPECT_EQ(ZEVItemView::itemViewsInStackingOrder(&d.desk.scene).back(), a);
    c->orderToBack();
    EXPECT_EQ(ZEVItemView::itemViewsInStackingOrder(&d.desk.scene), (std::vector<ZEVItemView*>{c, b, a}));
    // Never below the background.
    EXPECT_GT(c->zValue(), background->zValue());
}

TEST(ZEVItemViewDrawing, RedrawSetsTitleAndWritesAlphaOnlyOnChange)
{
    Desk d;
    KELI* o = d.objects.objet(10);
    ZEVItemView* v = d.desk.add(o, {50, 55, 100, 0});
    v->setItemTitle("A title long enough to be cut in the middle of its words");
    v->setSiAjoute(true);
    v->setSiFutur(true);
    QImage img(v->boundingRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);

    // Future, not selected, icons mode: 0.35.
    ZEVItemDrawPlan plan = v->drawRect(p);
    EXPECT_EQ(plan.imageAlpha, 0.35);
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.35);
    EXPECT_TRUE(v->titleView()->isVisible());

    // The same state twice: the alpha is not written again.
    v->itemImageView()->setOpacity(0.35 + 1e-9);
    v->drawRect(p);
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.35 + 1e-9);

    // Selected: full alpha. Titles mode with a selected title: 0.6.
    d.space.icons = {o};
    v->drawRect(p);
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 1.0);
    d.space.icons.clear();
    d.space.mode = ZEVFrontModeTitles;
    d.space.titles = {o};
    v->drawRect(p);
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.6);

    // Titles hidden for the Object, unless it always shows its title.
    d.space.titles.clear();
    d.space.mode = ZEVFrontModeIcons;
    v->setSiFlickOn(true); // a flick step hides the title
    v->drawRect(p);
    EXPECT_FALSE(v->titleView()->isVisible());
    v->setSiFlickOn(false);

    // Outside: nothing drawn, nothing changed.
    v->setSiFutur(false);
    v->setSiAjoute(false);
    v->itemImageView()->setOpacity(0.42);
    plan = v->drawRect(p);
    EXPECT_TRUE(plan.ops.empty());
    EXPECT_DOUBLE_EQ(v->itemImageView()->alphaValue(), 0.42);
    p.end();
}

TEST(ZEVItemViewDrawing, RenderedPlateAndTabFollowTheState)
{
    Desk d;
    KELI* o = d.objects.objet(10);
    ZEVItemView* v = d.desk.add(o, {50, 55, 100, 0});
    d.space.icons = {o};
    const ZEVItemPalette& pal = d.viewer->palette();
    auto render = [&] {
        QImage img(v->boundingRect().size().toSize(), QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        v->paint(&p, nullptr, nullptr);
        return img;
    };
    // y-up (x, y) inside the view of height 205.
    auto at = [](const QImage& img, int x, int y) { return img.pixelColor(x, 205 - y); };
    // Plate corner region: inside the plate (grown by 10 around the image), outside the image.
    const int plateX = 45, plateY = 60;
    // The tab's point reaches 12 in from the edge at mid-height (y-up middle 105).
    const int leftTabX = 44, rightTabX = 156, midY = 105;

    v->setSiAjoute(true);
    v->setSiActif(true);
    QImage present = render();
    EXPECT_TRUE(near(at(present, plateX, plateY), pal.colour(ZEVColourRole::ActifCurseur)));

    v->setSiActif(false);
    QImage past = render();
    EXPECT_TRUE(near(at(past, leftTabX, midY), pal.colour(ZEVColourRole::Passe)));
    EXPECT_FALSE(near(at(past, rightTabX, midY), pal.colour(ZEVColourRole::Futur)));

    v->setSiFutur(true);
    QImage future = render();
    EXPECT_TRUE(near(at(future, rightTabX, midY), pal.colour(ZEVColourRole::Futur)));
    EXPECT_TRUE(near(at(future, plateX, plateY), pal.colour(ZEVColourRole::FuturActif)));
}

TEST(ZEVItemViewTitle, ShownMiddleTruncatedInTheSystemSans)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {50, 55, 40, 0});
    const QString title = "Beginning-of-a-very-long-file-name-that-goes-on-and-on.pdf";
    v->setItemTitle(title);
    const QString shown = v->titleView()->shownText();
    EXPECT_LT(shown.size(), title.size());
    EXPECT_TRUE(shown.startsWith("Beg"));
    EXPECT_TRUE(shown.endsWith("pdf"));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
}

TEST(ZEVItemViewIcon, ModifiableOnlyWhenActive)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {0, 0, 64, 0});
    EXPECT_FALSE(v->siModifiableIcon(true));
    v->setSiActif(true);
    EXPECT_TRUE(v->siModifiableIcon(true));
    EXPECT_TRUE(v->siModifiableIcon(false)); // no active cursor known: not in any past
}

TEST(ZEVItemViewTypeImage, EveryKindOfObjectHasAPictureUntilItsOwnIsKnown)
{
    for (const char* type : {"file", "http", "zevp", "ABPerson", "message", "folder", "pdf", "no-such-type"})
        EXPECT_FALSE(tallomer::ZEVItemView::imageDuType(QString::fromLatin1(type)).isNull()) << type;
}
