// The band of a link drag: where its ends stop, what it paints, and that it never reaches a view
// that is gone.

#include "tests/objects/ObjectsFakes.h"

#include "objects/view/ZEVConnectingView.h"
#include "platform/SystemColours.h"

#include <QPainter>

namespace objectstest {
namespace {

TEST(ConnectingLine, EndsStopOnTheirCirclesAndCirclesThatMeetLeaveNoLine)
{
    QPointF cs, cd;
    ZEVConnectingLine::radiusCorrection({0, 0}, {100, 0}, 10, 16, &cs, &cd);
    EXPECT_EQ(cs, QPointF(10, 0));
    EXPECT_EQ(cd, QPointF(84, 0));
    // 26 apart: the circles touch, the line has no length.
    ZEVConnectingLine::radiusCorrection({0, 0}, {0, 26}, 10, 16, &cs, &cd);
    EXPECT_EQ(cs, QPointF(0, 0));
    EXPECT_EQ(cd, QPointF(0, 0));
}

class Band : public ::testing::Test {
protected:
    Band()
    {
        a = d.objects.objet(1);
        b = d.objects.objet(2);
        va = d.desk.add(a, {300, 300, 64, 0});
        vb = d.desk.add(b, {700, 300, 64, 0});
    }
    // The band painted on a transparent image as high as the desk.
    QImage paint()
    {
        QImage img(1000, 1000, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        band.drawRect(p, 1000);
        return img;
    }
    Desk d;
    KELI* a = nullptr;
    KELI* b = nullptr;
    ZEVItemView* va = nullptr;
    ZEVItemView* vb = nullptr;
    ZEVConnectingView band;
};

TEST_F(Band, ALineAlreadyLinkedToTheObjectUnderThePointerHasAWhiteCoreFourWide)
{
    const QPointF c = va->imageCentre();
    const QPointF end = c + QPointF(200, 0);
    band.addConnectingLineWithSrcView(va, end, 10, 16);
    EXPECT_EQ(paint().pixelColor(int(c.x() + 100), int(1000 - c.y())).alpha(), 0) << "hidden between drags";
    band.setHidden(false);

    // One row below the line's axis (y-down): inside a core 4 wide, outside a core 1 wide.
    const int x = int(c.x() + 100);
    const int row = int(1000 - c.y()) + 1;
    band.updateConnectingLinesWithDstItem(b);
    EXPECT_FALSE(band.connectingLines()[0].siDejaConnecte());
    QImage img = paint();
    EXPECT_TRUE(near(img.pixelColor(x, row), systemDarkGrey())) << "a thin core on the dark edge";
    EXPECT_EQ(img.pixelColor(x, row + 4).alpha(), 0) << "the edge is 6 wide";

    d.objects.connected.insert({b, a});
    band.updateConnectingLinesWithDstItem(b);
    EXPECT_TRUE(band.connectingLines()[0].siDejaConnecte()) << "linked either way round";
    img = paint();
    EXPECT_TRUE(near(img.pixelColor(x, row), Qt::white)) << "the wide white core";
    // The rings: 10 around the icon's centre, 16 around the pointer.
    EXPECT_TRUE(near(img.pixelColor(int(c.x()), int(1000 - c.y() - 10)), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(int(end.x()), int(1000 - end.y() - 16)), Qt::white));
    EXPECT_EQ(img.pixelColor(int(c.x()), int(1000 - c.y())).alpha(), 0) << "nothing inside the ring";

    band.updateConnectingLinesWithDstItem(nullptr);
    EXPECT_FALSE(band.connectingLines()[0].siDejaConnecte()) << "the pointer left";
}

TEST_F(Band, LinesFollowThePointerAndAViewThatGoesTakesItsLineAlong)
{
    band.setHidden(false);
    band.addConnectingLineWithSrcView(va, {0, 0}, 10, 16);
    band.addConnectingLineWithSrcView(vb, {0, 0}, 10, 16);
    band.updateConnectingLinesWithDstPoint({500, 800});
    for (const ZEVConnectingLine& l : band.connectingLines())
        EXPECT_EQ(l.dragDstPoint(), QPointF(500, 800));

    d.desk.deleteItemView(va);
    ASSERT_EQ(band.connectingLines().size(), 1u) << "the line of the view that went is dropped";
    EXPECT_EQ(band.connectingLines()[0].dragSrcView(), vb);
    paint(); // reaches only the view that is still there
    band.removeConnectingLines();
    EXPECT_TRUE(band.connectingLines().empty());
}

} // namespace
} // namespace objectstest
