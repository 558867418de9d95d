#pragma once
// The controller of one cursor's desk on screen (one for the Now cursor, one for the Search
// cursor), and the one the rest of the program calls. It owns the desk surface (a graphics scene)
// with its background layer and three parts that it answers for:
//  - the view registry (ZEVDeskViewRegistry): one Object view per Object shown on the desk and
//    their refresh in coalesced passes;
//  - the Tab walk (ZEVDeskTabWalk);
//  - the background (ZEVDeskBackground): the current Channel's picture through time, the only
//    listener to the link base's background and Channel-list links.
//  - the drop (ZEVDeskDrop): what is dropped or pasted on the desk, and files opened through the
//    desktop;
//  - the downloads (ZEVDeskDownloads) of the web Objects placed on this desk.
// Itself it makes views as icons come into the cursor's window, relays the link base's crossings
// to the views' presence counters, places new icons and selects all.
//
// Model geometry is y-up desk-view points (ZEVIconPosition); the scene's y-down is met only in
// the desk surface and the Object views.

#include "engine/KELTypes.h"
#include "services/ZEVDeskViewerForDeskModels.h"
#include "services/ZEVIconPosition.h"
#include "services/ZEVItemViewForDesks.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class QGraphicsView;
class QMimeData;
class QMenu;

namespace tallomer {

class ZEVDeskBackImageView;
class ZEVDeskBackground;
class ZEVDeskDownloads;
class ZEVDeskDrop;
class ZEVDeskClass;
class ZEVDeskTabWalk;
class ZEVDeskMenus;
class ZEVDeskView;
class ZEVDeskViewRegistry;
class ZEVFrontViewerServices;
class ZEVItemClass;
class ZEVItemViewerForDesks;
class ZEVSpaceForDeskViewers;

class ZEVDeskViewer final : public ZEVDeskViewerForDeskModels, public ZEVDeskViewerForObjectViews {
public:
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
    void referencerFrontViewer(ZEVFrontViewerServices* frontViewer) { frontViewer_ = frontViewer; }
    ZEVItemViewerForDesks* itemViewer() const { return itemViewer_; }
    ZEVItemClass* itemClass() const { return itemClass_; }
    ZEVFrontViewerServices* frontViewer() const { return frontViewer_; }
    ZEVDeskClass* deskClass() const { return deskClass_; }
    ZEVSpaceForDeskViewers* space() const { return space_; }
    KELICurseur* rulerCurseur() const { return curseur_; }
    KELICurseur* curseur() const { return curseur_; }
    ZEVDeskView* deskView() const { return deskView_.get(); }
    ZEVDeskBackImageView* deskBackImageView() const { return deskBackImageView_; }
    QRectF deskViewFrame() const;
    // The desk's size changed (window resize): scene, background and views follow.
    void setDeskViewFrame(const QRectF& frame);

    // ---- the parts ----
    ZEVDeskViewRegistry& views() { return *views_; }
    ZEVDeskTabWalk& tabWalk() { return *tabWalk_; }
    ZEVDeskBackground& background() { return *background_; }
    ZEVDeskDrop& drop() { return *drop_; }
    ZEVDeskDownloads& downloads() { return *downloads_; }

    // ---- item views ----
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
    ZEVItemViewForDesks* creerItemViewWithItem(KELI* item, const ZEVIconPosition& position, float ratio) override;
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

    // ---- drops and pastes (ZEVDeskDrop) ----
    // Files opened from the desktop: existing Objects recalled, new ones placed at the default
    // positions; paths naming no file are skipped with a log line.
    void addFilenames(const QStringList& paths);
    // `sequence` numbers the drag (ZEVDeskView::nextDragSequenceNumber): the pasteboard is read
    // once per number.
    Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence);
    bool userPerformDragWithInfo(const QMimeData* data, const QPointF& deskPoint, long sequence);
    // The pasteboard already analysed: what it holds lands at the pointer.
    bool userPerformPaste();
    // The context menu of the empty desk, filled; nullptr in a modifier quasimode or without a
    // Space. The menus are made on first use.
    QMenu* menuForFrontView();
    // The desk's menus (the context, Space and Channel menus); nullptr without a Space.
    ZEVDeskMenus* deskMenus();

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
    // The Space's front mode (ZEVFrontMode).
    int frontMode();

    void moteurCroisementItem(KELI* item, ZEVCroisement croisement) override;
    void moteurChangeItemViewForItem(KELI* item) override;
    void moteurChangeItemTitleForItem(KELI* item) override;

    // ---- backgrounds ----
    // Whether at least one Channel has no background at the cursor (a first run).
    bool initWallpaperWithChannelViewer();
    KELI* currentBackImageItem() const;
    KELI* currentBackColorItem() const;
    KELI* currentBackScaleMot() const;
    bool siChannelActif() const;
    KELI* currentBackItem();
    std::string currentBackImageItemName();
    void setBackImageItemName(const std::string& name);
    // The first Space of a new Channel and the Channel's listing, from the cursor's now, in one
    // act; its picture Object, nullptr when the store kept none of it. The caller copies the
    // picture into the store once the act it may run inside is known to be stored.
    KELI* createBackForNewChannel(KELI* channel, const std::string& spaceTitle, const QString& imagePath,
                                  KELI* scaleItem, KELI* colorItem);
    void majBackForFirstTime();
    bool userChangeBackWithImageItem(KELI* imageItem, KELI* colorItem, KELId scaleMotInt, KELDate transitionDate);
    void channelDidChangeWithIdentityInt(KELId channel);
    void majBackImage();
    void majBackImageSize();

private:
    ZEVItemViewForDesks* nouvelleVue(KELI* item, const ZEVIconPosition& position, float ratio, bool cachee);
    void selectAll(int mode);
    void selectionDidChange();
    double maintenant() const;

    KELICurseur* curseur_;                        // not owned
    KELIContexte* contexte_ = nullptr;            // not owned
    ZEVDeskClass* deskClass_;                     // not owned
    ZEVSpaceForDeskViewers* space_;               // not owned; may be null
    ZEVFrontViewerServices* frontViewer_ = nullptr;       // not owned
    ZEVItemViewerForDesks* itemViewer_ = nullptr; // not owned
    ZEVItemClass* itemClass_ = nullptr;           // not owned
    bool siSelectedIconAuDrag_ = false;

    // Made first: it reads the cursor's backgrounds from the start. The destructor lets it go
    // first, so that no notice or picture arrives while the rest goes, and the views before the
    // scene they are drawn in.
    std::unique_ptr<ZEVDeskBackground> background_;
    std::unique_ptr<ZEVDeskView> deskView_;
    ZEVDeskBackImageView* deskBackImageView_ = nullptr; // owned by the scene
    std::unique_ptr<ZEVDeskViewRegistry> views_;
    std::unique_ptr<ZEVDeskTabWalk> tabWalk_;
    std::unique_ptr<ZEVDeskDrop> drop_;
    std::unique_ptr<ZEVDeskDownloads> downloads_;
    std::unique_ptr<ZEVDeskMenus> menus_;
};

} // namespace tallomer
