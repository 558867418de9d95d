#include "ruler/ZEVTlineCurseurView.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "widgets/ZEVPathArc.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tallomer {

namespace {

// Rectangles hold their left and bottom edges, not their right and top ones.
bool contient(const QRectF& r, const QPointF& p)
{
    return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() && p.y() < r.top() + r.height();
}

QColor gris() { return QColor::fromRgbF(0.5f, 0.5f, 0.5f); }

void cercle(QPainter& p, double x, double y, double diametre, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRectF(x, y, diametre, diametre));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The owner of the press

ZEVTlineMouseTarget::~ZEVTlineMouseTarget()
{
    if (owner_ == this)
        owner_ = nullptr;
}

bool ZEVTlineMouseTarget::initierDeplacementPropre(ZEVRulerViewer& viewer)
{
    const bool accorde = viewer.userInitieDeplacementCurseur();
    deplacementPropre_ = accorde ? viewer.mouvementEnCours() : 0;
    return accorde;
}

bool ZEVTlineMouseTarget::siDeplacementPropre(const ZEVRulerViewer& viewer) const
{
    return deplacementPropre_ != 0 && viewer.mouvementEnCours() == deplacementPropre_;
}

void ZEVTlineMouseTarget::terminerDeplacementPropre(ZEVRulerViewer& viewer)
{
    const bool mien = siDeplacementPropre(viewer);
    deplacementPropre_ = 0;
    if (mien)
        viewer.userTermineDeplacementCurseur();
}

bool ZEVTlineMouseTarget::passerAuProprietaire(QMouseEvent* event, bool release)
{
    ZEVTlineMouseTarget* o = owner_;
    if (!o || o == this)
        return false;
    if (release)
        o->mouseUp(event);
    else
        o->mouseDragged(event);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The base view

ZEVTlineCurseurView::ZEVTlineCurseurView(KELICurseur* curseur, ZEVTlineView& strip, ZEVRulerViewer& viewer)
    : curseur_(curseur), contexte_(curseur ? curseur->contexte() : nullptr), strip_(strip), viewer_(viewer)
{
    passeColor_ = QColor::fromRgbF(0.88f, 1.0f, 0.88f, 0.75f);
    futurColor_ = QColor::fromRgbF(0.88f, 0.88f, 1.0f, 0.75f);
    construireLesMenus();
}

ZEVTlineCurseurView::~ZEVTlineCurseurView() = default;

bool ZEVTlineCurseurView::siActif() const { return curseur_ && curseur_ == viewer_.actifCurseur(); }

ZEVFrontViewerServices* ZEVTlineCurseurView::front() const { return viewer_.spaceController().frontViewer(); }

const KELSharedResources& ZEVTlineCurseurView::resources() const
{
    return viewer_.spaceController().host().sharedResources();
}

ZEVRulerViewbarServices& ZEVTlineCurseurView::bar() const { return *viewer_.rulerViewbar(); }

void ZEVTlineCurseurView::terminerDeplacementCurseur()
{
    clickPosition_ = kNone;
    clickPositionForDisplay_ = kNone;
    siMouseDragged_ = false;
    siCommandKey_ = false;
}

void ZEVTlineCurseurView::calculerGeometrie()
{
    ZEVTlineType* axe = strip_.tlineType();
    w_ = strip_.largeur();
    h_ = strip_.hauteur();
    auto x = [&](KELDate d) { return axe ? std::floor(axe->relativeCoordinateForDate(d) * w_) : 0.0; };
    xIn_ = curseur_ ? x(curseur_->nowIn()) : 0;
    xNow_ = curseur_ ? x(curseur_->now()) : 0;
    xOut_ = curseur_ ? x(curseur_->nowOut()) : 0;
    frame_ = QRectF(xIn_ - kGripWidth, 0, xOut_ - xIn_ + 2 * kGripWidth, h_);
    curseurRect_ = QRectF(xNow_ - kHandleWidth / 2, 0, kHandleWidth, h_);
    calculerBandes();
}

int ZEVTlineCurseurView::clickPositionForEvent(QMouseEvent* event)
{
    locationInWindow_ = event->scenePosition();
    return clickPositionForPoint(pointDansLeStrip(locationInWindow_));
}

QPointF ZEVTlineCurseurView::pointDansLeStrip(const QPointF& windowPosition) const
{
    return strip_.pointDansLeStrip(windowPosition);
}

double ZEVTlineCurseurView::frameWidth() const { return strip_.largeur(); }

double ZEVTlineCurseurView::deltaT(QMouseEvent* event) const
{
    ZEVTlineType* axe = strip_.tlineType();
    const double w = strip_.largeur();
    if (!axe || w < 2)
        return 0.0;
    const double dx = pointDansLeStrip(event->scenePosition()).x() - pointDansLeStrip(locationInWindow_).x();
    return dx * axe->lenght() / (w - 1);
}

std::optional<KELDate> ZEVTlineCurseurView::dateAtWindowX(double xw) const
{
    ZEVTlineType* axe = strip_.tlineType();
    const double f = frameWidth();
    if (!axe || f < 2)
        return std::nullopt;
    return axe->dateForRelativeCoordinate(xw / (f - 1));
}

void ZEVTlineCurseurView::arreterBouger()
{
    if (!siBouger_)
        return;
    viewer_.userDesactiveBouger();
    siBouger_ = false;
}

template <class F>
void ZEVTlineCurseurView::dansUnMouvement(F what)
{
    if (!viewer_.userInitieDeplacementCurseur())
        return;
    what();
    viewer_.displayRuler();
    viewer_.userTermineDeplacementCurseur();
}

// The in-edge bracket: two quarter circles left of the in-edge, opening towards the context.
void ZEVTlineCurseurView::remplirBracketIn(QPainter& p, const QColor& colour) const
{
    const QRectF& b = beginRect_;
    const double r = (b.height() - 2) / 2;
    QPainterPath haut;
    haut.moveTo(b.x() + b.width(), b.height() - 1);
    addArcToPoint(haut, QPointF(b.x() + 1, b.height() - 1), QPointF(b.x() + 1, 0), r);
    QPainterPath bas;
    bas.moveTo(b.x() + b.width(), 1);
    addArcToPoint(bas, QPointF(b.x() + 1, 1), QPointF(b.x() + 1, b.height()), r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 2));
    p.drawPath(haut);
    p.drawPath(bas);
    p.setPen(QPen(colour, 1));
}

// ---------------------------------------------------------------------------------------------
// Menus

void ZEVTlineCurseurView::construireLesMenus()
{
    menuContexte_ = std::make_unique<QMenu>();
    menuContexteIn_ = std::make_unique<QMenu>();
    menuContexteOut_ = std::make_unique<QMenu>();
    QMenu* m = menuContexte_.get();
    QObject::connect(m->addAction(QStringLiteral("Go to Now")), &QAction::triggered, m, [this] { menuZoomNow(); });
    m->addSeparator();
    QAction* home = m->addAction(QStringLiteral("Home Time"));
    home->setData(kTagHomeTime);
    QObject::connect(home, &QAction::triggered, m, [this] {
        if (ZEVFrontViewerServices* f = front())
            f->menuHomeTime();
    });
    QAction* save = m->addAction(QStringLiteral("Save as Home Time"));
    save->setData(kTagSaveHomeTime);
    QObject::connect(save, &QAction::triggered, m, [this] { viewer_.menuPresetSaveHome(); });

    QObject::connect(menuContexteIn_->addAction(QStringLiteral("Past Edge to the Cursor")), &QAction::triggered,
                     menuContexteIn_.get(), [this] { dansUnMouvement([this] { viewer_.userPlaceContexteInToZero(); }); });
    QObject::connect(menuContexteOut_->addAction(QStringLiteral("Future Edge to the Cursor")), &QAction::triggered,
                     menuContexteOut_.get(),
                     [this] { dansUnMouvement([this] { viewer_.userPlaceContexteOutToZero(); }); });

    for (QMenu* menu : {menuContexte_.get(), menuContexteIn_.get(), menuContexteOut_.get()}) {
        QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu] {
            if (menu != menuContexte_.get())
                return;
            for (QAction* a : menu->actions())
                if (a->data().toInt() == kTagHomeTime || a->data().toInt() == kTagSaveHomeTime)
                    a->setVisible(siNow());
        });
        QObject::connect(menu, &QMenu::aboutToHide, menu, [this, menu] {
            // Closed without a choice: nothing is worked on any more.
            if (!menu->activeAction()) {
                clickPositionForDisplay_ = kNone;
                strip_.update();
            }
        });
    }
}

QMenu* ZEVTlineCurseurView::menuForEvent(QMouseEvent* event)
{
    // A menu ends the wheel's gesture at once.
    scrollWheelStop();
    if (!viewer_.siAccepteDeplacement())
        return nullptr;
    if (!siActif())
        return strip_.menuForEvent(event);
    const MenuChoisi choix = menuForRegion(clickPositionForEvent(event));
    if (!choix.menu)
        return strip_.menuForEvent(event);
    if (choix.highlight)
        clickPositionForDisplay_ = *choix.highlight;
    strip_.repaint();
    return choix.menu;
}

// ---------------------------------------------------------------------------------------------
// The Now view

ZEVTlineCurseurRecall::ZEVTlineCurseurRecall(KELICurseur* curseur, ZEVTlineView& strip, ZEVRulerViewer& viewer)
    : ZEVTlineCurseurView(curseur, strip, viewer)
{
    passeUnactifColor_ = QColor::fromRgbF(0.88f, 1.0f, 0.88f, 0.3f);
    futurUnactifColor_ = QColor::fromRgbF(0.88f, 0.88f, 1.0f, 0.3f);
}

void ZEVTlineCurseurRecall::calculerBandes()
{
    passeRect_ = QRectF(xIn_, 0, xNow_ - xIn_, kBandHeight);
    futurRect_ = QRectF(xNow_, 0, xOut_ - xNow_ + 1, kBandHeight);
    // The grips and needle line of an inactive view stay those of its last active drawing.
    if (!siActif())
        return;
    curseurLine_ = QRectF(xNow_ - 1, 0, 3, h_ - 3);
    beginRect_ = QRectF(xIn_ - kGripWidth, 0, kGripWidth, kBandHeight);
    endRect_ = QRectF(xOut_, 0, kGripWidth, kBandHeight);
}

int ZEVTlineCurseurRecall::clickPositionForPoint(const QPointF& p) const
{
    if (contient(curseurRect_, p))
        return kHandle;
    if (contient(beginRect_, p))
        return kInEdge;
    if (contient(endRect_, p))
        return kOutEdge;
    if (contient(passeRect_, p))
        return kPasseBand;
    if (contient(futurRect_, p))
        return kFuturBand;
    return kNone;
}

bool ZEVTlineCurseurRecall::siContainsPoint(const QPointF& windowPosition) const
{
    return contient(curseurRect_, pointDansLeStrip(windowPosition));
}

void ZEVTlineCurseurRecall::remplirBracketOut(QPainter& p, const QColor& colour) const
{
    const QRectF& e = endRect_;
    const double r = (e.height() - 2) / 2;
    const double coin = e.x() + e.width() - 1;
    QPainterPath haut;
    haut.moveTo(e.x(), e.height() - 1);
    addArcToPoint(haut, QPointF(coin, e.height() - 1), QPointF(coin, 0), r);
    QPainterPath bas;
    bas.moveTo(e.x(), 1);
    addArcToPoint(bas, QPointF(coin, 1), QPointF(coin, e.height()), r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 2));
    p.drawPath(haut);
    p.drawPath(bas);
    p.setPen(QPen(colour, 1));
}

void ZEVTlineCurseurRecall::drawCurseurView(QPainter& p)
{
    calculerGeometrie();
    const KELSharedResources& r = resources();
    if (!siActif()) {
        p.setPen(QPen(passeColor_, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(passeRect_);
        p.fillRect(passeRect_, passeUnactifColor_);
        p.setPen(QPen(futurColor_, 1));
        p.drawRect(futurRect_);
        p.fillRect(futurRect_, futurUnactifColor_);
        p.fillRect(QRectF(xNow_ - 1, 0, 2, h_), r.nowCurseurColor());
        return;
    }
    const QColor& present = r.presentActifColor();
    const QColor& passe = r.passeActifColor();
    const QColor& futur = r.futurActifColor();
    const QRectF inBar(xIn_ - 2, 0, 5, h_), outBar(xOut_ - 2, 0, 5, h_);
    const QRectF inLine(xIn_, 0, 1, h_ - 3), outLine(xOut_, 0, 1, h_ - 3);
    switch (clickPositionForDisplay_) {
    case kNone:
        p.fillRect(passeRect_, passeColor_);
        remplirBracketIn(p, passeColor_);
        p.fillRect(futurRect_, futurColor_);
        remplirBracketOut(p, futurColor_);
        break;
    case kInEdge:
        p.fillRect(passeRect_, present);
        p.fillRect(inBar, present);
        p.fillRect(inLine, Qt::black);
        p.fillRect(futurRect_, futur);
        break;
    case kOutEdge:
        p.fillRect(passeRect_, passe);
        p.fillRect(futurRect_, present);
        p.fillRect(outBar, present);
        p.fillRect(outLine, Qt::black);
        break;
    case kPasseBand:
    case kFuturBand:
    case kWholeContext:
        for (const QRectF& b : {passeRect_, inBar, futurRect_, outBar})
            p.fillRect(b, present);
        p.fillRect(inLine, Qt::black);
        p.fillRect(outLine, Qt::black);
        break;
    case kHandle:
        p.fillRect(passeRect_, passe);
        p.fillRect(inBar, passe);
        p.fillRect(futurRect_, futur);
        p.fillRect(outBar, futur);
        p.fillRect(inLine, Qt::black);
        p.fillRect(outLine, Qt::black);
        p.fillRect(curseurRect_, present);
        break;
    case kActiveColours:
        p.fillRect(passeRect_, passe);
        p.fillRect(futurRect_, futur);
        p.fillRect(curseurRect_, present);
        break;
    default:
        break;
    }
}

void ZEVTlineCurseurRecall::drawAiguille(QPainter& p)
{
    if (!siActif())
        return;
    const QColor& c = resources().curseurColor();
    p.fillRect(curseurLine_, c);
    cercle(p, xNow_ - 6, h_ - 15, 13, c);
}

ZEVTlineCurseurView::MenuChoisi ZEVTlineCurseurRecall::menuForRegion(int region)
{
    switch (region) {
    case kHandle:
        return {menuContexte_.get(), kWholeContext};
    case kInEdge:
    case kPasseBand:
        return {menuContexteIn_.get(), kInEdge};
    case kOutEdge:
    case kFuturBand:
        return {menuContexteOut_.get(), kOutEdge};
    default:
        return {};
    }
}

void ZEVTlineCurseurRecall::menuZoomNow()
{
    clickPositionForDisplay_ = kHandle;
    KELICurseur* tl = viewer_.tlCurseur();
    if (!tl || !curseur_ || !viewer_.siAccepteDeplacement())
        return;
    viewer_.setCurseurEnDeplacement(curseur_);
    viewer_.userAnimeCurseurEtRulerToDate(tl->now());
}

// ---------------------------------------------------------------------------------------------
// The Search view

ZEVTlineCurseurSearch::ZEVTlineCurseurSearch(KELICurseur* curseur, ZEVTlineView& strip, ZEVRulerViewer& viewer)
    : ZEVTlineCurseurView(curseur, strip, viewer), nowCurseur_(viewer.nowCurseur())
{
}

double ZEVTlineCurseurSearch::facteurFin(double distanceFromTop, double windowHeight)
{
    if (!(windowHeight > 0))
        return 1.0;
    const double v = std::fabs(distanceFromTop) / windowHeight;
    return 1.0 + 300.0 * v * v * v;
}

void ZEVTlineCurseurSearch::calculerBandes()
{
    passeRect_ = QRectF(xIn_, 0, xNow_ - xIn_, kBandHeight);
    if (!siActif())
        return;
    beginRect_ = QRectF(xIn_ - kGripWidth, 0, kGripWidth, kBandHeight);
    curseurLine_ = QRectF(xNow_, 0, 1, h_ - 3);
}

int ZEVTlineCurseurSearch::clickPositionForPoint(const QPointF& p) const
{
    if (contient(curseurRect_, p))
        return kHandle;
    if (contient(beginRect_, p))
        return kInEdge;
    if (contient(passeRect_, p))
        return kWholeContext;
    return kNone;
}

void ZEVTlineCurseurSearch::drawCurseurView(QPainter& p)
{
    calculerGeometrie();
    if (!siActif()) {
        p.fillRect(passeRect_, gris());
        p.fillRect(curseurRect_, gris());
        return;
    }
    const QColor& present = resources().presentActifColor();
    const QRectF inBar(xIn_ - 2, 0, 5, h_ - 14), inLine(xIn_, 0, 1, h_ - 17);
    switch (clickPositionForDisplay_) {
    case kNone:
        p.fillRect(passeRect_, passeColor_);
        remplirBracketIn(p, passeColor_);
        break;
    case kInEdge:
        p.fillRect(passeRect_, present);
        p.fillRect(inBar, present);
        p.fillRect(inLine, Qt::black);
        break;
    case kWholeContext:
    case kHandle:
        p.fillRect(passeRect_, present);
        p.fillRect(inBar, present);
        p.fillRect(QRectF(xNow_ - 2, 0, 5, h_ - 3), present);
        p.fillRect(inLine, Qt::black);
        break;
    default:
        break;
    }
}

void ZEVTlineCurseurSearch::drawAiguille(QPainter& p)
{
    if (!siActif())
        return;
    const KELSharedResources& r = resources();
    if (clickPositionForDisplay_ == kWholeContext || clickPositionForDisplay_ == kHandle)
        cercle(p, xNow_ - 7, h_ - 16, 15, r.presentActifColor());
    p.fillRect(curseurLine_, r.curseurColor());
    cercle(p, xNow_ - 5, h_ - 14, 11, r.curseurColor());
}

ZEVTlineCurseurView::MenuChoisi ZEVTlineCurseurSearch::menuForRegion(int region)
{
    switch (region) {
    case kHandle:
        return {menuContexte_.get(), kHandle};
    case kInEdge:
        return {menuContexteIn_.get(), std::nullopt};
    case kWholeContext:
        return {menuContexteIn_.get(), kInEdge};
    default:
        return {};
    }
}

void ZEVTlineCurseurSearch::menuZoomNow()
{
    clickPositionForDisplay_ = kHandle;
    KELICurseur* tl = viewer_.tlCurseur();
    if (!tl || !curseur_ || !viewer_.siAccepteDeplacement())
        return;
    viewer_.setCurseurEnDeplacement(curseur_);
    viewer_.userAnimeCurseurToDate(tl->now());
}

} // namespace tallomer
