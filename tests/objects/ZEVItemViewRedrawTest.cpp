// A view asked to show its state again repaints only when what it would draw differs from what
// its last paint drew: a refresh pass asks hundreds of views, and most look as they did.

#include "tests/objects/ObjectsFakes.h"

#include <QCoreApplication>
#include <QPainter>

#include <functional>

using namespace tallomer;
using namespace objectstest;

namespace {

// Whether the scene reports a repaint over the view once the event loop has run.
bool repaintsAfter(ZEVItemView* v, const std::function<void()>& change)
{
    QGraphicsScene* scene = v->scene();
    bool repainted = false;
    const QRectF where = v->sceneBoundingRect();
    auto c = QObject::connect(scene, &QGraphicsScene::changed, [&](const QList<QRectF>& rects) {
        for (const QRectF& r : rects)
            repainted = repainted || r.intersects(where);
    });
    QCoreApplication::processEvents();
    repainted = false;
    change();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QObject::disconnect(c);
    return repainted;
}

void paint(ZEVItemView* v)
{
    QImage img(v->boundingRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    v->paint(&p, nullptr, nullptr);
}

TEST(ZEVItemViewRedraw, RepaintsOnlyWhenItsStateChangedSinceItsLastPaint)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(10), {50, 55, 100, 0});
    v->setSiAjoute(true);
    // Never painted: it must be.
    EXPECT_TRUE(repaintsAfter(v, [v] { v->updateIfDrawChanged(); }));
    paint(v);
    EXPECT_FALSE(repaintsAfter(v, [v] { v->updateIfDrawChanged(); })) << "it looks as it was painted";

    // Present now: another look.
    v->setSiActif(true);
    EXPECT_TRUE(repaintsAfter(v, [v] { v->updateIfDrawChanged(); }));
    paint(v);
    // Changed and changed back before any paint: what shows is still right.
    v->setSiActif(false);
    v->setSiActif(true);
    EXPECT_FALSE(repaintsAfter(v, [v] { v->updateIfDrawChanged(); }));

    // A selection read at paint time counts too.
    d.space.icons.push_back(v->item());
    EXPECT_TRUE(repaintsAfter(v, [v] { v->updateIfDrawChanged(); }));
}

} // namespace
