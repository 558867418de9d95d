// What the user asks of Objects and of the links between them, carried out on the desk of this
// viewer's cursor through its desk model and Object factory, then the cursor refreshed.

#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVTimeActionWalker.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "objects/view/ZEVItemView.h"
#include "objects/view/ZEVItemStickers.h"
#include "desk/model/ZEVItemOptions.h"
#include "services/ZEVFileJobs.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

constexpr char kRetablir[] = "retablirItemView";

// The parent of a pair is the Object of the greater id, so that a pair always names one link.
std::pair<KELI*, KELI*> paire(KELI* a, KELI* b)
{
    return a->idInt() > b->idInt() ? std::pair(a, b) : std::pair(b, a);
}

bool placeValide(const ZEVIconPosition& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.size) && std::isfinite(p.angle) && p.size > 0;
}

} // namespace

// The cursor placed again after a change of its links; the open panels are then redrawn, as what
// their commands would take may have changed with it.
void ZEVItemViewer::relancerCurseur()
{
    deskmodel::relancer(curseur_);
    if (space_)
        space_->displayAllInspectView();
}

// ---- icons ----

void ZEVItemViewer::userReleaseIconForItem(KELI* item)
{
    if (!item || !deskClass_)
        return;
    deskClass_->releaseIconForItem(item);
    relancerCurseur();
}

void ZEVItemViewer::userReleaseIconForItems(const std::vector<KELI*>& items)
{
    if (!deskClass_)
        return;
    walkIcons(*deskClass_, items, ZEVTimeAction::Release);
    relancerCurseur();
}

void ZEVItemViewer::userReleaseIconForItems(const std::vector<KELI*>& items, KELDate transitionDate)
{
    if (!deskClass_)
        return;
    deskClass_->releaseIconForItems(items, transitionDate);
    relancerCurseur();
}

void ZEVItemViewer::userReleaseSelectedItemViews()
{
    if (!deskClass_)
        return;
    std::vector<ZEVItemView*> views;
    visibleViewsOfMode(frontMode(), views);
    // The Objects first: releasing may take views away.
    std::vector<KELI*> items;
    for (ZEVItemView* v : views)
        items.push_back(v->item());
    for (KELI* o : items)
        deskClass_->releaseIconForItem(o);
    relancerCurseur();
}

void ZEVItemViewer::userForgetIconForItem(KELI* item)
{
    if (!item || !deskClass_)
        return;
    deskClass_->forgetIconForItem(item);
    relancerCurseur();
}

void ZEVItemViewer::userForgetIconForItems(const std::vector<KELI*>& items)
{
    if (!deskClass_)
        return;
    walkIcons(*deskClass_, items, ZEVTimeAction::Forget);
    relancerCurseur();
}

void ZEVItemViewer::userRecallIconForItems(const std::vector<KELI*>& items)
{
    if (!deskClass_ || !curseur_)
        return;
    for (KELI* o : items)
        if (o)
            deskClass_->recallIconForItem(o, curseur_->now());
    curseur_->placeToi();
    if (space_)
        space_->displayAllInspectView();
}

void ZEVItemViewer::userRecallSelectedItems()
{
    if (!deskClass_ || !curseur_ || !space_)
        return;
    for (KELI* o : space_->selectedIconItems()) {
        ZEVItemViewForDesks* v = deskViewer_ ? deskViewer_->itemViewForItem(o) : nullptr;
        if (!v && deskViewer_)
            v = deskViewer_->ajouterItemViewAvecItem(o);
        const ZEVIconPosition stored = deskClass_->rectCurseurForItem(o);
        deskClass_->recallIconForItem(o, curseur_->now(), v ? v->iconPosition() : stored, stored);
    }
    curseur_->placeToi();
    space_->displayAllInspectView();
}

void ZEVItemViewer::userRetainIconForItem(KELI* item)
{
    if (!item || !deskClass_)
        return;
    deskClass_->retainIconForItem(item);
    relancerCurseur();
}

void ZEVItemViewer::userRetainIconForItems(const std::vector<KELI*>& items)
{
    if (!deskClass_)
        return;
    walkIcons(*deskClass_, items, ZEVTimeAction::Retain);
    relancerCurseur();
}

bool ZEVItemViewer::userRecallIconAtViewPlace(ZEVItemViewForDesks* view)
{
    KELI* item = view ? view->item() : nullptr;
    if (!item || !deskClass_ || !curseur_)
        return false;
    const ZEVIconPosition old = deskClass_->rectCurseurForItem(item);
    const bool fait = deskClass_->recallIconForItem(item, curseur_->now(), view->iconPosition(), old);
    relancerCurseur();
    return fait;
}

void ZEVItemViewer::userRecallIconForItemViews(const std::vector<ZEVItemViewForDesks*>& views)
{
    if (!deskClass_ || !curseur_ || views.empty())
        return;
    const KELDate now = curseur_->now();
    // Each Object's next icon is read once for all of them, not once per Object.
    const ZEVDeskClass::NextIcons next = ZEVDeskClass::nextIconsAfter(now);
    for (ZEVItemViewForDesks* v : views)
        if (KELI* item = v ? v->item() : nullptr)
            deskClass_->recallIconForItem(item, now, v->iconPosition(), deskClass_->rectCurseurForItem(item), &next);
    relancerCurseur();
}

// ---- links ----

void ZEVItemViewer::linkSelectionDidChange()
{
    if (ZEVFrontViewerServices* f = space_ ? space_->frontViewer() : nullptr)
        f->linkSelectionDidChange();
}

void ZEVItemViewer::userReleaseLinkWithItem(KELI* item, KELI* otherItem)
{
    if (!item || !otherItem || item == otherItem || !itemClass_)
        return;
    auto [parent, enfant] = paire(item, otherItem);
    itemClass_->releaseLienConnexionWithParent(parent, enfant);
    if (space_)
        space_->displayAllInspectView();
}

void ZEVItemViewer::userRetainLinkWithItem(KELI* parent, KELI* enfant)
{
    if (!parent || !enfant || !itemClass_)
        return;
    itemClass_->retainLienConnexionWithParent(parent, enfant);
    linkSelectionDidChange();
}

void ZEVItemViewer::userForgetLinkWithItem(KELI* parent, KELI* enfant)
{
    if (!parent || !enfant || !itemClass_)
        return;
    itemClass_->forgetLienConnexionWithParent(parent, enfant);
    linkSelectionDidChange();
}

std::vector<ZEVItemConnexion*> ZEVItemViewer::selectedConnexions(KELI* endingAt) const
{
    std::vector<ZEVItemConnexion*> out;
    if (!space_)
        return out;
    for (ZEVItemConnexion* c : connexionsExistantes_)
        if (space_->isLinkSelectedForConnexion(c) &&
            (!endingAt || c->parentItem() == endingAt || c->enfantItem() == endingAt))
            out.push_back(c);
    std::sort(out.begin(), out.end(), [](const ZEVItemConnexion* a, const ZEVItemConnexion* b) {
        return std::pair(a->parentInt(), a->enfantInt()) < std::pair(b->parentInt(), b->enfantInt());
    });
    return out;
}

void ZEVItemViewer::userRecallLinksForItem(KELI* item)
{
    walkLinks(itemClass_, selectedConnexions(item), ZEVTimeAction::Recall);
    if (space_)
        space_->displayAllInspectView();
}

void ZEVItemViewer::userRetainLinksForItem(KELI* item)
{
    walkLinks(itemClass_, selectedConnexions(item), ZEVTimeAction::Retain);
    if (space_)
        space_->displayAllInspectView();
}

void ZEVItemViewer::userReleaseLinksForItem(KELI* item)
{
    walkLinks(itemClass_, selectedConnexions(item), ZEVTimeAction::Release);
    if (space_)
        space_->displayAllInspectView();
}

void ZEVItemViewer::userForgetLinksForItem(KELI* item)
{
    walkLinks(itemClass_, selectedConnexions(item), ZEVTimeAction::Forget);
    if (space_)
        space_->displayAllInspectView();
}

void ZEVItemViewer::userRetainSelectedLinks()
{
    walkLinks(itemClass_, selectedConnexions(nullptr), ZEVTimeAction::Retain);
    linkSelectionDidChange();
}

void ZEVItemViewer::userReleaseSelectedLinks()
{
    walkLinks(itemClass_, selectedConnexions(nullptr), ZEVTimeAction::Release);
    linkSelectionDidChange();
}

void ZEVItemViewer::userForgetSelectedLinks()
{
    walkLinks(itemClass_, selectedConnexions(nullptr), ZEVTimeAction::Forget);
    linkSelectionDidChange();
}

// ---- places and titles ----

void ZEVItemViewer::userChangePosition(const ZEVIconPosition& newPosition, const ZEVIconPosition& oldPosition,
                                       ZEVItemView* view)
{
    if (!view || !view->item())
        return;
    if (!placeValide(newPosition)) {
        logFormat("ZEVItemViewer userChangePosition refused a place that is not one: %g %g %g", newPosition.x,
                  newPosition.y, newPosition.size);
        view->itemViewAccepteMaj();
        if (deskViewer_)
            deskViewer_->majItemView(view);
        return;
    }
    const bool commande = (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
    if (view->siModifiableIcon(commande)) {
        // A place the store did not keep (a full disk, told by its own alert) is not shown.
        if (deskClass_ && !deskClass_->updatePosition(newPosition, oldPosition, view->item()))
            userRestorePositionForItemView(view);
        return;
    }
    Scheduler::shared().cancel(view->cible(), kRetablir);
    Scheduler::shared().perform(view->cible(), kRetablir, kRetablirDelay, [view] {
        if (ZEVItemViewer* iv = view->itemViewer())
            iv->retablirItemView(view);
    }, true);
    view->startRetablirItemViewAmation();
}

void ZEVItemViewer::retablirItemView(ZEVItemView* view)
{
    if (!view)
        return;
    Scheduler::shared().cancel(view->cible(), kRetablir);
    view->stopRetablirItemViewAmation();
    view->itemViewAccepteMaj();
    if (deskViewer_)
        deskViewer_->majItemView(view);
    if (!view->isHidden())
        Sound::shared().play(QStringLiteral("Morse"));
}

void ZEVItemViewer::userAnnuleRetablirPositionForSelectedItemViews()
{
    for (ZEVItemView* v : selectedItemViews_) {
        Scheduler::shared().cancel(v->cible(), kRetablir);
        v->annuleRetablirItemViewAmation();
        v->itemViewAccepteMaj();
        v->update();
    }
}

void ZEVItemViewer::userKeepPositionForItemView(ZEVItemView* view)
{
    if (!view || !view->item())
        return;
    Scheduler::shared().cancel(view->cible(), kRetablir);
    view->stopRetablirItemViewAmation();
    view->itemViewAccepteMaj();
    view->update();
    if (deskClass_ && placeValide(view->iconPosition()))
        deskClass_->updatePosition(view->iconPosition(), deskClass_->rectCurseurForItem(view->item()), view->item());
}

void ZEVItemViewer::userRestorePositionForItemView(ZEVItemView* view)
{
    if (!view)
        return;
    Scheduler::shared().cancel(view->cible(), kRetablir);
    view->stopRetablirItemViewAmation();
    view->itemViewAccepteMaj();
    if (deskViewer_)
        deskViewer_->majItemView(view);
}

void ZEVItemViewer::userChangeTitle(const QString& title, ZEVItemView* view)
{
    // A title the store did not keep is not shown either: the view reads the kept one again.
    if (view && view->item() && deskClass_ && !deskClass_->updateItemTitle(title.toStdString(), view->item()))
        userRestorePositionForItemView(view);
}

void ZEVItemViewer::userCancelOperation()
{
    if (ZEVFrontViewerServices* f = space_ ? space_->frontViewer() : nullptr)
        f->userStepBack();
}



// ---- the drop of a long-press drag ----

void ZEVItemViewer::copiedItemViewsMovedTo(const QPointF& deskPoint)
{
    const QPointF q(std::floor(deskPoint.x()), std::floor(deskPoint.y()));
    const QPointF d = q - dragPoint_;
    for (auto& c : CopiedItemViews()) {
        ZEVIconPosition p = c->iconPosition();
        p.x += d.x();
        p.y += d.y();
        c->setIconPosition(p, 0);
    }
    dragPoint_ = q;
}

void ZEVItemViewer::userRecallSelectedItemViewsVersNowCurseur()
{
    if (cancelRecall_) {
        cancelRecall_ = false;
        return;
    }
    if (!deskClass_ || !curseur_)
        return;
    const KELDate d = curseur_->now();
    KELICurseur* now = space_ ? space_->nowCurseur() : nullptr;
    const bool unBureau = now && InitialCurseur() == now && curseur_ == now;
    const bool commande = (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
    const ZEVDeskGeometry& geo = geometry();
    std::vector<ZEVItemView*> retours;
    ZEVItemViewForDesks* dernier = nullptr;
    QGraphicsScene* scene = nullptr;
    for (auto& k : CopiedItemViews()) {
        KELI* o = k->item();
        if (!o)
            continue;
        KELI* o2 = (space_ && o->channelInt() == space_->identityInt()) ? o : ZEVItemData::Current().createSameItem(o);
        if (!o2) {
            // No Object can stand for it in this Channel: its copy goes back.
            logFormat("ZEVItemViewer userRecallSelectedItemViewsVersNowCurseur: no Object for %llu here",
                      static_cast<unsigned long long>(o->idInt()));
            retours.push_back(k.get());
            continue;
        }
        ZEVIconPosition neu = k->iconPosition();
        const QRectF f = k->imageFrame();
        const QRectF place = geo.spaceRatioCheckRect(QRectF(neu.x, neu.y, neu.size, neu.size),
                                                     QRectF(k->imageCentre(), QSizeF(f.width(), f.height())));
        neu.x = place.x();
        neu.y = place.y();
        const ZEVIconPosition old = deskClass_->rectCurseurForItem(o2);
        ZEVItemViewForDesks* v = deskViewer_ ? deskViewer_->itemViewForItem(o2) : nullptr;
        if (!v && deskViewer_)
            v = o2 == o ? deskViewer_->ajouterItemViewAvecItem(o2)
                        : deskViewer_->creerItemViewWithItem(o2, neu, k->imageSizeRatio());
        if (v)
            v->orderToFront();
        if (!deskClass_->recallIconForItem(o2, d, neu, old)) {
            if (unBureau || commande) {
                deskClass_->updatePosition(neu, old, o2, d);
            } else {
                k->saveIconPosition(old);
                retours.push_back(k.get());
            }
        }
        if (v) {
            v->itemViewAccepteMaj();
            deskViewer_->majItemView(v);
            dernier = v;
            if (QGraphicsItem* g = v->graphicsItem(); g && g->scene())
                scene = g->scene();
        }
    }
    if (dernier)
        if (QGraphicsItem* g = dernier->graphicsItem())
            g->setFocus();
    ReferencerInitialCurseur(nullptr);
    if (!scene)
        for (ZEVItemView* v : views_)
            if ((scene = v->scene()))
                break;
    flyBack(retours, scene);
    curseur_->placeToi();
}

void ZEVItemViewer::flyBack(const std::vector<ZEVItemView*>& copies, QGraphicsScene* scene, double duration, double gone)
{
    for (ZEVItemView* k : copies) {
        if (scene && !k->scene()) {
            // Over every Object view of the desk while it flies.
            k->setZValue(1e6);
            scene->addItem(k);
        }
        k->setIconPosition(k->savedIconPosition(), duration);
        Scheduler::shared().perform(k->cible(), "removeFromSuperview", gone, [k] {
            if (QGraphicsScene* s = k->scene())
                s->removeItem(k);
        });
    }
}

void ZEVItemViewer::slideBackCopiesForItems(const std::vector<KELI*>& items, double duration, double gone)
{
    std::vector<ZEVItemView*> copies;
    QGraphicsScene* scene = nullptr;
    for (auto& k : CopiedItemViews()) {
        if (!k || std::find(items.begin(), items.end(), k->item()) == items.end())
            continue;
        // Back onto the Object's own view where it has one on this desk.
        if (ZEVItemView* v = itemViewForItem(k->item())) {
            k->saveIconPosition(v->iconPosition());
            if (!scene)
                scene = v->scene();
        }
        copies.push_back(k.get());
    }
    flyBack(copies, scene, duration, gone);
}

void ZEVItemViewer::userCancelRecallSelectedItemViews()
{
    cancelRecall_ = true;
    for (auto& c : CopiedItemViews())
        if (QGraphicsScene* s = c->scene())
            s->removeItem(c.get());
    if (space_ && curseur_)
        space_->userChangeActifCurseur(curseur_);
}

void ZEVItemViewer::userDuplicateSelectedItemViews()
{
    if (cancelRecall_) {
        cancelRecall_ = false;
        return;
    }
    if (fileJobs_)
        fileJobs_->duplicateToSpace(this);
    else
        logLine("ZEVItemViewer userDuplicateSelectedItemViews: no file jobs");
}

// ---- Objects dropped onto a folder Object ----

namespace {
constexpr ZEVItemOption kBusy = ZEVOPTION_DUPLICATING | ZEVOPTION_COPYING | ZEVOPTION_MOVING;
constexpr ZEVItemOption kForbidden = 0x80014 | kBusy;
constexpr ZEVItemOption kStaying = 0x8701E;

bool siWebFile(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    return !path.isEmpty() && QFileInfo::exists(path) && ext != QLatin1String("html") && ext != QLatin1String("htm");
}

// A folder dropped into itself or one of its own folders would copy itself without end.
bool siInsideItself(const QString& path, const QString& folder)
{
    if (!ZEVItemDragView::siFolderPath(path) || folder.isEmpty())
        return false;
    const QString s = QFileInfo(path).canonicalFilePath(), f = QFileInfo(folder).canonicalFilePath();
    return !s.isEmpty() && (f == s || f.startsWith(s + QLatin1Char('/')));
}

bool siWebRecord(KELI* item)
{
    return QFileInfo::exists(ZEVItemData::Current().recordPath(item->idInt(), QStringLiteral("http")));
}
} // namespace

Qt::DropAction ZEVItemViewer::userWillDragToFolderItemView(ZEVItemView* folderView, Qt::KeyboardModifiers modifiers)
{
    const bool alt = modifiers == Qt::AltModifier;
    bool copie = alt;
    bool compte = false;
    ZEVItemData& data = ZEVItemData::Current();
    const QString folder = folderView ? data.fileUrlForItem(folderView->item()) : QString();
    for (KELI* item : draggedItems()) {
        ZEVItemView* v = itemViewForItem(item);
        auto sticker = [v](int code) {
            if (v)
                v->addSticker(code);
        };
        if (siItemOption(item, ZEVOPTION_HOLD_BY_SYSTEM))
            copie = true;
        if (siItemOption(item, kForbidden) || siInsideItself(data.fileUrlForItem(item), folder)) {
            sticker(ZEVItemStickers::kForbid);
            continue;
        }
        sticker(ZEVItemStickers::kForOptions);
        const QString type = v ? v->itemType() : QString();
        const QString path = data.fileUrlForItem(item);
        if (type == QLatin1String("file")) {
            if (path.isEmpty())
                continue;
            sticker(ZEVItemStickers::kMove);
            if (alt || siItemOption(item, ZEVOPTION_HOLD_BY_SYSTEM))
                sticker(ZEVItemStickers::kCopy);
            else if (ZEVItemDragView::siFolderPath(path))
                sticker(ZEVItemStickers::kWarning);
            compte = true;
        } else if (type == QLatin1String("http")) {
            if (siWebFile(path) || siWebRecord(item)) {
                sticker(alt ? ZEVItemStickers::kCopy : ZEVItemStickers::kMove);
                compte = true;
            }
        } else {
            sticker(ZEVItemStickers::kForbid);
        }
    }
    if (!compte)
        return Qt::IgnoreAction;
    return copie ? Qt::CopyAction : Qt::MoveAction;
}

void ZEVItemViewer::userDragToFolderItemView(ZEVItemView* folder, Qt::KeyboardModifiers modifiers)
{
    const bool alt = modifiers == Qt::AltModifier;
    std::vector<KELI*> moving, duplicating, staying;
    ZEVItemData& data = ZEVItemData::Current();
    const QString target = folder ? data.fileUrlForItem(folder->item()) : QString();
    for (KELI* item : draggedItems()) {
        ZEVItemView* v = itemViewForItem(item);
        const QString type = v ? v->itemType() : QString();
        const bool copie = alt || siItemOption(item, ZEVOPTION_HOLD_BY_SYSTEM);
        if (siItemOption(item, kStaying) || siInsideItself(data.fileUrlForItem(item), target)) {
            staying.push_back(item);
        } else if (type == QLatin1String("file")) {
            if (!data.fileUrlForItem(item).isEmpty())
                (copie ? duplicating : moving).push_back(item);
        } else if (type == QLatin1String("http")) {
            if (siWebFile(data.fileUrlForItem(item)) || siWebRecord(item))
                (copie ? duplicating : moving).push_back(item);
        } else {
            staying.push_back(item);
        }
    }
    if (!fileJobs_) {
        logLine("ZEVItemViewer userDragToFolderItemView: no file jobs");
        return;
    }
    fileJobs_->dragToFolderItemView(folder, moving, duplicating, staying);
}

// ---- the keyboard grid ----

const ZEVDeskGeometry& ZEVItemViewer::geometry() const
{
    static const ZEVDeskGeometry unite;
    ZEVDeskGeometry* g = space_ ? space_->deskGeometry() : nullptr;
    return g ? *g : unite;
}

namespace {
constexpr double kRaster = 200;
constexpr char kArchive[] = "_archivePositionForItemView";

// To the nearest whole multiple of the raster, halves away from zero.
double surLaTrame(double b) { return std::round(b / kRaster) * kRaster; }
} // namespace

void ZEVItemViewer::gridPlace(ZEVItemView* view, const ZEVIconPosition& position)
{
    if (view->siItemViewAccepteMaj()) {
        view->saveIconPosition();
        view->itemViewRefuseMaj();
    }
    view->setIconPosition(position, 0.001);
    Scheduler::shared().cancel(view->cible(), kArchive);
    Scheduler::shared().perform(view->cible(), kArchive, kArchiveDelay, [view] {
        if (ZEVItemViewer* iv = view->itemViewer())
            iv->archivePositionForItemView(view);
    });
}

void ZEVItemViewer::archivePositionForItemView(ZEVItemView* view)
{
    userChangePosition(view->iconPosition(), view->savedIconPosition(), view);
    view->itemViewAccepteMaj();
}

namespace {
// One axis of the desk, so that the four grid moves and the two grid zooms in are one walk each.
struct Axe {
    bool horizontal;
    double base(const ZEVDeskGeometry& geo, double v) const { return horizontal ? geo.baseForX(v) : geo.baseForY(v); }
    double coord(const ZEVDeskGeometry& geo, double b) const { return horizontal ? geo.xForBase(b) : geo.yForBase(b); }
    double& of(ZEVIconPosition& p) const { return horizontal ? p.x : p.y; }
    double of(const QPointF& c) const { return horizontal ? c.x() : c.y(); }
    double extent(const QRectF& f) const { return horizontal ? f.width() : f.height(); }
    double min(const ZEVLimitRect& L) const { return horizontal ? L.minX : L.minY; }
    double max(const ZEVLimitRect& L) const { return horizontal ? L.maxX : L.maxY; }
};

// The next raster line in that direction (sign +1 right or up, −1 left or down), pulled back so
// that the image's trailing edge stays inside the limits: some of it always shows.
ZEVIconPosition gridMove(const ZEVDeskGeometry& geo, const ZEVItemView* v, Axe a, int sign, double g)
{
    const ZEVLimitRect L = geo.spaceRatioLimitRect();
    ZEVIconPosition p = v->iconPosition();
    double& here = a.of(p);
    const double to = a.coord(geo, surLaTrame(a.base(geo, here)) + sign * g);
    const double edge = a.of(v->imageCentre()) + (to - here) - sign * a.extent(v->imageFrame()) / 2;
    const double t = edge - (sign > 0 ? a.max(L) : a.min(L));
    here = sign * t > 0 ? to - t : to;
    return p;
}

// The far edge grown to the next raster line past it; false for an image without that extent.
bool gridZoomIn(const ZEVDeskGeometry& geo, const ZEVItemView* v, Axe a, double g, ZEVIconPosition& p)
{
    p = v->iconPosition();
    const double w = a.extent(v->imageFrame());
    if (w <= 0)
        return false;
    const double here = a.of(p);
    const double b = a.base(geo, here + w);
    const double T = (std::trunc((b + g / 10) / g) + 1) * g;
    p.size = p.size * (a.coord(geo, T) - here) / w;
    if (geo.spaceRatioMaxSize() > 0)
        p.size = std::min(p.size, geo.spaceRatioMaxSize());
    return true;
}
} // namespace

void ZEVItemViewer::userMoveLeftItemView(ZEVItemView* v, double g)
{
    if (v)
        gridPlace(v, gridMove(geometry(), v, {true}, -1, g));
}

void ZEVItemViewer::userMoveRightItemView(ZEVItemView* v, double g)
{
    if (v)
        gridPlace(v, gridMove(geometry(), v, {true}, +1, g));
}

void ZEVItemViewer::userMoveUpItemView(ZEVItemView* v, double g)
{
    if (v)
        gridPlace(v, gridMove(geometry(), v, {false}, +1, g));
}

void ZEVItemViewer::userMoveDownItemView(ZEVItemView* v, double g)
{
    if (v)
        gridPlace(v, gridMove(geometry(), v, {false}, -1, g));
}

void ZEVItemViewer::userZoomInRightAlignItemView(ZEVItemView* v, double g)
{
    ZEVIconPosition p;
    if (v && gridZoomIn(geometry(), v, {true}, g, p))
        gridPlace(v, p);
}

void ZEVItemViewer::userZoomInTopAlignItemView(ZEVItemView* v, double g)
{
    ZEVIconPosition p;
    if (v && gridZoomIn(geometry(), v, {false}, g, p))
        gridPlace(v, p);
}

namespace {
// The end of both zooms out: the smallest size at least, and the image's far edges kept inside
// the limits. Answers false when the edge gives no size (an image without width or height).
bool zoomOut(const ZEVDeskGeometry& geo, ZEVItemView* v, double k, ZEVIconPosition& p)
{
    const QRectF f = v->imageFrame();
    const QPointF c = v->imageCentre();
    if (!(k > 0) || !std::isfinite(k))
        return false;
    p.size = p.size / k;
    const double min = geo.spaceRatioMinSize();
    if (min > 0 && p.size < min) {
        k = v->iconPosition().size / min;
        p.size = min;
    }
    const ZEVLimitRect L = geo.spaceRatioLimitRect();
    const double dx = f.width() / k - f.width();
    const double dy = f.height() / k - f.height();
    const double t = f.width() / 2 + c.x() + dx - L.minX;
    if (t < 0)
        p.x -= t;
    const double u = f.height() / 2 + c.y() + dy - L.minY;
    if (u < 0)
        p.y -= u;
    return true;
}
} // namespace

void ZEVItemViewer::userZoomOutRightAlignItemView(ZEVItemView* v, double g)
{
    if (!v)
        return;
    const ZEVDeskGeometry& geo = geometry();
    ZEVIconPosition p = v->iconPosition();
    const double w = v->imageFrame().width();
    const double T = std::trunc((geo.baseForX(p.x + w) - g / 10) / g) * g;
    const double X = geo.xForBase(T);
    if (zoomOut(geo, v, w / (X - p.x), p))
        gridPlace(v, p);
}

void ZEVItemViewer::userZoomOutTopAlignItemView(ZEVItemView* v, double g)
{
    if (!v)
        return;
    const ZEVDeskGeometry& geo = geometry();
    ZEVIconPosition p = v->iconPosition();
    const double h = v->imageFrame().height();
    const double T = std::trunc((geo.baseForY(p.y + h) - g / 10) / g) * g;
    const double Y = geo.yForBase(T);
    if (zoomOut(geo, v, h / (Y - p.y), p))
        gridPlace(v, p);
}

} // namespace tallomer
