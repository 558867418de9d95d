#include "tests/objects/ObjectsFakes.h"

#include "objects/drawing/ZEVItemTitleText.h"
#include "platform/SystemFont.h"
#include "space/ZEVSpaceWindow.h"

#include <QPainter>
#include <QThread>

#include <vector>

using namespace tallomer;
using namespace objectstest;

namespace {

// The title alone, painted as the scene paints it: its Object view's drawing first (which sets
// the title's colours), then the title.
QImage paintTitle(ZEVItemView* v, qreal pixelRatio = 1.0)
{
    QImage whole(v->boundingRect().size().toSize() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    whole.setDevicePixelRatio(pixelRatio);
    whole.fill(Qt::transparent);
    QPainter p(&whole);
    v->drawRect(p);
    p.end();
    const QSize size = v->titleView()->boundingRect().size().toSize();
    QImage img(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(pixelRatio);
    img.fill(Qt::transparent);
    QPainter t(&img);
    v->titleView()->paint(t);
    return img;
}

} // namespace

TEST(ZEVItemTitleCell, ARenamedObjectShowsItsNewTitleAtOnceAndAnUnchangedOneIsNotDrawnAgain)
{
    Desk d;
    ZEVItemView* renamed = d.desk.add(d.objects.objet(10), {50, 55, 100, 0});
    ZEVItemView* other = d.desk.add(d.objects.objet(11), {300, 55, 100, 0});
    renamed->setItemTitle(QStringLiteral("Budget 2026"));
    other->setItemTitle(QStringLiteral("Holidays"));

    const QImage before = paintTitle(renamed);
    EXPECT_EQ(renamed->titleView()->cellRedraws(), 1);
    // Painted again with nothing changed: blitted, and the same pixels.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(paintTitle(renamed), before);
    EXPECT_EQ(renamed->titleView()->cellRedraws(), 1);

    renamed->setItemTitle(QStringLiteral("Holidays"));
    const QImage after = paintTitle(renamed);
    EXPECT_EQ(renamed->titleView()->cellRedraws(), 2);
    EXPECT_NE(after, before);
    // The new title's pixels are those of a view that always had it.
    EXPECT_EQ(after, paintTitle(other));

    // The same text set again draws nothing anew.
    renamed->setItemTitle(QStringLiteral("Holidays"));
    paintTitle(renamed);
    EXPECT_EQ(renamed->titleView()->cellRedraws(), 2);
}

TEST(ZEVItemTitleCell, SelectionModeAndTimeStateShowAtOnce)
{
    Desk d;
    KELI* o = d.objects.objet(10);
    ZEVItemView* v = d.desk.add(o, {50, 55, 100, 0});
    v->setItemTitle(QStringLiteral("Notes"));
    v->setSiAjoute(true);
    v->setSiFutur(true);
    const ZEVItemPalette& palette = d.viewer->palette();

    const QImage plain = paintTitle(v);
    const int midY = plain.height() / 2;
    // Unselected: no plate at the cell's left end.
    EXPECT_EQ(plain.pixelColor(4, midY).alpha(), 0);
    const int drawn = v->titleView()->cellRedraws();

    // Selected in the icons mode, in the future: the plate in the future colour.
    d.space.titles = {o};
    const QImage selected = paintTitle(v);
    EXPECT_EQ(v->titleView()->cellRedraws(), drawn + 1);
    EXPECT_TRUE(near(selected.pixelColor(4, midY), palette.colour(ZEVColourRole::Futur)));

    // The Titles mode changes the plate's colour.
    d.space.mode = ZEVFrontModeTitles;
    const QImage titles = paintTitle(v);
    EXPECT_EQ(v->titleView()->cellRedraws(), drawn + 2);
    EXPECT_TRUE(near(titles.pixelColor(4, midY), palette.colour(ZEVColourRole::FuturActif)));

    // Leaving the future for the present changes it again.
    v->setSiFutur(false);
    v->setSiActif(true);
    const QImage present = paintTitle(v);
    EXPECT_NE(present, titles);

    // Deselected: the plate goes, and the cell is again the plain one.
    d.space.titles.clear();
    d.space.mode = ZEVFrontModeIcons;
    v->setSiActif(false);
    v->setSiFutur(true);
    EXPECT_EQ(paintTitle(v), plain);
}

TEST(ZEVItemTitleCell, DrawnAgainForAnotherPixelRatioOrWidthAndSharpAtEach)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {50, 55, 100, 0});
    v->setItemTitle(QStringLiteral("Report"));
    const QImage one = paintTitle(v);
    const QImage two = paintTitle(v, 2.0);
    EXPECT_EQ(v->titleView()->cellRedraws(), 2);
    // At twice the pixels the cell is drawn at twice the pixels, not blown up: the same as a
    // straight drawing at that ratio.
    QImage straight(two.size(), QImage::Format_ARGB32_Premultiplied);
    straight.setDevicePixelRatio(2.0);
    straight.fill(Qt::transparent);
    {
        QPainter p(&straight);
        QFont font = ZEVItemTitleText::font();
        QStaticText text(QStringLiteral("Report"));
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
        ZEVItemTitleLook look;
        look.size = v->titleView()->boundingRect().size();
        look.text = d.viewer->palette().colour(v->titleColours()->text).rgba();
        look.shadow = v->titleColours()->shadow;
        ZEVItemTitleCell::draw(p, text, font, look);
    }
    int differing = 0;
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x)
            differing += !near(two.pixelColor(x, y), straight.pixelColor(x, y));
    // Pixel rounding of the blit's place may shift an edge; the glyphs themselves match.
    EXPECT_LT(differing, two.width() * two.height() / 50);
    EXPECT_NE(one.size(), two.size());

    // A narrower cell cuts the title and draws it again.
    v->setIconPosition({50, 55, 40, 0}, 0);
    paintTitle(v);
    EXPECT_EQ(v->titleView()->cellRedraws(), 3);
}

// Titles are laid out once; a new system font must still reach every one of them, and a notice
// that leaves the font as it was must redraw none.
TEST(ZEVItemTitleCell, AChangeOfTheSystemFontLaysEveryTitleOutAgainAndNothingElseDoes)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {50, 55, 100, 0});
    v->setItemTitle(QStringLiteral("Quarterly accounts for the board, final version.pdf"));
    const QImage before = paintTitle(v);
    const QString shownBefore = v->titleView()->shownText();
    EXPECT_EQ(v->titleView()->cellRedraws(), 1);

    QFont larger = ZEVItemTitleText::font();
    larger.setPointSizeF(ZEVItemTitleText::kPointSize * 1.6);
    ZEVItemTitleText::overrideFontForTests(larger);
    // The shared font and key made once per change follow it.
    EXPECT_EQ(ZEVItemTitleText::font(), larger);
    EXPECT_EQ(ZEVItemTitleText::fontKey(), larger.key());
    const QImage after = paintTitle(v);
    EXPECT_EQ(v->titleView()->cellRedraws(), 2);
    EXPECT_NE(after, before);
    // The larger font leaves room for less of the title in the same width.
    EXPECT_LT(v->titleView()->shownText().size(), shownBefore.size());

    // A notice of a change that changed nothing for titles: blitted as it was.
    systemfont::changed();
    EXPECT_EQ(paintTitle(v), after);
    EXPECT_EQ(v->titleView()->cellRedraws(), 2);

    ZEVItemTitleText::overrideFontForTests(std::nullopt);
    EXPECT_EQ(ZEVItemTitleText::fontKey(), ZEVItemTitleText::font().key());
    EXPECT_NE(ZEVItemTitleText::fontKey(), larger.key());
    EXPECT_EQ(paintTitle(v), before);
    EXPECT_EQ(v->titleView()->shownText(), shownBefore);
    EXPECT_EQ(v->titleView()->cellRedraws(), 3);
}

namespace {

QImage transparent(const QSize& points, qreal pixelRatio)
{
    QImage img(points * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(pixelRatio);
    img.fill(Qt::transparent);
    return img;
}

QStaticText laidOut(const QString& text, const QFont& font)
{
    QStaticText shown(text);
    shown.setTextFormat(Qt::PlainText);
    shown.prepare(QTransform(), font);
    return shown;
}

// A shadowed title, a plain one in another colour and one on a plate with an edge.
std::vector<ZEVItemTitleLook> threeLooks()
{
    ZEVItemTitleLook shadowed;
    shadowed.size = QSizeF(140, 18);
    ZEVItemTitleLook plain = shadowed;
    plain.shadow = false;
    plain.text = qRgb(20, 40, 200);
    ZEVItemTitleLook plate = shadowed;
    plate.fill = qRgba(30, 120, 220, 200);
    plate.stroke = qRgb(255, 255, 255);
    return {shadowed, plain, plate};
}

} // namespace

// The cell keeps only the pixels its drawing inks; what it blits must still be, pixel for pixel,
// what the straight drawing draws, wherever the cut falls (plain, shadowed, on a plate, at 2x).
TEST(ZEVItemTitleCell, HoldsOnlyTheInkedPixelsAndBlitsWhatTheStraightDrawingDraws)
{
    const QFont font = ZEVItemTitleText::font();
    const QStaticText shown = laidOut(QStringLiteral("Quarterly jumps"), font);

    for (const qreal ratio : {1.0, 2.0}) {
        for (const ZEVItemTitleLook& look : threeLooks()) {
            // Placed off the pixel grid's origin, as a title on the desk is.
            const QPointF at(7, 5);
            const QSize room(160, 30);
            ZEVItemTitleCell cell;
            QImage blitted = transparent(room, ratio);
            {
                QPainter p(&blitted);
                p.translate(at);
                cell.paint(p, shown, font, font.key(), look);
            }
            QImage straight = transparent(room, ratio);
            {
                QPainter p(&straight);
                p.translate(at);
                ZEVItemTitleCell::draw(p, shown, font, look);
            }
            // A plate's cell holds the cell alone: glyphs reaching past it are cut there.
            const QRect compared = look.fill ? QRectF(at * ratio, look.size * ratio).toRect() : straight.rect();
            int differing = 0;
            for (int y = compared.top(); y <= compared.bottom(); ++y)
                for (int x = compared.left(); x <= compared.right(); ++x)
                    differing += !near(blitted.pixelColor(x, y), straight.pixelColor(x, y));
            EXPECT_EQ(differing, 0) << "ratio " << ratio << " fill " << bool(look.fill) << " shadow " << look.shadow;

            const QSize cellPixels = (look.size * ratio).toSize();
            if (look.fill) {
                // The plate is inked from end to end.
                EXPECT_GE(cell.heldPixels().width(), cellPixels.width() - 2 * int(ratio));
            } else {
                // The line's empty room above and below the glyphs is not held, nor the cell's
                // width beyond the text.
                EXPECT_LT(cell.heldPixels().height(), shown.size().height() * ratio);
                EXPECT_LE(cell.heldPixels().width(), (shown.size().width() + 2) * ratio);
            }
            EXPECT_EQ(cell.heldBytes(), qsizetype(cell.heldPixels().width()) * cell.heldPixels().height() * 4);
        }
    }
}

// A shown text that inks nothing (blanks) holds nothing and blits nothing, and is not drawn
// again at every paint for it.
TEST(ZEVItemTitleCell, ATitleThatInksNothingHoldsNothing)
{
    const QFont font = ZEVItemTitleText::font();
    const QStaticText blanks = laidOut(QStringLiteral("   "), font);
    ZEVItemTitleLook look;
    look.size = QSizeF(140, 18);
    ZEVItemTitleCell cell;
    QImage img = transparent(QSize(150, 25), 1.0);
    for (int i = 0; i < 3; ++i) {
        QPainter p(&img);
        cell.paint(p, blanks, font, font.key(), look);
    }
    EXPECT_EQ(cell.redraws(), 1);
    EXPECT_EQ(cell.heldBytes(), 0);
    QImage none = transparent(QSize(150, 25), 1.0);
    EXPECT_EQ(img, none);

    // Text afterwards shows at once.
    const QStaticText words = laidOut(QStringLiteral("Notes"), font);
    {
        QPainter p(&img);
        cell.paint(p, words, font, font.key(), look);
    }
    EXPECT_EQ(cell.redraws(), 2);
    EXPECT_GT(cell.heldBytes(), 0);
    EXPECT_NE(img, none);
}

// A cell drawn on another thread from a layout made there, and then held by the cell, blits what
// the cell draws for itself.
TEST(ZEVItemTitleCell, ACellDrawnOnAnotherThreadBlitsWhatItsOwnPaintDraws)
{
    const QFont font = ZEVItemTitleText::font();
    const QString text = QStringLiteral("Quarterly jumps");
    const QStaticText shown = laidOut(text, font);
    for (const qreal ratio : {1.0, 2.0}) {
        for (const ZEVItemTitleLook& look : threeLooks()) {
            ZEVItemTitleCell::Drawn drawn;
            std::unique_ptr<QThread> worker(
                QThread::create([&] { drawn = ZEVItemTitleCell::render(laidOut(text, font), font, look, ratio); }));
            worker->start();
            worker->wait();
            ZEVItemTitleCell there;
            there.adopt(std::move(drawn), shown, font.key(), look, ratio);
            ZEVItemTitleCell here;
            QImage fromThere = transparent(QSize(160, 30), ratio);
            QImage fromHere = transparent(QSize(160, 30), ratio);
            for (auto [cell, img] : {std::pair{&there, &fromThere}, std::pair{&here, &fromHere}}) {
                QPainter p(img);
                p.translate(7, 5);
                cell->paint(p, shown, font, font.key(), look);
            }
            EXPECT_EQ(fromThere, fromHere)
                << "ratio " << ratio << " fill " << bool(look.fill) << " shadow " << look.shadow;
            // Held as drawn: its paint blitted it.
            EXPECT_EQ(there.redraws(), 1);
        }
    }
}

namespace {

// More stale titles than a paint draws by itself: these go to worker threads.
constexpr int kMany = 40;

QString titleNumber(int i)
{
    // Short ones shown whole, long ones cut in the middle.
    return i % 2 ? QStringLiteral("Notes %1").arg(i)
                 : QStringLiteral("Quarterly accounts %1 for the board, final version.pdf").arg(i);
}

std::vector<ZEVItemTitleView*> titlesOf(const std::vector<ZEVItemView*>& views)
{
    std::vector<ZEVItemTitleView*> titles;
    for (ZEVItemView* v : views)
        titles.push_back(v->titleView());
    return titles;
}

} // namespace

// Titles drawn together before a paint, off the GUI thread, must be pixel for pixel what their
// own paint draws, in every look (the usual shadow, the Titles mode's, a plate) and at 1x and 2x.
TEST(ZEVItemTitleCell, TitlesDrawnTogetherBeforeThePaintHaveThePixelsOfTitlesDrawnByIt)
{
    enum class State { Shadowed, TitlesShadow, Plate };
    for (const qreal ratio : {1.0, 2.0}) {
        for (const State state : {State::Shadowed, State::TitlesShadow, State::Plate}) {
            Desk d;
            std::vector<ZEVItemView*> together, alone;
            for (int i = 0; i < kMany; ++i) {
                KELI* o = d.objects.objet(10 + i);
                together.push_back(d.desk.add(o, {50, 55, 100, 0}));
                alone.push_back(d.desk.add(d.objects.objet(100 + i), {50, 55, 100, 0}));
                together.back()->setItemTitle(titleNumber(i));
                alone.back()->setItemTitle(titleNumber(i));
                if (state == State::Plate) {
                    d.space.titles.push_back(o);
                    d.space.titles.push_back(d.objects.objets[100 + i]);
                }
            }
            if (state == State::TitlesShadow)
                d.space.mode = ZEVFrontModeTitles;

            ZEVItemTitleView::prepareForPaint(titlesOf(together), QTransform(), ratio);
            for (int i = 0; i < kMany; ++i) {
                const ZEVItemTitleView* title = together[i]->titleView();
                ASSERT_TRUE(title->laidOut());
                EXPECT_EQ(title->cellRedraws(), 1);
                EXPECT_EQ(paintTitle(together[i], ratio), paintTitle(alone[i], ratio))
                    << "ratio " << ratio << " state " << int(state) << " title " << i;
                // Its paint blitted what was drawn for it.
                EXPECT_EQ(title->cellRedraws(), 1);
                EXPECT_EQ(title->shownText(), alone[i]->titleView()->shownText());
            }
            if (state == State::Plate) {
                const QImage plate = paintTitle(together[0], ratio);
                EXPECT_GT(plate.pixelColor(4 * int(ratio), plate.height() / 2).alpha(), 0);
            }
        }
    }

    // A few stale titles are left to their own paint.
    Desk d;
    std::vector<ZEVItemView*> few;
    for (int i = 0; i < 3; ++i) {
        few.push_back(d.desk.add(d.objects.objet(10 + i), {50, 55, 100, 0}));
        few.back()->setItemTitle(titleNumber(i));
    }
    ZEVItemTitleView::prepareForPaint(titlesOf(few), QTransform(), 1.0);
    for (ZEVItemView* v : few)
        EXPECT_FALSE(v->titleView()->laidOut());
    paintTitle(few[0]);
    EXPECT_EQ(few[0]->titleView()->cellRedraws(), 1);
}

namespace {

// A desk canvas showing the scene of `d`, as large as the desk.
struct Canvas {
    explicit Canvas(Desk& d)
    {
        d.desk.scene.setSceneRect(0, 0, 800, d.desk.deskHeight());
        canvas.resize(800, int(d.desk.deskHeight()));
        canvas.setScene(&d.desk.scene);
        canvas.show();
    }
    // One full paint, as the window system asks it.
    QImage paint()
    {
        QImage image(canvas.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        canvas.viewport()->render(&image);
        return image;
    }
    bool shows(ZEVItemView* v) const
    {
        return QRect(QPoint(0, 0), canvas.viewport()->size())
            .intersects(canvas.mapFromScene(v->titleView()->sceneBoundingRect()).boundingRect());
    }

    ZEVDeskCanvas canvas{nullptr};
};

// Views in a grid of `columns`, from desk point `x`, titled by their number.
std::vector<ZEVItemView*> addGrid(Desk& d, KELId firstId, double x, int columns)
{
    std::vector<ZEVItemView*> views;
    for (int i = 0; i < kMany; ++i) {
        views.push_back(
            d.desk.add(d.objects.objet(firstId + i), {x + 95.0 * (i % columns), 500.0 - 110.0 * (i / columns), 64, 0}));
        views.back()->setItemTitle(titleNumber(i));
    }
    return views;
}

} // namespace

// The first paint of the canvas draws the titles it shows, each once, and no other: the views off
// the canvas and those of a desk not shown keep no layout and no image.
TEST(ZEVItemTitleCell, APaintOfTheCanvasDrawsTheTitlesItShowsAndNoOther)
{
    Desk shown, other;
    const std::vector<ZEVItemView*> inside = addGrid(shown, 10, 60, 8);
    const std::vector<ZEVItemView*> outside = addGrid(shown, 100, 200000, 8);
    const std::vector<ZEVItemView*> elsewhere = addGrid(other, 10, 60, 8);
    Canvas c(shown);
    for (ZEVItemView* v : inside)
        ASSERT_TRUE(c.shows(v));
    for (ZEVItemView* v : outside)
        ASSERT_FALSE(c.shows(v));

    const quint64 ahead = ZEVItemTitleView::drawnAhead();
    const QImage first = c.paint();
    EXPECT_EQ(ZEVItemTitleView::drawnAhead(), ahead + kMany);
    for (ZEVItemView* v : inside) {
        EXPECT_TRUE(v->titleView()->laidOut());
        EXPECT_EQ(v->titleView()->cellRedraws(), 1);
    }
    for (const auto* views : {&outside, &elsewhere}) {
        for (ZEVItemView* v : *views) {
            EXPECT_FALSE(v->titleView()->laidOut());
            EXPECT_EQ(v->titleView()->cellBytes(), 0);
            EXPECT_EQ(v->titleView()->cellRedraws(), 0);
        }
    }
    // Painted again, every title is blitted.
    EXPECT_EQ(c.paint(), first);
    for (ZEVItemView* v : inside)
        EXPECT_EQ(v->titleView()->cellRedraws(), 1);
}

// Renamed titles show their new text at the canvas' next paint, one alone or many together: the
// same pixels as on a desk where they always had it.
TEST(ZEVItemTitleCell, RenamedTitlesShowTheirNewTextAtTheNextPaintOfTheCanvas)
{
    Desk renamed, always;
    const std::vector<ZEVItemView*> views = addGrid(renamed, 10, 60, 8);
    const std::vector<ZEVItemView*> reference = addGrid(always, 10, 60, 8);
    Canvas c(renamed);
    Canvas r(always);
    const QImage before = c.paint();

    const QString budget = QStringLiteral("Budget 2026");
    views[5]->setItemTitle(budget);
    reference[5]->setItemTitle(budget);
    const quint64 ahead = ZEVItemTitleView::drawnAhead();
    QImage after = c.paint();
    // One renamed title is drawn by its paint.
    EXPECT_EQ(ZEVItemTitleView::drawnAhead(), ahead);
    EXPECT_NE(after, before);
    EXPECT_EQ(views[5]->titleView()->shownText(), budget);
    EXPECT_EQ(views[5]->titleView()->cellRedraws(), 2);
    EXPECT_EQ(views[6]->titleView()->cellRedraws(), 1);
    EXPECT_EQ(after, r.paint());

    // All of them at once: drawn together before the paint.
    Desk fresh;
    const std::vector<ZEVItemView*> freshViews = addGrid(fresh, 10, 60, 8);
    for (int i = 0; i < kMany; ++i) {
        views[i]->setItemTitle(QStringLiteral("Renamed %1").arg(i));
        freshViews[i]->setItemTitle(QStringLiteral("Renamed %1").arg(i));
    }
    const quint64 aheadOfAll = ZEVItemTitleView::drawnAhead();
    after = c.paint();
    EXPECT_EQ(ZEVItemTitleView::drawnAhead(), aheadOfAll + kMany);
    for (int i = 0; i < kMany; ++i)
        EXPECT_EQ(views[i]->titleView()->shownText(), QStringLiteral("Renamed %1").arg(i));
    EXPECT_EQ(views[6]->titleView()->cellRedraws(), 2);
    Canvas f(fresh);
    EXPECT_EQ(after, f.paint());
}
