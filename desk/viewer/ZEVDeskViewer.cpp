#include "desk/viewer/ZEVDeskViewer.h"

#include "desk/viewer/ZEVDeskMenus.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/view/ZEVDeskBackImageView.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "desk/viewer/ZEVDeskDownloads.h"
#include "desk/viewer/ZEVDeskDrop.h"
#include "desk/viewer/ZEVDeskTabWalk.h"
#include "desk/viewer/ZEVDeskViewRegistry.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "services/ZEVItemViewerForDesks.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include <QFileInfo>
#include <QGraphicsItem>
#include <QGraphicsView>

#include <algorithm>

namespace tallomer {

ZEVDeskViewer::ZEVDeskViewer(KELICurseur* curseur, ZEVDeskClass* deskClass, ZEVSpaceForDeskViewers* space,
                             const QRectF& frame)
    : curseur_(curseur), deskClass_(deskClass), space_(space)
{
    contexte_ = curseur_ ? curseur_->contexte() : nullptr;
    frontViewer_ = space_ ? space_->frontViewer() : nullptr;
    const double t = maintenant();
    background_ = std::make_unique<ZEVDeskBackground>(*this, t);

    deskView_ = std::make_unique<ZEVDeskView>(QRectF(QPointF(0, 0), frame.size()), this, space_);
    deskView_->referencerFrontView(frontViewer_ ? frontViewer_->frontView() : nullptr);
    auto back = std::make_unique<ZEVDeskBackImageView>(deskView_->frame(), deskView_.get(), frontViewer_);
    deskBackImageView_ = back.get();
    deskView_->addItem(back.release()); // the scene owns it
    views_ = std::make_unique<ZEVDeskViewRegistry>(*this, t);
    tabWalk_ = std::make_unique<ZEVDeskTabWalk>(*this);
    drop_ = std::make_unique<ZEVDeskDrop>(*this);
    downloads_ = std::make_unique<ZEVDeskDownloads>(*this);
}

ZEVDeskViewer::~ZEVDeskViewer()
{
    // Nothing outside calls in any more, then the views leave the scene before it goes.
    background_.reset();
    downloads_.reset();
    drop_.reset();
    tabWalk_.reset();
    views_.reset();
}

double ZEVDeskViewer::maintenant() const { return Clock::shared().now(); }

void ZEVDeskViewer::installInGraphicsView(QGraphicsView* view)
{
    if (!view)
        return;
    const QSize s = view->viewport()->size();
    if (s.width() > 0 && s.height() > 0)
        setDeskViewFrame(QRectF(0, 0, s.width(), s.height()));
    view->setScene(deskView_.get());
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setFrameShape(QFrame::NoFrame);
    view->setAcceptDrops(true);
}

void ZEVDeskViewer::enclencherMaj() { background_->enclencherMaj(); }

void ZEVDeskViewer::referencerItemViewer(ZEVItemViewerForDesks* itemViewer)
{
    itemViewer_ = itemViewer;
    deskView_->referencerItemViewer(itemViewer);
}

QRectF ZEVDeskViewer::deskViewFrame() const { return deskView_ ? deskView_->frame() : QRectF(); }

double ZEVDeskViewer::deskHeight() { return deskViewFrame().height(); }

void ZEVDeskViewer::setDeskViewFrame(const QRectF& frame)
{
    const QRectF f(QPointF(0, 0), frame.size());
    if (f == deskViewFrame())
        return;
    deskView_->setFrame(f);
    deskBackImageView_->setFrame(f);
    // The scene's y-down origin moved with the height: every view goes back to its place.
    for (auto& [item, view] : views_->lienViewMap())
        view->replacerDansLaScene();
    background_->majBackImageSize();
}

// ---------------------------------------------------------------------------------------------
// Item views

ZEVItemViewForDesks* ZEVDeskViewer::itemViewForItem(KELI* item) { return views_->itemViewForItem(item); }

const std::vector<ZEVItemViewForDesks*>& ZEVDeskViewer::itemViewSet() const { return views_->itemViewSet(); }

bool ZEVDeskViewer::siInItemViewSet(ZEVItemViewForDesks* view) const { return views_->siInItemViewSet(view); }

std::size_t ZEVDeskViewer::nbDeItemViews() const { return views_->nbDeItemViews(); }

ZEVItemViewForDesks* ZEVDeskViewer::nouvelleVue(KELI* item, const ZEVIconPosition& position, float ratio,
                                                bool cachee)
{
    if (!item || !itemViewer_)
        return nullptr;
    std::unique_ptr<ZEVItemViewForDesks> view = itemViewer_->creerItemView(position, item, ratio);
    if (!view)
        return nullptr;
    // A second view for one Object would leave the first drawn and unreachable.
    if (ZEVItemViewForDesks* old = itemViewForItem(item))
        deleteItemView(old);
    view->setHidden(cachee);
    if (QGraphicsItem* g = view->graphicsItem())
        deskView_->addItem(g);
    return views_->enregistrer(item, std::move(view));
}

void ZEVDeskViewer::initItemViewAvecIcon(KELI* icon, KELDate curseurDate)
{
    KELICc* fenetre = curseur_ ? curseur_->fenetre() : nullptr;
    KELI* item = icon && fenetre ? icon->enfant(fenetre) : nullptr;
    if (!item) {
        logFormat("ZEVDeskViewer ERROR: initItemViewAvecIcon:%ld", icon ? static_cast<long>(icon->idInt()) : 0L);
        return;
    }
    item->setChannelInt(icon->parentInt());
    ZEVItemViewForDesks* view = itemViewForItem(item);
    if (!view) {
        const QRectF f = deskViewFrame();
        view = nouvelleVue(item, ZEVIconPosition{f.width() / 2 - 5, f.height() / 2 - 5, 10, 0}, 1.0f, true);
        if (!view)
            return;
    }
    view->setSiAjoute(true);
    if (curseur_->siIncluLeLien(icon)) {
        view->setSiActif(true);
        view->setSiFutur(true);
    } else if (icon->inDate() > curseurDate) {
        view->setSiFutur(true);
    }
    majItemView(view);
}

void ZEVDeskViewer::initMajItemViews()
{
    const double t = maintenant();
    views_->initMajItemViews(t);
    background_->initMajBackView(t);
}

ZEVItemViewForDesks* ZEVDeskViewer::ajouterItemViewAvecItem(KELI* item)
{
    if (!item || !deskClass_)
        return nullptr;
    const ZEVIconPosition position = deskClass_->rectCurseurForItem(item);
    if (item->channelInt() == 0)
        item->setChannelInt(space_ ? space_->identityInt() : 0);
    return nouvelleVue(item, position, 1.0f, true);
}

void ZEVDeskViewer::deleteItemView(ZEVItemViewForDesks* view)
{
    if (!view)
        return;
    tabWalk_->oublier(view);
    views_->deleteItemView(view);
}

bool ZEVDeskViewer::siItemExiste() { return deskClass_ && !deskClass_->liensForIconViewerRelation().empty(); }

bool ZEVDeskViewer::siSelectionExiste(int mode)
{
    if (!space_)
        return false;
    const std::vector<KELI*> items = space_->selectedItemsOfMode(mode);
    return std::any_of(items.begin(), items.end(), [this](KELI* i) { return itemViewForItem(i) != nullptr; });
}

void ZEVDeskViewer::placerDevant()
{
    if (frontViewer_)
        frontViewer_->updateFrontView();
    if (space_)
        space_->placerDevantDeskView(this);
}

// ---------------------------------------------------------------------------------------------
// Deferred refresh

void ZEVDeskViewer::majItemView(ZEVItemViewForDesks* view) { views_->majItemView(view); }
void ZEVDeskViewer::majItemViews() { views_->majItemViews(); }
void ZEVDeskViewer::majConnexion() { views_->majConnexion(); }
void ZEVDeskViewer::displayItemViews() { views_->displayItemViews(); }
bool ZEVDeskViewer::siAccepteDisplayDeskView() const { return views_->siAccepteDisplayDeskView(); }
std::size_t ZEVDeskViewer::nbEnAttente() const { return views_->nbEnAttente(); }
std::size_t ZEVDeskViewer::nbDePasses() const { return views_->nbDePasses(); }

void ZEVDeskViewer::majImages()
{
    for (auto& [item, view] : views_->lienViewMap())
        if (siItemOption(item, ZEVOPTION_HOLD_BY_EXTERN))
            view->updateImage();
}

void ZEVDeskViewer::flickItemSet(const std::vector<KELI*>& items)
{
    for (KELI* i : items)
        if (ZEVItemViewForDesks* v = itemViewForItem(i))
            v->flick();
}

void ZEVDeskViewer::flickItemViews(const std::vector<ZEVItemViewForDesks*>& views)
{
    for (ZEVItemViewForDesks* v : views)
        if (v)
            v->flick();
}

bool ZEVDeskViewer::siFilteredItem(KELI* item)
{
    return itemViewer_ && itemViewer_->siHideViewForFilterImpactedItem(item);
}

// ---------------------------------------------------------------------------------------------
// Select All

void ZEVDeskViewer::selectAll(int mode)
{
    std::vector<KELI*> items;
    for (const auto& [item, view] : views_->lienViewMap())
        if (!view->isHidden())
            items.push_back(item);
    if (space_) {
        switch (mode) {
        case ZEVFrontModeIcons:
            space_->selectIconForItemSet(items, {});
            break;
        case ZEVFrontModeTitles:
            space_->selectTitleForItemSet(items, {});
            break;
        case ZEVFrontModeFilters:
            space_->selectFilterForItemSet(items, {});
            break;
        case ZEVFrontModeLinks:
            space_->selectNodeForItemSet(items, {});
            break;
        default:
            break;
        }
    }
    deskView_->update();
}

void ZEVDeskViewer::userSelectAllIcons() { selectAll(ZEVFrontModeIcons); }
void ZEVDeskViewer::userSelectAllTitles() { selectAll(ZEVFrontModeTitles); }
void ZEVDeskViewer::userSelectAllFiltres() { selectAll(ZEVFrontModeFilters); }
void ZEVDeskViewer::userSelectAllNodes() { selectAll(ZEVFrontModeLinks); }

// ---------------------------------------------------------------------------------------------
// Tab walk

void ZEVDeskViewer::userSelectNext() { tabWalk_->userSelectNext(); }
void ZEVDeskViewer::userSelectPrevious() { tabWalk_->userSelectPrevious(); }
void ZEVDeskViewer::selectionDidChange() { tabWalk_->selectionDidChange(); }
int ZEVDeskViewer::tabFrontMode() const { return tabWalk_->tabFrontMode(); }

// ---------------------------------------------------------------------------------------------
// Relays of the desk model

void ZEVDeskViewer::moteurCroisementItem(KELI* item, ZEVCroisement croisement)
{
    if (!item)
        return;
    ZEVItemViewForDesks* v = itemViewForItem(item);
    // A view is made for an icon coming into the context, or into the cursor at its future edge;
    // any other notice about an Object without a view has nothing to change.
    const bool creer = croisement.kind == ZEVCroisement::Ajoute ||
                       croisement == ZEVCroisement{ZEVCroisement::Active, ZEVCroisement::Futur};
    if (!v && creer)
        v = ajouterItemViewAvecItem(item);
    if (!v)
        return;
    ZEVAppliquerCroisement(*v, croisement);
    v->setChannelInt(item->channelInt());
    majItemView(v);
}

void ZEVDeskViewer::moteurChangeItemViewForItem(KELI* item)
{
    if (ZEVItemViewForDesks* v = itemViewForItem(item))
        views_->majPlaceDeItemView(v);
}

void ZEVDeskViewer::moteurChangeItemTitleForItem(KELI* item)
{
    if (ZEVItemViewForDesks* v = itemViewForItem(item))
        majItemView(v);
    if (frontViewer_)
        frontViewer_->displayAllInspectView();
}

// ---------------------------------------------------------------------------------------------
// Backgrounds

bool ZEVDeskViewer::initWallpaperWithChannelViewer() { return background_->initWallpaperWithChannelViewer(); }
KELI* ZEVDeskViewer::currentBackImageItem() const { return background_->currentBackImageItem(); }
KELI* ZEVDeskViewer::currentBackColorItem() const { return background_->currentBackColorItem(); }
KELI* ZEVDeskViewer::currentBackScaleMot() const { return background_->currentBackScaleMot(); }
bool ZEVDeskViewer::siChannelActif() const { return background_->siChannelActif(); }
KELI* ZEVDeskViewer::currentBackItem() { return background_->currentBackItem(); }
std::string ZEVDeskViewer::currentBackImageItemName() { return background_->currentBackImageItemName(); }
void ZEVDeskViewer::setBackImageItemName(const std::string& name) { background_->setBackImageItemName(name); }
void ZEVDeskViewer::majBackForFirstTime() { background_->majBackForFirstTime(); }
void ZEVDeskViewer::majBackImage() { background_->majBackImage(); }
void ZEVDeskViewer::majBackImageSize() { background_->majBackImageSize(); }

KELI* ZEVDeskViewer::createBackForNewChannel(KELI* channel, const std::string& spaceTitle, const QString& imagePath,
                                            KELI* scaleItem, KELI* colorItem)
{
    return background_->createBackForNewChannel(channel, spaceTitle, imagePath, scaleItem, colorItem);
}

bool ZEVDeskViewer::userChangeBackWithImageItem(KELI* imageItem, KELI* colorItem, KELId scaleMotInt,
                                                KELDate transitionDate)
{
    return background_->userChangeBackWithImageItem(imageItem, colorItem, scaleMotInt, transitionDate);
}

void ZEVDeskViewer::channelDidChangeWithIdentityInt(KELId channel)
{
    background_->channelDidChangeWithIdentityInt(channel);
}

// ---------------------------------------------------------------------------------------------
// Placing Objects

QPointF ZEVDeskViewer::clampedLocation(const QPointF& location)
{
    ZEVLimitRect limit;
    if (ZEVDeskGeometry* g = space_ ? space_->deskGeometry() : nullptr)
        limit = g->spaceRatioLimitRect();
    double x = location.x(), y = location.y();
    if (x > limit.maxX)
        x = limit.maxX;
    else if (x < limit.minX)
        x = limit.minX;
    if (y > limit.maxY)
        y = limit.maxY;
    else if (y < limit.minY)
        y = limit.minY;
    return QPointF(x, y);
}

std::pair<KELDate, KELDate> ZEVDeskViewer::intervalForNewIcon(KELI* item)
{
    const KELDate now = curseur_ ? curseur_->now() : 0.0;
    if (!space_)
        return {now, KELDateOuverte};
    if (ZEVLegoSource* table = space_->frontSelectionTable())
        if (KELI* lego = table->draggingLego()) {
            if (now > lego->outDate())
                return {now, KELDateOuverte};
            return {lego->inDate(), lego->outDate()};
        }
    if (space_->goToTag() >= 3) {
        KELDate in = now;
        if (std::optional<KELDate> d = ZEVItemData::Current().goToDateForItem(item))
            in = *d;
        if (KELICurseur* search = space_->searchCurseur()) {
            const double d = in - search->now();
            if (d > 0)
                space_->moveRulerForward(d);
        }
        return {in, space_->spaceOutTimeForGoToTime(in, curseur_)};
    }
    const KELDate out =
        space_->siGoToMode() ? space_->spaceOutTimeForGoToTime(now, curseur_) : space_->spaceOutTimeForCurseur(curseur_);
    return {now, out};
}

ZEVItemViewForDesks* ZEVDeskViewer::creerItemViewWithItem(KELI* item, const QPointF& location, double countShift)
{
    ZEVDeskGeometry* g = space_ ? space_->deskGeometry() : nullptr;
    const QPointF p = clampedLocation(QPointF(location.x() + countShift, location.y() - countShift));
    const ZEVIconPosition position{p.x(), p.y(), g ? g->spaceRatioDefaultSize() : 0.0, 0};
    const auto [in, out] = intervalForNewIcon(item);
    return creerIconForItemView(item, position, in, out, 1.0f);
}

ZEVItemViewForDesks* ZEVDeskViewer::creerItemViewWithItem(KELI* item, const ZEVIconPosition& position, float ratio)
{
    const auto [in, out] = intervalForNewIcon(item);
    return creerIconForItemView(item, position, in, out, ratio);
}

void ZEVDeskViewer::creerIconForItem(KELI* item, const ZEVIconPosition& position, KELDate inDate, KELDate outDate,
                                     float ratio)
{
    creerIconForItemView(item, position, inDate, outDate, ratio);
}

ZEVItemViewForDesks* ZEVDeskViewer::creerIconForItemView(KELI* item, const ZEVIconPosition& position,
                                                         KELDate inDate, KELDate outDate, float ratio)
{
    if (!item || !deskClass_)
        return nullptr;
    ZEVItemViewForDesks* view = nullptr;
    KELI* icone = nullptr;
    {
        // The icon link and its four geometry numbers: all of them or none, and no view without them.
        KELServeurDeLiens::Acte acte(9, 0, 4);
        if (!acte.complet())
            return nullptr;
        if (item->channelInt() == 0)
            item->setChannelInt(space_ ? space_->identityInt() : 0);
        view = nouvelleVue(item, position, ratio, false);
        if (view)
            if (QGraphicsItem* g = view->graphicsItem())
                g->setFocus();
        deskClass_->creerIconAttributsForItem(item, position);
        icone = deskClass_->creerIconForItem(item, inDate, outDate);
    }
    // The store kept none of it (a full disk): no view stands for an icon it does not hold.
    if (KELServeurDeLiens::Perdu(icone)) {
        if ((view = itemViewForItem(item)))
            deleteItemView(view);
        return nullptr;
    }
    deskmodel::relancer(curseur_);
    // The link base's notices may have replaced or removed the view meanwhile.
    view = itemViewForItem(item);
    if (view)
        views_->majAttributs(view);
    return view;
}

ZEVItemViewForDesks* ZEVDeskViewer::recallExistingItemViewWithItem(KELI* item, const QPointF& location,
                                                                   double* countShift, bool siCmdKey)
{
    if (!item)
        return nullptr;
    ZEVDeskGeometry* g = space_ ? space_->deskGeometry() : nullptr;
    const double shift = countShift ? *countShift : 0.0;
    const QPointF p = clampedLocation(QPointF(location.x() + shift, location.y() - shift));
    ZEVIconPosition position{p.x(), p.y(), g ? g->spaceRatioDefaultSize() : 0.0, 0};
    ZEVItemViewForDesks* view = itemViewForItem(item);
    if (!view)
        view = ajouterItemViewAvecItem(item);
    if (!view)
        return nullptr;
    auto deplacer = [&] {
        const ZEVIconPosition old = view->iconPosition();
        position.size = old.size;
        position.stored = old.stored;
        position.angle = 0;
        if (countShift && g)
            *countShift += g->spaceRatioDropShift();
        if (deskClass_ && curseur_)
            deskClass_->updatePosition(position, old, item, curseur_->now());
        view->setIconPosition(position, 0.7);
    };
    if (view->siActif()) {
        const int mode = frontMode();
        if (siCmdKey) {
            view->orderToFront();
            deplacer();
        } else {
            view->flick();
        }
        if (space_) {
            if (mode == ZEVFrontModeLinks)
                space_->multiSelectNodeForItem(item);
            else if (mode == ZEVFrontModeTitles)
                space_->multiSelectTitleForItem(item);
            else if (mode == ZEVFrontModeIcons)
                space_->multiSelectIconForItem(item);
        }
        return nullptr;
    }
    view->orderToFront();
    if (siCmdKey)
        deplacer();
    if (itemViewer_)
        itemViewer_->userRecallIconForItemView(view);
    return view;
}

ZEVItemViewForDesks* ZEVDeskViewer::recallExistingItemViewWithItem(KELI* item)
{
    ZEVItemViewForDesks* view = itemViewForItem(item);
    if (!view)
        view = ajouterItemViewAvecItem(item);
    if (!view)
        return nullptr;
    if (view->siActif())
        view->flick();
    else if (itemViewer_)
        itemViewer_->userRecallIconForItem(item);
    return view;
}

// ---------------------------------------------------------------------------------------------
// Drops and pastes

void ZEVDeskViewer::addFilenames(const QStringList& paths) { drop_->addFilenames(paths); }

Qt::DropAction ZEVDeskViewer::dragOperationForDraggingInfo(const QMimeData* data, long sequence)
{
    return drop_->dragOperationForDraggingInfo(data, sequence);
}

bool ZEVDeskViewer::userPerformDragWithInfo(const QMimeData* data, const QPointF& deskPoint, long sequence)
{
    return drop_->userPerformDragWithInfo(data, deskPoint, sequence);
}

bool ZEVDeskViewer::userPerformPaste() { return drop_->userPerformPaste(); }

int ZEVDeskViewer::frontMode()
{
    if (space_)
        return space_->frontMode();
    return frontViewer_ ? frontViewer_->frontMode() : ZEVFrontModeIcons;
}

ZEVDeskMenus* ZEVDeskViewer::deskMenus()
{
    ZEVSpaceController* space = space_ ? space_->spaceController() : nullptr;
    if (!menus_ && space)
        menus_ = std::make_unique<ZEVDeskMenus>(*space);
    return menus_.get();
}

QMenu* ZEVDeskViewer::menuForFrontView()
{
    ZEVDeskMenus* menus = deskMenus();
    return menus ? menus->menuForFrontView() : nullptr;
}

} // namespace tallomer
