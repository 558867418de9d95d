#pragma once
// The controller of one cursor's desk on screen (one for the Now cursor, one for the Search
// cursor). It owns the desk surface (a graphics scene) with its background layer, keeps exactly
// one Object view per Object shown on its desk, creates them as icons come into the cursor's
// window, refreshes them lazily in coalesced passes, places new icons, walks the selection with
// Tab, relays the link base's notices to the views' presence counters, and shows the background
// of the current Channel through time.
//
// Model geometry is y-up desk-view points (ZEVIconPosition); the scene's y-down is met only in
// the desk surface and the Object views.

#include "desk/background/ZEVChannelBackgrounds.h"
#include "services/ZEVDeskViewerForDeskModels.h"
#include "services/ZEVSpaceForDeskModels.h"
#include "services/ZEVIconPosition.h"
#include "engine/KELICc.h"
#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"
#include "services/ZEVItemViewForDesks.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class QGraphicsView;
class QMimeData;

namespace tallomer {

class ZEVBackObjectServices;
class ZEVDeskBackImageView;
class ZEVDeskClass;
class ZEVSpaceForDeskViewers;
class ZEVDeskTabWalk;
class ZEVDeskView;
class ZEVDeskViewRegistry;
class ZEVFrontViewer;
class ZEVItemClass;
class ZEVItemViewerForDesks;

class ZEVDeskViewer final : public ZEVDeskViewerForDeskModels, public ZEVDeskViewerForObjectViews, public KELDelegueDeMaj {
public:
    // Background refreshes are forced this often while link-base changes keep coming.
    static constexpr double kForceMajBack = 0.06;
    // maxTime value that disables forced refreshes.
    static constexpr double kJamais = 4503599627370496.0;

    // None is owned; `space` may be null (a bare desk: zero limits, no selections). `frame` is the
    // desk's size in points (origin 0, 0).
    ZEVDeskViewer(KELICurseur* curseur, ZEVDeskClass* deskClass, ZEVSpaceForDeskViewers* space, const QRectF& frame);
    ~ZEVDeskViewer() override;
    ZEVDeskViewer(const ZEVDeskViewer&) = delete;
    ZEVDeskViewer& operator=(const ZEVDeskViewer&) = delete;

    // ---- set-up ----
    // The desk shows in `view` (the Space window's one view, whose scene follows the active cursor).
    // The space controller calls this for the active cursor's desk; it makes the view show this
    // desk's scene at the view's size.
    void installInGraphicsView(QGraphicsView* view);
    void enclencherMaj();
    void referencerItemViewer(ZEVItemViewerForDesks* itemViewer);
    void referencerItemClass(ZEVItemClass* itemClass) { itemClass_ = itemClass; }
    void referencerFrontViewer(ZEVFrontViewer* frontViewer) { frontViewer_ = frontViewer; }
    ZEVFrontViewer* frontViewer() const { return frontViewer_; }
    ZEVSpaceForDeskViewers* space() const { return space_; }
    ZEVItemClass* itemClass() const { return itemClass_; }
    ZEVDeskViewRegistry& views() { return *views_; }
    ZEVItemViewerForDesks* itemViewer() const { return itemViewer_; }
    ZEVDeskClass* deskClass() const { return deskClass_; }
    KELICurseur* rulerCurseur() const { return curseur_; }
    KELICurseur* curseur() const { return curseur_; }
    ZEVDeskView* deskView() const { return deskView_.get(); }
    ZEVDeskBackImageView* deskBackImageView() const { return deskBackImageView_; }
    QRectF deskViewFrame() const;
    // The desk's size changed (window resize): scene, background and views follow.
    void setDeskViewFrame(const QRectF& frame);

    // ---- item views ----
    // Whether at least one Channel has no background at the cursor (a first run).
    bool initWallpaperWithChannelViewer();
    void initItemViewAvecIcon(KELI* icon, KELDate curseurDate) override;
    void initMajItemViews() override;
    ZEVItemViewForDesks* ajouterItemViewAvecItem(KELI* item) override;
    void deleteItemView(ZEVItemViewForDesks* view) override;
    ZEVItemViewForDesks* itemViewForItem(KELI* item) override;
    const std::vector<ZEVItemViewForDesks*>& itemViewSet() const;
    bool siInItemViewSet(ZEVItemViewForDesks* view) const;
    std::size_t nbDeItemViews() const;
    void setSiSelectedIconAuDrag(bool v) { siSelectedIconAuDrag_ = v; }
    bool siSelectedIconAuDrag() override { return siSelectedIconAuDrag_; }
    double deskHeight() override;
    bool siItemExiste();
    bool siSelectionExiste(int mode);
    void placerDevant();

    void majItemView(ZEVItemViewForDesks* view) override;
    void majItemViews() override;
    void majConnexion() override;
    void displayItemViews();
    void majImages();
    void flickItemSet(const std::vector<KELI*>& items);
    void flickItemViews(const std::vector<ZEVItemViewForDesks*>& views);
    bool siFilteredItem(KELI* item);
    bool siAccepteDisplayDeskView() const;
    std::size_t nbEnAttente() const;
    // How many refresh passes ran (each one animation group); for tests and benchmarks.
    std::size_t nbDePasses() const;

    // ---- placing Objects ----
    ZEVItemViewForDesks* creerItemViewWithItem(KELI* item, const QPointF& location, double countShift);
    ZEVItemViewForDesks* creerItemViewWithItem(KELI* item, const ZEVIconPosition& position, float ratio);
    void creerIconForItem(KELI* item, const ZEVIconPosition& position, KELDate inDate, KELDate outDate,
                          float ratio) override;
    ZEVItemViewForDesks* creerIconForItemView(KELI* item, const ZEVIconPosition& position, KELDate inDate,
                                              KELDate outDate, float ratio);
    ZEVItemViewForDesks* recallExistingItemViewWithItem(KELI* item, const QPointF& location, double* countShift,
                                                        bool siCmdKey);
    ZEVItemViewForDesks* recallExistingItemViewWithItem(KELI* item);
    // The point held inside the space controller's limits.
    QPointF clampedLocation(const QPointF& location);
    // [in, out) of an icon placed now.
    std::pair<KELDate, KELDate> intervalForNewIcon(KELI* item);

    // ---- drops and pastes (filled in by the drop handling) ----
    // Files opened from the desktop: existing Objects recalled, new ones placed at the default
    // positions; paths naming no file are skipped with a log line.
    void addFilenames(const QStringList& paths);
    Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence) { return Qt::IgnoreAction; }
    bool userPerformDragWithInfo(const QMimeData* data, const QPointF& deskPoint) { return false; }
    bool userPerformPaste() { return false; }
    void menuForFrontView(const QPointF& deskPoint) {}

    // ---- selection walk and relays ----
    void userSelectAllIcons();
    void userSelectAllTitles();
    void userSelectAllNodes();
    void userSelectAllFiltres();
    void userSelectNext();
    void userSelectPrevious();
    void iconSelectionDidChange() { selectionDidChange(); }
    void titleSelectionDidChange() { selectionDidChange(); }
    void linkSelectionDidChange() { selectionDidChange(); }
    void filterSelectionDidChange() { selectionDidChange(); }
    int tabFrontMode() const;
    ZEVDeskTabWalk& tabWalk() { return *tabWalk_; }
    // The front mode of the Space (icons, titles, filters, links).
    int frontMode();

    void moteurCroisementItem(KELI* item, ZEVCroisement croisement) override;
    void moteurChangeItemViewForItem(KELI* item) override;
    void moteurChangeItemTitleForItem(KELI* item) override;
    void activationDuLien(KELI* lien, KELICc* curseur) override;
    void desactivationDuLien(KELI* lien, KELICc* curseur) override;

    // ---- backgrounds ----
    KELI* currentBackImageItem() const { return currentBackImageItem_; }
    KELI* currentBackColorItem() const { return currentBackColorItem_; }
    KELI* currentBackScaleMot() const { return currentBackScaleMot_; }
    KELI* previousBackImageItem() const { return previousBackImageItem_; }
    bool siChannelActif() const { return siChannelActif_; }
    KELI* currentBackItem();
    std::string currentBackImageItemName();
    void setBackImageItemName(const std::string& name);
    bool createBackForNewChannel(KELI* channel, const std::string& spaceTitle, const QString& imagePath,
                                 KELI* scaleItem, KELI* colorItem);
    void majBackForFirstTime();
    bool userChangeBackWithImageItem(KELI* imageItem, KELI* colorItem, KELId scaleMotInt, KELDate transitionDate);
    void channelDidChangeWithIdentityInt(KELId channel);
    void majBackImage();
    void majBackImageSize();
    ZEVChannelBackgrounds& backgrounds() { return backgrounds_; }
    QSizeF _newBackImageSizeForBackObject(ZEVBackObjectServices* backObject, KELId scaleMotInt) const;
    void _majBackForImageItem();
    void _majBackImageForBackObject(ZEVBackObjectServices* backObject);
    void _moteurChange();
    void _differerDisplayBackView();
    bool siAccepteDisplayBackView() const { return siAccepteDisplayBackView_; }

private:
    ZEVItemViewForDesks* nouvelleVue(KELI* item, const ZEVIconPosition& position, float ratio, bool cachee);
    void selectAll(int mode);
    void selectionDidChange();
    KELI* channelCourant();
    KELI* defaultColorItem();
    QColor couleur(KELI* colorItem);
    ZEVBackObjectServices* backObject(KELI* image, KELI* scale, bool creer);
    void observer(ZEVBackObjectServices* backObject);
    void showBack(ZEVBackObjectServices* backObject);
    KELI* fichierDeFond(KELId channel, const std::string& title, const QString& path);
    KELI* lienBack(KELId relation, KELI* parent, KELI* enfant, KELDate in, KELDate out);
    double maintenant() const;

    KELICurseur* curseur_;                 // not owned
    KELIContexte* contexte_ = nullptr;     // not owned
    ZEVDeskClass* deskClass_;              // not owned
    ZEVSpaceForDeskViewers* space_;          // not owned; may be null
    ZEVFrontViewer* frontViewer_ = nullptr; // not owned
    ZEVItemViewerForDesks* itemViewer_ = nullptr; // not owned
    ZEVItemClass* itemClass_ = nullptr;    // not owned
    ZEVChannelBackgrounds backgrounds_;

    // The scene is declared before the views so that the views leave it before it goes.
    std::unique_ptr<ZEVDeskView> deskView_;
    ZEVDeskBackImageView* deskBackImageView_ = nullptr; // owned by the scene
    std::unique_ptr<ZEVDeskViewRegistry> views_;
    bool siSelectedIconAuDrag_ = false;

    std::unique_ptr<ZEVDeskTabWalk> tabWalk_;

    // Backgrounds.
    KELI* currentBackImageItem_ = nullptr;
    KELI* currentBackColorItem_ = nullptr;
    KELI* currentBackScaleMot_ = nullptr;
    KELI* previousBackImageItem_ = nullptr;
    KELI* previousBackColorItem_ = nullptr;
    KELI* previousBackScaleMot_ = nullptr;
    bool previousBackSiActif_ = false;
    bool siChannelActif_ = false;
    bool siChannelRefresh_ = false;
    bool siAccepteDisplayBackView_ = true;
    double maxTimeBackView_ = kJamais;
    double currentTimeBackView_ = 0;
    std::vector<ZEVBackObjectServices*> observes_; // not owned: they outlive the desks
    bool siEnclenche_ = false;

    ScheduledTarget guard_{this};
};

} // namespace tallomer
