#include "front/ZEVFrontView.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontViewer.h"
#include "objects/view/ZEVConnectingView.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "platform/KeyLayout.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QGuiApplication>
#include <QDragMoveEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

namespace tallomer {

namespace {
constexpr char kCourt[] = "_mouseDownCourt";
constexpr char kLong[] = "_mouseDownLong";
// The ruler bar's highlight of the whole window of the cursor that the press moves.
constexpr int kClickWholeWindow = 4;

bool applicationActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

QPointF yDown(double height, const QPointF& p) { return QPointF(p.x(), height - p.y()); }

// The Object views a pass has drawn a ring for: asked twice a line, every picture, so kept flat.
class ViewsSeen {
public:
    explicit ViewsSeen(std::size_t most)
    {
        while ((std::size_t(1) << bits_) < most * 2)
            ++bits_;
        slots_.assign(std::size_t(1) << bits_, nullptr);
    }
    // True when the view was not seen before.
    bool insert(const void* view)
    {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i =
            std::size_t((reinterpret_cast<std::uintptr_t>(view) >> 3) * 0x9E3779B97F4A7C15ull >> (64 - bits_));
        for (;; i = (i + 1) & mask) {
            if (slots_[i] == view)
                return false;
            if (!slots_[i]) {
                slots_[i] = view;
                return true;
            }
        }
    }
    void clear() { std::fill(slots_.begin(), slots_.end(), nullptr); }

private:
    int bits_ = 4;
    std::vector<const void*> slots_;
};
} // namespace

ZEVFrontView::ZEVFrontView(ZEVFrontViewer& frontViewer, ZEVSpaceController& space)
    : frontViewer_(frontViewer), space_(space), connectingView_(std::make_unique<ZEVConnectingView>())
{
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->referencerFrontView(this);
}

ZEVFrontView::~ZEVFrontView()
{
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->referencerFrontView(nullptr);
}

QWidget* ZEVFrontView::viewport() const
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    return w ? w->spaceView()->deskCanvas()->viewport() : nullptr;
}

ZEVItemViewer* ZEVFrontView::itemViewer() const { return space_.itemViewerForCurseur(space_.actifCurseur()); }

QPointF ZEVFrontView::yUp(const QPointF& p) const
{
    QWidget* v = viewport();
    return QPointF(p.x(), (v ? v->height() : 0) - p.y());
}

QRectF ZEVFrontView::frontFrame() const
{
    QWidget* v = viewport();
    if (!v)
        return {};
    const double header = frontViewer_.headerViewsHeight();
    return QRectF(0, 0, v->width(), std::max(0.0, v->height() - header));
}

void ZEVFrontView::display()
{
    if (QWidget* v = viewport())
        v->update();
}

void ZEVFrontView::displayLinks()
{
    if (!space_.displayOptions().siShowLinks() && !siLiensPeints_)
        return;
    siLiensPeints_ = false;
    display();
}

void ZEVFrontView::setSiShowCadre(bool shown)
{
    siFrontViewCadre_ = shown;
    display();
}

void ZEVFrontView::setLassoFromPoint(const QPointF& from, const QPointF& to)
{
    lassoRect_ = QRectF(QPointF(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                        QPointF(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
    display();
}

// The time line reads a key first; what it leaves goes on to the window.
void ZEVFrontView::keyDown(QKeyEvent* event) { frontViewer_.tlineKeyDown(event); }
void ZEVFrontView::keyUp(QKeyEvent* event) { frontViewer_.tlineKeyUp(event); }

void ZEVFrontView::clearLasso()
{
    lassoRect_ = QRectF();
    display();
}

// ---------------------------------------------------------------------------------------------
// Drawing

std::vector<ZEVFrontView::LinkStroke> ZEVFrontView::linkStrokes(double height, const std::set<ZEVItemConnexion*>& lignes,
                                                                const LinkPaint& paint)
{
    const KELSharedResources& r = *paint.colours;
    const bool pourSelections = paint.forSelectionsOnly;
    const int frontMode = paint.frontMode;
    const bool actifs = frontMode == ZEVFrontModeLinks;
    std::vector<LinkStroke> strokes;
    strokes.reserve(lignes.size() * 4);

    auto anneau = [&](ViewsSeen& vus, ZEVItemViewForDesks* v, QPointF centre, double rayon, KELI* item, bool halo) {
        if (!v || !vus.insert(v))
            return;
        const bool choisi = paint.nodeSelected && paint.nodeSelected(item);
        QColor c;
        if (halo) {
            c = v->siActif()   ? (actifs ? r.presentActifColor() : r.presentAlphaColor())
                : v->siFutur() ? (actifs ? r.futurActifColor() : r.futurAlphaColor())
                : v->siAjoute() ? (actifs ? r.passeActifColor() : r.passeAlphaColor())
                                : r.outActifColor();
        } else {
            c = v->siActif() ? r.curseurColor() : v->siFutur() ? r.futurColor() : v->siAjoute() ? r.passeColor() : r.outColor();
        }
        strokes.push_back({true, yDown(height, centre), {}, rayon, halo ? (choisi ? 10.0 : 5.0) : (choisi ? 2.5 : 1.5),
                           c.rgba()});
    };
    auto ligne = [&](ZEVItemConnexion* l, bool halo, const QPointF& dst, const QPointF& src) {
        const bool choisi = paint.linkSelected && paint.linkSelected(l);
        QColor c;
        if (halo)
            c = l->siActif() ? (actifs ? r.presentActifColor() : r.presentAlphaColor())
                : l->siFutur() ? (actifs ? r.futurActifColor() : r.futurAlphaColor())
                               : (actifs ? r.passeActifColor() : r.passeAlphaColor());
        else
            c = l->siActif() ? r.curseurColor() : l->siFutur() ? r.futurColor() : r.passeColor();
        strokes.push_back({false, dst, src, 0, halo ? (choisi ? 7.5 : 5.0) : (choisi ? 2.5 : 1.5), c.rgba()});
    };

    // Two ends a line, at most.
    ViewsSeen vus(lignes.size() * 2);
    // The ends of each line drawn, worked out once for both passes: nothing moves between them.
    std::vector<std::pair<QPointF, QPointF>> bouts;
    bouts.reserve(lignes.size());
    for (ZEVItemConnexion* l : lignes) {
        if (!l->siEffective() || (pourSelections && !l->siConnectedForFrontMode(frontMode))) {
            l->setSiDisplayed(false);
            continue;
        }
        anneau(vus, l->dstItemView(), l->dragDstPoint(), l->dragDstRadius(), l->enfantItem(), true);
        anneau(vus, l->srcItemView(), l->dragSrcPoint(), l->dragSrcRadius(), l->parentItem(), true);
        bouts.emplace_back(yDown(height, l->dragDstPointWithRadiusCorrection()),
                           yDown(height, l->dragSrcPointWithRadiusCorrection()));
        ligne(l, true, bouts.back().first, bouts.back().second);
        l->setSiDisplayed(true);
    }
    vus.clear();
    std::size_t n = 0;
    for (ZEVItemConnexion* l : lignes) {
        if (!l->siDisplayed())
            continue;
        anneau(vus, l->dstItemView(), l->dragDstPoint(), l->dragDstRadius(), l->enfantItem(), false);
        anneau(vus, l->srcItemView(), l->dragSrcPoint(), l->dragSrcRadius(), l->parentItem(), false);
        ligne(l, false, bouts[n].first, bouts[n].second);
        ++n;
    }
    return strokes;
}

void ZEVFrontView::drawLinks(QPainter& p, double height, const std::set<ZEVItemConnexion*>& lignes,
                             const LinkPaint& paint)
{
    const std::vector<LinkStroke> strokes = linkStrokes(height, lignes, paint);
    auto* image = dynamic_cast<QImage*>(p.device());
    if (image && image->format() == QImage::Format_ARGB32_Premultiplied && p.transform().isIdentity() &&
        !p.hasClipping()) {
        // Straight into the picture: the painter has drawn nothing it still holds.
        rasterizeStrokes(*image, strokes);
        return;
    }
    QImage layer(p.device()->width(), p.device()->height(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    rasterizeStrokes(layer, strokes);
    p.drawImage(QPointF(0, 0), layer);
}

void ZEVFrontView::drawForeground(QPainter& p)
{
    QWidget* v = viewport();
    if (!v)
        return;
    const double h = v->height();
    // Nothing is painted under the open header views: the front area alone is the front view's.
    const QRectF cadre = frontFrame();
    const QRectF aire(cadre.x(), h - cadre.y() - cadre.height(), cadre.width(), cadre.height());
    p.save();
    p.setClipRect(aire, Qt::IntersectClip);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (space_.displayOptions().siShowLinks())
        if (ZEVItemViewer* iv = itemViewer()) {
            ZEVSelections& selections = space_.selections();
            LinkPaint paint;
            paint.colours = &space_.host().sharedResources();
            paint.frontMode = frontViewer_.frontMode();
            paint.forSelectionsOnly = space_.displayOptions().siShowLinksForSelections;
            paint.nodeSelected = [&selections](KELI* item) { return selections.isNodeSelectedForItem(item); };
            paint.linkSelected = [&selections](const ZEVItemConnexion* l) {
                return selections.isLinkSelectedForConnexion(l);
            };
            linkLayer_.paint(p, v->size(), linkStrokes(h, iv->connexionsExistantes(), paint));
            siLiensPeints_ = siLiensPeints_ || !linkLayer_.empty();
        }
    // The band of a link drag lies above the lines.
    connectingView_->drawRect(p, h);

    if (!lassoRect_.isNull() && frontViewer_.siLasso()) {
        const QRectF r(yDown(h, QPointF(lassoRect_.left(), lassoRect_.bottom())), lassoRect_.size());
        const double rayon = frontViewer_.lassoKind() == ZEVFrontModeLinks    ? 16
                             : frontViewer_.lassoKind() == ZEVFrontModeTitles ? 10
                                                                              : 6;
        QPainterPath path;
        path.addRoundedRect(r, rayon, rayon);
        if (frontViewer_.lassoKind() == ZEVFrontModeLinks)
            p.strokePath(path, QPen(QColor::fromRgbF(1, 1, 1, 0.75), 5));
        p.fillPath(path, QColor::fromRgbF(1, 1, 1, 0.15));
        p.strokePath(path, QPen(space_.host().sharedResources().curseurColor(), 1));
    }

    if (siFrontViewCadre_) {
        QRectF b(aire.x(), aire.y(), aire.width(), aire.height() - 1);
        QPainterPath outer;
        outer.addRoundedRect(b.adjusted(-5, -5, 5, 5), 12, 12);
        p.strokePath(outer, QPen(QColor::fromRgbF(0.35, 0.35, 0.35, 0.56), 18));
        outer.addRoundedRect(b.adjusted(4, 4, -4, -4), 4, 4);
        p.strokePath(outer, QPen(Qt::white, 1));
    }
    p.restore();
}

bool ZEVFrontView::siInFrontFrame(const QPointF& viewportPoint) const
{
    return frontFrame().contains(yUp(viewportPoint));
}

// ---------------------------------------------------------------------------------------------
// Presses

void ZEVFrontView::setSiMouseDownInDeskView()
{
    if (applicationActive()) {
        Scheduler& s = Scheduler::shared();
        s.cancel(this, kCourt);
        s.cancel(this, kLong);
        s.perform(this, kCourt, kShortPress, [this] { mouseDownCourt(); });
        s.perform(this, kLong, kLongPress, [this] { mouseDownLong(); });
    }
    siMouseDownInDeskView_ = true;
}

void ZEVFrontView::cancelPresses()
{
    Scheduler::shared().cancel(this, kCourt);
    Scheduler::shared().cancel(this, kLong);
}

bool ZEVFrontView::canvasEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // A link drag's band follows the pointer; the drag itself goes on to the desk.
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (ZEVItemDragView::siLinkDrag(e->mimeData()) && !connectingView_->connectingLines().empty()) {
            const QPointF at = yUp(e->position());
            connectingView_->updateConnectingLinesWithDstPoint(at);
            space_.mouseMovedInLocation(at);
            display();
        }
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        pointer_ = e->position();
        if (e->button() == Qt::RightButton) {
            rightPressGlobal_ = e->globalPosition().toPoint();
            return rightMouseDown(e);
        }
        if (e->button() != Qt::LeftButton)
            return false;
        siDoubleClick_ = false;
        siMouseDown_ = true;
        siMouseDragged_ = false;
        siMouseDownInDeskView_ = false;
        siPressOnLine_ = false;
        if (space_.displayOptions().siShowLinks() && siInFrontFrame(e->position()))
            if (ZEVItemViewer* iv = itemViewer())
                if (iv->siSelectConnexionForPoint(yUp(e->position()), e->modifiers().testFlag(Qt::ControlModifier))) {
                    siPressOnLine_ = true;
                    display();
                    return true;
                }
        return false;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        pointer_ = e->position();
        if (!siMouseDown_ || !e->buttons().testFlag(Qt::LeftButton))
            return false;
        if (siPressOnLine_)
            return true;
        if (!siMouseDragged_) {
            siMouseDragged_ = true;
            cancelPresses();
        }
        if (siMouseDownInDeskView_ && (siMouseDownCourt_ || siMouseDownLong_)) {
            if (ZEVRulerViewerServices* r = space_.rulerViewer())
                r->draggWithEvent(e);
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        pointer_ = e->position();
        if (e->button() != Qt::LeftButton)
            return false;
        cancelPresses();
        siDoubleClick_ = true;
        siMouseDown_ = siMouseDownCourt_ = siMouseDownLong_ = siMouseDragged_ = false;
        // On an Object view the view takes its own double click.
        if (!dernierClicSurBureau_)
            return false;
        if (e->modifiers().testFlag(Qt::ControlModifier))
            frontViewer_.userGoNow();
        else if (!frontViewer_.siCleanAll())
            frontViewer_.userSpaceStart();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        cancelPresses();
        if (siDoubleClick_) {
            // The second click's release is no click of its own: no step back.
            siDoubleClick_ = false;
            return dernierClicSurBureau_;
        }
        dernierClicSurBureau_ = siMouseDown_ && siMouseDownInDeskView_;
        const bool surLigne = siPressOnLine_;
        if (siMouseDown_ && siMouseDownInDeskView_) {
            if (siMouseDownCourt_ || siMouseDownLong_) {
                if (ZEVRulerViewerServices* r = space_.rulerViewer())
                    r->userTermineDeplacementCurseur();
            } else if (!siMouseDragged_) {
                if (applicationActive())
                    frontViewer_.userStepBack();
                else if (QWidget* v = viewport())
                    v->window()->activateWindow();
            }
        }
        siMouseDown_ = siMouseDownCourt_ = siMouseDownLong_ = siMouseDragged_ = false;
        siMouseDownInDeskView_ = siPressOnLine_ = false;
        display();
        // The desk view ends its own press (a lasso, or nothing) from the same release.
        return surLigne;
    }
    default:
        return false;
    }
}

void ZEVFrontView::popUpMenu(QMenu* menu)
{
    if (menu)
        menu->popup(rightPressGlobal_);
}

bool ZEVFrontView::rightMouseDown(QMouseEvent* e)
{
    // Any modifier (Caps Lock included) leaves the press to the desk and its menu.
    const Qt::KeyboardModifiers held =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held != Qt::NoModifier || KeyLayout::capsLockOn() || !space_.displayOptions().siShowLinks() ||
        !siInFrontFrame(e->position()))
        return false;
    ZEVItemViewer* iv = itemViewer();
    ZEVItemConnexion* ligne = iv ? iv->selectedConnexionForPoint(yUp(e->position())) : nullptr;
    if (!ligne)
        return false;
    QMenu* menu = frontViewer_.connexionMenuForConnexion(ligne);
    if (!menu)
        return false;
    menu->popup(e->globalPosition().toPoint());
    return true;
}

bool ZEVFrontView::dateUnderPointer(double* date) const
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (!r || r->tlineWidth() <= 0)
        return false;
    *date = r->dateForTlinePoint(pointer_.x() - r->tlineViewRect().x());
    return true;
}

void ZEVFrontView::mouseDownCourt()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELICurseur* search = space_.searchCurseur();
    if (!r || !search || !siMouseDown_ || !r->siAccepteDeplacement())
        return;
    if (space_.actifCurseur() == search) {
        KELIContexte* tl = space_.tlContexte();
        const KELDate d = search->now();
        if (!tl || (d >= tl->nowIn() && d <= tl->nowOut())) {
            siMouseDownCourt_ = true;
            r->setClickPositionForDisplay(search, kClickWholeWindow);
            r->userInitieDeplacementCurseur();
            if (QWidget* v = viewport()) {
                const QPointF fenetre = v->mapTo(v->window(), pointer_);
                QMouseEvent e(QEvent::MouseMove, pointer_, fenetre, v->mapToGlobal(pointer_), Qt::NoButton,
                              Qt::LeftButton, QGuiApplication::keyboardModifiers());
                r->draggWithEvent(&e);
            }
        } else {
            double date = 0;
            if (!dateUnderPointer(&date))
                return;
            siMouseDownLong_ = true;
            Scheduler::shared().cancel(this, kLong);
            r->setClickPositionForDisplay(search, kClickWholeWindow);
            r->userInitieDeplacementCurseur();
            const double ecart = date - d;
            r->userPlaceRulerOffsetIn(-ecart, -ecart);
            r->displayRuler();
        }
    } else {
        siMouseDownCourt_ = true;
        r->userChangeActifCurseur(search);
        r->setClickPositionForDisplay(search, kClickWholeWindow);
        r->userInitieDeplacementCurseur();
    }
}

void ZEVFrontView::mouseDownLong()
{
    if (!siMouseDownCourt_)
        return;
    ZEVRulerViewerServices* r = space_.rulerViewer();
    double date = 0;
    if (!r || !dateUnderPointer(&date))
        return;
    siMouseDownLong_ = true;
    r->userPlaceCurseurToDate(date);
    r->displayRuler();
}

} // namespace tallomer
