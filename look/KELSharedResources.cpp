#include "look/KELSharedResources.h"

#include "look/KELImagePainter.h"

#include <atomic>

namespace tallomer {

namespace {
std::atomic<int> g_instances{0};

QColor rgb(qreal r, qreal g, qreal b, qreal a = 1.0) { return QColor::fromRgbF(r, g, b, a); }
QColor white(qreal w, qreal a = 1.0) { return QColor::fromRgbF(w, w, w, a); }

// The platform's named greys: dark is one third white, light two thirds.
const QColor kDarkGrey = white(1.0 / 3.0);
const QColor kLightGrey = white(2.0 / 3.0);
} // namespace

QColor KELSharedResources::nowActifColor() { return rgb(250 / 255.0, 246 / 255.0, 246 / 255.0); }
QColor KELSharedResources::searchActifColor() { return rgb(1.0, 238 / 255.0, 219 / 255.0); }

int KELSharedResources::instancesMade() { return g_instances.load(); }

KELSharedResources::KELSharedResources()
{
    ++g_instances;

    presentColor_ = white(0.7);
    presentActifColor_ = Qt::white;
    presentAlphaColor_ = rgb(1, 1, 1, 0.6);
    presentDeskColor_ = rgb(0.7, 0.7, 0.7);
    futurColor_ = rgb(0.65, 0.65, 0.74);
    futurActifColor_ = rgb(0.88, 0.88, 1.0);
    futurAlphaColor_ = rgb(0.88, 0.88, 1.0, 0.6);
    passeColor_ = rgb(0.65, 0.74, 0.65);
    passeActifColor_ = rgb(0.88, 1.0, 0.88);
    passeAlphaColor_ = rgb(0.88, 1.0, 0.88, 0.4);
    rulerTexteColor_ = Qt::black;
    rulerTexteActifColor_ = Qt::white;
    contexteColor_ = Qt::white;
    nowCurseurColor_ = rgb(235 / 255.0, 19 / 255.0, 42 / 255.0);
    searchCurseurColor_ = rgb(1.0, 138 / 255.0, 10 / 255.0);
    curseurColor_ = nowCurseurColor_;
    actifCurseurColor_ = nowActifColor();
    outColor_ = kDarkGrey;
    outActifColor_ = kLightGrey;
    iconCadreLineColor_ = rgb(1, 1, 1, 0.5);
    iconCadreFondColor_ = rgb(0, 0, 0, 0.12);
    movingColor_ = rgb(0, 1, 0);
    notFoundColor_ = rgb(12 / 255.0, 65 / 255.0, 186 / 255.0);
    errorColor_ = rgb(207 / 255.0, 2 / 255.0, 0);
    impactedTVItemColor_ = rgb(104 / 255.0, 104 / 255.0, 104 / 255.0, 0.7);

    makeImages();

    itemShadow_ = {QPointF(0, -3), 10, kDarkGrey, false};
    itemCopyShadow_ = {QPointF(0, -3), 30, kDarkGrey, false};
    itemNoShadow_ = {QPointF(0, 0), 0, QColor(), true};
    itemTextPresentShadow_ = {QPointF(0, -1), 4, kDarkGrey, false};
    itemCopyTextShadow_ = {QPointF(0, -1), 6, QColor(Qt::black), false};
}

void KELSharedResources::makeImages()
{
    for (const QString& name : KELImagePainter::names())
        images_.insert(name, KELImagePainter::draw(name));
}

const QPixmap& KELSharedResources::image(const QString& name) const
{
    static const QPixmap kNull;
    const auto it = images_.constFind(name);
    return it == images_.constEnd() ? kNull : it.value();
}

void KELSharedResources::setActifCurseurColorSiNow(bool siNow)
{
    curseurColor_ = siNow ? nowCurseurColor_ : searchCurseurColor_;
    actifCurseurColor_ = siNow ? nowActifColor() : searchActifColor();
}

} // namespace tallomer
