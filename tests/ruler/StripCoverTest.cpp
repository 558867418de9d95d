// The strip over the desk: Qt may leave out the desk's paint under it only while its drawing
// covers it, and what the window shows there is then the strip's own drawing.

#include "tests/ruler/RulerFixture.h"

#include <QImage>
#include <QPainter>

using namespace rulertest;

namespace {

using StripCover = LiveRuler;

// A colour no drawing of the program uses: left in the strip's place, nothing painted there.
const QColor kNothing(255, 0, 255);

QImage windowOver(QWidget* window)
{
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(kNothing);
    QPainter p(&image);
    window->render(&p);
    return image;
}

// The strip's place in the window, in the window's pixels.
QRect placeIn(const ZEVTlineView& strip) { return QRect(strip.mapTo(strip.window(), QPoint()), strip.size()); }

int nothingIn(const QImage& image, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixelColor(x, y) == kNothing;
    return n;
}

} // namespace

TEST_F(StripCover, TheStripHidesTheDeskOnlyWhileItsTintsCoverItAndTheWindowShowsItsDrawingThere)
{
    QWidget* window = strip->window();
    const QRect place = placeIn(*strip);
    ASSERT_FALSE(place.isEmpty());
    // What the window shows in the strip's place is what it shows with the desk painted under it.
    auto showsTheStrip = [&] {
        const QImage shot = windowOver(window).copy(place);
        strip->setAttribute(Qt::WA_OpaquePaintEvent, false);
        const QImage withTheDesk = windowOver(window).copy(place);
        strip->setAttribute(Qt::WA_OpaquePaintEvent, true);
        EXPECT_EQ(nothingIn(shot, shot.rect()), 0);
        EXPECT_TRUE(shot == withTheDesk);
    };

    // Its units chosen at its first paint, it covers its place.
    windowOver(window);
    EXPECT_TRUE(strip->testAttribute(Qt::WA_OpaquePaintEvent));
    showsTheStrip();

    // Another span: until the next paint chooses the units again, the desk is painted under it.
    range(-2 * 3600, 2 * 3600);
    EXPECT_FALSE(strip->testAttribute(Qt::WA_OpaquePaintEvent));
    windowOver(window);
    EXPECT_TRUE(strip->testAttribute(Qt::WA_OpaquePaintEvent));
    showsTheStrip();
    // The Search cursor stepped within the range: the cover holds frame after frame.
    searchAt(w() / 3);
    searchAt(w() * 2 / 3);
    EXPECT_TRUE(strip->testAttribute(Qt::WA_OpaquePaintEvent));
    showsTheStrip();

    // An axis without units draws nothing: the desk shows through, paint after paint.
    ZEVTlineType sansUnites;
    sansUnites.setInDate(tl()->nowIn(), tl()->nowOut());
    strip->setTlineType(&sansUnites);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(nothingIn(windowOver(window), place), 0);
        EXPECT_FALSE(strip->testAttribute(Qt::WA_OpaquePaintEvent));
    }
    strip->setTlineType(viewer->tlineType());
    windowOver(window);
    EXPECT_TRUE(strip->testAttribute(Qt::WA_OpaquePaintEvent));
}
