// The Object view itself: its place and frame on the desk, its parts laid out inside it, its
// presence counters, its Channel and visibility, its order among the desk's views and the flags
// its drawing reads.

#include "objects/view/ZEVItemView.h"

#include "objects/view/ZEVConnectingView.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "runtime/Scheduler.h"
#include "services/ZEVScenePaint.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "objects/drawing/ZEVItemPainter.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "widgets/ZEVBlitBatch.h"

#include <QGraphicsScene>
#include <QMovie>
#include <QPainter>

#include <algorithm>

namespace tallomer {

namespace {

// Title line and image inside a view, y-up.
constexpr double kTitleX = 12;
constexpr double kTitleY = 19;
constexpr double kTitleHeight = 18;

// A part's y-up rectangle inside its parent of `parentHeight`, as the part's Qt position.
QPointF qtPos(double parentHeight, const QRectF& r) { return QPointF(r.x(), qtY(parentHeight, r.y(), r.height())); }

} // namespace

// ---- geometry ----

QSizeF ZEVItemView::imageSize(double s, float ratio)
{
    if (ratio > 1)
        return QSizeF(s / ratio, s);
    return QSizeF(s, s * ratio);
}

QRectF ZEVItemView::viewFrameForIconPosition(const ZEVIconPosition& p, float ratio)
{
    const QSizeF image = imageSize(p.size, ratio);
    return QRectF(p.x - kMarginX, p.y - kMarginBottom, image.width() + 2 * kMarginX,
                  image.height() + kMarginTop + kMarginBottom);
}

ZEVIconPosition ZEVItemView::iconPositionForViewFrame(const QRectF& f, float ratio, double angle)
{
    ZEVIconPosition p;
    p.x = f.x() + kMarginX;
    p.y = f.y() + kMarginBottom;
    p.size = ratio > 1 ? f.height() - (kMarginTop + kMarginBottom) : f.width() - 2 * kMarginX;
    p.angle = angle;
    return p;
}

// ---- life ----

ZEVItemView::ZEVItemView(const ZEVIconPosition& position, ZEVItemViewer* viewer, KELI* item, float ratio)
    : itemViewer_(viewer), item_(item), iconPosition_(position), iconAngle_(position.angle), imageSizeRatio_(ratio)
{
    // Square at first, whatever the ratio: the first image's placement corrects it.
    frame_ = QRectF(position.x - kMarginX, position.y - kMarginBottom, position.size + 2 * kMarginX,
                    position.size + kMarginTop + kMarginBottom);
    identityInt_ = item_ ? item_->channelInt() : 0;
    ZEVSpaceForObjectViews* s = space();
    siIdentiy_ = s && identityInt_ == s->identityInt();
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption, false);
    // The arrows and Escape of a pressed view are its own.
    setFlag(QGraphicsItem::ItemIsFocusable, true);
    construireLesParties(true);
    replacerDansLaScene();
}

ZEVItemView::ZEVItemView(const QRectF& frame, float ratio, ZEVItemViewer* viewer, KELI* item)
    : itemViewer_(viewer), item_(item), siIdentiy_(true), imageSizeRatio_(ratio), frame_(frame)
{
    iconPosition_ = iconPositionForViewFrame(frame, ratio, 0);
    iconAngle_ = 0;
    construireLesParties(false);
    replacerDansLaScene();
}

ZEVItemView::~ZEVItemView()
{
    // Whoever kept this view (drawn Links, the viewer's lists) must forget it before it is gone.
    endTitleEdit(false);
    if (itemViewer_)
        itemViewer_->itemViewDetruite(this);
    ZEVConnectingView::itemViewGone(this);
    if (Scheduler::hasShared())
        Scheduler::shared().cancelAll(static_cast<ZEVItemViewForDesks*>(this));
}

void ZEVItemView::construireLesParties(bool avecDragView)
{
    // The title and then the image are drawn over the view's marks; the overlay, an item of its
    // own, lies above them all.
    titleView_ = std::make_unique<ZEVItemTitleView>(this);
    imageView_ = std::make_unique<ZEVItemImageView>(this);
    if (avecDragView)
        dragView_ = new ZEVItemDragView(this, this);
    disposerLesParties();
}

void ZEVItemView::disposerLesParties()
{
    const ZEVItemDrawGeometry g = ZEVItemDrawGeometry::forViewSize(frame_.size());
    const double h = frame_.height();
    const QRectF title(kTitleX, kTitleY, std::max(0.0, frame_.width() - 2 * kTitleX), kTitleHeight);
    titleView_->setSize(title.size());
    titleView_->setPos(qtPos(h, title));
    imageView_->setSize(g.imageFrame.size());
    imageView_->setPos(qtPos(h, g.imageFrame));
    if (dragView_) {
        dragView_->setSize(g.imageFrame.size());
        dragView_->setPos(qtPos(h, g.imageFrame));
    }
    if (progressView_) {
        progressView_->setSize(g.imageFrame.size());
        progressView_->setPos(qtPos(h, g.imageFrame));
    }
}

ZEVSpaceForObjectViews* ZEVItemView::space() const { return itemViewer_ ? itemViewer_->spaceController() : nullptr; }

bool ZEVItemView::siChannelActif() const { return !itemViewer_ || itemViewer_->siChannelActif(); }

// ---- geometry on the desk ----

void ZEVItemView::setFrame(const QRectF& frame)
{
    // The numbers the place was read from stay with it: they count only where it still stands.
    const ZEVIconPosition::Stored stored = iconPosition_.stored;
    iconPosition_ = iconPositionForViewFrame(frame, imageSizeRatio_, iconAngle_);
    iconPosition_.stored = stored;
    if (frame.size() != frame_.size())
        prepareGeometryChange();
    frame_ = frame;
    disposerLesParties();
    replacerDansLaScene();
}

void ZEVItemView::replacerDansLaScene()
{
    ZEVDeskViewerForObjectViews* desk = itemViewer_ ? itemViewer_->deskViewer() : nullptr;
    const double height = desk ? desk->deskHeight() : 0;
    setPos(frame_.x(), qtY(height, frame_.y(), frame_.height()));
}

QRectF ZEVItemView::imageFrame() const
{
    if (!imageView_)
        return {};
    const QRectF inside = ZEVItemDrawGeometry::forViewSize(frame_.size()).imageFrame;
    return inside.translated(frame_.topLeft());
}

QPointF ZEVItemView::imageCentre() const
{
    // Where the image stands now, on its way while it moves.
    const ZEVIconPosition p = iconPositionForCurrentFrame();
    const QSizeF s = imageSize(p.size, imageSizeRatio_);
    return QPointF(p.x + s.width() / 2, p.y + s.height() / 2);
}

void ZEVItemView::setItemTitle(const QString& title)
{
    if (title == itemTitle_)
        return;
    itemTitle_ = title;
    titleView_->setText(title);
}

void ZEVItemView::setItemImage(const QImage& image) { imageView_->setImage(image); }

void ZEVItemView::setItemType(const QString& type)
{
    if (type.isEmpty() || type == itemType_)
        return;
    itemType_ = type;
    setItemIconImage();
}

// ---- placement ----

void ZEVItemView::setIconPosition(const ZEVIconPosition& position, double duration)
{
    double d = duration;
    if (!siAnimation_) {
        // The first placement, and the first after hiding, is never animated.
        siAnimation_ = true;
        d = 0;
    }
    ZEVSpaceForObjectViews* s = space();
    if (s && !s->siShowAnimation())
        d = 0;
    const double oldSize = iconPosition_.size;
    placer(position, d);
    // A sharper picture once a change of size has settled; meanwhile the image is only scaled.
    if (position.size != oldSize && !itemType_.isEmpty() && Scheduler::hasShared()) {
        Scheduler::shared().cancel(cible(), kBetterImageName);
        Scheduler::shared().perform(cible(), kBetterImageName, d + kBetterImageDelay, [this] { askBetterImageSoon(); },
                                    true);
    }
}

void ZEVItemView::placer(const ZEVIconPosition& position, double duration) { placement_.moveTo(position, duration); }

void ZEVItemView::snapAnimation()
{
    if (placement_.running())
        setIconPosition(iconPositionForCurrentFrame(), kSnapDuration);
}

void ZEVItemView::startRetablirItemViewAmation()
{
    siRetablir_ = true;
    blink_.start();
}

void ZEVItemView::annuleRetablirItemViewAmation() { blink_.cancel(); }

void ZEVItemView::stopRetablirItemViewAmation()
{
    blink_.stop();
    siRetablir_ = false;
}

// ---- counters ----

void ZEVItemView::setSiAjoute(bool flag) { siAjouteCount_ += flag ? 1 : -1; }

void ZEVItemView::setSiActif(bool flag) { siActifCount_ += flag ? 1 : -1; }

void ZEVItemView::setSiFutur(bool flag)
{
    siFuturCount_ = std::max<std::int64_t>(0, siFuturCount_ + (flag ? 1 : -1));
    // An icon out of the window has no future side.
    if (siAjouteCount_ == 0)
        siFuturCount_ = 0;
}

ZEVItemTimeState ZEVItemView::timeState() const
{
    if (siActif())
        return ZEVItemTimeState::Present;
    if (siFutur())
        return ZEVItemTimeState::Future;
    if (siAjoute())
        return ZEVItemTimeState::Past;
    return ZEVItemTimeState::Outside;
}

// ---- Channel and visibility ----

void ZEVItemView::setChannelInt(KELId channelInt)
{
    identityInt_ = channelInt;
    ZEVSpaceForObjectViews* s = space();
    siIdentiy_ = s && channelInt == s->identityInt();
}

void ZEVItemView::majChannelInt(KELId channelInt, bool siChannelActif)
{
    siIdentiy_ = identityInt_ == channelInt;
    setVisible(!siHidden_ && siIdentiy_ && siChannelActif);
}

void ZEVItemView::setHidden(bool hidden)
{
    if (hidden) {
        siAnimation_ = false;
        siHidden_ = true;
        setVisible(false);
        return;
    }
    siHidden_ = false;
    setVisible(siIdentiy_ && siChannelActif());
}

bool ZEVItemView::isHidden() const { return siHidden_ || !siIdentiy_ || !siChannelActif(); }

// ---- stacking ----

std::vector<ZEVItemView*> ZEVItemView::itemViewsInStackingOrder(QGraphicsScene* scene)
{
    std::vector<ZEVItemView*> out;
    if (!scene)
        return out;
    for (QGraphicsItem* i : scene->items(Qt::AscendingOrder))
        if (!i->parentItem())
            if (auto* v = dynamic_cast<ZEVItemView*>(i))
                out.push_back(v);
    return out;
}

void ZEVItemView::restack(bool toFront)
{
    std::vector<ZEVItemView*> views = itemViewsInStackingOrder(scene());
    if (views.empty())
        return;
    views.erase(std::remove(views.begin(), views.end(), this), views.end());
    if (toFront)
        views.push_back(this);
    else
        views.insert(views.begin(), this);
    // Object views take z 1, 2, 3…; what lies under them (the background) stays below 1 and the
    // front layer above them, so only the Object views move among themselves.
    double z = 1;
    for (ZEVItemView* v : views)
        v->setZValue(z++);
}

void ZEVItemView::orderToFront() { restack(true); }

void ZEVItemView::orderToBack() { restack(false); }

// ---- flags ----

void ZEVItemView::showCadreStart()
{
    siShowCadre_ = true;
    update();
}

void ZEVItemView::showCadreStop()
{
    siShowCadre_ = false;
    update();
}


void ZEVItemView::setSiConnecting(bool flag)
{
    if (flag != siConnecting_)
        update();
    siConnecting_ = flag;
}

void ZEVItemView::setSiShowTitle(bool flag)
{
    update();
    siShowTitle_ = flag;
}

void ZEVItemView::setSiFlickOn(bool flag)
{
    siFlickOn_ = flag;
    update();
}

void ZEVItemView::setSiRetablirItemView(bool on, bool flag)
{
    blink_.set(on, flag);
}

bool ZEVItemView::siModifiableIcon(bool commande) const
{
    if (!siActif())
        return false;
    if (commande)
        return true;
    ZEVSpaceForObjectViews* s = space();
    KELICurseur* actif = s ? s->actifCurseur() : nullptr;
    if (!actif)
        return true;
    KELICurseur* sup = actif->curseurSup();
    // A cursor lying in its parent cursor's past shows a past that is not edited by moving icons.
    return !sup || actif->now() - sup->now() > -0.001;
}

bool ZEVItemView::isFilterActif() const
{
    ZEVSpaceForObjectViews* s = space();
    return s && s->isFilterSelectedForItem(item_);
}

bool ZEVItemView::isFilterMode() const
{
    ZEVSpaceForObjectViews* s = space();
    return s && s->frontMode() == ZEVFrontModeFilters;
}

// ---- drawing ----

std::optional<ZEVItemTitleColours> ZEVItemView::titleColours() const
{
    ZEVSpaceForObjectViews* s = space();
    if (!s)
        return std::nullopt;
    ZEVItemTitleState st;
    st.time = timeState();
    st.connecting = siConnecting_;
    st.edited = s->isTitleEditedForItem(item_);
    st.modifiable = siModifiableTitle();
    st.selected = s->isTitleSelectedForItem(item_);
    st.frontMode = s->frontMode();
    return titleColoursFor(st);
}


ZEVItemDrawInputs ZEVItemView::drawInputs() const
{
    ZEVItemDrawInputs in;
    in.ajouteCount = siAjouteCount_;
    in.actifCount = siActifCount_;
    in.futurCount = siFuturCount_;
    in.connecting = siConnecting_;
    in.restoreBlinking = blink_.on();
    in.blinkFlag = blink_.lit();
    in.showCadre = siShowCadre_;
    in.showTitle = siShowTitle_;
    in.flickOn = siFlickOn_;
    in.optionShowTitle = siItemOption(item_, ZEVOPTION_SHOW_TITLE);
    ZEVSpaceForObjectViews* s = space();
    if (!s) {
        in.frontMode = ZEVFrontModeIcons;
        return in;
    }
    in.frontMode = s->frontMode();
    in.iconSelected = s->isIconSelectedForItem(item_);
    in.titleSelected = s->isTitleSelectedForItem(item_);
    in.filterSelected = s->isFilterSelectedForItem(item_);
    in.nodeSelected = s->isNodeSelectedForItem(item_);
    in.hideItemTitle = s->siHideItemTitle(item_);
    in.anyFilterSelected = !s->selectedFilterItems().empty();
    in.anyNodeSelected = !s->selectedNodeItems().empty();
    KELI* dragged = s->draggingItem();
    in.dragging = dragged != nullptr;
    in.isDraggedItem = dragged && dragged == item_;
    if (itemViewer_) {
        in.impacted = itemViewer_->siImpactedItem(item_);
        in.linkedToSelection = in.anyNodeSelected && itemViewer_->siLinkedToItem(item_);
        in.connectedWithDragged = dragged && itemViewer_->userAskIfItemIsConnectedWithItem(item_, dragged);
    }
    return in;
}

void ZEVItemView::updateIfDrawChanged()
{
    ZEVSpaceForObjectViews* s = space();
    if (drawn_ && *drawn_ == DrawnState{drawInputs(), s && s->isTitleEditedForItem(item_)})
        return;
    // Under views that hide all it draws, its change shows nowhere: the paint that uncovers it
    // draws it as it is then. Whether it shows is not asked when the whole desk is painted next
    // anyway (a Search step changes the wallpaper under hundreds of changed views): its own
    // repaint then adds nothing to that paint.
    const auto* paint = dynamic_cast<const ZEVScenePaint*>(scene());
    if (!itemViewer_ || (paint && paint->paintsWholeNext()) || !itemViewer_->siCoveredByViewsAbove(*this))
        update();
}

ZEVItemView::PaintReach ZEVItemView::paintReach() const { return reachFor(ZEVItemDrawing::decide(drawInputs())); }

QRectF ZEVItemView::lastDrawnRect() const
{
    // Its place and size have not changed since, or the scene repainted where it stood: what it
    // drew then follows from the state it drew.
    return drawn_ ? reachFor(ZEVItemDrawing::decide(drawn_->inputs)).drawn : QRectF();
}

ZEVItemView::PaintReach ZEVItemView::forecastPaint()
{
    ZEVItemDrawInputs inputs = drawInputs();
    ZEVItemDrawPlan plan = ZEVItemDrawing::decide(inputs);
    const PaintReach reach = reachFor(plan);
    forecast_ = Forecast{std::move(inputs), std::move(plan)};
    return reach;
}

ZEVItemView::PaintReach ZEVItemView::reachFor(const ZEVItemDrawPlan& plan) const
{
    const double alpha = std::clamp(plan.imageAlpha.value_or(imageView_->alphaValue()), 0.0, 1.0);
    PaintReach reach;
    reach.drawn = imageView_->drawnRectInView(alpha);
    const bool titleShown = plan.titleHidden ? !*plan.titleHidden : titleView_->isVisible();
    if (titleShown && !titleView_->text().isEmpty())
        // The title's cell, with its antialiasing and its shadow below.
        reach.drawn |= titleView_->rectInView().adjusted(-1, -1, 1, 2);
    reach.drawn |= stickerFrame();
    const ZEVItemDrawGeometry g = ZEVItemDrawGeometry::forViewSize(frame_.size());
    const QTransform flip = qtFlip(frame_.height());
    for (const ZEVDrawOp& op : plan.ops) {
        if (op.shadow) {
            // A blurred shadow spreads within the view's margins.
            reach.drawn = boundingRect();
            break;
        }
        const double pen = op.kind == ZEVDrawOp::Kind::Stroke ? op.width / 2 : 0;
        reach.drawn |= flip.map(ZEVItemPainter::shape(op.shape, g)).boundingRect().adjusted(-pen, -pen, pen, pen);
    }
    if (effectiveOpacity() >= 1) {
        reach.opaque = imageView_->opaqueRectInView(alpha);
        if (!reach.opaque.isEmpty())
            reach.opaqueRows = imageView_->opaqueRowsInView(alpha);
    }
    return reach;
}

QVariant ZEVItemView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemSceneHasChanged) {
        static std::uint64_t entries = 0;
        sceneEntry_ = ++entries;
    }
    return QGraphicsItem::itemChange(change, value);
}

ZEVItemDrawPlan ZEVItemView::drawRect(QPainter& painter)
{
    // Read just before the paint for the whole desk, or now.
    std::optional<Forecast> forecast = std::move(forecast_);
    forecast_.reset();
    const ZEVItemDrawInputs inputs = forecast ? forecast->inputs : drawInputs();
    ZEVSpaceForObjectViews* s = space();
    drawn_ = DrawnState{inputs, s && s->isTitleEditedForItem(item_)};
    const ZEVItemDrawPlan plan = forecast ? std::move(forecast->plan) : ZEVItemDrawing::decide(inputs);
    const ZEVItemDrawGeometry g = ZEVItemDrawGeometry::forViewSize(frame_.size());
    if (itemViewer_) {
        // Drawn over the blits of the views below, which must land first.
        if (!plan.ops.empty())
            ZEVBlitBatch::flush(painter);
        ZEVItemPainter::paint(painter, plan, g, itemViewer_->palette());
    }
    if (plan.titleHidden && titleView_->isVisible() == *plan.titleHidden)
        titleView_->setVisible(!*plan.titleHidden);
    // Written only on a change, so an unchanged redraw starts no new fade.
    if (auto alpha = ZEVItemDrawing::alphaToWrite(imageView_->alphaValue(), plan))
        imageView_->setOpacity(*alpha);
    titleView_->setColours(titleColours());
    return plan;
}

void ZEVItemView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!painter || coveredInPaint_)
        return;
    ++drawnCount_;
    drawRect(*painter);
    const ZEVPaintCut* cut = paintCut_.empty() ? nullptr : &paintCut_;
    titleView_->paintInView(*painter, cut);
    imageView_->paintInView(*painter, cut);
    if (dragView_)
        dragView_->paintStickerInView(*painter, cut);
}

} // namespace tallomer
